# The FLTK front-end, linked statically so a setup needs no FLTK on the
# machine that runs it. The X libraries under it are opened only when the
# front-end is used (see below).
find_package(X11 REQUIRED)
find_package(Fontconfig REQUIRED)
find_library(WIZPAK_FLTK_LIB NAMES libfltk.a REQUIRED)
find_library(WIZPAK_XCURSOR_STATIC NAMES libXcursor.a)
find_library(WIZPAK_XINERAMA_STATIC NAMES libXinerama.a)
find_library(WIZPAK_XFIXES_STATIC NAMES libXfixes.a)
foreach(ext IN ITEMS XCURSOR:Xcursor XINERAMA:Xinerama XFIXES:Xfixes)
  string(REPLACE ":" ";" parts ${ext})
  list(GET parts 0 var)
  list(GET parts 1 target)
  if(WIZPAK_${var}_STATIC)
    set(WIZPAK_${var} ${WIZPAK_${var}_STATIC})
  else()
    set(WIZPAK_${var} X11::${target})
  endif()
endforeach()

wizpak_library(gui_fltk DIRS src/gui/fltk DEPS wizpak_gui wizpak_platform)
target_link_libraries(wizpak_gui_fltk PUBLIC ${WIZPAK_FLTK_LIB} Threads::Threads ${CMAKE_DL_LIBS} m)

# The X libraries. Test programs and sanitizer builds link them
# (wizpak_gui_fltk_linked). The shipped setup runtime must start on a
# machine without X, so there they are bound lazily: a generated table of
# trampolines, one per function FLTK and the front-end call, filled by
# dlopen/dlsym when the FLTK front-end is chosen (src/gui/fltk/xlib_lazy).
# Xcursor, Xinerama and Xfixes are then opened too rather than linked in:
# their static archives read data of libX11 (its lock pointers), which a
# trampoline cannot stand in for.
add_library(wizpak_gui_fltk_linked INTERFACE)
target_sources(wizpak_gui_fltk_linked INTERFACE
  ${CMAKE_SOURCE_DIR}/src/gui/fltk/xlib_linked/x_libraries.cc)
target_link_libraries(wizpak_gui_fltk_linked INTERFACE wizpak_gui_fltk X11::Xft
  ${WIZPAK_XCURSOR} ${WIZPAK_XINERAMA} ${WIZPAK_XFIXES} X11::Xrender X11::Xext X11::X11
  Fontconfig::Fontconfig)

set(WIZPAK_X_LAZY OFF)
if(WIZPAK_SHIP AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64|aarch64|arm64)$")
  set(WIZPAK_X_LAZY ON)
endif()
if(WIZPAK_X_LAZY)
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
    set(x_arch aarch64)
  else()
    set(x_arch x86_64)
  endif()
  set(x_table ${CMAKE_BINARY_DIR}/generated/x_lazy_table.cc)
  set(x_libraries)
  foreach(lib IN ITEMS Xft Xrender Xext Xcursor Xinerama Xfixes X11)
    get_target_property(location X11::${lib} IMPORTED_LOCATION)
    if(NOT location)
      set(location ${X11_${lib}_LIB})
    endif()
    list(APPEND x_libraries ${location})
  endforeach()
  list(APPEND x_libraries ${Fontconfig_LIBRARY})
  add_custom_command(OUTPUT ${x_table}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
    COMMAND bash ${CMAKE_SOURCE_DIR}/cmake/x-lazy-table.sh ${x_table} ${x_arch}
      $<TARGET_FILE:wizpak_gui_fltk> ${WIZPAK_FLTK_LIB} -- ${x_libraries}
    DEPENDS wizpak_gui_fltk $<TARGET_FILE:wizpak_gui_fltk> ${CMAKE_SOURCE_DIR}/cmake/x-lazy-table.sh
    COMMENT "Listing the X functions the FLTK front-end calls"
    VERBATIM)
  add_library(wizpak_gui_fltk_lazy INTERFACE)
  target_sources(wizpak_gui_fltk_lazy INTERFACE
    ${CMAKE_SOURCE_DIR}/src/gui/fltk/xlib_lazy/x_libraries.cc ${x_table})
  target_link_libraries(wizpak_gui_fltk_lazy INTERFACE wizpak_gui_fltk ${CMAKE_DL_LIBS})
  set(WIZPAK_GUI_FLTK_FOR_STUB wizpak_gui_fltk_lazy)
else()
  set(WIZPAK_GUI_FLTK_FOR_STUB wizpak_gui_fltk_linked)
endif()
if(TARGET wizpak-stub)
  target_link_libraries(wizpak-stub PRIVATE ${WIZPAK_GUI_FLTK_FOR_STUB})
endif()

# The walk through the real window (needs a display: scripts/test-gui.sh).
if(WIZPAK_TESTS)
  add_test(NAME gui_walk COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/gui-walk.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(gui_walk PROPERTIES LABELS gui SKIP_RETURN_CODE 77 TIMEOUT 900
    RESOURCE_LOCK display)
  # The same under a window manager (openbox), which owns the focus.
  add_test(NAME gui_walk_openbox
    COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/gui-walk.sh ${CMAKE_BINARY_DIR} --wm)
  set_tests_properties(gui_walk_openbox PROPERTIES LABELS gui SKIP_RETURN_CODE 77 TIMEOUT 900
    RESOURCE_LOCK display)
  # Cancel during a long extraction; reads the log the run left with the
  # setup's own reader.
  add_executable(install_log_dump ${CMAKE_SOURCE_DIR}/tests/gui_fltk/install_log_dump.cc)
  target_link_libraries(install_log_dump PRIVATE wizpak_uninstall)
  add_test(NAME gui_cancel COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/gui-cancel.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(gui_cancel PROPERTIES LABELS gui SKIP_RETURN_CODE 77 TIMEOUT 300
    RESOURCE_LOCK display)
  # Cancel while one 400 MB entry is copied: the question comes up at once.
  add_test(NAME gui_cancel_large
    COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/gui-cancel-large.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(gui_cancel_large PROPERTIES LABELS gui SKIP_RETURN_CODE 77 TIMEOUT 600
    RESOURCE_LOCK display)
endif()
