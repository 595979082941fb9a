# The orbit component: pass searches over the bundled weather file, one propagation, and how many
# propagations a satellite-day takes.
add_executable(qmrsatlib_bench ${CMAKE_CURRENT_LIST_DIR}/QmrSatLibBench.cpp)
target_link_libraries(qmrsatlib_bench PRIVATE qmrsatlib_static benchmark::benchmark
                                              kestrune_warnings)
target_compile_definitions(qmrsatlib_bench PRIVATE
    KESTRUNE_BENCH_DATA="${KESTRUNE_BENCH_DATA_DIR}")
