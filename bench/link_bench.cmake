# The link benchmark: a program beside the virtual mouse, run by
# bench/run-link-bench.sh (never a test).
set(link_bench_dir ${CMAKE_BINARY_DIR}/bench/link_bench)
add_executable(link_bench ${CMAKE_CURRENT_SOURCE_DIR}/link_bench.cpp)
target_include_directories(link_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests/link)
target_link_libraries(link_bench PRIVATE mvcore)
set_target_properties(link_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${link_bench_dir})
# A copy that follows every rebuild of the virtual mouse, not only the bench's.
add_custom_command(OUTPUT ${link_bench_dir}/SonixUSB.DLL
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:virtualmouse> ${link_bench_dir}/SonixUSB.DLL
  DEPENDS virtualmouse)
add_custom_target(link_bench_mouse DEPENDS ${link_bench_dir}/SonixUSB.DLL)
add_dependencies(link_bench link_bench_mouse)
