#include "textio/OUT.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/Dateinamen.h"
#include "base/Zeichenwandlung.h"
#include "base/Konsole.h"
#include "base/Systemfehler.h"
#include "textio/Fremdkodierung.h"

// One writer belongs to one thread: the unlocked forms spare a lock per call.
#if defined(__GLIBC__)
#define OUT_FWRITE fwrite_unlocked
#define OUT_FERROR ferror_unlocked
#else
#define OUT_FWRITE std::fwrite
#define OUT_FERROR std::ferror
#endif

namespace {

enum Referenzform { BYTES, UTF16LE_FORM, UTF16BE_FORM, UTF32LE_FORM, UTF32BE_FORM };

bool gleiche_datei(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

}  // namespace

OUT::OUT() = default;

OUT::~OUT() { OUT_Close(); }

bool OUT::OUT_is_Open() const { return open; }
bool OUT::OUT_ersetzt_Eingabe() const { return !ersatz_mb_.empty(); }
bool OUT::OUT_Schreibfehler() const { return fehler_gemeldet_; }

void OUT::OUT_Eingabe_schuetzen(const wchar_t* eingabe) { schutz_ = eingabe != nullptr ? eingabe : L""; }

bool OUT::name_zu_lang(const wchar_t* name, const wchar_t* meldung, const wchar_t* zusatz) {
    if (std::wcslen(name) < OUT_NAMENSLAENGE) return false;
    status = 9000;
    Konsole_Print(meldung, static_cast<int>(OUT_NAMENSLAENGE));
    Konsole_Print(zusatz, name);
    return true;
}

int OUT::OUT_Open(const wchar_t* name, const wchar_t* directory, const wchar_t* global, const wchar_t* extension,
                  ENCODINGtypeItems enc, bool mark, const std::string& kodierung) {
    zuruecksetzen(L"");

    bool gebaut;
    if (global == nullptr || global[0] == 0) {
        if (extension == nullptr || extension[0] == 0) return 0;
        if (name == nullptr) return 0;
        if (name_zu_lang(name, L"FEHLER: (Eingabe) Der Dateiname zu lang (maximal %d Zeichen).\n",
                         L"beim Öffnen der Datei %ls\n"))
            return 0;
        gebaut = MakeLokalName(ausgabename, name, extension);
    } else if (directory != nullptr) {
        if (directory[0] == 0) return 0;
        gebaut = MakeGlobalName(ausgabename, directory, global);
    } else {
        if (name == nullptr || name[0] == 0) return 0;
        if (name_zu_lang(name, L"FEHLER: (Eingabe) Der Dateiname zu lang (maximal %d Zeichen sind erlaubt).\n",
                         L"beim Öffnen der Datei '%ls'\n"))
            return 0;
        gebaut = MakeGlobalName(ausgabename, name, global);
    }
    if (!gebaut || ausgabename[0] == 0) return 0;

    if (!fremd_einrichten(enc, kodierung)) return 0;
    status = 10000;
    return beginnen(datei_erstellen() != 0, enc, mark);
}

// The converter of an encoding of iconv's; false (reported) when iconv
// cannot write it.
bool OUT::fremd_einrichten(ENCODINGtypeItems enc, const std::string& kodierung) {
    fremd_.reset();
    if (enc != ENC_NAMED) return true;
    fremd_ = std::make_unique<FREMDKODIERUNG>(kodierung);
    if (fremd_->Schreibbar()) return true;
    const std::wstring name(kodierung.begin(), kodierung.end());
    Konsole_Print(L"FEHLER: Die Kodierung '%ls' wird nicht unterstützt.\n", name.c_str());
    fremd_.reset();
    return false;
}

int OUT::OUT_Open_Standardausgabe(ENCODINGtypeItems enc, bool mark, const std::string& kodierung) {
    zuruecksetzen(L"-");
    if (!fremd_einrichten(enc, kodierung)) return 0;
    // A copy of the descriptor: closing the writer leaves standard output be.
    const int fd = dup(STDOUT_FILENO);
    stream = fd >= 0 ? fdopen(fd, "wb") : nullptr;
    if (stream == nullptr && fd >= 0) close(fd);
    return beginnen(stream != nullptr, enc, mark);
}

void OUT::zuruecksetzen(const wchar_t* name) {
    OUT_Close();
    open = false;
    zielzaehler = 0;
    std::wcscpy(ausgabename, name);
    fehler_gemeldet_ = false;
}

// Buffer, encoding and byte-order mark of a stream just opened; 0 with the
// message when it could not be opened.
int OUT::beginnen(bool erstellt, ENCODINGtypeItems enc, bool mark) {
    if (!erstellt) {
        status = 9100;
        nicht_erstellt(errno);
        return 0;
    }
    if (!puffer_) puffer_.reset(new unsigned char[OUT_PUFFERGROESSE]);
    belegt_ = 0;
    std::setvbuf(stream, nullptr, _IONBF, 0);
    encoding = enc;
    if (mark) {
        static const unsigned char UTF8[] = {0xEF, 0xBB, 0xBF};
        static const unsigned char LE16[] = {0xFF, 0xFE};
        static const unsigned char BE16[] = {0xFE, 0xFF};
        static const unsigned char LE32[] = {0xFF, 0xFE, 0x00, 0x00};
        static const unsigned char BE32[] = {0x00, 0x00, 0xFE, 0xFF};
        bool ok = true;
        switch (enc) {
            case ENC_UTF8: ok = schreiben(UTF8, 3); break;
            case ENC_UTF16:
            case ENC_UTF16LE: ok = schreiben(LE16, 2); break;
            case ENC_UTF16BE: ok = schreiben(BE16, 2); break;
            case ENC_UTF32:
            case ENC_UTF32LE: ok = schreiben(LE32, 4); break;
            case ENC_UTF32BE: ok = schreiben(BE32, 4); break;
            default: break;
        }
        if (!ok) schreibfehler(9303);
    }
    open = true;
    if (!fehler_gemeldet_) status = 0;
    return 1;
}

// Creates the file, or, when it is the protected input, a temporary file in
// the same directory with the input's permissions.
int OUT::datei_erstellen() {
    const std::string ziel = BreitZuSchmal(ausgabename);
    const std::string eingabe = BreitZuSchmal(schutz_.c_str());
    const bool ersetzt = !schutz_.empty() && (schutz_ == ausgabename || gleiche_datei(ziel, eingabe));
    if (!ersetzt) {
        stream = std::fopen(ziel.c_str(), "wb");
        return stream != nullptr;
    }
    // Replace the file a symbolic link points to, not the link.
    std::string echt = ziel;
    if (char* aufgeloest = realpath(ziel.c_str(), nullptr)) {
        echt = aufgeloest;
        std::free(aufgeloest);
    }
    std::string vorlage = echt + ".tmp-XXXXXX";
    const int fd = mkstemp(vorlage.data());
    if (fd < 0) return 0;
    struct stat info;
    if (stat(echt.c_str(), &info) == 0) fchmod(fd, info.st_mode & 07777);
    stream = fdopen(fd, "wb");
    if (stream == nullptr) {
        const int grund = errno;
        close(fd);
        unlink(vorlage.c_str());
        errno = grund;
        return 0;
    }
    ersatz_mb_ = vorlage;
    ziel_mb_ = echt;
    return 1;
}

bool OUT::leeren() {
    const std::size_t n = belegt_;
    belegt_ = 0;
    return n == 0 || (OUT_FWRITE(puffer_.get(), 1, n, stream) == n && !OUT_FERROR(stream));
}

void OUT::nicht_erstellt(int grund) {
    Konsole_Print(L"FEHLER: (Ausgabe): Datei konnte nicht erstellt werden (%ls): %ls.\n", ausgabename,
                  Systemfehler_Text(grund).c_str());
}

bool OUT::schreiben(const unsigned char* bytes, std::size_t n) {
    if (n > OUT_PUFFERGROESSE - belegt_ && !leeren()) return false;
    if (n >= OUT_PUFFERGROESSE) return OUT_FWRITE(bytes, 1, n, stream) == n && !OUT_FERROR(stream);
    std::memcpy(puffer_.get() + belegt_, bytes, n);
    belegt_ += n;
    return true;
}

int OUT::schreibfehler(int code) {
    // A reader that has gone (the end of a pipeline) is no full disk.
    if (!fehler_gemeldet_ && errno == EPIPE)
        Konsole_Text(L"FEHLER: (Ausgabe) Schreibfehler: Der Empfänger hat die Pipe der Ausgabe geschlossen.\n");
    else if (!fehler_gemeldet_)
        Konsole_Text(L"FEHLER: (Ausgabe) Schreibfehler.\n");
    fehler_gemeldet_ = true;
    status = code;
    return 0;
}

namespace {

// Room for the longest form of one character: a reference of eight hex
// digits in 32-bit units.
constexpr std::size_t MAX_BYTES = 48;

// Surrogate codes and codes beyond U+10FFFF are no characters: a Unicode
// form written for them would be malformed.
bool kein_zeichen(unsigned int c) { return (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF; }

std::size_t einheit16(unsigned char* b, unsigned int u, bool be) {
    b[0] = static_cast<unsigned char>(be ? u >> 8 : u & 0xFF);
    b[1] = static_cast<unsigned char>(be ? u & 0xFF : u >> 8);
    return 2;
}

// "&#x" lower-case hex ";" in the units of the encoding.
std::size_t referenz(unsigned char* b, unsigned int c, Referenzform form) {
    char text[16];
    std::size_t n = 0;
    text[n++] = '&';
    text[n++] = '#';
    text[n++] = 'x';
    int stellen = 1;
    while (stellen < 8 && (c >> (4 * stellen)) != 0) ++stellen;
    for (int i = stellen - 1; i >= 0; --i) text[n++] = "0123456789abcdef"[(c >> (4 * i)) & 0xF];
    text[n++] = ';';
    if (form == BYTES) {
        std::memcpy(b, text, n);
        return n;
    }
    if (form == UTF32LE_FORM || form == UTF32BE_FORM) {
        std::memset(b, 0, 4 * n);
        for (std::size_t i = 0; i < n; ++i) b[4 * i + (form == UTF32BE_FORM ? 3 : 0)] = static_cast<unsigned char>(text[i]);
        return 4 * n;
    }
    for (std::size_t i = 0; i < n; ++i) einheit16(b + 2 * i, static_cast<unsigned char>(text[i]), form == UTF16BE_FORM);
    return 2 * n;
}

// The bytes of one character in the encoding; returns their number.
std::size_t kodieren(unsigned char* b, unsigned int c, ENCODINGtypeItems encoding) {
    switch (encoding) {
        case ENC_ISO_8859_1:
            if (c >= 128) return referenz(b, c, BYTES);
            b[0] = static_cast<unsigned char>(c);
            return 1;
        case ENC_UTF8:
            if (kein_zeichen(c)) return referenz(b, c, BYTES);
            if (c < 0x80) {
                b[0] = static_cast<unsigned char>(c);
                return 1;
            }
            if (c < 0x800) {
                b[0] = static_cast<unsigned char>(0xC0 | (c >> 6));
                b[1] = static_cast<unsigned char>(0x80 | (c & 0x3F));
                return 2;
            }
            if (c < 0x10000) {
                b[0] = static_cast<unsigned char>(0xE0 | (c >> 12));
                b[1] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
                b[2] = static_cast<unsigned char>(0x80 | (c & 0x3F));
                return 3;
            }
            b[0] = static_cast<unsigned char>(0xF0 | (c >> 18));
            b[1] = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
            b[2] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
            b[3] = static_cast<unsigned char>(0x80 | (c & 0x3F));
            return 4;
        case ENC_UTF16:
        case ENC_UTF16LE:
        case ENC_UTF16BE: {
            const bool be = encoding == ENC_UTF16BE;
            if (kein_zeichen(c)) return referenz(b, c, be ? UTF16BE_FORM : UTF16LE_FORM);
            if (c < 0x10000) return einheit16(b, c, be);
            einheit16(b, 0xD800 + ((c - 0x10000) >> 10), be);
            return 2 + einheit16(b + 2, 0xDC00 + (c & 0x3FF), be);
        }
        case ENC_UTF32:
        case ENC_UTF32LE:
        case ENC_UTF32BE:
            if (kein_zeichen(c)) return referenz(b, c, encoding == ENC_UTF32BE ? UTF32BE_FORM : UTF32LE_FORM);
            for (int i = 0; i < 4; ++i) {
                const int schiebung = encoding == ENC_UTF32BE ? 24 - 8 * i : 8 * i;
                b[i] = static_cast<unsigned char>((c >> schiebung) & 0xFF);
            }
            return 4;
        default:
            if (c > 255) return referenz(b, c, BYTES);
            b[0] = static_cast<unsigned char>(c);
            return 1;
    }
}

// The characters that an escaping replaces, by code: 1 in character data
// and attribute values, 2 in attribute values only; the HTML5 forms also
// the controls.
struct Masken {
    unsigned char text[128] = {};
    unsigned char attribut[128] = {};
    unsigned char text5[128] = {};
    unsigned char attribut5[128] = {};
    constexpr Masken() {
        for (unsigned char c : {'&', '<', '>'}) text[c] = attribut[c] = 1;
        attribut[static_cast<unsigned char>('"')] = attribut[static_cast<unsigned char>('\'')] = 2;
        for (int c = 0; c < 128; ++c) {
            text5[c] = text[c];
            attribut5[c] = attribut[c];
            if (c < 0x20 && c != '\t' && c != '\n') text5[c] = attribut5[c] = 3;
        }
        attribut5[static_cast<unsigned char>('\t')] = attribut5[static_cast<unsigned char>('\n')] = 3;
    }
};
constexpr Masken MASKEN;

const unsigned char* maske_von(OUTmaskeItems art) {
    switch (art) {
        case OUT_MASKE_TEXT: return MASKEN.text;
        case OUT_MASKE_ATTRIBUT: return MASKEN.attribut;
        case OUT_MASKE_TEXT_H5: return MASKEN.text5;
        case OUT_MASKE_ATTRIBUT_H5: return MASKEN.attribut5;
        default: return nullptr;
    }
}

// At most 8 characters, all ASCII.
const char* ersatztext(unsigned int c) {
    switch (c) {
        case '&': return "&amp;";
        case '<': return "&lt;";
        case '>': return "&gt;";
        case '"': return "&quot;";
        case '\'': return "&#39;";
        case '\t': return "&#9;";
        case '\n': return "&#10;";
        case '\r': return "&#13;";
        default: return "&#xFFFD;";
    }
}

// The replacement of an escaped character in the units of the encoding.
std::size_t ersatz(unsigned char* b, unsigned int c, ENCODINGtypeItems encoding) {
    std::size_t n = 0;
    for (const char* t = ersatztext(c); *t != 0; ++t) n += kodieren(b + n, static_cast<unsigned char>(*t), encoding);
    return n;
}

}  // namespace

void OUT::OUT_Maskierung(OUTmaskeItems art) {
    maske_art_ = art;
    maske_ = maske_von(art);
}

void OUT::OUT_Maskiert(const wchar_t* text, OUTmaskeItems art, std::wstring& ziel) {
    if (text == nullptr) return;
    const unsigned char* maske = maske_von(art);
    const bool h5 = art >= OUT_MASKE_TEXT_H5;
    for (; *text != 0; ++text) {
        const unsigned int c = static_cast<unsigned int>(*text);
        const bool ersetzen = maske != nullptr && (c < 0x80 ? maske[c] != 0 : h5 && (c == 0xFFFE || c == 0xFFFF));
        if (!ersetzen) {
            ziel.push_back(*text);
            continue;
        }
        for (const char* t = ersatztext(c); *t != 0; ++t) ziel.push_back(static_cast<wchar_t>(*t));
    }
}

int OUT::OUT_Write_Int(unsigned int c) {
    if (!open || stream == nullptr) return 1;
    if (fehler_gemeldet_) return 0;
    if (fremd_) {
        const wchar_t zeichen[2] = {static_cast<wchar_t>(c), 0};
        return fremd_text(zeichen, 9303);
    }
    unsigned char b[MAX_BYTES];
    const std::size_t k = maskiert(c) ? ersatz(b, c, encoding) : kodieren(b, c, encoding);
    return schreiben(b, k) ? 1 : schreibfehler(9303);
}

int OUT::OUT_Write_Char(wchar_t c) { return OUT_Write_Int(static_cast<unsigned int>(c)); }

// Encodes straight into the writer's buffer.
namespace {

// Copies the ASCII characters at the start of s into b, sixteen at a time
// (document text comes in long runs), up to the first other character,
// the string's end or the limit; s and the result point behind what it
// took. Nothing at or past `ende` is read.
unsigned char* ascii_packen(const wchar_t*& s, const wchar_t* ende, unsigned char* b, unsigned char* grenze) {
#if defined(__SSE2__) && __WCHAR_MAX__ > 0xFFFF
    std::size_t n = static_cast<std::size_t>(ende - s);
    const __m128i hoch = _mm_set1_epi32(~0x7F);
    const __m128i null = _mm_setzero_si128();
    while (n >= 16 && grenze - b >= 16) {
        const __m128i* p = reinterpret_cast<const __m128i*>(s);
        const __m128i a = _mm_loadu_si128(p), c = _mm_loadu_si128(p + 1);
        const __m128i d = _mm_loadu_si128(p + 2), e = _mm_loadu_si128(p + 3);
        // Every code below 0x80 and none 0 (the length rules a 0 out).
        const __m128i oder = _mm_or_si128(_mm_or_si128(a, c), _mm_or_si128(d, e));
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(oder, hoch), null)) != 0xFFFF) break;
        const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(a, c), _mm_packs_epi32(d, e));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(b), bytes);
        b += 16;
        s += 16;
        n -= 16;
    }
#else
    (void)ende;
    (void)grenze;
#endif
    return b;
}

}  // namespace

template <bool mit_maske>
int OUT::text_schreiben(const wchar_t* s, const wchar_t* bekannt) {
    unsigned char* block = puffer_.get();
    std::size_t n = belegt_;
    // Most output is ASCII, which both byte encodings write as it stands.
    const bool ascii_gleich = encoding == ENC_UTF8 || encoding == ENC_ISO_8859_1;
    // The buffer is handed on only when it is full, so a failing device
    // shows in the same call as when the stream did the buffering.
    // `bekannt`: where s ends, when the caller knows; null otherwise.
    const wchar_t* const ende = !mit_maske && ascii_gleich ? (bekannt != nullptr ? bekannt : s + std::wcslen(s)) : s;
    for (; *s != 0; ++s) {
        if (ascii_gleich) {
            // A run of ASCII up to the end of the room left (and up to the
            // next character to escape).
            unsigned char* b = block + n;
            unsigned char* const grenze = block + OUT_PUFFERGROESSE;
            if constexpr (!mit_maske) b = ascii_packen(s, ende, b, grenze);
            while (b < grenze && static_cast<unsigned int>(*s) - 1 < 0x7F &&
                   (!mit_maske || maske_[static_cast<unsigned int>(*s)] == 0))
                *b++ = static_cast<unsigned char>(*s++);
            n = static_cast<std::size_t>(b - block);
            if (*s == 0) break;
            if constexpr (mit_maske) {
                // A replacement is ASCII as well: its bytes go in as they are.
                if (maskiert(static_cast<unsigned int>(*s)) && n + 8 <= OUT_PUFFERGROESSE) {
                    for (const char* t = ersatztext(static_cast<unsigned int>(*s)); *t != 0; ++t)
                        block[n++] = static_cast<unsigned char>(*t);
                    continue;
                }
            }
            if (static_cast<unsigned int>(*s) < 0x80 && !(mit_maske && maskiert(static_cast<unsigned int>(*s)))) {
                belegt_ = n;
                if (!leeren()) return schreibfehler(9302);
                n = 0;
                block[n++] = static_cast<unsigned char>(*s);
                continue;
            }
        }
        const unsigned int c = static_cast<unsigned int>(*s);
        const bool ersetzt = mit_maske && maskiert(c);
        // UTF-8 of the first two planes' letters, without the general encoder.
        if (!ersetzt && encoding == ENC_UTF8 && c < 0xD800 && n + 3 <= OUT_PUFFERGROESSE) {
            if (c < 0x800) {
                block[n++] = static_cast<unsigned char>(0xC0 | (c >> 6));
            } else {
                block[n++] = static_cast<unsigned char>(0xE0 | (c >> 12));
                block[n++] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
            }
            block[n++] = static_cast<unsigned char>(0x80 | (c & 0x3F));
            continue;
        }
        unsigned char zeichen[MAX_BYTES];
        const std::size_t k = ersetzt ? ersatz(zeichen, c, encoding) : kodieren(zeichen, c, encoding);
        if (k > OUT_PUFFERGROESSE - n) {
            belegt_ = n;
            if (!leeren()) return schreibfehler(9302);
            n = 0;
        }
        std::memcpy(block + n, zeichen, k);
        n += k;
    }
    belegt_ = n;
    return 1;
}

int OUT::OUT_Write_String(const wchar_t* s) {
    if (s == nullptr || s[0] == 0 || !open || stream == nullptr) return 1;
    if (fehler_gemeldet_) return 0;
    if (fremd_) return fremd_text(s, 9302);
    // Plain text, most of the output, keeps a loop without the escaping.
    return maske_ == nullptr ? text_schreiben<false>(s, nullptr) : text_schreiben<true>(s, nullptr);
}

int OUT::OUT_Write_String(const wchar_t* s, std::size_t n) {
    if (s == nullptr || n == 0 || !open || stream == nullptr) return 1;
    if (fehler_gemeldet_) return 0;
    if (fremd_) return fremd_text(s, 9302);
    return maske_ == nullptr ? text_schreiben<false>(s, s + n) : text_schreiben<true>(s, nullptr);
}

// Text for an encoding of iconv's, escaped first when the mode asks for it.
int OUT::fremd_text(const wchar_t* s, int code) {
    if (maske_ == nullptr) return fremd_schreiben(s, std::wcslen(s), code);
    std::wstring maskiert;
    OUT_Maskiert(s, maske_art_, maskiert);
    return fremd_schreiben(maskiert.data(), maskiert.size(), code);
}

int OUT::OUT_Write_Bytes(const char* s, std::size_t n) {
    if (s == nullptr || n == 0 || !open || stream == nullptr) return 1;
    if (fehler_gemeldet_) return 0;
    if (fremd_) {
        wchar_t breit[1024];
        for (std::size_t i = 0; i < n; i += sizeof breit / sizeof breit[0]) {
            const std::size_t k = n - i < sizeof breit / sizeof breit[0] ? n - i : sizeof breit / sizeof breit[0];
            for (std::size_t j = 0; j < k; ++j) breit[j] = static_cast<unsigned char>(s[i + j]);
            if (!fremd_schreiben(breit, k, 9302)) return 0;
        }
        return 1;
    }
    const bool ascii_gleich = encoding != ENC_UTF16 && encoding != ENC_UTF16LE && encoding != ENC_UTF16BE &&
                              encoding != ENC_UTF32 && encoding != ENC_UTF32LE && encoding != ENC_UTF32BE;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(s);
    const unsigned char* ende = p + n;
    unsigned char block[MAX_BYTES];
    while (p < ende) {
        const unsigned char* lauf = p;
        if (ascii_gleich)
            while (lauf < ende && *lauf < 0x80) ++lauf;
        if (lauf != p) {
            if (!schreiben(p, static_cast<std::size_t>(lauf - p))) return schreibfehler(9302);
            p = lauf;
            continue;
        }
        if (!schreiben(block, kodieren(block, *p++, encoding))) return schreibfehler(9302);
    }
    return 1;
}

int OUT::fremd_schreiben(const wchar_t* s, std::size_t n, int code) {
    unsigned char block[4096];
    while (n > 0) {
        unsigned char* aus = block;
        std::size_t platz = sizeof block;
        const FREMDKODIERUNG::Halt halt = fremd_->Kodieren(s, n, aus, platz);
        if (aus != block && !schreiben(block, static_cast<std::size_t>(aus - block))) return schreibfehler(code);
        if (halt != FREMDKODIERUNG::UNGUELTIG) continue;
        // The reference "&#x...;" in ASCII characters, which every encoding
        // of a document holds.
        unsigned char ascii[MAX_BYTES];
        const std::size_t laenge = referenz(ascii, static_cast<unsigned int>(*s), BYTES);
        wchar_t ref[MAX_BYTES];
        for (std::size_t i = 0; i < laenge; ++i) ref[i] = ascii[i];
        const wchar_t* r = ref;
        std::size_t rn = laenge;
        aus = block;
        platz = sizeof block;
        if (fremd_->Kodieren(r, rn, aus, platz) != FREMDKODIERUNG::FERTIG) {
            aus = block;
            std::memcpy(block, ascii, laenge);
            aus += laenge;
        }
        if (!schreiben(block, static_cast<std::size_t>(aus - block))) return schreibfehler(code);
        ++s;
        --n;
    }
    return 1;
}

int OUT::OUT_Flush() {
    if (stream == nullptr) return fehler_gemeldet_ ? 0 : 1;
    if (!leeren() || std::fflush(stream) != 0 || std::ferror(stream)) return schreibfehler(9304);
    return fehler_gemeldet_ ? 0 : 1;
}

bool OUT::schliessen() {
    if (stream == nullptr) return !fehler_gemeldet_;
    if (fremd_ && !fehler_gemeldet_) {
        // A stateful encoding returns to its initial state at the end.
        unsigned char schluss[64];
        const std::size_t n = fremd_->Abschliessen(schluss, sizeof schluss);
        if (n > 0 && !schreiben(schluss, n)) schreibfehler(9304);
    }
    const bool ok = leeren() && std::fflush(stream) == 0 && !std::ferror(stream);
    const bool zu = std::fclose(stream) == 0;
    stream = nullptr;
    if (!ok || !zu) schreibfehler(9304);
    return !fehler_gemeldet_;
}

void OUT::ersatz_entfernen() {
    if (!ersatz_mb_.empty()) unlink(ersatz_mb_.c_str());
    ersatz_mb_.clear();
    ziel_mb_.clear();
}

int OUT::OUT_Close() {
    if (open) schliessen();
    // A temporary file that nobody declared good never replaces the input.
    ersatz_entfernen();
    return 1;
}

int OUT::OUT_Abschluss(bool erfolgreich) {
    const bool geschrieben = schliessen();
    if (ersatz_mb_.empty()) return geschrieben ? 1 : 0;
    if (!erfolgreich || !geschrieben) {
        ersatz_entfernen();
        return geschrieben ? 1 : 0;
    }
    if (std::rename(ersatz_mb_.c_str(), ziel_mb_.c_str()) != 0) {
        status = 9100;
        nicht_erstellt(errno);
        ersatz_entfernen();
        return 0;
    }
    ersatz_mb_.clear();
    ziel_mb_.clear();
    return 1;
}
