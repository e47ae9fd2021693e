#include "convert/CNV.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

#include "../textio/Testdatei.h"
#include "script/IPR.h"

namespace {

using testdatei::breit;
using testdatei::konsole;

class CNVTest : public ::testing::Test {
protected:
    std::wstring datei(const std::string& name, const std::string& inhalt) {
        return breit(dir.schreiben(name, inhalt));
    }
    testdatei::Verzeichnis dir;
    IPR ipr;
};

TEST_F(CNVTest, ChoosesTheWriterAndTheMessageSink) {
    {
        CNV cnv;
        ASSERT_EQ(cnv.Interpreter_Initialisierung(&ipr), 1);
        EXPECT_EQ(cnv.ausgabe_in_gebrauch, &cnv.ausgabe);
        EXPECT_EQ(cnv.skript, &ipr.skript);
        EXPECT_EQ(ipr.skript.fehlerausgabe, nullptr);
        EXPECT_EQ(cnv.quelle.fehlerausgabe, nullptr);
    }
    ipr.web_output = true;
    {
        CNV cnv;
        cnv.Interpreter_Initialisierung(&ipr);
        EXPECT_EQ(ipr.skript.fehlerausgabe, &cnv.ausgabe);
        EXPECT_EQ(cnv.quelle.fehlerausgabe, &cnv.ausgabe);
    }
    // The engine's writer is gone: the script must not keep pointing at it.
    EXPECT_EQ(ipr.skript.fehlerausgabe, nullptr);

    ASSERT_EQ(ipr.out.OUT_Open(L"x", breit(dir.pfad()).c_str(), L"global.htm", nullptr, ENC_UTF8, true), 1);
    CNV cnv;
    cnv.Interpreter_Initialisierung(&ipr);
    EXPECT_EQ(cnv.ausgabe_in_gebrauch, &ipr.out);
    EXPECT_EQ(ipr.skript.fehlerausgabe, &ipr.out);
    EXPECT_EQ(std::wstring(cnv.Ausgabename()), breit(dir.pfad() + "/global.htm"));
    EXPECT_EQ(cnv.Interpreter_Initialisierung(nullptr), 0);
}

TEST_F(CNVTest, OutputFollowsTheDecodingUnderAuto) {
    struct Fall {
        std::string inhalt;
        bool einzelbytes;
        std::string ausgabe;
    } faelle[] = {
        {"<a>\xC3\xA4</a>", false, "\xEF\xBB\xBF\xC3\xA4"},
        {std::string("\xFF\xFE<\0a\0>\0", 8), false, std::string("\xFF\xFE\xE4\0", 4)},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a/>", false, "\xE4"},
        {"<a>\xE4</a>", true, "&#xe4;"},
    };
    for (const Fall& f : faelle) {
        CNV cnv;
        cnv.Interpreter_Initialisierung(&ipr);
        std::wstring name = datei("f.xml", f.inhalt);
        ASSERT_EQ(cnv.AusgabeOpen(name.c_str(), nullptr, L"out", f.einzelbytes), 1);
        EXPECT_TRUE(cnv.Quelle_OK());
        EXPECT_EQ(std::wstring(cnv.Quellpfad()), name);
        EXPECT_EQ(cnv.Quelllaenge(), cnv.quelle.length);
        EXPECT_EQ(std::wstring(cnv.Ausgabename()), breit(dir.pfad() + "/f.out"));
        cnv.ausgabe.OUT_Write_Char(L'\xE4');
        EXPECT_EQ(cnv.AusgabeAbschluss(true), 1);
        EXPECT_EQ(dir.lesen("f.out"), f.ausgabe) << f.inhalt;
    }
}

TEST_F(CNVTest, NoOutputWithGlobalNameOrUnreadableInput) {
    CNV global;
    global.Interpreter_Initialisierung(&ipr);
    std::wstring name = datei("g.xml", "<a/>");
    EXPECT_EQ(global.AusgabeOpen(name.c_str(), L"alle.htm", L"htm", false), 1);
    EXPECT_TRUE(global.Quelle_OK());
    EXPECT_FALSE(global.ausgabe.OUT_is_Open());

    // Unreadable inputs stay in the run as failed files and get no output.
    for (const char* inhalt : {"", "\xC3"}) {
        CNV cnv;
        cnv.Interpreter_Initialisierung(&ipr);
        std::wstring leer = datei("leer.xml", inhalt);
        konsole([&] { EXPECT_EQ(cnv.AusgabeOpen(leer.c_str(), nullptr, L"htm", false), 1); });
        EXPECT_FALSE(cnv.Quelle_OK());
        EXPECT_FALSE(cnv.ausgabe.OUT_is_Open());
        EXPECT_EQ(cnv.AusgabeAbschluss(false), 1);
    }
    CNV fehlt;
    fehlt.Interpreter_Initialisierung(&ipr);
    std::wstring weg = breit(dir.pfad() + "/weg.xml");
    konsole([&] { EXPECT_EQ(fehlt.AusgabeOpen(weg.c_str(), nullptr, L"htm", false), 1); });
    EXPECT_FALSE(fehlt.Quelle_OK());
    EXPECT_EQ(dir.lesen("leer.htm"), "");
    EXPECT_EQ(access((dir.pfad() + "/weg.htm").c_str(), F_OK), -1);
}

TEST_F(CNVTest, AsciiCheckReportsEveryOtherCharacter) {
    CNV cnv;
    cnv.Interpreter_Initialisierung(&ipr);
    EXPECT_EQ(cnv.CheckDecCodesASCII(), 0);  // nothing read
    std::wstring name = datei("a.xml", "<a>\tok\r\nnicht \xE4 und \x7F</a>\n");
    cnv.AusgabeOpen(name.c_str(), nullptr, nullptr, true);
    std::string text = konsole([&] { EXPECT_EQ(cnv.CheckDecCodesASCII(), 0); });
    EXPECT_EQ(text,
              "FEHLER: Das ASCII-Zeichen '228' ist ungültig.\nPosition: Zeile=2, Zeichen=7.\n"
              "FEHLER: Das ASCII-Zeichen '127' ist ungültig.\nPosition: Zeile=2, Zeichen=13.\n");

    CNV gut;
    gut.Interpreter_Initialisierung(&ipr);
    std::wstring rein = datei("b.xml", "<a>\n\tzeile\r\n</a>");
    gut.AusgabeOpen(rein.c_str(), nullptr, nullptr, true);
    EXPECT_EQ(konsole([&] { EXPECT_EQ(gut.CheckDecCodesASCII(), 1); }), "");
}

TEST_F(CNVTest, AnEmptyStoreConvertsToNothing) {
    CNV cnv;
    EXPECT_EQ(konsole([&] { EXPECT_EQ(cnv.Quelle_Convert(), 1); }), "");
}

TEST_F(CNVTest, InPlaceOutputReplacesItsInputOnlyOnSuccess) {
    std::wstring name = datei("i.xml", "<alt/>");
    {
        CNV cnv;
        cnv.Interpreter_Initialisierung(&ipr);
        cnv.AusgabeOpen(name.c_str(), nullptr, L"xml", false);
        cnv.ausgabe.OUT_Write_String(L"<halb");
        std::string text = konsole([&] { EXPECT_EQ(cnv.AusgabeAbschluss(false), 1); });
        EXPECT_EQ(text, "Hinweis: Die Eingabedatei '" + dir.pfad() + "/i.xml' wurde wegen eines Fehlers nicht "
                        "überschrieben.\n");
    }
    EXPECT_EQ(dir.lesen("i.xml"), "<alt/>");
    {
        CNV cnv;
        cnv.Interpreter_Initialisierung(&ipr);
        cnv.AusgabeOpen(name.c_str(), nullptr, L"xml", false);
        cnv.ausgabe.OUT_Write_String(L"<neu/>");
        EXPECT_EQ(konsole([&] { EXPECT_EQ(cnv.AusgabeAbschluss(true), 1); }), "");
    }
    EXPECT_EQ(dir.lesen("i.xml"), "\xEF\xBB\xBF<neu/>");
}

TEST_F(CNVTest, FullDiskFailsTheFile) {
    std::wstring name = datei("v.xml", "<a/>");
    ASSERT_EQ(symlink("/dev/full", (dir.pfad() + "/v.htm").c_str()), 0);
    CNV cnv;
    cnv.Interpreter_Initialisierung(&ipr);
    cnv.AusgabeOpen(name.c_str(), nullptr, L"htm", false);
    cnv.ausgabe.OUT_Write_String(L"<b/>");
    EXPECT_EQ(konsole([&] { EXPECT_EQ(cnv.AusgabeAbschluss(true), 0); }), "FEHLER: (Ausgabe) Schreibfehler.\n");

    // The same on the global writer: the file that meets the full disk fails.
    ASSERT_EQ(ipr.out.OUT_Open(L"x", breit(dir.pfad()).c_str(), L"v.htm", nullptr, ENC_UTF8, true), 1);
    CNV global;
    global.Interpreter_Initialisierung(&ipr);
    global.AusgabeOpen(name.c_str(), L"v.htm", nullptr, false);
    global.ausgabe_in_gebrauch->OUT_Write_String(L"<b/>");
    EXPECT_EQ(konsole([&] { EXPECT_EQ(global.AusgabeAbschluss(true), 0); }), "FEHLER: (Ausgabe) Schreibfehler.\n");
}

}  // namespace
