#include "textio/OUT.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "Testdatei.h"

namespace {

using testdatei::breit;
using testdatei::konsole;

// The bytes that the writer produces for the characters in the encoding.
std::string bytes(ENCODINGtypeItems enc, const std::u32string& zeichen, bool mark = false) {
    testdatei::Verzeichnis dir;
    std::string quelle = dir.pfad() + "/q.xml";
    {
        OUT out;
        EXPECT_EQ(out.OUT_Open(breit(quelle).c_str(), nullptr, nullptr, L"out", enc, mark), 1);
        for (char32_t c : zeichen) EXPECT_EQ(out.OUT_Write_Int(static_cast<unsigned int>(c)), 1);
    }
    return dir.lesen("q.out");
}

std::string b(const char* s, std::size_t n) { return std::string(s, n); }

TEST(OUT, ByteOrderMarks) {
    EXPECT_EQ(bytes(ENC_UTF8, U"", true), "\xEF\xBB\xBF");
    EXPECT_EQ(bytes(ENC_UTF16, U"", true), "\xFF\xFE");
    EXPECT_EQ(bytes(ENC_UTF16LE, U"", true), "\xFF\xFE");
    EXPECT_EQ(bytes(ENC_UTF16BE, U"", true), "\xFE\xFF");
    EXPECT_EQ(bytes(ENC_UTF32, U"", true), b("\xFF\xFE\0\0", 4));
    EXPECT_EQ(bytes(ENC_UTF32LE, U"", true), b("\xFF\xFE\0\0", 4));
    EXPECT_EQ(bytes(ENC_UTF32BE, U"", true), b("\0\0\xFE\xFF", 4));
    for (ENCODINGtypeItems ohne : {ENC_NONE, ENC_AUTO, ENC_ISO_8859_1, ENC_UCS2LE, ENC_BIN, ENC_BIN16LE})
        EXPECT_EQ(bytes(ohne, U"", true), "") << ohne;
    EXPECT_EQ(bytes(ENC_UTF8, U"", false), "");
}

TEST(OUT, Utf8) {
    EXPECT_EQ(bytes(ENC_UTF8, U"A\u00E4\u20AC\U0001F600\U0010FFFF"),
              "A\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF");
    // Beyond Unicode: a character reference instead of a five-byte form.
    EXPECT_EQ(bytes(ENC_UTF8, std::u32string(1, char32_t(0x110000))), "&#x110000;");
}

TEST(OUT, Utf16BothOrders) {
    EXPECT_EQ(bytes(ENC_UTF16LE, U"A\U0001F600"), b("A\0\x3D\xD8\x00\xDE", 6));
    EXPECT_EQ(bytes(ENC_UTF16, U"\u20AC"), b("\xAC\x20", 2));
    EXPECT_EQ(bytes(ENC_UTF16BE, U"A\U0001F600"), b("\0A\xD8\x3D\xDE\x00", 6));
    EXPECT_EQ(bytes(ENC_UTF16BE, U"\U0010FFFF"), b("\xDB\xFF\xDF\xFF", 4));
    // Beyond Unicode: the reference, in 16-bit units.
    EXPECT_EQ(bytes(ENC_UTF16LE, std::u32string(1, char32_t(0x7FFFFFFF))),
              b("&\0#\0x\0" "7\0f\0f\0f\0f\0f\0f\0f\0;\0", 24));
    EXPECT_EQ(bytes(ENC_UTF16BE, std::u32string(1, char32_t(0x110000))), b("\0&\0#\0x\0" "1\0" "1\0" "0\0" "0\0" "0\0" "0\0;", 20));
}

TEST(OUT, Utf32BothOrders) {
    EXPECT_EQ(bytes(ENC_UTF32LE, U"A\U0001F600"), b("A\0\0\0\x00\xF6\x01\0", 8));
    EXPECT_EQ(bytes(ENC_UTF32, U"A"), b("A\0\0\0", 4));
    EXPECT_EQ(bytes(ENC_UTF32BE, U"A\U0001F600"), b("\0\0\0A\0\x01\xF6\x00", 8));
}

TEST(OUT, SingleByteEncodingsAndReferences) {
    // ISO-8859-1 output carries ASCII only.
    EXPECT_EQ(bytes(ENC_ISO_8859_1, U"a\u007F\u0080\u00E4\u20AC"), "a\x7F&#x80;&#xe4;&#x20ac;");
    // The other single-byte outputs write 128 to 255 as bytes.
    for (ENCODINGtypeItems enc : {ENC_NONE, ENC_AUTO, ENC_BIN, ENC_UCS2LE, ENC_UCS4BE, ENC_BIN32LE})
        EXPECT_EQ(bytes(enc, U"a\u00E4\u00FF\u0100\u20AC\U0001F600"), "a\xE4\xFF&#x100;&#x20ac;&#x1f600;") << enc;
    // Line ends are not translated.
    EXPECT_EQ(bytes(ENC_BIN, U"\r\n\n"), "\r\n\n");
}

TEST(OUT, StringsAndCharacters) {
    testdatei::Verzeichnis dir;
    OUT out;
    ASSERT_EQ(out.OUT_Open(breit(dir.pfad() + "/s.a").c_str(), nullptr, nullptr, L"b", ENC_UTF8, false), 1);
    EXPECT_EQ(std::wstring(out.ausgabename), breit(dir.pfad() + "/s.b"));
    EXPECT_EQ(out.status, 0);
    EXPECT_TRUE(out.OUT_is_Open());
    EXPECT_EQ(out.OUT_Write_String(L"gr\xFC\xDF"), 1);
    EXPECT_EQ(out.OUT_Write_String(L""), 1);
    EXPECT_EQ(out.OUT_Write_String(nullptr), 1);
    EXPECT_EQ(out.OUT_Write_Char(L'!'), 1);
    out.OUT_Close();
    EXPECT_TRUE(out.OUT_is_Open());  // stays set until the next open
    EXPECT_EQ(out.OUT_Write_Char(L'x'), 1);  // and writes nothing any more
    EXPECT_EQ(dir.lesen("s.b"), "gr\xC3\xBC\xC3\x9F!");
}

// Escaped writing gives the bytes of the escaped text written plainly, in
// every kind of encoding and wherever a replacement meets the end of the
// writer's buffer; switching the escaping off writes plainly again.
TEST(OUT, EscapingMatchesTheEscapedTextWrittenPlainly) {
    std::wstring text;
    for (int i = 0; text.size() < 3 * OUT_PUFFERGROESSE; ++i)
        text += i % 7 == 0 ? L"a<b&c>d\"e'f " : i % 5 == 0 ? L"\u00E4\u20AC\U0001F600& " : L"xyz ";
    for (ENCODINGtypeItems enc : {ENC_UTF8, ENC_ISO_8859_1, ENC_UTF16BE, ENC_UTF32LE, ENC_BIN}) {
        for (OUTmaskeItems art : {OUT_MASKE_TEXT, OUT_MASKE_ATTRIBUT}) {
            testdatei::Verzeichnis dir;
            std::wstring erwartet;
            OUT::OUT_Maskiert(text.c_str(), art, erwartet);
            erwartet += L"&amp;<'";
            {
                OUT klar;
                ASSERT_EQ(klar.OUT_Open(breit(dir.pfad() + "/k.xml").c_str(), nullptr, nullptr, L"out", enc, false), 1);
                klar.OUT_Write_String(erwartet.c_str());
            }
            {
                OUT maskiert;
                ASSERT_EQ(maskiert.OUT_Open(breit(dir.pfad() + "/m.xml").c_str(), nullptr, nullptr, L"out", enc, false),
                          1);
                maskiert.OUT_Maskierung(art);
                // Pieces of odd lengths, so that replacements fall on every
                // place of the buffer.
                for (std::size_t a = 0; a < text.size(); a += 4093)
                    EXPECT_EQ(maskiert.OUT_Write_String(text.substr(a, 4093).c_str()), 1);
                maskiert.OUT_Write_Char(L'&');
                maskiert.OUT_Maskierung(OUT_MASKE_KEINE);
                maskiert.OUT_Write_Char(L'<');
                maskiert.OUT_Write_Int(L'\'');
            }
            EXPECT_EQ(dir.lesen("m.out"), dir.lesen("k.out")) << enc << " " << art;
        }
    }
    std::wstring zeichen;
    OUT::OUT_Maskiert(L"<&>\"'", OUT_MASKE_TEXT, zeichen);
    EXPECT_EQ(zeichen, L"&lt;&amp;&gt;\"'");
    zeichen.clear();
    OUT::OUT_Maskiert(L"<&>\"'", OUT_MASKE_ATTRIBUT, zeichen);
    EXPECT_EQ(zeichen, L"&lt;&amp;&gt;&quot;&#39;");
}

TEST(OUT, ClosedWriterAcceptsAndIgnores) {
    OUT out;
    EXPECT_FALSE(out.OUT_is_Open());
    EXPECT_EQ(out.OUT_Write_Char(L'x'), 1);
    EXPECT_EQ(out.OUT_Write_String(L"abc"), 1);
    EXPECT_EQ(out.OUT_Close(), 1);
}

TEST(OUT, NamesThatCannotBeOpened) {
    testdatei::Verzeichnis dir;
    OUT out;
    std::wstring quelle = breit(dir.pfad() + "/q.xml");
    EXPECT_EQ(out.OUT_Open(quelle.c_str(), nullptr, nullptr, L"", ENC_UTF8, true), 0);
    EXPECT_EQ(out.OUT_Open(quelle.c_str(), nullptr, L"", nullptr, ENC_UTF8, true), 0);
    EXPECT_EQ(out.OUT_Open(quelle.c_str(), L"", L"g.htm", nullptr, ENC_UTF8, true), 0);
    EXPECT_EQ(out.OUT_Open(L"", nullptr, L"g.htm", nullptr, ENC_UTF8, true), 0);
    EXPECT_EQ(std::wstring(out.ausgabename), L"");

    std::wstring lang = L"/" + std::wstring(1023, L'n');
    std::string text = konsole([&] { EXPECT_EQ(out.OUT_Open(lang.c_str(), nullptr, nullptr, L"x", ENC_UTF8, true), 0); });
    EXPECT_EQ(out.status, 9000);
    EXPECT_EQ(text, "FEHLER: (Eingabe) Der Dateiname zu lang (maximal 1024 Zeichen).\nbeim Öffnen der Datei " +
                        std::string(lang.begin(), lang.end()) + "\n");
    text = konsole([&] { EXPECT_EQ(out.OUT_Open(lang.c_str(), nullptr, L"g.htm", nullptr, ENC_UTF8, true), 0); });
    EXPECT_EQ(out.status, 9000);
    EXPECT_EQ(text, "FEHLER: (Eingabe) Der Dateiname zu lang (maximal 1024 Zeichen sind erlaubt).\nbeim Öffnen der "
                    "Datei '" + std::string(lang.begin(), lang.end()) + "'\n");

    std::wstring fehlt = breit(dir.pfad() + "/fehlt/q.xml");
    text = konsole([&] { EXPECT_EQ(out.OUT_Open(fehlt.c_str(), nullptr, nullptr, L"htm", ENC_UTF8, true), 0); });
    EXPECT_EQ(out.status, 9100);
    EXPECT_EQ(text, "FEHLER: (Ausgabe): Datei konnte nicht erstellt werden (" + dir.pfad() +
                        "/fehlt/q.htm): Datei oder Verzeichnis nicht gefunden.\n");
    EXPECT_FALSE(out.OUT_is_Open());
    EXPECT_EQ(out.OUT_Write_String(L"nichts"), 1);
}

TEST(OUT, GlobalNameUnderADirectory) {
    testdatei::Verzeichnis dir;
    OUT out;
    ASSERT_EQ(out.OUT_Open(L"egal", breit(dir.pfad()).c_str(), L"g.htm", nullptr, ENC_BIN, true), 1);
    EXPECT_EQ(std::wstring(out.ausgabename), breit(dir.pfad() + "/g.htm"));
    out.zielzaehler = 5;
    out.OUT_Close();
    ASSERT_EQ(out.OUT_Open(breit(dir.pfad()).c_str(), nullptr, L"h.htm", nullptr, ENC_BIN, true), 1);
    EXPECT_EQ(std::wstring(out.ausgabename), breit(dir.pfad() + "/h.htm"));
    EXPECT_EQ(out.zielzaehler, 0);
}

TEST(OUT, FullDiskIsAWriteError) {
    testdatei::Verzeichnis dir;
    std::string ziel = dir.pfad() + "/voll.htm";
    ASSERT_EQ(symlink("/dev/full", ziel.c_str()), 0);
    OUT out;
    ASSERT_EQ(out.OUT_Open(breit(dir.pfad() + "/voll.xml").c_str(), nullptr, nullptr, L"htm", ENC_UTF8, true), 1);
    std::wstring viel(OUT_PUFFERGROESSE, L'x');
    std::string text = konsole([&] {
        EXPECT_EQ(out.OUT_Write_String(viel.c_str()), 0);
        EXPECT_EQ(out.OUT_Write_String(viel.c_str()), 0);
        EXPECT_EQ(out.OUT_Write_Char(L'x'), 0);
    });
    EXPECT_EQ(text, "FEHLER: (Ausgabe) Schreibfehler.\n");  // once per file
    EXPECT_EQ(out.status, 9302);
    EXPECT_TRUE(out.OUT_Schreibfehler());
    text = konsole([&] { EXPECT_EQ(out.OUT_Abschluss(true), 0); });
    EXPECT_EQ(text, "");

    // Short output fails only when it is flushed at the end.
    OUT klein;
    ASSERT_EQ(klein.OUT_Open(breit(dir.pfad() + "/voll.xml").c_str(), nullptr, nullptr, L"htm", ENC_UTF8, true), 1);
    EXPECT_EQ(klein.OUT_Write_Char(L'x'), 1);
    text = konsole([&] { EXPECT_EQ(klein.OUT_Abschluss(true), 0); });
    EXPECT_EQ(text, "FEHLER: (Ausgabe) Schreibfehler.\n");
    EXPECT_EQ(klein.status, 9304);

    // The global writer is closed by OUT_Close and reports it there.
    OUT global;
    ASSERT_EQ(global.OUT_Open(L"x", breit(dir.pfad()).c_str(), L"voll.htm", nullptr, ENC_BIN, true), 1);
    global.OUT_Write_String(L"abc");
    text = konsole([&] { EXPECT_EQ(global.OUT_Close(), 1); });
    EXPECT_EQ(text, "FEHLER: (Ausgabe) Schreibfehler.\n");
    EXPECT_TRUE(global.OUT_Schreibfehler());
}

class Schutz : public ::testing::Test {
protected:
    void SetUp() override {
        eingabe = dir.schreiben("a.xml", "ALT");
        chmod(eingabe.c_str(), 0640);
    }
    int oeffnen(OUT& out) {
        out.OUT_Eingabe_schuetzen(breit(eingabe).c_str());
        return out.OUT_Open(breit(eingabe).c_str(), nullptr, nullptr, L"xml", ENC_UTF8, false);
    }
    int dateien() const {
        int n = 0;
        for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.pfad())) ++n;
        return n;
    }
    testdatei::Verzeichnis dir;
    std::string eingabe;
};

TEST_F(Schutz, SuccessReplacesTheInputKeepingItsPermissions) {
    OUT out;
    ASSERT_EQ(oeffnen(out), 1);
    EXPECT_TRUE(out.OUT_ersetzt_Eingabe());
    EXPECT_EQ(std::wstring(out.ausgabename), breit(eingabe));
    out.OUT_Write_String(L"NEU");
    EXPECT_EQ(dir.lesen("a.xml"), "ALT");  // untouched while writing
    EXPECT_EQ(out.OUT_Abschluss(true), 1);
    EXPECT_EQ(dir.lesen("a.xml"), "NEU");
    struct stat info;
    ASSERT_EQ(stat(eingabe.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(dateien(), 1);
}

TEST_F(Schutz, FailureKeepsTheInputAndRemovesThePartialResult) {
    OUT out;
    ASSERT_EQ(oeffnen(out), 1);
    out.OUT_Write_String(L"HALB");
    EXPECT_EQ(out.OUT_Abschluss(false), 1);
    EXPECT_EQ(dir.lesen("a.xml"), "ALT");
    EXPECT_EQ(dateien(), 1);
}

TEST_F(Schutz, WriterGoneWithoutVerdictKeepsTheInput) {
    {
        OUT out;
        ASSERT_EQ(oeffnen(out), 1);
        out.OUT_Write_String(L"HALB");
    }
    EXPECT_EQ(dir.lesen("a.xml"), "ALT");
    EXPECT_EQ(dateien(), 1);
}

TEST_F(Schutz, SameFileUnderAnotherNameIsProtectedToo) {
    std::string verweis = dir.pfad() + "/b.xml";
    ASSERT_EQ(link(eingabe.c_str(), verweis.c_str()), 0);
    OUT out;
    out.OUT_Eingabe_schuetzen(breit(verweis).c_str());
    ASSERT_EQ(out.OUT_Open(breit(eingabe).c_str(), nullptr, nullptr, L"xml", ENC_UTF8, false), 1);
    EXPECT_TRUE(out.OUT_ersetzt_Eingabe());
    out.OUT_Abschluss(false);
    EXPECT_EQ(dir.lesen("b.xml"), "ALT");

    // Another output beside the input is written directly.
    OUT anders;
    anders.OUT_Eingabe_schuetzen(breit(eingabe).c_str());
    ASSERT_EQ(anders.OUT_Open(breit(eingabe).c_str(), nullptr, nullptr, L"htm", ENC_UTF8, false), 1);
    EXPECT_FALSE(anders.OUT_ersetzt_Eingabe());
}

}  // namespace
