# GoogleTest from Debian's source, built with the cross toolchain.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
target_compile_options(gtest PRIVATE -w)

# mv_add_test(<name> SOURCES ... [LIBS ...] [DISPLAY] [RESOURCES] [VMOUSE] [TIMEOUT s])
# One test program is one CTest entry. Each lives in its own folder under
# tests/ in the build tree, so per-test files (the virtual mouse's memory,
# logs, profiles) never collide when tests run side by side.
#   DISPLAY    opens windows: runs alone, needs the X display the test command provides
#   RESOURCES  links the program's resource script (dialogs, bitmaps, icon)
#   VMOUSE     puts the virtual mouse beside the program as SonixUSB.DLL
function(mv_add_test name)
  cmake_parse_arguments(T "DISPLAY;RESOURCES;VMOUSE" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  set(dir ${CMAKE_BINARY_DIR}/tests/${name})
  add_executable(${name} ${T_SOURCES} ${CMAKE_SOURCE_DIR}/tests/common/test_main.cpp)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/common)
  target_link_libraries(${name} PRIVATE gtest ${T_LIBS} mvcore)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${dir})
  if(T_RESOURCES)
    target_sources(${name} PRIVATE $<TARGET_OBJECTS:mvresources>)
  endif()
  if(T_VMOUSE)
    # A file-level rule, so a rebuilt virtual mouse is copied again even
    # when the test program itself is not relinked.
    add_custom_command(OUTPUT ${dir}/SonixUSB.DLL
      COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:virtualmouse> ${dir}/SonixUSB.DLL
      DEPENDS virtualmouse)
    add_custom_target(${name}_vmouse DEPENDS ${dir}/SonixUSB.DLL)
    add_dependencies(${name} ${name}_vmouse)
  endif()
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${dir})
  if(T_VMOUSE)
    # Uploads and reads hold one named lock per user, across programs: two
    # such tests at once would find the mouse busy.
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK mouse_device_lock)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_DISPLAY)
    set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE LABELS display)
  endif()
endfunction()
