# The Wi-Fi microscope link: splitter and page parsing on their own, the rest against
# tools/wifiscope-sim on 127.0.0.1.
quelmar_add_test(viewer_device_test LABEL viewer
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/multipart_splitter_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/settings_page_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wifi_link_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/closed_address.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wifiscope_sim.h
  LIBS viewer_device Qt6::Network)

# The network check against a stand-in NetworkManager on a private D-Bus.
quelmar_add_test(viewer_network_test LABEL viewer
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/network_manager_test.cpp
  LIBS viewer_device Qt6::DBus)
