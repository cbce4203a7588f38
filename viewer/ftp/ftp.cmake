# The viewer's FTP file server over its workspace, a library the viewer window and tests use.
add_library(viewer_ftp STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ftp_command_line.h ${CMAKE_CURRENT_LIST_DIR}/ftp_command_line.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ftp_command_table.h ${CMAKE_CURRENT_LIST_DIR}/ftp_command_table.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ftp_connection.h ${CMAKE_CURRENT_LIST_DIR}/ftp_connection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ftp_file_commands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ftp_data_connection.h ${CMAKE_CURRENT_LIST_DIR}/ftp_data_connection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ftp_listing.h ${CMAKE_CURRENT_LIST_DIR}/ftp_listing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ftp_paths.h ${CMAKE_CURRENT_LIST_DIR}/ftp_paths.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ftp_server.h ${CMAKE_CURRENT_LIST_DIR}/ftp_server.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ftp_upload.h ${CMAKE_CURRENT_LIST_DIR}/ftp_upload.cpp
  ${PROJECT_SOURCE_DIR}/common/dir_stream.h
  ${PROJECT_SOURCE_DIR}/common/unique_fd.h
  ${CMAKE_CURRENT_LIST_DIR}/ftp.qrc
)
target_include_directories(viewer_ftp PUBLIC ${PROJECT_SOURCE_DIR}/viewer ${PROJECT_SOURCE_DIR}/common)
target_link_libraries(viewer_ftp PUBLIC Qt6::Core Qt6::Network)
quelmar_target_defaults(viewer_ftp)
