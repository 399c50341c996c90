# Windows builds (mingw-w64 toolchain files cmake/mingw-*.cmake): the platform
# layer on the Windows API instead of the POSIX one, GUI-subsystem programs,
# and no author tool or fuzz targets (those run on the author's machine).

# The POSIX units of src/platform; the pure helpers beside them (code page,
# language ids, hive text) are shared by both layers.
set(platform_dirs src/platform src/platform/win32)
set(platform_exclude platform/files.cc platform/paths.cc platform/process.cc
    platform/registry.cc platform/safe_files.cc platform/shell.cc platform/desktop_files.cc
    platform/stop_signals.cc platform/system.cc platform/terminal.cc platform/journal_posix.cc)
set(platform_deps Threads::Threads advapi32 shell32 ole32 oleaut32 uuid user32)

# Windows 7 and later headers; W functions are called by name, so the A/W
# macros are not needed.
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)

# Pictures are decoded by the Windows toolkit backend, not libjpeg: the
# libraries that list JPEG::JPEG get an empty stand-in.
if(NOT TARGET JPEG::JPEG)
  add_library(JPEG::JPEG INTERFACE IMPORTED)
endif()

# wizpak_windows_programs(target...): GUI subsystem (no console window),
# keeping `main` as the entry point (mingw-w64 does for -mwindows), and
# stripped: every setup carries the runtime, debug information would make
# it ten times larger.
function(wizpak_windows_programs)
  foreach(program IN LISTS ARGN)
    if(TARGET ${program})
      target_link_options(${program} PRIVATE -mwindows -s)
    endif()
  endforeach()
endfunction()
