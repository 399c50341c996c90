# What makes a shipped program self-contained and small: the setup runtime
# and the finaliser are copied into every setup and every uninstaller, so
# they carry no debug information (it is kept aside in NAME.debug, found by
# debuggers through a debug link) and need nothing at run time beyond the C
# library (and the display libraries of a graphical toolkit).
#
# Sanitizer and fuzz builds keep everything dynamic and unstripped: the
# sanitizer runtimes need the shared C++ runtime and the debug information.

if(WIZPAK_SANITIZE OR WIZPAK_FUZZ)
  set(WIZPAK_SHIP OFF)
else()
  set(WIZPAK_SHIP ON)
endif()

# wizpak_static_dependency(IMPORTED_TARGET ARCHIVE...) points an imported
# library target (ZLIB::ZLIB, JPEG::JPEG, ...) at the first static archive
# found among the ARCHIVE names (libz.a ...), for every configuration, so
# every program linking it carries the library instead of needing it at run
# time. A missing archive leaves the shared library and says so; an absent
# target (an optional dependency not used by this build) is ignored.
function(wizpak_static_dependency target)
  if(NOT WIZPAK_SHIP OR NOT TARGET ${target})
    return()
  endif()
  string(MAKE_C_IDENTIFIER "WIZPAK_STATIC_${target}" variable)
  find_library(${variable} NAMES ${ARGN})
  if(NOT ${variable})
    message(WARNING "${target}: no static archive (${ARGN}); shipped programs need the shared library")
    return()
  endif()
  set_property(TARGET ${target} PROPERTY IMPORTED_LOCATION "${${variable}}")
  get_target_property(configurations ${target} IMPORTED_CONFIGURATIONS)
  if(configurations)
    foreach(config IN LISTS configurations)
      set_property(TARGET ${target} PROPERTY IMPORTED_LOCATION_${config} "${${variable}}")
    endforeach()
  endif()
endfunction()

include(CheckLinkerFlag)
if(WIZPAK_SHIP AND NOT WIN32)
  check_linker_flag(CXX "-Wl,-z,pack-relative-relocs" WIZPAK_LD_PACKS_RELOCATIONS)
endif()

# wizpak_ship(TARGET) links the program's C++ runtime statically and, after
# each link, moves its debug information to TARGET_FILE.debug and strips it.
function(wizpak_ship target)
  if(NOT WIZPAK_SHIP OR NOT TARGET ${target})
    return()
  endif()
  target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc -Wl,--gc-sections)
  # The relative relocations of a position-independent program packed into
  # a bitmap (DT_RELR) instead of 24 bytes each: some 120 KB less in every
  # setup and uninstaller. The C library reads them from 2.36 on, which the
  # programs need anyway.
  if(WIZPAK_LD_PACKS_RELOCATIONS)
    target_link_options(${target} PRIVATE -Wl,-z,pack-relative-relocs)
  endif()
  if(NOT CMAKE_OBJCOPY)
    message(WARNING "${target}: no objcopy; the program is shipped with its debug information")
    return()
  endif()
  set(file $<TARGET_FILE:${target}>)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug ${file} ${file}.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-all --remove-section=.gnu_debuglink ${file}
    COMMAND ${CMAKE_OBJCOPY} --add-gnu-debuglink=${file}.debug ${file}
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
    COMMENT "Stripping ${target} (debug information in $<TARGET_FILE_NAME:${target}>.debug)"
    VERBATIM)
endfunction()
