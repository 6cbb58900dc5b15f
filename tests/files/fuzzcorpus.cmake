# The files that bench/fuzz-profiles keeps (fuzz-corpus/), replayed with the
# fuzzer's own checks: reader and mirvostan-cli import on the virtual mouse.
set(fuzz_corpus_dir ${CMAKE_BINARY_DIR}/bench/fuzz_profiles/corpus)
file(GLOB fuzz_corpus CONFIGURE_DEPENDS ${MV_TEST_DIR}/fuzz-corpus/*.mvf)
add_custom_command(OUTPUT ${fuzz_corpus_dir}/stamp
  COMMAND ${CMAKE_COMMAND} -E make_directory ${fuzz_corpus_dir}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${fuzz_corpus} ${fuzz_corpus_dir}
  COMMAND ${CMAKE_COMMAND} -E touch ${fuzz_corpus_dir}/stamp
  DEPENDS ${fuzz_corpus})
add_custom_target(fuzz_corpus_files DEPENDS ${fuzz_corpus_dir}/stamp)
add_test(NAME profile_fuzz_corpus COMMAND fuzz_profiles --replay corpus
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bench/fuzz_profiles)
set_tests_properties(profile_fuzz_corpus PROPERTIES TIMEOUT 300 RESOURCE_LOCK mouse_device_lock)
