#!/usr/bin/env python3
"""The element structure of an SGML document as comparable lines.

    sgml_esis.py esis FILE     normalises what onsgmls writes (ESIS)
    sgml_esis.py kopie FILE    reads the result of a copy conversion (every
                               element copied, CONVERTENTITIES = EXPAND,
                               WRITERESCAPE = MARKUP, UTF-8) as the same lines

Lines: "(NAME" after its attributes "ANAME=value" (sorted; implied ones
left out), ")NAME", "-data" (consecutive data joined; a line end as
"\\n"), "&name" for a reference to an external data entity. SDATA texts
count as data; processing instructions, comments and the like are left out.
"""
import re
import sys


def esc(text):
    return text.replace("\\", "\\\\").replace("\n", "\\n")


def ausgabe(zeilen):
    out = []
    daten = []
    for z in zeilen:
        if z[0] == "-":
            daten.append(z[1:])
            continue
        if daten:
            t = "".join(daten)
            if t:
                out.append("-" + esc(t))
            daten = []
        out.append(z)
    if daten and "".join(daten):
        out.append("-" + esc("".join(daten)))
    return out


def esis_text(s):
    r = []
    i = 0
    while i < len(s):
        c = s[i]
        if c != "\\":
            r.append(c)
            i += 1
            continue
        n = s[i + 1] if i + 1 < len(s) else ""
        if n == "\\":
            r.append("\\")
            i += 2
        elif n == "n":
            r.append("\n")
            i += 2
        elif n == "|":
            i += 2
        elif n == "#":
            j = s.index(";", i)
            r.append(chr(int(s[i + 2:j])))
            i = j + 1
        elif n.isdigit():
            r.append(chr(int(s[i + 1:i + 4], 8)))
            i += 4
        else:
            r.append(n)
            i += 2
    return "".join(r)


def esis(pfad):
    zeilen = []
    attribute = []
    for z in open(pfad, encoding="utf-8", errors="surrogateescape").read().split("\n"):
        if not z:
            continue
        k = z[0]
        if k == "A":
            name, typ, *rest = z[1:].split(" ", 2)
            if typ == "IMPLIED":
                continue
            attribute.append("A%s=%s" % (name, esc(esis_text(rest[0] if rest else ""))))
        elif k == "(":
            zeilen.extend(sorted(attribute))
            attribute = []
            zeilen.append(z)
        elif k == ")":
            zeilen.append(z)
        elif k == "-":
            zeilen.append("-" + esis_text(z[1:]))
        elif k == "&":
            zeilen.append(z)
    return ausgabe(zeilen)


ESCAPES = {"lt": "<", "gt": ">", "amp": "&", "quot": '"', "apos": "'"}


def unescape(s, refs):
    def ersetze(m):
        n = m.group(1)
        if n.startswith("#x") or n.startswith("#X"):
            c = int(n[2:], 16)
            return "\n" if c == 13 else chr(c)
        if n.startswith("#"):
            c = int(n[1:])
            return "\n" if c == 13 else chr(c)
        if n in ESCAPES:
            return ESCAPES[n]
        refs.append(n)
        return "\x00"
    return re.sub(r"&(#?[A-Za-z0-9._-]+);", ersetze, s)


TAG = re.compile(r"<(/?)([^\s/>]+)((?:\s+[^\s=]+=\"[^\"]*\")*)\s*(/?)>")
ATTR = re.compile(r"([^\s=]+)=\"([^\"]*)\"")


def kopie(pfad):
    text = open(pfad, encoding="utf-8", errors="surrogateescape").read().replace("\r\n", "\n")
    zeilen = []
    pos = 0
    for m in TAG.finditer(text):
        daten(text[pos:m.start()], zeilen)
        pos = m.end()
        ende, name, attr, leer = m.groups()
        if ende:
            zeilen.append(")" + name)
            continue
        attribute = []
        for a in ATTR.finditer(attr):
            refs = []
            wert = unescape(a.group(2), refs).replace("\x00", "")
            attribute.append("A%s=%s" % (a.group(1).upper(), esc(wert)))
        zeilen.extend(sorted(attribute))
        zeilen.append("(" + name)
        if leer:
            zeilen.append(")" + name)
    daten(text[pos:], zeilen)
    return ausgabe(zeilen)


def daten(stueck, zeilen):
    if not stueck:
        return
    refs = []
    t = unescape(stueck, refs)
    teile = t.split("\x00")
    for i, teil in enumerate(teile):
        if teil:
            zeilen.append("-" + teil)
        if i < len(refs):
            zeilen.append("&" + refs[i])


if __name__ == "__main__":
    art, pfad = sys.argv[1], sys.argv[2]
    print("\n".join(esis(pfad) if art == "esis" else kopie(pfad)))
