# The follower against two real programs' windows and the virtual mouse.
mv_add_test(profilefollower_test DISPLAY VMOUSE SOURCES ${MV_TEST_DIR}/profilefollower_test.cpp LIBS mvui)
foreach(program alpha beta)
  add_executable(front_${program} WIN32 ${MV_TEST_DIR}/frontwindow.cpp)
  set_target_properties(front_${program} PROPERTIES OUTPUT_NAME ${program}
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/profilefollower_test)
  target_link_options(front_${program} PRIVATE -municode)
  add_dependencies(profilefollower_test front_${program})
endforeach()
