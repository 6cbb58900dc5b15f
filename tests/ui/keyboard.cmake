# The real program by keyboard alone and through a screen reader's eyes:
# its own copy beside the test with the virtual mouse.
mv_add_test(keyboard_test DISPLAY VMOUSE RESOURCES SOURCES ${MV_TEST_DIR}/keyboard_test.cpp
            LIBS user32 gdi32 oleacc ole32 oleaut32 uuid TIMEOUT 300)
set(keyboard_dir ${CMAKE_BINARY_DIR}/tests/keyboard_test)
add_custom_command(OUTPUT ${keyboard_dir}/Mirvostan.exe ${keyboard_dir}/AppCfg.pristine.ini
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Mirvostan> ${keyboard_dir}/Mirvostan.exe
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/src/i18n/AppCfg.ini ${keyboard_dir}/AppCfg.pristine.ini
  DEPENDS Mirvostan ${CMAKE_SOURCE_DIR}/src/i18n/AppCfg.ini)
add_custom_target(keyboard_test_program DEPENDS ${keyboard_dir}/Mirvostan.exe)
add_dependencies(keyboard_test keyboard_test_program)
