#include <gtest/gtest.h>

#include <string>

#include "Testdatei.h"
#include "textio/BUF.h"
#include "textio/OUT.h"

namespace {

using testdatei::breit;
using testdatei::konsole;

// A buffer read from a file with the given text.
struct Gelesen {
    testdatei::Verzeichnis dir;
    std::string pfad;
    BUF buf;
    explicit Gelesen(const std::string& inhalt) {
        pfad = dir.schreiben("m.xml", inhalt);
        buf.Init(breit(pfad).c_str(), false);
    }
    std::string melden(int severity, int origin, const wchar_t* label, const wchar_t* vorlage,
                       const wchar_t* argument, const wchar_t* position) {
        return konsole([&] { EXPECT_EQ(buf.Fehlermeldung(severity, origin, label, vorlage, argument, position), 1); });
    }
    std::wstring ort(long offset) {
        wchar_t out[1021];
        buf.PosMeldung(out, 1021, buf.text + offset);
        return out;
    }
};

TEST(Meldung, SeverityOriginLabelAndNumber) {
    Gelesen g("x");
    EXPECT_EQ(g.melden(12007, 0, L"Puffer", L"Die Datei '%ls' ist leer.", L"a.xml", nullptr),
              "FEHLER: (Parser) Puffer, 12007 Die Datei 'a.xml' ist leer.\n");
    EXPECT_EQ(g.melden(0, 1, nullptr, L"Achtung", nullptr, nullptr), "WARNUNG: (Skript) Achtung\n");
    EXPECT_EQ(g.melden(-1, 0, L"Kommentar", L"Kaputt", nullptr, nullptr), "FEHLER: (Parser) Kommentar, Kaputt\n");
    EXPECT_EQ(g.melden(-1, 7, L"", L"Leer", nullptr, nullptr), "FEHLER: (Skript) , Leer\n");
    EXPECT_EQ(g.melden(-1, 0, nullptr, nullptr, nullptr, nullptr), "FEHLER: (Parser) \n");
}

TEST(Meldung, PlaceholderAndTheLimitOf255Characters) {
    Gelesen g("x");
    // Only the first placeholder is filled; without argument none is.
    EXPECT_EQ(g.melden(-1, 0, nullptr, L"A '%ls' B '%ls' %d", L"x", nullptr), "FEHLER: (Parser) A 'x' B '%ls' %d\n");
    EXPECT_EQ(g.melden(-1, 0, nullptr, L"A '%ls'", nullptr, nullptr), "FEHLER: (Parser) A '%ls'\n");
    EXPECT_EQ(g.melden(-1, 0, nullptr, L"A", L"x", nullptr), "FEHLER: (Parser) A\n");

    // Exactly 255 characters still fit, 256 do not: the template stands.
    std::wstring vorlage = L"<%ls>";
    std::wstring passt(253, L'p');
    EXPECT_EQ(g.melden(-1, 0, nullptr, vorlage.c_str(), passt.c_str(), nullptr),
              "FEHLER: (Parser) <" + std::string(253, 'p') + ">\n");
    std::wstring zu_lang(254, L'p');
    EXPECT_EQ(g.melden(-1, 0, nullptr, vorlage.c_str(), zu_lang.c_str(), nullptr), "FEHLER: (Parser) <%ls>\n");
    // The argument alone may not pass 255 either.
    EXPECT_EQ(g.melden(-1, 0, nullptr, L"%ls", std::wstring(256, L'q').c_str(), nullptr), "FEHLER: (Parser) %ls\n");

    // A long template is cut; a placeholder cut in two is not filled.
    std::wstring lang(300, L'v');
    EXPECT_EQ(g.melden(-1, 0, nullptr, lang.c_str(), nullptr, nullptr), "FEHLER: (Parser) " + std::string(255, 'v') + "\n");
    std::wstring geteilt = std::wstring(253, L'v') + L"%ls";
    EXPECT_EQ(g.melden(-1, 0, nullptr, geteilt.c_str(), L"", nullptr),
              "FEHLER: (Parser) " + std::string(253, 'v') + "%l\n");
}

TEST(Meldung, DoublePercentIsOnePercentOnTheConsole) {
    Gelesen g("x");
    EXPECT_EQ(g.melden(-1, 0, L"100%%", L"Format '%%' konnte nicht eingestellt werden, 5% mehr %%%", nullptr, nullptr),
              "FEHLER: (Parser) 100%, Format '%' konnte nicht eingestellt werden, 5% mehr %%\n");
    // The argument's pairs are shown the same way once inserted.
    EXPECT_EQ(g.melden(-1, 0, nullptr, L"'%ls'", L"a%%b", nullptr), "FEHLER: (Parser) 'a%b'\n");
}

TEST(Meldung, LineAndCharacterCounting) {
    Gelesen g("ab\ncd\n\rxy\r\nz");
    std::wstring datei = L"in Datei '" + breit(g.pfad) + L"' ";
    EXPECT_EQ(g.ort(0), datei + L"Zeile=1, Zeichen=1.");
    EXPECT_EQ(g.ort(1), datei + L"Zeile=1, Zeichen=2.");
    // The line feed is character 1 of the line it opens.
    EXPECT_EQ(g.ort(2), datei + L"Zeile=2, Zeichen=1.");
    EXPECT_EQ(g.ort(3), datei + L"Zeile=2, Zeichen=2.");
    // A carriage return right after a line feed is not counted.
    EXPECT_EQ(g.ort(6), datei + L"Zeile=3, Zeichen=1.");
    EXPECT_EQ(g.ort(7), datei + L"Zeile=3, Zeichen=2.");
    EXPECT_EQ(g.ort(9), datei + L"Zeile=3, Zeichen=4.");
    EXPECT_EQ(g.ort(11), datei + L"Zeile=4, Zeichen=2.");
    // The end itself is found, anything past it and null are not.
    EXPECT_EQ(g.ort(12), datei + L"Zeile=4, Zeichen=3.");
    wchar_t out[100];
    EXPECT_EQ(g.buf.PosMeldung(out, 100, g.buf.text + 13), 0);
    EXPECT_EQ(std::wstring(out), L" Position konnte nicht ermittelt werden.");
    EXPECT_EQ(g.buf.PosMeldung(out, 100, nullptr), 0);
    EXPECT_EQ(g.buf.PosMeldung(nullptr, 100, g.buf.text), 0);
    // Before the start: the first character.
    EXPECT_EQ(g.buf.PosMeldung(out, 100, g.buf.text - 5), 1);
    EXPECT_EQ(std::wstring(out), datei + L"Zeile=1, Zeichen=1.");
    // Going back after a later position gives the same answers.
    EXPECT_EQ(g.ort(11), datei + L"Zeile=4, Zeichen=2.");
    EXPECT_EQ(g.ort(3), datei + L"Zeile=2, Zeichen=2.");
}

// The readers terminate item texts in place; a terminator written over a
// line feed must not make later positions lose that line.
TEST(Meldung, TerminatorsOverLineFeedsKeepTheLineCount) {
    Gelesen g("ab\ncd\nef\ngh");
    for (long stelle : {8L, 2L, 5L}) {
        g.buf.Zeilenende_retten(g.buf.text + stelle);
        g.buf.text[stelle] = 0;
    }
    g.buf.Zeilenende_retten(g.buf.text + 0);  // no line feed: ignored
    std::wstring datei = L"in Datei '" + breit(g.pfad) + L"' ";
    EXPECT_EQ(g.ort(10), datei + L"Zeile=4, Zeichen=3.");
    EXPECT_EQ(g.ort(4), datei + L"Zeile=2, Zeichen=3.");
}

TEST(Meldung, PositionLineIsExactOrApproximate) {
    Gelesen g("a\nb");
    std::string datei = "in Datei '" + g.pfad + "' ";
    EXPECT_EQ(g.melden(-1, 0, L"DATA", L"Falsch", nullptr, g.buf.text + 2),
              "FEHLER: (Parser) DATA, Falsch\n" + datei + "Zeile=2, Zeichen=2.\n");
    g.buf.exakt = false;
    EXPECT_EQ(g.melden(0, 1, nullptr, L"Falsch", nullptr, g.buf.text + 2),
              "WARNUNG: (Skript) Falsch\n" + datei + "Zeile=2, Zeichen=2 (ungefähr)\n");
    EXPECT_EQ(g.melden(-1, 0, nullptr, L"Falsch", nullptr, g.buf.text + 9),
              "FEHLER: (Parser) Falsch\n Position konnte nicht ermittelt werden.\n");

    // A buffer that was never read has no positions.
    BUF leer;
    EXPECT_EQ(konsole([&] { leer.Fehlermeldung(-1, 0, nullptr, L"X", nullptr, L"abc"); }),
              "FEHLER: (Parser) X\n Position konnte nicht ermittelt werden.\n");
}

TEST(Meldung, ShortOutputBufferGetsACutLine) {
    Gelesen g("abc");
    wchar_t out[12];
    EXPECT_EQ(g.buf.PosMeldung(out, 12, g.buf.text + 1), 1);
    EXPECT_EQ(std::wstring(out), L"in Datei '/");
}

TEST(Meldung, WebOutputGetsHtmlFragments) {
    Gelesen g("a\nb");
    OUT sink;
    ASSERT_EQ(sink.OUT_Open(breit(g.pfad).c_str(), nullptr, nullptr, L"htm", ENC_UTF8, false), 1);
    g.buf.InitFehlerausgabe(&sink);
    std::string console = g.melden(12007, 0, L"Puffer", L"Die Datei '%ls' ist 100%% leer.", L"x", nullptr);
    EXPECT_EQ(console, "FEHLER: (Parser) Puffer, 12007 Die Datei 'x' ist 100% leer.\n");
    g.melden(0, 1, L"Kommentar", L"Ende fehlt", nullptr, g.buf.text + 2);
    g.buf.InitFehlerausgabe(nullptr);
    g.melden(-1, 0, nullptr, L"nicht mehr", nullptr, nullptr);
    sink.OUT_Close();

    std::string datei = "in Datei '" + g.pfad + "' Zeile=2, Zeichen=2.";
    EXPECT_EQ(g.dir.lesen("m.htm"),
              "<div>FEHLER: (Parser) 12007 Die Datei 'x' ist 100%% leer.</div>\n"
              "<div>WARNUNG: (Skript) Ende fehlt</div>\n"
              "<div>" + datei + "</div>\n");
}

}  // namespace
