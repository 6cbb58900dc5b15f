# The command layer in-process and the console program as a child process,
# both on the virtual mouse beside the test.
mv_add_test(cli_test VMOUSE SOURCES ${MV_TEST_DIR}/cli_test.cpp LIBS mvcli)
target_include_directories(cli_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/link)
set(cli_test_dir ${CMAKE_BINARY_DIR}/tests/cli_test)
add_custom_command(OUTPUT ${cli_test_dir}/mirvostan-cli.exe
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:mirvostan-cli> ${cli_test_dir}/mirvostan-cli.exe
  DEPENDS mirvostan-cli)
add_custom_target(cli_test_program DEPENDS ${cli_test_dir}/mirvostan-cli.exe)
add_dependencies(cli_test cli_test_program)

# Python's json module reads what `show --json` printed in cli_test.
add_test(NAME cli_show_json
  COMMAND /usr/bin/python3 ${MV_TEST_DIR}/check_show_json.py ${cli_test_dir}/show.json ${cli_test_dir}/show-memory.txt)
set_tests_properties(cli_test PROPERTIES FIXTURES_SETUP cli_json_written)
set_tests_properties(cli_show_json PROPERTIES FIXTURES_REQUIRED cli_json_written)
