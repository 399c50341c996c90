#!/usr/bin/env bash
# Patches 1,000 files (50 MB) into a 500 MB game archive, then patches the
# same files again. The second run finds every file unchanged (sizes, then
# CRC) and writes nothing but the table, so it should take at most 0.3x the
# first. `tar -c | gzip -9` of the patch files is timed as the peer.
# Usage: bench/archive.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
wizpak=$(realpath "$build/wizpak")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work" <<'PY'
import os, random, sys
root = sys.argv[1]
rng = random.Random(7)
words = [bytes(rng.choice(b"abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 9))) for _ in range(2000)]
def text(n):
    out = bytearray()
    while len(out) < n:
        out += b" ".join(rng.choice(words) for _ in range(12)) + b"\n"
    return bytes(out[:n])
def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
for i in range(550):  # ~500 MB base archive: a fifth text-like, the rest incompressible
    data = text(1 << 20) if i % 5 == 0 else rng.randbytes(1 << 20)
    write(f"{root}/base/Data/part{i:03d}.bin", data)
for i in range(1000):  # 50 MB patch
    data = text(50_000) if i % 2 else rng.randbytes(50_000)
    write(f"{root}/patch/Data/Patch/file{i:04d}.dat", data)
PY

seconds() { python3 -c 'import time; print(time.monotonic())'; }
elapsed() { python3 -c "print(f'{$2 - $1:.3f}')"; }

"$wizpak" archive create "$work/base" -o "$work/game.kyp" >/dev/null
size=$(stat -c %s "$work/game.kyp")

t0=$(seconds); "$wizpak" archive patch "$work/game.kyp" "$work/patch" >/dev/null; t1=$(seconds)
grown=$(stat -c %s "$work/game.kyp")
"$wizpak" archive patch "$work/game.kyp" "$work/patch" >/dev/null; t2=$(seconds)
again=$(stat -c %s "$work/game.kyp")
(cd "$work" && tar -c patch | gzip -9 >/dev/null); t3=$(seconds)

first=$(elapsed "$t0" "$t1"); second=$(elapsed "$t1" "$t2"); peer=$(elapsed "$t2" "$t3")
"$wizpak" archive verify "$work/game.kyp" >/dev/null
echo "archive: $((size / 1000000)) MB, after first patch $((grown / 1000000)) MB, after second $((again / 1000000)) MB"
echo "first patch:  ${first} s"
echo "second patch: ${second} s"
python3 -c "print(f'second / first: {$second / $first:.3f}x (goal <= 0.3x)')"
python3 -c "print(f'first patch / (tar -c | gzip -9 of the patch, {$peer:.3f} s): {$first / $peer:.2f}x')"
