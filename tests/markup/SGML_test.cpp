// The recogniser on its own: documents in XML, SGML and HTML syntax, each
// message with its label and position, and the helpers derived parsers use.
#include "markup/SGML.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Testtext.h"

namespace {

enum class Syntax { XML, SGML, HTML };

void Setze(DCL& d, Syntax syntax) {
    d.xml = syntax == Syntax::XML;
    d.sgml = syntax == Syntax::SGML;
    d.html = syntax == Syntax::HTML;
    d.namecase = syntax != Syntax::XML;  // as the script set-up does
}

struct Fall {
    const wchar_t* text;
    int ergebnis;          // what document() answers
    const char* ausgabe;   // the console output, exactly
};

// Parses each text as a whole document and compares result and messages.
void Pruefe(const std::vector<Fall>& faelle, Syntax syntax = Syntax::XML, bool strict = true) {
    for (const Fall& f : faelle) {
        Testtext t(f.text);
        DCL d;
        Setze(d, syntax);
        SGML p(&t.buf, &d);
        p.SetStrict(strict);
        int ergebnis = -1;
        const std::string ausgabe = Konsolenausgabe([&] { ergebnis = p.document(); });
        EXPECT_EQ(ausgabe, f.ausgabe) << "bei " << testing::PrintToString(std::wstring(f.text));
        EXPECT_EQ(ergebnis, f.ergebnis) << "bei " << testing::PrintToString(std::wstring(f.text));
    }
}

#define POS(z, c) "in Datei 't.xml' Zeile=" #z ", Zeichen=" #c ".\n"
#define D227 "FEHLER: (Parser) Das Dokument ist ungültig. Instanz benötigt. D227\n"
#define D239 "FEHLER: (Parser) Das Dokument enthält Fehler. Die Bearbeitung wurde abgebrochen. D239\n"

TEST(SGML, WellFormedDocumentsPass) {
    Pruefe({
        {L"<a/>", 1, ""},
        {L"<?xml version=\"1.0\"?>\n<!-- c -->\n<a b=\"1\" c='2'>x<b/>y<!--k-->z</a>\n<!-- end -->\n", 1, ""},
        {L"<a><b x = \"&amp;&#65;&#x41;\">t&lt;u</b><?pi data?><![CDATA[<&>]]></a>", 1, ""},
        {L"<a:b xml:lang='de' \u00e4\u00f6='\u00fc'>\u20ac</a:b>", 1, ""},
        {L"<!DOCTYPE a [<!ENTITY e \"text\"> <!ENTITY f 'x'>]><a>&e;</a>", 1, ""},
        {L"<!DOCTYPE a SYSTEM \"a.dtd\" [\n<!ENTITY g PUBLIC \"-//X//Y\" \"g.gif\" NDATA gif>\n"
         L"<!ENTITY h SYSTEM 'h.gif' NDATA gif>\n]>\n<a/>", 1, ""},
        {L"<!DOCTYPE a PUBLIC \"-//X//DTD A//EN\"><a/>", 1, ""},
        {L"<!DOCTYPE a -- a comment -- SYSTEM \"x\"><a></a>", 1, ""},
        {L"<a><!></a>", 1, ""},
    });
}

TEST(SGML, NamesOfEachSyntax) {
    const std::wstring name255(255, L'n');
    const std::wstring name256(256, L'n');
    Pruefe({{(L"<" + name255 + L"/>").c_str(), 1, ""}});
    Pruefe({{(L"<" + name256 + L"/>").c_str(), 0,
             "FEHLER: (Parser) Maximale Bezeichnergröße überschritten.\n" POS(1, 2) D227}});
    // ":" and Latin-1 letters are name characters in XML only.
    Pruefe({{L"<a:b/>", 1, ""}, {L"<\u00e4/>", 1, ""}, {L"<_\u00d8\u00f8/>", 1, ""}});
    Pruefe({{L"<\u00d7/>", 0, D227}});  // the multiplication sign is no letter
    Pruefe({{L"<a:b/>", 0,
             "FEHLER: (Parser) Starttag, (SGML/XML:) Starttag Ende-Markierung (>) oder (XML:) Emptytag "
             "Ende-Markierung (/>) fehlt.\n" POS(1, 3) D227},
            {L"<\u00e4/>", 0, D227},
            {L"<a-1.b_c/>", 1, ""}},
           Syntax::SGML);
}

TEST(SGML, AttributesNeedAssignmentAndQuotes) {
    Pruefe({
        // A boolean attribute: reported, and the start tag still closes.
        {L"<a b>x</a>", 0,
         "FEHLER: (Parser) Attribut, Attribut-Zuweisungszeichen (=) fehlt.\n" POS(1, 5) D239},
        {L"<a b=c/>", 0,
         "FEHLER: (Parser) Attribut, Attributwert fehlt.\n" POS(1, 6)
         "FEHLER: (Parser) Starttag, (SGML/XML:) Starttag Ende-Markierung (>) oder (XML:) Emptytag "
         "Ende-Markierung (/>) fehlt.\n" POS(1, 6) D227},
        {L"<a b='x\"y' c=\"z'w\"/>", 1, ""},
        {L"<a b=\"x", 0,
         "FEHLER: (Parser) Dateiende beendet Daten. CD2599\n" POS(1, 8)
         "FEHLER: (Parser) Attributwert, Endezeichen der Zeichenkette (\") fehlt.\n" POS(1, 8)
         "FEHLER: (Parser) Attribut, Attributwert fehlt.\n" POS(1, 8)
         "FEHLER: (Parser) Starttag, (SGML/XML:) Starttag Ende-Markierung (>) oder (XML:) Emptytag "
         "Ende-Markierung (/>) fehlt.\n" POS(1, 8) D227},
        {L"<a b='x", 0,
         "FEHLER: (Parser) Dateiende beendet Daten. CD2599\n" POS(1, 8)
         "FEHLER: (Parser) Attributwert, Endezeichen der alternativen Zeichenkette (') fehlt.\n" POS(1, 8)
         "FEHLER: (Parser) Attribut, Attributwert fehlt.\n" POS(1, 8)
         "FEHLER: (Parser) Starttag, (SGML/XML:) Starttag Ende-Markierung (>) oder (XML:) Emptytag "
         "Ende-Markierung (/>) fehlt.\n" POS(1, 8) D227},
    });
    // "/>" closes an element in every syntax.
    Pruefe({{L"<a><b c='1'/></a>", 1, ""}}, Syntax::HTML);
}

TEST(SGML, MarkupCharactersInAttributeValues) {
    const char* kaskade =
        "FEHLER: (Parser) Attributwert, Endezeichen der Zeichenkette (\") fehlt.\n" POS(1, 9)
        "FEHLER: (Parser) Attribut, Attributwert fehlt.\n" POS(1, 9)
        "FEHLER: (Parser) Starttag, (SGML/XML:) Starttag Ende-Markierung (>) oder (XML:) Emptytag "
        "Ende-Markierung (/>) fehlt.\n" POS(1, 9) D227;
    Pruefe({
        {L"<a b=\"x<y\"/>", 0,
         (std::string("FEHLER: (Parser) Unzulässiges Zeichen gefunden (<). Bitte verwenden Sie die Entität &lt; "
                      "für das <-Zeichen.\n" POS(1, 9)) + kaskade).c_str()},
        // XML allows ">" in a value; SGML and HTML want &gt;.
        {L"<a b=\"x>y\"/>", 1, ""},
    });
    Pruefe({
        {L"<a b=\"x>y\"/>", 0,
         (std::string("FEHLER: (Parser) Unzulässiges Zeichen gefunden (>). Bitte verwenden Sie die Entität &gt; "
                      "für das >-Zeichen.\n" POS(1, 9)) + kaskade).c_str()},
    },
           Syntax::SGML);
    // Not strict: warnings, and the value goes on behind the character;
    // the closing quote right after it still ends the value.
    Pruefe({
        {L"<a b=\"x<y\" c=\"<\"/>", 1,
         "WARNUNG: (Parser) Unzulässiges Zeichen gefunden (<). Bitte verwenden Sie die Entität &lt; für das "
         "<-Zeichen.\n" POS(1, 9)
         "WARNUNG: (Parser) Unzulässiges Zeichen gefunden (<). Bitte verwenden Sie die Entität &lt; für das "
         "<-Zeichen.\n" POS(1, 16)},
        {L"<a b=\"x>", 0,
         "FEHLER: (Parser) Dateiende beendet Daten. CD2599\n" POS(1, 9)
         "FEHLER: (Parser) Attributwert, Endezeichen der Zeichenkette (\") fehlt.\n" POS(1, 9)
         "FEHLER: (Parser) Attribut, Attributwert fehlt.\n" POS(1, 9)
         "FEHLER: (Parser) Starttag, (SGML/XML:) Starttag Ende-Markierung (>) oder (XML:) Emptytag "
         "Ende-Markierung (/>) fehlt.\n" POS(1, 9) D227},
        {L"<a b='<", 0,
         "WARNUNG: (Parser) Unzulässiges Zeichen gefunden (<). Bitte verwenden Sie die Entität &lt; für das "
         "<-Zeichen.\n" POS(1, 8)
         "FEHLER: (Parser) Dateiende beendet Daten. CD2567\n" POS(1, 8)
         "FEHLER: (Parser) Attributwert, Endezeichen der alternativen Zeichenkette (') fehlt.\n" POS(1, 8)
         "FEHLER: (Parser) Attribut, Attributwert fehlt.\n" POS(1, 8)
         "FEHLER: (Parser) Starttag, (SGML/XML:) Starttag Ende-Markierung (>) oder (XML:) Emptytag "
         "Ende-Markierung (/>) fehlt.\n" POS(1, 8) D227},
    },
           Syntax::XML, false);
    Pruefe({
        {L"<a b=\"x>", 0,
         "WARNUNG: (Parser) Unzulässiges Zeichen gefunden (>). Bitte verwenden Sie die Entität &gt; für das "
         ">-Zeichen.\n" POS(1, 9)
         "FEHLER: (Parser) Dateiende beendet Daten. CD2588\n" POS(1, 9)
         "FEHLER: (Parser) Attributwert, Endezeichen der Zeichenkette (\") fehlt.\n" POS(1, 9)
         "FEHLER: (Parser) Attribut, Attributwert fehlt.\n" POS(1, 9)
         "FEHLER: (Parser) Starttag, (SGML/XML:) Starttag Ende-Markierung (>) oder (XML:) Emptytag "
         "Ende-Markierung (/>) fehlt.\n" POS(1, 9) D227},
    },
           Syntax::SGML, false);
}

TEST(SGML, LoneAmpersandAndGreaterThanInContent) {
    Pruefe({
        {L"<a>x & y</a>", 0, "FEHLER: (Parser) Unzulässiges Zeichen gefunden (&).\n" POS(1, 7) D239},
        // XML allows ">" in content, but not as the end of "]]>".
        {L"<a>\n<b>x>y</b></a>", 1, ""},
        {L"<a>x]]>y</a>", 0,
         "FEHLER: (Parser) Unzulässiges Zeichen gefunden (>). Bitte verwenden Sie die Entität &gt; für das "
         ">-Zeichen.\n" POS(1, 7) D239},
    });
    Pruefe({
        // ">" is reported once at its place; the data stops there, so the
        // elements around it are not closed.
        {L"<a>\n<b>x>y</b></a>", 0,
         "FEHLER: (Parser) Unzulässiges Zeichen gefunden (>). Bitte verwenden Sie die Entität &gt; für das "
         ">-Zeichen.\n" POS(2, 6)
         "FEHLER: (Parser) Element, Der Endtag für das Element 'b' wurde nicht gefunden.\n" POS(2, 6)
         "FEHLER: (Parser) ... und das Element 'b' wurde nicht geschlossen.\n" POS(2, 2)
         "FEHLER: (Parser) Element, Der Endtag für das Element 'a' wurde nicht gefunden.\n" POS(2, 6)
         "FEHLER: (Parser) ... und das Element 'a' wurde nicht geschlossen.\n" POS(1, 1) D227},
    },
           Syntax::SGML);
    Pruefe({
        {L"<a>x & y</a>", 1, "WARNUNG: (Parser) Unzulässiges Zeichen gefunden (&).\n" POS(1, 7)},
        {L"<a>x>y</a>", 1, ""},
        {L"<a>x]]>y</a>", 1,
         "WARNUNG: (Parser) Unzulässiges Zeichen gefunden (>). Bitte verwenden Sie die Entität &gt; für das "
         ">-Zeichen.\n" POS(1, 7)},
    },
           Syntax::XML, false);
    Pruefe({
        {L"<a>x>y</a>", 1,
         "WARNUNG: (Parser) Unzulässiges Zeichen gefunden (>). Bitte verwenden Sie die Entität &gt; für das "
         ">-Zeichen.\n" POS(1, 5)},
    },
           Syntax::SGML, false);
}

TEST(SGML, EndTagsAndTheirFollowUpMessages) {
    Pruefe({
        {L"<a><b>x</a>", 0,
         "FEHLER: (Parser) Element, Falscher Endtag 'a' gefunden.\n" POS(1, 8)
         "FEHLER: (Parser) ... und das Element 'b' wurde nicht geschlossen.\n" POS(1, 4) D239},
        {L"<a>x</ >", 0,
         "FEHLER: (Parser) Endtag, Bezeichner des Endtags fehlt.\n" POS(1, 7)
         "FEHLER: (Parser) Element, Der Endtag für das Element 'a' wurde nicht gefunden.\n" POS(1, 5)
         "FEHLER: (Parser) ... und das Element 'a' wurde nicht geschlossen.\n" POS(1, 1) D227},
        {L"<a>x</a b>", 0,
         "FEHLER: (Parser) Endtag, Ende-Markierung (>) des Endtags fehlt.\n" POS(1, 9)
         "FEHLER: (Parser) Element, Der Endtag für das Element 'a' wurde nicht gefunden.\n" POS(1, 5)
         "FEHLER: (Parser) ... und das Element 'a' wurde nicht geschlossen.\n" POS(1, 1) D227},
        {L"<a>xyz", 0,
         "FEHLER: (Parser) Dateiende beendet Daten. CD2522\n" POS(1, 7)
         "FEHLER: (Parser) Element, Der Endtag für das Element 'a' wurde nicht gefunden.\n" POS(1, 7)
         "FEHLER: (Parser) ... und das Element 'a' wurde nicht geschlossen.\n" POS(1, 1) D227},
        {L"<a x='1'", 0,
         "FEHLER: (Parser) Starttag, (SGML/XML:) Starttag Ende-Markierung (>) oder (XML:) Emptytag "
         "Ende-Markierung (/>) fehlt.\n" POS(1, 9) D227},
    });
    // End tags compare by the name-case setting.
    Pruefe({{L"<A>x</a>", 1, ""}}, Syntax::HTML);
}

TEST(SGML, ExpectedStartTagOfAnElement) {
    Testtext t(L"<y>z</y>");
    DCL d;
    SGML p(&t.buf, &d);
    const std::string aus = Konsolenausgabe([&] { EXPECT_EQ(p.element(L"x", true), 0); });
    EXPECT_EQ(aus, "FEHLER: (Parser) Element, Falscher Starttag 'y'.\n" POS(1, 4));
}

TEST(SGML, CharacterAndEntityReferences) {
    Pruefe({
        // Function references are SGML; in XML "&#RE;" is a faulty decimal one.
        {L"<a>&#RE;</a>", 0, "FEHLER: (Parser) Ungültiger Zeichenreferenz-Bezeichner.\n" POS(1, 6) D239},
        {L"<a>&#65</a>", 0, "FEHLER: (Parser) Zeichenreferenz-Ende (;) fehlt.\n" POS(1, 8) D239},
        {L"<a>&#x;</a>", 0, "FEHLER: (Parser) Ungültiger Hex-Zechenreferenz-Bezeichner.\n" POS(1, 7) D239},
        {L"<a>&#X41;</a>", 0, "FEHLER: (Parser) Ungültiger Zeichenreferenz-Bezeichner.\n" POS(1, 6) D239},
        {L"<a>&#x41 </a>", 0, "FEHLER: (Parser) Zechenreferenz-Ende (;) fehlt.\n" POS(1, 9) D239},
        {L"<a>&amp </a>", 0, "FEHLER: (Parser) Entity, Entitäten-Ende (;) fehlt.\n" POS(1, 8) D239},
        {L"<a b='&#65;&lt;&#x3c;'>&#1234567;</a>", 1, ""},
    });
    Pruefe({
        {L"<a>&#RE;&#RS;&#TAB;&#SPACE;&#32;</a>", 1, ""},
        {L"<a>&#RE </a>", 0, "FEHLER: (Parser) Funktionszeichenreferenz-Ende (;) fehlt.\n" POS(1, 8) D239},
    },
           Syntax::SGML);
}

TEST(SGML, CommentsAndProcessingInstructions) {
    Pruefe({
        // Reading goes on behind the next ">".
        {L"<a><!-- x -- y --></a>", 0,
         "FEHLER: (Parser) Kommentar, Ende der Kommentardeklaration (>) erwartet.\n" POS(1, 14) D239},
        // An open comment takes the rest of the text.
        {L"<a><!-- x </a>", 0,
         "FEHLER: (Parser) Kommentar, Ende des Kommentars erwartet.\n" POS(1, 6)
         "FEHLER: (Parser) Element, Der Endtag für das Element 'a' wurde nicht gefunden.\n" POS(1, 15)
         "FEHLER: (Parser) ... und das Element 'a' wurde nicht geschlossen.\n" POS(1, 1) D227},
        {L"<a><?pi x", 0,
         "FEHLER: (Parser) Verarbeitungsanweisung, Verarbeitungsanweisung-Ende (>) fehlt.\n" POS(1, 4)
         "FEHLER: (Parser) Element, Der Endtag für das Element 'a' wurde nicht gefunden.\n" POS(1, 4)
         "FEHLER: (Parser) ... und das Element 'a' wurde nicht geschlossen.\n" POS(1, 1) D227},
        // An unterminated comment in the prolog is not also a faulty DOCTYPE.
        {L"<!-- x", 0, "FEHLER: (Parser) Kommentar, Ende des Kommentars erwartet.\n" POS(1, 3) D227},
    });
    std::wstring riesig = L"<a><?" + std::wstring(2097153, L'p') + L"?></a>";
    Pruefe({{riesig.c_str(), 0,
             "FEHLER: (Parser) Verarbeitungsanweisung, Maximale Größe überschritten.\n" POS(1, 4)
             "FEHLER: (Parser) Element, Der Endtag für das Element 'a' wurde nicht gefunden.\n" POS(1, 4)
             "FEHLER: (Parser) ... und das Element 'a' wurde nicht geschlossen.\n" POS(1, 1) D227}});

    // The XML comment production, kept for derived parsers.
    Testtext t(L"<!-- x --> <!-- y");
    DCL d;
    SGML p(&t.buf, &d);
    EXPECT_EQ(p.xml_comment(), 1);
    EXPECT_EQ(p.s(), 1);
    const std::string aus = Konsolenausgabe([&] { EXPECT_EQ(p.xml_comment(), 0); });
    EXPECT_EQ(aus, "FEHLER: (Parser) Kommentar, Ende des Kommentars nicht gefunden.\n" POS(1, 12));
}

TEST(SGML, DocumentFrame) {
    Pruefe({
        {L"", 0, D227},
        {L" \n<!-- only a comment -->", 0, D227},
        {L"<a/>\n<!-- c --> <?pi?>\n", 1, ""},
        {L"<a/>x", 0,
         "FEHLER: (Parser) Das Dokument enthält unzulässige Zeichen hinter dem Ende der Instanz. D234\n" POS(1, 5)},
        {L"<a/><b/>", 0,
         "FEHLER: (Parser) Das Dokument enthält unzulässige Zeichen hinter dem Ende der Instanz. D234\n" POS(1, 5)},
    });
}

TEST(SGML, DocumentTypeDeclaration) {
    Pruefe({
        {L"<!FOO a><a/>", 0, "FEHLER: (Parser) DOCTYPE, Schlüsselwort 'DOCTYPE' erwartet.\n" POS(1, 3) D227},
        {L"<!DOCTYPE><a/>", 0, "FEHLER: (Parser) DOCTYPE, Parameter-Separator fehlt.\n" POS(1, 10) D227},
        {L"<!DOCTYPE 1><a/>", 0, "FEHLER: (Parser) DOCTYPE, Bezeichner fehlt.\n" POS(1, 11) D227},
        {L"<!DOCTYPE a SYSTEM \"x\" y><a/>", 0,
         "FEHLER: (Parser) DOCTYPE, Ende der Dokumenttyp-Deklaration (>) erwartet.\n" POS(1, 24) D227},
        {L"<!DOCTYPE a [<!ELEMENT a (#PCDATA)>]><a/>", 0,
         "FEHLER: (Parser) ELEMENT, ELEMENT-Deklaration wird nicht unterstützt.\n" POS(1, 16)
         "FEHLER: (Parser) [], Ende der Subdeklaration (]) erwartet.\n" POS(1, 24) D227},
        {L"<!DOCTYPE a [\n<!ATTLIST a b CDATA #IMPLIED>]><a/>", 0,
         "FEHLER: (Parser) ATTLIST, ATTLIST-Deklaration wird nicht unterstützt.\n" POS(2, 4)
         "FEHLER: (Parser) [], Ende der Subdeklaration (]) erwartet.\n" POS(2, 12) D227},
        {L"<!DOCTYPE a -- open", 0, "FEHLER: (Parser) Kommentar, Ende des Kommentars erwartet.\n" POS(1, 13)
         "FEHLER: (Parser) DOCTYPE, Ende der Dokumenttyp-Deklaration (>) erwartet.\n" POS(1, 20) D227},
    });
}

TEST(SGML, ExternalIdentifiers) {
    Pruefe({
        {L"<!DOCTYPE a SYSTEM><a/>", 0,
         "FEHLER: (Parser) Externer Identifikator, Parameter-Separator ( ) und System-Id erwartet.\n" POS(1, 19)
         "FEHLER: (Parser) DOCTYPE, Ende der Dokumenttyp-Deklaration (>) erwartet.\n" POS(1, 13) D227},
        {L"<!DOCTYPE a SYSTEM x><a/>", 0,
         "FEHLER: (Parser) Externer Identifikator, Parameter-Separator ( ) und System-Id erwartet.\n" POS(1, 20)
         "FEHLER: (Parser) DOCTYPE, Ende der Dokumenttyp-Deklaration (>) erwartet.\n" POS(1, 13) D227},
        {L"<!DOCTYPE a PUBLIC><a/>", 0,
         "FEHLER: (Parser) Externer Identifikator, Parameter-Separator ( ) und Public-Id erwartet.\n" POS(1, 19)
         "FEHLER: (Parser) DOCTYPE, Ende der Dokumenttyp-Deklaration (>) erwartet.\n" POS(1, 13) D227},
        {L"<!DOCTYPE a PUBLIC x><a/>", 0,
         "FEHLER: (Parser) PUBLIC, Public-Identifikator (Zeichenkette) erwartet.\n" POS(1, 20)
         "FEHLER: (Parser) DOCTYPE, Ende der Dokumenttyp-Deklaration (>) erwartet.\n" POS(1, 13) D227},
        {L"<!DOCTYPE a [<!ENTITY e FOO \"x\">]><a/>", 0,
         "FEHLER: (Parser) Externer Identifikator, System- oder Public-Identifikator erwartet.\n" POS(1, 25)
         "FEHLER: (Parser) ENTITY, Externer Entity-Identifier erwartet.\n" POS(1, 25)
         "FEHLER: (Parser) ENTITY, Ende der Entity-Deklaration (>) erwartet.\n" POS(1, 25)
         "FEHLER: (Parser) [], Ende der Subdeklaration (]) erwartet.\n" POS(1, 25) D227},
    });
}

TEST(SGML, EntityDeclarations) {
    auto dok = [](const wchar_t* entity) { return std::wstring(L"<!DOCTYPE a [") + entity + L"]><a/>"; };
    struct {
        const wchar_t* entity;
        const char* meldungen;
    } faelle[] = {
        {L"<!ENTITY e SYSTEM \"x\" SUBDOC>",
         "FEHLER: (Parser) SUBDOC, Entity-Typ: SUBDOC wird nicht unterstützt.\n" POS(1, 36)},
        {L"<!ENTITY e SYSTEM \"x\" CDATA>",
         "FEHLER: (Parser) SUBDOC, Entity-Typ: CDATA wird nicht unterstützt.\n" POS(1, 36)},
        {L"<!ENTITY e SYSTEM \"x\" SDATA>",
         "FEHLER: (Parser) SUBDOC, Entity-Typ: SDATA wird nicht unterstützt.\n" POS(1, 36)},
        {L"<!ENTITY e SYSTEM \"x\" FOO>", "FEHLER: (Parser) ENTITY, Entity-Typ: NDATA erwartet.\n" POS(1, 36)},
        {L"<!ENTITY e SYSTEM \"x\" NDATA>", "FEHLER: (Parser) ENTITY, Parameter-Separator erwartet.\n" POS(1, 41)},
        {L"<!ENTITY e SYSTEM \"x\" NDATA >", "FEHLER: (Parser) NDATA, Bezeichner fehlt.\n" POS(1, 42)},
        {L"<!ENTITY e CDATA \"x\">",
         "FEHLER: (Parser) CDATA, Entity-Typ: CDATA wird nicht unterstützt.\n" POS(1, 25)},
        {L"<!ENTITY e SDATA \"x\">",
         "FEHLER: (Parser) SDATA, Entity-Typ: SDATA wird nicht unterstützt.\n" POS(1, 25)},
        {L"<!ENTITY e PI \"x\">", "FEHLER: (Parser) PI, Entity-Typ: PI wird nicht unterstützt.\n" POS(1, 25)},
        {L"<!ENTITY e PI>",
         "FEHLER: (Parser) PI, Entity-Typ: PI wird nicht unterstützt.\n" POS(1, 25)
         "FEHLER: (Parser) ENTITY, Parameter-Separator erwartet.\n" POS(1, 27)},
        {L"<!ENTITY e \"x\" ", "FEHLER: (Parser) ENTITY, Ende der Entity-Deklaration (>) erwartet.\n" POS(1, 29)},
    };
    for (const auto& f : faelle)
        Pruefe({{dok(f.entity).c_str(), 0, (std::string(f.meldungen) + D239).c_str()}});
    // XML takes external parsed entities without a type, parameter entity
    // declarations and references between declarations, none of them
    // expanded; SGML asks for the entity type and knows none of the others.
    const std::wstring xml = dok(L"<!ENTITY e SYSTEM \"x\"><!ENTITY f PUBLIC '-//F' \"f\" >\n"
                                 L"<!ENTITY % p SYSTEM \"p.ent\"> %p; <!ENTITY % q \"q\">%q;");
    Pruefe({{xml.c_str(), 1, ""}});
    Pruefe({{dok(L"<!ENTITY e SYSTEM \"x\">").c_str(), 0,
             "FEHLER: (Parser) ENTITY, Parameter-Separator erwartet.\n" POS(1, 35) D239},
            {dok(L"<!ENTITY e SYSTEM \"x\" >").c_str(), 0,
             "FEHLER: (Parser) ENTITY, Entity-Typ erwartet.\n" POS(1, 36) D239},
            {dok(L"<!ENTITY % p \"p\">").c_str(), 0,
             "FEHLER: (Parser) ENTITY, Entity-Bezeichner erwartet.\n" POS(1, 23)
             "FEHLER: (Parser) [], Ende der Subdeklaration (]) erwartet.\n" POS(1, 23) D227}},
           Syntax::SGML);
    Pruefe({{dok(L"<!ENTITY %p \"p\">").c_str(), 0,
             "FEHLER: (Parser) ENTITY, Parameter-Separator erwartet.\n" POS(1, 24)
             "FEHLER: (Parser) [], Ende der Subdeklaration (]) erwartet.\n" POS(1, 24) D227},
            {dok(L"%p <!ENTITY e 'e'>").c_str(), 0,
             "FEHLER: (Parser) [], Ende der Subdeklaration (]) erwartet.\n" POS(1, 14) D227}});
    // Faults before the entity text end the declaration at once.
    Pruefe({{L"<!DOCTYPE a [<!ENTITY>]><a/>", 0,
             "FEHLER: (Parser) ENTITY, Parameter-Separator erwartet.\n" POS(1, 22)
             "FEHLER: (Parser) [], Ende der Subdeklaration (]) erwartet.\n" POS(1, 22) D227},
            {L"<!DOCTYPE a [<!ENTITY e CDATA x>]><a/>", 0,
             "FEHLER: (Parser) CDATA, Entity-Typ: CDATA wird nicht unterstützt.\n" POS(1, 25)
             "FEHLER: (Parser) ENTITY, Entitäten-Zeichenkette erwartet.\n" POS(1, 31)
             "FEHLER: (Parser) ENTITY, Ende der Entity-Deklaration (>) erwartet.\n" POS(1, 31)
             "FEHLER: (Parser) [], Ende der Subdeklaration (]) erwartet.\n" POS(1, 31) D227},
            {L"<!DOCTYPE a [<!ENTITY 1>]><a/>", 0,
             "FEHLER: (Parser) ENTITY, Entity-Bezeichner erwartet.\n" POS(1, 23)
             "FEHLER: (Parser) [], Ende der Subdeklaration (]) erwartet.\n" POS(1, 23) D227}});
}

TEST(SGML, QuotedLiteralsOfDeclarations) {
    Pruefe({
        {L"<!DOCTYPE a SYSTEM \"x", 0,
         "FEHLER: (Parser) Zeichenkette (\"))wird nicht beendet.\n" POS(1, 20)
         "FEHLER: (Parser) DOCTYPE, Ende der Dokumenttyp-Deklaration (>) erwartet.\n" POS(1, 13) D227},
        {L"<!DOCTYPE a SYSTEM 'x", 0,
         "FEHLER: (Parser) Alternative Zeichenkette (\"))wird nicht beendet.\n" POS(1, 20)
         "FEHLER: (Parser) DOCTYPE, Ende der Dokumenttyp-Deklaration (>) erwartet.\n" POS(1, 13) D227},
        {L"<!DOCTYPE a SYSTEM \"", 0,
         "FEHLER: (Parser) Zeichenkette abgebrochen.\n" POS(1, 21)
         "FEHLER: (Parser) DOCTYPE, Ende der Dokumenttyp-Deklaration (>) erwartet.\n" POS(1, 13) D227},
        {L"<!DOCTYPE a SYSTEM '", 0,
         "FEHLER: (Parser) Alternative Zeichenkette abgebrochen.\n" POS(1, 21)
         "FEHLER: (Parser) DOCTYPE, Ende der Dokumenttyp-Deklaration (>) erwartet.\n" POS(1, 13) D227},
    });
    const std::wstring lang(2097153, L'l');
    for (const wchar_t* q : {L"\"", L"'"}) {
        const std::wstring text = L"<!DOCTYPE a SYSTEM " + std::wstring(q) + lang + q + L"><a/>";
        Pruefe({{text.c_str(), 0,
                 (std::string(*q == L'"' ? "FEHLER: (Parser) Maximale Literalgröße überschritten.\n"
                                         : "FEHLER: (Parser) Maximale Größe der alternativen Zeichenkette "
                                           "überschritten.\n") +
                  POS(1, 20) "FEHLER: (Parser) DOCTYPE, Ende der Dokumenttyp-Deklaration (>) erwartet.\n" POS(1, 13)
                      D227)
                     .c_str()}});
    }

    // The literal is copied only as far as the caller's buffer goes.
    Testtext t(L"'abcdef'");
    DCL d;
    SGML p(&t.buf, &d);
    wchar_t klein[4] = L"zzz";
    EXPECT_EQ(p.sgml_literal(klein, 4), 1);
    EXPECT_STREQ(klein, L"abc");
}

TEST(SGML, MarkedSectionsOfSgml) {
    Pruefe({
        {L"<a><![CDATA[<b>&x;]] >]]><![ RCDATA [x &amp; <b> &#65;]]><![ IGNORE[<b>]]></a>", 1, ""},
        {L"<a><![INCLUDE[<b>x</b>]]><![TEMP[y]]></a>", 1, ""},
        {L"<a><![FOO[x]]></a>", 0,
         "FEHLER: (Parser) Markierter Bereich, Unbekannter Typ des markierter Bereiches.\n" POS(1, 7)
         "FEHLER: (Parser) Element, Der Endtag für das Element 'a' wurde nicht gefunden.\n" POS(1, 4)
         "FEHLER: (Parser) ... und das Element 'a' wurde nicht geschlossen.\n" POS(1, 1) D227},
        {L"<a><![%p;[x]]></a>", 0,
         "FEHLER: (Parser) Markierter Bereich, Dieser Typ des markierten Bereiches wird nicht unterstützt.\n" POS(1, 7)
         "FEHLER: (Parser) Element, Der Endtag für das Element 'a' wurde nicht gefunden.\n" POS(1, 4)
         "FEHLER: (Parser) ... und das Element 'a' wurde nicht geschlossen.\n" POS(1, 1) D227},
        {L"<a><![CDATA x]]></a>", 0,
         "FEHLER: (Parser) Markierter Bereich, Beginn des markiertern Bereiches [ erwartet.\n" POS(1, 13)
         "FEHLER: (Parser) Element, Der Endtag für das Element 'a' wurde nicht gefunden.\n" POS(1, 4)
         "FEHLER: (Parser) ... und das Element 'a' wurde nicht geschlossen.\n" POS(1, 1) D227},
    },
           Syntax::SGML);
    // Sections do not nest: an IGNORE section ends at the first "]]>".
    Pruefe({{L"<a><![IGNORE[<![INCLUDE[x]]>y]]></a>", 1,
             "WARNUNG: (Parser) Unzulässiges Zeichen gefunden (>). Bitte verwenden Sie die Entität &gt; für das "
             ">-Zeichen.\n" POS(1, 32)}},
           Syntax::SGML, false);
    // XML knows CDATA sections only.
    Pruefe({{L"<a><![INCLUDE[x]]></a>", 0,
             "FEHLER: (Parser) Element, Der Endtag für das Element 'a' wurde nicht gefunden.\n" POS(1, 4)
             "FEHLER: (Parser) ... und das Element 'a' wurde nicht geschlossen.\n" POS(1, 1) D227}});
}

TEST(SGML, MarkedSectionsRunningIntoTheEnd) {
    const char* offen = "FEHLER: (Parser) Element, Der Endtag für das Element 'a' wurde nicht gefunden.\n" POS(1, 17)
        "FEHLER: (Parser) ... und das Element 'a' wurde nicht geschlossen.\n" POS(1, 1) D227;
    struct {
        const wchar_t* text;
        const char* meldungen;
    } faelle[] = {
        {L"<a><![CDATA[ xyz",
         "FEHLER: (Parser) Markierter Bereich, Dateiende beendet Daten. C2630\n" POS(1, 17)
         "FEHLER: (Parser) Markierter Bereich, Ende des markierten CDATA-Bereiches ']]>' fehlt.\n" POS(1, 17)},
        {L"<a><![RCDATA[xyz",
         "FEHLER: (Parser) Markierter Bereich, Dateiende beendet Daten. RD2665\n" POS(1, 17)
         "FEHLER: (Parser) Markierter Bereich, Ende des markierten RCDATA-Bereiches ']]>' fehlt.\n" POS(1, 17)},
        {L"<a><![IGNORE[xyz",
         "FEHLER: (Parser) Markierter Bereich, Dateiende beendet markierten IGNORE-Bereich.\n" POS(1, 17)
         "FEHLER: (Parser) Markierter Bereich, Ende des markierten IGNORE-Bereiches ']]>' erwartet.\n" POS(1, 17)},
        {L"<a><![INCLUDE[xy",
         "FEHLER: (Parser) Markierter Bereich, Dateiende beendet markierten INCLUDE-Bereich.\n" POS(1, 17)
         "FEHLER: (Parser) Markierter Bereich, Ende des markierten INCLUDE-Bereiches ']]>' erwartet.\n" POS(1, 17)},
        {L"<a><![TEMP[xyzuv",
         "FEHLER: (Parser) Markierter Bereich, Dateiende beendet markierten TEMP-Bereich.\n" POS(1, 17)
         "FEHLER: (Parser) Markierter Bereich, Ende des markierten TEMP-Bereiches ']]>' erwartet.\n" POS(1, 17)},
    };
    for (const auto& f : faelle) {
        Pruefe({{f.text, 0, (std::string(f.meldungen) + offen).c_str()}},
               Syntax::SGML);
    }
}

TEST(SGML, ElementsDeclaredEmptyHaveNoEndTag) {
    // The base answers "empty" only for an empty name, which no parsed
    // start tag has; the document reader asks the script instead.
    Testtext t(L"<br>");
    DCL d;
    Setze(d, Syntax::HTML);
    SGML p(&t.buf, &d);
    wchar_t leer[1] = L"";
    wchar_t br[3] = L"br";
    EXPECT_EQ(p.empty_element(leer), 1);
    EXPECT_EQ(p.empty_element(br), 0);
}

TEST(SGML, NestingDepth) {
    // Ten thousand levels parse on the program's stack, also sanitized.
    MitStapel(std::size_t{1} << 30, [] {
        Pruefe({{Verschachtelt(10000).c_str(), 1, ""}});
        const std::wstring zu_tief = Verschachtelt(SGML_MAX_TIEFE + 1);
        // Line 1, character 3 * SGML_MAX_TIEFE + 1: the start tag that is one too deep.
        const std::string pos =
            "in Datei 't.xml' Zeile=1, Zeichen=" + std::to_string(3 * SGML_MAX_TIEFE + 1) + ".\n";
        Pruefe({{zu_tief.c_str(), 0,
                 ("FEHLER: (Parser) Element, Maximale Verschachtelungstiefe überschritten.\n" + pos + D239)
                     .c_str()}});
    });
    // On a small stack the parse stops before the stack runs out.
    MitStapel(std::size_t{2} << 20, [] {
        Testtext t(Verschachtelt(SGML_MAX_TIEFE));
        DCL d;
        SGML p(&t.buf, &d);
        const std::string aus = Konsolenausgabe([&] { EXPECT_EQ(p.document(), 0); });
        EXPECT_NE(aus.find("Maximale Verschachtelungstiefe überschritten."), std::string::npos);
        EXPECT_EQ(p.Fehler(), 2);
    });
}

TEST(SGML, XmlDeclarationOfTheScript) {
    struct {
        const wchar_t* text;
        int ergebnis;
        const char* ausgabe;
    } faelle[] = {
        {L"<?xml version=\"1.0\" encoding='utf-8' standalone=\"YES\"?>", 1, ""},
        {L"<?xml version = '1.0' standalone='no' ?>", 1, ""},
        {L"<?foo?>", 0, "FEHLER: (Parser) XML-Deklaration, Schlüsselwort 'xml' erwartet. D382\n" POS(1, 3)},
        {L"<?xml?>", 0,
         "FEHLER: (Parser) XML-Deklaration, Parameterseparator ( ) erwartet.\n" POS(1, 6)
         "FEHLER: (Parser) XML-Deklaration, Eigenschaft 'version' erwartet. D388\n" POS(1, 6)},
        {L"<?xml encoding='x'?>", 0,
         "FEHLER: (Parser) XML-Deklaration, Schlüsselwort 'version' erwartet.\n" POS(1, 7)
         "FEHLER: (Parser) XML-Deklaration, Eigenschaft 'version' erwartet. D388\n" POS(1, 7)},
        {L"<?xml version '1'?>", 0,
         "FEHLER: (Parser) XML-Deklaration, Zuweisungszeichen (=) fehlt.\n" POS(1, 15)
         "FEHLER: (Parser) XML-Deklaration, Eigenschaft 'version' erwartet. D388\n" POS(1, 15)},
        {L"<?xml version=1?>", 0,
         "FEHLER: (Parser) XML-Deklaration, Wert für 'version' (Zeichenkette) erwartet.\n" POS(1, 15)
         "FEHLER: (Parser) XML-Deklaration, Eigenschaft 'version' erwartet. D388\n" POS(1, 15)},
        {L"<?xml version='1' x?>", 0,
         "FEHLER: (Parser) XML-Deklaration, Ende der Deklaration (?>) erwartet. D399\n" POS(1, 19)},
        {L"<?xml version='1' encoding=''?>", 1,
         "FEHLER: (Parser) XML-Deklaration, Der Wert für 'encoding' ist leer.\n" POS(1, 29)},
        {L"<?xml version='1' encoding=x?>", 0,
         "FEHLER: (Parser) XML-Deklaration, Wert für 'encoding' (Zeichenkette) erwartet.\n" POS(1, 28)
         "FEHLER: (Parser) XML-Deklaration, Ende der Deklaration (?>) erwartet. D399\n" POS(1, 28)},
        {L"<?xml version='1' encoding 'x'?>", 0,
         "FEHLER: (Parser) XML-Deklaration, Zuweisungszeichen (=) fehlt.\n" POS(1, 28)
         "FEHLER: (Parser) XML-Deklaration, Ende der Deklaration (?>) erwartet. D399\n" POS(1, 28)},
        {L"<?xml version='1' encoding='x", 0,
         "FEHLER: (Parser) Alternative Zeichenkette (\"))wird nicht beendet.\n" POS(1, 28)
         "FEHLER: (Parser) XML-Deklaration, Der Wert für 'encoding' konnte nicht gelesen werden.\n" POS(1, 28)
         "FEHLER: (Parser) XML-Deklaration, Ende der Deklaration (?>) erwartet. D399\n" POS(1, 28)},
        {L"<?xml version='1' standalone='maybe'?>", 1,
         "FEHLER: (Parser) XML-Deklaration, Ungültiger Wert für 'standalone'.\n" POS(1, 31)},
        {L"<?xml version='1' standalone=''?>", 1,
         "FEHLER: (Parser) XML-Deklaration, Wert für 'standalone' ist leer.\n" POS(1, 31)},
        {L"<?xml version='1' standalone=yes?>", 0,
         "FEHLER: (Parser) XML-Deklaration, Wert für 'standalone' (Zeichenkette) erwartet.\n" POS(1, 30)
         "FEHLER: (Parser) XML-Deklaration, Ende der Deklaration (?>) erwartet. D399\n" POS(1, 30)},
        {L"<?xml version='1' standalone=\"no", 0,
         "FEHLER: (Parser) Zeichenkette (\"))wird nicht beendet.\n" POS(1, 30)
         "FEHLER: (Parser) XML-Deklaration, Wert für 'standalone' konnte nicht gelesen werden.\n" POS(1, 30)
         "FEHLER: (Parser) XML-Deklaration, Ende der Deklaration (?>) erwartet. D399\n" POS(1, 30)},
    };
    for (const auto& f : faelle) {
        Testtext t(f.text);
        DCL d;
        SGML p(&t.buf, &d);
        int ergebnis = -1;
        const std::string aus = Konsolenausgabe([&] { ergebnis = p.xml_declaration(); });
        EXPECT_EQ(aus, f.ausgabe) << testing::PrintToString(std::wstring(f.text));
        EXPECT_EQ(ergebnis, f.ergebnis) << testing::PrintToString(std::wstring(f.text));
    }
}

TEST(SGML, DeclaredEncodingAgainstTheDetectedOne) {
    struct {
        const wchar_t* name;
        ENCODINGtypeItems erkannt;
        const char* meldung;  // null: accepted
    } faelle[] = {
        {L"ISO-8859-1", ENC_UTF16BE, nullptr},
        {L"us-ascii", ENC_UTF32LE, nullptr},
        {L"ASCII", ENC_BIN, nullptr},
        {L"UTF-8", ENC_UTF8, nullptr},
        {L"UTF-8", ENC_BIN, "Das Encoding UTF-8 widerspricht dem BOM-Encoding."},
        {L"UTF-16", ENC_UTF16LE, nullptr},
        {L"UTF-16", ENC_UTF16BE, nullptr},
        {L"UTF-16", ENC_UTF8,
         "Das Encoding UTF-16 muss mit BOM als UTF-16LE oder UTF-16BE spezifiziert werden."},
        {L"UTF-16BE", ENC_UTF16LE, "Das Encoding UTF-16BE widerspricht dem BOM-Encoding."},
        {L"utf-16le", ENC_UTF16LE, nullptr},
        {L"UTF-16LE", ENC_BIN, "Das Encoding UTF-16LE widerspricht dem BOM-Encoding."},
        {L"UTF-32", ENC_UTF32BE, nullptr},
        {L"UTF-32", ENC_UTF16LE,
         "Das Encoding UTF-32 muss mit BOM als UTF-32LE oder UTF-32BE spezifiziert werden."},
        {L"UTF-32BE", ENC_UTF32LE, "Das Encoding UTF-32BE widerspricht dem BOM-Encoding."},
        {L"UTF-32LE", ENC_UTF32BE, "Das Encoding UTF-32LE widerspricht dem BOM-Encoding."},
        {L"Shift_JIS", ENC_BIN, "Die Kodierung 'Shift_JIS' wird nicht unterstützt."},
        {L"ISO-10646-UCS-2", ENC_UTF16LE, "Die Kodierung 'ISO-10646-UCS-2' wird nicht unterstützt."},
        // Forced single bytes accept every name.
        {L"EUC-JP", ENC_NONE, nullptr},
        {L"UTF-32BE", ENC_NONE, nullptr},
    };
    for (const auto& f : faelle) {
        const std::wstring text = std::wstring(L"<?xml version='1.0' encoding='") + f.name + L"'?>";
        Testtext t(text);
        t.buf.erkannt = f.erkannt;
        DCL d;
        SGML p(&t.buf, &d);
        int ergebnis = -1;
        const std::string aus = Konsolenausgabe([&] { ergebnis = p.xml_declaration(); });
        const std::string erwartet =
            f.meldung ? std::string("FEHLER: (Parser) XML-Deklaration, ") + f.meldung + "\n" POS(1, 31) : "";
        EXPECT_EQ(aus, erwartet) << testing::PrintToString(std::wstring(f.name));
        EXPECT_EQ(ergebnis, 1);
    }
}

TEST(SGML, XmlPrologOfTheScript) {
    Testtext t(L"<?xml version='1.0'?>\n<!-- c -->\n<!DOCTYPE script>\n<script>");
    DCL d;
    SGML p(&t.buf, &d);
    EXPECT_EQ(p.xml_prolog(), 1);
    EXPECT_STREQ(p.Dokumenttypname(), L"script");
    EXPECT_EQ(std::wstring(p.Cursor()), L"<script>");
}

TEST(SGML, MarkFoundInTheText) {
    struct {
        std::wstring anfang;
        ENCODINGtypeItems art;
        int ueberspringen;
        int ergebnis;
    } faelle[] = {
        {L"\u00ef\u00bb\u00bf<a/>", ENC_UTF8, 3, 1},
        {std::wstring(L"\u00ff\u00fe\0\0<a/>", 8), ENC_UTF32LE, 4, 0},
        {L"\u00ff\u00fe<a/>", ENC_UTF16LE, 4, 0},
        {L"\u00fe\u00ff<a/>", ENC_UTF16BE, 4, 0},
        {std::wstring(L"\0\0\u00fe\u00ff<a/>", 8), ENC_UTF32BE, 4, 0},
        {L"<?xml?><a/>", ENC_UTF8, 0, 1},
        {std::wstring(L"<\0?\0<a/>", 8), ENC_UTF16LE, 0, 0},
        {std::wstring(L"\0<\0?<a/>", 8), ENC_UTF16BE, 0, 0},
    };
    for (const auto& f : faelle) {
        Testtext t(f.anfang);
        DCL d;
        d.reader_encoding = ENC_AUTO;
        d.bom_encoding = ENC_NONE;
        SGML p(&t.buf, &d);
        EXPECT_EQ(p.xml_bom(), f.ergebnis);
        EXPECT_EQ(d.reader_encoding, f.art);
        EXPECT_EQ(d.bom_encoding, f.art);
        EXPECT_EQ(p.Cursor() - t.buf.text, f.ueberspringen);
    }
    // Nothing to see, or a text too short to look at.
    for (const wchar_t* text : {L"<a/>x", L"\u00ef\u00bb\u00bf<"}) {
        Testtext t(text);
        DCL d;
        d.reader_encoding = ENC_AUTO;
        SGML p(&t.buf, &d);
        EXPECT_EQ(p.xml_bom(), 1);
        EXPECT_EQ(d.reader_encoding, ENC_AUTO);
        EXPECT_EQ(p.Cursor(), t.buf.text);
    }
}

TEST(SGML, KeywordHelpersStayInsideTheText) {
    Testtext t(L"ELEMENT x");
    DCL d;
    SGML p(&t.buf, &d);
    EXPECT_EQ(p.Token(nullptr), 0);
    EXPECT_EQ(p.IstToken(L"ELEMENT"), 1);
    EXPECT_EQ(p.Token(L"ELEMENTS"), 0);
    EXPECT_EQ(p.TokenSeq(L"ELEMENT", L"x"), 0);  // a blank stands between
    EXPECT_EQ(p.Cursor(), t.buf.text);
    EXPECT_EQ(p.TokenSeq(L"ELEMENT", L" "), 1);
    EXPECT_EQ(p.Token(L"x "), 0);  // would reach past the end
    EXPECT_EQ(p.DeleteToken(L"x"), 1);
    EXPECT_EQ(t.text[8], L'\0');
    EXPECT_EQ(p.Cursor(), p.Ende());
    EXPECT_EQ(p.NextInstanz(), 0);
    EXPECT_EQ(p.AddInstanz(-8), 0);
    EXPECT_EQ(p.Cursor(), p.Ende());

    Testtext u(L"abc");
    SGML q(&u.buf, &d);
    EXPECT_EQ(q.AddInstanz(2), 1);
    EXPECT_EQ(q.AddInstanz(5), 0);  // clamped at the end
    EXPECT_EQ(q.Cursor(), q.Ende());
}

TEST(SGML, ParserWithoutTextIsNotUsable) {
    BUF leer;
    DCL d;
    SGML p(&leer, &d);
    EXPECT_FALSE(p.ok());
    EXPECT_EQ(p.document(), 0);
}

#if defined(__x86_64__)
// Derived parsers rely on the fixed order of the virtual operations.
template <typename M>
std::ptrdiff_t Slot(M m) {
    struct {
        std::uintptr_t ptr;
        std::ptrdiff_t adj;
    } r;
    static_assert(sizeof(m) == sizeof(r));
    std::memcpy(&r, &m, sizeof r);
    return static_cast<std::ptrdiff_t>((r.ptr - 1) / sizeof(void*));
}

TEST(SGML, VirtualOperationsKeepTheirSlots) {
    EXPECT_EQ(Slot(&SGML::document_type_name), 0);
    EXPECT_EQ(Slot(&SGML::attribute_name), 3);
    EXPECT_EQ(Slot(&SGML::character_data), 9);
    EXPECT_EQ(Slot(&SGML::comment), 18);
    EXPECT_EQ(Slot(&SGML::content), 21);
    EXPECT_EQ(Slot(&SGML::element), 25);
    EXPECT_EQ(Slot(&SGML::general_entity_reference), 33);
    EXPECT_EQ(Slot(&SGML::s), 39);
    EXPECT_EQ(Slot(&SGML::system_identifier), 42);
}
#endif

}  // namespace
