# Shared part of the mingw-w64 toolchain files: Debian's cross compilers with
# posix threads, static programs (libstdc++, libgcc and winpthread inside, so
# only system DLLs are needed), and the cross root for zlib.
# The including file sets WIZPAK_MINGW_TRIPLE and CMAKE_SYSTEM_PROCESSOR.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${WIZPAK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${WIZPAK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${WIZPAK_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${WIZPAK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The static zlib, not the import library of zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
