# Orbilux's window and controller, and the orbilux program.
set(_dir ${CMAKE_CURRENT_LIST_DIR})
add_library(viewer_app STATIC
  ${_dir}/calibration_sheet.h ${_dir}/calibration_sheet.cpp
  ${_dir}/ftp_share.h ${_dir}/ftp_share.cpp
  ${_dir}/j_video_view.h ${_dir}/j_video_view.cpp
  ${_dir}/measure_actions.h ${_dir}/measure_actions.cpp
  ${_dir}/measure_controls.h ${_dir}/measure_controls.cpp
  ${_dir}/orbilux_options.h ${_dir}/orbilux_options.cpp
  ${_dir}/orbilux_window.h ${_dir}/orbilux_window.cpp
  ${_dir}/quit_on_signals.h ${_dir}/quit_on_signals.cpp
  ${_dir}/snapshot_watcher.h ${_dir}/snapshot_watcher.cpp
  ${_dir}/view_controller.h ${_dir}/view_controller.cpp
  ${_dir}/viewer_paths.h ${_dir}/viewer_paths.cpp
  ${_dir}/viewer_prompt.h ${_dir}/viewer_prompt.cpp
)
target_include_directories(viewer_app PUBLIC ${PROJECT_SOURCE_DIR}/viewer)
target_link_libraries(viewer_app PUBLIC viewer_device viewer_ftp viewer_measure quelmar_cli
  Qt6::Widgets
  Threads::Threads)
quelmar_target_defaults(viewer_app)

add_executable(orbilux ${_dir}/../main.cpp)
target_link_libraries(orbilux PRIVATE viewer_app)
quelmar_target_defaults(orbilux)
install(TARGETS orbilux RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
unset(_dir)
