# The real program at 144 DPI. The DPI is a setting of a whole Wine prefix,
# so this program runs in a prefix of its own (dpi144.sh), never the shared one.
set(dpi144_dir ${CMAKE_BINARY_DIR}/tests/dpi144_test)
add_executable(dpi144_test ${MV_TEST_DIR}/dpi144_test.cpp ${CMAKE_SOURCE_DIR}/tests/common/test_main.cpp)
target_include_directories(dpi144_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/common ${CMAKE_SOURCE_DIR}/tests/ui)
target_link_libraries(dpi144_test PRIVATE gtest mvcore user32 gdi32)
set_target_properties(dpi144_test PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${dpi144_dir})
add_custom_command(OUTPUT ${dpi144_dir}/Mirvostan.exe ${dpi144_dir}/SonixUSB.DLL ${dpi144_dir}/AppCfg.ini
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Mirvostan> ${dpi144_dir}/Mirvostan.exe
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:virtualmouse> ${dpi144_dir}/SonixUSB.DLL
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/src/i18n/AppCfg.ini ${dpi144_dir}/AppCfg.ini
  DEPENDS Mirvostan virtualmouse ${CMAKE_SOURCE_DIR}/src/i18n/AppCfg.ini)
add_custom_target(dpi144_test_program DEPENDS ${dpi144_dir}/Mirvostan.exe)
add_dependencies(dpi144_test dpi144_test_program)
add_test(NAME dpi144_test COMMAND bash ${MV_TEST_DIR}/dpi144.sh $<TARGET_FILE:dpi144_test> WORKING_DIRECTORY ${dpi144_dir})
set_tests_properties(dpi144_test PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE LABELS display)
target_include_directories(dpi144_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/link ${CMAKE_SOURCE_DIR}/src)
