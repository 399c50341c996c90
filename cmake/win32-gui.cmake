# The native Win32 front-end (src/gui/win32) for Windows builds: its sources
# join the gui library, the system DLLs it calls are linked, and the setup
# runtime gets the manifest resource (common controls 6, DPI awareness).
file(GLOB win32_gui_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/gui/win32/*.cc)
target_sources(wizpak_gui PRIVATE ${win32_gui_sources})
target_link_libraries(wizpak_gui PUBLIC comctl32 gdiplus ole32 gdi32 user32)
if(TARGET wizpak-stub)
  enable_language(RC)
  target_sources(wizpak-stub PRIVATE ${CMAKE_SOURCE_DIR}/src/gui/win32/wizpak.rc)
endif()

# The front-end's own tests (run under Wine by scripts/test-windows-gui.sh).
if(WIZPAK_TESTS)
  file(GLOB win32_gui_tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/gui_win32/*.cc)
  add_executable(test_gui_win32 ${win32_gui_tests})
  target_link_libraries(test_gui_win32 PRIVATE wizpak_gui wizpak_test_support gtest_main)
endif()
