# Condition splitting and record search over a small table.
cvstv_add_fuzzer(sheet_condition_fuzz ${CMAKE_CURRENT_LIST_DIR}/sheet_condition_fuzz.cpp)
target_link_libraries(sheet_condition_fuzz PRIVATE cvstvshareint_internal vexahost)
