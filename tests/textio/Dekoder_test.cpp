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

TEST(Utf8, LenientForms) {
    // Stray continuation bytes stand for themselves; overlong forms, surrogate
    // values and values beyond U+10FFFF are taken as they are.
    Ergebnis e = dekodiere(copy_utf8_to_unicode, "\x80\xBF\xC1\xBF\xED\xA0\x80\xF8\x88\x80\x80\x80");
    EXPECT_EQ(e.ok, 1);
    EXPECT_EQ(e.text, std::wstring(L"\x80\xBF\x7F") + wchar_t(0xD800) + wchar_t(0x200000));
    EXPECT_EQ(e.meldungen, "");
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
    EXPECT_EQ(e.meldungen, "FEHLER: Das UTF-8 Zeichen '2' am Ende der Datei ist ungültig.\nPosition: Zeile=2, Zeichen=1.\n");
    EXPECT_EQ(dekodiere(copy_utf8_to_unicode, "ab\xC3").meldungen,
              "FEHLER: Das UTF-8 Zeichen '3' am Ende der Datei ist ungültig.\nPosition: Zeile=1, Zeichen=3.\n");
}

TEST(Utf8, BadContinuationIsReportedAndFailsTheFile) {
    // The offending byte starts the next character; the partial value stays.
    Ergebnis e = dekodiere(copy_utf8_to_unicode, "\xC3" "A");
    EXPECT_EQ(e.ok, 0);
    EXPECT_EQ(e.text, L"\x03" L"A");
    EXPECT_EQ(e.meldungen, "FEHLER: Das UTF-8 Zeichen '3' ist ungültig.\nPosition: Zeile=1, Zeichen=1.\n");
    // After one good continuation byte its low seven bits are shown.
    Ergebnis drei = dekodiere(copy_utf8_to_unicode, "x\xE2\x82" "B");
    EXPECT_EQ(drei.ok, 0);
    EXPECT_EQ(drei.text, std::wstring(L"x") + wchar_t(2 * 64 + 2) + L"B");
    EXPECT_EQ(drei.meldungen, "FEHLER: Das UTF-8 Zeichen '2' ist ungültig.\nPosition: Zeile=1, Zeichen=2.\n");
}

TEST(Utf8, CodeZeroIsDroppedAndFailsTheFile) {
    Ergebnis e = dekodiere(copy_utf8_to_unicode, "a\xC0\x80" "b");
    EXPECT_EQ(e.ok, 0);
    EXPECT_EQ(e.text, L"ab");
    EXPECT_EQ(e.meldungen, "FEHLER: Das UTF-8 Zeichen mit Code 0 ist ungültig.\nPosition: Zeile=1, Zeichen=2.\n");
}

TEST(Utf8, ValuesBeyond31BitsAreRefused) {
    Ergebnis e = dekodiere(copy_utf8_to_unicode, "\xFE\x82\x80\x80\x80\x80\x80" "a");
    EXPECT_EQ(e.ok, 0);
    EXPECT_EQ(e.text, L"a");
    EXPECT_EQ(e.meldungen, "FEHLER: Das UTF-8 Zeichen '2147483648' ist ungültig.\nPosition: Zeile=1, Zeichen=1.\n");
    Ergebnis grenze = dekodiere(copy_utf8_to_unicode, "\xFD\xBF\xBF\xBF\xBF\xBF");
    EXPECT_EQ(grenze.ok, 1);
    EXPECT_EQ(grenze.text, std::wstring(1, wchar_t(0x7FFFFFFF)));
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
