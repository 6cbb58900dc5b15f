mv_add_test(keycapture_test DISPLAY RESOURCES SOURCES ${MV_TEST_DIR}/keycapture_test.cpp LIBS mvui)
