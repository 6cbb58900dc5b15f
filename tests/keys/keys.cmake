mv_add_test(keys_test SOURCES ${MV_TEST_DIR}/keys_test.cpp)
