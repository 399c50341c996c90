#!/bin/sh
# Rebuilds the pictures of the shipped page sets (side.jpg of both sets and
# the setup icon) from make_pictures.cc. Needs a C++ compiler and libjpeg.
set -e
here=$(cd "$(dirname "$0")" && pwd)
tool=$(mktemp -d)
trap 'rm -rf "$tool"' EXIT
c++ -O2 -std=c++17 -o "$tool/make_pictures" "$here/make_pictures.cc" -ljpeg
"$tool/make_pictures" "$here"
