# A private machine for the walk and test scripts (sourced): a work folder
# removed at exit, a drive map below it with its own registry hive, no
# error report windows, and a private home whose XDG folders take the menu
# entries, icons and launchers an installation makes (not the user's
# desktop). Sets $work; a script's own clean-up goes in on_exit.
#
#   private_machine [LETTER=FOLDER:KIND...]   more drives; a relative FOLDER
#                                             is made below $work
#   e.g. private_machine D=cd:cdrom Z=/:fixed
private_machine() {
  work=$(mktemp -d)
  trap 'if declare -F on_exit >/dev/null; then on_exit || true; fi; rm -rf "$work"' EXIT
  local drives="C=$work/drive_c:fixed" drive folder
  for drive in "$@"; do
    folder=${drive#*=}
    folder=${folder%:*}
    if [ "${folder#/}" = "$folder" ]; then
      mkdir -p "$work/$folder"
      drive="${drive%%=*}=$work/${drive#*=}"
    fi
    drives+=";$drive"
  done
  export WIZPAK_DRIVES=$drives
  export WIZPAK_REGISTRY="$work/registry.reg"
  export WIZPAK_NO_OPEN=1
  export HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share"
  export XDG_CONFIG_HOME="$work/home/.config"
  mkdir -p "$work/drive_c" "$HOME"
}

# Exits 77 (skipped) without a display that xdotool can reach.
need_display() {
  [ -n "${DISPLAY:-}" ] && xdotool getmouselocation >/dev/null 2>&1 || {
    echo "no display"
    exit 77
  }
}

# The transcript's last page line is page $1 of type $2
# ($WIZPAK_TRANSCRIPT, a PAGE line each time a page shows).
on_page() {
  [ "$(grep '^PAGE' "$WIZPAK_TRANSCRIPT" 2>/dev/null | tail -1)" = "PAGE index=$1 type=$2" ]
}
