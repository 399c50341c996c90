#!/usr/bin/env bash
# Builds the project as a user would (Release) but with clang and warnings as
# errors, in build-clang/, so a warning that only one compiler or only the
# optimised build reports is caught here and not in a user's build. Running
# its tests is optional (WIZPAK_CLANG_CTEST=1): the plain and sanitizer trees
# already run them.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
CC=clang CXX=clang++ cmake -S . -B build-clang -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DWIZPAK_WERROR=ON "${launcher[@]}" >/dev/null
cmake --build build-clang -j "$jobs"
if [ "${WIZPAK_CLANG_CTEST:-0}" = 1 ]; then
  ctest --test-dir build-clang --output-on-failure -j "$jobs"
fi
echo "clang release build: ok"
