# The Wi-Fi microscope link: HTTP requests, the picture stream and its multipart splitter,
# the settings page, and the network-name check; the USB camera link and its pictures.
set(_dir ${CMAKE_CURRENT_LIST_DIR})
add_library(viewer_device STATIC
  ${_dir}/curl_handle.h ${_dir}/curl_handle.cpp
  ${_dir}/device_address.h ${_dir}/device_address.cpp
  ${_dir}/device_probe.h ${_dir}/device_probe.cpp
  ${_dir}/device_http.h ${_dir}/device_http.cpp
  ${_dir}/multipart_splitter.h ${_dir}/multipart_splitter.cpp
  ${_dir}/network_manager_wifi.h ${_dir}/network_manager_wifi.cpp
  ${_dir}/picture_filter.h ${_dir}/picture_filter.cpp
  ${_dir}/picture_scaler.h ${_dir}/picture_scaler.cpp
  ${_dir}/settings_page.h ${_dir}/settings_page.cpp
  ${_dir}/usb_link.h ${_dir}/usb_link.cpp
  ${_dir}/usb_picture.h ${_dir}/usb_picture.cpp
  ${_dir}/wifi_network.h
  ${_dir}/wifi_stream.h ${_dir}/wifi_stream.cpp
)
target_include_directories(viewer_device PUBLIC ${PROJECT_SOURCE_DIR}/viewer)
target_link_libraries(viewer_device PUBLIC Qt6::Core Qt6::Gui Qt6::DBus quelmar_image quelmar_camera
  PRIVATE PkgConfig::CURL Threads::Threads)
quelmar_target_defaults(viewer_device)

# The per-frame pixel loops are only fast when the compiler vectorises them.
set_source_files_properties(${PROJECT_SOURCE_DIR}/viewer/device/picture_filter.cpp
  ${PROJECT_SOURCE_DIR}/viewer/device/picture_scaler.cpp PROPERTIES COMPILE_OPTIONS "-O3")
unset(_dir)
