mv_add_test(mouselink_test VMOUSE SOURCES ${MV_TEST_DIR}/mouselink_test.cpp)

# No library beside this one; a working virtual mouse in a side folder (the
# current folder in one case), and one that lacks an ordinal.
mv_export_def(partial_def ${MV_TEST_DIR}/vmouse_partial.def)
add_library(vmouse_partial SHARED ${CMAKE_SOURCE_DIR}/tools/virtualmouse/VirtualMouse.cpp ${partial_def})
set_target_properties(vmouse_partial PROPERTIES PREFIX "" OUTPUT_NAME VmPartial)
target_include_directories(vmouse_partial PRIVATE ${CMAKE_SOURCE_DIR}/src)
mv_add_test(mouselink_nodll_test SOURCES ${MV_TEST_DIR}/mouselink_nodll_test.cpp)
# Copies that follow every rebuild of the two libraries.
set(nodll_dir ${CMAKE_BINARY_DIR}/tests/mouselink_nodll_test)
add_custom_command(OUTPUT ${nodll_dir}/elsewhere/SonixUSB.DLL ${nodll_dir}/partial/SonixUSB.DLL
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:virtualmouse> ${nodll_dir}/elsewhere/SonixUSB.DLL
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:vmouse_partial> ${nodll_dir}/partial/SonixUSB.DLL
  DEPENDS virtualmouse vmouse_partial)
add_custom_target(mouselink_nodll_libraries DEPENDS ${nodll_dir}/elsewhere/SonixUSB.DLL ${nodll_dir}/partial/SonixUSB.DLL)
add_dependencies(mouselink_nodll_test mouselink_nodll_libraries)
