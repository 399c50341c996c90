#!/usr/bin/env bash
# Builds the ~200 MB payload of the package benchmark into a setup with
# `wizpak build` and compares the time with `tar -c | gzip -9` of the same
# payload. Goal: the build takes at most 0.8 times as long (two threads
# compress while one writes).
#   bench/build.sh [BUILD_DIR]     (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

bash bench/make_payload.sh "$work/payload" >/dev/null
payload_bytes=$(du -sb "$work/payload" | cut -f1)

cat >"$work/setup.kys" <<'KYS'
name "Build benchmark"
outfile bench.exe
installdir "$PROGRAMFILES\Build benchmark"
file payload
KYS

now() { date +%s.%N; }

start=$(now)
"$build/wizpak" build "$work/setup.kys" -o "$work/bench.exe" >/dev/null
build_seconds=$(echo "$(now) - $start" | bc)

start=$(now)
tar -c -C "$work" payload | gzip -9 >"$work/payload.tar.gz"
gzip_seconds=$(echo "$(now) - $start" | bc)

setup_bytes=$(stat -c %s "$work/bench.exe")
gzip_bytes=$(stat -c %s "$work/payload.tar.gz")
printf 'payload           %12d bytes\n' "$payload_bytes"
printf 'wizpak build      %8.2f s  %12d bytes\n' "$build_seconds" "$setup_bytes"
printf 'tar -c | gzip -9  %8.2f s  %12d bytes\n' "$gzip_seconds" "$gzip_bytes"
printf 'time ratio build / tar+gzip: %.2fx (goal at most 0.80x)\n' \
  "$(echo "$build_seconds / $gzip_seconds" | bc -l)"
