# Profile fuzzing beside the virtual mouse, run by bench/fuzz-profiles (never
# in CI; the corpus of files it found is replayed by a test instead).
set(fuzz_dir ${CMAKE_BINARY_DIR}/bench/fuzz_profiles)
add_executable(fuzz_profiles ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_profiles.cpp)
target_include_directories(fuzz_profiles PRIVATE ${CMAKE_SOURCE_DIR}/tests/link ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(fuzz_profiles PRIVATE mvcli mvcore)
target_link_options(fuzz_profiles PRIVATE -municode)
set_target_properties(fuzz_profiles PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${fuzz_dir})
add_custom_command(OUTPUT ${fuzz_dir}/SonixUSB.DLL
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:virtualmouse> ${fuzz_dir}/SonixUSB.DLL
  DEPENDS virtualmouse)
add_custom_target(fuzz_profiles_mouse DEPENDS ${fuzz_dir}/SonixUSB.DLL)
add_dependencies(fuzz_profiles fuzz_profiles_mouse)
# The kept corpus beside it, for the replay test (tests/files/fuzzcorpus.cmake).
if(TARGET fuzz_corpus_files)
  add_dependencies(fuzz_profiles fuzz_corpus_files)
endif()
