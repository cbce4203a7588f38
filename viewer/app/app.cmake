# Orbilux's window and controller, and the orbilux program.
set(_dir ${CMAKE_CURRENT_LIST_DIR})
add_library(viewer_app STATIC
  ${_dir}/adjustment_controls.h ${_dir}/adjustment_controls.cpp
  ${_dir}/calibration_store.h ${_dir}/calibration_store.cpp
  ${_dir}/ftp_share.h ${_dir}/ftp_share.cpp
  ${_dir}/gallery.h ${_dir}/gallery.cpp
  ${_dir}/gallery_model.h ${_dir}/gallery_model.cpp
  ${_dir}/gallery_view.h ${_dir}/gallery_view.cpp
  ${_dir}/gridlines_panel.h ${_dir}/gridlines_panel.cpp
  ${_dir}/j_video_view.h ${_dir}/j_video_view.cpp
  ${_dir}/measure_controls.h ${_dir}/measure_controls.cpp
  ${_dir}/new_calibration_controller.h ${_dir}/new_calibration_controller.cpp
  ${_dir}/new_folder_controller.h ${_dir}/new_folder_controller.cpp
  ${_dir}/orbilux_options.h ${_dir}/orbilux_options.cpp
  ${_dir}/orbilux_toolbar.h ${_dir}/orbilux_toolbar.cpp
  ${_dir}/orbilux_window.h ${_dir}/orbilux_window.cpp
  ${_dir}/property_list.h ${_dir}/property_list.cpp
  ${_dir}/settings_tab.h ${_dir}/settings_tab.cpp
  ${_dir}/snapshot_watcher.h ${_dir}/snapshot_watcher.cpp
  ${_dir}/video_recorder.h ${_dir}/video_recorder.cpp
  ${_dir}/view_controller.h ${_dir}/view_controller.cpp ${_dir}/view_controller_wifi.cpp
    ${_dir}/view_controller_usb.cpp
  ${_dir}/viewer_paths.h ${_dir}/viewer_paths.cpp
  ${_dir}/viewer_prompt.h ${_dir}/viewer_prompt.cpp
  ${_dir}/viewer_resources.h ${_dir}/viewer_resources.cpp
  ${_dir}/viewer_sound.h ${_dir}/viewer_sound.cpp
  ${_dir}/workspace.h ${_dir}/workspace.cpp
  ${_dir}/viewer.qrc
)
target_include_directories(viewer_app PUBLIC ${PROJECT_SOURCE_DIR}/viewer)
target_link_libraries(viewer_app PUBLIC viewer_device viewer_ftp viewer_measure quelmar_video
  quelmar_cli quelmar_sound Qt6::Widgets Qt6::Svg Threads::Threads)
quelmar_target_defaults(viewer_app)

add_executable(orbilux ${_dir}/../main.cpp)
target_link_libraries(orbilux PRIVATE viewer_app quelmar_camera_v4l2)
quelmar_target_defaults(orbilux)
install(TARGETS orbilux RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
unset(_dir)
