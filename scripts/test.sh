#!/usr/bin/env bash
# Runs every test: the suite in build/, the graphical tests on a virtual
# display (scripts/test-gui.sh), the suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan/ (unit tests, end-to-end tests and
# the fuzz-target replays), a Release build with clang (scripts/test-clang.sh),
# the formatting check, and the Windows build under Wine
# (scripts/test-windows.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
# shellcheck source=scripts/compiler-cache.sh
source scripts/compiler-cache.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure -j "$jobs"
bash scripts/test-gui.sh build

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DWIZPAK_SANITIZE=ON -DWIZPAK_WERROR=ON >/dev/null
cmake --build build-asan
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

bash scripts/test-clang.sh

files=$(git ls-files '*.cc' '*.h')
if [ -n "$files" ]; then
  # shellcheck disable=SC2086
  clang-format --dry-run --Werror $files
  echo "formatting: ok"
fi

# The Windows build under Wine (cross build, platform tests, the demo end to end).
bash scripts/test-windows.sh
