#include "textio/BUF.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "Testdatei.h"
#include "textio/OUT.h"

namespace {

using testdatei::breit;
using testdatei::konsole;

struct Gelesen {
    int init = -1;
    int status = -1;
    bool ok = false;
    ENCODINGtypeItems erkannt = ENC_NONE;
    ENCODINGtypeItems decoding = ENC_NONE;
    std::wstring text;
    std::string meldungen;
};

Gelesen lesen(const std::string& bytes, bool einzelbytes = false, const std::string& name = "datei.xml") {
    testdatei::Verzeichnis dir;
    std::string pfad = dir.schreiben(name, bytes);
    Gelesen g;
    BUF buf;
    g.meldungen = konsole([&] { g.init = buf.Init(breit(pfad).c_str(), einzelbytes); });
    g.status = buf.status;
    g.ok = buf.OK();
    g.erkannt = buf.Lese_Bom_Encoding();
    g.decoding = buf.decoding;
    if (buf.text != nullptr) g.text.assign(buf.text, buf.length);
    return g;
}

TEST(BUF, ByteOrderMarksChooseTheDecoder) {
    struct Fall {
        std::string bytes;
        ENCODINGtypeItems art;
    } faelle[] = {
        {std::string("\xEF\xBB\xBF<a>\xC3\xA4</a>"), ENC_UTF8},
        {std::string("\x00\x00\xFE\xFF\x00\x00\x00<\x00\x00\x00\xE4\x00\x00\x00>", 16), ENC_UTF32BE},
        {std::string("\xFF\xFE\x00\x00<\x00\x00\x00\xE4\x00\x00\x00>\x00\x00\x00", 16), ENC_UTF32LE},
        {std::string("\xFF\xFE<\x00\xE4\x00>\x00", 8), ENC_UTF16LE},
        {std::string("\xFE\xFF\x00<\x00\xE4\x00>", 8), ENC_UTF16BE},
    };
    for (const Fall& f : faelle) {
        Gelesen g = lesen(f.bytes);
        EXPECT_EQ(g.status, 0);
        EXPECT_TRUE(g.ok);
        EXPECT_EQ(g.erkannt, f.art);
        EXPECT_EQ(g.decoding, f.art);
        EXPECT_NE(g.text.find(L'\xE4'), std::wstring::npos) << static_cast<int>(f.art);
        EXPECT_EQ(g.text.front(), L'<');
    }
}

TEST(BUF, SixteenBitDeclarationWithoutMarkKeepsItsBytes) {
    Gelesen le = lesen(std::string("<\0?\0x\0m\0l\0", 10));
    EXPECT_EQ(le.erkannt, ENC_BIN16LE);
    EXPECT_EQ(le.text, L"<?xml");
    Gelesen be = lesen(std::string("\0<\0?\0x\0m\0l", 10));
    EXPECT_EQ(be.erkannt, ENC_BIN16BE);
    EXPECT_EQ(be.text, L"<?xml");
}

TEST(BUF, MarksCountOnlyInFilesOfMoreThanFourBytes) {
    // The UTF-8 decoder drops the mark itself.
    Gelesen g = lesen("\xEF\xBB\xBF" "A");
    EXPECT_EQ(g.status, 0);
    EXPECT_EQ(g.text, L"A");
    EXPECT_EQ(g.erkannt, ENC_UTF8);
    // A UTF-16 file of one character is not recognised and fails as UTF-8.
    Gelesen kurz = lesen(std::string("\xFF\xFE" "A\0", 4));
    EXPECT_EQ(kurz.status, 12012);
    EXPECT_FALSE(kurz.ok);
}

TEST(BUF, DeclarationSniffDecidesBetweenUtf8AndSingleBytes) {
    struct Fall {
        std::string kopf;
        ENCODINGtypeItems art;
        ENCODINGtypeItems decoding;  // ENC_UTF8: read as UTF-8, which fails on the Latin-1 bytes
        int status;
    } faelle[] = {
        {"<?xml version=\"1.0\"?>", ENC_UTF8, ENC_UTF8, 12012},
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", ENC_UTF8, ENC_UTF8, 12012},
        {"<?xml version='1.0' encoding='iso-8859-1'?>", ENC_BIN, ENC_BIN, 0},
        {"<?xml version=\"1.0\" encoding=\"UTF-16\"?>", ENC_BIN, ENC_BIN, 0},
        {"<?xml\r\n\tversion=\"1.0\"\n encoding = \"US-ASCII\"?>", ENC_BIN, ENC_BIN, 0},
        // Other names go through iconv; one it does not know is refused.
        {"<?xml version=\"1.0\" encoding=\"latin1\"?>", ENC_BIN, ENC_NAMED, 0},
        {"<?xml version=\"1.0\" encoding=\"latin-1\"?>", ENC_BIN, ENC_BIN, 12019},
        // Not the accepted shape: read as UTF-8.
        {"<?xml version =\"1.0\" encoding=\"ISO-8859-1\"?>", ENC_UTF8, ENC_UTF8, 12012},
        {"<?xmlversion=\"1.0\" encoding=\"ISO-8859-1\"?>", ENC_UTF8, ENC_UTF8, 12012},
        {"<?xml version=\"\" encoding=\"ISO-8859-1\"?>", ENC_UTF8, ENC_UTF8, 12012},
        {"<?xml version=\"1.0\" encoding=\"\"?>", ENC_UTF8, ENC_UTF8, 12012},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1'?>", ENC_UTF8, ENC_UTF8, 12012},
        {"<?XML version=\"1.0\" encoding=\"ISO-8859-1\"?>", ENC_UTF8, ENC_UTF8, 12012},
    };
    for (const Fall& f : faelle) {
        // 0xE9 is "é" in Latin-1 and no valid UTF-8 on its own.
        Gelesen g = lesen(f.kopf + "<a>\xE9t\xE9</a>");
        EXPECT_EQ(g.erkannt, f.art) << f.kopf;
        EXPECT_EQ(g.status, f.status) << f.kopf;
        EXPECT_EQ(g.decoding, f.decoding) << f.kopf;
        if (f.status == 0) {
            EXPECT_NE(g.text.find(L"<a>\xE9t\xE9</a>"), std::wstring::npos) << f.kopf;
        }
    }
}

TEST(BUF, FilesReadAsUtf8AreMarkedUtf8ForTheWriter) {
    EXPECT_EQ(lesen("<?xml version=\"1.0\"?><a/>").decoding, ENC_UTF8);
    EXPECT_EQ(lesen("<a>\xC3\xA4</a>").decoding, ENC_UTF8);
    EXPECT_EQ(lesen("\xEF\xBB\xBF<a/>").decoding, ENC_UTF8);
}

TEST(BUF, ForcedSingleBytesTakeEveryByteAsItsCode) {
    Gelesen g = lesen("<a>\xC3\xA4\xFF</a>", true);
    EXPECT_TRUE(g.ok);
    EXPECT_EQ(g.erkannt, ENC_NONE);
    EXPECT_EQ(g.decoding, ENC_ISO_8859_1);
    EXPECT_EQ(g.text, L"<a>\xC3\xA4\xFF</a>");
    // A mark means nothing then.
    EXPECT_EQ(lesen("\xEF\xBB\xBFxyz", true).text, L"\xEF\xBB\xBFxyz");
}

TEST(BUF, SingleByteFilesAndTheZeroByte) {
    Gelesen leer = lesen(std::string("\0abc", 4), true);
    EXPECT_EQ(leer.status, 12013);
    EXPECT_FALSE(leer.ok);
    EXPECT_EQ(leer.meldungen, "FEHLER: (Skript) Datei ist leer.\n");

    // A 0 byte inside would cut the rest of the file off unseen.
    Gelesen mitten = lesen(std::string("ab\ncd\0ef", 8), true);
    EXPECT_EQ(mitten.status, 12008);
    EXPECT_FALSE(mitten.ok);
    EXPECT_NE(mitten.meldungen.find("FEHLER: Das Zeichen '0' ist ungültig (<32).\n"
                                    "Position: Zeile=2, Zeichen=3.\nAbbruch.\n"
                                    "FEHLER: (Parser) Puffer, 12008 Die Datei '"),
              std::string::npos)
        << mitten.meldungen;
}

TEST(BUF, ReportsEmptyAndMissingFiles) {
    testdatei::Verzeichnis dir;
    std::string leer = dir.schreiben("leer.xml", "");
    BUF buf;
    std::string text = konsole([&] { EXPECT_EQ(buf.Init(breit(leer).c_str(), false), 1); });
    EXPECT_EQ(buf.status, 12007);
    EXPECT_FALSE(buf.OK());
    EXPECT_EQ(text, "FEHLER: (Parser) Puffer, 12007 Die Datei '" + leer + "' ist leer.\n");

    std::string fehlt = dir.pfad() + "/fehlt.xml";
    text = konsole([&] { EXPECT_EQ(buf.Init(breit(fehlt).c_str(), false), 0); });
    EXPECT_EQ(buf.status, 11000 + ENOENT);
    EXPECT_EQ(text, "FEHLER: (Parser) Puffer, 11002 Die Datei '" + fehlt + "' konnte nicht geöffnet werden\n");
    EXPECT_FALSE(buf.exakt);

    text = konsole([&] { EXPECT_EQ(buf.Init(breit(dir.pfad()).c_str(), false), 0); });
    EXPECT_EQ(buf.status, 11000 + EISDIR);

    EXPECT_EQ(buf.Init(nullptr, false), 0);
}

TEST(BUF, NameOfMoreThan1023CharactersIsRefused) {
    std::wstring name(1024, L'a');
    BUF buf;
    std::string text = konsole([&] { EXPECT_EQ(buf.Init(name.c_str(), false), 0); });
    EXPECT_EQ(buf.status, 10001);
    EXPECT_EQ(text,
              "FEHLER: (Parser) Puffer, 10001 Der Dateiname der Datei '%ls' ist zu lang, die Datei konnte nicht "
              "geöffnet werden\nHinweis: Der Dateiname darf maximal 1024 Zeichen lang sein.\n");
}

TEST(BUF, SizeLimitAndUnseekableFiles) {
    testdatei::Verzeichnis dir;
    std::string gross = dir.schreiben("gross.xml", "");
    ASSERT_EQ(truncate(gross.c_str(), 2147483648LL), 0);  // sparse: nothing is read
    BUF buf;
    std::string text = konsole([&] { buf.Init(breit(gross).c_str(), false); });
    EXPECT_EQ(buf.status, 12001);
    EXPECT_EQ(text, "FEHLER: (Parser) Puffer, 12001 Die maximale Dateigröße von 2 GB wurde in der Datei '" + gross +
                        "' überschritten.\n");

    std::string fifo = dir.pfad() + "/fifo.xml";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    int schreiber = open(fifo.c_str(), O_RDWR | O_NONBLOCK);  // keeps the reader's open from blocking
    text = konsole([&] { buf.Init(breit(fifo).c_str(), false); });
    close(schreiber);
    EXPECT_EQ(buf.status, 12009);
    EXPECT_EQ(text, "FEHLER: (Parser) Puffer, 12009 Die Dateigröße der Datei '" + fifo +
                        "' konnte nicht bestimmt werden.\n");
}

TEST(BUF, FileShorterThanItsSize) {
    // Kernel attribute files claim a page but deliver a line.
    const char* pfad = "/sys/kernel/mm/transparent_hugepage/enabled";
    struct stat info;
    if (stat(pfad, &info) != 0 || info.st_size != 4096) GTEST_SKIP() << "no sysfs attribute file";
    BUF buf;
    std::string text = konsole([&] { buf.Init(breit(pfad).c_str(), false); });
    EXPECT_EQ(buf.status, 12006);
    EXPECT_NE(text.find("12006 Die Datei '" + std::string(pfad) + "' wurde fehlerhaft ausgelesen\n"
                        "Hinweis: erforderlich=4096 Byte / verfügbar="),
              std::string::npos)
        << text;
}

TEST(BUF, DecodingFailuresNameTheEncoding) {
    struct Fall {
        std::string bytes;
        int code;
        const char* meldung;
    } faelle[] = {
        {"\xEF\xBB\xBF<a>\x01</a>", 12012, "Die UTF-8-Datei '"},
        {std::string("\xFF\xFE<\0\x01\0", 6), 12013, "Die UTF-16LE-Datei '"},
        {std::string("\xFE\xFF\0<\0\x01", 6), 12014, "Die UTF-16BE-Datei '"},
        {std::string("\xFF\xFE\0\0\x01\0\0\0", 8), 12015, "Die UTF-32LE-Datei '"},
        {std::string("\0\0\xFE\xFF\0\0\0\x01", 8), 12016, "Die UTF-32BE-Datei '"},
        {std::string("<\0?\0\x01\0", 6), 12017, "Die UCS-2LE-Datei '"},
        {std::string("\0<\0?\0\x01", 6), 12018, "Die UCS-2BE-Datei '"},
        {"<a>\xC3</a", 12012, "Die UTF-8-Datei '"},
    };
    for (const Fall& f : faelle) {
        Gelesen g = lesen(f.bytes);
        EXPECT_EQ(g.status, f.code);
        EXPECT_FALSE(g.ok);
        EXPECT_EQ(g.init, 1);
        std::string erwartet = "FEHLER: (Parser) Puffer, " + std::to_string(f.code) + " " + f.meldung;
        EXPECT_NE(g.meldungen.find(erwartet), std::string::npos) << g.meldungen;
        EXPECT_NE(g.meldungen.find("' konnte nicht in den Puffer eingelesen werden\n"), std::string::npos);
    }
}

TEST(BUF, NamesAndPositionsAfterARead) {
    testdatei::Verzeichnis dir;
    std::string pfad = dir.schreiben("b.xml", "<a>x</a>");
    BUF buf;
    std::wstring name = breit(pfad);
    ASSERT_EQ(buf.Init(name.c_str(), false), 1);
    EXPECT_TRUE(buf.exakt);
    EXPECT_EQ(std::wstring(buf.dateiname), name);
    EXPECT_EQ(std::wstring(buf.basisname), L"b.xml");
    EXPECT_EQ(buf.length, 8u);
    EXPECT_EQ(buf.cursor, buf.text);
    EXPECT_EQ(buf.end, buf.text + 8);
    EXPECT_EQ(buf.text[8], 0);
    EXPECT_EQ(buf.datei, nullptr);

    // A second read replaces the first; the sanitizer round catches a leak.
    std::string zwei = dir.schreiben("c\\d.xml", "zwei");
    ASSERT_EQ(buf.Init(breit(zwei).c_str(), false), 1);
    EXPECT_EQ(std::wstring(buf.text), L"zwei");
    EXPECT_EQ(std::wstring(buf.basisname), L"d.xml");
    buf.Delete();
    EXPECT_EQ(buf.text, nullptr);
    EXPECT_FALSE(buf.OK());
}

TEST(BUF, CursorStaysInsideTheText) {
    testdatei::Verzeichnis dir;
    BUF buf;
    ASSERT_EQ(buf.Init(breit(dir.schreiben("c.xml", "abcd")).c_str(), false), 1);
    EXPECT_EQ(buf.addpointer(3), 1);
    EXPECT_EQ(*buf.cursor, L'd');
    EXPECT_EQ(buf.nextpointer(), 1);
    EXPECT_EQ(buf.cursor, buf.end);
    EXPECT_EQ(buf.nextpointer(), 0);
    EXPECT_EQ(buf.cursor, buf.end);

    buf.Reset();
    EXPECT_EQ(buf.addpointer(4), 0);  // lands on the end, which is not before it
    EXPECT_EQ(buf.cursor, buf.end);
    buf.Reset();
    EXPECT_EQ(buf.addpointer(1000), 0);
    EXPECT_EQ(buf.cursor, buf.end);
    buf.Reset();
    EXPECT_EQ(buf.addpointer(0), 1);
    EXPECT_EQ(buf.cursor, buf.text);
}

TEST(BUF, ByteLevelEncodingDeclaration) {
    auto sniff = [](std::string s) {
        char* p = s.data();
        char* e = s.data() + s.size();
        return byte_xml_encoding_declaration(&p, &e);
    };
    EXPECT_EQ(sniff(" encoding=\"UTF-16\"?>"), ENC_UTF16);
    EXPECT_EQ(sniff("\n\tencoding = 'utf-32le'"), ENC_UTF32LE);
    EXPECT_EQ(sniff(" encoding=\"ISO-10646-UCS-2\""), ENC_UCS2);
    EXPECT_EQ(sniff(" encoding=\"UCS-2\""), ENC_BIN);
    EXPECT_EQ(sniff(" encoding=\"windows-1252\""), ENC_BIN);
    EXPECT_EQ(sniff("encoding=\"ISO-8859-1\""), ENC_UTF8);  // no blank first
    EXPECT_EQ(sniff(" encoding \"ISO-8859-1\""), ENC_UTF8);
    EXPECT_EQ(sniff(" encoding=ISO-8859-1"), ENC_UTF8);
    EXPECT_EQ(sniff(" encoding=\"ISO-8859-1"), ENC_UTF8);
    EXPECT_EQ(sniff(" encoding=\""), ENC_UTF8);
    EXPECT_EQ(sniff(" standalone=\"yes\""), ENC_UTF8);
    EXPECT_EQ(sniff(" encoding=\"" + std::string(4095, 'x') + "\""), ENC_BIN);
    EXPECT_EQ(sniff(" encoding=\"" + std::string(4096, 'x') + "\""), ENC_UTF8);
}

// What the writer writes, the reader reads back: every encoding with a mark,
// texts long enough for the fast paths, and every length near their ends
// (the text is decoded in place over the bytes it comes from).
TEST(BUF, ReadsBackWhatTheWriterWrote) {
    std::wstring muster;
    unsigned zufall = 12345;
    for (int i = 0; i < 3000; ++i) {
        zufall = zufall * 1103515245u + 12345u;
        const unsigned art = (zufall >> 16) % 10;
        wchar_t c = static_cast<wchar_t>(0x20 + (zufall >> 8) % 0x5F);
        if (art == 7) c = L'\n';
        if (art == 8) c = static_cast<wchar_t>(0xA0 + (zufall >> 4) % 0x700);
        if (art == 9) c = static_cast<wchar_t>(0x10000 + (zufall >> 3) % 0xFFFFF);
        muster.push_back(c);
    }
    testdatei::Verzeichnis dir;
    const std::wstring quelle = breit(dir.pfad() + "/r.xml");
    for (ENCODINGtypeItems enc : {ENC_UTF8, ENC_UTF16LE, ENC_UTF16BE, ENC_UTF32LE, ENC_UTF32BE}) {
        for (std::size_t laenge : {std::size_t{1}, std::size_t{31}, std::size_t{33}, std::size_t{100}, muster.size()}) {
            for (std::size_t versatz = 0; versatz < 3; ++versatz) {
                const std::wstring text = muster.substr(versatz, laenge);
                {
                    OUT out;
                    ASSERT_EQ(out.OUT_Open(quelle.c_str(), nullptr, nullptr, L"enc", enc, true), 1);
                    out.OUT_Write_String(text.c_str());
                }
                BUF buf;
                konsole([&] { ASSERT_EQ(buf.Init(breit(dir.pfad() + "/r.enc").c_str(), false), 1); });
                // A lone UTF-16 unit after its mark is too short for the mark to count.
                if (text.size() == 1 && (enc == ENC_UTF16LE || enc == ENC_UTF16BE)) continue;
                ASSERT_TRUE(buf.OK()) << enc << " " << laenge;
                EXPECT_EQ(std::wstring(buf.text, buf.length), text) << enc << " " << laenge << " " << versatz;
                EXPECT_EQ(buf.Lese_Bom_Encoding(), enc);
            }
        }
    }
}

}  // namespace
