# The real program over the virtual mouse, with the command line and a
# program to follow beside it, and a pristine settings file for each case.
mv_add_test(mousemodel_test DISPLAY VMOUSE RESOURCES SOURCES ${MV_TEST_DIR}/mousemodel_test.cpp
  LIBS mvui user32 ole32 oleaut32 uuid TIMEOUT 600)
set(mousemodel_dir ${CMAKE_BINARY_DIR}/tests/mousemodel_test)
add_custom_command(OUTPUT ${mousemodel_dir}/Mirvostan.exe ${mousemodel_dir}/mirvostan-cli.exe
    ${mousemodel_dir}/alpha.exe ${mousemodel_dir}/AppCfg.pristine.ini
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Mirvostan> ${mousemodel_dir}/Mirvostan.exe
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:mirvostan-cli> ${mousemodel_dir}/mirvostan-cli.exe
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:front_alpha> ${mousemodel_dir}/alpha.exe
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/src/i18n/AppCfg.ini ${mousemodel_dir}/AppCfg.pristine.ini
  DEPENDS Mirvostan mirvostan-cli front_alpha ${CMAKE_SOURCE_DIR}/src/i18n/AppCfg.ini)
add_custom_target(mousemodel_test_programs DEPENDS ${mousemodel_dir}/Mirvostan.exe)
add_dependencies(mousemodel_test mousemodel_test_programs)
