#!/usr/bin/env bash
# The demo setup on a machine that has nothing but the C library: a root
# folder holding only the loader, libc, libm, /dev/null and a mounted /proc.
# The setup installs unattended inside it (chroot), its uninstaller removes
# everything again (the finaliser then removes the uninstaller), and the
# drive is empty after. Asked for the graphical front-end there, the setup
# names the missing X library in one line and ends with status 2. Also
# checks that the setup runtime, the finaliser and the uninstaller the run
# leaves name only libc, libm and the loader (readelf -d).
# Needs root (chroot, mount); exits 77 (skipped) otherwise.
#
# With --text-walk the same root is made and the terminal wizard is walked
# inside it through tmux instead (scripts/text-walk.sh with TEXT_WALK_ROOT;
# tmux runs outside the root, the setups inside).
set -euo pipefail
build=$(realpath "${1:-build}")
text_walk=${2:-}
src=$(cd "$(dirname "$0")/../.." && pwd)
# fail and wait_removed; the waits give up well inside ctest's limit.
# shellcheck source=scripts/lib/wait.sh
source "$src/scripts/lib/wait.sh"
WAIT_LIMIT=120

# Only the C library, its maths library and the loader.
needs_only_libc() {
  local needed
  needed=$(readelf -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\].*/\1/p' | sort | tr '\n' ' ')
  for lib in $needed; do
    case "$lib" in
      libc.so.6 | libm.so.6 | ld-linux*.so.*) ;;
      *) fail "$(basename "$1") needs $lib (all: $needed)" ;;
    esac
  done
  echo "$(basename "$1") needs: $needed"
}
needs_only_libc "$build/wizpak-stub"
needs_only_libc "$build/wizpak-finalise"

[ "$(id -u)" -eq 0 ] || { echo "not root: chroot test skipped"; exit 77; }
root=$(mktemp -d)
cleanup() {
  umount "$root/proc" 2>/dev/null || true
  rm -rf "$root"
}
trap cleanup EXIT

loader=$(readelf -l "$build/wizpak-stub" | sed -n 's/.*interpreter: \(.*\)\]/\1/p')
[ -n "$loader" ] || fail "the stub names no loader"
for f in "$loader" $(ldd "$build/wizpak-stub" | awk '$3 ~ /^\// {print $3}'); do
  mkdir -p "$root$(dirname "$f")"
  cp -L "$f" "$root$f"
done
# The drive has its program files folder, as every Windows drive C has.
mkdir -p "$root/dev" "$root/proc" "$root/tmp" "$root/drive_c/Program Files" "$root/home"
mknod -m 666 "$root/dev/null" c 1 3
mount -t proc proc "$root/proc" || { echo "cannot mount /proc: chroot test skipped"; exit 77; }
if [ "$text_walk" = --text-walk ]; then
  command -v tmux >/dev/null || { echo "tmux is not installed"; exit 77; }
  echo "root folder: $(cd "$root" && find . -path ./proc -prune -o ! -type d -print | sort | tr '\n' ' ')"
  TEXT_WALK_ROOT=$root bash "$src/scripts/text-walk.sh" "$build"
  exit
fi
"$build/wizpak" build "$src/examples/demo/setup.kys" -o "$root/WizpakDemoSetup.exe" >/dev/null
echo "root folder: $(cd "$root" && find . -path ./proc -prune -o ! -type d -print | sort | tr '\n' ' ')"

chroot=$(command -v chroot)
in_root() {
  env -i HOME=/home TMPDIR=/tmp WIZPAK_DRIVES="C=/drive_c:fixed" WIZPAK_REGISTRY=/registry.reg \
    WIZPAK_NO_OPEN=1 "$@"
}

# Without X libraries the graphical front-end names what is missing.
status=0
in_root DISPLAY=:0 "$chroot" "$root" /WizpakDemoSetup.exe </dev/null >"$root/gui.out" 2>&1 || status=$?
cat "$root/gui.out"
[ "$status" -eq 2 ] || fail "asked for the window without X, the setup ended with $status, not 2"
grep -q 'libX[A-Za-z]*\.so\.[0-9]*: cannot open shared object file' "$root/gui.out" ||
  fail "the missing X library is not named"
[ "$(wc -l <"$root/gui.out")" -eq 1 ] || fail "more than one line for the missing front-end"

in_root "$chroot" "$root" /WizpakDemoSetup.exe --unattended || fail "the install failed ($?)"
folder="$root/drive_c/Program Files/Wizpak Demo"
[ -f "$folder/docs/manual.txt" ] || fail "the manual was not installed"
uninstaller="$folder/WizpakDemo_Uninstall.exe"
[ -x "$uninstaller" ] || fail "no uninstaller"
needs_only_libc "$uninstaller"
echo "installed: $(cd "$root/drive_c" && find . -type f | wc -l) files"

in_root "$chroot" "$root" "/drive_c/Program Files/Wizpak Demo/WizpakDemo_Uninstall.exe" --unattended ||
  fail "the uninstaller failed ($?)"
# The finaliser removes the uninstaller once it has exited, then its folder.
wait_removed "$folder"
left=$(cd "$root/drive_c" && find . -mindepth 1 ! -path "./Program Files" | sort | tr '\n' ' ')
[ -z "$left" ] || fail "the drive is not empty after the uninstall: $left"
left=$(cd "$root/home" && find . -type f | sort | tr '\n' ' ')
[ -z "$left" ] || fail "files left in the home folder: $left"
echo "libc-only root: installed, uninstalled, drive empty"
