# The start benchmark: Mirvostan and a bare dialog program side by side with
# the virtual mouse, run by bench/run-start-bench.sh (never a test).
set(start_bench_dir ${CMAKE_BINARY_DIR}/bench/start_bench)
add_executable(start_bench ${CMAKE_CURRENT_SOURCE_DIR}/start_bench.cpp)
target_include_directories(start_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests/link)
target_link_libraries(start_bench PRIVATE mvcore psapi)
set_target_properties(start_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${start_bench_dir})
add_executable(bare_dialog WIN32 ${CMAKE_CURRENT_SOURCE_DIR}/bare_dialog.cpp ${CMAKE_CURRENT_SOURCE_DIR}/bare_dialog.rc)
target_link_options(bare_dialog PRIVATE -municode)
set_target_properties(bare_dialog PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${start_bench_dir})
add_custom_command(OUTPUT ${start_bench_dir}/Mirvostan.exe ${start_bench_dir}/SonixUSB.DLL ${start_bench_dir}/AppCfg.ini
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Mirvostan> ${start_bench_dir}/Mirvostan.exe
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:virtualmouse> ${start_bench_dir}/SonixUSB.DLL
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/src/i18n/AppCfg.ini ${start_bench_dir}/AppCfg.ini
  DEPENDS Mirvostan virtualmouse ${CMAKE_SOURCE_DIR}/src/i18n/AppCfg.ini)
add_custom_target(start_bench_programs DEPENDS ${start_bench_dir}/Mirvostan.exe)
add_dependencies(start_bench start_bench_programs bare_dialog)
