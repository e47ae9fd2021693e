// Reading a web page as browsers do (SYNTAX = HTML5): the encoding from a
// byte-order mark, the script's READERENCODING, the prescan of the first
// 1,024 bytes or the fallback windows-1252, and decoding that never fails:
// every invalid sequence becomes U+FFFD, control characters and 0 stay in
// the text (the tokenizer deals with them).
#include <cstring>
#include <string_view>

#include "textio/BUF.h"
#include "textio/Dekoder.h"
#include "textio/Fremdkodierung.h"
#include "textio/H5KODIERUNG.h"

namespace {

constexpr wchar_t ERSATZ = 0xFFFD;

// The Encoding Standard's UTF-8 decoder: an invalid sequence gives one
// U+FFFD for its longest valid beginning, and the byte that broke it is
// read again. In place: never more characters than bytes read.
std::size_t utf8(wchar_t* out, const unsigned char* in, std::size_t n) {
    std::size_t i = 0, o = 0;
    while (i < n) {
        if (n - i >= 32) {
            const std::uint32_t lauf = Dekoder_ASCII_Lauf(out + o, in + i, true);
            o += lauf;
            i += lauf;
            if (lauf != 0) continue;
        }
        const std::uint32_t b = in[i];
        if (b < 0x80) {
            out[o++] = static_cast<wchar_t>(b);
            ++i;
            continue;
        }
        std::uint32_t noetig, wert, unten = 0x80, oben = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            noetig = 1;
            wert = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            noetig = 2;
            wert = b & 0x0F;
            if (b == 0xE0) unten = 0xA0;
            if (b == 0xED) oben = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            noetig = 3;
            wert = b & 0x07;
            if (b == 0xF0) unten = 0x90;
            if (b == 0xF4) oben = 0x8F;
        } else {
            out[o++] = ERSATZ;
            ++i;
            continue;
        }
        ++i;
        std::uint32_t gesehen = 0;
        while (gesehen < noetig && i < n && in[i] >= unten && in[i] <= oben) {
            wert = wert << 6 | (in[i] & 0x3Fu);
            unten = 0x80;
            oben = 0xBF;
            ++gesehen;
            ++i;
        }
        out[o++] = gesehen == noetig ? static_cast<wchar_t>(wert) : ERSATZ;
    }
    return o;
}

// UTF-16 of either byte order: a surrogate without its partner and an odd
// last byte are U+FFFD.
std::size_t utf16(wchar_t* out, const unsigned char* in, std::size_t n, bool be) {
    auto einheit = [&](std::size_t i) -> std::uint32_t {
        return be ? (in[i] << 8 | in[i + 1]) : (in[i] | in[i + 1] << 8);
    };
    std::size_t i = 0, o = 0;
    while (i + 1 < n) {
        const std::uint32_t u = einheit(i);
        i += 2;
        if (u < 0xD800 || u > 0xDFFF) {
            out[o++] = static_cast<wchar_t>(u);
        } else if (u <= 0xDBFF && i + 1 < n && einheit(i) >= 0xDC00 && einheit(i) <= 0xDFFF) {
            out[o++] = static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (einheit(i) - 0xDC00));
            i += 2;
        } else {
            out[o++] = ERSATZ;
        }
    }
    if (i < n) out[o++] = ERSATZ;
    return o;
}

// windows-1252 as the Encoding Standard has it: the five bytes the code
// page leaves empty are the C1 controls of the same codes.
constexpr std::uint16_t W1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::size_t w1252(wchar_t* out, const unsigned char* in, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned b = in[i];
        out[i] = static_cast<wchar_t>(b >= 0x80 && b < 0xA0 ? W1252[b - 0x80] : b);
    }
    return n;
}

std::size_t benutzerdefiniert(wchar_t* out, const unsigned char* in, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<wchar_t>(in[i] < 0x80 ? in[i] : 0xF780 + in[i] - 0x80);
    return n;
}

// The name under which iconv knows an encoding of the Encoding Standard
// (the canonical name where iconv takes it as it is).
std::string iconv_name(std::string_view kanonisch) {
    static const struct {
        const char* kanonisch;
        const char* iconv;
    } NAMEN[] = {
        {"ISO-8859-8-I", "ISO-8859-8"}, {"macintosh", "MACINTOSH"}, {"x-mac-cyrillic", "MAC-CYRILLIC"},
        {"windows-874", "WINDOWS-874"}, {"Big5", "BIG5-HKSCS"},     {"Shift_JIS", "WINDOWS-31J"},
        {"EUC-KR", "CP949"},
    };
    for (const auto& n : NAMEN)
        if (kanonisch == n.kanonisch) return n.iconv;
    return std::string(kanonisch);
}

}  // namespace

// The encoding as browsers find it, then the text decoded by it.
int BUF::h5_dekodieren() {
    const H5KODIERUNG::Ergebnis bom = H5KODIERUNG::ermitteln(raw, raw_length, {}, "");
    std::string name;
    h5_sicher = true;
    if (bom.quelle == H5KODIERUNG::BOM) {
        raw += bom.bom_laenge;
        raw_length -= bom.bom_laenge;
        name = bom.name;
    } else if (!vorgabe_kodierung.empty()) {
        // A name of the Encoding Standard means what it means to browsers
        // (ISO-8859-1 is windows-1252); any other goes to iconv as it is.
        const std::string_view e = H5KODIERUNG::etikett(vorgabe_kodierung);
        name = e.empty() ? vorgabe_kodierung : std::string(e);
    } else {
        const std::string_view m = H5KODIERUNG::vorab(raw, raw_length);
        name = m.empty() ? "windows-1252" : std::string(m);
        h5_sicher = false;
    }
    h5_kodierung = name;
    erkannt = ENC_NONE;
    return h5_nach_name(name);
}

int BUF::h5_nach_name(const std::string& name) {
    std::size_t o = 0;
    decoding = ENC_UTF8;
    kodierungsname.clear();
    if (name == "UTF-8") {
        o = utf8(text, raw, raw_length);
    } else if (name == "UTF-16LE" || name == "UTF-16BE") {
        decoding = name == "UTF-16LE" ? ENC_UTF16LE : ENC_UTF16BE;
        o = utf16(text, raw, raw_length, name == "UTF-16BE");
    } else if (name == "windows-1252") {
        decoding = ENC_NAMED;
        kodierungsname = "WINDOWS-1252";
        o = w1252(text, raw, raw_length);
    } else if (name == "x-user-defined") {
        o = benutzerdefiniert(text, raw, raw_length);
    } else if (name == "replacement") {
        // Encodings that browsers refuse to decode: the page is one U+FFFD.
        if (raw_length > 0) text[o++] = ERSATZ;
    } else {
        ersetzend = true;
        const int ergebnis = fremd_dekodieren(iconv_name(name));
        ersetzend = false;
        return ergebnis;
    }
    text[o] = 0;
    length = o;
    return 0;
}
