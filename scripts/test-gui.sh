#!/usr/bin/env bash
# Runs the tests of the graphical front-end (ctest label "gui": the screen
# tests and the xdotool walk) on a private virtual display. Screens are saved
# under BUILD/gui-screens/.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
# -noreset: a server that resets when its last client leaves refuses the
# connections made meanwhile, and the scripts' polling xdotool calls are
# often the last client while a setup starts.
xvfb-run -a -s "-screen 0 1024x768x24 -noreset" ctest --test-dir "$build" -L gui --output-on-failure
