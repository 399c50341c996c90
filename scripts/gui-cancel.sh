#!/usr/bin/env bash
# Cancel in the middle of the extraction, through the real FLTK window with
# xdotool: a demo setup carrying a few hundred files of random bytes is
# walked to its installation page, Cancel is clicked right behind Next, so
# the click waits until the run's first message pump while the gauge moves.
# Answered Yes: the setup ends cancelled (status 6), every file the install
# log names is there with its full bytes, nothing unlogged or temporary is
# left, and the uninstaller it leaves removes exactly that. Answered No: the
# installation goes on to its finish page. Screens go to
# BUILD/gui-screens/cancel-*.png. Needs a display (see scripts/test-gui.sh);
# without one it exits 77.
set -euo pipefail
build=$(realpath "${1:-build}")
src=$(cd "$(dirname "$0")/.." && pwd)
[ -n "${DISPLAY:-}" ] && xdotool getmouselocation >/dev/null 2>&1 || { echo "no display"; exit 77; }
shots="$build/gui-screens"
mkdir -p "$shots"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WIZPAK_DRIVES="C=$work/drive_c:fixed"
export WIZPAK_REGISTRY="$work/registry.reg"
export WIZPAK_NO_OPEN=1

fail() { echo "FAIL: $*"; exit 1; }
pause() { sleep "${1:-0.6}"; }
click() { xdotool mousemove --window "$win" "$1" "$2" click 1; pause; }
pixel() { convert "$1" -format "%[hex:p{$2,$3}]" info: | cut -c1-6; }
next=(452 396); cancel=(533 396)

# The demo with 600 files of 256 KiB that deflate cannot shrink.
blobs=600
cp -r "$src/examples/demo" "$work/src"
mkdir -p "$work/src/payload/data"
head -c $((blobs * 262144)) /dev/urandom | split -b 262144 -a 3 -d - "$work/src/payload/data/blob"
"$build/wizpak" build "$work/src/setup.kys" -o "$work/WizpakDemoSetup.exe" >/dev/null
folder="$work/drive_c/Program Files/Wizpak Demo"

# Waits up to 20 s for a shown window titled exactly $1 and prints its id.
wait_window() {
  local id
  for _ in $(seq 1 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -vx "${win:-none}" | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.2
  done
  return 1
}

# Starts the setup, walks to the ready page, then clicks Next and, queued
# right behind it, Cancel; waits for the close question and saves it as
# cancel-$1-question.png.
start_and_cancel() {
  rm -rf "$work/drive_c" "$WIZPAK_REGISTRY"
  mkdir -p "$work/drive_c"
  (cd "$work" && exec ./WizpakDemoSetup.exe) &
  pid=$!
  win=$(xdotool search --sync --name "Wizpak Demo" | head -1)
  # At the screen's top left the message box in the middle covers no gauge.
  xdotool windowmove "$win" 0 0
  pause 1
  click "${next[@]}"; click "${next[@]}"; click "${next[@]}"  # change log, folder, ready
  xdotool mousemove --window "$win" "${next[@]}" click 1 \
    mousemove --window "$win" "${cancel[@]}" click 1
  box=$(wait_window Quit) || fail "no close question after Cancel during the extraction"
  # The box opens centred on the wizard: moved aside, the gauge shows.
  xdotool windowmove "$box" 600 450
  pause 0.5
  local shot="$shots/cancel-$1-question.png"
  import -window root "$shot"
  # The gauge (184..562 by 152..176 on the page) is part-way: filled in blue
  # at its left end, still white at its right end.
  local left right status
  left=$(pixel "$shot" 188 164)
  right=$(pixel "$shot" 556 164)
  [ "$left" != "FFFFFF" ] && [ $((16#${left:4:2})) -gt $((16#${left:0:2})) ] ||
    fail "$1: the gauge shows no progress under the question ($left)"
  [ "$right" = "FFFFFF" ] || fail "$1: the gauge is full under the question ($right)"
  # The status line above the gauge shows the file being extracted.
  status=$(convert "$shot" -crop 378x16+184+130 -format '%[fx:minima]' info:)
  [ "$status" != "1" ] || fail "$1: no status text under the question"
}

echo "== Cancel during the extraction, answered Yes"
start_and_cancel yes
xdotool mousemove --window "$box" 20 20 key Return  # the default button: Yes
status=0
wait "$pid" || status=$?
[ "$status" -eq 6 ] || fail "the cancelled setup ended with status $status, not 6"
log="$folder/WizpakDemo_install.log"
[ -f "$log" ] || fail "no install log after the cancel"
"$build/install_log_dump" "$log" >"$work/log.txt" || fail "the install log cannot be read"
# Every logged file is whole: the bytes of its source in the demo.
logged=0
while IFS= read -r line; do
  case "$line" in file\ *) ;; *) continue ;; esac
  path=${line#file }
  rel=${path#\$INSTDIR\\}
  [ "$rel" != "$path" ] || fail "logged file outside the install folder: $path"
  rel=${rel//\\\\/\\}
  rel=${rel//\\//}
  host="$folder/$rel"
  [ -f "$host" ] || fail "logged file missing: $path"
  source="$work/src/payload/$rel"
  [ "$rel" = docs/manual.txt ] && source="$work/src/manual.txt"
  cmp -s "$host" "$source" || fail "logged file not whole: $path"
  echo "$rel" >>"$work/logged.txt"
  logged=$((logged + 1))
done <"$work/log.txt"
copied=$(grep -c '^data/blob' "$work/logged.txt" || true)
[ "$copied" -lt "$blobs" ] || fail "the extraction did not stop: all $blobs files copied"
# Nothing on disk that the log does not name, besides the log and the
# uninstaller; no temporary files.
(cd "$folder" && find . -type f ! -name WizpakDemo_install.log ! -name WizpakDemo_Uninstall.exe |
  sed 's|^\./||' | sort) >"$work/on-disk.txt"
sort "$work/logged.txt" | diff - "$work/on-disk.txt" >/dev/null ||
  fail "files on disk and in the log differ: $(sort "$work/logged.txt" | diff - "$work/on-disk.txt" | head -5)"
[ -z "$(find "$folder" -name '*.new' -o -name '*.tmp' -o -name '.*' ! -name .)" ] ||
  fail "temporary files left: $(find "$folder" -name '*.new' -o -name '*.tmp' -o -name '.*')"
grep -q 'Edition' "$WIZPAK_REGISTRY" 2>/dev/null && fail "the hive has values written after the cancel"
echo "cancelled after $copied of $blobs files; the log names $logged whole files"

# A file of the user's own in the install folder outlives the uninstaller.
echo "mine" >"$folder/notes.txt"
[ -x "$folder/WizpakDemo_Uninstall.exe" ] || fail "the cancelled run left no uninstaller"
"$folder/WizpakDemo_Uninstall.exe" --unattended >/dev/null || fail "the uninstaller failed"
for _ in $(seq 1 50); do [ -e "$folder/WizpakDemo_Uninstall.exe" ] || break; sleep 0.1; done
left=$(cd "$folder" && find . -mindepth 1 | sort | tr '\n' ' ')
[ "$left" = "./notes.txt " ] || fail "the uninstaller left or took the wrong things: $left"
echo "uninstalled exactly what was copied"

echo "== Cancel during the extraction, answered No"
start_and_cancel no
xdotool mousemove --window "$box" 20 20 key Escape  # Escape answers No
extras=$(wait_window "Wizpak Demo") || fail "the installation did not go on after No"
import -window root "$shots/cancel-no-extras-question.png"
xdotool mousemove --window "$extras" 20 20 key Return  # "Install the optional extras too?" -> OK
pause 1.5
import -window "$win" "$shots/cancel-no-finish.png"
click "${cancel[@]}"  # the finish page's close button
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "the setup answered No ended with status $status"
[ "$(find "$folder/data" -name 'blob*' | wc -l)" -eq "$blobs" ] || fail "not every file installed"
[ -f "$folder/docs/manual.txt" ] && [ -d "$folder/extras" ] || fail "the later lines did not run"
echo "gui cancel: ok"
