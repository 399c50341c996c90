#!/usr/bin/env bash
# Packs a deterministic ~200 MB payload (bench/make_payload.sh) with
# `wizpak pack`, checks it with `wizpak verify`, and times `tar -c | gzip -9`
# and `gzip -dc` of the same payload beside them. Prints MB/s (payload bytes
# per second, 1 MB = 10^6 bytes) and the ratios. Verify, which reads every
# stored byte, checks its CRC and inflates it, should reach at least 0.9x the
# throughput of `gzip -dc`; the script exits 1 when it does not.
# Usage: bench/package.sh [BUILD_DIR]   (default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
wizpak=$(realpath "$build/wizpak")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$here/make_payload.sh" "$work/payload"
payload=$(find "$work/payload" -type f -printf '%s\n' | awk '{s += $1} END {print s}')
files=$(find "$work/payload" -type f | wc -l)

now() { date +%s.%N; }
time_of() {  # runs "$@" (output discarded), prints the seconds it took
  local start end
  start=$(now)
  "$@" >/dev/null
  end=$(now)
  awk -v a="$start" -v b="$end" 'BEGIN {printf "%.3f", b - a}'
}

# Warm the page cache so every reader starts alike.
cat $(find "$work/payload" -type f) >/dev/null

t_pack=$(time_of "$wizpak" pack "$work/payload" -o "$work/payload.pak")
t_verify=$(time_of "$wizpak" verify "$work/payload.pak")
t_gzip=$(time_of sh -c "tar -c -C '$work/payload' . | gzip -9 > '$work/payload.tar.gz'")
t_gunzip=$(time_of sh -c "gzip -dc '$work/payload.tar.gz' > /dev/null")
pak_size=$(stat -c %s "$work/payload.pak")
gz_size=$(stat -c %s "$work/payload.tar.gz")

awk -v bytes="$payload" -v files="$files" -v tp="$t_pack" -v tv="$t_verify" -v tg="$t_gzip" \
    -v td="$t_gunzip" -v ps="$pak_size" -v gs="$gz_size" 'BEGIN {
  mb = bytes / 1e6
  printf "payload: %.1f MB in %d files\n", mb, files
  printf "%-22s %8.3f s %9.1f MB/s\n", "wizpak pack", tp, mb / tp
  printf "%-22s %8.3f s %9.1f MB/s\n", "tar -c | gzip -9", tg, mb / tg
  printf "%-22s %8.3f s %9.1f MB/s\n", "wizpak verify", tv, mb / tv
  printf "%-22s %8.3f s %9.1f MB/s\n", "gzip -dc", td, mb / td
  printf "pack speed / gzip -9 speed:    %.2fx\n", tg / tp
  printf "verify speed / gzip -dc speed: %.2fx (needs >= 0.90x)\n", td / tv
  printf "package size / payload:        %.3f\n", ps / bytes
  printf "tar.gz size / payload:         %.3f\n", gs / bytes
  if (td / tv < 0.9) { print "verify is slower than 0.9x gzip -dc"; exit 1 }
}'
