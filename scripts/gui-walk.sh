#!/usr/bin/env bash
# Walks the demo setup through its real FLTK window with xdotool, as a
# person would, and waits for what the wizard reports (its transcript: every
# page shown and every refusal line) or for a window to appear, never for a
# fixed time.
#   1. German from the language menu, then Enter alone to the finish page,
#      with the folder typed and Enter pressed while the pointer rests on the
#      folder box; the close question in German; files, registry values and
#      shortcuts are checked; the uninstaller in German by Enter.
#   2. English: Alt+N, Alt+B, Enter; Escape on the folder page asks the close
#      question, Escape answers No; every refusal line of the folder page;
#      Enter to the finish page; the uninstaller in English.
#   3. Escape, then Enter (Yes) to the close question: status 6, no files.
# Screens of every page go to BUILD/gui-screens/walk-*.png (walk-wm-*.png
# with --wm). With --wm an openbox window manager is started on the display
# first, as on a desktop: keys then go where the window manager puts the
# focus, not under the pointer. Needs a display (run under xvfb-run, see
# scripts/test-gui.sh); without one, or without openbox for --wm, it exits 77.
set -euo pipefail
build=$(realpath "${1:-build}")
wm=0
[ "${2:-}" = --wm ] && wm=1
src=$(cd "$(dirname "$0")/.." && pwd)
source "$src/scripts/lib/gui.sh"
if [ "$wm" = 1 ] && ! command -v openbox >/dev/null; then echo "no openbox"; exit 77; fi
prefix=walk
[ "$wm" = 1 ] && prefix=walk-wm
openbox_pid=
pid=
on_exit() {
  # A setup still running when the walk ends (it failed) would hold ctest's
  # output pipe until ctest's own limit: it is ended with the walk.
  [ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true
  [ -n "$openbox_pid" ] || return 0
  kill "$openbox_pid" 2>/dev/null
  wait "$openbox_pid" 2>/dev/null || true
  # The display outlives this walk: a window manager's marks on the root
  # window that name its destroyed window would make the next program's
  # look-up of them fail.
  for property in _NET_SUPPORTING_WM_CHECK _NET_SUPPORTED _NET_ACTIVE_WINDOW; do
    xprop -root -remove "$property" 2>/dev/null || true
  done
}
private_machine D=cd:cdrom Z=/:fixed
export WIZPAK_TRANSCRIPT="$work/transcript.txt"
"$build/wizpak" build "$src/examples/demo/setup.kys" -o "$work/WizpakDemoSetup.exe" >/dev/null

on_fail() {
  import -window root "$shots/$prefix-failed.png" 2>/dev/null || true
  [ -f "$WIZPAK_TRANSCRIPT" ] && grep -v "^STATUS" "$WIZPAK_TRANSCRIPT" | tail -12
  # Where a setup that still runs is waiting: what it is blocked in and on.
  if [ -n "$pid" ] && [ -d "/proc/$pid" ]; then
    echo "the setup (pid $pid) still runs: $(grep '^State' "/proc/$pid/status")," \
      "waiting in $(cat "/proc/$pid/wchan" 2>/dev/null)"
    ls -l "/proc/$pid/fd" 2>/dev/null | sed -n 's/.* -> //p' | sort | uniq -c
    if command -v gdb >/dev/null; then
      timeout 60 gdb -p "$pid" -batch -ex 'thread apply all bt 12' 2>/dev/null | grep '^#' || true
    fi
  fi
}

if [ "$wm" = 1 ]; then
  # Openbox runs the startup command once it has started: a window mapped
  # before then (its mark on the root is set earlier) may never be shown.
  openbox --sm-disable --startup "touch $work/wm-started" >/dev/null 2>&1 &
  openbox_pid=$!
  wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
  wait_for wm_running
  wait_for test -e "$work/wm-started"
fi

wait_page() { wait_for on_page "$1" "$2"; }
# A language change shows the welcome page anew: its second page line.
welcome_shown_twice() { [ "$(grep -c '^PAGE index=0' "$WIZPAK_TRANSCRIPT")" -ge 2 ]; }
# The last refusal line reads $1 (a fixed string; "" once Next is enabled).
refusal_is() { [ "$(grep '^REFUSAL' "$WIZPAK_TRANSCRIPT" 2>/dev/null | tail -1)" = "REFUSAL text=\"$1\"" ]; }
# Pixels of a window (or the screen's top left 578 x 413 + $2 rows), as a
# checksum, so a screen is taken once two in a row are the same: painted.
window_sum() { import -window "$1" rgb:- 2>/dev/null | md5sum; }
settled() {
  local last="" now give_up=$((SECONDS + ${WAIT_LIMIT:-300}))
  now=$(window_sum "$1")
  until [ "$now" = "$last" ]; do
    [ "$SECONDS" -lt "$give_up" ] || fail "window $1 never stopped changing"
    last=$now
    sleep 0.05
    now=$(window_sum "$1")
  done
}
# The first shown window whose title matches $1. Polled rather than
# "search --sync": a search that meets a window as it is destroyed (the
# verification window, a window manager's frame) ends in an X error.
shown_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 | grep .; }
wait_window() {
  wait_until "a window titled $1" shown_window "$1"
  win=$(shown_window "$1")
}
shot() { settled "$win"; import -window "$win" "$shots/$prefix-$1.png"; }
# The wizard and a box over it, from the screen.
shot_screen() {
  settled root
  local geometry
  geometry=$(xdotool getwindowgeometry --shell "$win")
  eval "$geometry"
  local x=$((X > 20 ? X - 20 : 0)) y=$((Y > 40 ? Y - 40 : 0))
  import -window root -crop "$((WIDTH + 40))x$((HEIGHT + 60))+$x+$y" "$shots/$prefix-$1.png"
}
# The side picture of the main layout shows behind every page: blue-green,
# not the white of the page area.
picture_behind() {
  local p
  p=$(pixel "$shots/$prefix-$1.png" 60 120)
  [ "$p" != "FFFFFF" ] && [ $((16#${p:4:2})) -gt $((16#${p:0:2})) ] || fail "page $1: no picture behind it ($p)"
}
differs() {  # whether the text areas of two screens differ
  convert "$shots/$prefix-$1.png" "$shots/$prefix-$2.png" -compose difference -composite \
    -crop 400x100+170+0 -format '%[fx:maxima]' info: | grep -qv '^0$'
}
# A shown window titled exactly $1 other than the wizard.
box_shown() {
  local id
  id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -vx "$win" | head -1 || true)
  [ -n "$id" ] && echo "$id" >"$work/box"
}
wait_box() { wait_for box_shown "$1"; box=$(cat "$work/box"); fixed_size "$box" "box $1"; }
# Under a window manager a window of fixed size is not offered maximise or
# resizing (the manager's own list of what it allows), and a message box
# asks the manager (Motif hints: functions move and close only) not to
# offer minimise either. Openbox offers minimise whatever a window asks.
fixed_size() {
  [ "$wm" = 1 ] || return 0
  case "$2" in box*) wait_for only_move_and_close "$1" ;; esac
  local actions
  actions=$(xprop -id "$1" _NET_WM_ALLOWED_ACTIONS)
  case "$actions" in *MAXIMIZE* | *RESIZE*) fail "$2 may be maximised or resized: $actions" ;; esac
}
only_move_and_close() { [[ "$(xprop -id "$1" _MOTIF_WM_HINTS)" == *"= 0x3, 0x24, "* ]]; }
box_gone() { ! xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -vxq "$win"; }
# Keys for the box: a window manager gives it the focus; without one the
# focus follows the pointer.
key_box() {
  [ "$wm" = 1 ] || xdotool mousemove --window "$box" 20 20
  xdotool key "$@"
}
# Keys for the wizard: without a window manager the pointer must be on it.
key() {
  [ "$wm" = 1 ] || xdotool mousemove --window "$win" 300 200
  xdotool key "$@"
}
click() { xdotool mousemove --window "$win" "$1" "$2" click 1; }
language=(50 396); cancel=(533 396); folder_box=(370 152)

start() {
  rm -f "$WIZPAK_TRANSCRIPT"
  (cd "$work" && exec ./WizpakDemoSetup.exe) &
  pid=$!
  # The window is looked up once the first page is shown: start-up's
  # windows before it come and go.
  wait_page 0 welcome
  wait_window "^$1\$"
  fixed_size "$win" "the wizard"
  # At the screen's top left a box in the middle covers only its corner.
  [ "$wm" = 1 ] || xdotool windowmove "$win" 0 0
}
finish() {
  local status=0
  wait "$pid" || status=$?
  pid=
  [ "$status" -eq "$1" ] || fail "$2 ended with status $status, not $1"
}
echo "== German, Enter alone"
start "Wizpak Demo"
shot en-1-welcome; picture_behind en-1-welcome
click "${language[@]}"
settled root
import -window root -crop 578x460+0+0 "$shots/$prefix-en-menu.png"  # the menu below the form
click 40 437  # the second item: Deutsch
wait_for grep -q '^PAGE index=0 type=welcome' "$WIZPAK_TRANSCRIPT"
# The language change shows the page anew: wait for its second page line.
wait_for welcome_shown_twice
shot de-1-welcome; picture_behind de-1-welcome
differs en-1-welcome de-1-welcome || fail "the welcome text did not change to German"
key Return; wait_page 1 changelog; shot de-2-changelog; picture_behind de-2-changelog
key Return; wait_page 2 installdir; shot de-3-folder; picture_behind de-3-folder
# Type another folder with the pointer resting on the box, then Enter.
click "${folder_box[@]}"
xdotool key ctrl+a
xdotool type --delay 20 'C:\Games\Wizpak Demo'
shot de-3-folder-typed
xdotool key Return
wait_page 3 patch; shot de-4-ready; picture_behind de-4-ready
key Return
wait_box "Wizpak Demo"   # "Install the optional extras too?"
shot_screen de-5-progress
key_box Return           # OK
wait_page 5 finish; shot de-6-finish; picture_behind de-6-finish
key Return               # Fertig stellen
finish 0 "the German setup"
folder="$work/drive_c/Games/Wizpak Demo"
[ -f "$folder/readme.txt" ] || fail "readme.txt not installed in $folder"
[ -f "$folder/docs/manual.txt" ] || fail "manual not installed"
[ -d "$folder/extras" ] || fail "extras not installed"
grep -q 'Games' "$WIZPAK_REGISTRY" || fail "InstallDir not in the hive"
grep -qi 'Edition' "$WIZPAK_REGISTRY" || fail "Edition not in the hive"
ls "$work/drive_c/ProgramData/Start Menu/Programs/Wizpak Demo/"* >/dev/null || fail "no shortcuts"
ls "$XDG_DATA_HOME/applications/wizpak-WizpakDemo-"*.desktop >/dev/null || fail "no menu entries"
echo "installed: $(cd "$work/drive_c" && find . -type f | wc -l) files"

# Walks the uninstaller in $1 by Enter in language $2 (en, or de chosen from
# its menu), to Finish, and checks what is gone.
uninstall() {
  rm -f "$WIZPAK_TRANSCRIPT"
  ("$1/WizpakDemo_Uninstall.exe") &
  pid=$!
  wait_page 0 welcome
  wait_window "^WizpakDemo Uninstall"
  [ "$wm" = 1 ] || xdotool windowmove "$win" 0 0
  if [ "$2" = de ]; then
    click "${language[@]}"
    settled root
    click 40 437  # Deutsch
    wait_for welcome_shown_twice
  fi
  shot "un-$2-1-welcome"; picture_behind "un-$2-1-welcome"
  key Return; wait_page 1 patch; shot "un-$2-2-ready"; picture_behind "un-$2-2-ready"
  key Return; wait_page 3 finish; shot "un-$2-3-finish"; picture_behind "un-$2-3-finish"
  key Return
  finish 0 "the uninstaller"
  wait_removed "$1/readme.txt"
  [ -z "$(ls -A "$work/drive_c/ProgramData/Start Menu/Programs/Wizpak Demo" 2>/dev/null)" ] ||
    fail "shortcuts left behind"
  [ -z "$(find "$HOME" -name 'wizpak-*' -print -quit)" ] || fail "menu entries left behind"
}

echo "== uninstall, in German"
uninstall "$folder" de
echo "uninstalled"

echo "== English: Alt+N, Alt+B, the close question, every refusal line"
start "Wizpak Demo"
key alt+n; wait_page 1 changelog
key alt+b; wait_page 0 welcome
key Return; wait_page 1 changelog
key Return; wait_page 2 installdir
shot en-3-folder; picture_behind en-3-folder
key Escape
wait_box Quit
shot_screen en-close-question
key_box Escape  # No
wait_for box_gone Quit
on_page 2 installdir || fail "No did not keep the folder page"
# Every refusal: typed with the pointer on the box; the line is waited for,
# then the page is shot.
mkdir -p "$work/drive_c/Games"
echo x >"$work/drive_c/Games/readme"
refuse() {
  click "${folder_box[@]}"
  xdotool key ctrl+a
  if [ -n "$1" ]; then xdotool type --delay 10 "$1"; else xdotool key BackSpace; fi
  wait_for refusal_is "$2"
  shot "en-refused-$3"
  # Next stays disabled: Enter leaves the page where it is.
  xdotool key Return
  on_page 2 installdir || fail "Enter left the folder page with \"$1\" refused"
}
full='Not a full folder path: give a drive letter, a colon and \\ first, as in C:\\Games, without . or .. folders.'
refuse 'Games\Demo' "$full" relative
refuse ' C:\Games' "$full" leading-blank
refuse 'C:\Games\..\Demo' "$full" dot-dot
refuse '' "$full" empty
refuse 'Q:\Demo' 'There is no drive Q: on this computer.' no-drive
refuse 'D:\Demo' 'Drive D: is a CD-ROM drive: choose a folder on a hard, removable or network drive.' cd-rom
refuse 'C:\Games\readme\Demo' 'This folder cannot be created: a file is in the way, or the drive is protected.' file-in-the-way
refuse 'Z:\proc' 'This folder cannot be written to.' not-writable
click "${folder_box[@]}"
xdotool key ctrl+a
xdotool type --delay 10 'C:/Program Files/Wizpak Demo'
wait_for refusal_is ''
xdotool key Return; wait_page 3 patch; shot en-4-ready; picture_behind en-4-ready
key alt+i
wait_box "Wizpak Demo"
shot_screen en-5-progress
key_box Return
wait_page 5 finish; shot en-6-finish; picture_behind en-6-finish
key Return
finish 0 "the English setup"
english="$work/drive_c/Program Files/Wizpak Demo"
[ -f "$english/readme.txt" ] || fail "readme.txt not installed in $english"

echo "== the close question in German, then Yes"
start "Wizpak Demo"
click "${language[@]}"
settled root
click 40 437  # Deutsch
wait_for welcome_shown_twice
key Escape
wait_box Beenden
shot_screen de-close-question
key_box Return  # Ja
finish 6 "the cancelled setup"

uninstall "$english" en
echo "gui walk: ok"
