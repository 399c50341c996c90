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
