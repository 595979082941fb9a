# The manual pages, compressed as Debian wants them, and the Debian package made by CPack:
# cpack -G DEB in the release build folder.
set(manPages Kestrune.1 kestrune-station.1 kestrune-predict.1)
foreach(page ${manPages})
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/docs/man/${page} > ${CMAKE_BINARY_DIR}/man/${page}.gz
        DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/${page} VERBATIM)
    list(APPEND manFiles ${CMAKE_BINARY_DIR}/man/${page}.gz)
endforeach()
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.Debian.gz
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/packaging/changelog > ${CMAKE_BINARY_DIR}/changelog.Debian.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog VERBATIM)
add_custom_target(kestrune_package_files ALL DEPENDS ${manFiles} ${CMAKE_BINARY_DIR}/changelog.Debian.gz)
install(FILES ${manFiles} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/copyright ${CMAKE_BINARY_DIR}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kestrune)

set(CPACK_PACKAGE_NAME kestrune)
set(CPACK_PACKAGE_VENDOR "the Kestrune developers")
set(CPACK_PACKAGE_CONTACT "Kestrune developers <kestrune@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "weather-satellite pass scheduler and receiver control")
set(CPACK_PACKAGE_DESCRIPTION
    "Kestrune predicts the passes of polar-orbiting weather satellites over a\n\
station from two-line element files, merges them into one pass list without\n\
overlaps and writes a schedule file. It then runs the station unattended: it\n\
puts a 137 MHz receiver into standby before each pass, switches it to the\n\
satellite's channel and holds the serial port's RTS line high for the pass,\n\
and publishes a tracking string for other programs. It comes as a window\n\
(Kestrune), a headless station (kestrune-station) with a systemd user unit,\n\
and a command-line pass predictor (kestrune-predict).")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/DropLdconfig.cmake)
include(CPack)
