# mv_export_def(<out-var> <def-file>): the .def names the stdcall exports
# with their i686 decoration (Name@bytes); x86_64 has no decoration, so
# there the names are written without it into the build folder.
function(mv_export_def out def)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    get_filename_component(name ${def} NAME)
    file(READ ${def} text)
    string(REGEX REPLACE "([A-Za-z_][A-Za-z0-9_]*)@[0-9]+" "\\1" text "${text}")
    set(result ${CMAKE_CURRENT_BINARY_DIR}/${name})
    file(CONFIGURE OUTPUT ${result} CONTENT "${text}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
  else()
    set(result ${def})
  endif()
  set(${out} ${result} PARENT_SCOPE)
endfunction()
