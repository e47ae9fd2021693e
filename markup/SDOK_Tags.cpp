// The tags of an SGML document with DTD: start tags in every SHORTTAG
// form with their attributes (values, defaults, #CURRENT, checks), end
// tags and null end tags.
#include <algorithm>
#include <cwchar>

#include "markup/SDOK.h"
#include "markup/SKRIPTFRAGEN.h"
#include "textio/BUF.h"

namespace {

bool Leer(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r'; }

const wchar_t* const STARTTAG = L"Starttag";
const wchar_t* const ENDTAG = L"Endtag";
const wchar_t* const ATTRIBUT = L"Attribut";

// The value as ISO 8879 normalises an attribute value literal: record
// ends and separators become blanks ("\r\n" one); and for every declared
// value but CDATA runs of blanks shrink to one, none at either end.
void Normalform(std::wstring& w, bool cdata) {
    std::wstring out;
    for (std::size_t i = 0; i < w.size(); ++i) {
        wchar_t c = w[i];
        if (c == L'\r' && i + 1 < w.size() && w[i + 1] == L'\n') continue;
        if (Leer(c)) c = L' ';
        if (!cdata && c == L' ' && (out.empty() || out.back() == L' ')) continue;
        out.push_back(c);
    }
    if (!cdata && !out.empty() && out.back() == L' ') out.pop_back();
    w.swap(out);
}

}  // namespace

// ------------------------------------------------------------ start tags

void SDOK::Starttag() {
    Eingabe& e = E();
    wchar_t* p = e.p;
    tokenstelle_ = p;
    std::vector<Angabe> angaben;
    bool net = false;
    const DTD& dtd = sdtd_->Modell();
    if (p[1] == L'>') {
        // "<>": the element most recently begun and still open.
        e.p = p + 2;
        const int name = folger_->Tiefe() > 0 ? folger_->Name(folger_->Tiefe() - 1) : -1;
        const int wurzel = dtd.Name(std::wstring_view(doctype_name_, static_cast<std::size_t>(doctype_name_ende_ - doctype_name_)));
        const int n = name >= 0 ? name : wurzel;
        tag_ = Tag{true, nullptr, nullptr, &angaben, false, false};
        folger_->Start(n, n >= 0 ? dtd.Text(n) : std::wstring_view());
    } else {
        wchar_t* a = p + 1;
        wchar_t* q = a;
        while (q < e.ende && dekl_->Namenszeichen(*q)) ++q;
        e.p = q;
        Angaben_lesen(angaben, net, p);
        const std::wstring_view text(a, static_cast<std::size_t>(q - a));
        tag_ = Tag{true, a, q, &angaben, net, false};
        folger_->Start(dtd.Name(text), text);
    }
    tag_.aktiv = false;
    if (tag_.leer && !abbruch_) {
        leer_schluss_ = true;
        folger_->Leer_beenden();
        leer_schluss_ = false;
    }
}

// The attribute specifications up to the tag's end: ">", "<" (an
// unclosed tag), "/" (a net-enabling start tag). False after a message.
bool SDOK::Angaben_lesen(std::vector<Angabe>& angaben, bool& net, const wchar_t* stelle) {
    Eingabe& e = E();
    wchar_t* q = e.p;
    for (;;) {
        while (q < e.ende && Leer(*q)) ++q;
        if (q >= e.ende) {
            Fehler_melden(STARTTAG, L"Die Ende-Markierung (>) des Starttags fehlt.", {}, stelle);
            e.p = q;
            return false;
        }
        const wchar_t c = *q;
        if (c == L'>') {
            ++q;
            break;
        }
        if (dekl_->shorttag && c == L'<') break;
        if (dekl_->shorttag && c == L'/') {
            ++q;
            net = true;
            break;
        }
        if (!dekl_->Namenszeichen(c)) {
            Fehler_melden(STARTTAG, L"Unerwartetes Zeichen im Tag.", {}, q);
            ++q;
            continue;
        }
        wchar_t* a = q;
        while (q < e.ende && dekl_->Namenszeichen(*q)) ++q;
        wchar_t* b = q;
        wchar_t* r = q;
        while (r < e.ende && Leer(*r)) ++r;
        if (r < e.ende && *r == L'=') {
            ++r;
            while (r < e.ende && Leer(*r)) ++r;
            if (r < e.ende && (*r == L'"' || *r == L'\'')) {
                const wchar_t* s = std::wmemchr(r + 1, *r, static_cast<std::size_t>(e.ende - r - 1));
                if (s == nullptr) {
                    Fehler_melden(ATTRIBUT, *r == L'"' ? L"Endezeichen der Zeichenkette (\") fehlt."
                                                       : L"Endezeichen der alternativen Zeichenkette (') fehlt.",
                                  {}, r);
                    e.p = e.ende;
                    return false;
                }
                angaben.push_back(Angabe{a, b, r + 1, const_cast<wchar_t*>(s), true});
                q = const_cast<wchar_t*>(s) + 1;
                continue;
            }
            wchar_t* v = r;
            while (r < e.ende && dekl_->Namenszeichen(*r)) ++r;
            if (r == v) {
                Fehler_melden(ATTRIBUT, L"Attributwert fehlt.", {}, r);
                q = r;
                continue;
            }
            angaben.push_back(Angabe{a, b, v, r, false});
            q = r;
            continue;
        }
        // A value without its name (SHORTTAG).
        angaben.push_back(Angabe{nullptr, nullptr, a, b, false});
    }
    e.p = q;
    return true;
}

// The attributes of a start tag as the inference placed it (the element
// and its item are the innermost now): the written ones, then defaults.
void SDOK::Attribute_schreiben(int element, int name, std::vector<Angabe>& angaben, const wchar_t* stelle,
                               bool& leer) {
    (void)name;
    const DTD& dtd = sdtd_->Modell();
    const int elementname = element >= 0 ? dtd.Elemente(element).name : -1;
    const int level = static_cast<int>(ebenen_.size()) - 1;
    const int link = ebenen_.size() > 1 ? ebenen_[ebenen_.size() - 2].item : 0;
    std::vector<Wertstueck> stuecke;
    std::wstring wert;
    // The attributes given are marked with the tag's number, so that
    // neither a repetition nor a default costs a search of the tag.
    ++tagnummer_;
    if (gegeben_.size() < static_cast<std::size_t>(dtd.Attributzahl())) gegeben_.resize(static_cast<std::size_t>(dtd.Attributzahl()), 0);
    for (Angabe& a : angaben) {
        wchar_t* n_a = a.name;
        wchar_t* n_e = a.name_ende;
        int attribut = -1;
        if (n_a != nullptr) {
            Falten(n_a, n_e);
            const std::wstring_view text(n_a, static_cast<std::size_t>(n_e - n_a));
            attribut = dtd.Attribut_von(elementname, dtd.Name(text));
            if (attribut < 0 && element >= 0)
                Fehler_melden(L"DTD", L"Das Attribut '%ls' ist für dieses Element nicht deklariert.", text, n_a);
        } else {
            const std::wstring_view text(a.wert, static_cast<std::size_t>(a.wert_ende - a.wert));
            const int token = dtd.Name(text);
            for (int i : element >= 0 ? dtd.Elemente(element).attribute : std::vector<std::int32_t>{}) {
                const DTD::Attribut& at = dtd.Attribute(i);
                if (at.typ == DTD::T_AUFZAEHLUNG && std::binary_search(at.werte.begin(), at.werte.end(), token)) {
                    attribut = i;
                    break;
                }
            }
            if (attribut < 0) {
                Fehler_melden(L"DTD", L"Der Wert '%ls' steht in keiner Namensgruppe eines Attributs dieses Elements.",
                              text, a.wert);
                continue;
            }
            const wchar_t* ende = nullptr;
            n_a = const_cast<wchar_t*>(Name_im_Arena(dtd.Attribute(attribut).name, &ende));
            n_e = const_cast<wchar_t*>(ende);
        }
        if (attribut >= 0 && Gegeben(attribut)) {
            Fehler_melden(L"DTD", L"Das Attribut '%ls' ist im Starttag mehrfach angegeben.",
                          dtd.Text(dtd.Attribute(attribut).name), a.name != nullptr ? a.name : a.wert);
            continue;
        }
        a.attribut = attribut;
        if (attribut >= 0) gegeben_[static_cast<std::size_t>(attribut)] = tagnummer_;
        if (n_a == nullptr) continue;
        if (Aufnehmen(META_ATTR_NAME, n_a, n_e, level, 0, link) != 0) {
            const std::wstring_view text(n_a, static_cast<std::size_t>(n_e - n_a));
            meta_->Name_mitteilen(attribut >= 0 ? Laufnummer(dtd.Attribute(attribut).name) : Laufnummer(-1));
            (void)text;
        }
        static const DTD::Attribut cdata;
        const DTD::Attribut& at = attribut >= 0 ? dtd.Attribute(attribut) : cdata;
        stuecke.clear();
        wert.clear();
        Wert_lesen(a, at, stuecke, wert, stelle);
        for (const Wertstueck& w : stuecke) Aufnehmen(w.art, w.a, w.e, level, w.wert, link);
        if (attribut < 0) continue;
        Wert_pruefen(attribut, wert, a.wert);
        if (at.vorgabe == DTD::V_CONREF) leer = true;
        if (at.vorgabe == DTD::V_AKTUELL) {
            const int liste = sdtd_->Liste(attribut);
            if (liste >= 0) {
                if (static_cast<std::size_t>(liste) >= aktuelle_werte_.size()) aktuelle_werte_.resize(static_cast<std::size_t>(liste) + 1);
                auto& werte = aktuelle_werte_[static_cast<std::size_t>(liste)];
                const wchar_t* t = Ablegen(wert);
                const std::wstring_view abgelegt = t != nullptr ? std::wstring_view(t, wert.size()) : std::wstring_view();
                bool ersetzt = false;
                for (auto& [n, v] : werte)
                    if (n == at.name) v = abgelegt, ersetzt = true;
                if (!ersetzt) werte.emplace_back(at.name, abgelegt);
            }
        }
    }
    Vorgaben_schreiben(element, stelle, leer);
}

void SDOK::Vorgaben_schreiben(int element, const wchar_t* stelle, bool& leer) {
    if (element < 0) return;
    const DTD& dtd = sdtd_->Modell();
    if (dtd.Elemente(element).inhalt == DTD::LEER) leer = true;
    const int level = static_cast<int>(ebenen_.size()) - 1;
    const int link = ebenen_.size() > 1 ? ebenen_[ebenen_.size() - 2].item : 0;
    for (int i : dtd.Elemente(element).attribute) {
        if (Gegeben(i)) continue;
        const DTD::Attribut& at = dtd.Attribute(i);
        std::wstring_view wert;
        switch (at.vorgabe) {
        case DTD::V_WERT:
        case DTD::V_FEST:
            wert = at.wert;
            break;
        case DTD::V_PFLICHT:
            Fehler_melden(L"DTD", L"Das Pflichtattribut '%ls' fehlt.", dtd.Text(at.name), stelle);
            continue;
        case DTD::V_AKTUELL: {
            const int liste = sdtd_->Liste(i);
            bool da = false;
            if (liste >= 0 && static_cast<std::size_t>(liste) < aktuelle_werte_.size())
                for (const auto& [n, v] : aktuelle_werte_[static_cast<std::size_t>(liste)])
                    if (n == at.name) wert = v, da = true;
            if (!da) {
                Fehler_melden(L"DTD", L"Das Attribut '%ls' (#CURRENT) muss beim ersten Element angegeben werden.",
                              dtd.Text(at.name), stelle);
                continue;
            }
            break;
        }
        default:
            continue;
        }
        const wchar_t* ende = nullptr;
        wchar_t* n = const_cast<wchar_t*>(Name_im_Arena(at.name, &ende));
        if (n == nullptr || Aufnehmen(META_ATTR_NAME, n, const_cast<wchar_t*>(ende), level, 0, link) == 0) continue;
        meta_->Name_mitteilen(Laufnummer(at.name));
        if (wert.empty()) continue;
        // Defaults are laid down once per attribute; #CURRENT values are
        // in the arena already.
        wchar_t* t = const_cast<wchar_t*>(wert.data());
        if (at.vorgabe != DTD::V_AKTUELL) {
            if (static_cast<std::size_t>(i) >= vorgabetexte_.size()) vorgabetexte_.resize(static_cast<std::size_t>(i) + 1, nullptr);
            if (vorgabetexte_[static_cast<std::size_t>(i)] == nullptr) vorgabetexte_[static_cast<std::size_t>(i)] = Ablegen(wert);
            t = vorgabetexte_[static_cast<std::size_t>(i)];
            if (t == nullptr) continue;
        }
        Aufnehmen(META_ATTR_DATA, t, t + wert.size(), level, 0, link);
    }
}

// The value pieces of an attribute as items, and its value as the checks
// see it (normalised, references replaced, names folded).
bool SDOK::Wert_lesen(const Angabe& a, const DTD::Attribut& at, std::vector<Wertstueck>& stuecke,
                      std::wstring& wert, const wchar_t* stelle) {
    (void)stelle;
    const bool cdata = at.typ == DTD::T_CDATA;
    const bool falten = !cdata && at.typ != DTD::T_ENTITY && at.typ != DTD::T_ENTITIES;
    if (!a.literal) {
        if (falten) Falten(a.wert, a.wert_ende);
        wert.assign(a.wert, a.wert_ende);
        if (falten) wert = Gefaltet(wert);
        stuecke.push_back({META_ATTR_DATA, a.wert, a.wert_ende, 0});
        return true;
    }
    const DTD& dtd = sdtd_->Modell();
    // A run of text as a piece: record ends and separators become blanks,
    // in a copy when there are any.
    auto lauf = [&](wchar_t* x, wchar_t* y) {
        if (x == y) return;
        std::wstring text(x, y);
        Normalform(text, true);
        wert += text;
        if (text.size() == static_cast<std::size_t>(y - x) && std::equal(text.begin(), text.end(), x)) {
            stuecke.push_back({META_ATTR_DATA, x, y, 0});
        } else if (!text.empty()) {
            wchar_t* t = Ablegen(text);
            if (t != nullptr) stuecke.push_back({META_ATTR_DATA, t, t + text.size(), 0});
        }
    };
    wchar_t* p = a.wert;
    wchar_t* s = p;
    while (p < a.wert_ende) {
        if (*p != L'&' || p + 1 >= a.wert_ende) {
            ++p;
            continue;
        }
        const wchar_t* q = p;
        long code = 0;
        bool funktion = false, ungueltig = false;
        if (SDTD::Zeichenreferenz(*dekl_, q, a.wert_ende, code, funktion, ungueltig)) {
            lauf(s, p);
            if (ungueltig) {
                Fehler_melden(L"", L"Ungültige Zeichenreferenz.", {}, p);
            } else {
                wchar_t* e = const_cast<wchar_t*>(q);
                if (e[-1] == L';' || e[-1] == L'\n') --e;
                stuecke.push_back({funktion ? META_ATTR_NREF : META_ATTR_CREF, p + 2, e, static_cast<int>(code)});
                if (!(funktion && code == 10)) wert.push_back(funktion && (code == 13 || code == 9) ? L' ' : static_cast<wchar_t>(code));
            }
            p = s = const_cast<wchar_t*>(q);
            continue;
        }
        if (!dekl_->Namensanfang(p[1])) {
            ++p;
            continue;
        }
        lauf(s, p);
        wchar_t* n = p + 1;
        wchar_t* ne = n;
        while (ne < a.wert_ende && dekl_->Namenszeichen(*ne)) ++ne;
        wchar_t* nach = ne < a.wert_ende && (*ne == L';' || *ne == L'\n') ? ne + 1 : ne;
        if (dekl_->namecase_entitaet) Falten(n, ne);
        const std::wstring name = dekl_->namecase_entitaet ? Gefaltet(std::wstring_view(n, static_cast<std::size_t>(ne - n)))
                                                           : std::wstring(n, ne);
        const bool skript = skript_ != nullptr && skript_->Entitaet_definiert(name);
        std::wstring text, fehlt;
        const std::wstring roh = L"&" + name + L";";
        const bool bekannt = sdtd_->Wert_expandieren(roh, text, 0, fehlt);
        if (!bekannt && !skript) {
            Fehler_melden(L"Entität", L"Die Entität '%ls' ist nicht deklariert.", fehlt, p);
        }
        if (expandieren_ && bekannt && !skript) {
            Normalform(text, true);
            wchar_t* t = Ablegen(text);
            if (t != nullptr && !text.empty()) stuecke.push_back({META_ATTR_DATA, t, t + text.size(), 0});
        } else {
            stuecke.push_back({META_ATTR_GREF, n, ne, 0});
        }
        wert += bekannt ? text : roh;
        (void)dtd;
        p = s = nach;
    }
    lauf(s, a.wert_ende);
    if (cdata) return true;
    // Other declared values are one normalised, folded token list: one
    // piece, the written text itself where it already is that.
    Normalform(wert, false);
    if (falten) wert = Gefaltet(wert);
    const bool einzeln = stuecke.size() == 1 && stuecke[0].art == META_ATTR_DATA &&
                         static_cast<std::size_t>(stuecke[0].e - stuecke[0].a) == wert.size();
    if (einzeln) {
        std::copy(wert.begin(), wert.end(), stuecke[0].a);
        return true;
    }
    stuecke.clear();
    if (wert.empty()) return true;
    wchar_t* t = Ablegen(wert);
    if (t != nullptr) stuecke.push_back({META_ATTR_DATA, t, t + wert.size(), 0});
    return true;
}

void SDOK::Wert_pruefen(int attribut, std::wstring_view wert, const wchar_t* stelle) {
    const DTD& dtd = sdtd_->Modell();
    const DTD::Attribut& at = dtd.Attribute(attribut);
    switch (dtd.Wert_pruefen(attribut, wert)) {
    case DTD::W_GUT:
        break;
    case DTD::W_NICHT_IN_LISTE:
        Fehler_melden(L"DTD", L"Der Wert '%ls' ist für dieses Attribut nicht erlaubt.", wert, stelle);
        return;
    case DTD::W_NICHT_FEST:
        Fehler_melden(L"DTD", L"Das Attribut '%ls' hat nicht seinen festen Wert (#FIXED).", dtd.Text(at.name), stelle);
        return;
    case DTD::W_KEINE_ENTITAET:
        Fehler_melden(L"DTD", L"Der Wert '%ls' nennt keine nicht analysierte Entität.", wert, stelle);
        return;
    default:
        Fehler_melden(L"DTD", L"Der Wert '%ls' passt nicht zum Typ des Attributs.", wert, stelle);
        return;
    }
    if (at.typ == DTD::T_ID) {
        if (!ids_.ID(wert, stelle)) Fehler_melden(L"DTD", L"Die ID '%ls' ist mehrfach vergeben.", wert, stelle);
    } else if (at.typ == DTD::T_IDREF || at.typ == DTD::T_IDREFS) {
        std::size_t i = 0;
        while (i < wert.size()) {
            std::size_t j = wert.find(L' ', i);
            if (j == std::wstring_view::npos) j = wert.size();
            if (j > i) ids_.Verweis(wert.substr(i, j - i), stelle);
            i = j + 1;
        }
    }
}

// -------------------------------------------------------------- end tags

void SDOK::Endtag() {
    Eingabe& e = E();
    wchar_t* p = e.p;
    tokenstelle_ = p;
    const DTD& dtd = sdtd_->Modell();
    if (p[2] == L'>') {
        // "</>": the innermost open element ends.
        e.p = p + 3;
        endtag_a_ = endtag_e_ = nullptr;
        if (folger_->Tiefe() == 0) {
            Fehler_melden(ENDTAG, L"Der Endtag '%ls' schließt kein offenes Element.", L"", p);
            return;
        }
        const int name = folger_->Name(folger_->Tiefe() - 1);
        folger_->Ende(name, dtd.Text(name));
        return;
    }
    wchar_t* a = p + 2;
    wchar_t* b = a;
    while (b < e.ende && dekl_->Namenszeichen(*b)) ++b;
    wchar_t* q = b;
    while (q < e.ende && Leer(*q)) ++q;
    if (q < e.ende && *q == L'>') ++q;
    else if (!(dekl_->shorttag && q < e.ende && *q == L'<'))
        Fehler_melden(ENDTAG, L"Die Ende-Markierung (>) des Endtags fehlt.", {}, q < e.ende ? q : p);
    e.p = q;
    Falten(a, b);
    endtag_a_ = a;
    endtag_e_ = b;
    const std::wstring_view text(a, static_cast<std::size_t>(b - a));
    folger_->Ende(dtd.Name(text), text);
    endtag_a_ = endtag_e_ = nullptr;
}

// A null end tag ("/") ends the innermost element begun by a net-enabling
// start tag, and the elements in it.
void SDOK::Netz_ende() {
    Eingabe& e = E();
    tokenstelle_ = e.p;
    ++e.p;
    for (std::size_t i = ebenen_.size(); i-- > 0;) {
        if (!ebenen_[i].net) continue;
        endtag_a_ = endtag_e_ = nullptr;
        const int name = folger_->Name(static_cast<int>(i));
        folger_->Ende(name, sdtd_->Modell().Text(name));
        return;
    }
}
