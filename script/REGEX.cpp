#include "script/REGEX.h"

#define PCRE2_CODE_UNIT_WIDTH 32
#include <pcre2.h>

#include <ctime>
#include <cwchar>
#include <string>
#include <string_view>
#include <unordered_map>

#include "base/Konsole.h"

static_assert(sizeof(wchar_t) == sizeof(PCRE2_UCHAR32), "wide text must be 32-bit code units");

namespace {

// Enough for any sensible pattern on a large element, and small enough that
// catastrophic backtracking gives up in well under a second. The library
// counts its steps afresh at every start position and not at all while a
// single repeat scans on, so the match is also bounded by time: a callout
// before every item of the pattern looks at the clock.
constexpr uint32_t MATCH_LIMIT = 5000000;
constexpr uint32_t DEPTH_LIMIT = 250000;
constexpr uint32_t HEAP_LIMIT_KIB = 256 * 1024;
// Per match: two seconds of processor time, and a tenth of a microsecond
// per character of the subject, so that a plain pattern still gets through
// a 50 MB element.
constexpr long long ZEIT_NS = 2000000000LL;
constexpr long long ZEIT_NS_JE_ZEICHEN = 100;

long long Uhr(clockid_t welche) {
    timespec t{};
    clock_gettime(welche, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// The coarse wall clock is cheap enough to ask before every item; only
// when it says the time is up is the processor time asked, so that a busy
// machine does not cut a search short.
struct Frist {
    long long wand;     // wall-clock time until which no question is needed
    long long beginn;   // processor time at the start
    long long budget;   // processor time allowed
};

int Zeit_pruefen(pcre2_callout_block*, void* daten) {
    Frist& f = *static_cast<Frist*>(daten);
    if (Uhr(CLOCK_MONOTONIC_COARSE) <= f.wand) return 0;
    const long long verbraucht = Uhr(CLOCK_THREAD_CPUTIME_ID) - f.beginn;
    if (verbraucht >= f.budget) return PCRE2_ERROR_MATCHLIMIT;
    f.wand = Uhr(CLOCK_MONOTONIC_COARSE) + (f.budget - verbraucht);
    return 0;
}

enum Fehler {
    KEINER,
    GRUPPE,
    ZEICHENKLASSE,
    ESCAPE,
    RUECKVERWEIS,
    ECKIG,
    RUND,
    GESCHWEIFT,
    BEREICH_GESCHWEIFT,
    ZEICHENBEREICH,
    SPEICHER_UEBERSETZEN,
    WIEDERHOLUNG,
    KOMPLEX,
    SPEICHER,
    UNBEKANNT,
    LOGIK,
    LAUFZEIT,
};

const wchar_t* Meldung(Fehler f) {
    switch (f) {
    case GRUPPE: return L"Der Ausdruck enthält eine ungültige Gruppe.";
    case ZEICHENKLASSE: return L"Der Ausdruck enthält eine ungültige Zeichenklasse.";
    case ESCAPE: return L"Der Ausdruck enthält ein ungültiges Escape-Zeichen oder ein Escape am Ende.";
    case RUECKVERWEIS: return L"Der Ausdruck enthält einen ungültigen Rückverweis.";
    case ECKIG: return L"Im Ausdruck fehlt eine eckige Klammer [...].";
    case RUND: return L"Im Ausdruck fehlt eine runde Klammer (...).";
    case GESCHWEIFT: return L"Im Ausdruck fehlt eine geschweifte Klammer {...}.";
    case BEREICH_GESCHWEIFT:
        return L"Der Ausdruck enthält einen ungültigen Bereich in einer geschweiften Klammer {...}.";
    case ZEICHENBEREICH: return L"Der Ausdruck enthält einen ungültigen Zeichenbereich.";
    case SPEICHER_UEBERSETZEN: return L"Unzureichener Speicher zum Abarbeiten des Ausdrucks.";
    case WIEDERHOLUNG:
        return L"Der Ausdruck enthält eine Wiederholungsangabe (?, * oder +) ohne vorangehenden Ausdruck.";
    case KOMPLEX: return L"Der Ausdruck ist zu komplex.";
    case SPEICHER: return L"Unzureichender Speicher.";
    case LOGIK: return L"Ausnahmefehler (interner Logikfehler).";
    case LAUFZEIT: return L"Ausnahmefehler (interner Laufzeitfehler).";
    case UNBEKANNT:
    case KEINER: break;
    }
    return L"Unbekannter Fehler.";
}

Fehler Uebersetzungsfehler(int code) {
    switch (code) {
    case PCRE2_ERROR_POSIX_NO_SUPPORT_COLLATING:
        return GRUPPE;
    case PCRE2_ERROR_POSIX_CLASS_NOT_IN_CLASS:
    case PCRE2_ERROR_UNKNOWN_POSIX_CLASS:
    case PCRE2_ERROR_MALFORMED_UNICODE_PROPERTY:
    case PCRE2_ERROR_UNKNOWN_UNICODE_PROPERTY:
        return ZEICHENKLASSE;
    case PCRE2_ERROR_END_BACKSLASH:
    case PCRE2_ERROR_END_BACKSLASH_C:
    case PCRE2_ERROR_UNKNOWN_ESCAPE:
    case PCRE2_ERROR_ESCAPE_INVALID_IN_CLASS:
    case PCRE2_ERROR_UNSUPPORTED_ESCAPE_SEQUENCE:
    case PCRE2_ERROR_CODE_POINT_TOO_BIG:
    case PCRE2_ERROR_BACKSLASH_O_MISSING_BRACE:
    case PCRE2_ERROR_INVALID_OCTAL:
    case PCRE2_ERROR_INVALID_HEXADECIMAL:
    case PCRE2_ERROR_BACKSLASH_C_SYNTAX:
    case PCRE2_ERROR_BACKSLASH_K_SYNTAX:
    case PCRE2_ERROR_BACKSLASH_N_IN_CLASS:
    case PCRE2_ERROR_BACKSLASH_U_CODE_POINT_TOO_BIG:
    case PCRE2_ERROR_MISSING_OCTAL_OR_HEX_DIGITS:
        return ESCAPE;
    case PCRE2_ERROR_BAD_SUBPATTERN_REFERENCE:
    case PCRE2_ERROR_ZERO_RELATIVE_REFERENCE:
    case PCRE2_ERROR_BAD_RELATIVE_REFERENCE:
    case PCRE2_ERROR_BACKSLASH_G_SYNTAX:
        return RUECKVERWEIS;
    case PCRE2_ERROR_MISSING_SQUARE_BRACKET:
        return ECKIG;
    case PCRE2_ERROR_MISSING_CLOSING_PARENTHESIS:
    case PCRE2_ERROR_UNMATCHED_CLOSING_PARENTHESIS:
    case PCRE2_ERROR_MISSING_CONDITION_CLOSING:
        return RUND;
    case PCRE2_ERROR_QUANTIFIER_OUT_OF_ORDER:
    case PCRE2_ERROR_QUANTIFIER_TOO_BIG:
        return BEREICH_GESCHWEIFT;
    case PCRE2_ERROR_CLASS_RANGE_ORDER:
    case PCRE2_ERROR_CLASS_INVALID_RANGE:
        return ZEICHENBEREICH;
    case PCRE2_ERROR_HEAP_FAILED:
        return SPEICHER_UEBERSETZEN;
    case PCRE2_ERROR_QUANTIFIER_INVALID:
        return WIEDERHOLUNG;
    case PCRE2_ERROR_PARENTHESES_NEST_TOO_DEEP:
    case PCRE2_ERROR_PATTERN_TOO_LARGE:
    case PCRE2_ERROR_PATTERN_TOO_COMPLICATED:
    case PCRE2_ERROR_PARENTHESES_STACK_CHECK:
        return KOMPLEX;
    default:
        return UNBEKANNT;
    }
}

Fehler Suchfehler(int code) {
    switch (code) {
    case PCRE2_ERROR_MATCHLIMIT:
    case PCRE2_ERROR_DEPTHLIMIT:
        return KOMPLEX;
    case PCRE2_ERROR_HEAPLIMIT:
    case PCRE2_ERROR_NOMEMORY:
        return SPEICHER;
    case PCRE2_ERROR_INTERNAL:
        return LOGIK;
    default:
        return LAUFZEIT;
    }
}

struct Muster {
    pcre2_code* code = nullptr;
    Fehler fehler = KEINER;
};

struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::wstring_view s) const { return std::hash<std::wstring_view>{}(s); }
};
using Musterliste = std::unordered_map<std::wstring, Muster, Hash, std::equal_to<>>;

// The compiled patterns of the run, one list per case mode, and the
// contexts every match shares.
class Speicher {
public:
    Speicher() {
        uebersetzen = pcre2_compile_context_create(nullptr);
        if (uebersetzen != nullptr) pcre2_set_newline(uebersetzen, PCRE2_NEWLINE_ANY);
        suchen = pcre2_match_context_create(nullptr);
        if (suchen != nullptr) {
            pcre2_set_match_limit(suchen, MATCH_LIMIT);
            pcre2_set_depth_limit(suchen, DEPTH_LIMIT);
            pcre2_set_heap_limit(suchen, HEAP_LIMIT_KIB);
        }
        daten = pcre2_match_data_create(1, nullptr);
    }
    ~Speicher() {
        for (Musterliste* l : {&mit_fall, &ohne_fall})
            for (auto& [text, m] : *l) pcre2_code_free(m.code);
        pcre2_match_data_free(daten);
        pcre2_match_context_free(suchen);
        pcre2_compile_context_free(uebersetzen);
    }
    Speicher(const Speicher&) = delete;
    Speicher& operator=(const Speicher&) = delete;

    const Muster& Holen(const wchar_t* pattern, bool case_sensitive) {
        Musterliste& liste = case_sensitive ? mit_fall : ohne_fall;
        const std::wstring_view text(pattern);
        auto it = liste.find(text);
        if (it != liste.end()) return it->second;
        Muster m;
        // ECMAScript-like: "$" only at the very end, "." stops at every line
        // end, \u and \x escapes as there; letters, digits and case in the
        // Unicode sense; subjects may hold code points that are no valid
        // UTF-32 (unpaired surrogates of UCS-2 input) without failing.
        uint32_t optionen = PCRE2_UTF | PCRE2_UCP | PCRE2_MATCH_INVALID_UTF | PCRE2_DOLLAR_ENDONLY | PCRE2_ALT_BSUX |
                            PCRE2_AUTO_CALLOUT;
        if (!case_sensitive) optionen |= PCRE2_CASELESS;
        int code = 0;
        PCRE2_SIZE stelle = 0;
        m.code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern), text.size(), optionen, &code, &stelle,
                               uebersetzen);
        if (m.code == nullptr) m.fehler = Uebersetzungsfehler(code);
        return liste.emplace(std::wstring(text), m).first->second;
    }

    pcre2_match_context* suchen = nullptr;
    pcre2_match_data* daten = nullptr;

private:
    pcre2_compile_context* uebersetzen = nullptr;
    Musterliste mit_fall, ohne_fall;
};

Speicher& Muster_des_Laufs() {
    static Speicher speicher;
    return speicher;
}

}  // namespace

const wchar_t* unicode_regex_pruefen(const wchar_t* pattern, int case_sensitive) {
    if (pattern == nullptr || *pattern == 0) return nullptr;
    Speicher& speicher = Muster_des_Laufs();
    if (speicher.daten == nullptr || speicher.suchen == nullptr) return Meldung(SPEICHER_UEBERSETZEN);
    const Muster& m = speicher.Holen(pattern, case_sensitive != 0);
    return m.code == nullptr ? Meldung(m.fehler) : nullptr;
}

bool unicode_regex_auswerten(const wchar_t* subject, const wchar_t* pattern, int case_sensitive,
                             const wchar_t** fehler) {
    auto Melden = [fehler](Fehler f) {
        if (fehler != nullptr)
            *fehler = Meldung(f);
        else
            Konsole_Print(L"FEHLER: Regulärer Ausdruck. %ls\n", Meldung(f));
        return false;
    };
    if (subject == nullptr || pattern == nullptr || *subject == 0 || *pattern == 0) return false;
    Speicher& speicher = Muster_des_Laufs();
    if (speicher.daten == nullptr || speicher.suchen == nullptr) return Melden(SPEICHER_UEBERSETZEN);
    const Muster& m = speicher.Holen(pattern, case_sensitive != 0);
    if (m.code == nullptr) return Melden(m.fehler);
    const std::size_t laenge = std::wcslen(subject);
    const long long budget = ZEIT_NS + static_cast<long long>(laenge) * ZEIT_NS_JE_ZEICHEN;
    Frist frist{Uhr(CLOCK_MONOTONIC_COARSE) + budget, Uhr(CLOCK_THREAD_CPUTIME_ID), budget};
    pcre2_set_callout(speicher.suchen, Zeit_pruefen, &frist);
    const int ergebnis = pcre2_match(m.code, reinterpret_cast<PCRE2_SPTR>(subject), laenge, 0, 0, speicher.daten,
                                     speicher.suchen);
    if (ergebnis >= 0) return true;
    if (ergebnis == PCRE2_ERROR_NOMATCH) return false;
    return Melden(Suchfehler(ergebnis));
}
