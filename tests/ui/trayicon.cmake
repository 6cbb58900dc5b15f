mv_add_test(trayicon_test DISPLAY RESOURCES SOURCES ${MV_TEST_DIR}/trayicon_test.cpp LIBS mvui)
