#!/usr/bin/env bash
# The main job, run by setup.sh on a built tree: build the bundled demo into a
# setup, install it unattended into a private drive map and registry hive,
# show what it installed, then run the uninstaller it left behind, also
# unattended, and show that everything is gone again.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
source scripts/lib/wait.sh
source scripts/lib/machine.sh
private_machine Z=/:fixed

echo "== build the demo setup"
"$build/wizpak" build examples/demo/setup.kys -o "$work/WizpakDemoSetup.exe"
"$build/wizpak" verify "$work/WizpakDemoSetup.exe"

echo "== install unattended"
(cd "$work" && ./WizpakDemoSetup.exe --ui=headless --unattended)
folder="$work/drive_c/Program Files/Wizpak Demo"
echo "installed files:"
(cd "$work/drive_c" && find . -type f | sort | sed 's/^/  /')
echo "registry:"
sed 's/^/  /' "$WIZPAK_REGISTRY"

echo "== uninstall unattended"
"$folder/WizpakDemo_Uninstall.exe" --ui=headless --unattended
# The finaliser removes the uninstaller once it has ended, then the folder.
wait_removed "$folder"
left=$(cd "$work/drive_c" && find . -type f | sort)
if [ -n "$left" ]; then
  echo "left behind after uninstalling:"
  echo "$left" | sed 's/^/  /'
  exit 1
fi
echo "uninstalled: no files left on drive C$([ -e "$folder" ] || echo ", install folder removed")"
