mv_add_test(programprofiles_test SOURCES ${MV_TEST_DIR}/programprofiles_test.cpp)
