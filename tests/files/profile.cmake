mv_add_test(profile_test SOURCES ${MV_TEST_DIR}/profile_test.cpp ${MV_TEST_DIR}/signin_test.cpp)
mv_add_test(profile_robustness_test SOURCES ${MV_TEST_DIR}/profile_robustness_test.cpp TIMEOUT 600)

# Python's own XML parser reads the profile that profile_test wrote.
add_test(NAME profile_independent_reader
  COMMAND /usr/bin/python3 ${MV_TEST_DIR}/read_profile.py ${CMAKE_BINARY_DIR}/tests/profile_test/independent.mvf)
set_tests_properties(profile_test PROPERTIES FIXTURES_SETUP profile_written)
set_tests_properties(profile_independent_reader PROPERTIES FIXTURES_REQUIRED profile_written)
