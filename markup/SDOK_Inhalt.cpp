// The content of an SGML document with DTD: data and record ends, short
// references, entity and character references, marked sections, comment
// declarations and processing instructions.
#include <cwchar>
#include <cwctype>

#include "markup/SDOK.h"
#include "markup/QUELLE.h"
#include "markup/SDTDR.h"
#include "markup/SKRIPTFRAGEN.h"
#include "textio/BUF.h"

namespace {

bool Blank(wchar_t c) { return c == L' ' || c == L'\t'; }

// The length of a record end at p ("\n" or "\r\n"), 0 when none is there.
int Re_laenge(const wchar_t* p, const wchar_t* ende) {
    if (p >= ende) return 0;
    if (*p == L'\n') return 1;
    return *p == L'\r' && p + 1 < ende && p[1] == L'\n' ? 2 : 0;
}

void Setzen(std::uint64_t m[2], wchar_t c) { m[c >> 6] |= std::uint64_t{1} << (c & 63); }

bool Hat_markup(std::wstring_view text) {
    return text.find_first_of(L"<&") != std::wstring_view::npos;
}

const wchar_t* const USEMAP_LABEL = L"USEMAP";

}  // namespace

int SDOK::Karte_aktuell() const {
    if (ebenen_.empty() || !dekl_->kurzverweise) return -1;
    return ebenen_.back().karte;
}

// ------------------------------------------------------------- the loop

void SDOK::Inhalt() {
    while (!abbruch_) {
        Eingabe& e = E();
        if (e.p >= e.ende) {
            if (eingaben_.size() == 1) break;
            Entitaet_verlassen();
            continue;
        }
        if (e.zeilenanfang) {
            Zeilenanfang();
            continue;
        }
        const DTD::Inhalt inhalt = folger_->Tiefe() > 0 ? folger_->Inhalt() : DTD::MODELLIERT;
        if (inhalt == DTD::ZEICHEN || inhalt == DTD::ERSETZBAR) {
            Rohinhalt();
            continue;
        }
        const wchar_t c = *e.p;
        const int karte = Karte_aktuell();
        if (karte >= 0 && static_cast<std::uint32_t>(c) < 128 && c != L'<' && c != L'&') {
            const SDTD::Karte& k = sdtd_->Karten(karte);
            const bool erstes = ((k.erste[c >> 6] >> (c & 63)) & 1) != 0;
            if ((erstes || (Re_laenge(e.p, e.ende) > 0 && k.entitaet[SDTD::TR_RE] >= 0)) && Kurzverweis(false)) continue;
        }
        if (c == L'<') {
            Markup();
        } else if (c == L'&') {
            Referenz();
        } else if (const int n = Re_laenge(e.p, e.ende)) {
            Zeilenende(e.p, e.p + n);
        } else if (c == L'/' && net_offen_ > 0) {
            Netz_ende();
        } else if (c == L']' && !marken_.empty() && marken_.back() == static_cast<int>(eingaben_.size()) &&
                   e.ende - e.p >= 3 && e.p[1] == L']' && e.p[2] == L'>') {
            Markiert_ende();
        } else {
            Datenlauf();
        }
    }
}

// A run of characters that are no markup here.
void SDOK::Datenlauf() {
    Eingabe& e = E();
    wchar_t* p = e.p;
    std::uint64_t stopp[2] = {0, 0};
    for (wchar_t c : {L'<', L'&', L'\n', L'\r'}) Setzen(stopp, c);
    if (net_offen_ > 0) Setzen(stopp, L'/');
    if (!marken_.empty()) Setzen(stopp, L']');
    const int karte = Karte_aktuell();
    if (karte >= 0) {
        stopp[0] |= sdtd_->Karten(karte).erste[0];
        stopp[1] |= sdtd_->Karten(karte).erste[1];
    }
    wchar_t* q = p + 1;
    while (q < e.ende) {
        const auto c = static_cast<std::uint32_t>(*q);
        if (c < 128 && ((stopp[c >> 6] >> (c & 63)) & 1) != 0) break;
        ++q;
    }
    e.p = q;
    Text(p, q);
}

// Characters that are text: data in mixed content; in element content
// white space only separates, and anything else is data that must find a
// place (for which tags may be inferred).
void SDOK::Text(wchar_t* a, wchar_t* b) {
    if (!folger_->Gemischt()) {
        while (a < b && (Blank(*a) || *a == L'\r')) ++a;
        if (a == b) return;
    }
    Daten_nehmen(a, b);
}

// ------------------------------------------------------ data and records

void SDOK::Daten_nehmen(wchar_t* a, wchar_t* b) {
    if (lauf_a_ != nullptr && lauf_e_ == a) {
        lauf_e_ = b;
        return;
    }
    tokenstelle_ = a;
    Daten_beginnen();
    if (lauf_a_ != nullptr && lauf_e_ == a) {
        lauf_e_ = b;
        return;
    }
    Lauf_schreiben();
    lauf_a_ = a;
    lauf_e_ = b;
}

// Data begins: a record end held back is data before it, and the data
// must find its place.
bool SDOK::Daten_beginnen() {
    if (!ebenen_.empty() && ebenen_.back().re != nullptr) Re_ausgeben();
    const bool ok = folger_->Daten();
    if (!ebenen_.empty()) {
        Ebene& t = ebenen_.back();
        t.gesehen = t.daten_seit_rs = true;
    }
    return ok;
}

void SDOK::Lauf_schreiben() {
    if (lauf_a_ == nullptr) return;
    wchar_t* a = lauf_a_;
    wchar_t* e = lauf_e_;
    lauf_a_ = lauf_e_ = nullptr;
    const int link = ebenen_.empty() ? 0 : ebenen_.back().item;
    // Data right behind the data item before it (a record end after an
    // entity that ended the run) joins that item: an item's text is
    // terminated in place, which must not cut off the next one.
    if (aufzeichnen_ && meta_->Anzahl() > 0) {
        META::metaitem& letztes = meta_->Item(meta_->Anzahl() - 1);
        if (letztes.kind == META_DATA && static_cast<wchar_t*>(letztes.end) == a && letztes.link == link) {
            letztes.end = e;
            return;
        }
    }
    Aufnehmen(META_DATA, a, e, static_cast<int>(ebenen_.size()), 0, link);
}

// The record end held back in the innermost element becomes data: where
// data may be inferred, or right there (before a proper subelement).
void SDOK::Re_nehmen(bool folgern) {
    Ebene& t = ebenen_.back();
    wchar_t* r = t.re;
    wchar_t* r_ende = t.re_ende;
    t.re = t.re_ende = nullptr;
    if (folgern) folger_->Daten();
    else folger_->Daten_hier();
    if (lauf_a_ != nullptr && lauf_e_ == r) {
        lauf_e_ = r_ende;
    } else {
        Lauf_schreiben();
        lauf_a_ = r;
        lauf_e_ = r_ende;
    }
    if (folgern && !ebenen_.empty()) ebenen_.back().gesehen = ebenen_.back().daten_seit_rs = true;
}

void SDOK::Re_ausgeben() { Re_nehmen(true); }

void SDOK::Vor_Unterelement() {
    if (!ebenen_.empty() && ebenen_.back().re != nullptr) Re_nehmen(false);
}

// A record end. It is held back until data or a proper subelement follows
// in the same element; the first one of an element, one after nothing
// but markup on its line, and one in element content are no data.
void SDOK::Zeilenende(wchar_t* a, wchar_t* b) {
    Eingabe& e = E();
    e.p = b;
    e.zeilenanfang = true;
    Satzende(a, b);
}

void SDOK::Satzende(wchar_t* a, wchar_t* b) {
    if (ebenen_.empty() || !folger_->Gemischt()) return;
    Ebene& t = ebenen_.back();
    if (!t.gesehen || (t.markup_seit_rs && !t.daten_seit_rs)) return;
    if (t.re != nullptr) Re_ausgeben();
    Ebene& n = ebenen_.back();
    n.re = a;
    n.re_ende = b;
}

// A record starts: for the rules of record ends, and for the short
// references that begin with RS.
void SDOK::Satzanfang() {
    if (ebenen_.empty()) return;
    Ebene& t = ebenen_.back();
    t.gesehen = true;
    t.daten_seit_rs = t.markup_seit_rs = false;
}

void SDOK::Zeilenanfang() {
    E().zeilenanfang = false;
    if (ebenen_.empty()) return;
    Satzanfang();
    const DTD::Inhalt inhalt = folger_->Inhalt();
    if (inhalt == DTD::ZEICHEN || inhalt == DTD::ERSETZBAR) return;
    const int karte = Karte_aktuell();
    if (karte >= 0 && sdtd_->Karten(karte).zeilenanfang) Kurzverweis(true);
}

// ----------------------------------------------------- short references

// Blanks from p to q, a record end after them or not: a delimiter of
// blanks, else the single blanks that the map knows, else text.
bool SDOK::Kurzverweis_leer(wchar_t* p, wchar_t* q, bool zeilenende, const SDTD::Karte& k) {
    Eingabe& e = E();
    auto treffer = [&](int t, wchar_t* bis, bool re) {
        e.p = bis;
        if (re) e.zeilenanfang = true;
        Verweis(k.entitaet[static_cast<std::size_t>(t)], p);
        return true;
    };
    if (zeilenende && k.entitaet[SDTD::TR_B_RE] >= 0) return treffer(SDTD::TR_B_RE, q + Re_laenge(q, e.ende), true);
    if (q - p >= 2 && k.entitaet[SDTD::TR_BB] >= 0) return treffer(SDTD::TR_BB, q, false);
    for (wchar_t* x = p; x < q; ++x) {
        const int t = *x == L' ' ? SDTD::TR_SPACE : SDTD::TR_TAB;
        if (k.entitaet[static_cast<std::size_t>(t)] < 0) continue;
        if (x > p) {
            e.p = x;
            Text(p, x);
        }
        p = x;
        return treffer(t, x + 1, false);
    }
    e.p = q;
    Text(p, q);
    return true;
}

// A short reference delimiter of the map in force at the reading position
// (at the start of a record: one that begins with RS). True when one was
// found and replaced by its entity (or the blanks read as text).
bool SDOK::Kurzverweis(bool zeilenanfang) {
    const int karte = Karte_aktuell();
    if (karte < 0) return false;
    const SDTD::Karte& k = sdtd_->Karten(karte);
    Eingabe& e = E();
    wchar_t* p = e.p;
    auto gemappt = [&](int t) { return k.entitaet[static_cast<std::size_t>(t)] >= 0; };
    wchar_t* q = p;
    while (q < e.ende && Blank(*q)) ++q;
    const int re = Re_laenge(q, e.ende);
    int t = -1;
    wchar_t* bis = p;
    if (zeilenanfang) {
        if (q > p && re > 0 && gemappt(SDTD::TR_RS_B_RE)) t = SDTD::TR_RS_B_RE, bis = q + re;
        else if (q == p && re > 0 && gemappt(SDTD::TR_RS_RE)) t = SDTD::TR_RS_RE, bis = q + re;
        else if (q > p && gemappt(SDTD::TR_RS_B)) t = SDTD::TR_RS_B, bis = q;
        else if (gemappt(SDTD::TR_RS)) t = SDTD::TR_RS, bis = p;
        if (t < 0) return false;
    } else if (q > p) {
        return Kurzverweis_leer(p, q, re > 0, k);
    } else if (re > 0) {
        if (!gemappt(SDTD::TR_RE)) return false;
        t = SDTD::TR_RE, bis = p + re;
    } else if (*p == L'-' && p + 1 < e.ende && p[1] == L'-' && gemappt(SDTD::TR_STRICHE)) {
        t = SDTD::TR_STRICHE, bis = p + 2;
    } else {
        const wchar_t* s = std::wcschr(SDTD::EINZELN, *p);
        if (s == nullptr || *p == 0) return false;
        const int i = static_cast<int>(s - SDTD::EINZELN);
        t = i <= 9 ? SDTD::TR_ZEICHEN + i : SDTD::TR_ZEICHEN + i + 1;
        bis = p + 1;
        if (!gemappt(t)) return false;
    }
    e.p = bis;
    if (bis > p && (bis[-1] == L'\n')) e.zeilenanfang = true;
    Verweis(k.entitaet[static_cast<std::size_t>(t)], p);
    return true;
}

// A short reference to the entity of the name: replaced as a reference
// "&name;" would be (the reference item names it from the arena).
void SDOK::Verweis(int name, const wchar_t* stelle) {
    tokenstelle_ = stelle;
    const DTD& dtd = sdtd_->Modell();
    int ent = dtd.Entitaet_von(name, false);
    if (ent < 0) ent = dtd.Entitaet_von(dtd.Entitaetsname(L"#DEFAULT"), false);
    if (ent < 0) {
        Fehler_melden(L"Entität", L"Die Entität '%ls' ist nicht deklariert.", dtd.Text(name), stelle);
        return;
    }
    const wchar_t* ende = nullptr;
    wchar_t* n = const_cast<wchar_t*>(Name_im_Arena(name, &ende));
    if (n != nullptr) Entitaet_einsetzen(ent, n, const_cast<wchar_t*>(ende), stelle);
}

// -------------------------------------------------------------- markup

void SDOK::Markup() {
    Eingabe& e = E();
    wchar_t* p = e.p;
    const wchar_t n = p + 1 < e.ende ? p[1] : 0;
    const wchar_t n2 = p + 2 < e.ende ? p[2] : 0;
    if (dekl_->Namensanfang(n) || (n == L'>' && dekl_->shorttag)) return Starttag();
    if (n == L'/' && (dekl_->Namensanfang(n2) || (n2 == L'>' && dekl_->shorttag))) return Endtag();
    if (n == L'?') return Verarbeitung();
    if (n == L'!') {
        if (n2 == L'>' || (n2 == L'-' && p + 3 < e.ende && p[3] == L'-')) return Kommentar();
        if (n2 == L'[') return Markierter_bereich();
        if (dekl_->Namensanfang(n2)) {
            const wchar_t* w = p + 2;
            const wchar_t* we = w;
            while (we < e.ende && dekl_->Namenszeichen(*we)) ++we;
            std::wstring wort(w, we);
            for (wchar_t& c : wort) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
            if (wort == L"USEMAP") return Usemap();
            Fehler_melden(L"DTD", L"Diese Deklaration ist im Inhalt nicht erlaubt.", {}, p);
            const wchar_t* s = std::wmemchr(p, L'>', static_cast<std::size_t>(e.ende - p));
            e.p = s != nullptr ? const_cast<wchar_t*>(s) + 1 : e.ende;
            return;
        }
    }
    e.p = p + 1;
    Text(p, p + 1);
}

void SDOK::Kommentar() {
    Eingabe& e = E();
    wchar_t* anfang = e.p;
    wchar_t* p = e.p + 2;
    if (!ebenen_.empty()) ebenen_.back().markup_seit_rs = true;
    for (;;) {
        while (p < e.ende && (Blank(*p) || *p == L'\n' || *p == L'\r')) ++p;
        if (p < e.ende && *p == L'>') {
            e.p = p + 1;
            return;
        }
        if (e.ende - p < 2 || p[0] != L'-' || p[1] != L'-') {
            Fehler_melden(L"Kommentar", L"Ende der Kommentardeklaration (>) erwartet.", {}, p < e.ende ? p : anfang);
            e.p = p < e.ende ? p : e.ende;
            return;
        }
        wchar_t* s = p + 2;
        while (s + 1 < e.ende && !(s[0] == L'-' && s[1] == L'-')) ++s;
        if (s + 1 >= e.ende) {
            Fehler_melden(L"Kommentar", L"Ende des Kommentars erwartet.", {}, p);
            e.p = e.ende;
            return;
        }
        p = s + 2;
    }
}

void SDOK::Verarbeitung() {
    Eingabe& e = E();
    if (!ebenen_.empty()) ebenen_.back().markup_seit_rs = true;
    const wchar_t* s = std::wmemchr(e.p, L'>', static_cast<std::size_t>(e.ende - e.p));
    if (s == nullptr) {
        Fehler_melden(L"Verarbeitungsanweisung", L"Verarbeitungsanweisung-Ende (>) fehlt.", {}, e.p);
        e.p = e.ende;
        return;
    }
    e.p = const_cast<wchar_t*>(s) + 1;
}

// "<!USEMAP name>" or "<!USEMAP #EMPTY>": the map of the element it stands in.
void SDOK::Usemap() {
    Eingabe& e = E();
    wchar_t* anfang = e.p;
    wchar_t* p = e.p + 8;
    while (p < e.ende && (Blank(*p) || *p == L'\n' || *p == L'\r')) ++p;
    int karte = -1;
    if (p < e.ende && *p == L'#') {
        ++p;
        while (p < e.ende && dekl_->Namenszeichen(*p)) ++p;
    } else {
        wchar_t* a = p;
        while (p < e.ende && dekl_->Namenszeichen(*p)) ++p;
        const std::wstring_view name(a, static_cast<std::size_t>(p - a));
        karte = sdtd_->Karte_von(sdtd_->Modell().Name(name));
        if (karte < 0) Fehler_melden(USEMAP_LABEL, L"Die Kurzverweis-Tabelle '%ls' ist nicht deklariert.", name, a);
    }
    while (p < e.ende && (Blank(*p) || *p == L'\n' || *p == L'\r')) ++p;
    if (p < e.ende && *p == L'>') ++p;
    else Fehler_melden(USEMAP_LABEL, L"Ende der Deklaration (>) erwartet.", {}, anfang);
    e.p = p;
    if (!ebenen_.empty()) {
        ebenen_.back().karte = karte;
        ebenen_.back().markup_seit_rs = true;
    }
}

// ----------------------------------------------------- marked sections

void SDOK::Markierter_bereich() {
    Eingabe& e = E();
    wchar_t* anfang = e.p;
    wchar_t* p = e.p + 3;
    if (!ebenen_.empty()) ebenen_.back().markup_seit_rs = true;
    bool ignorieren = false, cdata = false, rcdata = false;
    auto schluessel = [&](std::wstring_view text) {
        for (std::size_t i = 0; i < text.size();) {
            while (i < text.size() && std::iswspace(static_cast<wint_t>(text[i]))) ++i;
            std::size_t j = i;
            while (j < text.size() && dekl_->Namenszeichen(text[j])) ++j;
            if (j == i) return i >= text.size();
            std::wstring w(text.substr(i, j - i));
            for (wchar_t& c : w) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
            if (w == L"IGNORE") ignorieren = true;
            else if (w == L"CDATA") cdata = true;
            else if (w == L"RCDATA") rcdata = true;
            else if (w != L"INCLUDE" && w != L"TEMP") return false;
            i = j;
        }
        return true;
    };
    bool gut = true;
    for (;;) {
        while (p < e.ende && (Blank(*p) || *p == L'\n' || *p == L'\r')) ++p;
        if (p >= e.ende || *p == L'[') break;
        if (*p == L'%' && p + 1 < e.ende && dekl_->Namensanfang(p[1])) {
            wchar_t* a = ++p;
            while (p < e.ende && dekl_->Namenszeichen(*p)) ++p;
            const std::wstring_view name(a, static_cast<std::size_t>(p - a));
            if (p < e.ende && *p == L';') ++p;
            const DTD& dtd = sdtd_->Modell();
            const int pe = dtd.Entitaet_von(dtd.Entitaetsname(name), true);
            if (pe < 0) {
                Fehler_melden(L"Entität", L"Die Parameter-Entität '%ls' ist nicht deklariert.", name, a);
                gut = false;
            } else if (!schluessel(dtd.Entitaeten(pe).text)) {
                gut = false;
            }
            continue;
        }
        wchar_t* a = p;
        while (p < e.ende && dekl_->Namenszeichen(*p)) ++p;
        if (p == a || !schluessel(std::wstring_view(a, static_cast<std::size_t>(p - a)))) {
            gut = false;
            if (p == a) ++p;
        }
    }
    if (!gut) Fehler_melden(L"Markierter Bereich", L"Schlüsselwort des markierten Bereichs erwartet.", {}, anfang);
    if (p >= e.ende) {
        Fehler_melden(L"Markierter Bereich", L"Der markierte Bereich wird nicht beendet.", {}, anfang);
        e.p = e.ende;
        return;
    }
    ++p;  // "["
    if (!ignorieren && !cdata && !rcdata) {
        e.p = p;
        marken_.push_back(static_cast<int>(eingaben_.size()));
        return;
    }
    // The end: the first "]]>" (IGNORE: with the sections nested in it).
    int tiefe = 1;
    wchar_t* s = p;
    for (; s + 3 <= e.ende; ++s) {
        if (ignorieren && s[0] == L'<' && s[1] == L'!' && s[2] == L'[') ++tiefe;
        else if (s[0] == L']' && s[1] == L']' && s[2] == L'>' && --tiefe == 0) break;
    }
    if (s + 3 > e.ende) {
        Fehler_melden(L"Markierter Bereich", L"Der markierte Bereich wird nicht beendet.", {}, anfang);
        e.p = e.ende;
        return;
    }
    e.p = s + 3;
    if (ignorieren) return;
    // CDATA and RCDATA: the text is data, its record ends too; RCDATA
    // knows references.
    wchar_t* ende = s;
    for (wchar_t* q = p; q < ende && !abbruch_;) {
        if (const int re = Re_laenge(q, ende)) {
            Satzende(q, q + re);
            Satzanfang();
            q += re;
            continue;
        }
        if (rcdata && *q == L'&') {
            wchar_t* r = Referenz_in(q, ende);
            if (r == q) {
                Text(q, q + 1);
                ++r;
            }
            q = r;
            continue;
        }
        wchar_t* r = q + 1;
        while (r < ende && Re_laenge(r, ende) == 0 && !(rcdata && *r == L'&')) ++r;
        Text(q, r);
        q = r;
    }
}

void SDOK::Markiert_ende() {
    E().p += 3;
    marken_.pop_back();
    if (!ebenen_.empty()) ebenen_.back().markup_seit_rs = true;
}

// -------------------------------------------------------------- references

// A reference at p in a text that is not read as an input of its own (a
// marked section of RCDATA): its item, the position after it; p when
// none stands there.
wchar_t* SDOK::Referenz_in(wchar_t* p, wchar_t* ende) {
    const wchar_t* q = p;
    long wert = 0;
    bool funktion = false, ungueltig = false;
    tokenstelle_ = p;
    if (SDTD::Zeichenreferenz(*dekl_, q, ende, wert, funktion, ungueltig)) {
        Zeichen_item(p, const_cast<wchar_t*>(q), wert, funktion, ungueltig);
        return const_cast<wchar_t*>(q);
    }
    if (p + 1 >= ende || !dekl_->Namensanfang(p[1])) return p;
    wchar_t* a = p + 1;
    wchar_t* b = a;
    while (b < ende && dekl_->Namenszeichen(*b)) ++b;
    wchar_t* nach = b < ende && (*b == L';' || *b == L'\n') ? b + 1 : b;
    Referenz_item(a, b, true);
    return nach;
}

// A character reference from p to q (its ";" included): data.
void SDOK::Zeichen_item(wchar_t* p, wchar_t* q, long wert, bool funktion, bool ungueltig) {
    if (ungueltig) {
        Fehler_melden(L"", L"Ungültige Zeichenreferenz.", {}, p);
        return;
    }
    // The item's text: the digits (from the "x" when hexadecimal) or the
    // function name, without "&#" and the closing ";" or line end.
    wchar_t* e = q;
    if (e > p + 2 && (e[-1] == L';' || e[-1] == L'\n')) --e;
    if (e > p + 2 && e[-1] == L'\r') --e;
    Daten_beginnen();
    const int link = ebenen_.empty() ? 0 : ebenen_.back().item;
    Aufnehmen(funktion ? META_DATA_NREF : META_DATA_CREF, p + 2, e, static_cast<int>(ebenen_.size()),
              static_cast<int>(wert), link);
}

void SDOK::Referenz_item(wchar_t* a, wchar_t* e, bool daten) {
    if (daten) {
        Daten_beginnen();
    } else if (!ebenen_.empty()) {
        ebenen_.back().markup_seit_rs = true;
    }
    const int link = ebenen_.empty() ? 0 : ebenen_.back().item;
    Aufnehmen(META_DATA_GREF, a, e, static_cast<int>(ebenen_.size()), 0, link);
}

void SDOK::Referenz() {
    Eingabe& e = E();
    wchar_t* p = e.p;
    tokenstelle_ = p;
    const wchar_t* q = p;
    long wert = 0;
    bool funktion = false, ungueltig = false;
    if (SDTD::Zeichenreferenz(*dekl_, q, e.ende, wert, funktion, ungueltig)) {
        e.p = const_cast<wchar_t*>(q);
        if (e.p[-1] == L'\n') e.zeilenanfang = true;
        Zeichen_item(p, e.p, wert, funktion, ungueltig);
        return;
    }
    if (p + 1 >= e.ende || !dekl_->Namensanfang(p[1])) {
        e.p = p + 1;
        Text(p, p + 1);
        return;
    }
    wchar_t* a = p + 1;
    wchar_t* b = a;
    while (b < e.ende && dekl_->Namenszeichen(*b)) ++b;
    e.p = b;
    if (b < e.ende && *b == L';') {
        e.p = b + 1;
    } else if (const int re = Re_laenge(b, e.ende)) {
        // A record end closes the reference and is no data.
        e.p = b + re;
        e.zeilenanfang = true;
    }
    if (dekl_->namecase_entitaet) Falten(a, b);
    std::wstring_view name(a, static_cast<std::size_t>(b - a));
    const std::wstring gefaltet = dekl_->namecase_entitaet ? Gefaltet(name) : std::wstring();
    if (dekl_->namecase_entitaet) name = gefaltet;
    const DTD& dtd = sdtd_->Modell();
    int ent = dtd.Entitaet_von(dtd.Entitaetsname(name), false);
    if (ent < 0 && !(skript_ != nullptr && skript_->Entitaet_definiert(name)))
        ent = dtd.Entitaet_von(dtd.Entitaetsname(L"#DEFAULT"), false);
    if (ent < 0) {
        if (skript_ == nullptr || !skript_->Entitaet_definiert(name))
            Fehler_melden(L"Entität", L"Die Entität '%ls' ist nicht deklariert.", name, p);
        Referenz_item(a, b, true);
        return;
    }
    Entitaet_einsetzen(ent, a, b, p);
}

// A reference to a declared entity (name a .. e, for its item).
void SDOK::Entitaet_einsetzen(int entitaet, wchar_t* a, wchar_t* e, const wchar_t* stelle) {
    const DTD::Entitaet& ent = sdtd_->Modell().Entitaeten(entitaet);
    const std::wstring_view name(a, static_cast<std::size_t>(e - a));
    if (skript_ != nullptr && skript_->Entitaet_definiert(name)) return Referenz_item(a, e, true);
    switch (ent.art) {
    case DTD::E_INTERN: {
        if (expandieren_ || Hat_markup(ent.text)) {
            Text_einsetzen(entitaet, ent.text, nullptr, stelle);
            return;
        }
        // A text of nothing, or of blanks where they only separate, is no
        // data: the reference is left out.
        bool leer = true;
        for (wchar_t c : ent.text) leer = leer && (c == L' ' || c == L'\t' || c == L'\n' || c == L'\r');
        if (leer && (ent.text.empty() || !folger_->Gemischt())) {
            if (!ebenen_.empty()) ebenen_.back().markup_seit_rs = true;
            return;
        }
        return Referenz_item(a, e, true);
    }
    case DTD::E_CDATA:
    case DTD::E_SDATA:
        if (!expandieren_) return Referenz_item(a, e, true);
        if (!ent.text.empty() && Budget(ent.text.size(), ent.name, stelle)) {
            // The text is no markup: one copy serves every reference, each
            // item covering all of it.
            if (static_cast<std::size_t>(entitaet) >= datentexte_.size()) datentexte_.resize(static_cast<std::size_t>(entitaet) + 1, nullptr);
            wchar_t*& t = datentexte_[static_cast<std::size_t>(entitaet)];
            if (t == nullptr) t = Ablegen(ent.text);
            if (t != nullptr) {
                Lauf_schreiben();
                Daten_nehmen(t, t + ent.text.size());
                Lauf_schreiben();
            }
        }
        return;
    case DTD::E_PI:
        if (!expandieren_) return Referenz_item(a, e, false);
        if (!ebenen_.empty()) ebenen_.back().markup_seit_rs = true;
        return;
    case DTD::E_EXTERN: {
        bool kaputt = false;
        std::unique_ptr<BUF> datei =
            SDTDR::Datei(*quelle_, ent.oeffentlich, ent.system, {}, sdtd_->Modell().Text(ent.name), ent.basis, buf_,
                         Meldestelle(stelle), &kaputt);
        if (!datei) {
            ++warnungen_;
            Fehler_melden(L"Entität", L"Die Entität '%ls' kann nicht gelesen werden.", name, stelle);
            return;
        }
        BUF* b = sdtd_->Datei_behalten(std::move(datei));
        Text_einsetzen(entitaet, std::wstring_view(b->text, static_cast<std::size_t>(b->length)), b->text, stelle);
        return;
    }
    default:
        return Referenz_item(a, e, true);
    }
}

bool SDOK::Budget(std::size_t laenge, int name, const wchar_t* stelle) {
    ersetzt_ += laenge + 16;
    if (ersetzt_ <= ersatzgrenze_) return true;
    // Named as the reference in the document names it.
    if (eingaben_.size() > 1 && eingaben_[1].entitaet >= 0)
        name = sdtd_->Modell().Entitaeten(eingaben_[1].entitaet).name;
    Fehler_melden(L"Entität", L"Die Ersetzung der Entität '%ls' ist zu groß oder zu tief verschachtelt.",
                  sdtd_->Modell().Text(name), stelle);
    abbruch_ = true;
    return false;
}

// The text of an entity read as content in the reference's place: a copy
// in the arena (names fold in it, and terminators are written behind the
// items), or the entity's own file (`eigen`, read for this reference).
bool SDOK::Text_einsetzen(int entitaet, std::wstring_view text, wchar_t* eigen, const wchar_t* stelle) {
    const DTD::Entitaet& ent = sdtd_->Modell().Entitaeten(entitaet);
    for (const Eingabe& e : eingaben_) {
        if (e.entitaet != entitaet) continue;
        Fehler_melden(L"Entität", L"Die Entität '%ls' verweist auf sich selbst (Rekursion).",
                      sdtd_->Modell().Text(ent.name), stelle);
        return false;
    }
    if (eingaben_.size() > static_cast<std::size_t>(DTD::MAX_ENTITAETSTIEFE)) {
        Fehler_melden(L"Entität", L"Die Ersetzung der Entität '%ls' ist zu groß oder zu tief verschachtelt.",
                      sdtd_->Modell().Text(ent.name), stelle);
        abbruch_ = true;
        return false;
    }
    if (!Budget(text.size(), ent.name, stelle)) return false;
    wchar_t* t = eigen != nullptr ? eigen : Ablegen(text);
    if (t == nullptr) return false;
    Lauf_schreiben();
    if (!ebenen_.empty()) ebenen_.back().markup_seit_rs = true;
    eingaben_.push_back(Eingabe{t, t, t + text.size(), entitaet, stelle, eigen != nullptr});
    return true;
}

void SDOK::Entitaet_verlassen() {
    Lauf_schreiben();
    eingaben_.pop_back();
    while (!marken_.empty() && marken_.back() > static_cast<int>(eingaben_.size())) {
        Fehler_melden(L"Markierter Bereich", L"Der markierte Bereich wird nicht beendet.", {}, E().p);
        marken_.pop_back();
    }
    if (!ebenen_.empty()) ebenen_.back().markup_seit_rs = true;
}

// Where a message about a position of another text is shown: at the
// reference to it in the document (null when there is none).
const wchar_t* SDOK::Meldestelle(const wchar_t* stelle) const {
    const wchar_t* a = buf_->text;
    const wchar_t* e = a + buf_->length;
    for (std::size_t i = eingaben_.size(); i-- > 1 && stelle != nullptr && !(stelle >= a && stelle <= e);) {
        const Eingabe& x = eingaben_[i];
        if (stelle >= x.anfang && stelle <= x.ende) stelle = x.bezug;
    }
    return stelle != nullptr && stelle >= a && stelle <= e ? stelle : nullptr;
}

// -------------------------------------------------- CDATA and RCDATA content

// Declared CDATA or RCDATA: everything is data up to "</" before a name
// (or a null end tag); RCDATA replaces references.
void SDOK::Rohinhalt() {
    Eingabe& e = E();
    wchar_t* p = e.p;
    const bool rcdata = folger_->Inhalt() == DTD::ERSETZBAR;
    if (*p == L'<' && p + 2 < e.ende && p[1] == L'/' && (dekl_->Namensanfang(p[2]) || (p[2] == L'>' && dekl_->shorttag)))
        return Endtag();
    if (*p == L'/' && net_offen_ > 0) return Netz_ende();
    if (const int re = Re_laenge(p, e.ende)) return Zeilenende(p, p + re);
    if (*p == L'&' && rcdata) return Referenz();
    wchar_t* q = p + 1;
    while (q < e.ende && *q != L'<' && *q != L'\n' && *q != L'\r' && !(rcdata && *q == L'&') &&
           !(*q == L'/' && net_offen_ > 0))
        ++q;
    e.p = q;
    Daten_nehmen(p, q);
}
