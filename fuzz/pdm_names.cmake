# PDM part names: encoding, command-line forms and folder paths round-trip.
cvstv_add_fuzzer(pdm_names_fuzz ${CMAKE_CURRENT_LIST_DIR}/pdm_names_fuzz.cpp)
target_link_libraries(pdm_names_fuzz PRIVATE cvstvshareint_internal vexahost)
cvstv_fuzz_seeds(pdm_names_fuzz ${CMAKE_CURRENT_LIST_DIR}/pdm_names_corpus)
