#!/usr/bin/env bash
# Screenshots of every page of the demo setup, run as a Windows program under
# Wine and Xvfb, walked with xdotool; a few pixels are checked so a blank or
# broken window fails. The PNGs stay in BUILD/screenshots/ as artefacts.
# After the uninstall, a second install is cancelled during its extraction
# (Cancel, answered Yes) and must leave nothing behind.
#
#   scripts/test-windows-gui.sh [WINDOWS_BUILD_DIR] [LINUX_TOOL]
#
# One architecture per run, as scripts/wine-arch.sh picks it (the 32-bit
# programs where 32-bit Wine runs; WIZPAK_WINE_ARCH=win32|win64 forces one,
# and a forced one this machine cannot run is skipped). WINDOWS_BUILD_DIR
# (default: the build folder of that architecture) holds wizpak-stub.exe
# and wizpak-finalise.exe; its programs must be of that architecture.
# LINUX_TOOL is the author's tool that builds the demo (default build/wizpak).
# Every step waits for what it needs (a window, a page in the setup's
# transcript, a screen that has stopped changing), never for a time.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# The architecture of a PE program, from its header: win32 or win64.
pe_arch() {
  local at machine
  at=$(od -An -tu4 -j 60 -N4 "$1" | tr -d ' ')
  machine=$(od -An -tx2 -j $((at + 4)) -N2 "$1" | tr -d ' ')
  case "$machine" in
    014c) echo win32 ;;
    8664) echo win64 ;;
    *) echo "unknown PE machine $machine in $1" >&2; return 1 ;;
  esac
}
if [ -n "${1:-}" ] && [ -f "$1/wizpak-stub.exe" ]; then
  given_arch=$(pe_arch "$1/wizpak-stub.exe")
  : "${WIZPAK_WINE_ARCH:=$given_arch}"
  if [ "$given_arch" != "$WIZPAK_WINE_ARCH" ]; then
    echo "windows gui: FAIL: $1 holds $given_arch programs, the run tests $WIZPAK_WINE_ARCH" >&2
    exit 1
  fi
fi
source scripts/wine-arch.sh
if [ -n "$wine_arch_skip" ]; then
  echo "windows gui: skipped: $wine_arch_skip (WIZPAK_WINE_ARCH=$WIZPAK_WINE_ARCH)"
  exit 0
fi
[ -n "${1:-}" ] || scripts/build-windows.sh "$mingw_arch" test_gui_win32 >/dev/null
win_build="$(cd "${1:-$win_build}" && pwd)"
tool="$(cd "$(dirname "${2:-build/wizpak}")" && pwd)/$(basename "${2:-build/wizpak}")"
shots="$win_build/screenshots"
work=$(mktemp -d)
# The prefix's server is ended (and waited for) first: it saves the
# registry into the prefix as it goes, which would race the removal.
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
trap 'export WINEPREFIX="$work/prefix"; "$wineserver" -k >/dev/null 2>&1 || true
  "$wineserver" -w >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
mkdir -p "$shots"
rm -f "$shots"/*.png

# The front-end's unit tests need a display as much as the screenshots do.
if [ -f "$win_build/build.ninja" ]; then
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
  cmake --build "$win_build" -j "${WIZPAK_JOBS:-2}" --target wizpak-stub wizpak-finalise \
    test_gui_win32 >/dev/null
fi
"$tool" build "$root/examples/demo/setup.kys" --target=windows --stub-dir "$win_build" \
  -o "$work/WizpakDemoSetup.exe" >/dev/null

cat >"$work/walk.sh" <<'WALK'
set -euo pipefail
work=$1 shots=$2 wine=$3
source "$4/scripts/lib/wait.sh"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$wine" wineboot -i >/dev/null 2>&1 || true
if [ -f "$work/test_gui_win32.exe" ]; then
  "$wine" "$work/test_gui_win32.exe" --gtest_brief=1 >"$work/unit.log" 2>&1 \
    || { cat "$work/unit.log" >&2; echo 1 >"$work/unit-status"; }
fi
# Where this architecture's setups install, as Wine names it and on the host.
program_files=$("$wine" cmd /c echo '%ProgramFiles%' 2>/dev/null | tr -d '\r')
app_win="$program_files\\Wizpak Demo"
app=$("$wine" winepath -u "$app_win" 2>/dev/null | tr -d '\r' | sed 's:/$::')
echo "$app" >"$work/app"
cd "$work"
# The setups write a transcript: a PAGE line each time a page shows.
transcript="$work/transcript.txt"
: >"$transcript"
export WIZPAK_TRANSCRIPT="Z:${transcript//\//\\}"
# The screen before any window: the first page's shot must differ from it.
import -window root "$shots/empty.png"
"$wine" WizpakDemoSetup.exe >"$work/setup.log" 2>&1 &
setup=$!
status=0

# Waits until the transcript has shown page $1 $2 times (default once).
page_shown() { [ "$(grep -cx "PAGE index=$1 type=.*" "$transcript")" -ge "$2" ]; }
wait_page() { wait_until "page $1" page_shown "$1" "${2:-1}"; }
# Waits until two grabs of the screen in a row are alike (the windows have
# finished painting), unlike the screen $2 when given (what a click changed),
# and keeps the last one as $1.
grab() { import -window root "$1"; }
alike() { compare -metric AE "$1" "$2" null: >/dev/null 2>&1; }
shot() {
  local out="$shots/$1.png" before="${2:+$shots/$2.png}"
  grab "$work/a.png"
  while :; do
    grab "$work/b.png"
    if alike "$work/a.png" "$work/b.png" && { [ -z "$before" ] || ! alike "$work/b.png" "$before"; }; then
      break
    fi
    mv "$work/b.png" "$work/a.png"
  done
  mv "$work/b.png" "$out"
}
# The verification window may already be gone: shown only if still there.
if verify=$(xdotool search --name '^Verifying Contents$' 2>/dev/null | head -1) && [ -n "$verify" ]; then
  import -window root "$shots/0-verifying.png" || true
fi
# Without a window manager a Wine window has no frame: window coordinates
# are client coordinates. The wizard is the first window titled "Wizpak Demo" (with or without a
# leading blank); a message box of the script carries the same title.
main=$(xdotool search --sync --name '^ ?Wizpak Demo$' | head -1)
click() { xdotool mousemove --sync --window "$main" "$1" "$2" click 1; }
next() { click 452 396; }
# Waits for a shown window titled by the pattern $1 other than the wizard.
other_id() { xdotool search --onlyvisible --name "$1" 2>/dev/null | grep -vx "$main" | head -1 | grep .; }
other_window() { wait_until "a window titled $1" other_id "$1" && other_id "$1"; }

geometry=$(xdotool getwindowgeometry --shell "$main")
eval "$geometry"
echo "$X $Y" >"$work/origin"
wait_page 0
shot 1-welcome empty
rm -f "$shots/empty.png"
click 52 396                        # the language button: its menu opens below it
shot 1b-language-menu 1-welcome
click 45 436                        # "Deutsch", the menu's second item
shot 1c-deutsch 1b-language-menu
click 52 396
shot menu-again 1c-deutsch
click 45 420                        # back to "English"
shot english-again menu-again
rm -f "$shots/menu-again.png" "$shots/english-again.png"
next; wait_page 1; shot 2-changelog english-again
next; wait_page 2; shot 3-folder 2-changelog
next; wait_page 3; shot 4-ready 3-folder
next                                # Install: the run starts and asks about the extras
box=$(other_window '^Wizpak Demo$')
shot 5-installing-question 4-ready
eval "$(xdotool getwindowgeometry --shell "$box")"
xdotool mousemove --sync $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) key Return
# The run goes on (files, registry, the uninstaller) and the gauge fills up;
# the finish page follows once the run has ended. The full bar shows only
# while the install log and the uninstaller are written, which may pass
# between two grabs: then there is no such shot.
read -r ox oy <"$work/origin"
full_at() {
  [ "$(convert "$1" -format "%[fx:int(255*p{$((ox + 557)),$((oy + 164))}.r)]" info:)" = 60 ]
}
until grep -qx 'PAGE index=5 type=.*' "$transcript"; do
  grab "$work/now.png"
  full_at "$work/now.png" && cp "$work/now.png" "$shots/6-installed.png"
done
shot 7-finish
click 533 396                       # Finish
wait "$setup" || status=$?
echo "$status" >"$work/status"

# The uninstaller left behind, walked the same way: welcome, ready, the
# removal, finish; Finish hands its own removal to the finaliser.
[ -f "$app/readme.txt" ] && touch "$work/installed"
if [ "$status" = 0 ] && [ -f "$app/WizpakDemo_Uninstall.exe" ]; then
  : >"$transcript"
  "$wine" "$app_win\\WizpakDemo_Uninstall.exe" >"$work/uninstall.log" 2>&1 &
  uninstaller=$!
  umain=$(xdotool search --sync --name '^ ?WizpakDemo ' | head -1)
  uclick() { xdotool mousemove --sync --window "$umain" "$1" "$2" click 1; }
  wait_page 0; shot u1-welcome 7-finish
  uclick 452 396; wait_page 1; shot u2-ready u1-welcome
  uclick 452 396                    # Uninstall
  wait_page 3; shot u3-finish u2-ready
  uclick 533 396                    # Finish
  ustatus=0
  wait "$uninstaller" || ustatus=$?
  echo "$ustatus" >"$work/uninstall-status"
fi
# The finaliser deletes the uninstaller once it has ended: when no Wine
# process of the prefix is left, it has done so.
wineserver -w 2>/dev/null || true

# Installed again, held while it extracts readme.txt (WIZPAK_TEST_HOLD: the
# files before it are written), cancelled with the wizard's Cancel and the
# question answered Yes: status 6, and nothing of the run is left.
if [ -f "$work/uninstall-status" ] && [ ! -e "$app" ]; then
  : >"$transcript"
  release="$work/release"
  WIZPAK_TEST_HOLD="readme.txt:$release" "$wine" WizpakDemoSetup.exe >"$work/cancel.log" 2>&1 &
  setup=$!
  wait_until "the wizard again" xdotool search --onlyvisible --name '^ ?Wizpak Demo$'
  main=$(xdotool search --onlyvisible --name '^ ?Wizpak Demo$' | head -1)
  wait_page 0; next; wait_page 1; next; wait_page 2; next; wait_page 3; next
  wait_until "the extraction to reach readme.txt" test -e "$release.held"
  click 533 396                     # Cancel
  quit=$(other_window '^Quit$')
  xdotool mousemove --sync --window "$quit" 20 20 key Return  # the default button: Yes
  touch "$release"
  cstatus=0
  wait "$setup" || cstatus=$?
  echo "$cstatus" >"$work/cancel-status"
  wineserver -w 2>/dev/null || true
  { grep -q "rolled back" "$transcript" || echo "(the transcript names no rollback)"
    [ -e "$app" ] && find "$app" | head -5
    "$wine" reg query 'HKCU\Software\Wizpak Demo' 2>/dev/null | tr -d '\r' | grep REG_ || true
  } >"$work/cancel-left"
fi
WALK

[ -f "$win_build/test_gui_win32.exe" ] && cp "$win_build/test_gui_win32.exe" "$work/"
# The bound only keeps a hung walk from blocking the run for ever.
timeout 3600 xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/walk.sh" "$work" "$shots" "$wine" "$root"

fail=0
check() { echo "FAIL: $*" >&2; fail=1; }
if [ -f "$work/unit.log" ]; then
  [ ! -f "$work/unit-status" ] || check "tests/gui_win32 under Wine"
  grep -h 'PASSED' "$work/unit.log" | sed 's/^/tests\/gui_win32: /' || true
fi
read -r ox oy <"$work/origin"
pixel() {  # pixel FILE X Y -> "R,G,B" at client (X, Y)
  convert "$shots/$1.png" -format "%[fx:int(255*p{$(($2 + ox)),$(($3 + oy))}.r)],%[fx:int(255*p{$(($2 + ox)),$(($3 + oy))}.g)],%[fx:int(255*p{$(($2 + ox)),$(($3 + oy))}.b)]" info:
}
for page in 1-welcome 1c-deutsch 2-changelog 3-folder 4-ready 5-installing-question 7-finish; do
  [ -f "$shots/$page.png" ] || { check "no screenshot $page"; continue; }
  # The page colour (white in the demo) right of the text column.
  [ "$(pixel $page 570 360)" = "255,255,255" ] || check "$page: page area not white"
  # The side picture (main layout) behind every page: dark blue-green.
  side=$(pixel $page 80 200)
  [ "$side" != "255,255,255" ] && [ "$side" != "0,0,0" ] || check "$page: no side picture ($side)"
done
# The gauge while the run waits for the question: the flat fill of the demo's
# gauge colour ($C8963C) from its left end, white back colour at the right.
if [ -f "$shots/5-installing-question.png" ]; then
  [ "$(pixel 5-installing-question 190 164)" = "60,150,200" ] || check "gauge fill: $(pixel 5-installing-question 190 164)"
  [ "$(pixel 5-installing-question 184 152)" != "60,150,200" ] || check "gauge has no border"
  [ "$(pixel 5-installing-question 557 164)" = "255,255,255" ] || check "gauge full too early"
fi
# At the end of the run the bar is full up to its right border.
if [ -f "$shots/6-installed.png" ]; then
  [ "$(pixel 6-installed 557 164)" = "60,150,200" ] || check "gauge not full at the end"
else
  echo "note: the full gauge passed too quickly for a screenshot"
fi
# The finish page hides the gauge and leaves only the Finish button.
[ "$(pixel 7-finish 557 164)" = "255,255,255" ] || check "finish page still shows the gauge"
status=$(cat "$work/status" 2>/dev/null || echo missing)
[ "$status" = 0 ] || check "setup exit status $status"
[ -f "$work/installed" ] || check "demo not installed"
for page in u1-welcome u2-ready u3-finish; do
  [ -f "$shots/$page.png" ] || { check "no screenshot $page"; continue; }
  [ "$(pixel $page 570 360)" = "255,255,255" ] || check "$page: page area not white"
done
[ "$(cat "$work/uninstall-status" 2>/dev/null)" = 0 ] || check "uninstaller exit status"
app=$(cat "$work/app" 2>/dev/null || true)
[ -n "$app" ] || check "Wine named no install folder"
[ -z "$app" ] || [ ! -e "$app" ] || check "the uninstaller left files in $app"
[ "$(cat "$work/cancel-status" 2>/dev/null)" = 6 ] || check "cancelled setup exit status"
[ -f "$work/cancel-left" ] && [ ! -s "$work/cancel-left" ] ||
  check "the cancelled setup left: $(cat "$work/cancel-left" 2>/dev/null)"
ls "$shots"/*.png
[ "$fail" = 0 ] && echo "windows gui: screenshots in $shots, pixel checks passed"
exit "$fail"
