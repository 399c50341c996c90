#!/usr/bin/env bash
# One side-by-side run on tmpfs (/dev/shm): wizpak against the plain tools
# on the same data, each measured in this run.
#   install (start-up verification included) vs tar -xzf   ~200 MB payload
#   the same install again over it              vs tar -xzf over it
#   uninstall                                   vs rm -rf
#   build                                       vs tar -c | gzip -9
#   verify                                      vs gzip -dc
#   install of 20,000 small files               vs tar -xzf
#   setup overhead in bytes, the stub's ldd, peak RSS installing one 1 GB file
# Goals: install <= 0.8x tar, small files <= 2x, uninstall <= 3x rm -rf,
# overhead <= 1 MB (without FLTK), peak RSS < 100 MiB. Not part of the tests.
# Usage: bench/run.sh [BUILD_DIR]   (default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "${1:-build}")
wizpak="$build/wizpak"
stub="$build/wizpak-stub"
work=$(mktemp -d /dev/shm/wizpak-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
export WIZPAK_NO_OPEN=1 WIZPAK_LANGID=0409
unset DISPLAY WIZPAK_TRANSCRIPT WIZPAK_ANSWERS

now() { date +%s.%N; }
time_of() {  # runs "$@" quietly, prints the seconds it took; fails with it
  local start end
  start=$(now)
  "$@" >/dev/null 2>"$work/last.err" || { cat "$work/last.err" >&2; return 1; }
  end=$(now)
  awk -v a="$start" -v b="$end" 'BEGIN {printf "%.3f", b - a}'
}
row() {  # name wizpak_seconds peer_name peer_seconds
  awk -v n="$1" -v a="$2" -v p="$3" -v b="$4" \
    'BEGIN {printf "%-26s %7.3f s   %-16s %7.3f s   ratio %.2fx\n", n, a, p, b, a / b}'
}

# A setup script that installs everything below SOURCE into C:\Bench.
write_script() {  # dir source
  cat >"$1/bench.kys" <<KYS
name "Bench"
outfile bench.exe
installdir "C:\\Bench"
prefix Bench
pages default
uninstallpages uninstall
language install\\english
uninstalllanguage uninstall\\english
file "$2"
KYS
}

# A private machine for one install: drive C and a registry hive.
machine() {  # dir
  mkdir -p "$1/c"
  export WIZPAK_DRIVES="C=$1/c" WIZPAK_REGISTRY="$1/registry.reg"
}

echo "making the payload ..."
"$here/make_payload.sh" "$work/payload"
mb=$(find "$work/payload" -type f -printf '%s\n' | awk '{s += $1} END {printf "%.1f", s / 1e6}')
files=$(find "$work/payload" -type f | wc -l)
cat $(find "$work/payload" -type f) >/dev/null
echo "payload: $mb MB in $files files"
echo

# ---- build, verify ------------------------------------------------------------
write_script "$work" "$work/payload"
t_build=$(time_of "$wizpak" build "$work/bench.kys" -o "$work/bench.exe")
t_targz=$(time_of sh -c "tar -c -C '$work/payload' . | gzip -9 > '$work/payload.tar.gz'")
t_verify=$(time_of "$wizpak" verify "$work/bench.exe")
t_gunzip=$(time_of sh -c "gzip -dc '$work/payload.tar.gz' > /dev/null")

# ---- install, uninstall -----------------------------------------------------------
machine "$work/m1"
t_install=$(time_of "$work/bench.exe" --ui=headless --unattended)
[ -f "$work/m1/c/Bench/Bench_install.log" ] || { echo "install left no log" >&2; exit 1; }
mkdir -p "$work/tar1"
t_untar=$(time_of tar -xzf "$work/payload.tar.gz" -C "$work/tar1")
# The same setup again over the installed files: every file is replaced
# (with rollback on, each old file is moved aside and removed at the end).
t_reinstall=$(time_of "$work/bench.exe" --ui=headless --unattended)
t_untar_again=$(time_of tar -xzf "$work/payload.tar.gz" -C "$work/tar1")
t_uninstall=$(time_of "$work/m1/c/Bench/Bench_Uninstall.exe" --ui=headless --unattended)
[ ! -e "$work/m1/c/Bench/Bench_install.log" ] || { echo "uninstall left the log" >&2; exit 1; }
t_rm=$(time_of rm -rf "$work/tar1")
rm -rf "$work/m1" "$work/payload"

row "build" "$t_build" "tar -c | gzip -9" "$t_targz"
row "verify" "$t_verify" "gzip -dc" "$t_gunzip"
row "install (with verification)" "$t_install" "tar -xzf" "$t_untar"
row "reinstall over it" "$t_reinstall" "tar -xzf over it" "$t_untar_again"
row "uninstall" "$t_uninstall" "rm -rf" "$t_rm"

# ---- 20,000 small files --------------------------------------------------------
python3 - "$work/small" <<'PY'
import os, random, sys
rng = random.Random(7)
root = sys.argv[1]
for i in range(20000):
    folder = os.path.join(root, "d%02d" % (i % 40), "e%02d" % (i % 7))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "f%05d.txt" % i), "wb") as f:
        f.write((b"line %d of file %d\r\n" % (rng.randint(0, 999), i)) * rng.randint(1, 40))
PY
write_script "$work" "$work/small"
mkdir -p "$work/s"  # a setup must keep the name its outfile line gives
"$wizpak" build "$work/bench.kys" -o "$work/s/bench.exe" >/dev/null
tar -c -C "$work/small" . | gzip -9 >"$work/small.tar.gz"
rm -rf "$work/small"
machine "$work/m2"
t_small=$(time_of "$work/s/bench.exe" --ui=headless --unattended)
mkdir -p "$work/tar2"
t_small_tar=$(time_of tar -xzf "$work/small.tar.gz" -C "$work/tar2")
row "install 20,000 small files" "$t_small" "tar -xzf" "$t_small_tar"
rm -rf "$work/m2" "$work/tar2" "$work/s" "$work/small.tar.gz"

# ---- overhead, ldd ----------------------------------------------------------------
mkdir -p "$work/one"
: >"$work/one/empty.txt"
write_script "$work" "$work/one"
"$wizpak" build "$work/bench.kys" -o "$work/one.exe" >/dev/null
echo
echo "setup overhead (a setup of one empty file): $(stat -c %s "$work/one.exe") bytes" \
  "(stub $(stat -c %s "$stub") bytes)"
echo "ldd $stub:"
ldd "$stub" | sed 's/^/  /'

# ---- peak RSS with one 1 GB file ------------------------------------------------------
rm -rf "$work/one"
mkdir -p "$work/big"
head -c $((1000 * 1000 * 1000)) /dev/urandom >"$work/big/big.bin"
write_script "$work" "$work/big"
mkdir -p "$work/b"
"$wizpak" build "$work/bench.kys" -o "$work/b/bench.exe" >/dev/null
rm -rf "$work/big"
machine "$work/m3"
/usr/bin/time -v -o "$work/time.txt" "$work/b/bench.exe" --ui=headless --unattended >/dev/null
rss=$(awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}' "$work/time.txt")
wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {n = split($2, t, ":"); s = 0;
  for (i = 1; i <= n; i++) s = s * 60 + t[i]; print s}' "$work/time.txt")
awk -v r="$rss" -v w="$wall" 'BEGIN {printf "install of one 1 GB file: %.2f s, peak RSS %.1f MiB\n", w, r / 1024}'
