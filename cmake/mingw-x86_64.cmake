# Toolchain for 64-bit Windows builds of the same sources (x86_64-w64-mingw32),
# used to run the tests under wine64 where 32-bit Wine cannot start.
set(WIZPAK_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
