# The measurement export into .xls and .xlsx: 10,000 shapes, and appending to 50,000 rows.
quelmar_add_bench(bench_export ${CMAKE_CURRENT_LIST_DIR}/bench_export.cpp)
target_link_libraries(bench_export PRIVATE station_measure)
