// What the conversion asks of the declarations: defaults, normalisation,
// value and content checks, and entity texts.
#include <algorithm>

#include "markup/DTD.h"
#include "textio/BUF.h"

// ------------------------------------------------------- character classes

bool DTD::Namensanfang(wchar_t z) {
    const auto c = static_cast<std::uint32_t>(z);
    if (c < 0x80) return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
    return (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
           (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) ||
           (c >= 0x2070 && c <= 0x218F) || (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) ||
           (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool DTD::Namenszeichen(wchar_t z) {
    const auto c = static_cast<std::uint32_t>(z);
    if (c < 0x80) return Namensanfang(z) || (c >= '0' && c <= '9') || c == '-' || c == '.';
    return Namensanfang(z) || c == 0xB7 || (c >= 0x300 && c <= 0x36F) || c == 0x203F || c == 0x2040;
}

bool DTD::Zeichen_erlaubt(std::uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// ---------------------------------------------------------------- defaults

namespace {
bool Enthalten(const int* gegeben, int anzahl, int name) {
    for (int i = 0; i < anzahl; ++i)
        if (gegeben[i] == name) return true;
    return false;
}
}  // namespace

void DTD::Vorgaben(int element_name, const int* gegeben, int anzahl, std::vector<int>& out) const {
    out.clear();
    const int e = Element(element_name);
    if (e < 0) return;
    for (std::int32_t i : elemente_[static_cast<std::size_t>(e)].attribute) {
        const Attribut& a = attribute_[static_cast<std::size_t>(i)];
        if ((a.vorgabe == V_WERT || a.vorgabe == V_FEST) && !Enthalten(gegeben, anzahl, a.name)) out.push_back(i);
    }
}

void DTD::Pflicht_fehlt(int element_name, const int* gegeben, int anzahl, std::vector<int>& out) const {
    out.clear();
    const int e = Element(element_name);
    if (e < 0) return;
    for (std::int32_t i : elemente_[static_cast<std::size_t>(e)].attribute) {
        const Attribut& a = attribute_[static_cast<std::size_t>(i)];
        if (a.vorgabe == V_PFLICHT && !Enthalten(gegeben, anzahl, a.name)) out.push_back(i);
    }
}

// ----------------------------------------------------------- normalisation

std::size_t DTD::Normalisieren(wchar_t* text, std::size_t laenge, bool cdata) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < laenge; ++i) {
        wchar_t c = text[i];
        if (c == L'\r' && i + 1 < laenge && text[i + 1] == L'\n') ++i;
        if (c == L'\r' || c == L'\n' || c == L'\t') c = L' ';
        text[n++] = c;
    }
    return cdata ? n : Zusammenziehen(text, n);
}

std::size_t DTD::Zusammenziehen(wchar_t* text, std::size_t laenge) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < laenge; ++i) {
        const wchar_t c = text[i];
        if (c == L' ' && (n == 0 || text[n - 1] == L' ')) continue;
        text[n++] = c;
    }
    if (n > 0 && text[n - 1] == L' ') --n;
    return n;
}

// ------------------------------------------------------------ value checks

bool DTD::Token_pruefen(std::wstring_view w, Typ typ) const {
    if (w.empty()) return false;
    switch (typ) {
    case T_NUMBER:
    case T_NUMBERS:
        return std::all_of(w.begin(), w.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
    case T_NUTOKEN:
    case T_NUTOKENS:
        if (w[0] < L'0' || w[0] > L'9') return false;
        return std::all_of(w.begin(), w.end(), Namenszeichen);
    case T_NMTOKEN:
    case T_NMTOKENS:
    case T_AUFZAEHLUNG:
        return std::all_of(w.begin(), w.end(), Namenszeichen);
    default:
        return Namensanfang(w[0]) && std::all_of(w.begin() + 1, w.end(), Namenszeichen);
    }
}

DTD::Wertbefund DTD::Wert_pruefen(int attribut, std::wstring_view wert) const {
    const Attribut& a = attribute_[static_cast<std::size_t>(attribut)];
    if (a.vorgabe == V_FEST && wert != a.wert) return W_NICHT_FEST;
    if (a.typ == T_CDATA) return W_GUT;
    if (wert.empty()) return W_LEER;
    const bool liste = a.typ == T_IDREFS || a.typ == T_ENTITIES || a.typ == T_NMTOKENS || a.typ == T_NAMES ||
                       a.typ == T_NUMBERS || a.typ == T_NUTOKENS;
    std::size_t anfang = 0;
    while (anfang <= wert.size()) {
        std::size_t ende = liste ? wert.find(L' ', anfang) : std::wstring_view::npos;
        if (ende == std::wstring_view::npos) ende = wert.size();
        const std::wstring_view w = wert.substr(anfang, ende - anfang);
        if (!Token_pruefen(w, a.typ)) return W_SYNTAX;
        if (a.typ == T_AUFZAEHLUNG || a.typ == T_NOTATION) {
            const int n = Name(w);
            if (n < 0 || !std::binary_search(a.werte.begin(), a.werte.end(), n)) return W_NICHT_IN_LISTE;
        }
        if (a.typ == T_ENTITY || a.typ == T_ENTITIES) {
            const int e = Entitaet_von(Entitaetsname(w), false);
            if (e < 0 || entitaeten_[static_cast<std::size_t>(e)].art != E_UNGEPARST) return W_KEINE_ENTITAET;
        }
        anfang = ende + 1;
    }
    return W_GUT;
}

MODELL::Befund DTD::Inhalt_pruefen(int element_name, const int* kinder, int anzahl, bool text) const {
    MODELL::Befund b;
    const int e = Element(element_name);
    if (e < 0 || elemente_[static_cast<std::size_t>(e)].inhalt == UNDEKLARIERT) {
        b.grund = MODELL::UNDEKLARIERT;
        return b;
    }
    const Elementtyp& t = elemente_[static_cast<std::size_t>(e)];
    switch (t.inhalt) {
    case MODELLIERT:
        return modelle_[static_cast<std::size_t>(t.modell)]->Pruefen(kinder, anzahl, text);
    case BELIEBIG:
        for (int i = 0; i < anzahl; ++i) {
            const int k = Element(kinder[i]);
            if (k < 0 || elemente_[static_cast<std::size_t>(k)].inhalt == UNDEKLARIERT) {
                b.grund = MODELL::UNDEKLARIERT;
                b.stelle = i;
                return b;
            }
        }
        return b;
    default:  // EMPTY, CDATA, RCDATA: no child elements; EMPTY no text either
        if (anzahl > 0) {
            b.grund = MODELL::NICHT_ERLAUBT;
            b.stelle = 0;
        } else if (text && t.inhalt == LEER) {
            b.grund = MODELL::TEXT_VERBOTEN;
        }
        return b;
    }
}

// -------------------------------------------------------- entity expansion

const wchar_t* DTD::Fehlertext(Expansionsfehler f) {
    switch (f) {
    case X_UNDEKLARIERT: return L"Die Entität '%ls' ist nicht deklariert.";
    case X_REKURSION: return L"Die Entität '%ls' verweist auf sich selbst (Rekursion).";
    case X_GRENZE: return L"Die Ersetzung der Entität '%ls' ist zu groß oder zu tief verschachtelt.";
    case X_EXTERN: return L"Die externe Entität '%ls' wird nicht gelesen.";
    case X_UNGEPARST: return L"Die Entität '%ls' ist nicht analysiert (NDATA) und hat keinen Text.";
    case X_KLEINER: return L"Das Zeichen '<' ist im Attributwert nicht erlaubt (Entität '%ls').";
    case X_SYNTAX: return L"Fehlerhafte Referenz im Text der Entität '%ls'.";
    default: return L"";
    }
}

// One reference at text[i] ("&"): a character reference is appended as its
// character, an entity reference as its expanded text. i moves past ";".
int DTD::Referenz(std::wstring_view text, std::size_t& i, bool attributwert, int tiefe, std::wstring& out,
                  Expansionsfehler& fehler, std::wstring_view& fehlername) {
    const std::size_t schluss = text.find(L';', i);
    if (schluss == std::wstring_view::npos || schluss == i + 1) {
        fehler = X_SYNTAX;
        return 0;
    }
    std::wstring_view inhalt = text.substr(i + 1, schluss - i - 1);
    i = schluss;
    if (inhalt[0] == L'#') {
        const bool hex = inhalt.size() > 1 && inhalt[1] == L'x';
        const std::wstring_view ziffern = inhalt.substr(hex ? 2 : 1);
        std::uint32_t wert = 0;
        for (wchar_t c : ziffern) {
            int d = c >= L'0' && c <= L'9' ? c - L'0' : -1;
            if (hex && d < 0 && c >= L'a' && c <= L'f') d = c - L'a' + 10;
            if (hex && d < 0 && c >= L'A' && c <= L'F') d = c - L'A' + 10;
            if (d < 0 || wert > 0x10FFFF) {
                fehler = X_SYNTAX;
                return 0;
            }
            wert = wert * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
        }
        if (ziffern.empty() || !Zeichen_erlaubt(wert)) {
            fehler = X_SYNTAX;
            return 0;
        }
        out.push_back(static_cast<wchar_t>(wert));
        return 1;
    }
    fehlername = inhalt;
    const int e = Entitaet_von(Entitaetsname(inhalt), false);
    if (e < 0) {
        fehler = X_UNDEKLARIERT;
        return 0;
    }
    const Entitaet& ent = entitaeten_[static_cast<std::size_t>(e)];
    if (ent.art == E_EXTERN || ent.art == E_UNGEPARST) {
        fehler = ent.art == E_EXTERN ? X_EXTERN : X_UNGEPARST;
        return 0;
    }
    if (!attributwert && ent.zustand == 2) {
        out.append(ent.expandiert);
        if (ent.hat_markup) markup_ = true;
        return out.size() <= MAX_ERSETZUNG ? 1 : (fehler = X_GRENZE, 0);
    }
    if (offen_.size() < entitaeten_.size()) offen_.resize(entitaeten_.size(), 0);
    if (offen_[static_cast<std::size_t>(e)]) {
        fehler = X_REKURSION;
        return 0;
    }
    offen_[static_cast<std::size_t>(e)] = 1;
    const int gut = Expandieren(ent.text, attributwert, tiefe + 1, out, fehler, fehlername);
    offen_[static_cast<std::size_t>(e)] = 0;
    return gut;
}

int DTD::Expandieren(std::wstring_view text, bool attributwert, int tiefe, std::wstring& out,
                     Expansionsfehler& fehler, std::wstring_view& fehlername) {
    if (tiefe > MAX_ENTITAETSTIEFE) {
        fehler = X_GRENZE;
        return 0;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c == L'&') {
            if (!Referenz(text, i, attributwert, tiefe, out, fehler, fehlername)) return 0;
            continue;
        }
        if (attributwert) {
            if (c == L'<') {
                fehler = X_KLEINER;
                return 0;
            }
            if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
            if (c == L'\r' || c == L'\n' || c == L'\t') c = L' ';
        } else if (c == L'<') {
            markup_ = true;
        }
        out.push_back(c);
        if (out.size() > MAX_ERSETZUNG) {
            fehler = X_GRENZE;
            return 0;
        }
    }
    return 1;
}

int DTD::Attributwert_expandieren(std::wstring_view roh, std::wstring& out, Expansionsfehler& fehler,
                                  std::wstring_view& fehlername) {
    out.clear();
    fehler = X_GUT;
    fehlername = {};
    const int gut = Expandieren(roh, true, 0, out, fehler, fehlername);
    if (gut && out.size() > roh.size()) {
        expandiert_ += out.size() - roh.size();
        if (expandiert_ > expansionsgrenze) {
            fehler = X_GRENZE;
            return 0;
        }
    }
    return gut;
}

int DTD::Entitaetstext(int entitaet, std::wstring_view& text, BUF* buf, const wchar_t* stelle) {
    Entitaet& e = entitaeten_[static_cast<std::size_t>(entitaet)];
    Expansionsfehler fehler = X_GUT;
    std::wstring_view fehlername = Text(e.name);
    if (e.parameter || e.art == E_CDATA || e.art == E_SDATA || e.art == E_PI) {
        text = e.text;
        return 1;
    }
    if (e.art == E_INTERN && e.zustand == 0) {
        std::wstring out;
        markup_ = false;
        if (offen_.size() < entitaeten_.size()) offen_.resize(entitaeten_.size(), 0);
        offen_[static_cast<std::size_t>(entitaet)] = 1;
        e.zustand = 1;
        const int gut = Expandieren(e.text, false, 1, out, fehler, fehlername);
        offen_[static_cast<std::size_t>(entitaet)] = 0;
        Entitaet& f = entitaeten_[static_cast<std::size_t>(entitaet)];
        f.zustand = gut ? 2 : -1;
        if (gut) {
            f.hat_markup = markup_;
            f.expandiert = Ablegen(std::move(out));
        } else {
            // A text too large is the fault of the entity asked for.
            if (fehler == X_GRENZE) fehlername = Text(f.name);
            f.fehler = fehler;
            f.fehlername = fehlername;
        }
    }
    const Entitaet& g = entitaeten_[static_cast<std::size_t>(entitaet)];
    if (g.art == E_EXTERN) fehler = X_EXTERN;
    if (g.art == E_UNGEPARST) fehler = X_UNGEPARST;
    if (g.zustand == 2 && fehler == X_GUT) {
        // What counts against the limit is the growth beyond the reference.
        const std::size_t referenz = Text(g.name).size() + 2;
        if (g.expandiert.size() > referenz) expandiert_ += g.expandiert.size() - referenz;
        if (expandiert_ <= expansionsgrenze) {
            text = g.expandiert;
            return 1;
        }
        fehler = X_GRENZE;
        fehlername = Text(g.name);
    }
    if (g.zustand == -1 && fehler == X_GUT) {
        fehler = static_cast<Expansionsfehler>(g.fehler);
        fehlername = g.fehlername;
    }
    if (buf != nullptr) {
        const std::wstring name(fehlername);
        buf->Fehlermeldung(-1, 0, L"Entität", Fehlertext(fehler), name.c_str(), stelle);
    }
    return 0;
}
