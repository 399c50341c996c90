#!/usr/bin/env bash
# Cancel in the middle of the extraction, through the real FLTK window with
# xdotool: a demo setup carrying a few hundred files of random bytes is
# walked to its installation page; the extraction is held at a file half-way
# (the WIZPAK_TEST_HOLD seam) and Cancel is clicked while it waits, so the
# run is surely extracting whatever the machine's speed. Answered Yes: the
# setup ends cancelled (status 6) and rolled back: the drive and the hive are
# as before the run, and standard error says so. Answered No: the
# installation goes on to its finish page. Every step waits for what the
# setup reports (its transcript's PAGE lines, a window, the hold's marker
# file), never for a time. Screens go to BUILD/gui-screens/cancel-*.png.
# Needs a display (see scripts/test-gui.sh); without one it exits 77.
set -euo pipefail
build=$(realpath "${1:-build}")
src=$(cd "$(dirname "$0")/.." && pwd)
source "$src/scripts/lib/gui.sh"
private_machine

pages_shown() { grep -c '^PAGE' "$transcript" 2>/dev/null || true; }
at_least_pages() { [ "$(pages_shown)" -ge "$1" ]; }
# Clicks at window position X Y, then waits until the setup has shown page
# number $3 (counting every page shown since the start).
click_to_page() {
  xdotool mousemove --window "$win" "$1" "$2" click 1
  wait_until "page $3 after a click at $1,$2" at_least_pages "$3"
}
next=(452 396); cancel=(533 396)

# The demo with 600 files of 256 KiB that deflate cannot shrink.
blobs=600
cp -r "$src/examples/demo" "$work/src"
mkdir -p "$work/src/payload/data"
head -c $((blobs * 262144)) /dev/urandom | split -b 262144 -a 3 -d - "$work/src/payload/data/blob"
"$build/wizpak" build "$work/src/setup.kys" -o "$work/WizpakDemoSetup.exe" >/dev/null
folder="$work/drive_c/Program Files/Wizpak Demo"

# Waits for a shown window titled exactly $1 (other than the wizard) and
# prints its id.
find_window() {
  xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -vx "${win:-none}" | head -1 |
    grep .
}
find_wizard() {
  xdotool search --onlyvisible --name "Wizpak Demo" 2>/dev/null | head -1 | grep .
}
wait_window() {
  wait_until "a window titled $1" find_window "$1"
  find_window "$1"
}
at_top_left() { xdotool getwindowgeometry "$win" | grep -q 'Position: 0,0'; }

# Starts the setup with the extraction held at the 300th of the files,
# walks to the ready page, clicks Next, waits until the extraction is held,
# clicks Cancel, waits for the close question and saves it as
# cancel-$1-question.png.
start_and_cancel() {
  rm -rf "$work/drive_c" "$WIZPAK_REGISTRY" "$release" "$release.held" "$transcript"
  mkdir -p "$work/drive_c"
  (cd "$work" && WIZPAK_TEST_HOLD="data\\blob300:$release" WIZPAK_TRANSCRIPT="$transcript" \
    exec ./WizpakDemoSetup.exe 2>"$work/stderr.txt") &
  pid=$!
  # Polled rather than "search --sync": a search that meets the verification
  # window as it is destroyed ends in an X error.
  win=""
  wait_until "the wizard window" find_wizard
  win=$(find_wizard)
  # At the screen's top left the message box in the middle covers no gauge.
  xdotool windowmove "$win" 0 0
  wait_until "the wizard at the top left" at_top_left
  wait_until "the welcome page" at_least_pages 1
  click_to_page "${next[@]}" 2  # change log
  click_to_page "${next[@]}" 3  # folder
  click_to_page "${next[@]}" 4  # ready
  xdotool mousemove --window "$win" "${next[@]}" click 1
  wait_until "the extraction to reach the held file" test -e "$release.held"
  xdotool mousemove --window "$win" "${cancel[@]}" click 1
  box=$(wait_window Quit) || fail "no close question after Cancel during the extraction"
  # The box opens centred on the wizard: moved aside, the gauge shows.
  xdotool windowmove "$box" 600 450
  box_aside() { xdotool getwindowgeometry "$box" | grep -q 'Position: 600,450'; }
  wait_until "the close question moved aside" box_aside
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
release="$work/release"
transcript="$work/transcript.txt"

echo "== Cancel during the extraction, answered Yes"
start_and_cancel yes
xdotool mousemove --window "$box" 20 20 key Return  # the default button: Yes
touch "$release"
status=0
wait "$pid" || status=$?
[ "$status" -eq 6 ] || fail "the cancelled setup ended with status $status, not 6"
# Everything the run did was undone: the drive and the hive are as they were
# before it (an empty drive, no hive), and the setup said so.
left=$(cd "$work/drive_c" && find . -mindepth 1 | head -5 | tr '\n' ' ')
[ -z "$left" ] || fail "the cancelled run left: $left"
[ ! -e "$WIZPAK_REGISTRY" ] || fail "the cancelled run left a hive"
grep -q "rolled back" "$work/stderr.txt" || fail "the setup did not say it rolled back: $(cat "$work/stderr.txt")"
echo "cancelled and rolled back: nothing left"

echo "== Cancel during the extraction, answered No"
start_and_cancel no
xdotool mousemove --window "$box" 20 20 key Escape  # Escape answers No
touch "$release"
extras=$(wait_window "Wizpak Demo") || fail "the installation did not go on after No"
import -window root "$shots/cancel-no-extras-question.png"
xdotool mousemove --window "$extras" 20 20 key Return  # "Install the optional extras too?" -> OK
finish_shown() { grep -q '^PAGE .*type=finish' "$transcript"; }
wait_until "the finish page" finish_shown
import -window "$win" "$shots/cancel-no-finish.png"
xdotool mousemove --window "$win" "${cancel[@]}" click 1  # the finish page's close button
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "the setup answered No ended with status $status"
[ "$(find "$folder/data" -name 'blob*' | wc -l)" -eq "$blobs" ] || fail "not every file installed"
[ -f "$folder/docs/manual.txt" ] && [ -d "$folder/extras" ] || fail "the later lines did not run"
echo "gui cancel: ok"
