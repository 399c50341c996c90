# The start of a walk through a real window (sourced after $build and $src
# are set): the waits and the private machine, the display checked (exit
# 77 without one) and $shots, the folder the screens go to.
source "$src/scripts/lib/wait.sh"
source "$src/scripts/lib/machine.sh"
need_display
shots="$build/gui-screens"
mkdir -p "$shots"

# The colour at X Y of the picture FILE, as RRGGBB.
pixel() { convert "$1" -format "%[hex:p{$2,$3}]" info: | cut -c1-6; }
