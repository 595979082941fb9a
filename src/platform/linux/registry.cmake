target_sources(kestrune_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/RegFileFormat.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RegistryFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SerialCommKey.cpp
)
