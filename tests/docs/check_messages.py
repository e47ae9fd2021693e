#!/usr/bin/env python3
"""Checks that docs/messages.md quotes every message the program can print.

Every wide string literal of the program's sources (adjacent literals
joined) that contains a blank or ends a console line is taken as message
text; the parameter help of driver/HILF.cpp belongs to the manual page and
is left out. Each line of such a text must appear in the reference as it is
printed: "%%" shows as "%", a number conversion (%d, %lld, %zu, %u) is
written %d, %04X is written %X, and a text conversion (%ls, %s) may stand
for any text, so that a message printed in pieces is found in its whole.

    check_messages.py [--list]
"""
import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
AREAS = ["base", "driver", "textio", "markup", "script", "convert", "tracking"]
SKIP = {"driver/HILF.cpp"}
REFERENCE = ROOT / "docs" / "messages.md"

ESCAPES = {"n": "\n", "t": "\t", '"': '"', "'": "'", "\\": "\\", "0": "\0"}


def wide_literals(source):
    """Yields the wide string literals of a C++ source, adjacent ones joined."""
    i, n = 0, len(source)
    pending = None          # joined text of the current run of wide literals
    while i < n:
        c = source[i]
        if source.startswith("//", i):
            i = source.find("\n", i)
            i = n if i < 0 else i
            continue
        if source.startswith("/*", i):
            i = source.find("*/", i + 2)
            i = n if i < 0 else i + 2
            continue
        if c in " \t\r\n":
            i += 1
            continue
        if c == "'" :
            j = i + 1
            while j < n and source[j] != "'":
                j += 2 if source[j] == "\\" else 1
            i = j + 1
            continue
        wide = source.startswith('L"', i)
        if wide or c == '"':
            j = i + (2 if wide else 1)
            text = []
            while j < n and source[j] != '"':
                if source[j] == "\\":
                    text.append(ESCAPES.get(source[j + 1], source[j + 1]))
                    j += 2
                else:
                    text.append(source[j])
                    j += 1
            i = j + 1
            if wide:
                pending = (pending or "") + "".join(text)
            continue
        if pending is not None:
            yield pending
            pending = None
        i += 1
    if pending is not None:
        yield pending


def is_message(text):
    return (" " in text.strip() or text.endswith("\n")) and re.search(r"[A-Za-zÄÖÜäöüß]{2}", text)


def pattern(line):
    """The regular expression that finds one printed line in the reference."""
    out = []
    for piece in re.split(r"(%%|%ls|%s|%0?\d*(?:ll|l|z)?[duX]|%f)", line):
        if piece == "%%":
            out.append(re.escape("%"))
        elif piece in ("%ls", "%s"):
            out.append(".*?")
        elif piece and piece[0] == "%" and piece[-1] == "X":
            out.append(re.escape("%X"))
        elif piece and piece[0] == "%" and piece[-1] in "du":
            out.append(re.escape("%d"))
        else:
            out.append(re.escape(piece))
    return "".join(out)


def main():
    reference = REFERENCE.read_text(encoding="utf-8")
    messages = set()
    for area in AREAS:
        for path in sorted((ROOT / area).glob("*.[ch]*")):
            if str(path.relative_to(ROOT)) in SKIP:
                continue
            for text in wide_literals(path.read_text(encoding="utf-8")):
                if is_message(text):
                    messages.add(text)
    if "--list" in sys.argv:
        for text in sorted(messages):
            print(repr(text))
        return 0
    missing = []
    for text in sorted(messages):
        for line in text.split("\n"):
            if line.strip() and not re.search(pattern(line), reference):
                missing.append(line)
    if missing:
        print("FAIL messages: %d message texts are not in docs/messages.md:" % len(missing))
        for line in missing:
            print("  " + line)
        return 1
    print("ok   messages: all %d message texts are in docs/messages.md" % len(messages))
    return 0


if __name__ == "__main__":
    sys.exit(main())
