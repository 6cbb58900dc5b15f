mv_add_test(transfers_test VMOUSE SOURCES ${MV_TEST_DIR}/transfers_test.cpp LIBS user32)
