# Sourced by the Windows test scripts (from the checkout's root): picks the
# one architecture a run tests and sets everything that has to match it.
#   wine_arch   win32 | win64     WINEARCH of the run's prefixes (exported)
#   mingw_arch  i686 | x86_64     the argument of scripts/build-windows.sh
#   win_build   build-windows | build-windows64
#   wine        the Wine loader that runs that build's programs
#   wine_arch_skip  set (to a reason) when WIZPAK_WINE_ARCH forces an
#               architecture this machine cannot run: the caller skips
# WIZPAK_WINE_ARCH=win32|win64 forces the choice; unset, 32-bit is taken
# when this machine runs it (the 32-bit programs are what we ship), else
# 64-bit. The choice is exported in WIZPAK_WINE_ARCH, so scripts called
# from the caller test the same architecture.

# The loader for an architecture, when it exists and starts on this kernel
# (a kernel without 32-bit support refuses it: "Exec format error").
wine_loader() {
  local candidates
  case "$1" in
    win32) candidates="/usr/lib/wine/wine $(command -v wine || true)" ;;
    win64) candidates="/usr/lib/wine/wine64 $(command -v wine64 || true)" ;;
  esac
  for loader in $candidates; do
    [ -x "$loader" ] && "$loader" --version >/dev/null 2>&1 && { echo "$loader"; return 0; }
  done
  return 1
}

wine_arch_skip=
case "${WIZPAK_WINE_ARCH:-}" in
  win32 | win64)
    wine_arch=$WIZPAK_WINE_ARCH
    wine=$(wine_loader "$wine_arch") || wine_arch_skip="$wine_arch Wine cannot run on this machine"
    ;;
  "")
    if wine=$(wine_loader win32); then
      wine_arch=win32
    elif wine=$(wine_loader win64); then
      wine_arch=win64
    else
      echo "no Wine loader starts on this machine (install wine32:i386 or wine64)" >&2
      exit 1
    fi
    ;;
  *)
    echo "WIZPAK_WINE_ARCH takes win32 or win64, not '$WIZPAK_WINE_ARCH'" >&2
    exit 2
    ;;
esac
case "$wine_arch" in
  win32) mingw_arch=i686 win_build=build-windows ;;
  win64) mingw_arch=x86_64 win_build=build-windows64 ;;
esac
export WIZPAK_WINE_ARCH=$wine_arch WINEARCH=$wine_arch
