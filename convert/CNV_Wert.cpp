// Value computation of VALUE, IMPLIED and TOKEN: a measured value converted
// between units, expressed as a share or a percentage, scaled, corrected
// and printed with a chosen number of digits.
//
// Numbers are read and printed here by hand (std::from_chars, std::to_chars)
// so that no locale can turn "2.5" into 25 or print "2,50".
#include "convert/CNV.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "base/Konsole.h"

namespace {

constexpr std::size_t kPuffer = 4096;  // work buffers of the computation
constexpr double kGrenze = FLT_MAX;    // 3.4028234663852886e38

// ---- Numbers --------------------------------------------------------------

// Fixed-point text of v with the given decimals, as printf("%.*f") would
// write it in the C locale; the number of characters, or -1 when the
// buffer is too small.
int Festkomma(double v, int nachkomma, char* out, std::size_t kapazitaet) {
    auto [ende, fehler] = std::to_chars(out, out + kapazitaet, v, std::chars_format::fixed, nachkomma);
    if (fehler != std::errc()) return -1;
    return static_cast<int>(ende - out);
}

void Bereichsmeldung(double wert, bool positiv) {
    char a[512], b[512];
    wchar_t wa[512], wb[512];
    int na = Festkomma(wert, 6, a, sizeof a), nb = Festkomma(positiv ? kGrenze : -kGrenze, 6, b, sizeof b);
    for (int i = 0; i < na; ++i) wa[i] = static_cast<unsigned char>(a[i]);
    for (int i = 0; i < nb; ++i) wb[i] = static_cast<unsigned char>(b[i]);
    wa[na < 0 ? 0 : na] = 0;
    wb[nb < 0 ? 0 : nb] = 0;
    if (positiv)
        Konsole_Print(L"FEHLER: Die positive Gleitkommazahl %ls liegt außerhalb des gültigen Wertebereichs. Die Zahl "
                      L"wird auf den maximal zulässigen Wert %ls eingestellt.\n",
                      wa, wb);
    else
        Konsole_Print(L"FEHLER: Die negative Gleitkommazahl %ls liegt außerhalb des gültigen Wertebereichs. Die Zahl "
                      L"wird auf den minimal zulässigen Wert %ls eingestellt.\n",
                      wa, wb);
}

// Reads the decimal number at the start of the text (blanks before it, a
// sign, a full stop or comma as separator, an exponent); `zahl` tells
// whether there was one, `ende` where it stopped. Values beyond the float
// range are clamped with a console message.
double Zahl_lesen(const wchar_t* text, const wchar_t** ende, bool* zahl) {
    const wchar_t* p = text;
    *zahl = false;
    if (ende) *ende = text;
    if (p == nullptr) return 0.0;
    while (*p == L' ' || *p == L'\t' || *p == L'\n' || *p == L'\r') ++p;
    bool negativ = false;
    if (*p == L'+' || *p == L'-') negativ = *p++ == L'-';

    // Digits beyond what a double can tell apart are dropped; an integer
    // part this long is far beyond the float range anyway.
    char puffer[400];
    std::size_t n = 0;
    long ueberzaehlig = 0;  // integer digits that did not fit
    bool ziffern = false;
    for (; *p >= L'0' && *p <= L'9'; ++p, ziffern = true) {
        if (n == 0 && *p == L'0') continue;
        if (n < 300) puffer[n++] = static_cast<char>(*p);
        else ++ueberzaehlig;
    }
    if (n == 0) puffer[n++] = '0';
    if ((*p == L'.' || *p == L',') && p[1] >= L'0' && p[1] <= L'9') {
        puffer[n++] = '.';
        for (++p; *p >= L'0' && *p <= L'9'; ++p, ziffern = true)
            if (n < 380) puffer[n++] = static_cast<char>(*p);
    } else if ((*p == L'.' || *p == L',') && ziffern) {
        ++p;
    }
    if (!ziffern) return 0.0;
    long exponent = ueberzaehlig;
    if (*p == L'e' || *p == L'E') {
        const wchar_t* q = p + 1;
        bool eneg = false;
        if (*q == L'+' || *q == L'-') eneg = *q++ == L'-';
        if (*q >= L'0' && *q <= L'9') {
            long e = 0;
            for (; *q >= L'0' && *q <= L'9'; ++q)
                if (e < 100000) e = e * 10 + (*q - L'0');
            exponent += eneg ? -e : e;
            p = q;
        }
    }
    *zahl = true;
    if (ende) *ende = p;
    n += static_cast<std::size_t>(std::snprintf(puffer + n, sizeof puffer - n, "e%ld", exponent));
    double wert = 0.0;
    auto [rest, fehler] = std::from_chars(puffer, puffer + n, wert);
    (void)rest;
    if (fehler == std::errc::result_out_of_range) wert = exponent > 0 ? HUGE_VAL : 0.0;
    if (negativ) wert = -wert;
    if (wert > kGrenze) {
        Bereichsmeldung(wert, true);
        wert = kGrenze;
    } else if (wert < -kGrenze) {
        Bereichsmeldung(wert, false);
        wert = -kGrenze;
    }
    return wert;
}

// Prints v zero-padded to `breite` with `nachkomma` decimals into out
// (capacity in characters, terminator included). -1 when it does not fit.
int Drucken(double v, int breite, int nachkomma, wchar_t* out, std::size_t kapazitaet) {
    char text[kPuffer + 400];
    int n = Festkomma(v, nachkomma, text, sizeof text);
    if (n < 0) return -1;
    // A result that rounds to zero is zero: "-0.0" would only confuse.
    bool null = true;
    for (int i = 0; i < n; ++i)
        if (text[i] >= '1' && text[i] <= '9') null = false;
    const char* ziffern = text;
    bool negativ = false;
    if (text[0] == '-') {
        ++ziffern;
        --n;
        negativ = !null;
    }
    const int vorzeichen = negativ ? 1 : 0;
    const int fuellung = breite > n + vorzeichen ? breite - n - vorzeichen : 0;
    if (static_cast<std::size_t>(vorzeichen + fuellung + n) >= kapazitaet) return -1;
    wchar_t* o = out;
    if (negativ) *o++ = L'-';
    for (int i = 0; i < fuellung; ++i) *o++ = L'0';
    for (int i = 0; i < n; ++i) *o++ = static_cast<unsigned char>(ziffern[i]);
    *o = 0;
    return static_cast<int>(o - out);
}

// ---- Units ----------------------------------------------------------------

enum Einheit { E_KEINE, E_IN, E_MM, E_CM, E_PT, E_STERN, E_PROZENT2, E_PROZENT, E_UNBEKANNT };

// Units are found from the first character that can begin one.
const wchar_t* Einheit_Beginn(const wchar_t* text) {
    for (const wchar_t* p = text; *p; ++p)
        if (std::wcschr(L"cminptCMINPT*%", *p) != nullptr) return p;
    return nullptr;
}

Einheit Einheit_von(const wchar_t* beginn) {
    if (beginn == nullptr) return E_KEINE;
    std::size_t n = std::wcslen(beginn);
    // A blank after the unit does not make it another unit.
    while (n > 0 && (beginn[n - 1] == L' ' || beginn[n - 1] == L'\t')) --n;
    static const struct {
        const wchar_t* name;
        Einheit einheit;
    } tabelle[] = {{L"in", E_IN}, {L"mm", E_MM}, {L"cm", E_CM}, {L"pt", E_PT},
                   {L"*", E_STERN}, {L"%%", E_PROZENT2}, {L"%", E_PROZENT}};
    for (const auto& t : tabelle)
        if (std::wcslen(t.name) == n && wcsncasecmp(beginn, t.name, n) == 0) return t.einheit;
    return E_UNBEKANNT;
}

// Factor from the unit of the row to the unit of the column (in, mm, cm, pt).
double Umrechnung(Einheit von, Einheit nach) {
    static const double tabelle[4][4] = {
        {1.0, 25.4, 2.54, 72.0},
        {1.0 / 25.4, 1.0, 1.0 / 10.0, 2.8345},
        {1.0 / 2.54, 10.0, 1.0, 28.345},
        {1.0 / 72.0, 1.0 / 2.8345, 1.0 / 28.345, 1.0},
    };
    return tabelle[von - E_IN][nach - E_IN];
}

// The two messages of a printing step: the format could not be set, the
// number could not be printed.
struct Schritt {
    const wchar_t* format;
    const wchar_t* umwandlung;
};

const Schritt kOhneEinheit = {L"Vorgabe-Format konnte nicht eingestellt werden",
                              L"Vorgabe-Korrekturumwandlung fehlgeschlagen"};
const Schritt kMusterOhneEinheit = {L"Korrekturumwandlung fehlgeschlagen", L"Korrekturumwandlung fehlgeschlagen"};
const Schritt kStern = {L"Format (*) konnte nicht eingestellt werden", L"Korrekturumwandlung (*) fehlgeschlagen"};
const Schritt kProzent2 = {L"Format '%%' konnte nicht eingestellt werden", L"Korrekturumwandlung '%%' fehlgeschlagen"};
const Schritt kProzent = {L"Format '%' konnte nicht eingestellt werden", L"Korrekturumwandlung fehlgeschlagen: '%'"};

// Steps between the four lengths, by source and target (in, mm, cm, pt);
// the diagonal is the step within one unit.
const Schritt kLaengen[4][4] = {
    {{L"Format (in) konnte nicht eingestellt werden", L"Korrekturumwandlung (in) fehlgeschlagen"},
     {L"Format (in->mm) konnte nicht eingestellt werden", L"Einheitenumwandlung (in->mm) fehlgeschlagen"},
     {L"Format (in->cm) konnte nicht eingestellt werden", L"Einheitenumwandlung (in->cm) fehlgeschlagen"},
     {L"Format (in->pt) konnte nicht eingestellt werden", L"Einheitenumwandlung (in->pt) fehlgeschlagen"}},
    {{L"Format (mm->in)) konnte nicht eingestellt werden", L"Einheitenumwandlung (mm->in) fehlgeschlagen"},
     {L"Format (mm) konnte nicht eingestellt werden", L"Korrekturumwandlung (mm) fehlgeschlagen"},
     {L"Format (mm->cm) konnte nicht eingestellt werden", L"Einheitenumwandlung (mm->cm) fehlgeschlagen"},
     {L"Format (mm->pt konnte nicht eingestellt werden", L"Einheitenumwandlung (mm->pt fehlgeschlagen)"}},
    {{L"Format (cm->in) konnte nicht eingestellt werden", L"Einheitenumwandlung (cm->in) fehlgeschlagen"},
     {L"Format (cm->mm) konnte nicht eingestellt werden", L"Einheitenumwandlung (cm->mm) fehlgeschlagen"},
     {L"Format (cm) konnte nicht eingestellt werden", L"Korrekturumwandlung (cm) fehlgeschlagen"},
     {L"Format (cm->pt) konnte nicht eingestellt werden", L"Einheitenumwandlung (cm->pt) fehlgeschlagen"}},
    {{L"Format (pt->in) konnte nicht eingestellt werden", L"Einheitenumwandlung (pt->in) fehlgeschlagen"},
     {L"Format (pt->mm) konnte nicht eingestellt werden", L"Einheitenumwandlung (pt->mm) fehlgeschlagen"},
     {L"Format(pt->cm) konnte nicht eingestellt werden", L"Einheitenumwandlung(pt->cm) fehlgeschlagen "},
     {L"Format (pt) konnte nicht eingestellt werden", L"Korrekturumwandlung (pt) fehlgeschlagen"}},
};

const wchar_t* const kKeineEinheit[4] = {
    L"Keine Maßeinheit angegeben (Umrechnung in INCH nicht möglich)",
    L"Keine Maßeinheit angegeben (Umrechnung in MM nicht möglich)",
    L"Keine Maßeinheit angegeben (Umrechnung in CM nicht möglich)",
    L"Keine Maßeinheit angegeben (Umrechnung in PT nicht möglich)",
};

// Default decimals of in, mm, cm, pt.
const int kNachkomma[4] = {4, 2, 3, 1};

// The number pattern "(##.##)": digits before and after the full stop.
struct Muster {
    bool aktiv = false;
    int vor = 0;
    int nach = 0;
    bool punkt = false;
    int Breite() const { return punkt ? vor + nach + 1 : vor; }
    int Nachkomma() const { return punkt ? nach : 0; }
};

}  // namespace

double unicode_wtof(const wchar_t* text) {
    bool zahl = false;
    return Zahl_lesen(text, nullptr, &zahl);
}

bool CNV::Berechne_Wert(wchar_t* value, wchar_t* out, unsigned long capacity, const wchar_t* format, double reference,
                        const wchar_t* label) {
    if (value == nullptr || out == nullptr || capacity == 0) return false;
    auto melden = [&](const wchar_t* text, const wchar_t* argument = nullptr) {
        if (skript != nullptr) skript->Fehlermeldung(-1, 1, label, text, argument, wert_position);
        return false;
    };
    // Copies the value text up to `bis` (its unit) into out.
    auto text_behalten = [&](const wchar_t* bis) {
        std::size_t n = bis ? static_cast<std::size_t>(bis - value) : std::wcslen(value);
        // "10 mm" is 10, not "10 ".
        if (bis != nullptr)
            while (n > 0 && (value[n - 1] == L' ' || value[n - 1] == L'\t')) --n;
        if (n >= capacity) n = capacity - 1;
        std::wmemmove(out, value, n);
        out[n] = 0;
        return true;
    };

    // 1. The pattern, cut out of the format before anything else is read.
    wchar_t f[kPuffer];
    std::wcsncpy(f, format ? format : L"", kPuffer - 1);
    f[kPuffer - 1] = 0;
    Muster muster;
    if (wchar_t* auf = std::wcschr(f, L'(')) {
        wchar_t* zu = std::wcschr(auf + 1, L')');
        if (zu == nullptr) return melden(L"Ende der Formates ')' nicht gefunden");
        if (auf[1] != L'%' && auf + 1 != zu) {
            for (const wchar_t* p = auf + 1; p < zu; ++p) {
                if (*p == L'#') {
                    ++(muster.punkt ? muster.nach : muster.vor);
                } else if (*p == L'.' && !muster.punkt) {
                    muster.punkt = true;
                } else {
                    return melden(L"Unbekanntes Zeichen im Format gefunden");
                }
            }
            if (muster.vor == 0 && muster.nach == 0) return melden(L"Ungültiges Format gefunden");
            muster.aktiv = true;
        }
        std::wmemmove(auf, zu + 1, std::wcslen(zu + 1) + 1);
    }

    // 2. Source switch, correction, target unit; the unit of the value.
    wchar_t* rest = f;
    const bool quelle = (f[0] == L's' || f[0] == L'S') && f[1] == L':';
    if (quelle) rest += 2;
    double korrektur = 0.0;
    if (wchar_t* k = std::wcschr(rest, L':')) {
        bool zahl = false;
        if (k[1] == L'+' || k[1] == L'-') korrektur = Zahl_lesen(k + 1, nullptr, &zahl);
        *k = 0;
    }
    Einheit ziel = Einheit_von(Einheit_Beginn(rest));
    if (ziel == E_UNBEKANNT) ziel = E_KEINE;  // "number" and the like only pick the number out
    const wchar_t* wert_einheit_beginn = Einheit_Beginn(value);
    const Einheit wert_einheit = Einheit_von(wert_einheit_beginn);

    // 3. The value; 4. the factor.
    bool ist_zahl = quelle;
    double wert = reference;
    if (!quelle) wert = Zahl_lesen(value, nullptr, &ist_zahl);
    bool hat_faktor = false;
    double faktor = Zahl_lesen(rest, nullptr, &hat_faktor);
    if (!hat_faktor || faktor == 0.0) faktor = 1.0;

    // A computation needs a number; "auto" is none.
    auto zahl_noetig = [&]() {
        if (ist_zahl) return true;
        return melden(L"Der Wert '%ls' ist keine Zahl", value);
    };
    // Prints the result with the pattern or the default decimals and appends
    // the suffix; the step names the messages.
    auto drucken = [&](double ergebnis, int nachkomma, const Schritt& schritt, const wchar_t* anhang) {
        const std::size_t anhang_laenge = std::wcslen(anhang);
        if (anhang_laenge >= capacity) return melden(schritt.umwandlung);
        if (muster.aktiv && static_cast<std::size_t>(muster.Breite()) + anhang_laenge >= capacity)
            return melden(schritt.format);
        wchar_t ergebnis_text[kPuffer];
        const std::size_t platz = capacity - anhang_laenge < kPuffer ? capacity - anhang_laenge : kPuffer;
        const int n = !std::isfinite(ergebnis) ? -1
                      : muster.aktiv           ? Drucken(ergebnis, muster.Breite(), muster.Nachkomma(), ergebnis_text, platz)
                                               : Drucken(ergebnis, 0, nachkomma, ergebnis_text, platz);
        if (n < 0) return melden(schritt.umwandlung);
        std::wmemcpy(out, ergebnis_text, static_cast<std::size_t>(n));
        std::wmemcpy(out + n, anhang, anhang_laenge + 1);
        return true;
    };

    // 5. No target unit.
    if (ziel == E_KEINE) {
        if (korrektur != 0.0 || quelle || faktor != 1.0) {
            if (!zahl_noetig()) return false;
            const double ergebnis = faktor * wert + korrektur;
            if (muster.aktiv) return drucken(ergebnis, 0, kMusterOhneEinheit, L"");
            if (!drucken(ergebnis, 8, kOhneEinheit, L"")) return false;
            // Eight decimals without their trailing zeros and full stop.
            std::size_t n = std::wcslen(out);
            if (std::wcschr(out, L'.') != nullptr) {
                while (n > 0 && out[n - 1] == L'0') --n;
                if (n > 0 && out[n - 1] == L'.') --n;
                out[n] = 0;
            }
            return true;
        }
        if (muster.aktiv) return zahl_noetig() && drucken(wert + korrektur, 0, kMusterOhneEinheit, L"");
        return text_behalten(wert_einheit_beginn);
    }

    // 6. Lengths.
    if (ziel >= E_IN && ziel <= E_PT) {
        if (wert_einheit == E_KEINE) return melden(kKeineEinheit[ziel - E_IN]);
        if (wert_einheit < E_IN || wert_einheit > E_PT) return text_behalten(nullptr);
        if (wert_einheit == ziel && faktor == 1.0 && korrektur == 0.0) return text_behalten(wert_einheit_beginn);
        if (!zahl_noetig()) return false;
        const double ergebnis = wert_einheit == ziel ? faktor * wert + korrektur
                                                     : wert * Umrechnung(wert_einheit, ziel) * faktor + korrektur;
        return drucken(ergebnis, kNachkomma[ziel - E_IN], kLaengen[wert_einheit - E_IN][ziel - E_IN], L"");
    }

    // 7. Shares.
    if (ziel == E_STERN) {
        if (faktor == 1.0 && korrektur == 0.0) return text_behalten(wert_einheit_beginn);
        return zahl_noetig() && drucken(faktor * wert + korrektur, 4, kStern, L"*");
    }

    // 8, 9. Percentages of the reference.
    if (!zahl_noetig()) return false;
    const double ergebnis = faktor * wert * 100.0 / reference + korrektur;
    if (ziel == E_PROZENT2) return drucken(ergebnis, 1, kProzent2, L"%");
    return drucken(ergebnis, 1, kProzent, L"");
}
