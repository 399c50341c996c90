#!/usr/bin/env python3
"""Builds the shipped language files from their UTF-8 sources.

src/<set>-<language>.txt (UTF-8, one line per line of the language file)
becomes <set>/<language>.wri: a byte-order mark FF FE, then UTF-16 LE text
with CR LF after every line. Each source is checked first: line 1 is the
display name, line 2 the hexadecimal language identifiers each followed by
";", and every further line a decimal string number, a blank and the text.

  make_languages.py          rewrite every .wri file
  make_languages.py --check  exit 1 when a .wri file is missing or stale
"""
import pathlib
import re
import sys

HERE = pathlib.Path(__file__).resolve().parent
ID_LIST = re.compile(r"^([0-9A-Fa-f]{1,4};)+$")
STRING_LINE = re.compile(r"^([0-9]{1,5})( .*)?$")


def check_source(path, lines):
    problems = []
    if len(lines) < 2:
        problems.append("needs a name line and an identifier line")
        return problems
    if not lines[0].strip():
        problems.append("line 1: empty language name")
    if not ID_LIST.match(lines[1]):
        problems.append("line 2: identifiers must be hex numbers each followed by ';'")
    seen = set()
    for number, line in enumerate(lines[2:], start=3):
        match = STRING_LINE.match(line)
        if not match:
            problems.append(f"line {number}: must be a string number, a blank and the text")
            continue
        value = int(match.group(1))
        if value > 65535:
            problems.append(f"line {number}: string number {value} above 65535")
        if value in seen:
            problems.append(f"line {number}: string number {value} given twice")
        seen.add(value)
    return [f"{path.name}: {p}" for p in problems]


def encode(lines):
    text = "".join(line + "\r\n" for line in lines)
    return b"\xff\xfe" + text.encode("utf-16-le")


def main(argv):
    check_only = "--check" in argv[1:]
    failures = []
    for source in sorted((HERE / "src").glob("*-*.txt")):
        set_name, language = source.stem.split("-", 1)
        lines = source.read_text(encoding="utf-8").split("\n")
        if lines and lines[-1] == "":
            lines.pop()
        problems = check_source(source, lines)
        if problems:
            failures.extend(problems)
            continue
        target = HERE / set_name / f"{language}.wri"
        wanted = encode(lines)
        if check_only:
            if not target.exists() or target.read_bytes() != wanted:
                failures.append(f"{target.relative_to(HERE)} is stale: run {pathlib.Path(argv[0]).name}")
        else:
            target.parent.mkdir(exist_ok=True)
            target.write_bytes(wanted)
    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
