mv_add_test(xml_test SOURCES ${MV_TEST_DIR}/xml_test.cpp)
