# The headless host's kit files: toolbar, palette, translation and
# preference files, every form parsed from the same bytes.
cvstv_add_fuzzer(host_text_files_fuzz ${CMAKE_CURRENT_LIST_DIR}/host_text_files_fuzz.cpp)
target_link_libraries(host_text_files_fuzz PRIVATE vexahost)
