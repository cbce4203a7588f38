# The measurement view's model without widgets: shapes, the tools' click protocols, the
# viewer's own measuring arithmetic, the calibration run, overlays and the painter.
set(_dir ${CMAKE_CURRENT_LIST_DIR})
add_library(viewer_measure STATIC
  ${_dir}/grid_overlay.h ${_dir}/grid_overlay.cpp
  ${_dir}/measure_model.h ${_dir}/measure_model.cpp
  ${_dir}/measure_painter.h ${_dir}/measure_painter.cpp
  ${_dir}/shape.h
  ${_dir}/shape_labels.h ${_dir}/shape_labels.cpp
  ${_dir}/user_entity.h
  ${_dir}/view_geometry.h ${_dir}/view_geometry.cpp
)
target_include_directories(viewer_measure PUBLIC ${PROJECT_SOURCE_DIR}/viewer
  PRIVATE ${PROJECT_SOURCE_DIR}/common)
target_link_libraries(viewer_measure PUBLIC Qt6::Gui)
quelmar_target_defaults(viewer_measure)
# Values must round exactly as their formulas are written: no fused multiply-add.
target_compile_options(viewer_measure PRIVATE -ffp-contract=off)
unset(_dir)
