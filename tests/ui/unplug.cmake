# The real program with the mouse pulled at every report of an upload.
mv_add_test(unplug_test DISPLAY VMOUSE SOURCES ${MV_TEST_DIR}/unplug_test.cpp LIBS user32 gdi32 TIMEOUT 600)
set(unplug_dir ${CMAKE_BINARY_DIR}/tests/unplug_test)
add_custom_command(OUTPUT ${unplug_dir}/Mirvostan.exe ${unplug_dir}/AppCfg.ini
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Mirvostan> ${unplug_dir}/Mirvostan.exe
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/src/i18n/AppCfg.ini ${unplug_dir}/AppCfg.ini
  DEPENDS Mirvostan ${CMAKE_SOURCE_DIR}/src/i18n/AppCfg.ini)
add_custom_target(unplug_test_program DEPENDS ${unplug_dir}/Mirvostan.exe)
add_dependencies(unplug_test unplug_test_program)
