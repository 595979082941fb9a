# The tracking server's line handling, without sockets: only the protocol's own source.
kestrune_add_fuzzer(tracking_fuzzer
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/TrackingFuzzer.cpp
            ${PROJECT_SOURCE_DIR}/src/platform/linux/TrackingProtocol.cpp)
target_include_directories(tracking_fuzzer PRIVATE ${PROJECT_SOURCE_DIR}/src/platform/linux)
