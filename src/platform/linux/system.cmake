target_sources(kestrune_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/EventWait.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Executable.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ModuleLoader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SystemClock.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SystemLocale.cpp
)
