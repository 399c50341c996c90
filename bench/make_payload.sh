#!/usr/bin/env bash
# Writes a deterministic payload of about 200 MB in about 2,000 files below
# DIR: three top-level folders (three file groups when packed) and a few
# files at the top. Sizes spread from 1 KB to 2 MB (plus four 8 MB files);
# about 60 % of the bytes are text-like (words, lines, some numbers), the
# rest incompressible. The same DIR contents come out on every run.
# Usage: bench/make_payload.sh DIR
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 DIR" >&2; exit 2; }
python3 - "$1" <<'PY'
import math, os, random, sys

root = sys.argv[1]
rng = random.Random(20261208)
letters = b"abcdefghijklmnopqrstuvwxyz"
words = [bytes(rng.choice(letters) for _ in range(rng.randint(2, 10))) for _ in range(3000)]
# One 8 MB text corpus; files take slices of it at varied offsets.
lines = []
size = 0
while size < (8 << 20):
    line = b" ".join(rng.choices(words, k=rng.randint(4, 14)))
    if rng.random() < 0.2:
        line += b" = " + str(rng.randint(0, 1 << 30)).encode()
    lines.append(line)
    size += len(line) + 2
corpus = b"\r\n".join(lines)

count = 2000
target = 200 * 1000 * 1000
sizes = [int(math.exp(rng.uniform(math.log(1000), math.log(2 << 20)))) for _ in range(count - 4)]
sizes += [8 << 20] * 4
scale = target / sum(sizes)
sizes = [max(1, int(s * scale)) for s in sizes]
folders = ["Game\\Data", "Game\\Maps", "Game\\Sound", "Docs", "Docs\\Manual", "Tools"]
tops = {"Game": 0, "Docs": 0, "Tools": 0}
for i, n in enumerate(sizes):
    text = i % 5 < 3
    if text:
        start = rng.randrange(0, len(corpus) - 1)
        data = (corpus[start:] + corpus)[:n]
        ext = rng.choice([".txt", ".ini", ".cfg", ".xml"])
    else:
        data = rng.randbytes(n)
        ext = rng.choice([".bin", ".dat", ".wav", ".jpg"])
    if i < 6:
        rel = f"readme{i}{ext}"
    else:
        rel = rng.choice(folders).replace("\\", "/") + f"/file{i:04d}{ext}"
    path = os.path.join(root, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
PY
