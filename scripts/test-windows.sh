#!/usr/bin/env bash
# Tests of the Windows build under Wine, for one architecture per run:
# 32-bit (the shipped programs, build-windows/, a win32 prefix) when this
# machine runs 32-bit Wine, else x86_64 (build-windows64/, a win64 prefix);
# WIZPAK_WINE_ARCH=win32|win64 forces one, and a forced one this machine
# cannot run is skipped (scripts/wine-arch.sh decides). Needs the Linux
# build in build/ (for the wizpak tool). Every run uses a fresh WINEPREFIX
# that is removed afterwards.
#   1. tests/platform (the Win32 layer; the front-end's tests and page
#      screenshots have their own script, scripts/test-windows-gui.sh);
#   2. the demo built with --target=windows: unattended install, registry,
#      shortcuts, the uninstaller's icon, unattended uninstall through the
#      registered UninstallString, the finaliser removing the uninstaller;
#   3. start-up checks: a damaged entry, a renamed executable, setup(3);
#   4. the native front-end (scripts/test-windows-gui.sh, same architecture).
# Folders are asked of Wine (%ProgramFiles%, winepath), never written in.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
export WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY TMPDIR || true

# wait_until; its fail is replaced by this script's own just below.
source scripts/lib/wait.sh
fail() { echo "test-windows: FAIL: $*" >&2; exit 1; }
pass() { echo "test-windows: ok: $*"; }

source scripts/wine-arch.sh
if [ -n "$wine_arch_skip" ]; then
  echo "test-windows: skipped: $wine_arch_skip (WIZPAK_WINE_ARCH=$WIZPAK_WINE_ARCH)"
  exit 0
fi
echo "test-windows: testing the $mingw_arch programs ($win_build) in a $wine_arch prefix with $wine"
[ -x build/wizpak ] || fail "build/wizpak is missing: build the Linux tree first"

dir=$win_build
scripts/build-windows.sh "$mingw_arch" test_platform wizpak-inspect
work=$(mktemp -d /tmp/wizpak-windows-test.XXXXXX)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
trap 'WINEPREFIX="$work/prefix" "$wineserver" -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

export WINEPREFIX="$work/prefix"
timeout 900 "$wine" wineboot -i >/dev/null 2>&1 || true
c="$WINEPREFIX/drive_c"
# A host path as Wine's Z: drive names it.
winpath() { local p="$1"; echo "Z:${p//\//\\}"; }
run() { timeout 900 "$wine" "$@"; }
# A Windows path on the host, as Wine maps it.
hostpath() { run winepath -u "$1" 2>/dev/null | tr -d '\r' | sed 's:/$::'; }
# The program files folder the setups of this architecture install into.
program_files=$(run cmd /c echo '%ProgramFiles%' 2>/dev/null | tr -d '\r')
case "$program_files" in
  [A-Za-z]:\\*) ;;
  *) fail "Wine names no program files folder ('$program_files')" ;;
esac
app_win="$program_files\\Wizpak Demo"

# ---- 1. unit tests ---------------------------------------------------------
run "$dir/tests/test_platform.exe" --gtest_brief=1 || fail "test_platform"
pass "tests/platform under Wine ($wine_arch)"

# ---- 2. the demo: install, inspect, uninstall ----------------------------
setup="$work/WizpakDemoSetup.exe"
build/wizpak build examples/demo/setup.kys --target=windows --stub-dir "$dir" -o "$setup" >/dev/null
build/wizpak verify "$setup" >/dev/null || fail "wizpak verify reads the Windows setup"

transcript="$work/transcript.txt"
WIZPAK_TRANSCRIPT="$(winpath "$transcript")" run "$setup" --unattended \
  || fail "unattended install (exit $?): $(cat "$transcript" 2>/dev/null)"
"$wineserver" -w 2>/dev/null || true
app=$(hostpath "$app_win")
for f in readme.txt docs/manual.txt WizpakDemo_Uninstall.exe WizpakDemo_install.log; do
  [ -f "$app/$f" ] || fail "installed file missing: $app/$f"
done
pass "demo installed in $app_win"

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\WizpakDemo'
entry=$(run reg query "$uninstall_key" 2>/dev/null | tr -d '\r')
echo "$entry" | grep -q 'DisplayName.*REG_SZ.*WizpakDemo' || fail "uninstall entry: $entry"
echo "$entry" | grep -q 'UninstallString.*REG_SZ.*WizpakDemo_Uninstall.exe' || fail "UninstallString: $entry"
values=$(run reg query 'HKCU\Software\Wizpak Demo' 2>/dev/null | tr -d '\r')
echo "$values" | grep 'InstallDir.*REG_SZ' | grep -qF "$app_win" || fail "InstallDir: $values"
echo "$values" | grep -q 'Edition.*REG_SZ.*full' || fail "Edition: $values"
pass "reg query shows the values and the uninstall entry under HKEY_LOCAL_MACHINE"

# ---- 2b. failed, cancelled and killed upgrades are rolled back -------------
# Setups for the same folder replace, add, copy over and delete files, make
# and remove folders, change values, replace, add and delete shortcuts (one
# in a new start menu folder) and patch a game archive; one then fails (a
# file where its folder belongs: status 5), one is cancelled in the archive
# retry box (status 6), and one ends its script but cannot replace the
# read-only uninstaller after saving its install log and registration
# (status 5). Each leaves the folder, the start menu and the values exactly
# as version 1 left them. Values of other types that the upgrades overwrite
# with strings (a number, binary data, a list, an expandable string) come
# back with their type and bytes: the key is compared as `reg export`
# writes it, every value in hex.
menu=$(dirname "$(find "$c" -name 'Read Me.lnk' -path '*Wizpak Demo*' | head -1)")
echo "in the way" >"$app/blocked"
mkdir -p "$work/archive"
echo "level 1" >"$work/archive/level.txt"
build/wizpak archive create "$work/archive" -o "$app/data.kyp" --password secret >/dev/null
demo_key='HKCU\Software\Wizpak Demo'
run reg add "$demo_key" /v Count /t REG_DWORD /d 42 /f >/dev/null
run reg add "$demo_key" /v Blob /t REG_BINARY /d 00ff0a0d5c /f >/dev/null
run reg add "$demo_key" /v Lines /t REG_MULTI_SZ /d 'one\0two' /f >/dev/null
run reg add "$demo_key" /v Path /t REG_EXPAND_SZ /d '%TEMP%\x' /f >/dev/null
drive_state() {
  (cd "$app" && find . -printf '%p %y %s\n' | sort && find . -type f -print0 | sort -z | xargs -0 sha256sum)
  (cd "$menu" && find . -printf '%p %y %s\n' | sort && find . -type f -print0 | sort -z | xargs -0 sha256sum)
  ls -a "$(dirname "$app")" "$(dirname "$menu")"
  for key in "$demo_key" "$uninstall_key"; do
    rm -f "$work/state.reg"
    run reg export "$key" "$(winpath "$work/state.reg")" /y >/dev/null 2>&1 || echo "no key $key"
    if [ -f "$work/state.reg" ]; then iconv -f UTF-16LE -t UTF-8 "$work/state.reg" | tr -d '\r'; fi
  done
}
before=$(drive_state)
for value in '"Count"=dword:0000002a' '"Blob"=hex:00,ff,0a,0d,5c' '"Lines"=hex(7):' '"Path"=hex(2):'; do
  grep -qF "$value" <<<"$before" || fail "the exported key lacks $value: $before"
done
upgrade="$work/upgrade"
mkdir -p "$upgrade/payload/docs" "$upgrade/more"
echo "version 2" >"$upgrade/payload/readme.txt"
echo "version 2 manual" >"$upgrade/payload/docs/manual.txt"
echo "new" >"$upgrade/payload/new.txt"
echo "more" >"$upgrade/more/more.txt"
for ending in fail cancel late; do
  {
    printf 'name "Wizpak Demo"\nshortname "WizpakDemo"\noutfile %s.exe\n' "$ending"
    printf 'installdir "$PROGRAMFILES\\Wizpak Demo"\nprefix WizpakDemo\npages default\n'
    printf 'uninstallpages uninstall\nlanguage install\\english\nuninstalllanguage uninstall\\english\n'
    printf 'start:\nfile payload\n'
    printf 'writeregstr HKCU "Software\\Wizpak Demo" Edition upgraded\n'
    printf 'writeregstr HKCU "Software\\Wizpak Demo\\Sub" Added yes\n'
    printf 'writeregstr HKCU "Software\\Wizpak Demo" Fresh yes\n'
    for name in Count Blob Lines Path; do
      printf 'writeregstr HKCU "Software\\Wizpak Demo" %s "now a string"\n' "$name"
    done
    printf 'createdirectory "$INSTDIR\\made"\ndelete "$INSTDIR\\demo.sh"\n'
    printf 'copyfile "$INSTDIR\\new.txt" "$INSTDIR\\docs\\licence.txt"\n'
    printf 'rmdir "$INSTDIR\\docs" 1\n'
    printf 'delete "$SMPROGRAMS\\Wizpak Demo\\Wizpak Demo.lnk"\n'
    printf 'kypupdate more secret data.kyp\n'
    printf 'createshortcut "$SMPROGRAMS\\Wizpak Demo\\Read Me.lnk" "$INSTDIR\\new.txt" ""\n'
    printf 'createshortcut "$SMPROGRAMS\\Wizpak Demo\\New.lnk" "$INSTDIR\\new.txt" ""\n'
    printf 'createshortcut "$SMPROGRAMS\\Wizpak Extra\\Extra.lnk" "$INSTDIR\\new.txt" ""\n'
    if [ "$ending" = fail ]; then
      printf 'file more blocked\n'
    elif [ "$ending" = cancel ]; then
      printf 'kypupdate more secret missing.kyp\n'
    fi
  } >"$upgrade/$ending.kys"
  build/wizpak build "$upgrade/$ending.kys" --target=windows --stub-dir "$dir" \
    -o "$upgrade/$ending.exe" >/dev/null || fail "building the $ending upgrade"
  status=0
  if [ "$ending" = late ]; then run attrib +r "$app_win\\WizpakDemo_Uninstall.exe" >/dev/null; fi
  WIZPAK_ANSWERS=cancel WIZPAK_TRANSCRIPT="$(winpath "$upgrade/$ending.txt")" \
    run "$upgrade/$ending.exe" --unattended >/dev/null 2>&1 || status=$?
  "$wineserver" -w 2>/dev/null || true
  if [ "$ending" = late ]; then run attrib -r "$app_win\\WizpakDemo_Uninstall.exe" >/dev/null; fi
  want=5
  [ "$ending" = cancel ] && want=6
  [ "$status" = "$want" ] || fail "the $ending upgrade exited $status: $(cat "$upgrade/$ending.txt")"
  grep -q "rolled back" "$upgrade/$ending.txt" || fail "the $ending upgrade's transcript: $(cat "$upgrade/$ending.txt")"
  grep -q 'Writing data.kyp' "$upgrade/$ending.txt" || fail "the $ending upgrade never patched data.kyp"
  after=$(drive_state)
  [ "$after" = "$before" ] || fail "the $ending upgrade left changes: $(diff <(echo "$before") <(echo "$after"))"
done
pass "a failed, a cancelled and a late-failing upgrade leave files, shortcuts, log and values (of every type) as version 1 left them"

# A killed upgrade: the failing one is held before the entry $1
# (WIZPAK_TEST_HOLD) and ended there by TerminateProcess (taskkill /f), so no
# undo of its own runs. The next start for the folder (the same upgrade,
# which fails again and undoes its own changes) first undoes the killed run.
start_held_and_kill() {
  local release="$work/release-$2"
  WIZPAK_TEST_HOLD="$1:$release" WIZPAK_TRANSCRIPT="$(winpath "$upgrade/$2.txt")" \
    run "$upgrade/fail.exe" --unattended >/dev/null 2>&1 &
  local held=$!
  held_or_ended() { [ -e "$release.held" ] || ! kill -0 "$held" 2>/dev/null; }
  wait_until "the upgrade to hold before $1" held_or_ended
  [ -e "$release.held" ] || fail "the upgrade ended before its hold: $(cat "$upgrade/$2.txt")"
  run taskkill /f /im fail.exe >/dev/null 2>&1 || fail "taskkill could not end the held upgrade"
  wait "$held" || true
  "$wineserver" -w 2>/dev/null || true
}
start_held_and_kill more.txt killed
[ "$(drive_state)" != "$before" ] || fail "the killed upgrade had changed nothing"
status=0
WIZPAK_TRANSCRIPT="$(winpath "$upgrade/next.txt")" run "$upgrade/fail.exe" --unattended >/dev/null 2>&1 || status=$?
"$wineserver" -w 2>/dev/null || true
[ "$status" = 5 ] || fail "the start after the killed upgrade exited $status: $(cat "$upgrade/next.txt")"
grep -q "Undoing an interrupted installation" "$upgrade/next.txt" || fail "no undo at start: $(cat "$upgrade/next.txt")"
after=$(drive_state)
[ "$after" = "$before" ] || fail "the killed upgrade was not undone: $(diff <(echo "$before") <(echo "$after"))"
pass "a killed upgrade is undone by the next start"
rm "$app/blocked" "$app/data.kyp"
for name in Count Blob Lines Path; do run reg delete "$demo_key" /v "$name" /f >/dev/null; done

inspect="$dir/tests/wizpak-inspect.exe"
links=0
while IFS= read -r -d '' lnk; do
  fields=$(run "$inspect" lnk "$(winpath "$lnk")" | tr -d '\r')
  case "$(basename "$lnk")" in
    "Wizpak Demo.lnk") want="$app_win\\demo.sh|" ;;
    "Read Me.lnk") want="$app_win\\readme.txt|" ;;
    *) fail "unexpected link $lnk" ;;
  esac
  [[ "$fields" == "$want|$app_win" ]] || fail "link $lnk reads '$fields'"
  links=$((links + 1))
done < <(find "$c" -name '*.lnk' -path '*Wizpak Demo*' -print0)
[ "$links" = 2 ] || fail "expected 2 shortcuts, found $links"
pass "both shortcuts resolve to their targets through IShellLinkW"

stub_icon=$(run "$inspect" icon "$(winpath "$root/$dir/wizpak-stub.exe")" | tr -d '\r' || true)
icon=$(run "$inspect" icon "$(winpath "$app/WizpakDemo_Uninstall.exe")" | tr -d '\r') \
  || fail "the uninstaller carries no icon"
[ "$icon" != "$stub_icon" ] || fail "the uninstaller kept the runtime's icon ($icon)"
pass "the uninstaller carries the page set's icon ($icon)"

# A run killed while it wrote the manual left its temporary (of a process id
# no process has): the uninstall sweeps it, so the folder still goes. And an
# upgrade killed after it wrote new.txt (no file of version 1's log): the
# uninstaller undoes it first, or new.txt would keep the folder.
echo "part written" >"$app/docs/.manual.txt.4000000-0123456789.tmp"
start_held_and_kill readme.txt killed-again
[ -f "$app/new.txt" ] || fail "the upgrade killed at readme.txt wrote no new.txt"
uninstall_string=$(echo "$entry" | sed -n 's/.*UninstallString *REG_SZ *//p')
uninstaller=${uninstall_string//\"/}
WIZPAK_TRANSCRIPT="$(winpath "$work/uninstall.txt")" run "$uninstaller" --unattended \
  2>"$work/uninstall.err" || fail "unattended uninstall: $(cat "$work/uninstall.txt" "$work/uninstall.err" 2>/dev/null)"
# The finaliser waits for the uninstaller to end, then deletes it: once
# every Wine process of the prefix has ended, it has done so.
"$wineserver" -w 2>/dev/null || true
[ ! -e "$app" ] || fail "left behind: $(find "$app" | head)"
# (It undoes it before its window shows: standard error says so.)
grep -q "interrupted installation into .* was rolled back" "$work/uninstall.err" ||
  fail "the uninstaller undid no killed run: $(cat "$work/uninstall.err")"
run reg query "$uninstall_key" >/dev/null 2>&1 && fail "the uninstall entry survived"
left=$(run reg query 'HKCU\Software\Wizpak Demo' 2>/dev/null | tr -d '\r' | grep REG_SZ || true)
[ -z "$left" ] || fail "values survived: $left"
[ -z "$(find "$c" -name '*.lnk' -path '*Wizpak Demo*')" ] || fail "shortcuts survived"
pass "the registered UninstallString undid a killed upgrade and removed everything (a killed run's temporary too); the finaliser deleted the uninstaller"

# Installed where the install makes the folder above the installation folder
# too: the finaliser, given that logged folder, removes it once the
# uninstaller and the folder below are gone.
games=$(hostpath 'C:\Games')
[ ! -e "$games" ] || fail "C:\Games exists before the install"
WIZPAK_TRANSCRIPT="$(winpath "$transcript")" run "$setup" --unattended --dir='C:\Games\Wizpak Demo' \
  || fail "unattended install to C:\Games (exit $?): $(cat "$transcript" 2>/dev/null)"
"$wineserver" -w 2>/dev/null || true
[ -f "$games/Wizpak Demo/WizpakDemo_Uninstall.exe" ] || fail "nothing installed in C:\Games"
WIZPAK_TRANSCRIPT="$(winpath "$work/uninstall.txt")" \
  run 'C:\Games\Wizpak Demo\WizpakDemo_Uninstall.exe' --unattended \
  || fail "unattended uninstall from C:\Games: $(cat "$work/uninstall.txt" 2>/dev/null)"
"$wineserver" -w 2>/dev/null || true
[ ! -e "$games" ] || fail "the uninstall left C:\Games: $(find "$games" | head)"
pass "the folder above the installation folder that the install made went with the uninstall"

# ---- 3. start-up checks ----------------------------------------------------
# A damaged entry: the Linux tool names the entry the flipped byte hit; the
# Windows runtime must stop at the same one with the user's message.
damaged="$work/damaged/WizpakDemoSetup.exe"
mkdir -p "$work/damaged"
cp "$setup" "$damaged"
start=$(build/wizpak list "$damaged" | sed -n 's/.*package starts at \([0-9]*\), directory at \([0-9]*\).*/\1 \2/p')
read -r first directory <<<"$start"
at=$(((first + directory) / 2))
byte=$(od -An -tu1 -j "$at" -N1 "$damaged" | tr -d ' ')
printf "$(printf '\\%03o' $(((byte ^ 0x55) & 0xFF)))" | dd of="$damaged" bs=1 seek="$at" conv=notrunc 2>/dev/null
hit=$( (build/wizpak verify "$damaged" 2>&1 || true) |
  sed -n 's/.*entry \([0-9]*\) (\(.*\)) is damaged.*/\1|\2/p' | head -1)
[ -n "$hit" ] || fail "the flipped byte at $at damaged no entry"
status=0
WIZPAK_TRANSCRIPT="$(winpath "$work/damaged.txt")" run "$damaged" --unattended || status=$?
[ "$status" = 1 ] || fail "damaged setup exited $status"
hit_name=${hit#*|}
hit_name=${hit_name//\\/\\\\}  # the transcript escapes backslashes
grep -qF "text=\"Error: Verification Failed. Setup is corrupt.\\rID: ${hit%%|*} Filename: $hit_name\"" \
  "$work/damaged.txt" || fail "damaged entry message: $(cat "$work/damaged.txt")"
pass "a damaged entry (${hit}) stops verification with its ID and name"

for name in "WizpakDemoSetup(10).exe" "WizpakDemoSetup(0).exe" "WizpakDemoSetup(3).exe"; do
  copy="$work/renamed/$name"
  mkdir -p "$work/renamed"
  cp "$setup" "$copy"
  status=0
  WIZPAK_TRANSCRIPT="$(winpath "$work/renamed.txt")" run "$copy" --unattended \
    --dir='C:\Renamed Check' >/dev/null 2>&1 || status=$?
  if [ "$name" = "WizpakDemoSetup(3).exe" ]; then
    grep -q renamed "$work/renamed.txt" && fail "$name was taken for a renamed setup"
    [ "$status" = 0 ] || fail "$name exited $status"
  else
    [ "$status" = 1 ] || fail "$name exited $status"
    grep -qF "Found: \\r$name\"" "$work/renamed.txt" || fail "$name: $(cat "$work/renamed.txt")"
  fi
  rm -f "$work/renamed.txt" "$copy"
done
pass "a renamed setup is refused; a download copy setup(3).exe runs"
# ---- 4. the native front-end: its tests and a screenshot of every page ----
scripts/test-windows-gui.sh "$dir" build/wizpak || fail "the native front-end (scripts/test-windows-gui.sh)"
pass "screenshots of every demo page in $dir/screenshots"
echo "test-windows: all passed ($wine_arch: the $mingw_arch programs)"
