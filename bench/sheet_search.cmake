# Sheet table search and normalisation on a generated 100,000 x 10 catalogue,
# measured against SQLite answering the same question in the same run.
pkg_check_modules(SQLITE3 REQUIRED IMPORTED_TARGET sqlite3)
add_executable(sheet_search_bench ${CMAKE_CURRENT_LIST_DIR}/sheet_search_bench.cpp)
# The library's objects: the benchmark also times the internal normalisation.
target_link_libraries(sheet_search_bench PRIVATE
  benchmark::benchmark cvstvshareint_internal vexahost PkgConfig::SQLITE3 cvstv_warnings)
