# mv_delay_load(<target> <DLL>...): the target loads each DLL at its first
# call instead of at start, through a delay-import library made from
# cmake/delayload/<DLL>.def. The libraries follow the target's own on the
# link line, so that they, not the system's import libraries, answer its
# calls. A function missing from a .def file is imported at start again.
# Only functions without floating-point arguments: the x86_64 thunks keep
# rcx, rdx, r8 and r9, not xmm0 to xmm3.
include(${CMAKE_CURRENT_LIST_DIR}/ExportDef.cmake)
function(mv_delay_load target)
  set(libs)
  foreach(dll ${ARGN})
    mv_export_def(def ${CMAKE_SOURCE_DIR}/cmake/delayload/${dll}.def)
    set(lib ${CMAKE_CURRENT_BINARY_DIR}/lib${dll}-delay.a)
    set(kill_at)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      set(kill_at --kill-at)
    endif()
    add_custom_command(OUTPUT ${lib}
      COMMAND ${CMAKE_DLLTOOL} ${kill_at} --input-def ${def} --output-delaylib ${lib}
      WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} DEPENDS ${def} VERBATIM)
    list(APPEND libs ${lib})
  endforeach()
  add_custom_target(${target}_delayload DEPENDS ${libs})
  add_dependencies(${target} ${target}_delayload)
  target_link_libraries(${target} PRIVATE ${libs})
endfunction()
