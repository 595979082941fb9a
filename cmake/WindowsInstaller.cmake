# The Windows installer: CPack's NSIS generator (makensis, Debian's nsis package) makes
# Kestrune-<version>-win64.exe from packaging/windows/NSIS.template.in. It installs for the user
# who runs it, without administrator rights, into %LOCALAPPDATA%\Programs\Kestrune, so that the
# schedule file beside the programs is writable and the orbit-prediction component registers
# for that user; the uninstaller removes what was installed and leaves the settings key.
install(TARGETS Kestrune kestrune-station RUNTIME DESTINATION .)
if(TARGET QmrSatLib)
    install(TARGETS QmrSatLib LIBRARY DESTINATION . RUNTIME DESTINATION .)
endif()
install(DIRECTORY data/tle/ DESTINATION tle)
install(FILES README.md LICENSE DESTINATION doc)
install(FILES docs/windows.md docs/window.md docs/station.md docs/tracking.md docs/serial.md
        DESTINATION doc OPTIONAL)

set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME Kestrune)
set(CPACK_PACKAGE_VENDOR Quillmere)
set(CPACK_PACKAGE_FILE_NAME Kestrune-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Kestrune)
set(CPACK_NSIS_DISPLAY_NAME "Kestrune ${PROJECT_VERSION}")
set(CPACK_NSIS_UNINSTALL_NAME Uninstall)
set(CPACK_NSIS_URL_INFO_ABOUT ${PROJECT_HOMEPAGE_URL})
# The programs without their debugging symbols.
set(CPACK_STRIP_FILES ON)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# Our own template: CPack's own installs for all users whenever the user is an administrator
# (always under Wine), and its uninstaller deletes HKCU\Software\<vendor>\<product>, which is
# where the program keeps its settings.
list(PREPEND CMAKE_MODULE_PATH ${PROJECT_SOURCE_DIR}/packaging/windows)
include(CPack)
