#!/usr/bin/env bash
# Installs what wizpak needs on a fresh Debian 12 machine (as root, only the
# packages that are missing), builds it into build/, and runs the main job:
# the bundled example is built into a setup and run unattended.
set -euo pipefail
cd "$(dirname "$0")/.."

# Build and test tools; the libraries the setup links statically (zlib, libjpeg,
# libdeflate, libpng, FLTK and the X11 family it needs); Xvfb, xdotool, openbox
# and xprop for the window tests; tmux for the terminal wizard's test;
# desktop-file-utils to check the menu entries a setup makes; mingw-w64 and
# Wine for the Windows programs.
packages=(g++ cmake ninja-build pkg-config file binutils zlib1g-dev libjpeg62-turbo-dev libgtest-dev
          libgmock-dev googletest clang libclang-rt-14-dev clang-format locales libdeflate-dev
          libpng-dev libfltk1.3-dev libxft-dev libxext-dev libxfixes-dev libxrender-dev
          libfontconfig-dev libxcursor-dev libxinerama-dev xvfb xauth xdotool openbox x11-utils tmux
          fonts-dejavu-core fonts-liberation imagemagick desktop-file-utils mingw-w64
          libz-mingw-w64-dev wine wine64 ccache)
# 32-bit Wine needs the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
packages+=(wine32:i386)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi

# A German locale, so the tests can show that number formatting ignores it.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi

# shellcheck source=scripts/compiler-cache.sh
source scripts/compiler-cache.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
# The Windows setup runtime, for `wizpak build --target=windows`.
bash scripts/build-windows.sh

bash scripts/main-job.sh build
