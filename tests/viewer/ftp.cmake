quelmar_add_test(ftp_server_test LABEL viewer
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ftp_test_support.h ${CMAKE_CURRENT_LIST_DIR}/ftp_test_support.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ftp_server_test.cpp ${CMAKE_CURRENT_LIST_DIR}/ftp_clients_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ftp_robustness_test.cpp
  LIBS viewer_ftp Qt6::Test)
