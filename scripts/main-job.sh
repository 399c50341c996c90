#!/usr/bin/env bash
# The main job, run by setup.sh on a built tree: pack the bundled examples/
# folder into a package, list it and verify it.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

"$build/wizpak" pack examples -o "$out/examples.pak"
"$build/wizpak" list "$out/examples.pak"
"$build/wizpak" verify "$out/examples.pak"
