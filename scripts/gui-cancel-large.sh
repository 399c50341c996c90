#!/usr/bin/env bash
# Cancel while one large entry (400 MB) is being copied, through the real
# FLTK window: the setup is walked to its installation page by Enter, and
# once the status line names the large file, Cancel is clicked. The close
# question must come up while the file is still being copied (the window
# handles its events between the pieces of a large entry); how long it took
# is printed, not bounded. Yes ends the run cancelled (status 6) without the
# half-copied file. Needs a display (see scripts/test-gui.sh); without one it
# exits 77.
set -euo pipefail
build=$(realpath "${1:-build}")
src=$(cd "$(dirname "$0")/.." && pwd)
source "$src/scripts/lib/gui.sh"
private_machine
export WIZPAK_TRANSCRIPT="$work/transcript.txt"
on_fail() { [ -f "$WIZPAK_TRANSCRIPT" ] && tail -5 "$WIZPAK_TRANSCRIPT"; }
copying_large() { grep -q '^STATUS text=".*big\.bin - ' "$WIZPAK_TRANSCRIPT" 2>/dev/null; }
question_up() { xdotool search --onlyvisible --name '^Quit$' >/dev/null 2>&1; }
key() { xdotool mousemove --window "$win" 300 200 key "$1"; }

# The demo with one 400 MB file (large entries are stored as they are).
cp -r "$src/examples/demo" "$work/src"
head -c 400000000 /dev/zero >"$work/src/payload/big.bin"
"$build/wizpak" build "$work/src/setup.kys" -o "$work/WizpakDemoSetup.exe" >/dev/null
rm "$work/src/payload/big.bin"
folder="$work/drive_c/Program Files/Wizpak Demo"

(cd "$work" && exec ./WizpakDemoSetup.exe) &
pid=$!
# Polled with the setup's life checked: a setup that ends before its window
# shows is reported instead of waited for.
wizard_shown() {
  kill -0 "$pid" 2>/dev/null || fail "the setup ended before its window showed"
  xdotool search --onlyvisible --name '^Wizpak Demo$' 2>/dev/null | head -1 | grep -q .
}
wait_for wizard_shown
win=$(xdotool search --onlyvisible --name '^Wizpak Demo$' | head -1)
xdotool windowmove "$win" 0 0
wait_for on_page 0 welcome
key Return; wait_for on_page 1 changelog
key Return; wait_for on_page 2 installdir
key Return; wait_for on_page 3 patch
key Return; wait_for copying_large
start=$(date +%s%N)
xdotool mousemove --window "$win" 533 396 click 1
WAIT_STEP=0.02 wait_for question_up
end=$(date +%s%N)
import -window root -crop 578x413+0+0 "$shots/cancel-large-question.png"
last=$(grep '^STATUS' "$WIZPAK_TRANSCRIPT" | tail -1)
case "$last" in
  *"big.bin - 400.00 MB / "* | *"Extracting big.bin\""*) ;;
  *big.bin\ -\ *) ;;
  *) fail "the question came after the large file: $last" ;;
esac
echo "close question $(((end - start) / 1000000)) ms after the Cancel click, during: $last"
xdotool mousemove 512 384 key Return  # Yes
status=0
wait "$pid" || status=$?
[ "$status" -eq 6 ] || fail "the cancelled setup ended with status $status, not 6"
[ ! -e "$folder/big.bin" ] || fail "the half-copied large file was kept"
left=$(find "$work/drive_c" -size +1M ! -name "*_Uninstall.exe")
[ -z "$left" ] || fail "a part of the large file was left: $left"
echo "gui cancel large: ok"
