# The .xls reader (container, records, shared strings) on arbitrary bytes, and the writer on
# whatever the reader accepted.
cvstv_add_fuzzer(workbook_reader_fuzzer ${CMAKE_CURRENT_LIST_DIR}/workbook_reader_fuzzer.cpp)
target_link_libraries(workbook_reader_fuzzer PRIVATE cvstv_workbook)
