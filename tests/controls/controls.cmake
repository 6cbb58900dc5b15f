mv_add_test(controls_test DISPLAY RESOURCES
  SOURCES ${MV_TEST_DIR}/skinbutton_test.cpp ${MV_TEST_DIR}/linklabel_test.cpp ${MV_TEST_DIR}/window_test.cpp
          ${MV_TEST_DIR}/controls_test.rc
  LIBS mvui)
# windres finds the test pictures beside the script.
target_include_directories(controls_test PRIVATE ${MV_TEST_DIR})
set_source_files_properties(${MV_TEST_DIR}/controls_test.rc PROPERTIES OBJECT_DEPENDS
  "${MV_TEST_DIR}/over.bmp;${MV_TEST_DIR}/rest.bmp;${MV_TEST_DIR}/picture.bmp;${MV_TEST_DIR}/controls_test_ids.h")
