# Dialog files: any text read as a dialog definition; a dialog that opens is
# then asked for every attribute in every value form and changed through
# the list accessors.
cvstv_add_fuzzer(dialog_file_fuzz ${CMAKE_CURRENT_LIST_DIR}/dialog_file_fuzz.cpp)
target_link_libraries(dialog_file_fuzz PRIVATE cvstvshareint_internal vexahost)
