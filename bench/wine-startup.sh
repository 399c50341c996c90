#!/usr/bin/env bash
# Time from start to the wizard window of the demo setup built for Windows,
# run under Wine on a virtual display: for each given folder of Windows
# programs (wizpak-stub.exe and wizpak-finalise.exe), several runs taken in
# turn so the variants share the machine's load, the median time until the
# verification window and until the wizard window are shown. As the peer,
# Wine's own cost of starting a Windows program and ending it (cmd /c exit)
# in the same warm prefix; the wizard's time is also printed as a ratio to it.
#
# With --wm first, an openbox window manager runs on the display, as on a
# desktop (Wine waits for a window manager's word when a window is hidden).
#
# Usage: bench/wine-startup.sh [--wm] STUB_DIR [STUB_DIR...]
#   e.g. bench/wine-startup.sh /tmp/before build-windows   (before and after)
# Needs build/wizpak. WIZPAK_BENCH_RUNS (default 7) runs per variant.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
wm=
[ "${1:-}" = --wm ] && wm=--wm && shift
[ $# -gt 0 ] || { echo "usage: $0 STUB_DIR [STUB_DIR...]" >&2; exit 2; }
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash "$0" $wm "$@"
fi
cd "$src"
source scripts/wine-arch.sh
[ -z "$wine_arch_skip" ] || { echo "skipped: $wine_arch_skip"; exit 0; }
runs=${WIZPAK_BENCH_RUNS:-7}
work=$(mktemp -d /tmp/wizpak-wine-bench.XXXXXX)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
openbox_pid=
trap '"$wineserver" -k >/dev/null 2>&1 || true; [ -z "$openbox_pid" ] || kill "$openbox_pid"; rm -rf "$work"' EXIT
if [ -n "$wm" ]; then
  openbox --sm-disable >/dev/null 2>&1 &
  openbox_pid=$!
  until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do sleep 0.05; done
fi
"$wine" wineboot -i >/dev/null 2>&1 || true
# A warm prefix: the server stays up between runs, as on a desktop.
"$wineserver" -p >/dev/null 2>&1 || true

variants=()
for dir in "$@"; do
  dir=$(realpath "$dir")
  out="$work/v${#variants[@]}"
  mkdir -p "$out"
  "$src/build/wizpak" build "$src/examples/demo/setup.kys" --target=windows --stub-dir "$dir" \
    -o "$out/WizpakDemoSetup.exe" >/dev/null
  variants+=("$dir")
done

now() { date +%s%N; }
ms_since() { echo $((($(now) - $1) / 1000000)); }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
shown() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }

# One start of variant $1: "verify_ms wizard_ms" (verify_ms is - when the
# verification window came and went between two looks).
once() {
  local start pid verify=- out="$work/v$1"
  start=$(now)
  (cd "$out" && exec "$wine" WizpakDemoSetup.exe) >/dev/null 2>&1 &
  pid=$!
  until shown "^Wizpak Demo\$"; do
    kill -0 "$pid" 2>/dev/null || { echo "variant $1 ended without a window" >&2; exit 1; }
    [ "$verify" = - ] && shown "^Verifying Contents\$" && verify=$(ms_since "$start")
    sleep 0.02
  done
  echo "$verify $(ms_since "$start")"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

peer_once() {
  local start
  start=$(now)
  "$wine" cmd /c exit >/dev/null 2>&1
  ms_since "$start"
}

for _ in $(seq "$runs"); do
  peer_once >>"$work/peer"
  for i in "${!variants[@]}"; do once "$i" >>"$work/times$i"; done
done
peer=$(median <"$work/peer")
echo "Wine starting and ending cmd /c exit: ${peer} ms (median of $runs)"
for i in "${!variants[@]}"; do
  verify=$(awk '$1 != "-" {print $1}' "$work/times$i" | median)
  wizard=$(awk '{print $2}' "$work/times$i" | median)
  printf '%s: verification window %s ms, wizard window %s ms (%s x the peer), median of %s\n' \
    "${variants[$i]}" "${verify:--}" "$wizard" "$(awk -v a="$wizard" -v b="$peer" 'BEGIN {printf "%.1f", a / b}')" "$runs"
done
