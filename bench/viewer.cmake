# The Wi-Fi picture stream's multipart splitter.
quelmar_add_bench(bench_viewer ${CMAKE_CURRENT_LIST_DIR}/bench_viewer.cpp)
target_link_libraries(bench_viewer PRIVATE viewer_device quelmar_image)
