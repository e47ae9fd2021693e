#!/usr/bin/env python3
"""Writes an SGML document with every tag written out, from the element
structure onsgmls reports (ESIS) of a document that leaves tags out.

    sgml_voll.py ESIS DOCTYPE-LINE EMPTY-ELEMENTS > full.sgml

EMPTY-ELEMENTS: the names (comma separated) of the elements declared
EMPTY, which get no end tag. Data is written on one line, with markup
characters and the characters of LinuxDoc's short reference maps as
character references, so that the document reads to the same structure;
record ends as "&#RE;".
"""
import re
import sys

esis, doctype, leer = sys.argv[1], sys.argv[2], set(sys.argv[3].upper().split(","))
# Markup characters and the short reference characters of LinuxDoc's maps;
# a blank only before another blank (the maps' "BB").
SONDER = set('<&"#%@[]^_{|}~')


def daten(s):
    out = []
    i = 0
    while i < len(s):
        c = s[i]
        if c == "\\":
            n = s[i + 1]
            if n == "n":
                out.append("&#RE;")
                i += 2
            elif n == "|":
                i += 2
            elif n == "\\":
                out.append("&#92;")
                i += 2
            elif n == "#":
                j = s.index(";", i)
                out.append("&#%s;" % s[i + 2:j])
                i = j + 1
            else:
                out.append("&#%d;" % int(s[i + 1:i + 4], 8))
                i += 4
            continue
        blank = c in " \t" and (i + 1 >= len(s) or s[i + 1] in " \t")
        out.append("&#%d;" % ord(c) if c in SONDER or blank else c)
        i += 1
    return "".join(out)


attr = []
teile = [doctype, "\n"]
for z in open(esis, encoding="latin-1"):
    z = z.rstrip("\n")
    if not z:
        continue
    k = z[0]
    if k == "A":
        name, typ, *rest = z[1:].split(" ", 2)
        if typ != "IMPLIED":
            attr.append('%s="%s"' % (name, daten(rest[0] if rest else "").replace("&#34;", "&#34;")))
    elif k == "(":
        teile.append("<%s%s>" % (z[1:], "".join(" " + a for a in attr)))
        attr = []
    elif k == ")":
        if z[1:] not in leer:
            teile.append("</%s>" % z[1:])
    elif k == "-":
        teile.append(daten(z[1:]))
sys.stdout.write("".join(teile) + "\n")
