// Fuzz target: the decoders and the input buffer. The first byte chooses a
// byte-order mark (or none) put before the rest, and an encoding known by
// its name only that a third reading is ordered to take; the file is read
// by BUF with detection, with forced single bytes and in that encoding.
// BUF decodes in place, into the buffer that holds the raw bytes; what it
// gives must equal what the same decoder gives in a buffer of its own, and
// a text read through iconv what iconv gives for the whole file at once
// (also a declaration in the file leads there). Every decoder also runs on
// the bytes alone, in buffers exactly as large as it may use.
#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>

#include "fuzz/Fuzzhilfe.h"
#include "textio/BUF.h"
#include "textio/Dekoder.h"

namespace {

using Dekoder = int (*)(wchar_t*, unsigned char*, unsigned long, unsigned long*);

const Dekoder DEKODER[] = {copy_byte_to_unicode,    copy_utf8_to_unicode,    copy_ucs2le_to_unicode,
                           copy_ucs2be_to_unicode,  copy_utf16le_to_unicode, copy_utf16be_to_unicode,
                           copy_utf32le_to_unicode, copy_utf32be_to_unicode};

// The marks the reader knows, in its order of trial, with the bytes it
// skips and the decoder it takes.
struct Marke {
    const char* bytes;
    std::size_t laenge;
    std::size_t ueberspringen;
    Dekoder dekoder;
};
const Marke MARKEN[] = {
    {"\xEF\xBB\xBF", 3, 3, copy_utf8_to_unicode},       {"\0\0\xFE\xFF", 4, 4, copy_utf32be_to_unicode},
    {"\0<\0?", 4, 0, copy_ucs2be_to_unicode},           {"\xFF\xFE\0\0", 4, 4, copy_utf32le_to_unicode},
    {"\xFF\xFE", 2, 2, copy_utf16le_to_unicode},        {"\xFE\xFF", 2, 2, copy_utf16be_to_unicode},
    {"<\0?\0", 4, 0, copy_ucs2le_to_unicode},
};

// Encodings of the third reading: single bytes, multi-byte, stateful, and
// one whose bytes give several characters each.
const char* const NAMEN[] = {"windows-1252", "KOI8-R", "Shift_JIS", "GB18030", "ISO-2022-JP", "UTF-7", "TSCII"};
constexpr unsigned NAMENZAHL = sizeof NAMEN / sizeof NAMEN[0];

// The whole file through iconv at once: true with the text when every byte
// converts; false when one does not (or the room a generous guess gives
// runs out, then `sicher` is false).
bool iconv_ganz(const std::string& name, const std::string& datei, std::wstring& text, bool& sicher) {
    sicher = true;
    iconv_t cd = iconv_open("WCHAR_T", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::unique_ptr<wchar_t[]> aus(new wchar_t[8 * datei.size() + 16]);
    char* von = const_cast<char*>(datei.data());
    std::size_t rest = datei.size();
    char* nach = reinterpret_cast<char*>(aus.get());
    std::size_t platz = (8 * datei.size() + 16) * sizeof(wchar_t);
    const bool ganz = iconv(cd, &von, &rest, &nach, &platz) != static_cast<std::size_t>(-1);
    if (!ganz && errno == E2BIG) sicher = false;
    iconv_close(cd);
    text.assign(aus.get(), reinterpret_cast<wchar_t*>(nach) - aus.get());
    return ganz;
}

// A reading through iconv agrees with iconv: a good one has its text, a
// refused one was refused by iconv too (or held a 0 character).
void wie_iconv(const BUF& buf, const std::string& datei) {
    if (buf.decoding != ENC_NAMED) return;
    std::wstring text;
    bool sicher = true;
    const bool ganz = iconv_ganz(buf.kodierungsname, datei, text, sicher);
    if (!sicher) return;
    if (buf.OK()) {
        FUZZ_PRUEFEN(ganz);
        FUZZ_PRUEFEN(std::wstring(buf.text, buf.length) == text);
    } else if (buf.status == 12019) {
        FUZZ_PRUEFEN(!ganz || text.find(L'\0') != std::wstring::npos);
    }
}

// The decoder's result on its own copy of the bytes; success and text.
bool dekodieren(Dekoder d, const unsigned char* bytes, std::size_t n, std::wstring& text) {
    std::unique_ptr<unsigned char[]> roh(new unsigned char[n + 1]);
    if (n > 0) std::memcpy(roh.get(), bytes, n);
    roh[n] = 0;
    std::unique_ptr<wchar_t[]> aus(new wchar_t[n + 1]);
    unsigned long gespeichert = 0;
    const bool ok = d(aus.get(), roh.get(), static_cast<unsigned long>(n), &gespeichert) != 0;
    FUZZ_PRUEFEN(gespeichert <= n);
    FUZZ_PRUEFEN(aus[gespeichert] == 0);
    text.assign(aus.get(), gespeichert);
    return ok;
}

// What the reader must have decoded the file to: the marked decoder after
// its mark, else UTF-8 or single bytes as detection said.
std::wstring erwartet(const std::string& datei, const BUF& buf, bool bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(datei.data());
    std::wstring text;
    if (!bytes && datei.size() > 4) {
        for (const Marke& m : MARKEN) {
            if (std::memcmp(datei.data(), m.bytes, m.laenge) != 0) continue;
            dekodieren(m.dekoder, b + m.ueberspringen, datei.size() - m.ueberspringen, text);
            return text;
        }
    }
    if (buf.decoding == ENC_NAMED) return std::wstring(buf.text, buf.length);  // checked against iconv
    const bool utf8 = !bytes && buf.Lese_Bom_Encoding() == ENC_UTF8;
    dekodieren(utf8 ? copy_utf8_to_unicode : copy_byte_to_unicode, b, datei.size(), text);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fuzz_Start();
    if (size == 0) return 0;
    const unsigned wahl = data[0] % (1 + sizeof MARKEN / sizeof MARKEN[0]);
    const unsigned benannt = data[0] / 8 % (1 + NAMENZAHL);
    ++data;
    --size;

    std::wstring text;
    for (Dekoder d : DEKODER) dekodieren(d, data, size, text);

    std::string datei;
    if (wahl > 0) datei.assign(MARKEN[wahl - 1].bytes, MARKEN[wahl - 1].laenge);
    datei.append(reinterpret_cast<const char*>(data), size);
    const std::wstring pfad =
        Fuzz_Datei("eingabe.xml", reinterpret_cast<const std::uint8_t*>(datei.data()), datei.size());
    for (int lesart = 0; lesart < 3; ++lesart) {
        const bool bytes = lesart == 1;
        if (lesart == 2 && benannt == 0) break;
        BUF buf;
        if (lesart == 2) buf.vorgabe_kodierung = NAMEN[benannt - 1];
        buf.Init(pfad.c_str(), bytes);
        // A mark wins over every name: text read through iconv is the whole file.
        wie_iconv(buf, datei);
        if (!buf.OK()) continue;
        FUZZ_PRUEFEN(buf.length == std::wcslen(buf.text));
        FUZZ_PRUEFEN(std::wstring(buf.text, buf.length) == erwartet(datei, buf, bytes));
        // Positions anywhere in the text, and just past it, compose.
        wchar_t ort[1021];
        buf.PosMeldung(ort, sizeof ort / sizeof ort[0], buf.text + buf.length / 2);
        buf.PosMeldung(ort, sizeof ort / sizeof ort[0], buf.text + buf.length + 1);
        buf.Fehlermeldung(0, 0, L"Puffer", L"Stelle '%ls'", buf.text, buf.text + buf.length);
    }

    // The byte-level look at an encoding declaration never reads past the end.
    std::unique_ptr<char[]> kopie(new char[size + 1]);
    if (size > 0) std::memcpy(kopie.get(), data, size);
    char* p = kopie.get();
    char* ende = p + size;
    byte_xml_encoding_declaration(&p, &ende);
    FUZZ_PRUEFEN(p >= kopie.get() && p <= ende);

    Fuzz_Aufraeumen();
    return 0;
}
