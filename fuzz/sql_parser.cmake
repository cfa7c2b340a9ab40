# The driver's SQL and connection-string parsers on arbitrary text, and
# SELECT statements evaluated against a small workbook.
cvstv_add_fuzzer(sql_parser_fuzzer ${CMAKE_CURRENT_LIST_DIR}/sql_parser_fuzzer.cpp)
target_link_libraries(sql_parser_fuzzer PRIVATE cvstv_odbc_core)
cvstv_fuzz_seeds(sql_parser_fuzzer ${CMAKE_CURRENT_LIST_DIR}/sql_parser_corpus)
