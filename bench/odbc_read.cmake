# Every cell of a 50,000 x 10 workbook read through the unixODBC driver
# manager and the workbook driver (SELECT *, SQLGetData as text), measured
# against reading the same file directly with libfreexl.
if(TARGET cvstv_xls_odbc AND DEFINED CVSTV_ODBCSYSINI_DIR)
  add_executable(odbc_read_bench ${CMAKE_CURRENT_LIST_DIR}/odbc_read_bench.cpp)
  target_link_libraries(odbc_read_bench PRIVATE
    cvstv_bench_ratio cvstv_workbook PkgConfig::FREEXL PkgConfig::ODBC cvstv_warnings)
  target_compile_definitions(odbc_read_bench PRIVATE CVSTV_ODBCSYSINI_DIR="${CVSTV_ODBCSYSINI_DIR}")
  add_dependencies(odbc_read_bench cvstv_xls_odbc)
endif()
