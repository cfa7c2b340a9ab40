# CVSTVSHARE_read_spreadsheet through ODBC and through a spreadsheet port,
# measured against reading the same .xls directly with libfreexl.
if(TARGET cvstv_xls_odbc AND DEFINED CVSTV_ODBCSYSINI_DIR)
  add_executable(read_spreadsheet_bench ${CMAKE_CURRENT_LIST_DIR}/read_spreadsheet_bench.cpp)
  target_link_libraries(read_spreadsheet_bench PRIVATE
    benchmark::benchmark cvstvshareint_internal vexahost cvstv_workbook PkgConfig::FREEXL cvstv_warnings)
  target_compile_definitions(read_spreadsheet_bench PRIVATE CVSTV_ODBCSYSINI_DIR="${CVSTV_ODBCSYSINI_DIR}")
  add_dependencies(read_spreadsheet_bench cvstv_xls_odbc)
endif()
