# The workspace and thumbnail strip at a large folder: scan, one page of thumbnails, the
# Folder Manager over many folders.
quelmar_add_bench(bench_library ${CMAKE_CURRENT_LIST_DIR}/bench_library.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_bench_main.cpp)
target_link_libraries(bench_library PRIVATE station_library Qt6::Widgets)
