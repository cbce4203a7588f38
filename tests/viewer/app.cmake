# Orbilux's controller and window, against tools/wifiscope-sim on 127.0.0.1.
quelmar_add_test(viewer_app_test LABEL viewer
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/view_controller_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/closed_address.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wifiscope_sim.h
  LIBS viewer_app Qt6::Network)
