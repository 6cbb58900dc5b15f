# The command-line benchmark: mirvostan-cli and a bare console program side
# by side with the virtual mouse, run by bench/run-cli-bench.sh (never a test).
set(cli_bench_dir ${CMAKE_BINARY_DIR}/bench/cli_bench)
add_executable(cli_bench ${CMAKE_CURRENT_SOURCE_DIR}/cli_bench.cpp)
target_include_directories(cli_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests/link)
target_link_libraries(cli_bench PRIVATE mvcore)
add_executable(bare_console ${CMAKE_CURRENT_SOURCE_DIR}/bare_console.cpp)
target_link_options(bare_console PRIVATE -municode)
set_target_properties(cli_bench bare_console PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${cli_bench_dir})
add_custom_command(OUTPUT ${cli_bench_dir}/SonixUSB.DLL ${cli_bench_dir}/mirvostan-cli.exe
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:virtualmouse> ${cli_bench_dir}/SonixUSB.DLL
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:mirvostan-cli> ${cli_bench_dir}/mirvostan-cli.exe
  DEPENDS virtualmouse mirvostan-cli)
add_custom_target(cli_bench_files DEPENDS ${cli_bench_dir}/SonixUSB.DLL ${cli_bench_dir}/mirvostan-cli.exe)
add_dependencies(cli_bench cli_bench_files bare_console)
