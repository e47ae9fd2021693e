#!/usr/bin/env python3
"""The html5lib tree-construction cases through the whole program.

Every case of the *.dat files (not the fragment cases, which a program
reading files cannot have, and not those for scripting on) becomes a page;
tessar copies all of them with a script of settings only (SYNTAX = HTML5),
and each copy is read as XML with namespaces and compared with the
expected tree. What the copy leaves out by design is left out of the
expected tree too: comments and the doctype, the "content" level of
template (its children are the template's), the page's own xmlns
attributes; names and characters XML cannot hold are mapped as the copy
maps them, and text that only a comment divided is one text.

    tests/markup/h5_durch_programm.py build/tessar /tmp/html5lib-tests [--fehler DATEI] [--parsefehler]

Prints the pass rate per file and in all; with --fehler every failing case
(input, expected, written) goes into DATEI; --parsefehler runs the script
with PARSEERRORS = SHOW (texts then keep their source). Not part of the
test run.
"""
import argparse
import glob
import os
import subprocess
import sys
import tempfile
import xml.dom
import xml.dom.minidom

NS = {
    "http://www.w3.org/1999/xhtml": "",
    "http://www.w3.org/2000/svg": "svg ",
    "http://www.w3.org/1998/Math/MathML": "math ",
}
XLINK = "http://www.w3.org/1999/xlink"
XMLNS_NS = "http://www.w3.org/2000/xmlns/"
XML_NS = "http://www.w3.org/XML/1998/namespace"
XLINK_NAMEN = {"xlink:actuate", "xlink:arcrole", "xlink:href", "xlink:role", "xlink:show", "xlink:title",
               "xlink:type"}


def faelle(text):
    rest = "\n" + text
    pos = rest.find("\n#data\n")
    while pos >= 0:
        ende = rest.find("\n#data\n", pos + 1)
        teil = rest[pos + 7: ende if ende >= 0 else len(rest)]
        marken = [teil.find(m) for m in ("\n#errors\n", "\n#script-off\n", "\n#script-on\n",
                                         "\n#document-fragment\n")]
        marken = [m for m in marken if m >= 0]
        daten = "" if teil.startswith("#errors") else teil[: min(marken)]
        doc = teil.find("\n#document\n")
        dokument = teil[doc + 11:].rstrip("\n") if doc >= 0 else ""
        yield {
            "daten": daten,
            "dokument": dokument,
            "fragment": "\n#document-fragment\n" in teil,
            "skript": "\n#script-on\n" in teil,
        }
        pos = ende


# ---- the XML forms of names and characters, as the copy writes them

def anfang(c):
    u = ord(c)
    return (c.isascii() and (c.isalpha() or c == "_")) or 0xC0 <= u <= 0xD6 or 0xD8 <= u <= 0xF6 or \
        0xF8 <= u <= 0x2FF or 0x370 <= u <= 0x37D or 0x37F <= u <= 0x1FFF or 0x200C <= u <= 0x200D or \
        0x2070 <= u <= 0x218F or 0x2C00 <= u <= 0x2FEF or 0x3001 <= u <= 0xD7FF or 0xF900 <= u <= 0xFDCF or \
        0xFDF0 <= u <= 0xFFFD or 0x10000 <= u <= 0xEFFFF


def zeichen(c):
    u = ord(c)
    return anfang(c) or c.isascii() and (c.isdigit() or c in "-.") or u == 0xB7 or 0x300 <= u <= 0x36F or \
        0x203F <= u <= 0x2040


def ncname(n):
    if n and anfang(n[0]) and all(zeichen(c) for c in n):
        return n
    return ("" if n and anfang(n[0]) else "_") + "".join(c if zeichen(c) else "_" for c in n)


def xml_text(t):
    # Characters XML 1.0 cannot hold are written as U+FFFD.
    return "".join("\ufffd" if (ord(c) < 0x20 and c not in "\t\n\r") or c in "\ufffe\uffff" or
                   0xD800 <= ord(c) <= 0xDFFF else c for c in t)


# ---- the expected tree, as the copy has it

def knoten_lesen(dokument):
    knoten = []
    for zeile in dokument.split("\n"):
        if zeile.startswith("| "):
            inhalt = zeile[2:]
            tiefe = (len(inhalt) - len(inhalt.lstrip(" "))) // 2
            knoten.append([tiefe, inhalt.lstrip(" ")])
        elif knoten:
            knoten[-1][1] += "\n" + zeile
    return knoten


def art(k):
    t = k[1]
    if t.startswith("<!--"):
        return "kommentar"
    if t.startswith("<!DOCTYPE"):
        return "doctype"
    if t.startswith('"'):
        return "text"
    if t.startswith("<") and t.endswith(">"):
        return "element"
    if t == "content":
        return "inhalt"
    return "attribut"


def erwartet(dokument):
    knoten = knoten_lesen(dokument)
    # Template contents: the level goes, its children move up.
    aus = []
    inhalte = []  # depths of the "content" lines above the node
    for tiefe, text in knoten:
        while inhalte and tiefe <= inhalte[-1]:
            inhalte.pop()
        if text == "content":
            inhalte.append(tiefe)
            continue
        aus.append([tiefe - len(inhalte), text])
    # Comments and doctypes go; texts they divided are one.
    ohne = []
    for k in aus:
        a = art(k)
        if a in ("kommentar", "doctype"):
            continue
        if a == "text" and ohne and art(ohne[-1]) == "text" and ohne[-1][0] == k[0]:
            ohne[-1][1] = ohne[-1][1][:-1] + k[1][1:]
            continue
        ohne.append(k)
    zeilen = []
    j = 0
    while j < len(ohne):
        tiefe, text = ohne[j]
        a = art(ohne[j])
        if a == "element":
            name = text[1:-1]
            ns = ""
            if name.startswith("svg ") or name.startswith("math "):
                ns, name = name.split(" ", 1)
                ns += " "
            zeilen.append((tiefe, "<" + ns + ncname(name) + ">"))
            # Its attributes, in the form the copy gives them.
            attr = []
            gesehen = set()
            j += 1
            while j < len(ohne) and art(ohne[j]) == "attribut" and ohne[j][0] == tiefe + 1:
                name, _, wert = ohne[j][1].partition("=")
                wert = wert[1:-1]
                j += 1
                if ns == "" or " " not in name:
                    if name == "xmlns" or name.startswith("xmlns:"):
                        continue
                    if name.startswith("xml:") and ncname(name[4:]) == name[4:] and name[4:]:
                        anzeige = name
                    else:
                        anzeige = ncname(name)
                else:
                    praefix, lokal = name.split(" ", 1)
                    if praefix == "xmlns":
                        continue
                    anzeige = name
                if anzeige in gesehen:
                    continue
                gesehen.add(anzeige)
                attr.append((tiefe + 1, '%s="%s"' % (anzeige, xml_text(wert))))
            zeilen.extend(sorted(attr))
            continue
        if a == "text":
            zeilen.append((tiefe, xml_text(text)))
        else:
            zeilen.append((tiefe, text))
        j += 1
    return ["| " + "  " * t + s for t, s in zeilen]


# ---- the copy, read back

def geschrieben(pfad):
    dom = xml.dom.minidom.parse(pfad)
    dom.normalize()
    zeilen = []

    def gehen(k, tiefe):
        for c in k.childNodes:
            if c.nodeType == c.ELEMENT_NODE:
                ns = NS.get(c.namespaceURI, "?" + str(c.namespaceURI) + " ")
                zeilen.append((tiefe, "<" + ns + c.localName + ">"))
                attr = []
                for i in range(c.attributes.length):
                    a = c.attributes.item(i)
                    if a.namespaceURI == XMLNS_NS:
                        continue
                    if a.namespaceURI == XLINK:
                        name = "xlink " + a.localName
                    elif a.namespaceURI == XML_NS:
                        name = ("xml " if ns else "xml:") + a.localName
                    else:
                        name = a.name
                    attr.append((tiefe + 1, '%s="%s"' % (name, a.value)))
                zeilen.extend(sorted(attr))
                gehen(c, tiefe + 1)
            elif c.nodeType == c.TEXT_NODE:
                zeilen.append((tiefe, '"' + c.data + '"'))

    gehen(dom, 0)
    return ["| " + "  " * t + s for t, s in zeilen]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("tessar")
    ap.add_argument("tests")
    ap.add_argument("--fehler")
    ap.add_argument("-j", default="2")
    ap.add_argument("--parsefehler", action="store_true", help="with PARSEERRORS = SHOW (the source stays as it is)")
    arg = ap.parse_args()
    tessar = os.path.abspath(arg.tessar)
    dateien = sorted(glob.glob(os.path.join(arg.tests, "tree-construction", "*.dat")))
    arbeit = tempfile.mkdtemp(prefix="h5prog.")
    with open(os.path.join(arbeit, "kopie.xb"), "w") as f:
        f.write("SYNTAX = HTML5\nWRITERENCODING = UTF-8\nWRITERBOM = NO\n")
        if arg.parsefehler:
            f.write("PARSEERRORS = SHOW\n")
    alle = []
    uebersprungen = 0
    for d in dateien:
        with open(d, encoding="utf-8", newline="") as f:
            for n, fall in enumerate(faelle(f.read())):
                if fall["fragment"] or fall["skript"]:
                    uebersprungen += 1
                    continue
                name = "%s_%04d" % (os.path.basename(d)[:-4], n)
                with open(os.path.join(arbeit, name + ".html"), "wb") as g:
                    # A byte-order mark: the text is what the case says,
                    # whatever a <meta> in it names.
                    g.write(b"\xef\xbb\xbf" + fall["daten"].encode("utf-8", "surrogatepass"))
                alle.append((os.path.basename(d), name, fall))
    subprocess.run([tessar, os.path.join(arbeit, "*.html"), os.path.join(arbeit, "kopie.xb"), "xml", "-q",
                    "-j" + arg.j], cwd=arbeit, stdout=subprocess.DEVNULL)
    je_datei = {}
    fehler = []
    nicht_wohlgeformt = 0
    for datei, name, fall in alle:
        ziel = os.path.join(arbeit, name + ".xml")
        soll = erwartet(fall["dokument"])
        try:
            ist = geschrieben(ziel)
        except Exception as e:  # not written, or not well-formed
            ist = ["(" + type(e).__name__ + ": " + str(e) + ")"]
            if os.path.exists(ziel):
                nicht_wohlgeformt += 1
        ok = ist == soll
        g = je_datei.setdefault(datei, [0, 0])
        g[0] += ok
        g[1] += 1
        if not ok:
            fehler.append((name, fall["daten"], soll, ist))
    gut = sum(g[0] for g in je_datei.values())
    gesamt = sum(g[1] for g in je_datei.values())
    for datei, (a, b) in sorted(je_datei.items()):
        print("%-45s %4d/%4d" % (datei, a, b))
    print("Durch das Programm: %d/%d Fälle gleich (%.1f %%), %d Kopien nicht wohlgeformt, "
          "%d Fälle übersprungen (Fragmente, Skripting an)" %
          (gut, gesamt, 100.0 * gut / max(gesamt, 1), nicht_wohlgeformt, uebersprungen))
    if arg.fehler:
        with open(arg.fehler, "w", encoding="utf-8", errors="surrogatepass") as f:
            for name, daten, soll, ist in fehler:
                f.write("== %s\n#data\n%s\n#erwartet\n%s\n#geschrieben\n%s\n\n" %
                        (name, daten, "\n".join(soll), "\n".join(ist)))
    return 0 if gut == gesamt else 1


if __name__ == "__main__":
    sys.exit(main())
