#!/usr/bin/env bash
# Cross-builds the setup runtime and the finaliser for Windows with Debian's
# mingw-w64: scripts/build-windows.sh [i686|x86_64] [extra targets...].
# i686 (the shipped 32-bit programs) builds into build-windows/, x86_64 into
# build-windows64/. The 32-bit programs are copied into build/windows/ when
# the Linux build exists, where `wizpak build --target=windows` looks for them.
set -euo pipefail
cd "$(dirname "$0")/.."
arch="${1:-i686}"
[ $# -gt 0 ] && shift
case "$arch" in
  i686) dir=build-windows ;;
  x86_64) dir=build-windows64 ;;
  *) echo "usage: $0 [i686|x86_64] [targets...]" >&2; exit 1 ;;
esac
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" -DWIZPAK_WERROR=ON "${launcher[@]}" >/dev/null
fi
cmake --build "$dir" -j "${WIZPAK_JOBS:-2}" --target wizpak-stub wizpak-finalise "$@"
if [ "$arch" = i686 ] && [ -d build ]; then
  mkdir -p build/windows
  cp "$dir/wizpak-stub.exe" "$dir/wizpak-finalise.exe" build/windows/
fi
