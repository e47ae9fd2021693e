#include "textio/BUF.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <sys/stat.h>

#include "base/Zeichenwandlung.h"
#include "textio/Dekoder.h"
#include "base/Konsole.h"

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

// Large buffers come straight from the system, all pages at once: a
// 100 MB file needs 400 MB of text, and faulting it in page by page costs
// more than decoding it. Not in huge pages: on virtual machines whose host
// takes free memory back, a huge page costs from a tenth to three times a
// run's parsing time to fault in, depending on what the host did with it,
// and runs of the same file then vary by a factor of two.
constexpr std::size_t GROSS = std::size_t{4} << 20;

void* speicher_holen(std::size_t bytes) {
#if defined(__linux__)
    if (bytes >= GROSS) {
        void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        return p == MAP_FAILED ? nullptr : p;
    }
#endif
    return std::malloc(bytes);
}

void speicher_freigeben(void* p, std::size_t bytes) {
    if (p == nullptr) return;
#if defined(__linux__)
    if (bytes >= GROSS) {
        munmap(p, bytes);
        return;
    }
#endif
    (void)bytes;
    std::free(p);
}

// A block of `alt` bytes, of which the first `benutzt` count, moved into one
// of `neu` bytes; the old block is gone either way. Large blocks are
// remapped, so that growing one copies nothing.
void* speicher_umziehen(void* p, std::size_t alt, std::size_t neu, std::size_t benutzt) {
#if defined(__linux__)
    if (alt >= GROSS && neu >= GROSS) {
        void* q = mremap(p, alt, neu, MREMAP_MAYMOVE);
        if (q != MAP_FAILED) return q;
        munmap(p, alt);
        return nullptr;
    }
#endif
    void* q = speicher_holen(neu);
    if (q != nullptr) std::memcpy(q, p, benutzt < neu ? benutzt : neu);
    speicher_freigeben(p, alt);
    return q;
}

// The name that stands for standard input; empty while there is none.
std::wstring& standardeingabe_name() {
    static std::wstring name;
    return name;
}

// The byte-level shape "<?xml" blank... "version" "=" quote ... quote; on a
// match *p is left after the closing quote.
bool xml_deklaration_am_anfang(const char*& p, const char* end) {
    auto folgt = [&](const char* wort) {
        std::size_t n = std::strlen(wort);
        if (static_cast<std::size_t>(end - p) < n || std::memcmp(p, wort, n) != 0) return false;
        p += n;
        return true;
    };
    auto leer = [](char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; };
    if (!folgt("<?xml")) return false;
    if (p >= end || !leer(*p)) return false;
    while (p < end && leer(*p)) ++p;
    if (!folgt("version") || !folgt("=")) return false;
    if (p >= end || (*p != '"' && *p != '\'')) return false;
    const char quote = *p;
    const char* anfang = p;
    // At least one byte inside, and at most 4096 bytes with both quotes.
    const char* schluss = static_cast<const char*>(std::memchr(p + 1, quote, static_cast<std::size_t>(end - p - 1)));
    if (schluss == nullptr || schluss == p + 1 || schluss - anfang + 1 > 4096) return false;
    p = schluss + 1;
    return true;
}

struct Markierung {
    unsigned char bytes[4];
    unsigned laenge;
    unsigned ueberspringen;
    ENCODINGtypeItems art;
    int (*dekoder)(wchar_t*, unsigned char*, unsigned long, unsigned long*);
    int code;
    const wchar_t* meldung;
};

// First matching row wins: the UTF-32LE mark begins with the UTF-16LE one.
const Markierung MARKIERUNGEN[] = {
    {{0xEF, 0xBB, 0xBF, 0}, 3, 3, ENC_UTF8, copy_utf8_to_unicode, 12012,
     L"Die UTF-8-Datei '%ls' konnte nicht in den Puffer eingelesen werden"},
    {{0x00, 0x00, 0xFE, 0xFF}, 4, 4, ENC_UTF32BE, copy_utf32be_to_unicode, 12016,
     L"Die UTF-32BE-Datei '%ls' konnte nicht in den Puffer eingelesen werden"},
    {{0x00, 0x3C, 0x00, 0x3F}, 4, 0, ENC_BIN16BE, copy_ucs2be_to_unicode, 12018,
     L"Die UCS-2BE-Datei '%ls' konnte nicht in den Puffer eingelesen werden"},
    {{0xFF, 0xFE, 0x00, 0x00}, 4, 4, ENC_UTF32LE, copy_utf32le_to_unicode, 12015,
     L"Die UTF-32LE-Datei '%ls' konnte nicht in den Puffer eingelesen werden"},
    {{0xFF, 0xFE, 0, 0}, 2, 2, ENC_UTF16LE, copy_utf16le_to_unicode, 12013,
     L"Die UTF-16LE-Datei '%ls' konnte nicht in den Puffer eingelesen werden"},
    {{0xFE, 0xFF, 0, 0}, 2, 2, ENC_UTF16BE, copy_utf16be_to_unicode, 12014,
     L"Die UTF-16BE-Datei '%ls' konnte nicht in den Puffer eingelesen werden"},
    {{0x3C, 0x00, 0x3F, 0x00}, 4, 0, ENC_BIN16LE, copy_ucs2le_to_unicode, 12017,
     L"Die UCS-2LE-Datei '%ls' konnte nicht in den Puffer eingelesen werden"},
};

}  // namespace

BUF::BUF() = default;

void BUF::Standardeingabe(const wchar_t* name) { standardeingabe_name() = name != nullptr ? name : L""; }

BUF::~BUF() {
    if (datei != nullptr) std::fclose(datei);
    if (eigene_puffer) puffer_freigeben();
}

void BUF::puffer_freigeben() {
    speicher_freigeben(text, text_groesse_);
    raw = nullptr;
    raw_length = 0;
    text = nullptr;
    text_groesse_ = 0;
    length = 0;
    cursor = end = nullptr;
    pos_zeiger_ = nullptr;
}

int BUF::Delete() {
    puffer_freigeben();
    return 1;
}

bool BUF::OK() const { return status == 0 && text != nullptr; }

ENCODINGtypeItems BUF::Lese_Bom_Encoding() const { return erkannt; }
ENCODINGtypeItems BUF::Lese_Xml_Encoding() const { return erkannt; }

int BUF::Reset() {
    cursor = text;
    end = text + length;
    return 1;
}

int BUF::nextpointer() {
    if (cursor < end) {
        ++cursor;
        return 1;
    }
    return 0;
}

int BUF::addpointer(unsigned long n) {
    const unsigned long bis_zum_ende = cursor < end ? static_cast<unsigned long>(end - cursor) : 0;
    if (n < bis_zum_ende) {
        cursor += n;
        return 1;
    }
    cursor = end > cursor ? end : cursor;
    return 0;
}

void BUF::melden(int code, const wchar_t* vorlage) {
    status = code;
    Fehlermeldung(code, 0, L"Puffer", vorlage, dateiname, nullptr);
}

int BUF::Init(const wchar_t* name, bool bytes) {
    if (name == nullptr) {
        exakt = false;
        return 0;
    }
    // A buffer filled again must not leak the text it held.
    if (eigene_puffer) puffer_freigeben();
    exakt = false;
    offen = 0;
    eigene_puffer = 1;
    text = nullptr;
    length = 0;
    status = 10000;
    raw = nullptr;
    raw_length = 0;
    cursor = end = nullptr;
    pos_zeiger_ = nullptr;
    dateiname[0] = basisname[0] = 0;
    dateiname_mb[0] = 0;
    kodierungsname.clear();
    h5_kodierung.clear();
    h5_sicher = true;

    if (std::wcslen(name) >= BUF_NAMENSLAENGE) {
        // The name is too long to be inserted: the template stands unfilled.
        status = 10001;
        Fehlermeldung(10001, 0, L"Puffer",
                      L"Der Dateiname der Datei '%ls' ist zu lang, die Datei konnte nicht geöffnet werden", name,
                      nullptr);
        Konsole_Print(L"Hinweis: Der Dateiname darf maximal %d Zeichen lang sein.\n",
                      static_cast<int>(BUF_NAMENSLAENGE));
        return 0;
    }
    std::wcscpy(dateiname, name);
    const wchar_t* basis = name;
    for (const wchar_t* p = name; *p != 0; ++p)
        if (*p == L'/' || *p == L'\\') basis = p + 1;
    std::wcscpy(basisname, basis);

    // Converted as the driver converts names it reads, so that a name
    // from the command line or the directory opens the same file.
    const std::string mb = BreitZuSchmal(name);
    const bool standardeingabe = !standardeingabe_name().empty() && standardeingabe_name() == name;
    aus_standardeingabe = standardeingabe;
    if (standardeingabe) {
        datei = stdin;
    } else if (mb.size() >= sizeof dateiname_mb) {
        errno = ENAMETOOLONG;
    } else {
        std::memcpy(dateiname_mb, mb.c_str(), mb.size() + 1);
        datei = std::fopen(dateiname_mb, "rb");
    }
    struct stat info;
    if (datei != nullptr && fstat(fileno(datei), &info) == 0 && S_ISDIR(info.st_mode)) {
        if (!standardeingabe) std::fclose(datei);
        datei = nullptr;
        errno = EISDIR;
    }
    if (datei == nullptr) {
        melden(11000 + errno, L"Die Datei '%ls' konnte nicht geöffnet werden");
        return 0;
    }
    offen = 1;
    status = DateiEinlesen(bytes);
    errno = 0;
    // Standard input stays open: nothing else may take its descriptor.
    const int schliessen = standardeingabe ? 0 : std::fclose(datei);
    datei = nullptr;
    offen = 0;
    if (schliessen != 0) {
        melden((status != 0 ? status + 5000 : 10000) + errno, L"Die Datei '%ls' konnte nicht geschlossen werden");
        exakt = false;
        return 0;
    }
    exakt = true;
    cursor = text;
    end = text + length;
    return 1;
}

int BUF::DateiEinlesen(bool bytes) {
    // Standard input from a pipe has no position and no size: it is read to
    // its end as it comes. Anything else is read from where it stands
    // (standard input may have been read in part before) to its end.
    const off_t anfang = ftello(datei);
    if (anfang < 0 && datei == stdin) return strom_einlesen() != 0 ? status : rohtext_dekodieren(bytes);
    if (anfang < 0 || fseeko(datei, 0, SEEK_END) != 0) {
        melden(12009, L"Die Dateigröße der Datei '%ls' konnte nicht bestimmt werden.");
        return status;
    }
    const off_t ende = ftello(datei);
    if (ende < anfang || fseeko(datei, anfang, SEEK_SET) != 0) {
        melden(12009, L"Die Dateigröße der Datei '%ls' konnte nicht bestimmt werden.");
        return status;
    }
    const off_t groesse = ende - anfang;
    if (groesse > 2147483647) {
        melden(12001, L"Die maximale Dateigröße von 2 GB wurde in der Datei '%ls' überschritten.");
        return status;
    }
    const std::uint64_t size = static_cast<std::uint64_t>(groesse);

    // One allocation of one wide character per byte (no encoding yields
    // more characters than the file has bytes), with the raw bytes read
    // into its tail. Every decoder stores character k no earlier than it
    // has read byte k, so the text grows from the front without ever
    // overtaking the bytes still to be read, and the file costs no memory
    // beyond its text.
    text_groesse_ = (size + 1) * sizeof(wchar_t);
    text = static_cast<wchar_t*>(speicher_holen(text_groesse_));
    if (text == nullptr) {
        text_groesse_ = 0;
        melden(12004, L"Arbeitsspeicher unzureichend für den Puffer für die Datei '%ls'.");
        Konsole_Print(L"Hinweis: Es wurden %lld Byte angefordert.\n",
                      static_cast<long long>((size + 1) * sizeof(wchar_t)));
        return status;
    }
    raw = reinterpret_cast<unsigned char*>(text) + text_groesse_ - (size + 1);
    text[0] = 0;
    // An empty web page is an empty page, as in a browser.
    if (size == 0 && html5) return 0;
    if (size == 0) {
        melden(12007, L"Die Datei '%ls' ist leer.");
        return status;
    }

    errno = 0;
    const std::size_t gelesen = std::fread(raw, 1, size, datei);
    if (gelesen == 0) {
        melden(13000 + errno, L"Die Datei '%ls' ist leer oder konnte nicht korrekt gelesen werden.");
        return status;
    }
    raw[gelesen] = 0;
    if (gelesen < size) {
        melden(12006, L"Die Datei '%ls' wurde fehlerhaft ausgelesen");
        Konsole_Print(L"Hinweis: erforderlich=%lld Byte / verfügbar=%lld Byte\n", static_cast<long long>(size),
                      static_cast<long long>(gelesen));
        return status;
    }
    raw_length = size;
    return rohtext_dekodieren(bytes);
}

// Standard input from a pipe: the bytes gather at the front of a block that
// doubles as they come, and the block then becomes the text's, the bytes
// moved into its tail where a file's are read. Growing and moving remap the
// pages instead of copying them, so the stream costs one pass over its bytes
// more than a file and no memory beyond a file's text.
int BUF::strom_einlesen() {
    constexpr std::uint64_t GRENZE = 2147483647;
    std::uint64_t kapazitaet = std::uint64_t{1} << 20, gelesen = 0;
    auto* block = static_cast<unsigned char*>(speicher_holen(kapazitaet));
    std::uint64_t angefordert = kapazitaet;
    int fehlernummer = 0;
    while (block != nullptr && gelesen <= GRENZE) {
        if (gelesen == kapazitaet) {
            angefordert = 2 * kapazitaet;
            block = static_cast<unsigned char*>(speicher_umziehen(block, kapazitaet, angefordert, gelesen));
            kapazitaet = angefordert;
            continue;
        }
        errno = 0;
        const std::size_t n = std::fread(block + gelesen, 1, kapazitaet - gelesen, datei);
        gelesen += n;
        if (gelesen < kapazitaet) {
            fehlernummer = std::ferror(datei) ? errno : 0;
            break;
        }
    }
    if (block != nullptr && gelesen > GRENZE) {
        speicher_freigeben(block, kapazitaet);
        melden(12001, L"Die maximale Dateigröße von 2 GB wurde in der Datei '%ls' überschritten.");
        return status;
    }
    if (block != nullptr) {
        angefordert = text_groesse_ = (gelesen + 1) * sizeof(wchar_t);
        text = static_cast<wchar_t*>(speicher_umziehen(block, kapazitaet, text_groesse_, gelesen));
    }
    if (block == nullptr || text == nullptr) {
        text_groesse_ = 0;
        melden(12004, L"Arbeitsspeicher unzureichend für den Puffer für die Datei '%ls'.");
        Konsole_Print(L"Hinweis: Es wurden %lld Byte angefordert.\n", static_cast<long long>(angefordert));
        return status;
    }
    raw = reinterpret_cast<unsigned char*>(text) + text_groesse_ - (gelesen + 1);
    std::memmove(raw, text, gelesen);
    raw[gelesen] = 0;
    text[0] = 0;
    if (fehlernummer != 0) {
        melden(13000 + fehlernummer, L"Die Datei '%ls' ist leer oder konnte nicht korrekt gelesen werden.");
        return status;
    }
    if (gelesen == 0 && !html5) {
        melden(12007, L"Die Datei '%ls' ist leer.");
        return status;
    }
    raw_length = gelesen;
    return 0;
}

// Decodes the raw bytes in the tail of the text's block into the text.
int BUF::rohtext_dekodieren(bool bytes) {
    const std::uint64_t size = raw_length;
    int ergebnis;
    if (html5) {
        ergebnis = h5_dekodieren();
    } else if (bytes) {
        erkannt = ENC_NONE;
        decoding = ENC_ISO_8859_1;
        ergebnis = vorgabe_kodierung.empty() ? einzelbytes_dekodieren() : fremd_dekodieren(vorgabe_kodierung);
    } else {
        ergebnis = -1;
        for (const Markierung& m : MARKIERUNGEN) {
            if (size <= 4) break;  // marks count only in files of more than 4 bytes
            if (std::memcmp(raw, m.bytes, m.laenge) != 0) continue;
            raw += m.ueberspringen;
            raw_length -= m.ueberspringen;
            erkannt = decoding = m.art;
            ergebnis = dekodieren(m.dekoder, m.code, m.meldung);
            break;
        }
        if (ergebnis < 0) {
            const ENCODINGtypeItems vorlaeufig = (size > 4 && raw[0] == '<' && raw[1] == '?') ? ENC_BIN : ENC_NONE;
            decoding = vorlaeufig;
            const char* p = reinterpret_cast<const char*>(raw);
            const char* ende = p + raw_length;
            ENCODINGtypeItems deklariert = ENC_UTF8;
            std::string name = vorgabe_kodierung;
            if (name.empty() && xml_deklaration_am_anfang(p, ende)) {
                char* q = const_cast<char*>(p);
                char* e = const_cast<char*>(ende);
                deklariert = byte_xml_encoding_declaration(&q, &e, &name);
            }
            if (!vorgabe_kodierung.empty() || deklariert == ENC_BIN) {
                // A name the program does not decode itself.
                erkannt = vorlaeufig;
                ergebnis = fremd_dekodieren(name);
            } else if (deklariert == ENC_UTF8) {
                // Output under WRITERENCODING AUTO follows the decoding, so
                // a file read as UTF-8 is written as UTF-8 again.
                erkannt = decoding = ENC_UTF8;
                ergebnis = dekodieren(copy_utf8_to_unicode, 12012,
                                      L"Die UTF-8-Datei '%ls' konnte nicht in den Puffer eingelesen werden");
            } else {
                erkannt = (deklariert == ENC_ISO_8859_1) ? ENC_BIN : vorlaeufig;
                ergebnis = einzelbytes_dekodieren();
            }
        }
    }
    // The decoded text has taken the place of the raw bytes.
    raw = nullptr;
    raw_length = 0;
    rest_freigeben();
    return ergebnis;
}

// A text of fewer characters than the file has bytes (multi-byte UTF-8,
// UTF-16) leaves the end of its buffer unused; those pages go back to the
// system, since they would otherwise stay resident while the document is
// parsed and converted.
void BUF::rest_freigeben() {
#if defined(__linux__)
    if (text == nullptr || text_groesse_ < GROSS) return;
    const std::uintptr_t seite = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto anfang = (reinterpret_cast<std::uintptr_t>(text + length + 1) + seite - 1) / seite * seite;
    const auto ende = reinterpret_cast<std::uintptr_t>(text) + text_groesse_;
    if (anfang < ende) madvise(reinterpret_cast<void*>(anfang), ende - anfang, MADV_DONTNEED);
#endif
}

bool BUF::text_vergroessern(std::size_t gespeichert, const unsigned char*& ungelesen, std::size_t rest) {
    const std::size_t groesse = text_groesse_ * 2;
    auto* neu = static_cast<wchar_t*>(speicher_holen(groesse));
    if (neu == nullptr) return false;
    std::memcpy(neu, text, gespeichert * sizeof(wchar_t));
    // The bytes still to be read keep their place at the end, with the 0
    // byte behind them.
    unsigned char* hinten = reinterpret_cast<unsigned char*>(neu) + groesse - (rest + 1);
    std::memcpy(hinten, ungelesen, rest + 1);
    speicher_freigeben(text, text_groesse_);
    text = neu;
    text_groesse_ = groesse;
    ungelesen = hinten;
    return true;
}

int BUF::dekodieren(int (*dekoder)(wchar_t*, unsigned char*, unsigned long, unsigned long*), int code,
                    const wchar_t* vorlage) {
    unsigned long gespeichert = 0;
    if (!dekoder(text, raw, static_cast<unsigned long>(raw_length), &gespeichert)) {
        length = 0;
        melden(code, vorlage);
        return status;
    }
    length = gespeichert;
    return 0;
}

// Single bytes never fail to decode, but the text ends at its first 0
// character. A file that begins with one counts as empty; one inside the
// file would silently cut off the rest, so it makes the file unreadable.
int BUF::einzelbytes_dekodieren() {
    const void* null = std::memchr(raw, 0, raw_length);
    length = null == nullptr ? raw_length : static_cast<std::uint64_t>(static_cast<const unsigned char*>(null) - raw);
    copy_byte_to_unicode(text, raw, static_cast<unsigned long>(raw_length));
    if (length == 0) {
        status = 12013;
        Fehlermeldung(-1, 1, nullptr, L"Datei ist leer.", nullptr, nullptr);
        return status;
    }
    if (length < raw_length) {
        long long zeile = 1, zeichen = 1;
        for (std::uint64_t i = 0; i < length; ++i) {
            if (text[i] == L'\n') {
                ++zeile;
                zeichen = 1;
            } else {
                ++zeichen;
            }
        }
        Konsole_Text(L"FEHLER: Das Zeichen '0' ist ungültig (<32).\n");
        Konsole_Print(L"Position: Zeile=%lld, Zeichen=%lld.\n", zeile, zeichen);
        Konsole_Text(L"Abbruch.\n");
        length = 0;
        melden(12008, L"Die Datei '%ls' konnte nicht in den Puffer eingelesen werden");
        return status;
    }
    return 0;
}

ENCODINGtypeItems byte_xml_encoding_declaration(char** p, char** end, std::string* name) {
    if (p == nullptr || end == nullptr || *p == nullptr || *end == nullptr) return ENC_UTF8;
    char*& q = *p;
    char* const e = *end;
    auto leer = [](char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; };
    auto leer_ueberspringen = [&] {
        while (q < e && leer(*q)) ++q;
    };
    if (q >= e || !leer(*q)) return ENC_UTF8;
    leer_ueberspringen();
    static const char WORT[] = "encoding";
    const std::size_t wortlaenge = sizeof WORT - 1;
    if (static_cast<std::size_t>(e - q) < wortlaenge || std::memcmp(q, WORT, wortlaenge) != 0) return ENC_UTF8;
    q += wortlaenge;
    leer_ueberspringen();
    if (q >= e || *q != '=') return ENC_UTF8;
    ++q;
    leer_ueberspringen();
    if (q >= e || (*q != '"' && *q != '\'')) return ENC_UTF8;
    const char quote = *q++;
    if (q >= e) return ENC_UTF8;
    const char* schluss = static_cast<const char*>(std::memchr(q, quote, static_cast<std::size_t>(e - q)));
    // The value with its closing quote may take at most 4096 bytes.
    if (schluss == nullptr || schluss - q + 1 > 4096) return ENC_UTF8;
    const char* wert = q;
    const std::size_t wertlaenge = static_cast<std::size_t>(schluss - q);
    q = const_cast<char*>(schluss) + 1;
    if (wertlaenge == 0) return ENC_UTF8;
    const ENCODINGtypeItems art = ENCODING_aus_Xmlname(wert, wertlaenge);
    if (art == ENC_BIN && name != nullptr) name->assign(wert, wertlaenge);
    return art;
}
