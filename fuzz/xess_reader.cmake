# The XESS text reader: export text of any bytes, parsed for a sheet and
# normalised like every reader's sheet.
cvstv_add_fuzzer(xess_reader_fuzz ${CMAKE_CURRENT_LIST_DIR}/xess_reader_fuzz.cpp)
target_link_libraries(xess_reader_fuzz PRIVATE cvstvshareint_internal vexahost)
