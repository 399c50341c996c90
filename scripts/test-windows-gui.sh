#!/usr/bin/env bash
# Screenshots of every page of the demo setup, run as a Windows program under
# wine64 and Xvfb, walked with xdotool; a few pixels are checked so a blank
# or broken window fails. The PNGs stay in BUILD/screenshots/ as artefacts.
#
#   scripts/test-windows-gui.sh [WINDOWS_BUILD_DIR] [LINUX_TOOL]
#
# WINDOWS_BUILD_DIR holds wizpak-stub.exe and wizpak-finalise.exe (default
# build-windows64: 32-bit Wine cannot start on this kind of machine);
# LINUX_TOOL is the author's tool that builds the demo (default build/wizpak).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
win_build="$(cd "${1:-build-windows64}" && pwd)"
tool="$(cd "$(dirname "${2:-build/wizpak}")" && pwd)/$(basename "${2:-build/wizpak}")"
wine64=/usr/lib/wine/wine64
[ -x "$wine64" ] || wine64=$(command -v wine64 || command -v wine)
shots="$win_build/screenshots"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
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
work=$1 shots=$2 wine64=$3
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$wine64" wineboot -i >/dev/null 2>&1 || true
if [ -f "$work/test_gui_win32.exe" ]; then
  "$wine64" "$work/test_gui_win32.exe" --gtest_brief=1 >"$work/unit.log" 2>&1 \
    || { cat "$work/unit.log" >&2; echo 1 >"$work/unit-status"; }
fi
cd "$work"
"$wine64" WizpakDemoSetup.exe >"$work/setup.log" 2>&1 &
setup=$!
status=0

shot() { sleep "${2:-1}"; import -window root "$shots/$1.png"; }
# Without a window manager a Wine window has no frame: window coordinates
# are client coordinates.
form() { xdotool search --sync --name '^ Wizpak Demo$' | head -1; }
click() { xdotool mousemove --window "$(form)" "$1" "$2" click 1; }
next() { click 452 396; }

if verify=$(timeout 20 xdotool search --sync --name '^Verifying Contents$' 2>/dev/null | head -1); then
  import -window root "$shots/0-verifying.png" || true
fi
main=$(timeout 60 xdotool search --sync --name '^ Wizpak Demo$' | head -1)
geometry=$(xdotool getwindowgeometry --shell "$main")
eval "$geometry"
echo "$X $Y" >"$work/origin"
shot 1-welcome 2
click 52 396                        # the language button: its menu opens below it
shot 1b-language-menu 1
click 45 436                        # "Deutsch", the menu's second item
shot 1c-deutsch 1
click 52 396
sleep 0.5
click 45 420                        # back to "English"
sleep 0.5
next; shot 2-changelog
next; shot 3-folder
next; shot 4-ready
next                                # Install: the run starts and asks about the extras
box=$(timeout 60 xdotool search --sync --name '^Wizpak Demo$' | head -1)
shot 5-installing-question 1
eval "$(xdotool getwindowgeometry --shell "$box")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) sleep 0.3 key Return
# The run goes on (files, registry, the uninstaller) and the gauge fills up;
# the finish page follows once the gauge's page is hidden.
read -r ox oy <"$work/origin"
gauge_at() {
  import -window root "$work/now.png"
  convert "$work/now.png" -format "%[fx:int(255*p{$((ox + 557)),$((oy + 164))}.r)]" info:
}
# The full bar shows only while the install log and the uninstaller are
# written, which may be too short to catch: then there is no such shot.
for _ in $(seq 1 200); do
  if [ "$(gauge_at)" = 60 ]; then
    cp "$work/now.png" "$shots/6-installed.png"
    break
  fi
  [ "$(xdotool search --name '^ Wizpak Demo$' getwindowname 2>/dev/null)" ] || break
  sleep 0.05
done
for _ in $(seq 1 240); do
  [ "$(gauge_at)" != 60 ] && break
  sleep 0.25
done
shot 7-finish 1
click 533 396                       # Finish
for _ in $(seq 1 60); do
  kill -0 "$setup" 2>/dev/null || break
  sleep 0.5
done
if kill -0 "$setup" 2>/dev/null; then
  echo "the setup did not end after Finish" >&2
  kill "$setup"
  status=1
else
  wait "$setup" || status=$?
fi
echo "$status" >"$work/status"

# The uninstaller left behind, walked the same way: welcome, ready, the
# removal, finish; Finish hands its own removal to the finaliser.
app="$WINEPREFIX/drive_c/Program Files/Wizpak Demo"
[ -f "$app/readme.txt" ] && touch "$work/installed"
if [ "$status" = 0 ] && [ -f "$app/WizpakDemo_Uninstall.exe" ]; then
  "$wine64" 'C:\Program Files\Wizpak Demo\WizpakDemo_Uninstall.exe' >"$work/uninstall.log" 2>&1 &
  uninstaller=$!
  uform() { xdotool search --sync --name '^ WizpakDemo ' | head -1; }
  uclick() { xdotool mousemove --window "$(uform)" "$1" "$2" click 1; }
  timeout 60 xdotool search --sync --name '^ WizpakDemo ' >/dev/null
  shot u1-welcome 2
  uclick 452 396; shot u2-ready
  uclick 452 396                    # Uninstall
  sleep 3
  shot u3-finish 1
  uclick 533 396                    # Finish
  ustatus=0
  wait "$uninstaller" || ustatus=$?
  echo "$ustatus" >"$work/uninstall-status"
  for _ in $(seq 1 60); do [ -e "$app" ] || break; sleep 0.5; done
fi
wineserver -k 2>/dev/null || true
WALK

[ -f "$win_build/test_gui_win32.exe" ] && cp "$win_build/test_gui_win32.exe" "$work/"
timeout 300 xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/walk.sh" "$work" "$shots" "$wine64"

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
[ ! -e "$work/prefix/drive_c/Program Files/Wizpak Demo" ] || check "the uninstaller left files"
ls "$shots"/*.png
[ "$fail" = 0 ] && echo "windows gui: screenshots in $shots, pixel checks passed"
exit "$fail"
