mv_add_test(language_test SOURCES ${MV_TEST_DIR}/language_test.cpp ${MV_TEST_DIR}/IniFiles.cpp)

# The shipped translations and their readable source, beside the test program.
mv_add_test(appcfg_test SOURCES ${MV_TEST_DIR}/appcfg_test.cpp ${MV_TEST_DIR}/IniFiles.cpp)
add_custom_command(TARGET appcfg_test POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/src/i18n/AppCfg.ini ${CMAKE_BINARY_DIR}/tests/appcfg_test/AppCfg.ini
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/src/i18n/AppCfg.utf8.ini ${CMAKE_BINARY_DIR}/tests/appcfg_test/AppCfg.utf8.ini)
