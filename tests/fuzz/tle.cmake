# The orbit component's element-file reader and pass search, fed arbitrary file contents.
kestrune_add_fuzzer(tle_fuzzer
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/TleFuzzer.cpp
    LIBS qmrsatlib_static)
