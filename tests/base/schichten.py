#!/usr/bin/env python3
"""Fails when a source includes a header of a higher layer.

The layers, from the bottom: base, textio, markup, script, convert,
tracking, driver. A file may include its own layer and those below it.
Prints every upward include with file and line."""
import os
import re
import sys

SCHICHTEN = ["base", "textio", "markup", "script", "convert", "tracking", "driver"]
RANG = {name: i for i, name in enumerate(SCHICHTEN)}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z]+)/')

wurzel = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
fehler = []
gezaehlt = 0
for schicht in SCHICHTEN:
    ordner = os.path.join(wurzel, schicht)
    for name in sorted(os.listdir(ordner)):
        if not name.endswith((".h", ".cpp", ".in")):
            continue
        with open(os.path.join(ordner, name), encoding="utf-8") as f:
            for zeile_nr, zeile in enumerate(f, 1):
                m = INCLUDE.match(zeile)
                if not m or m.group(1) not in RANG:
                    continue
                gezaehlt += 1
                if RANG[m.group(1)] > RANG[schicht]:
                    fehler.append(f"{schicht}/{name}:{zeile_nr}: {zeile.strip()}")
if fehler:
    print("upward includes:")
    print("\n".join(fehler))
    sys.exit(1)
print(f"ok   layers: {gezaehlt} includes, none upward")
