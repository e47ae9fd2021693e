// Attribute and content conditions, FIND and the search it shares with
// COPY, CUT and DEL, the comparison operators and numbers with units.
#include <cmath>
#include <cwchar>
#include <cwctype>
#include <string_view>

#include "convert/CNV.h"
#include "script/REGEX.h"
#include "script/BASIC.h"
#include "base/Konsole.h"

namespace {

BASICtypeItems Art(const CNV& c, int r) { return c.basic->Item(r).kind; }

bool Ist_Bedingungskopf(BASICtypeItems k) {
    return k == ITEM_ATTNAME || k == ITEM_CONTENT_DAT || k == ITEM_CONTENT_PCDATA;
}

bool Ist_Kontextbefehl(BASICtypeItems k) {
    return k == ITEM_IN || k == ITEM_NOTIN || k == ITEM_INX || k == ITEM_NOTINX;
}

int Bedingung_Ende(const CNV& c, int r) { return c.Attributbedingung_Ende(r); }

void Skriptfehler(CNV& c, int r, const wchar_t* label, const wchar_t* text) {
    c.skript->Fehlermeldung(-1, 1, label, text, nullptr, c.basic->Item(r).begin);
}

std::vector<wchar_t>& Platz(std::vector<wchar_t>& v, std::size_t n) {
    if (v.size() < n + 1) v.resize(n + 1);
    return v;
}

// The element's name as a terminated text; false when it is deleted or
// longer than any declared name can be.
bool Elementname(const META& m, int e, wchar_t (&out)[256]) {
    const META::metaitem& r = m.Item(e);
    if (r.start == nullptr || r.end - r.start > 255) return false;
    const std::size_t n = static_cast<std::size_t>(r.end - r.start);
    std::wmemcpy(out, r.start, n);
    out[n] = 0;
    return true;
}

// The attribute as the element specifies it (references kept as text).
bool Angegeben(CNV& c, int rule, int element, std::vector<wchar_t>& text) {
    int a = element;
    if (!c.meta.IPR_find_attrname_nr(&a, c.basic->Namensnummer(rule))) return false;
    const std::size_t n = c.meta.Attributwert_Laenge(a + 1, 1);
    return c.meta.Read_attribute_value(a + 1, Platz(text, n).data(), static_cast<int>(n + 1), 1);
}

// The default that the script declares for the element's attribute (an
// absent default text reads as empty).
bool Vorgabe(CNV& c, int rule, int element, const wchar_t* attribut, const wchar_t** wert) {
    wchar_t name[256];
    if (!Elementname(c.meta, element, name)) return false;
    const wchar_t* v = nullptr;
    if (!c.basic->Find_attribute_default(rule, name, attribut, &v)) return false;
    *wert = v != nullptr ? v : L"";
    return true;
}

// The attribute's value on the element, else its declared default. With
// `erben`, one that is neither specified nor given a non-empty default is
// inherited from the nearest ancestor that has one. Null: none.
const wchar_t* Attribut_lesen(CNV& c, int rule, int element, const wchar_t* attribut, bool erben,
                              std::vector<wchar_t>& text) {
    const int e = erben ? c.Implied_Traeger(rule, element, attribut) : element;
    if (e < 0) return nullptr;
    if (Angegeben(c, rule, e, text)) return text.data();
    const wchar_t* v = nullptr;
    return Vorgabe(c, rule, e, attribut, &v) ? v : nullptr;
}

// Whether the element specifies the attribute or declares a non-empty
// default for it: then IMPLIED takes it from there.
bool Traegt(CNV& c, int rule, int element, const wchar_t* attribut) {
    int a = element;
    if (c.meta.IPR_find_attrname_nr(&a, c.basic->Namensnummer(rule))) return true;
    const wchar_t* v = nullptr;
    return Vorgabe(c, rule, element, attribut, &v) && *v != 0;
}

// One huge element should not hold its copies for the rest of the file.
void Grosse_freigeben(CNV::Vergleichstexte& t) {
    for (std::vector<wchar_t>* v : {&t.subjekt, &t.wert, &t.klein_subjekt, &t.klein_wert})
        if (v->size() > (std::size_t{1} << 20)) std::vector<wchar_t>().swap(*v);
}

// ---------------------------------------------------------------- comparing

// Lower case; ASCII without asking the locale, as that is most of any text.
wchar_t Klein(wchar_t c) {
    if (c < 0x80) return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c;
    return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
}

bool Gleich_ohne_Fall(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && Klein(a[i]) != Klein(b[i])) return false;
    return true;
}

int Ordnung_ohne_Fall(std::wstring_view a, std::wstring_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const wint_t x = static_cast<wint_t>(Klein(a[i]));
        const wint_t y = static_cast<wint_t>(Klein(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool Einheitsfaktor(const wchar_t* einheit, double* faktor) {
    static const struct {
        const wchar_t* name;
        double faktor;
    } tafel[] = {{L"pt", 1.0}, {L"mm", 2.8345}, {L"cm", 28.345}, {L"in", 72.0}, {L"em", 10.0}};
    for (const auto& t : tafel) {
        if (Gleich_ohne_Fall(einheit, t.name)) {
            *faktor = t.faktor;
            return true;
        }
    }
    return false;
}

// Both sides as numbers in thousandths (so that they are equal when they
// agree to three decimals), in points when they carry different known
// units; false unless both are numbers.
bool Als_Zahlen(CNV& c, const wchar_t* s, const wchar_t* w, double* x, double* y) {
    wchar_t es[32], ew[32];
    if (!c.Numerischer_Wert(s, x, es) || !c.Numerischer_Wert(w, y, ew)) return false;
    double fs = 1.0, fw = 1.0;
    if (*es != 0 && *ew != 0 && !Gleich_ohne_Fall(es, ew) && Einheitsfaktor(es, &fs) && Einheitsfaktor(ew, &fw)) {
        *x *= fs;
        *y *= fw;
    }
    *x = std::floor(*x * 1000.0 + 0.5);
    *y = std::floor(*y * 1000.0 + 0.5);
    return true;
}

std::wstring_view Klein_kopieren(std::wstring_view t, std::vector<wchar_t>& v) {
    Platz(v, t.size());
    for (std::size_t i = 0; i < t.size(); ++i) v[i] = Klein(t[i]);
    v[t.size()] = 0;
    return std::wstring_view(v.data(), t.size());
}

// The string operators 13 to 27 (odd codes). A regular expression that
// fails leaves its message in `fehler`.
bool Zeichenkettenvergleich(CNV& c, const wchar_t* subjekt, const wchar_t* wert, int code, const wchar_t** fehler) {
    std::wstring_view s(subjekt), w(wert);
    if (w.empty()) return false;
    if (code == 25 || code == 27) return unicode_regex_auswerten(subjekt, wert, code == 27, fehler);
    if (s.size() < w.size()) return false;
    if (code == 13 || code == 17 || code == 21) {
        s = Klein_kopieren(s, c.vergleichstexte.klein_subjekt);
        w = Klein_kopieren(w, c.vergleichstexte.klein_wert);
    }
    switch (code) {
    case 13:
    case 15:
        return s.substr(0, w.size()) == w;
    case 17:
    case 19: {
        const std::size_t p = s.find(w);
        return p != std::wstring_view::npos && p + w.size() == s.size();
    }
    default:
        return s.find(w) != std::wstring_view::npos;
    }
}

bool Vergleichen(CNV& c, const wchar_t* subjekt, const wchar_t* wert, int code, const wchar_t** fehler) {
    if (code <= 0 || code > 28) return false;
    // The even codes from 6 on (and 2) negate the code below them; 4 is a
    // comparison of its own. A comparison that fails is false either way.
    const bool negiert = code % 2 == 0 && code != 4;
    if (negiert) return !Vergleichen(c, subjekt, wert, code - 1, fehler) && *fehler == nullptr;
    if (code >= 13) return Zeichenkettenvergleich(c, subjekt, wert, code, fehler);
    if (code == 1) return std::wcscmp(subjekt, wert) == 0;
    if ((code == 3 || code == 9 || code == 11) && Gleich_ohne_Fall(subjekt, wert)) return true;
    double x = 0, y = 0;
    if (Als_Zahlen(c, subjekt, wert, &x, &y)) {
        switch (code) {
        case 3: return x == y;
        case 4: return x != y;
        case 5: return x < y;
        case 7: return x > y;
        case 9: return x <= y;
        default: return x >= y;
        }
    }
    const int o = Ordnung_ohne_Fall(subjekt, wert);
    switch (code) {
    case 3: return false;
    case 4: return o != 0;
    case 5: return o < 0;
    case 7: return o > 0;
    case 9: return o <= 0;
    default: return o >= 0;
    }
}

// A comparison whose regular expression fails (a pattern taken from an
// attribute, a search beyond its limits) reports at the compared item.
bool Vergleichen_melden(CNV& c, int r, const wchar_t* subjekt, const wchar_t* wert, int code) {
    const wchar_t* fehler = nullptr;
    const bool ergebnis = Vergleichen(c, subjekt, wert, code, &fehler);
    if (fehler != nullptr) c.skript->Fehlermeldung(-1, 1, nullptr, L"Regulärer Ausdruck. %ls", fehler, c.basic->Item(r).begin);
    return ergebnis;
}

// The context conditions of a search on a candidate: IN and INX must hold,
// NOTIN and NOTINX must not. An attribute condition after a context name
// is tested on the element the context condition found.
bool Kontext_besteht(CNV& c, int r, int ende, int kandidat, int fokus) {
    while (r < ende) {
        const BASICtypeItems k = Art(c, r);
        if (!Ist_Kontextbefehl(k)) return false;
        int gefunden = kandidat;
        const bool inx = k == ITEM_INX || k == ITEM_NOTINX;
        const bool positiv = k == ITEM_IN || k == ITEM_INX;
        bool ok = inx ? c.Check_inx(&r, &gefunden, positiv ? L"INX" : L"NOTINX")
                      : c.Check_in(&r, &gefunden, positiv ? L"IN" : L"NOTIN");
        if (Ist_Bedingungskopf(Art(c, r))) {
            int a = r;
            if (ok) ok = c.Check_attribute(&a, &gefunden, &fokus, 0);
            r = Bedingung_Ende(c, r);
        }
        if (ok != positiv) return false;
    }
    return true;
}

bool Kandidat_besteht(CNV& c, const CNV_Suche& s, int kandidat, int fokus) {
    if (s.attribut >= 0) {
        int r = s.attribut;
        int k = kandidat;
        if (!c.Check_attribute(&r, &k, &fokus, 0)) return false;
    }
    return s.kontext < 0 || Kontext_besteht(c, s.kontext, s.kontext_ende, kandidat, fokus);
}

// A FIND over the whole document depends on the focus only through an
// attribute compared with another attribute (of the focus).
bool Vom_Fokus_frei(const CNV& c, const CNV_Suche& s) {
    if (s.bereich != 2 || s.name < 0) return false;
    if (s.attribut >= 0 && Art(c, Bedingung_Ende(c, s.attribut) - 1) == ITEM_ATTNAME) return false;
    return true;
}

constexpr int ERSCHOEPFT = -2;

}  // namespace

// ---------------------------------------------------------------- numbers

int CNV::Implied_Traeger(int rule, int element, const wchar_t* attribut) {
    if (element < 0 || element >= meta.Anzahl()) return -1;
    auto it = implied_traeger.find(std::wstring_view(attribut));
    if (it == implied_traeger.end()) it = implied_traeger.emplace(attribut, std::vector<Traegermerk>()).first;
    std::vector<Traegermerk>& merk = it->second;
    if (merk.empty()) merk.assign(static_cast<std::size_t>(meta.Anzahl()), Traegermerk{-1, ~0u});
    // Declared defaults depend on the element's name only, so answers hold
    // until an item is deleted.
    const std::uint32_t stand = static_cast<std::uint32_t>(meta.Loeschungen());
    implied_pfad.clear();
    int e = element, traeger = -1;
    for (;;) {
        if (merk[e].stand == stand) {
            traeger = merk[e].traeger;
            break;
        }
        implied_pfad.push_back(e);
        if (Traegt(*this, rule, e, attribut)) {
            traeger = e;
            break;
        }
        if (!meta.IPR_find_context_element(&e)) break;
    }
    for (int p : implied_pfad) merk[p] = Traegermerk{traeger, stand};
    return traeger;
}

bool CNV::Ist_Attributbedingung(int rule) const { return Ist_Bedingungskopf(basic->Item(rule).kind); }

// An attribute or content condition is recorded as an optional element
// name, its head (attribute name, #DAT, #PCDATA), the operator and one
// value item; implicit tests are recorded the same way.
int CNV::Attributbedingung_Ende(int r) const {
    if (Art(*this, r) == ITEM_COND_IMPLIED || Art(*this, r) == ITEM_COND_VALUE) ++r;
    if (Art(*this, r) == ITEM_NAME) ++r;
    if (!Ist_Bedingungskopf(Art(*this, r))) return r;
    ++r;
    if (Art(*this, r) != ITEM_OPERATOR) return r;
    ++r;
    if (Art(*this, r) == ITEM_ATTVALUE || Art(*this, r) == ITEM_ATTNAME) ++r;
    return r;
}

bool CNV::Numerischer_Wert(const wchar_t* text, double* wert, wchar_t* einheit) {
    if (einheit != nullptr) *einheit = 0;
    if (text == nullptr) return false;
    for (int n = 0; text[n] != 0; ++n)
        if (n == 30) return false;
    const wchar_t* p = text;
    while (*p == L' ' || *p == L'\t' || *p == L'\r' || *p == L'\n') ++p;
    wchar_t zahl[64];
    int n = 0;
    bool ziffer = false, trenner = false;
    for (;; ++p) {
        if (*p >= L'0' && *p <= L'9') {
            zahl[n++] = *p;
            ziffer = true;
        } else if ((*p == L',' || *p == L'.') && !trenner) {
            if (!ziffer) zahl[n++] = L'0';
            zahl[n++] = L'.';
            trenner = true;
        } else {
            break;
        }
    }
    if (!ziffer) return false;
    zahl[n] = 0;
    while (*p == L' ' || *p == L'\t' || *p == L'\r' || *p == L'\n') ++p;
    if (einheit != nullptr) {
        int e = 0;
        while (p[e] != 0 && p[e] != L' ' && p[e] != L'\t' && p[e] != L'\r' && p[e] != L'\n' && e < 30) {
            einheit[e] = p[e];
            ++e;
        }
        einheit[e] = 0;
    }
    if (wert != nullptr) *wert = unicode_wtof(zahl);
    return true;
}

// ---------------------------------------------------------------- conditions

int CNV::Check_attribute(int* rule, int* focus, int* other, int implied) {
    int r = *rule;
    if (Art(*this, r) == ITEM_COND_IMPLIED) implied = 1;
    if (Art(*this, r) == ITEM_COND_IMPLIED || Art(*this, r) == ITEM_COND_VALUE) ++r;
    int elementname = 0;
    if (Art(*this, r) == ITEM_NAME) elementname = basic->Namensnummer(r++);
    if (Art(*this, r) == ITEM_CONTENT_DAT || Art(*this, r) == ITEM_CONTENT_PCDATA) {
        *rule = elementname != 0 ? r - 1 : r;
        return Check_content(rule, focus);
    }
    *rule = Bedingung_Ende(*this, r);
    if (Art(*this, r) != ITEM_ATTNAME) return 0;
    int element = *focus;
    if (!meta.IPR_find_starttag_context_nr(&element, elementname)) return 0;
    const wchar_t* attribut = basic->Text(r);
    const wchar_t* subjekt = Attribut_lesen(*this, r, element, attribut, implied != 0, vergleichstexte.subjekt);
    if (subjekt == nullptr) return 0;
    const BASIC::BASICitem& op = basic->Item(r + 1);
    if (op.kind != ITEM_OPERATOR || op.value == 0) return 0;
    const wchar_t* wert = nullptr;
    if (Art(*this, r + 2) == ITEM_ATTVALUE) {
        wert = basic->Item(r + 2).begin != nullptr ? basic->Text(r + 2) : L"";
    } else if (Art(*this, r + 2) == ITEM_ATTNAME) {
        int anderes = other != nullptr ? *other : *focus;
        if (!meta.IPR_find_starttag(&anderes)) return 0;
        wert = Attribut_lesen(*this, r + 2, anderes, basic->Text(r + 2), false, vergleichstexte.wert);
    }
    if (wert == nullptr) return 0;
    const bool ergebnis = Vergleichen_melden(*this, r + 2, subjekt, wert, static_cast<int>(op.value));
    Grosse_freigeben(vergleichstexte);
    return ergebnis ? 1 : 0;
}

int CNV::Check_content(int* rule, int* focus) {
    int r = *rule;
    int elementname = 0;
    if (Art(*this, r) == ITEM_NAME) elementname = basic->Namensnummer(r++);
    *rule = Bedingung_Ende(*this, r);
    const BASICtypeItems kopf = Art(*this, r);
    if (kopf != ITEM_CONTENT_DAT && kopf != ITEM_CONTENT_PCDATA) return 0;
    const BASIC::BASICitem& op = basic->Item(r + 1);
    if (op.kind != ITEM_OPERATOR || op.value == 0 || Art(*this, r + 2) != ITEM_ATTVALUE) return 0;
    int element = *focus;
    if (!meta.IPR_find_starttag_context_nr(&element, elementname)) return 0;
    const int pcdata = kopf == ITEM_CONTENT_PCDATA ? 1 : 0;
    std::vector<wchar_t>& text = vergleichstexte.subjekt;
    meta.Inhalt_lesen(element, pcdata, 1, text);
    const wchar_t* wert = basic->Item(r + 2).begin != nullptr ? basic->Text(r + 2) : L"";
    const bool ergebnis = Vergleichen_melden(*this, r + 2, text.data(), wert, static_cast<int>(op.value));
    Grosse_freigeben(vergleichstexte);
    return ergebnis ? 1 : 0;
}

int CNV::Check_find(int* rule, int focus, const wchar_t* keyword) {
    const int anfang = *rule;
    if (Art(*this, anfang) != ITEM_FIND && Art(*this, anfang) != ITEM_NOTFIND) {
        Skriptfehler(*this, anfang, keyword, L"Schlüsselwort erwartet");
        return 0;
    }
    CNV_Suche suche;
    if (!Suche_Lesen(rule, &suche, keyword)) return 0;
    int start = focus;
    if (!meta.IPR_find_starttag(&start)) {
        Skriptfehler(*this, anfang, keyword, L"Starttag konnte nicht bestimmt werden");
        return 0;
    }
    const bool merken = Vom_Fokus_frei(*this, suche);
    if (merken) {
        auto it = find_dokument.find(anfang);
        if (it != find_dokument.end() && it->second.loeschungen == meta.Loeschungen()) return it->second.ergebnis;
    }
    int cursor = -1;
    const int ergebnis = Suche_Naechster(suche, start, &cursor) >= 0 ? 1 : 0;
    if (merken) find_dokument[anfang] = Fundstelle{meta.Loeschungen(), ergebnis};
    return ergebnis;
}

// ---------------------------------------------------------------- the search

int CNV::Suche_Lesen(int* rule, CNV_Suche* suche, const wchar_t* keyword) {
    int r = *rule;
    const BASICtypeItems k = Art(*this, r);
    if (k == ITEM_FIND || k == ITEM_NOTFIND || k == ITEM_COPY || k == ITEM_CUT || k == ITEM_DEL) ++r;
    *suche = CNV_Suche{};
    if (Art(*this, r) == ITEM_NAME) suche->name = r++;
    if (Ist_Bedingungskopf(Art(*this, r))) {
        suche->attribut = r++;
        if (Art(*this, r) != ITEM_OPERATOR) {
            Skriptfehler(*this, r, keyword, L"Vergleichsoperator erwartet");
            *rule = r;
            return 0;
        }
        ++r;
        if (Art(*this, r) != ITEM_ATTVALUE && Art(*this, r) != ITEM_ATTNAME) {
            Skriptfehler(*this, r, keyword, L"Attributwert oder Attributname erwartet");
            *rule = r;
            return 0;
        }
        ++r;
    }
    if (Ist_Kontextbefehl(Art(*this, r))) {
        suche->kontext = r;
        while (Ist_Kontextbefehl(Art(*this, r))) {
            ++r;
            if (Art(*this, r) == ITEM_PAREN) ++r;
            while (Art(*this, r) == ITEM_NAME) ++r;
            if (Ist_Bedingungskopf(Art(*this, r))) r = Bedingung_Ende(*this, r);
        }
        suche->kontext_ende = r;
    }
    if (Art(*this, r) == ITEM_RANGE) suche->bereich = static_cast<int>(basic->Item(r++).value);
    if (Art(*this, r) == ITEM_FIND_NUMBER) suche->anzahl = static_cast<int>(basic->Item(r++).value);
    *rule = r;
    return 1;
}

int CNV::Suche_Naechster(const CNV_Suche& suche, int focus, int* cursor) {
    if (*cursor == ERSCHOEPFT) return -1;
    int start = focus;
    if (!meta.IPR_find_starttag(&start)) {
        *cursor = ERSCHOEPFT;
        return -1;
    }
    // Without a name the focus element is the one candidate; PARENT has one.
    if (suche.name < 0 || suche.bereich == 4) {
        *cursor = ERSCHOEPFT;
        int kandidat = start;
        if (suche.name >= 0 &&
            !meta.IPR_find_parentelement_nr(&kandidat, meta.Item(start).level, basic->Namensnummer(suche.name)))
            return -1;
        return Kandidat_besteht(*this, suche, kandidat, start) ? kandidat : -1;
    }
    const int name = basic->Namensnummer(suche.name);
    const int ebene = meta.Item(start).level;
    for (;;) {
        int kandidat = *cursor;
        bool gefunden;
        switch (suche.bereich) {
        case 2:
            gefunden = meta.IPR_find_element_nr(&kandidat, name);
            break;
        case 6:
            if (kandidat < 0) kandidat = start;
            gefunden = meta.IPR_find_childelement_nr(&kandidat, ebene, name);
            break;
        default:
            if (kandidat < 0) kandidat = start;
            gefunden = meta.IPR_find_subelement_nr(&kandidat, ebene, name);
            break;
        }
        if (!gefunden) {
            *cursor = ERSCHOEPFT;
            return -1;
        }
        *cursor = kandidat;
        if (Kandidat_besteht(*this, suche, kandidat, start)) return kandidat;
    }
}
