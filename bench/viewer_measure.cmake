# The measurement view's marks over an 800 x 640 view against a plain frame copy.
quelmar_add_bench(bench_viewer_measure ${CMAKE_CURRENT_LIST_DIR}/bench_viewer_measure.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_bench_main.cpp)
target_link_libraries(bench_viewer_measure PRIVATE viewer_measure quelmar_image Qt6::Widgets)
