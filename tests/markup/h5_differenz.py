#!/usr/bin/python3
"""Differential check of SYNTAX = HTML5 against an independent parser.

Each page is copied by tessar with a script of settings only, and parsed
from the same bytes by html5lib (python3-html5lib, its own encoding
sniffing, no chardet); the tree the copy holds, read back as XML, must
equal html5lib's tree mapped as the copy maps it (h5_durch_programm.py
says how: no comments and doctype, XML names, characters XML cannot hold
as U+FFFD, the page's xmlns attributes left out).

    tests/markup/h5_differenz.py build/tessar DATEI|ORDNER... [--hoechstens N] [--zeigen N]

Folders are searched for *.html and *.htm. Prints the count of pages
whose trees agree and the first differences. Not part of the test run.
"""
import argparse
import difflib
import os
import random
import subprocess
import sys
import tempfile

import html5lib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from h5_durch_programm import NS, XLINK, XMLNS_NS, XML_NS, XLINK_NAMEN, ncname, xml_text, geschrieben  # noqa: E402


def html5lib_baum(daten):
    parser = html5lib.HTMLParser(tree=html5lib.getTreeBuilder("etree"))
    wurzel = parser.parse(daten, useChardet=False)
    zeilen = []

    def text(tiefe, t):
        if not t:
            return
        t = xml_text(t)
        # Text that only a comment divided is one text in the copy.
        if zeilen and zeilen[-1][0] == tiefe and zeilen[-1][1].startswith('"') and offen[0]:
            zeilen[-1] = (tiefe, zeilen[-1][1][:-1] + t + '"')
        else:
            zeilen.append((tiefe, '"' + t + '"'))
        offen[0] = True

    def element(e, tiefe):
        if not isinstance(e.tag, str):  # a comment: its tail follows the text before it
            text(tiefe, e.tail)
            return
        uri, _, name = e.tag[1:].partition("}")
        ns = NS.get(uri, "?")
        zeilen.append((tiefe, "<" + ns + ncname(name) + ">"))
        offen[0] = False
        attr = []
        gesehen = set()
        for schluessel, wert in e.attrib.items():
            if schluessel.startswith("{"):
                auri, _, lokal = schluessel[1:].partition("}")
                if auri == XLINK:
                    anzeige = "xlink " + lokal
                elif auri == XML_NS:
                    anzeige = "xml " + lokal
                else:
                    continue  # xmlns
            elif schluessel == "xmlns" or schluessel.startswith("xmlns:"):
                continue
            elif schluessel.startswith("xml:") and schluessel[4:] and ncname(schluessel[4:]) == schluessel[4:]:
                anzeige = schluessel if not ns else "xml " + schluessel[4:]
            else:
                anzeige = ncname(schluessel)
            if anzeige in gesehen:
                continue
            gesehen.add(anzeige)
            attr.append((tiefe + 1, '%s="%s"' % (anzeige, xml_text(wert))))
        zeilen.extend(sorted(attr))
        text(tiefe + 1, e.text)
        for k in e:
            element(k, tiefe + 1)
        offen[0] = False
        text(tiefe, e.tail)

    offen = [False]
    element(wurzel, 0)
    return ["| " + "  " * t + s for t, s in zeilen]


C1 = {c: 0xFFFD for c in (0x81, 0x8D, 0x8F, 0x90, 0x9D)}


def seiten(pfade):
    for p in pfade:
        if os.path.isdir(p):
            for wurzel, _, dateien in os.walk(p):
                for d in sorted(dateien):
                    if d.endswith((".html", ".htm")):
                        yield os.path.join(wurzel, d)
        else:
            yield p


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("tessar")
    ap.add_argument("pfade", nargs="+")
    ap.add_argument("--hoechstens", type=int, default=0, help="a random sample of at most N pages")
    ap.add_argument("--zeigen", type=int, default=5)
    arg = ap.parse_args()
    liste = list(seiten(arg.pfade))
    if arg.hoechstens and len(liste) > arg.hoechstens:
        random.seed(1)
        liste = random.sample(liste, arg.hoechstens)
    arbeit = tempfile.mkdtemp(prefix="h5diff.")
    skript = os.path.join(arbeit, "kopie.xb")
    with open(skript, "w") as f:
        f.write("SYNTAX = HTML5\nWRITERENCODING = UTF-8\nWRITERBOM = NO\n")
    namen = []
    for i, p in enumerate(liste):
        ziel = os.path.join(arbeit, "s%06d.html" % i)
        with open(p, "rb") as a, open(ziel, "wb") as b:
            b.write(a.read())
        namen.append(ziel)
    with open(os.path.join(arbeit, "liste.txt"), "w") as f:
        f.write("\n".join(namen) + "\n")
    subprocess.run([os.path.abspath(arg.tessar), "@liste.txt", skript, "xml", "-q", "-j2"], cwd=arbeit,
                   stdout=subprocess.DEVNULL)
    gleich = 0
    gezeigt = 0
    for quelle, ziel in zip(liste, namen):
        with open(ziel, "rb") as f:
            daten = f.read()
        try:
            soll = html5lib_baum(daten)
        except Exception as e:
            soll = ["(html5lib: %s)" % e]
        try:
            ist = geschrieben(ziel[:-5] + ".xml")
        except Exception as e:
            ist = ["(%s: %s)" % (type(e).__name__, e)]
        # Python's windows-1252 lacks the five bytes the Encoding Standard
        # maps to C1 controls; it gives U+FFFD for them.
        ist = [z.translate(C1) for z in ist]
        if soll == ist:
            gleich += 1
            continue
        if gezeigt < arg.zeigen:
            gezeigt += 1
            print("== " + quelle)
            for z in list(difflib.unified_diff(soll, ist, "html5lib", "tessar", n=2, lineterm=""))[:30]:
                print(z)
    print("Gleiche Bäume: %d von %d Seiten" % (gleich, len(liste)))
    return 0 if gleich == len(liste) else 1


if __name__ == "__main__":
    sys.exit(main())
