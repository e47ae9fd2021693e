#include "textio/Dekoder.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/Konsole.h"

void Dekoderposition::melden(const wchar_t* text, std::size_t naechstes, bool mit_zeichen) {
    for (; gezaehlt_ < naechstes; ++gezaehlt_) {
        if (text[gezaehlt_] == L'\n') {
            ++zeile_;
            zeichen_ = 1;
        } else {
            ++zeichen_;
        }
    }
    Konsole_Print(L"Position: Zeile=%lld, Zeichen=%lld.\n", zeile_, mit_zeichen ? zeichen_ : 1LL);
}

namespace {

bool erlaubte_steuerung(std::uint32_t c) { return c == '\t' || c == '\n' || c == '\r'; }

int beenden(wchar_t* out, wchar_t* o, unsigned long* stored, int ergebnis) {
    *o = 0;
    if (stored != nullptr) *stored = static_cast<unsigned long>(o - out);
    return ergebnis;
}

// Values that do not fit a non-negative wide character are no characters at
// all; letting them through would hand negative codes to every later stage.
constexpr std::uint32_t GROESSTER_WERT = 0x7FFFFFFF;

// 16-bit units without surrogate pairing.
template <bool BE>
int ucs2_dekodieren(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored) {
    wchar_t* o = out;
    Dekoderposition pos;
    int ergebnis = 1;
    // An odd length takes the terminating 0 byte as the missing half.
    for (unsigned long i = 0; i < length; i += 2) {
        std::uint32_t u = BE ? (in[i] << 8 | in[i + 1]) : (in[i] | in[i + 1] << 8);
        if (u < 32 && !erlaubte_steuerung(u)) {
            Konsole_Print(L"FEHLER: Das UCS-2 Zeichen '%u' ist ungültig (<32).\n", u);
            pos.melden(out, o, false);
            ergebnis = 0;
        }
        *o++ = static_cast<wchar_t>(u);
    }
    return beenden(out, o, stored, ergebnis);
}

template <bool BE>
int utf16_dekodieren(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored) {
    static const wchar_t* const ZU_KLEIN = BE ? L"FEHLER: Das UTF-16BE Zeichen '%u' ist ungültig (<32).\n"
                                              : L"FEHLER: Das UTF-16LE Zeichen '%u' ist ungültig (<32).\n";
    static const wchar_t* const HIGH_AM_ENDE =
        BE ? L"FEHLER: Das UTF-16BE Zeichen '%04X' ist ungültig ('D800...DBFF', High-Surrogate, kein gültiges Unicode-Zeichen).\n"
           : L"FEHLER: Das UTF-16LE Zeichen '%04X' ist ungültig ('D800...DBFF', High-Surrogate, es ist kein gültiges Unicode-Zeichen).\n";
    static const wchar_t* const HIGH_OHNE_LOW =
        BE ? L"FEHLER: Das UTF-16BE Zeichen '%04X' ist ungültig ('D800...DBFF', High-Surrogate, kein gültiges Unicode-Zeichen).\n"
           : L"FEHLER: Das UTF-16LE Zeichen '%04X' ist ungültig ('D800...DBFF', High-Surrogate, kein gültiges Unicode-Zeichen).\n";
    static const wchar_t* const LOW_ALLEIN =
        BE ? L"FEHLER: Das UTF-16BE Zeichen '%04X' ist ungültig ('DC00...DFFF', Low-Surrogate, es ist kein gültiges Unicode-Zeichen).\n"
           : L"FEHLER: Das UTF-16LE Zeichen '%04X' ist ungültig ('DC00...DFFF', Low-Surrogate, kein gültiges Unicode-Zeichen).\n";

    // in[length] is the terminating 0 byte, so reading one byte past an odd
    // end stays inside the buffer.
    auto einheit = [in](unsigned long i) -> std::uint32_t {
        return BE ? (in[i] << 8 | in[i + 1]) : (in[i] | in[i + 1] << 8);
    };

    wchar_t* o = out;
    Dekoderposition pos;
    int ergebnis = 1;
    unsigned long i = 0;
    if (length >= 2 && einheit(0) == 0xFEFF) i = 2;
    while (i < length) {
        std::uint32_t u = einheit(i);
        if (u < 32 && !erlaubte_steuerung(u)) {
            Konsole_Print(ZU_KLEIN, u);
            pos.melden(out, o);
            ergebnis = 0;
            *o++ = static_cast<wchar_t>(u);
            i += 2;
        } else if (u >= 0xD800 && u <= 0xDBFF) {
            if (length - i < 4) {
                Konsole_Print(HIGH_AM_ENDE, u);
                pos.melden(out, o);
                ergebnis = 0;
                i += 2;
            } else if (std::uint32_t low = einheit(i + 2); low >= 0xDC00 && low <= 0xDFFF) {
                *o++ = static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 4;
            } else {
                Konsole_Print(HIGH_OHNE_LOW, u);
                pos.melden(out, o);
                ergebnis = 0;
                i += 2;
            }
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            Konsole_Print(LOW_ALLEIN, u);
            pos.melden(out, o);
            ergebnis = 0;
            i += 2;
        } else {
            *o++ = static_cast<wchar_t>(u);
            i += 2;
        }
    }
    return beenden(out, o, stored, ergebnis);
}

template <bool BE>
int utf32_dekodieren(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored) {
    static const wchar_t* const ZU_KLEIN = BE ? L"FEHLER: Das UTF-32BE Zeichen '%u' ist ungültig (<32).\n"
                                              : L"FEHLER: Das UTF-32LE Zeichen '%u' ist ungültig (<32).\n";
    static const wchar_t* const SURROGAT =
        BE ? L"FEHLER: Das UTF-32BE Steuerzeichen (Surrogate) '%u' ist ungültig (xD800-xDFFF).\n"
           : L"FEHLER: Das UTF-32LE Steuerzeichen (Surrogate) '%u' ist ungültig (xD800-xDFFF).\n";
    static const wchar_t* const ZU_GROSS = BE ? L"FEHLER: Das UTF-32BE Zeichen '%u' ist ungültig (>7FFFFFFF).\n"
                                              : L"FEHLER: Das UTF-32LE Zeichen '%u' ist ungültig (>7FFFFFFF).\n";

    // A last group that the file cuts short gets 0 for its missing bytes;
    // nothing past the input is read.
    auto wert = [in, length](unsigned long i) -> std::uint32_t {
        std::uint32_t b[4] = {0, 0, 0, 0};
        for (unsigned long k = 0; k < 4 && i + k < length; ++k) b[k] = in[i + k];
        return BE ? (b[0] << 24 | b[1] << 16 | b[2] << 8 | b[3]) : (b[3] << 24 | b[2] << 16 | b[1] << 8 | b[0]);
    };

    wchar_t* o = out;
    Dekoderposition pos;
    int ergebnis = 1;
    unsigned long i = 0;
    if (length >= 4 && wert(0) == 0xFEFF) i = 4;
    for (; i < length; i += 4) {
        std::uint32_t c = wert(i);
        if (c < 32 && !erlaubte_steuerung(c)) {
            Konsole_Print(ZU_KLEIN, c);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            Konsole_Print(SURROGAT, c);
        } else if (c > GROESSTER_WERT) {
            Konsole_Print(ZU_GROSS, c);
            pos.melden(out, o);
            ergebnis = 0;
            continue;
        } else {
            *o++ = static_cast<wchar_t>(c);
            continue;
        }
        pos.melden(out, o);
        ergebnis = 0;
        *o++ = static_cast<wchar_t>(c);
    }
    return beenden(out, o, stored, ergebnis);
}

}  // namespace

// The run of ASCII at the start of the next bytes (printable only, 0x20 to
// 0x7F, unless `steuerung` lets control characters through too), widened
// into `o`. Returns how many bytes it covered; the characters stored past
// them are overwritten by the following steps. Needs at least 32 bytes of
// input left, so that the extra characters never reach bytes not yet read
// when the text is decoded in place.
std::uint32_t Dekoder_ASCII_Lauf(wchar_t* o, const unsigned char* p, bool steuerung) {
#if defined(__SSE2__)
    if constexpr (sizeof(wchar_t) == 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        // Signed compare: bytes from 0x80 count as negative, so one compare
        // finds both controls and non-ASCII bytes.
        const __m128i schranke = steuerung ? _mm_setzero_si128() : _mm_set1_epi8(0x20);
        const unsigned maske = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmplt_epi8(v, schranke)));
        const __m128i null = _mm_setzero_si128();
        const __m128i lo = _mm_unpacklo_epi8(v, null);
        const __m128i hi = _mm_unpackhi_epi8(v, null);
        __m128i* ziel = reinterpret_cast<__m128i*>(o);
        _mm_storeu_si128(ziel + 0, _mm_unpacklo_epi16(lo, null));
        _mm_storeu_si128(ziel + 1, _mm_unpackhi_epi16(lo, null));
        _mm_storeu_si128(ziel + 2, _mm_unpacklo_epi16(hi, null));
        _mm_storeu_si128(ziel + 3, _mm_unpackhi_epi16(hi, null));
        return maske == 0 ? 16 : static_cast<std::uint32_t>(std::countr_zero(maske));
    }
#endif
    std::uint64_t x;
    std::memcpy(&x, p, 8);
    // A byte below 0x20 borrows and sets its top bit; one from 0x80 has it.
    const std::uint64_t unten = steuerung ? 0 : (x - 0x2020202020202020ULL);
    const std::uint64_t auffaellig = (x | unten) & 0x8080808080808080ULL;
    for (int k = 0; k < 8; ++k) o[k] = static_cast<wchar_t>((x >> (8 * k)) & 0xFF);
    return auffaellig == 0 ? 8 : static_cast<std::uint32_t>(std::countr_zero(auffaellig) / 8);
}

int copy_byte_to_unicode(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored) {
    for (unsigned long i = 0; i < length; ++i) out[i] = in[i];
    out[length] = 0;
    if (stored != nullptr) *stored = length;
    return 1;
}

int copy_ucs2le_to_unicode(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored) {
    return ucs2_dekodieren<false>(out, in, length, stored);
}

int copy_ucs2be_to_unicode(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored) {
    return ucs2_dekodieren<true>(out, in, length, stored);
}

int copy_utf16le_to_unicode(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored) {
    return utf16_dekodieren<false>(out, in, length, stored);
}

int copy_utf16be_to_unicode(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored) {
    return utf16_dekodieren<true>(out, in, length, stored);
}

int copy_utf32le_to_unicode(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored) {
    return utf32_dekodieren<false>(out, in, length, stored);
}

int copy_utf32be_to_unicode(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored) {
    return utf32_dekodieren<true>(out, in, length, stored);
}

namespace {

// Lengths of the well-formed sequences by their first byte (0: no first
// byte of any; the range of the second byte is checked apart).
struct Leitbyte {
    std::uint8_t tafel[256];
    constexpr Leitbyte() : tafel() {
        for (int b = 0xC2; b <= 0xDF; ++b) tafel[b] = 2;
        for (int b = 0xE0; b <= 0xEF; ++b) tafel[b] = 3;
        for (int b = 0xF0; b <= 0xF4; ++b) tafel[b] = 4;
    }
};
constexpr Leitbyte LEITBYTE;

bool folgebyte(std::uint32_t b) { return (b & 0xC0) == 0x80; }

// The second byte excludes overlong forms (E0, F0), surrogates (ED) and
// values above U+10FFFF (F4).
bool zweites_byte_passt(std::uint32_t c, std::uint32_t b) {
    switch (c) {
        case 0xE0: return b >= 0xA0 && b <= 0xBF;
        case 0xED: return b >= 0x80 && b <= 0x9F;
        case 0xF0: return b >= 0x90 && b <= 0xBF;
        case 0xF4: return b >= 0x80 && b <= 0x8F;
        default: return folgebyte(b);
    }
}

// The extent of an invalid sequence that starts at in[i]: a first byte
// with as many continuation bytes as its leading ones ask for (up to
// eight bytes, so that 5- to 8-byte forms are one sequence), or a lone
// continuation byte. `am_ende`: the end of the input cut it short.
std::uint32_t ungueltige_folge(const unsigned char* in, std::uint32_t i, std::uint32_t n, bool* am_ende) {
    const std::uint32_t c = in[i];
    *am_ende = false;
    if (c < 0xC0) return 1;
    const std::uint32_t soll = static_cast<std::uint32_t>(std::countl_one(static_cast<std::uint8_t>(c)));
    std::uint32_t k = 1;
    while (k < soll && i + k < n && folgebyte(in[i + k])) ++k;
    *am_ende = k < soll && i + k >= n;
    return k;
}

}  // namespace

void Dekoder_Bytes_melden(const wchar_t* kodierung, const unsigned char* bytes, std::size_t anzahl, bool am_ende) {
    std::wstring liste;
    wchar_t hex[8];
    for (std::size_t k = 0; k < anzahl; ++k) {
        std::swprintf(hex, 8, k == 0 ? L"0x%02X" : L" 0x%02X", static_cast<unsigned>(bytes[k]));
        liste += hex;
    }
    Konsole_Print(am_ende ? L"FEHLER: Das %ls Zeichen '%ls' am Ende der Datei ist ungültig.\n"
                          : L"FEHLER: Das %ls Zeichen '%ls' ist ungültig.\n",
                  kodierung, liste.c_str());
}

// Only well-formed UTF-8 passes: every other sequence (a continuation byte
// without its first byte, an overlong form, a surrogate, a value above
// U+10FFFF, a 5- to 8-byte form, a sequence cut short) is reported once at
// its first byte with all its bytes, stands as U+FFFD for the positions of
// what follows, and fails the file. A 0 byte stops the decoding.
int copy_utf8_to_unicode(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored) {
    // Files are capped at 2 GB, so a 32-bit count is enough.
    const std::uint32_t n = static_cast<std::uint32_t>(length);
    std::uint32_t i = 0;
    if (n >= 3 && in[0] == 0xEF && in[1] == 0xBB && in[2] == 0xBF) i = 3;
    wchar_t* o = out;
    if (i >= n) return beenden(out, o, stored, 0);

    Dekoderposition pos;
    int ergebnis = 1;
    while (i < n) {
        if (n - i >= 32) {
            const std::uint32_t lauf = Dekoder_ASCII_Lauf(o, in + i, false);
            o += lauf;
            i += lauf;
            if (lauf != 0) continue;
        }
        const std::uint32_t c = in[i];
        if (c < 0x80) {
            if (c < 32 && !erlaubte_steuerung(c)) {
                Konsole_Print(L"FEHLER: Das Zeichen '%u' ist ungültig (<32).\n", c);
                pos.melden(out, o);
                ergebnis = 0;
                if (c == 0) {
                    Konsole_Text(L"Abbruch.\n");
                    return beenden(out, o, stored, 0);
                }
            }
            *o++ = static_cast<wchar_t>(c);
            ++i;
            continue;
        }
        // in[n] is the terminating 0 byte, which is no continuation byte:
        // the checks below never pass the end.
        const std::uint32_t laenge = LEITBYTE.tafel[c];
        if (laenge != 0 && zweites_byte_passt(c, in[i + 1]) && (laenge < 3 || folgebyte(in[i + 2])) &&
            (laenge < 4 || folgebyte(in[i + 3]))) {
            std::uint32_t wert = c & (0x7Fu >> laenge);
            for (std::uint32_t k = 1; k < laenge; ++k) wert = wert << 6 | (in[i + k] & 0x3Fu);
            *o++ = static_cast<wchar_t>(wert);
            i += laenge;
            continue;
        }
        bool am_ende = false;
        const std::uint32_t folge = ungueltige_folge(in, i, n, &am_ende);
        Dekoder_Bytes_melden(L"UTF-8", in + i, folge, am_ende);
        pos.melden(out, o);
        ergebnis = 0;
        *o++ = static_cast<wchar_t>(0xFFFD);
        i += folge;
    }
    return beenden(out, o, stored, ergebnis);
}
