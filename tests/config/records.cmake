mv_add_test(records_test SOURCES ${MV_TEST_DIR}/records_test.cpp ${MV_TEST_DIR}/uploadpolicy_test.cpp)
