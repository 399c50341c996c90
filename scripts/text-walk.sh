#!/usr/bin/env bash
# The terminal wizard (--ui=text) driven through tmux as a person would use
# it over SSH: keys go in with `tmux send-keys`, the screen comes back with
# `tmux capture-pane`, and every step waits for the text it expects on the
# screen (never for a time). Walks the demo setup in English and in German
# (welcome, change log, a folder typed, the folder prompt, the extras
# question answered No, the finish page), the plain numbered prompts of a
# dumb terminal, Cancel during the extraction answered Yes (status 6, the
# run rolled back: nothing left on the drive) and the uninstaller's pages.
# Screens are saved as text under BUILD/gui-screens/text-*.txt.
#
# Usage: scripts/text-walk.sh [BUILD]   (exits 77 without tmux)
#
# Inside a root holding only the C library: with TEXT_WALK_ROOT=DIR (a folder
# with the loader, libc, libm, /dev/null, /home, /tmp and a mounted /proc, as
# tests/e2e/libc_only_root.sh --text-walk makes it) the setups are copied
# into DIR and started with `chroot DIR` (nothing else runs inside: the root
# has no shell); the drive map and registry then live inside DIR too, and
# the screens are saved as text-libc-root-*.txt.
set -euo pipefail
build=$(realpath "${1:-build}")
src=$(cd "$(dirname "$0")/.." && pwd)
command -v tmux >/dev/null || { echo "tmux is not installed"; exit 77; }
shots="$build/gui-screens"
mkdir -p "$shots"
root=${TEXT_WALK_ROOT:-}
if [ -n "$root" ]; then
  work=$(mktemp -d "$root/text-walk.XXXXXX")
  inside=${work#"$root"}
else
  work=$(mktemp -d)
  inside=$work
fi
sock="wizpak-text-$$"
tmx() { tmux -L "$sock" "$@"; }
cleanup() { tmx kill-server 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
export WIZPAK_NO_OPEN=1
# tmux reads and writes the screens as UTF-8 (German texts, box lines).
export LC_ALL=C.UTF-8

source "$src/scripts/lib/wait.sh"
on_fail() {
  tmx has-session -t w 2>/dev/null || return 0
  echo "--- screen:"
  tmx capture-pane -p -t w || true
}

# Runs PROGRAM (a path below the work folder) in a fresh 80x24 pane with
# the given TERM (and the extraction hold HOLD when set); its exit status
# goes to $work/status.
start() {
  local term=$1
  local program="'$inside/$2'"
  rm -f "$work/status"
  tmx kill-session -t w 2>/dev/null || true
  local env="WIZPAK_DRIVES='C=$inside/drive_c:fixed' WIZPAK_REGISTRY='$inside/registry.reg'"
  env+=" WIZPAK_NO_OPEN=1 WIZPAK_LANGID=${LANGID:-0409} TERM=$term LANG=C.UTF-8"
  [ -z "${HOLD:-}" ] || env+=" WIZPAK_TEST_HOLD='$HOLD'"
  local run="cd '$inside' && env -u DISPLAY -u WAYLAND_DISPLAY $env $program"
  if [ -n "$root" ]; then
    run="env -i HOME=/home TMPDIR=/tmp $env $(command -v chroot) '$root' $program"
  fi
  tmx new-session -d -x 80 -y 24 -s w "sh -c \"$run; echo \\\$? >'$work/status.new'; mv '$work/status.new' '$work/status'\"; sleep 600"
}

screen() { tmx capture-pane -p -t w; }

on_screen() { screen | grep -qF -- "$1"; }
# TEXT is on the screen; a setup that ended without showing it fails.
shows() {
  on_screen "$1" && return 0
  [ -f "$work/status" ] && ! on_screen "$1" &&
    fail "the setup ended (status $(cat "$work/status")) while waiting for: $1"
  return 1
}
# Waits until TEXT is on the screen.
wait_for() { wait_until "\"$1\" on the screen" shows "$1"; }
# Waits until TEXT is gone from the screen.
off_screen() { ! on_screen "$1"; }
wait_gone() { wait_until "\"$1\" to leave the screen" off_screen "$1"; }
# Waits until line N of the screen holds TEXT.
line_shows() { screen | sed -n "$1p" | grep -qF -- "$2"; }
wait_line() { wait_until "line $1 to show \"$2\"" line_shows "$1" "$2"; }

shot() { screen >"$shots/text-${root:+libc-root-}$1.txt"; }

keys() { tmx send-keys -t w "$@"; }

# Waits for the setup's exit status and checks it.
expect_status() {
  wait_until "the setup to end" test -f "$work/status"
  local got
  got=$(cat "$work/status")
  [ "$got" = "$1" ] || fail "the setup ended with status $got, not $1"
}

fresh_drive() {
  rm -rf "$work/drive_c" "$work/registry.reg"
  mkdir -p "$work/drive_c"
}

"$build/wizpak" build "$src/examples/demo/setup.kys" -o "$work/WizpakDemoSetup.exe" >/dev/null
# A session that lives as long as the script: the server does not exit (and
# race the next session's start) each time a setup's session is replaced.
tmx new-session -d -s keep "sleep 3600"

# ---------------------------------------------------------------- English
echo "== English walk"
fresh_drive
LANGID=0409 start xterm-256color WizpakDemoSetup.exe
wait_for "Welcome to the Wizpak Demo Setup Wizard"
wait_for "[N] Next >"
shot en-welcome
# A wider window: the page is drawn again to the new width.
tmx resize-window -t w -x 100 -y 30
wait_for "$(printf '─%.0s' $(seq 1 100))"
shot en-welcome-100x30
tmx resize-window -t w -x 80 -y 24
wait_gone "$(printf '─%.0s' $(seq 1 100))"
# Drawn anew at 80 columns: the title on top, the buttons above the hints.
wait_line 1 " Wizpak Demo"
wait_line 23 "[N] Next >   [C] Cancel"
keys Enter
wait_for "What's New"
shot en-changelog
keys n
wait_for "Install Directory"
wait_for "1) C:\\Program Files\\Wizpak Demo"
shot en-folder
# Ctrl+C is the window's close button: the close question, No keeps the page.
keys C-c
wait_for "Are you sure you want to quit the installation?"
shot en-close-question
keys n
wait_gone "Are you sure you want to quit the installation?"
wait_for "Install Directory"
# The folder box as a prompt whose default is its text.
keys 1
wait_for "> C:\\Program Files\\Wizpak Demo"
shot en-folder-prompt
keys C-u 'C:\Games\Wizpak Demo' Enter
wait_for "1) C:\\Games\\Wizpak Demo"
# The folder tree as a folder prompt: Tab lists drives and folders.
mkdir -p "$work/drive_c/Games/Other Game"
keys 2
wait_for "> C:\\"
keys C-u 'C:\Games' Tab
wait_for "Folders in C:\\Games\\: Other Game"
shot en-folder-browse
keys Escape
wait_gone "Folders in C:\\Games\\"
shot en-folder-typed
keys Enter
wait_for "Ready to Install"
wait_for "[I] Install"
shot en-ready
keys Enter
wait_for "Install the optional extras too?"
shot en-extras-question
keys c  # Cancel: no extras
wait_for "Completing the Wizpak Demo Setup Wizard"
shot en-finish
keys Enter
expect_status 0
folder="$work/drive_c/Games/Wizpak Demo"
[ -f "$folder/readme.txt" ] || fail "nothing installed in the typed folder"
[ ! -e "$folder/extras" ] || fail "the extras were installed though the question was answered No"

# ------------------------------------------------------------ uninstaller
echo "== Uninstaller"
echo "mine" >"$folder/notes.txt"
start xterm-256color "drive_c/Games/Wizpak Demo/WizpakDemo_Uninstall.exe"
wait_for "Welcome to the WizpakDemo Uninstall Wizard"
shot uninstall-welcome
keys Enter
wait_for "Ready to Uninstall"
wait_for "[U] Uninstall"
shot uninstall-ready
keys Enter
wait_for "Uninstallation Complete"
shot uninstall-finish
keys Enter
expect_status 0
wait_removed "$folder/WizpakDemo_Uninstall.exe"
left=$(cd "$folder" && find . -mindepth 1 | sort | tr '\n' ' ')
[ "$left" = "./notes.txt " ] || fail "the uninstaller left or took the wrong things: $left"

# ----------------------------------------------------------------- German
echo "== German walk, the language chosen from the menu"
fresh_drive
LANGID=0409 start xterm-256color WizpakDemoSetup.exe
wait_for "[E] English"
keys e
wait_for "2) Deutsch"
shot de-language-menu
keys 2
wait_for "Willkommen beim Setup-Assistenten von Wizpak Demo"
wait_for "[W] Weiter >"
shot de-welcome
keys Enter
wait_for "Neuigkeiten"
shot de-changelog
keys Enter
wait_for "Installationsordner"
# The front-end's own words are German too.
wait_for "2) Ordner durchsuchen"
wait_for "Strg+C: schließen"
shot de-folder
keys 1
wait_for "> C:\\Program Files\\Wizpak Demo"
wait_for "Eingabe: übernehmen"
shot de-folder-prompt
keys C-u 'C:\Spiele\Wizpak Demo' Enter
wait_for "1) C:\\Spiele\\Wizpak Demo"
shot de-folder-typed
keys Enter
wait_for "Bereit zur Installation"
shot de-ready
keys Enter
wait_for "Install the optional extras too?"
wait_for "Eingabe: OK   Esc: Abbrechen"  # the box's buttons in German
shot de-extras-question
keys Escape  # the last button: Cancel
wait_for "Fertigstellen des Setup-Assistenten von Wizpak Demo"
shot de-finish
keys Enter
expect_status 0
[ -f "$work/drive_c/Spiele/Wizpak Demo/readme.txt" ] || fail "German walk: nothing installed"
[ ! -e "$work/drive_c/Spiele/Wizpak Demo/extras" ] || fail "German walk: extras installed"

# ------------------------------------------------------- plain (TERM=dumb)
echo "== Plain prompts on a dumb terminal"
fresh_drive
start dumb WizpakDemoSetup.exe
wait_for "Choice [1]:"
screen | grep -q $'\e' && fail "escape sequences on a dumb terminal"
keys Enter
wait_for "What's New"
keys Enter
wait_for "Install Directory"
keys Enter
wait_for "Ready to Install"
keys Enter
wait_for "Install the optional extras too?"
keys 2 Enter  # 2) Cancel
wait_for "Completing the Wizpak Demo Setup Wizard"
shot plain-finish
keys Enter
expect_status 0

# ------------------------------------------- Cancel during the extraction
echo "== Cancel during the extraction, answered Yes"
blobs=200
cp -r "$src/examples/demo" "$work/big"
mkdir -p "$work/big/payload/data"
head -c $((blobs * 65536)) /dev/urandom | split -b 65536 -a 3 -d - "$work/big/payload/data/blob"
"$build/wizpak" build "$work/big/setup.kys" -o "$work/WizpakDemoSetup.exe" >/dev/null
fresh_drive
# The extraction is held at the hundredth file (the setup's test seam) until
# the walk releases it, so Escape is pressed part-way whatever the machine's
# speed.
HOLD="data\\blob100:$inside/release" start xterm-256color WizpakDemoSetup.exe
wait_for "[N] Next >"
keys Enter
wait_for "What's New"
keys Enter
wait_for "Install Directory"
keys Enter
wait_for "[I] Install"
keys Enter
held() { [ -e "$work/release.held" ]; }
wait_until "the extraction to reach the held file" held
wait_for "Extracting data\\blob100"
keys Escape
wait_for "Are you sure you want to quit the installation?"
shot cancel-question
percent=$(screen | grep -o '[0-9]\+%' | head -1 | tr -d %)
[ -n "$percent" ] && [ "$percent" -gt 0 ] && [ "$percent" -lt 100 ] ||
  fail "no part-way gauge under the question"
keys y
wait_gone "Are you sure you want to quit the installation?"
touch "$work/release"
expect_status 6
# The rolled-back line stays in view on the terminal after the wizard.
wait_for "WizpakDemoSetup.exe: The installation was rolled back"
shot cancel-after
# A cancelled run is undone: the drive and the hive are as they were before
# it.
left=$(cd "$work/drive_c" && find . -mindepth 1 | head -5 | tr '\n' ' ')
[ -z "$left" ] || fail "the cancelled run left: $left"
[ ! -e "$work/registry.reg" ] || fail "the cancelled run left a hive"
echo "cancelled at ${percent}% and rolled back: nothing left"
echo "text walk: ok"
