# The headless host's part-file reader: any bytes opened as a part document;
# a part that loads must write back to a document that reads back the same.
cvstv_add_fuzzer(part_file_fuzz ${CMAKE_CURRENT_LIST_DIR}/part_file_fuzz.cpp)
target_link_libraries(part_file_fuzz PRIVATE vexahost)
