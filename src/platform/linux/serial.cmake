target_sources(kestrune_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/LoopDevice.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SerialDeviceFactory.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpyDevice.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TermiosDevice.cpp
)
