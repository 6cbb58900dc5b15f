mv_add_test(resources_test RESOURCES SOURCES ${MV_TEST_DIR}/resources_test.cpp LIBS mvui gdi32 user32)
