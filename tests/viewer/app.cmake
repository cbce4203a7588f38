# Orbilux's controller and window, against tools/wifiscope-sim on 127.0.0.1.
quelmar_add_test(viewer_app_test LABEL viewer
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/view_controller_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/closed_address.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wifiscope_sim.h
    ${CMAKE_CURRENT_LIST_DIR}/viewer_test_support.h
  LIBS viewer_app Qt6::Network)

# The workspace share, and orbilux --ftp-serve run as a child process.
quelmar_add_test(viewer_share_test LABEL viewer
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ftp_share_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ftp_test_support.h ${CMAKE_CURRENT_LIST_DIR}/ftp_test_support.cpp
    ${CMAKE_CURRENT_LIST_DIR}/closed_address.cpp
  LIBS viewer_app Qt6::Network Qt6::Test)
target_compile_definitions(viewer_share_test PRIVATE ORBILUX_PROGRAM="$<TARGET_FILE:orbilux>")
add_dependencies(viewer_share_test orbilux)

# The Wi-Fi link's mends against misbehaving devices and the simulator.
quelmar_add_test(viewer_wifi_mends_test LABEL viewer
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/wifi_mends_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/misbehaving_device.h
    ${CMAKE_CURRENT_LIST_DIR}/wifiscope_sim.h
    ${CMAKE_CURRENT_LIST_DIR}/viewer_test_support.h
  LIBS viewer_app Qt6::Network)

# Calibrations, the workspace and its albums, the recorder and the gallery.
quelmar_add_test(viewer_workspace_test LABEL viewer
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/calibration_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/workspace_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/closed_address.cpp
    ${CMAKE_CURRENT_LIST_DIR}/viewer_test_support.h
  LIBS viewer_app)

quelmar_add_test(viewer_recorder_test LABEL viewer
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/recorder_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gallery_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/closed_address.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wifiscope_sim.h
    ${CMAKE_CURRENT_LIST_DIR}/viewer_test_support.h
  LIBS viewer_app Qt6::Network)
target_compile_definitions(viewer_recorder_test PRIVATE ORBILUX_PROGRAM="$<TARGET_FILE:orbilux>")
add_dependencies(viewer_recorder_test orbilux)

# USB cameras (the demo camera) in Orbilux, their pictures and the adjustments.
quelmar_add_test(viewer_usb_test LABEL viewer
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/usb_link_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/usb_picture_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/closed_address.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wifiscope_sim.h
    ${CMAKE_CURRENT_LIST_DIR}/viewer_test_support.h
  LIBS viewer_app quelmar_camera Qt6::Network Qt6::Test)
