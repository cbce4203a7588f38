# The Wi-Fi picture stream's multipart splitter.
quelmar_add_bench(bench_viewer ${CMAKE_CURRENT_LIST_DIR}/bench_viewer.cpp)
target_link_libraries(bench_viewer PRIVATE viewer_device quelmar_image)

# The gallery's Photos tab at an album of 1,000 stills.
quelmar_add_bench(bench_viewer_gallery ${CMAKE_CURRENT_LIST_DIR}/bench_viewer_gallery.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_bench_main.cpp)
target_link_libraries(bench_viewer_gallery PRIVATE viewer_app Qt6::Widgets)

# A USB camera frame scaled to 640 x 480 and adjusted, against a plain frame copy.
quelmar_add_bench(bench_viewer_usb ${CMAKE_CURRENT_LIST_DIR}/bench_viewer_usb.cpp)
target_link_libraries(bench_viewer_usb PRIVATE viewer_device quelmar_image Qt6::Gui)
