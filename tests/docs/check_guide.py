#!/usr/bin/env python3
"""Runs every code snippet of docs/guide.md, so that the guide cannot drift
from the program.

Every fenced block of the guide has one of three roles, named after its
language word:
    ```LANG file=NAME      the text of a file (written into the work folder)
    ```console             "$ " lines are commands, the lines after each one
                           its console text (stdout and stderr)
    ```LANG result=NAME    the exact text of a file after the commands before
                           it (a leading byte-order mark is not shown)
A fenced block without a role fails the check. The blocks act in order, all
in one work folder, so that later examples may use the files of earlier
ones. In the commands "tessar" is
the program; the work folder shows as "…" and the banner's "Build" line is
compared by its start only.

    check_guide.py PATH/TO/tessar [--update]
--update writes the console texts and results of the run into the guide;
check every changed line before committing it.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
GUIDE = ROOT / "docs" / "guide.md"
FENCE = re.compile(r"^```(\S*)(?:\s+(file|result)=(\S+))?\s*$")
BOM = "\ufeff"


def blocks(lines):
    """Yields (start, end, info) for the fenced blocks; start and end are
    the line numbers of the block's content."""
    i = 0
    while i < len(lines):
        line = lines[i]
        m = FENCE.match(line)
        if m and line.strip() != "```":
            j = i + 1
            while j < len(lines) and lines[j].rstrip("\n") != "```":
                j += 1
            yield (i + 1, j, m.groups())
            i = j
        i += 1


def normalise(text, work):
    text = text.replace(work, "…")
    return re.sub(r"(?m)^Build .*$", "Build …", text)


def run_console(lines, work, tessar):
    """Runs the commands of a console block; returns the block's new lines."""
    out = []
    for line in lines:
        if not line.startswith("$ "):
            continue
        out.append(line)
        script = 'tessar() { "$TESSAR" "$@"; }\n' + line[2:]
        done = subprocess.run(["bash", "-c", script], cwd=work, capture_output=True,
                              env=dict(os.environ, TESSAR=tessar, LANG="C.UTF-8"), timeout=120)
        text = normalise((done.stdout + done.stderr).decode("utf-8", "replace"), work)
        out.extend(l + "\n" for l in text.splitlines())
    return out


def main():
    if len(sys.argv) < 2:
        print("usage: check_guide.py TESSAR [--update]", file=sys.stderr)
        return 2
    tessar = str(Path(sys.argv[1]).resolve())
    update = "--update" in sys.argv[2:]
    lines = GUIDE.read_text(encoding="utf-8").splitlines(keepends=True)
    for var in ("LC_ALL", "LANGUAGE", "LC_CTYPE", "LC_COLLATE", "LC_NUMERIC"):
        os.environ.pop(var, None)
    replacements = {}
    problems = []
    snippets = 0
    top = Path(tempfile.mkdtemp(prefix="tessar-guide."))
    work = top / "demo"
    work.mkdir()
    try:
        for start, end, info in blocks(lines):
            snippets += 1
            lang, role, name = info
            where = "docs/guide.md:%d" % start
            body = "".join(lines[start:end])
            if role == "file":
                path = work / name
                path.parent.mkdir(parents=True, exist_ok=True)
                path.write_text(body, encoding="utf-8")
            elif lang == "console":
                new = run_console(lines[start:end], str(work), tessar)
                if new != lines[start:end]:
                    replacements[start] = (end, new)
                    problems.append("%s: console text differs:\n%s" % (where, "".join(new)))
            elif role == "result":
                path = work / name
                text = path.read_text(encoding="utf-8") if path.exists() else "(no such file)\n"
                text = text[1:] if text.startswith(BOM) else text
                if text != body:
                    replacements[start] = (end, text.splitlines(keepends=True))
                    problems.append("%s: %s differs:\n%s" % (where, name, text))
            else:
                problems.append("%s: a code block needs file=, result= or console" % where)
    finally:
        shutil.rmtree(top)
    if update and replacements:
        for start in sorted(replacements, reverse=True):
            end, new = replacements[start]
            lines[start:end] = new
        GUIDE.write_text("".join(lines), encoding="utf-8")
        print("updated %d snippets of docs/guide.md" % len(replacements))
        return 0
    if problems:
        print("FAIL guide: %d of %d snippets" % (len(problems), snippets))
        for p in problems:
            print("  " + p.replace("\n", "\n    "))
        return 1
    print("ok   guide: all %d snippets of docs/guide.md" % snippets)
    return 0


if __name__ == "__main__":
    sys.exit(main())
