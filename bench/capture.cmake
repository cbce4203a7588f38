# Frame-path operations and the still save at camera sizes, each against a plain frame copy;
# the live marks on preview frames and stills, and the photo canvas's repaint and render for
# saving, against the same copy and the bare JPEG encode.
quelmar_add_bench(bench_capture ${CMAKE_CURRENT_LIST_DIR}/bench_capture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bench_live_marks.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_photo_canvas.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_bench_main.cpp)
target_link_libraries(bench_capture PRIVATE quelmar_image station_library station_capture
  station_measure Qt6::Widgets)
target_sources(bench_capture PRIVATE $<TARGET_OBJECTS:station_resources>)
# The demo camera recorded through the station's frame path; run by record_endtoend.sh.
add_executable(record_endtoend ${CMAKE_CURRENT_LIST_DIR}/record_endtoend.cpp)
target_link_libraries(record_endtoend PRIVATE station_capture quelmar_video quelmar_camera Qt6::Widgets)
quelmar_target_defaults(record_endtoend)
