# The resident benchmark: Mirvostan hidden in the tray beside a bare dialog
# program and two followed programs, with the virtual mouse; run by
# bench/run-resident-bench.sh (never a test).
set(resident_bench_dir ${CMAKE_BINARY_DIR}/bench/resident_bench)
add_executable(resident_bench ${CMAKE_CURRENT_SOURCE_DIR}/resident_bench.cpp)
target_include_directories(resident_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests/link ${CMAKE_SOURCE_DIR}/tests/ui)
target_link_libraries(resident_bench PRIVATE mvcore user32)
set_target_properties(resident_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${resident_bench_dir})
# The followed programs: one window each, named by the rules in AppCfg.ini.
foreach(program follow_a follow_b)
  add_executable(bench_${program} WIN32 ${CMAKE_SOURCE_DIR}/tests/profiles/frontwindow.cpp)
  target_link_options(bench_${program} PRIVATE -municode)
  set_target_properties(bench_${program} PROPERTIES OUTPUT_NAME ${program} RUNTIME_OUTPUT_DIRECTORY ${resident_bench_dir})
  add_dependencies(resident_bench bench_${program})
endforeach()
add_custom_command(OUTPUT ${resident_bench_dir}/Mirvostan.exe ${resident_bench_dir}/SonixUSB.DLL
    ${resident_bench_dir}/AppCfg.pristine.ini ${resident_bench_dir}/bare_dialog.exe
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Mirvostan> ${resident_bench_dir}/Mirvostan.exe
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:virtualmouse> ${resident_bench_dir}/SonixUSB.DLL
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/src/i18n/AppCfg.ini ${resident_bench_dir}/AppCfg.pristine.ini
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:bare_dialog> ${resident_bench_dir}/bare_dialog.exe
  DEPENDS Mirvostan virtualmouse bare_dialog ${CMAKE_SOURCE_DIR}/src/i18n/AppCfg.ini)
add_custom_target(resident_bench_programs DEPENDS ${resident_bench_dir}/Mirvostan.exe)
add_dependencies(resident_bench resident_bench_programs)
