# The FLTK front-end, linked statically so a setup needs no FLTK on the
# machine that runs it. Besides FLTK, the X extensions FLTK uses that not
# every desktop has (Xcursor, Xinerama, Xfixes) are linked statically too;
# at run time only X11, Xext, Xft, Xrender and fontconfig are needed.
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
target_link_libraries(wizpak_gui_fltk PUBLIC ${WIZPAK_FLTK_LIB} X11::Xft ${WIZPAK_XCURSOR}
  ${WIZPAK_XINERAMA} ${WIZPAK_XFIXES} X11::Xrender X11::Xext X11::X11 Fontconfig::Fontconfig
  Threads::Threads ${CMAKE_DL_LIBS} m)
if(TARGET wizpak-stub)
  target_link_libraries(wizpak-stub PRIVATE wizpak_gui_fltk)
endif()

# The walk through the real window (needs a display: scripts/test-gui.sh).
if(WIZPAK_TESTS)
  add_test(NAME gui_walk COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/gui-walk.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(gui_walk PROPERTIES LABELS gui SKIP_RETURN_CODE 77 TIMEOUT 300
    RESOURCE_LOCK display)
  # The same under a window manager (openbox), which owns the focus.
  add_test(NAME gui_walk_openbox
    COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/gui-walk.sh ${CMAKE_BINARY_DIR} --wm)
  set_tests_properties(gui_walk_openbox PROPERTIES LABELS gui SKIP_RETURN_CODE 77 TIMEOUT 300
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
