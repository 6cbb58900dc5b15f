# The link benchmark: a program beside the virtual mouse, run by
# bench/run-link-bench.sh (never a test).
set(link_bench_dir ${CMAKE_BINARY_DIR}/bench/link_bench)
add_executable(link_bench ${CMAKE_CURRENT_SOURCE_DIR}/link_bench.cpp)
target_include_directories(link_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests/link)
target_link_libraries(link_bench PRIVATE mvcore)
set_target_properties(link_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${link_bench_dir})
add_dependencies(link_bench virtualmouse)
add_custom_command(TARGET link_bench POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:virtualmouse> ${link_bench_dir}/SonixUSB.DLL)
