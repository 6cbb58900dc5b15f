mv_add_test(logfile_test SOURCES ${MV_TEST_DIR}/logfile_test.cpp)
