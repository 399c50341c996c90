#!/usr/bin/env bash
# Runs the tests of the graphical front-end (ctest label "gui": the screen
# tests and the xdotool walk) on a private virtual display. Screens are saved
# under BUILD/gui-screens/.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
xvfb-run -a -s "-screen 0 1024x768x24" ctest --test-dir "$build" -L gui --output-on-failure
