# The pages hosted in a plain window, over the virtual mouse.
mv_add_test(buttonspage_test DISPLAY RESOURCES VMOUSE SOURCES ${MV_TEST_DIR}/buttonspage_test.cpp LIBS mvui
  TIMEOUT 120)
target_include_directories(buttonspage_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/link)
mv_add_test(performancepage_test DISPLAY RESOURCES VMOUSE SOURCES ${MV_TEST_DIR}/performancepage_test.cpp LIBS mvui
  TIMEOUT 120)
target_include_directories(performancepage_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/link)
# Every text of the three pages measured in its control's font.
mv_add_test(textfit_test DISPLAY RESOURCES SOURCES ${MV_TEST_DIR}/textfit_test.cpp LIBS mvui TIMEOUT 300)
foreach(t buttonspage_test performancepage_test textfit_test)
  add_custom_command(TARGET ${t} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/src/i18n/AppCfg.ini ${CMAKE_BINARY_DIR}/tests/${t}/AppCfg.ini)
endforeach()
