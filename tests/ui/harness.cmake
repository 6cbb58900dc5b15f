mv_add_test(harness_smoke_test DISPLAY SOURCES ${MV_TEST_DIR}/harness_smoke_test.cpp ${MV_TEST_DIR}/smoke.rc LIBS user32)
