# The real program in the background, its own copy beside the test.
mv_add_test(resident_test DISPLAY VMOUSE RESOURCES SOURCES ${MV_TEST_DIR}/resident_test.cpp
  LIBS mvui user32 shell32 ole32 oleaut32 uuid TIMEOUT 300)
set(resident_dir ${CMAKE_BINARY_DIR}/tests/resident_test)
add_custom_command(OUTPUT ${resident_dir}/Mirvostan.exe ${resident_dir}/AppCfg.pristine.ini
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Mirvostan> ${resident_dir}/Mirvostan.exe
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/src/i18n/AppCfg.ini ${resident_dir}/AppCfg.pristine.ini
  DEPENDS Mirvostan ${CMAKE_SOURCE_DIR}/src/i18n/AppCfg.ini)
add_custom_target(resident_test_program DEPENDS ${resident_dir}/Mirvostan.exe)
add_dependencies(resident_test resident_test_program)
