# Orbilux's measurement view: the arithmetic against tools/viewer-measure-reference.py's
# table, the click protocols, overlays and the calibration run without a widget, then the
# view and the measuring controls as widgets.
quelmar_add_test(viewer_measure_test LABEL viewer
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/measure_geometry_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/measure_model_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/measure_overlay_test.cpp
  LIBS viewer_measure)
# Built like the code under test: no fused multiply-add.
target_compile_options(viewer_measure_test PRIVATE -ffp-contract=off)

quelmar_add_test(viewer_measure_view_test LABEL viewer
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/measure_view_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/closed_address.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wifiscope_sim.h
  LIBS viewer_app)
