# The measurement list and the spreadsheet export.
target_sources(station_measure PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/measurement_table.h ${CMAKE_CURRENT_LIST_DIR}/measurement_table.cpp
  ${CMAKE_CURRENT_LIST_DIR}/measurement_export.h ${CMAKE_CURRENT_LIST_DIR}/measurement_export.cpp
  ${CMAKE_CURRENT_LIST_DIR}/measurement_list.h ${CMAKE_CURRENT_LIST_DIR}/measurement_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/measurement_property_dlg.h
  ${CMAKE_CURRENT_LIST_DIR}/measurement_property_dlg.cpp
)
target_link_libraries(station_measure PUBLIC quelmar_spreadsheet)
