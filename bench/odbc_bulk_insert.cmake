# 10,000 records inserted into a 50,000-record workbook through the driver
# manager and the workbook driver (executemany, one commit), measured
# against writing the same final workbook once with the project's writer.
if(TARGET cvstv_xls_odbc AND DEFINED CVSTV_ODBCSYSINI_DIR)
  add_executable(odbc_bulk_insert_bench ${CMAKE_CURRENT_LIST_DIR}/odbc_bulk_insert_bench.cpp)
  target_link_libraries(odbc_bulk_insert_bench PRIVATE
    benchmark::benchmark cvstv_workbook PkgConfig::ODBC cvstv_warnings)
  target_compile_definitions(odbc_bulk_insert_bench PRIVATE CVSTV_ODBCSYSINI_DIR="${CVSTV_ODBCSYSINI_DIR}")
  add_dependencies(odbc_bulk_insert_bench cvstv_xls_odbc)
endif()
