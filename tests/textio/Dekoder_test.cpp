#include "textio/Dekoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Testdatei.h"

namespace {

using testdatei::konsole;

using Dekoder = int (*)(wchar_t*, unsigned char*, unsigned long, unsigned long*);

struct Ergebnis {
    int ok;
    std::wstring text;
    std::string meldungen;
};

// Runs a decoder the way the reader does: room for length + 1 characters,
// the input followed by one 0 byte.
Ergebnis dekodiere(Dekoder d, const std::string& bytes) {
    std::vector<unsigned char> in(bytes.begin(), bytes.end());
    in.push_back(0);
    std::vector<wchar_t> out(bytes.size() + 1, L'#');
    Ergebnis e;
    unsigned long n = 12345;
    e.meldungen = konsole([&] { e.ok = d(out.data(), in.data(), bytes.size(), &n); });
    EXPECT_LE(n, bytes.size());
    EXPECT_EQ(out[n], 0);
    e.text.assign(out.data(), n);
    return e;
}

std::string b(const char* s, std::size_t n) { return std::string(s, n); }

TEST(Utf8, DecodesEveryLengthAndTheMark) {
    Ergebnis e = dekodiere(copy_utf8_to_unicode, "\xEF\xBB\xBF" "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\t\r\n");
    EXPECT_EQ(e.ok, 1);
    EXPECT_EQ(e.text, L"a\xE9\x20AC\x1F600\t\r\n");
    EXPECT_EQ(e.meldungen, "");
    // A multi-byte character as the very last bytes.
    EXPECT_EQ(dekodiere(copy_utf8_to_unicode, "ab\xC3\xA9").text, L"ab\xE9");
    // Long ASCII runs go through the fast path; stops inside them too.
    std::string lang = std::string(37, 'x') + "\xC3\xA4" + std::string(20, 'y') + "\n" + std::string(9, 'z');
    EXPECT_EQ(dekodiere(copy_utf8_to_unicode, lang).text,
              std::wstring(37, L'x') + L"\xE4" + std::wstring(20, L'y') + L"\n" + std::wstring(9, L'z'));
    // Only one mark is dropped; nothing after it fails silently.
    EXPECT_EQ(dekodiere(copy_utf8_to_unicode, "\xEF\xBB\xBF\xEF\xBB\xBFx").text, L"\xFEFFx");
    Ergebnis nur_marke = dekodiere(copy_utf8_to_unicode, "\xEF\xBB\xBF");
    EXPECT_EQ(nur_marke.ok, 0);
    EXPECT_EQ(nur_marke.meldungen, "");
}

// One message per invalid sequence at its first byte, naming all its bytes;
// each stands as U+FFFD, so that later positions count it as a character.
TEST(Utf8, EveryInvalidFormIsOneSequence) {
    Ergebnis e = dekodiere(copy_utf8_to_unicode,
                           "\x92\x80\xBF" "a\xC0\xBC\xC1\xBF\xE0\x9F\xBF\xED\xA0\x80\xF0\x8F\xBF\xBF\xF4\x90\x80\x80"
                           "\xF5\x80\x80\x80\xF8\x88\x80\x80\x80\xFE\x82\x80\x80\x80\x80\x80\xFF" "b");
    EXPECT_EQ(e.ok, 0);
    EXPECT_EQ(e.text, std::wstring(3, L'\xFFFD') + L"a" + std::wstring(10, L'\xFFFD') + L"b");
    const char* folgen[] = {"0x92", "0x80", "0xBF", "0xC0 0xBC", "0xC1 0xBF", "0xE0 0x9F 0xBF", "0xED 0xA0 0x80",
                            "0xF0 0x8F 0xBF 0xBF", "0xF4 0x90 0x80 0x80", "0xF5 0x80 0x80 0x80",
                            "0xF8 0x88 0x80 0x80 0x80", "0xFE 0x82 0x80 0x80 0x80 0x80 0x80", "0xFF"};
    std::string erwartet;
    int zeichen = 1;
    for (const char* f : folgen) {
        erwartet += std::string("FEHLER: Das UTF-8 Zeichen '") + f + "' ist ungültig.\nPosition: Zeile=1, Zeichen=" +
                    std::to_string(zeichen) + ".\n";
        zeichen += zeichen == 3 ? 2 : 1;  // "a" stands fourth
    }
    EXPECT_EQ(e.meldungen, erwartet);
    // The boundaries themselves are characters.
    Ergebnis grenzen = dekodiere(copy_utf8_to_unicode, "\xC2\x80\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBF");
    EXPECT_EQ(grenzen.ok, 1);
    EXPECT_EQ(grenzen.text, L"\x80\x800\xD7FF\xE000\x10000\x10FFFF");
    // An overlong 0 and the longest 6-byte form are refused like the rest.
    EXPECT_EQ(dekodiere(copy_utf8_to_unicode, "a\xC0\x80" "b").meldungen,
              "FEHLER: Das UTF-8 Zeichen '0xC0 0x80' ist ungültig.\nPosition: Zeile=1, Zeichen=2.\n");
    EXPECT_EQ(dekodiere(copy_utf8_to_unicode, "\xFD\xBF\xBF\xBF\xBF\xBF").text, L"\xFFFD");
}

TEST(Utf8, ControlCharactersAreReportedAndDecodingGoesOn) {
    Ergebnis e = dekodiere(copy_utf8_to_unicode, "ab\n\x01" "c\x1F");
    EXPECT_EQ(e.ok, 0);
    EXPECT_EQ(e.text, L"ab\n\x01" L"c\x1F");
    EXPECT_EQ(e.meldungen,
              "FEHLER: Das Zeichen '1' ist ungültig (<32).\nPosition: Zeile=2, Zeichen=1.\n"
              "FEHLER: Das Zeichen '31' ist ungültig (<32).\nPosition: Zeile=2, Zeichen=3.\n");
}

TEST(Utf8, ZeroByteStopsDecoding) {
    Ergebnis e = dekodiere(copy_utf8_to_unicode, b("x\0\x01", 3));
    EXPECT_EQ(e.ok, 0);
    EXPECT_EQ(e.meldungen, "FEHLER: Das Zeichen '0' ist ungültig (<32).\nPosition: Zeile=1, Zeichen=2.\nAbbruch.\n");
}

TEST(Utf8, SequenceCutOffByTheEnd) {
    Ergebnis e = dekodiere(copy_utf8_to_unicode, "\xC3\xA4\n\xE2\x82");
    EXPECT_EQ(e.ok, 0);
    EXPECT_EQ(e.meldungen,
              "FEHLER: Das UTF-8 Zeichen '0xE2 0x82' am Ende der Datei ist ungültig.\nPosition: Zeile=2, Zeichen=1.\n");
    EXPECT_EQ(dekodiere(copy_utf8_to_unicode, "ab\xF0").meldungen,
              "FEHLER: Das UTF-8 Zeichen '0xF0' am Ende der Datei ist ungültig.\nPosition: Zeile=1, Zeichen=3.\n");
}

TEST(Utf8, SequenceCutOffByAnotherByte) {
    // The byte that cuts it starts the next character.
    Ergebnis e = dekodiere(copy_utf8_to_unicode, "\xC3" "A");
    EXPECT_EQ(e.ok, 0);
    EXPECT_EQ(e.text, L"\xFFFD" L"A");
    EXPECT_EQ(e.meldungen, "FEHLER: Das UTF-8 Zeichen '0xC3' ist ungültig.\nPosition: Zeile=1, Zeichen=1.\n");
    Ergebnis drei = dekodiere(copy_utf8_to_unicode, "x\xE2\x82" "B\xE2\x82\xC3\xA4");
    EXPECT_EQ(drei.ok, 0);
    EXPECT_EQ(drei.text, L"x\xFFFD" L"B\xFFFD\xE4");
    EXPECT_EQ(drei.meldungen, "FEHLER: Das UTF-8 Zeichen '0xE2 0x82' ist ungültig.\nPosition: Zeile=1, Zeichen=2.\n"
                              "FEHLER: Das UTF-8 Zeichen '0xE2 0x82' ist ungültig.\nPosition: Zeile=1, Zeichen=4.\n");
}

TEST(Utf16, PairsAndMarks) {
    Ergebnis le = dekodiere(copy_utf16le_to_unicode, b("\xFF\xFE" "A\0\x3D\xD8\x00\xDE\n\0", 10));
    EXPECT_EQ(le.ok, 1);
    EXPECT_EQ(le.text, L"A\x1F600\n");
    Ergebnis be = dekodiere(copy_utf16be_to_unicode, b("\xFE\xFF\0A\xD8\x3D\xDE\x00", 8));
    EXPECT_EQ(be.ok, 1);
    EXPECT_EQ(be.text, L"A\x1F600");
    Ergebnis nur_marke = dekodiere(copy_utf16le_to_unicode, "\xFF\xFE");
    EXPECT_EQ(nur_marke.ok, 1);
    EXPECT_EQ(nur_marke.text, L"");
    // An odd length takes the terminating 0 as the missing half.
    EXPECT_EQ(dekodiere(copy_utf16le_to_unicode, "AB" "C").text, L"\x4241\x0043");
}

TEST(Utf16, EveryMessageInBothByteOrders) {
    struct Fall {
        Dekoder d;
        std::string bytes;
        const char* meldung;
    } faelle[] = {
        {copy_utf16le_to_unicode, b("\n\0\x07\0", 4),
         "FEHLER: Das UTF-16LE Zeichen '7' ist ungültig (<32).\nPosition: Zeile=2, Zeichen=1.\n"},
        {copy_utf16be_to_unicode, b("\0\x07", 2),
         "FEHLER: Das UTF-16BE Zeichen '7' ist ungültig (<32).\nPosition: Zeile=1, Zeichen=1.\n"},
        {copy_utf16le_to_unicode, b("A\0\x01\xD8", 4),
         "FEHLER: Das UTF-16LE Zeichen 'D801' ist ungültig ('D800...DBFF', High-Surrogate, es ist kein gültiges "
         "Unicode-Zeichen).\nPosition: Zeile=1, Zeichen=2.\n"},
        {copy_utf16be_to_unicode, b("\xDB\xFF", 2),
         "FEHLER: Das UTF-16BE Zeichen 'DBFF' ist ungültig ('D800...DBFF', High-Surrogate, kein gültiges "
         "Unicode-Zeichen).\nPosition: Zeile=1, Zeichen=1.\n"},
        {copy_utf16le_to_unicode, b("\x00\xD8" "A\0", 4),
         "FEHLER: Das UTF-16LE Zeichen 'D800' ist ungültig ('D800...DBFF', High-Surrogate, kein gültiges "
         "Unicode-Zeichen).\nPosition: Zeile=1, Zeichen=1.\n"},
        {copy_utf16be_to_unicode, b("\xD8\x00\0A", 4),
         "FEHLER: Das UTF-16BE Zeichen 'D800' ist ungültig ('D800...DBFF', High-Surrogate, kein gültiges "
         "Unicode-Zeichen).\nPosition: Zeile=1, Zeichen=1.\n"},
        {copy_utf16le_to_unicode, b("\x00\xDE", 2),
         "FEHLER: Das UTF-16LE Zeichen 'DE00' ist ungültig ('DC00...DFFF', Low-Surrogate, kein gültiges "
         "Unicode-Zeichen).\nPosition: Zeile=1, Zeichen=1.\n"},
        {copy_utf16be_to_unicode, b("\xDC\x00", 2),
         "FEHLER: Das UTF-16BE Zeichen 'DC00' ist ungültig ('DC00...DFFF', Low-Surrogate, es ist kein gültiges "
         "Unicode-Zeichen).\nPosition: Zeile=1, Zeichen=1.\n"},
    };
    for (const Fall& f : faelle) {
        Ergebnis e = dekodiere(f.d, f.bytes);
        EXPECT_EQ(e.ok, 0);
        EXPECT_EQ(e.meldungen, f.meldung);
    }
    // A high surrogate without partner: the next unit is read normally.
    Ergebnis weiter = dekodiere(copy_utf16le_to_unicode, b("\x00\xD8" "A\0\x00\xDE" "B\0", 8));
    EXPECT_EQ(weiter.text, L"AB");
    EXPECT_EQ(weiter.ok, 0);
}

TEST(Utf32, BothByteOrders) {
    Ergebnis le = dekodiere(copy_utf32le_to_unicode, b("\xFF\xFE\0\0" "A\0\0\0\x00\xF6\x01\0", 12));
    EXPECT_EQ(le.ok, 1);
    EXPECT_EQ(le.text, L"A\x1F600");
    Ergebnis be = dekodiere(copy_utf32be_to_unicode, b("\0\0\xFE\xFF\0\0\0A\0\x11\0\0", 12));
    EXPECT_EQ(be.ok, 1);
    EXPECT_EQ(be.text, std::wstring(L"A") + wchar_t(0x110000));
    // A last group cut short is completed with zeros.
    EXPECT_EQ(dekodiere(copy_utf32le_to_unicode, b("A\0\0\0B", 5)).text, L"AB");
}

TEST(Utf32, EveryMessage) {
    struct Fall {
        Dekoder d;
        std::string bytes;
        const char* meldung;
    } faelle[] = {
        {copy_utf32le_to_unicode, b("\x02\0\0\0", 4),
         "FEHLER: Das UTF-32LE Zeichen '2' ist ungültig (<32).\nPosition: Zeile=1, Zeichen=1.\n"},
        {copy_utf32be_to_unicode, b("\0\0\0\n\0\0\0\x02", 8),
         "FEHLER: Das UTF-32BE Zeichen '2' ist ungültig (<32).\nPosition: Zeile=2, Zeichen=1.\n"},
        {copy_utf32le_to_unicode, b("\x00\xD8\0\0", 4),
         "FEHLER: Das UTF-32LE Steuerzeichen (Surrogate) '55296' ist ungültig (xD800-xDFFF).\n"
         "Position: Zeile=1, Zeichen=1.\n"},
        {copy_utf32be_to_unicode, b("\0\0\xDF\xFF", 4),
         "FEHLER: Das UTF-32BE Steuerzeichen (Surrogate) '57343' ist ungültig (xD800-xDFFF).\n"
         "Position: Zeile=1, Zeichen=1.\n"},
        {copy_utf32le_to_unicode, b("\0\0\0\x80", 4),
         "FEHLER: Das UTF-32LE Zeichen '2147483648' ist ungültig (>7FFFFFFF).\nPosition: Zeile=1, Zeichen=1.\n"},
        {copy_utf32be_to_unicode, b("\xFF\xFF\xFF\xFF", 4),
         "FEHLER: Das UTF-32BE Zeichen '4294967295' ist ungültig (>7FFFFFFF).\nPosition: Zeile=1, Zeichen=1.\n"},
    };
    for (const Fall& f : faelle) {
        Ergebnis e = dekodiere(f.d, f.bytes);
        EXPECT_EQ(e.ok, 0);
        EXPECT_EQ(e.meldungen, f.meldung);
    }
}

TEST(Ucs2, NoPairingAndCharacterAlwaysOne) {
    Ergebnis le = dekodiere(copy_ucs2le_to_unicode, b("<\0\x3D\xD8\x00\xDE\n\0\x05\0", 10));
    EXPECT_EQ(le.ok, 0);
    EXPECT_EQ(le.text, std::wstring(L"<") + wchar_t(0xD83D) + wchar_t(0xDE00) + L"\n\x05");
    EXPECT_EQ(le.meldungen, "FEHLER: Das UCS-2 Zeichen '5' ist ungültig (<32).\nPosition: Zeile=2, Zeichen=1.\n");
    Ergebnis be = dekodiere(copy_ucs2be_to_unicode, b("\0<\0?\xFE\xFF", 6));
    EXPECT_EQ(be.ok, 1);
    EXPECT_EQ(be.text, L"<?\xFEFF");
    EXPECT_EQ(dekodiere(copy_ucs2be_to_unicode, "").ok, 1);
}

TEST(Einzelbytes, EveryByteIsItsCode) {
    Ergebnis e = dekodiere(copy_byte_to_unicode, b("\x01\xE4\xFF", 3));
    EXPECT_EQ(e.ok, 1);
    EXPECT_EQ(e.text, L"\x01\xE4\xFF");
    EXPECT_EQ(e.meldungen, "");
}

}  // namespace
