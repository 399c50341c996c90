#!/usr/bin/env bash
# Walks the demo setup through its real FLTK window with xdotool, as a
# person would: German from the language menu, a typed folder, Next to the
# end; checks the files, registry values and shortcuts; runs the
# uninstaller the same way, in German too; cancels a second setup on the
# folder page; and walks a third through every page in English, answering
# No to the close question, then its uninstaller. Screens of every page in
# both languages go to BUILD/gui-screens/walk-*.png. Needs a display (run
# under xvfb-run, see scripts/test-gui.sh); without one it exits 77.
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
# Menu entries, icons and desktop launchers go to a private home, not the
# user's desktop.
export HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$work/drive_c"
"$build/wizpak" build "$src/examples/demo/setup.kys" -o "$work/WizpakDemoSetup.exe" >/dev/null

fail() { echo "FAIL: $*"; exit 1; }
pause() { sleep "${1:-0.6}"; }
click() { xdotool mousemove --window "$win" "$1" "$2" click 1; pause; }
shot() { import -window "$win" "$shots/walk-$1.png"; }
# The colour at x,y of a screen, as RRGGBB.
pixel() { convert "$1" -format "%[hex:p{$2,$3}]" info: | cut -c1-6; }
# The side picture of the main layout shows behind every page: blue-green,
# not the white of the page area.
picture_behind() {
  local p
  p=$(pixel "$shots/walk-$1.png" 60 120)
  [ "$p" != "FFFFFF" ] && [ $((16#${p:4:2})) -gt $((16#${p:0:2})) ] || fail "page $1: no picture behind it ($p)"
}
answer_box() {  # presses the default button of the message box in the middle of the screen
  pause 0.8
  xdotool mousemove 512 384 key Return
  pause
}
# Waits up to 20 s for a shown window titled exactly $1, other than the
# wizard, and prints its id.
wait_window() {
  local id
  for _ in $(seq 1 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -vx "$win" | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.2
  done
  return 1
}
# Finds the wizard titled $1 and puts it at the screen's top left, where the
# message boxes in the middle of the screen cover only its bottom right.
find_wizard() {
  win=$(xdotool search --sync --name "$1" | head -1)
  xdotool windowmove "$win" 0 0
  pause 1
}
# The run page while its question is up: the box shows in the screen shot.
shot_run_page() {
  wait_window "Wizpak Demo" >/dev/null || fail "no question during the run"
  pause 0.3
  import -window root -crop 578x413+0+0 "$shots/walk-$1.png"
}
next=(452 396); back=(380 396); cancel=(533 396); language=(50 396)

echo "== install"
(cd "$work" && exec ./WizpakDemoSetup.exe) &
pid=$!
find_wizard "Wizpak Demo"
shot en-1-welcome; picture_behind en-1-welcome
click "${language[@]}"
import -window root -crop 578x460+0+0 "$shots/walk-en-menu.png"  # the menu hangs below the form
click 40 437  # the second item: Deutsch
shot de-1-welcome; picture_behind de-1-welcome
convert "$shots/walk-en-1-welcome.png" "$shots/walk-de-1-welcome.png" -compose difference \
  -composite -crop 400x100+170+0 -format '%[fx:maxima]' info: | grep -qv '^0$' ||
  fail "the welcome text did not change to German"
click "${next[@]}"; shot de-2-changelog; picture_behind de-2-changelog
click "${next[@]}"; shot de-3-folder; picture_behind de-3-folder
# The folder box: select what it holds and type another folder.
click 370 152
xdotool key ctrl+a
xdotool type --delay 20 'C:\Games\Wizpak Demo'
pause
shot de-3-folder-typed
click "${next[@]}"; shot de-4-ready; picture_behind de-4-ready
xdotool mousemove --window "$win" "${next[@]}" click 1
shot_run_page de-5-progress; picture_behind de-5-progress
answer_box   # "Install the optional extras too?" -> Yes
pause 1
shot de-6-finish; picture_behind de-6-finish
click "${cancel[@]}"  # the finish page's close button
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "the setup ended with status $status"
folder="$work/drive_c/Games/Wizpak Demo"
[ -f "$folder/readme.txt" ] || fail "readme.txt not installed in $folder"
[ -f "$folder/docs/manual.txt" ] || fail "manual not installed"
[ -d "$folder/extras" ] || fail "extras not installed"
grep -q 'Games' "$WIZPAK_REGISTRY" || fail "InstallDir not in the hive"
grep -qi 'Edition' "$WIZPAK_REGISTRY" || fail "Edition not in the hive"
ls "$work/drive_c/ProgramData/Start Menu/Programs/Wizpak Demo/"* >/dev/null || fail "no shortcuts"
ls "$XDG_DATA_HOME/applications/wizpak-WizpakDemo-"*.desktop >/dev/null || fail "no menu entries"
echo "installed: $(cd "$work/drive_c" && find . -type f | wc -l) files"

# Walks the uninstaller in $1 through its pages in language $2 (en, or de
# chosen from its menu), to Finish, and checks what is gone.
uninstall() {
  ("$1/WizpakDemo_Uninstall.exe") &
  pid=$!
  find_wizard "WizpakDemo Uninstall"
  if [ "$2" = de ]; then
    click "${language[@]}"
    click 40 437  # Deutsch
  fi
  shot "un-$2-1-welcome"; picture_behind "un-$2-1-welcome"
  click "${next[@]}"; shot "un-$2-2-ready"; picture_behind "un-$2-2-ready"
  click "${next[@]}"
  pause 1
  shot "un-$2-3-finish"; picture_behind "un-$2-3-finish"
  click "${cancel[@]}"
  status=0
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || fail "the uninstaller ended with status $status"
  for _ in $(seq 1 50); do [ -e "$1" ] || break; sleep 0.1; done
  [ ! -e "$1/readme.txt" ] || fail "readme.txt left behind"
  [ -z "$(ls -A "$work/drive_c/ProgramData/Start Menu/Programs/Wizpak Demo" 2>/dev/null)" ] ||
    fail "shortcuts left behind"
  [ -z "$(find "$HOME" -name 'wizpak-*' -print -quit)" ] || fail "menu entries left behind"
}

echo "== uninstall, in German"
uninstall "$folder" de
echo "uninstalled"

echo "== Enter, then Escape on the folder page"
(cd "$work" && exec ./WizpakDemoSetup.exe) &
pid=$!
find_wizard "Wizpak Demo"
# Enter presses Next: the welcome page gives way to the change log.
xdotool mousemove --window "$win" 300 200 key Return
pause
shot en-2-changelog; picture_behind en-2-changelog
convert "$shots/walk-en-1-welcome.png" "$shots/walk-en-2-changelog.png" -compose difference \
  -composite -crop 400x100+170+0 -format '%[fx:maxima]' info: | grep -qv '^0$' ||
  fail "Enter did not move to the next page"
click "${next[@]}"; shot en-3-folder; picture_behind en-3-folder
# Escape is Cancel: the close question comes up.
xdotool mousemove --window "$win" 300 200 key Escape
pause 0.5
import -window root "$shots/walk-cancel-question.png"
answer_box   # the close question -> Yes
status=0
wait "$pid" || status=$?
[ "$status" -eq 6 ] || fail "cancelled setup ended with status $status, not 6"
[ ! -e "$work/drive_c/Program Files/Wizpak Demo" ] || fail "cancelled setup left files"

echo "== every page in English, No to the close question"
(cd "$work" && exec ./WizpakDemoSetup.exe) &
pid=$!
find_wizard "Wizpak Demo"
click "${next[@]}"; click "${next[@]}"
shot en-3-folder-before
xdotool mousemove --window "$win" 300 200 key Escape
wait_window Quit >/dev/null || fail "Escape did not ask the close question"
xdotool mousemove 512 384 key Escape  # No
pause
shot en-3-folder-kept
convert "$shots/walk-en-3-folder-before.png" "$shots/walk-en-3-folder-kept.png" -compose difference \
  -composite -crop 400x100+170+0 -format '%[fx:maxima]' info: | grep -q '^0$' ||
  fail "No did not keep the folder page"
rm "$shots/walk-en-3-folder-before.png" "$shots/walk-en-3-folder-kept.png"
click "${next[@]}"; shot en-4-ready; picture_behind en-4-ready
xdotool mousemove --window "$win" "${next[@]}" click 1
shot_run_page en-5-progress; picture_behind en-5-progress
answer_box   # "Install the optional extras too?" -> Yes
pause 1
shot en-6-finish; picture_behind en-6-finish
click "${cancel[@]}"
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "the English setup ended with status $status"
english="$work/drive_c/Program Files/Wizpak Demo"
[ -f "$english/readme.txt" ] || fail "readme.txt not installed in $english"
uninstall "$english" en
echo "gui walk: ok"
