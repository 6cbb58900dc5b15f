# The follower against two real programs' windows and the virtual mouse.
mv_add_test(profiles_ui_test DISPLAY VMOUSE RESOURCES
  SOURCES ${MV_TEST_DIR}/profilefollower_test.cpp ${MV_TEST_DIR}/profilespage_test.cpp LIBS mvui TIMEOUT 120)
add_custom_command(TARGET profiles_ui_test POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/src/i18n/AppCfg.ini ${CMAKE_BINARY_DIR}/tests/profiles_ui_test/AppCfg.ini)
foreach(program alpha beta)
  add_executable(front_${program} WIN32 ${MV_TEST_DIR}/frontwindow.cpp)
  set_target_properties(front_${program} PROPERTIES OUTPUT_NAME ${program}
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/profiles_ui_test)
  target_link_options(front_${program} PRIVATE -municode)
  add_dependencies(profiles_ui_test front_${program})
endforeach()

# Keeping or undoing a risky apply, through the buttons page and the virtual mouse.
mv_add_test(keepapply_test DISPLAY RESOURCES VMOUSE SOURCES ${MV_TEST_DIR}/keepapply_test.cpp LIBS mvui TIMEOUT 120)
target_include_directories(keepapply_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/link ${CMAKE_SOURCE_DIR}/tests/ui)
add_custom_command(TARGET keepapply_test POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/src/i18n/AppCfg.ini ${CMAKE_BINARY_DIR}/tests/keepapply_test/AppCfg.ini)
