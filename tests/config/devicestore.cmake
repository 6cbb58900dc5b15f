mv_add_test(devicestore_test VMOUSE SOURCES ${MV_TEST_DIR}/devicestore_test.cpp)
