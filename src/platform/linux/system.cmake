target_sources(kestrune_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/EventWait.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Executable.cpp
    ${CMAKE_CURRENT_LIST_DIR}/InstanceLock.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LogStream.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ModuleLoader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ServiceNotify.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SystemClock.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SystemLocale.cpp
)

# sd_notify, for the station's readiness and watchdog under systemd (Debian: libsystemd-dev).
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBSYSTEMD REQUIRED IMPORTED_TARGET libsystemd)
target_link_libraries(kestrune_platform PRIVATE PkgConfig::LIBSYSTEMD)
