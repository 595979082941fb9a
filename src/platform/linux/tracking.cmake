target_sources(kestrune_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/TrackingProtocol.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TrackingSocketServer.cpp
)
