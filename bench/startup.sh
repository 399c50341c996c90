#!/usr/bin/env bash
# Start-up verification of a 1 GiB package of 1 MiB entries: peak resident
# memory (must stay under 64 MiB) and throughput next to `gzip -dc` of the
# same bytes. The package is generated in a temporary folder and removed.
#
# Usage: bench/startup.sh [BUILD_DIR]   (default: build)
set -euo pipefail

build=${1:-build}
stub="$build/wizpak-stub"
tool="$build/wizpak"
for program in "$stub" "$tool"; do
  [[ -x $program ]] || { echo "startup.sh: $program not built" >&2; exit 1; }
done
[[ -x /usr/bin/time ]] || { echo "startup.sh: needs /usr/bin/time (GNU time)" >&2; exit 1; }

entries=${WIZPAK_BENCH_ENTRIES:-1024}   # 1 MiB each
limit_kib=$((64 * 1024))

work=$(mktemp -d "${TMPDIR:-/tmp}/wizpak-startup-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

echo "generating $entries entries of 1 MiB (text-like, compressible) ..."
mkdir -p "$work/payload/data"
# Three quarters random bytes as base64 text: 1 MiB per file that deflates to
# about 77 %, so every entry is inflated during verification.
for ((i = 0; i < entries; i++)); do
  head -c 786432 /dev/urandom | base64 -w 0 >"$work/payload/data/$(printf 'file%05d.txt' "$i")"
done

echo "packing ..."
"$tool" pack "$work/payload" -o "$work/setup.pak" >/dev/null
cat "$work"/payload/data/* | gzip -6 >"$work/payload.gz"
rm -rf "$work/payload"
pak_bytes=$(stat -c %s "$work/setup.pak")
raw_bytes=$((entries * 1048576))

# The package has no setup record, so start-up ends right after verifying it
# ("Setup Information Missing"); the 500 ms minimum display is included.
echo "verifying at start-up ..."
export WIZPAK_NO_OPEN=1 WIZPAK_TRANSCRIPT="$work/transcript"
/usr/bin/time -v -o "$work/time.txt" "$stub" --ui=headless "$work/setup.pak" || true
grep -q 'Setup Information Missing' "$work/transcript" ||
  { echo "startup.sh: start-up did not finish verification:" >&2; cat "$work/transcript" >&2; exit 1; }
rss_kib=$(awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}' "$work/time.txt")
stub_s=$(awk -F': ' '/Elapsed \(wall clock\)/ {n = split($2, t, ":"); s = 0;
  for (i = 1; i <= n; i++) s = s * 60 + t[i]; print s}' "$work/time.txt")

start=$(date +%s.%N)
gzip -dc "$work/payload.gz" >/dev/null
end=$(date +%s.%N)
gzip_s=$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')

awk -v raw="$raw_bytes" -v pak="$pak_bytes" -v ss="$stub_s" -v gs="$gzip_s" -v rss="$rss_kib" \
  -v limit="$limit_kib" 'BEGIN {
  mib = raw / 1048576
  printf "package            : %d entries, %.0f MiB raw, %.0f MiB stored\n", raw / 1048576, mib, pak / 1048576
  printf "start-up verify    : %.2f s, %.1f MiB/s (incl. 500 ms display minimum)\n", ss, mib / ss
  printf "gzip -dc           : %.2f s, %.1f MiB/s\n", gs, mib / gs
  printf "ratio verify/gzip  : %.2f\n", gs / ss
  printf "peak resident      : %.1f MiB (limit %.0f MiB)\n", rss / 1024, limit / 1024
  exit (rss > limit) ? 1 : 0
}' || status=$?

# Peak memory with one large entry (64 MiB, below the 70 MiB limit for
# entries that are read whole): about twice the entry plus a fixed overhead.
echo "verifying one 64 MiB entry ..."
rm -f "$work/setup.pak" "$work/payload.gz"
mkdir -p "$work/big/data"
head -c $((48 * 1048576)) /dev/urandom | base64 -w 0 >"$work/big/data/big.txt"
"$tool" pack "$work/big" -o "$work/big.pak" >/dev/null
rm -rf "$work/big"
/usr/bin/time -v -o "$work/time-big.txt" "$stub" --ui=headless "$work/big.pak" || true
big_kib=$(awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}' "$work/time-big.txt")
awk -v rss="$big_kib" 'BEGIN {
  bound = (2 * 64 + 16) * 1024
  printf "one 64 MiB entry   : peak resident %.1f MiB (bound 2 x 64 + 16 = 144 MiB)\n", rss / 1024
  exit (rss > bound) ? 1 : 0
}' || status=$?
exit "${status:-0}"
