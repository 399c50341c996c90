# Helpers for the per-folder libraries, programs and test executables.

# wizpak_library(NAME DIRS dir... [EXCLUDE file...] DEPS target...)
# Builds every .cc directly in the listed folders into the static library
# wizpak_NAME. A folder with no sources yet gives an empty interface target.
#
# DEPS name only the libraries below this one; the graph has no cycles, so
# no library is linked twice. A source or header of the library may include
# only headers of its own folders and of the libraries it names (and theirs):
# any other include stops the configuration, naming the file.
function(wizpak_library name)
  cmake_parse_arguments(ARG "" "" "DIRS;EXCLUDE;DEPS" ${ARGN})
  set(sources "")
  set(headers "")
  set(tops "")
  foreach(dir IN LISTS ARG_DIRS)
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cc)
    list(APPEND sources ${found})
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.h)
    list(APPEND headers ${found})
    string(REGEX REPLACE "^src/([^/]+).*$" "\\1" top ${dir})
    list(APPEND tops ${top})
  endforeach()
  foreach(skip IN LISTS ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "/${skip}$")
  endforeach()
  foreach(dep IN LISTS ARG_DEPS)
    get_property(dep_tops GLOBAL PROPERTY wizpak_layers_${dep})
    list(APPEND tops ${dep_tops})
  endforeach()
  list(REMOVE_DUPLICATES tops)
  set_property(GLOBAL PROPERTY wizpak_layers_wizpak_${name} "${tops}")
  foreach(file IN LISTS sources headers)
    file(STRINGS ${file} includes REGEX "^#include \"[a-z0-9_]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"([a-z0-9_]+)/.*$" "\\1" top "${line}")
      if(NOT top IN_LIST tops)
        message(FATAL_ERROR "${file}: ${line}: wizpak_${name} does not name the library of "
                            "${top}/ (an include of a layer above, or a missing DEPS entry)")
      endif()
    endforeach()
  endforeach()
  if(sources)
    add_library(wizpak_${name} STATIC ${sources})
    target_include_directories(wizpak_${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(wizpak_${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(wizpak_${name} INTERFACE)
    target_include_directories(wizpak_${name} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(wizpak_${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# wizpak_program(NAME main.cc DEPS target...) builds a program when its main exists.
function(wizpak_program name main)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  if(EXISTS ${CMAKE_SOURCE_DIR}/${main})
    add_executable(${name} ${CMAKE_SOURCE_DIR}/${main})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  endif()
endfunction()
