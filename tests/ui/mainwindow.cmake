# The real program, driven from outside: its own copy beside the test with
# the virtual mouse and a pristine settings file for each case.
mv_add_test(mainwindow_test DISPLAY VMOUSE RESOURCES SOURCES ${MV_TEST_DIR}/mainwindow_test.cpp LIBS mvui user32 gdi32 oleacc ole32 oleaut32 uuid TIMEOUT 600)
set(mainwindow_dir ${CMAKE_BINARY_DIR}/tests/mainwindow_test)
add_custom_command(OUTPUT ${mainwindow_dir}/Mirvostan.exe ${mainwindow_dir}/AppCfg.pristine.ini
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Mirvostan> ${mainwindow_dir}/Mirvostan.exe
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/src/i18n/AppCfg.ini ${mainwindow_dir}/AppCfg.pristine.ini
  DEPENDS Mirvostan ${CMAKE_SOURCE_DIR}/src/i18n/AppCfg.ini)
add_custom_target(mainwindow_test_program DEPENDS ${mainwindow_dir}/Mirvostan.exe)
add_dependencies(mainwindow_test mainwindow_test_program)
