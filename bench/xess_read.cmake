# The XESS text reader on a generated .xs4 of 100,000 records by 10 columns,
# measured against a plain line-by-line scan of the same file.
add_executable(xess_read_bench ${CMAKE_CURRENT_LIST_DIR}/xess_read_bench.cpp)
target_link_libraries(xess_read_bench PRIVATE benchmark::benchmark cvstvshareint_internal vexahost cvstv_warnings)
