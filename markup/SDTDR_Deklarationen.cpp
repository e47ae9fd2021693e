// The markup declarations of an SGML DTD: ELEMENT, ATTLIST, ENTITY,
// NOTATION, SHORTREF and USEMAP, marked sections, comment declarations
// and processing instructions; after the last of them the attribute
// defaults and the short reference maps.
#include <algorithm>
#include <cwchar>
#include <cwctype>

#include "markup/SDTDR.h"
#include "textio/BUF.h"

namespace {
const wchar_t* const ELEMENT = L"ELEMENT";
const wchar_t* const ATTLIST = L"ATTLIST";
const wchar_t* const ENTITY = L"ENTITY";
const wchar_t* const NOTATION = L"NOTATION";
const wchar_t* const SHORTREF = L"SHORTREF";
const wchar_t* const USEMAP = L"USEMAP";
const wchar_t* const MARKIERT = L"Markierter Bereich";

bool Leerzeichen(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r'; }

// Record ends and separators of an attribute value literal become blanks
// ("\r\n" one); for every type but CDATA the blanks then shrink.
std::wstring Normalform(std::wstring_view roh, bool cdata) {
    std::wstring w;
    for (std::size_t i = 0; i < roh.size(); ++i) {
        const wchar_t c = roh[i];
        if (c == L'\r' && i + 1 < roh.size() && roh[i + 1] == L'\n') continue;
        w.push_back(Leerzeichen(c) ? L' ' : c);
    }
    if (cdata) return w;
    std::wstring out;
    for (wchar_t c : w) {
        if (c == L' ' && (out.empty() || out.back() == L' ')) continue;
        out.push_back(c);
    }
    if (!out.empty() && out.back() == L' ') out.pop_back();
    return out;
}

}  // namespace

// -------------------------------------------- comments and instructions

// "<!>" or "<!" with comments and blanks, then ">"; in the current input.
void SDTDR::Kommentar() {
    const wchar_t* anfang = Stelle();
    Nimm(L"<!");
    Eingabe& e = stapel_.back();
    for (;;) {
        while (e.p < e.ende && Leerzeichen(*e.p)) ++e.p;
        if (e.p < e.ende && *e.p == L'>') {
            ++e.p;
            return;
        }
        if (e.ende - e.p < 2 || e.p[0] != L'-' || e.p[1] != L'-') {
            Fehler(L"Kommentar", L"Ende der Kommentardeklaration (>) erwartet.", e.p < e.ende ? e.p : anfang);
            Ueberspringen();
            return;
        }
        const wchar_t* s = e.p + 2;
        while (s + 1 < e.ende && !(s[0] == L'-' && s[1] == L'-')) ++s;
        if (s + 1 >= e.ende) {
            Fehler(L"Kommentar", L"Ende des Kommentars erwartet.", e.p);
            e.p = e.ende;
            return;
        }
        e.p = s + 2;
    }
}

void SDTDR::Verarbeitung() {
    Eingabe& e = stapel_.back();
    const wchar_t* s = std::wmemchr(e.p, L'>', static_cast<std::size_t>(e.ende - e.p));
    if (s == nullptr) {
        Fehler(L"Verarbeitungsanweisung", L"Verarbeitungsanweisung-Ende (>) fehlt.", e.p);
        e.p = e.ende;
        return;
    }
    e.p = s + 1;
}

// ------------------------------------------------------ marked sections

// "<![", status keywords (parameter entities may give them), "[". IGNORE
// wins over the others; CDATA and RCDATA sections have no place in a DTD
// and are passed over too.
void SDTDR::Markiert() {
    const wchar_t* stelle = Stelle();
    Nimm(L"<![");
    bool uebergehen = false;
    for (;;) {
        Ps();
        if (Nimm(L"[")) break;
        std::wstring wort;
        if (!Schluessel(wort) ||
            (wort != L"IGNORE" && wort != L"INCLUDE" && wort != L"TEMP" && wort != L"CDATA" && wort != L"RCDATA")) {
            Fehler(MARKIERT, L"Schlüsselwort des markierten Bereichs erwartet.", Stelle());
            Ueberspringen();
            return;
        }
        if (wort == L"IGNORE" || wort == L"CDATA" || wort == L"RCDATA") uebergehen = true;
    }
    if (uebergehen) {
        Abschnitt_uebergehen(stelle);
        return;
    }
    abschnitte_.push_back(stapel_.back().nummer);
}

// The rest of an ignored section, with the sections nested in it, skipped
// as text of the current input.
void SDTDR::Abschnitt_uebergehen(const wchar_t* stelle) {
    Eingabe& e = stapel_.back();
    int tiefe = 1;
    const wchar_t* p = e.p;
    while (p < e.ende) {
        if (e.ende - p >= 3 && p[0] == L'<' && p[1] == L'!' && p[2] == L'[') {
            ++tiefe;
            p += 3;
        } else if (e.ende - p >= 3 && p[0] == L']' && p[1] == L']' && p[2] == L'>') {
            p += 3;
            if (--tiefe == 0) {
                e.p = p;
                return;
            }
        } else {
            ++p;
        }
    }
    Fehler(MARKIERT, L"Der bedingte Abschnitt wird in dieser Entität nicht beendet.", stelle);
    e.p = e.ende;
}

// ------------------------------------------------------------- helpers

bool SDTDR::Ende(const wchar_t* label) {
    Ps();
    if (Nimm(L">")) return true;
    Fehler(label, L"Ende der Deklaration (>) erwartet.", Stelle());
    Ueberspringen();
    return false;
}

// "(" name (connector name)* ")", the names folded as general names.
bool SDTDR::Namensgruppe(std::vector<int>& namen, const wchar_t* label) {
    if (!Nimm(L"(")) return false;
    for (;;) {
        Ps();
        if (!Name(name_)) {
            Fehler(label, L"Name erwartet.", Stelle());
            return false;
        }
        namen.push_back(dtd_->Name_aufnehmen(name_));
        Ps();
        if (Nimm(L")")) return true;
        if (!Nimm(L"|") && !Nimm(L",") && !Nimm(L"&")) {
            Fehler(label, L"Name erwartet.", Stelle());
            return false;
        }
    }
}

bool SDTDR::Namen(std::vector<int>& namen, const wchar_t* label) {
    namen.clear();
    if (Z() == L'(') return Namensgruppe(namen, label);
    if (!Name(name_)) {
        Fehler(label, L"Name erwartet.", Stelle());
        return false;
    }
    namen.push_back(dtd_->Name_aufnehmen(name_));
    return true;
}

// ------------------------------------------------------------- ELEMENT

void SDTDR::Element() {
    const wchar_t* stelle = Stelle();
    std::vector<int> namen;
    if (!Ps_pflicht(ELEMENT) || !Namen(namen, ELEMENT)) return Ueberspringen();
    // A rank suffix is read past.
    while (Z() >= L'0' && Z() <= L'9') W();
    Ps_pflicht(ELEMENT);
    // Omitted tag minimization: two tokens, each "-" or "O".
    bool start_o = false, ende_o = false;
    auto minimierung = [this](bool& o) {
        Z();
        Eingabe& e = stapel_.back();
        if (e.p >= e.ende) return false;
        const bool strich = *e.p == L'-' && !(e.p + 1 < e.ende && (e.p[1] == L'(' || e.p[1] == L'-'));
        const bool oh = (*e.p == L'O' || *e.p == L'o') && !(e.p + 1 < e.ende && dekl_->Namenszeichen(e.p[1]));
        if (!strich && !oh) return false;
        o = oh;
        ++e.p;
        return true;
    };
    if (minimierung(start_o)) {
        Ps();
        if (!minimierung(ende_o)) {
            Fehler(ELEMENT, L"Inhaltsdeklaration erwartet (CDATA, RCDATA, EMPTY, ANY oder Gruppe).", Stelle());
            return Ueberspringen();
        }
        Ps();
    }
    DTD::Inhalt inhalt = DTD::MODELLIERT;
    std::unique_ptr<MODELL> modell;
    const wchar_t* modellstelle = Stelle();
    if (Z() == L'(') {
        modell = std::make_unique<MODELL>();
        const int wurzel = Modellgruppe(*modell, 0, modellstelle);
        if (wurzel < 0) return Ueberspringen();
        const std::wstring_view erster = dtd_->Text(namen.front());
        if (!modell->Uebersetzen(wurzel)) {
            Fehler(ELEMENT, L"Das Inhaltsmodell von '%ls' ist zu groß oder zu tief verschachtelt.", modellstelle, erster);
            return Ueberspringen();
        }
        if (modell->Mehrdeutig())
            Fehler(ELEMENT, L"Das Inhaltsmodell von '%ls' ist nicht deterministisch (mehrdeutig).", modellstelle, erster);
    } else {
        std::wstring wort;
        Schluessel(wort);
        if (wort == L"CDATA") inhalt = DTD::ZEICHEN;
        else if (wort == L"RCDATA") inhalt = DTD::ERSETZBAR;
        else if (wort == L"EMPTY") inhalt = DTD::LEER;
        else if (wort == L"ANY") inhalt = DTD::BELIEBIG;
        else {
            Fehler(ELEMENT, L"Inhaltsdeklaration erwartet (CDATA, RCDATA, EMPTY, ANY oder Gruppe).", modellstelle);
            return Ueberspringen();
        }
    }
    // Exceptions: exclusions, then inclusions.
    std::vector<int> aus, ein;
    if (inhalt == DTD::MODELLIERT || inhalt == DTD::BELIEBIG) {
        Ps();
        if (Folgt(L"-(")) {
            W();
            if (!Namensgruppe(aus, ELEMENT)) return Ueberspringen();
            Ps();
        }
        if (Folgt(L"+(")) {
            W();
            if (!Namensgruppe(ein, ELEMENT)) return Ueberspringen();
        }
    }
    if (!Ende(ELEMENT)) return;
    BUF* quelle = Puffer_von(stelle);
    for (int n : namen) {
        std::unique_ptr<MODELL> kopie = modell ? std::make_unique<MODELL>(*modell) : nullptr;
        if (!dtd_->Element_deklarieren(n, inhalt, std::move(kopie), quelle, stelle)) {
            Fehler(ELEMENT, L"Das Element '%ls' ist mehrfach deklariert.", stelle, dtd_->Text(n));
            continue;
        }
        DTD::Elementtyp& t = dtd_->Elementtyp_von(n);
        t.start_auslassbar = start_o;
        t.ende_auslassbar = ende_o;
        t.ausschluss = aus;
        t.einschluss = ein;
    }
}

MODELL::Wdh SDTDR::Haeufigkeit() {
    const Eingabe& e = stapel_.back();
    if (e.p >= e.ende) return MODELL::EINMAL;
    switch (*e.p) {
    case L'?': W(); return MODELL::OPTIONAL;
    case L'*': W(); return MODELL::STERN;
    case L'+': W(); return MODELL::PLUS;
    default: return MODELL::EINMAL;
    }
}

// A model group at "(" with its occurrence indicator; its node, -1 after
// a message.
int SDTDR::Modellgruppe(MODELL& m, int tiefe, const wchar_t* stelle) {
    if (tiefe > MODELL::MAX_TIEFE) {
        Fehler(ELEMENT, L"Das Inhaltsmodell von '%ls' ist zu groß oder zu tief verschachtelt.", stelle, L"?");
        return -1;
    }
    W();  // "("
    std::vector<int> kinder;
    wchar_t verbinder = 0;
    for (;;) {
        Ps();
        int k;
        if (Z() == L'(') {
            k = Modellgruppe(m, tiefe + 1, stelle);
            if (k < 0) return -1;
        } else if (Nimm(L"#")) {
            std::wstring wort;
            if (!Schluessel(wort) || wort != L"PCDATA") {
                Fehler(ELEMENT, L"Fehlerhaftes Inhaltsmodell.", Stelle());
                return -1;
            }
            k = m.Blatt(pcdata_, MODELL::STERN);
        } else if (Name(name_)) {
            const int n = dtd_->Name_aufnehmen(name_);
            k = m.Blatt(n, Haeufigkeit());
        } else {
            Fehler(ELEMENT, L"Fehlerhaftes Inhaltsmodell.", Stelle());
            return -1;
        }
        kinder.push_back(k);
        Ps();
        const wchar_t c = Z();
        if (c == L')') {
            W();
            break;
        }
        if ((c != L',' && c != L'|' && c != L'&') || (verbinder != 0 && c != verbinder)) {
            Fehler(ELEMENT, L"Fehlerhaftes Inhaltsmodell.", Stelle());
            return -1;
        }
        verbinder = c;
        W();
    }
    const MODELL::Art art = verbinder == L'|' ? MODELL::WAHL : verbinder == L'&' ? MODELL::UND : MODELL::FOLGE;
    return m.Gruppe(art, kinder.data(), static_cast<int>(kinder.size()), Haeufigkeit());
}

// ------------------------------------------------------------- ATTLIST

void SDTDR::Attliste() {
    std::vector<int> elemente;
    if (!Ps_pflicht(ATTLIST)) return Ueberspringen();
    if (Nimm(L"#")) {
        // Data attributes of notations: not used by documents here.
        return Ueberspringen();
    }
    if (!Namen(elemente, ATTLIST)) return Ueberspringen();
    const int liste = ++listen_;
    for (;;) {
        Ps();
        if (Nimm(L">")) return;
        if (Z() == 0) {
            Fehler(ATTLIST, L"Ende der Deklaration (>) erwartet.", Stelle());
            return;
        }
        if (!Attributdefinition(elemente, liste)) return Ueberspringen();
    }
}

bool SDTDR::Attributdefinition(const std::vector<int>& elemente, int liste) {
    const wchar_t* stelle = Stelle();
    if (!Name(name_)) {
        Fehler(ATTLIST, L"Name erwartet.", stelle);
        return false;
    }
    const int attribut = dtd_->Name_aufnehmen(name_);
    if (!Ps_pflicht(ATTLIST)) return false;
    DTD::Typ typ = DTD::T_CDATA;
    std::vector<int> werte;
    auto gruppe = [&]() {
        // Name tokens: a digit may begin them.
        if (!Nimm(L"(")) return false;
        for (;;) {
            Ps();
            Z();
            Eingabe& e = stapel_.back();
            const wchar_t* a = e.p;
            while (e.p < e.ende && dekl_->Namenszeichen(*e.p)) ++e.p;
            if (e.p == a) {
                Fehler(ATTLIST, L"Name erwartet.", Stelle());
                return false;
            }
            werte.push_back(dtd_->Name_aufnehmen(std::wstring_view(a, static_cast<std::size_t>(e.p - a))));
            Ps();
            if (Nimm(L")")) return true;
            if (!Nimm(L"|") && !Nimm(L",") && !Nimm(L"&")) {
                Fehler(ATTLIST, L"Name erwartet.", Stelle());
                return false;
            }
        }
    };
    if (Z() == L'(') {
        typ = DTD::T_AUFZAEHLUNG;
        if (!gruppe()) return false;
    } else {
        static const struct {
            const wchar_t* wort;
            DTD::Typ typ;
        } typen[] = {{L"CDATA", DTD::T_CDATA},       {L"ENTITY", DTD::T_ENTITY},     {L"ENTITIES", DTD::T_ENTITIES},
                     {L"ID", DTD::T_ID},             {L"IDREF", DTD::T_IDREF},       {L"IDREFS", DTD::T_IDREFS},
                     {L"NAME", DTD::T_NAME},         {L"NAMES", DTD::T_NAMES},       {L"NMTOKEN", DTD::T_NMTOKEN},
                     {L"NMTOKENS", DTD::T_NMTOKENS}, {L"NUMBER", DTD::T_NUMBER},     {L"NUMBERS", DTD::T_NUMBERS},
                     {L"NUTOKEN", DTD::T_NUTOKEN},   {L"NUTOKENS", DTD::T_NUTOKENS}, {L"NOTATION", DTD::T_NOTATION}};
        std::wstring wort;
        Schluessel(wort);
        bool bekannt = false;
        for (const auto& t : typen)
            if (wort == t.wort) typ = t.typ, bekannt = true;
        if (!bekannt) {
            Fehler(ATTLIST, L"Attributtyp erwartet.", stelle);
            return false;
        }
        if (typ == DTD::T_NOTATION && (!Ps_pflicht(ATTLIST) || !gruppe())) return false;
    }
    std::sort(werte.begin(), werte.end());
    werte.erase(std::unique(werte.begin(), werte.end()), werte.end());
    if (!Ps_pflicht(ATTLIST)) return false;

    DTD::Vorgabe vorgabe = DTD::V_WERT;
    std::wstring_view roh;
    bool literal = false;
    const wchar_t* wertstelle = Stelle();
    if (Nimm(L"#")) {
        std::wstring wort;
        Schluessel(wort);
        if (wort == L"FIXED") vorgabe = DTD::V_FEST;
        else if (wort == L"REQUIRED") vorgabe = DTD::V_PFLICHT;
        else if (wort == L"CURRENT") vorgabe = DTD::V_AKTUELL;
        else if (wort == L"CONREF") vorgabe = DTD::V_CONREF;
        else if (wort == L"IMPLIED") vorgabe = DTD::V_IMPLIZIT;
        else {
            Fehler(ATTLIST,
                   L"Attributvorgabe erwartet (#FIXED, #REQUIRED, #CURRENT, #CONREF, #IMPLIED oder Wert).",
                   wertstelle);
            return false;
        }
        if (vorgabe == DTD::V_FEST && !Ps_pflicht(ATTLIST)) return false;
        wertstelle = Stelle();
    }
    if (vorgabe == DTD::V_WERT || vorgabe == DTD::V_FEST) {
        const wchar_t q = Z();
        if (q == L'"' || q == L'\'') {
            if (!Literal(roh, ATTLIST)) return false;
            literal = true;
        } else {
            Eingabe& e = stapel_.back();
            const wchar_t* a = e.p;
            while (e.p < e.ende && dekl_->Namenszeichen(*e.p)) ++e.p;
            if (e.p == a) {
                Fehler(ATTLIST,
                       L"Attributvorgabe erwartet (#FIXED, #REQUIRED, #CURRENT, #CONREF, #IMPLIED oder Wert).",
                       wertstelle);
                return false;
            }
            roh = std::wstring_view(a, static_cast<std::size_t>(e.p - a));
        }
    }
    BUF* quelle = Puffer_von(stelle);
    for (int element : elemente) {
        const int i = dtd_->Attribut_neu(element, attribut, quelle, stelle);
        if (i < 0) continue;
        DTD::Attribut& a = dtd_->Attribut_bearbeiten(i);
        a.typ = typ;
        a.vorgabe = vorgabe;
        a.werte = werte;
        if (typ == DTD::T_ID) dtd_->Elementtyp_von(element).id_attribut = i;
        sdtd_->Liste_setzen(i, liste);
        if (vorgabe == DTD::V_WERT || vorgabe == DTD::V_FEST)
            vorgaben_.push_back({i, std::wstring(roh), literal, Puffer_von(wertstelle) != nullptr ? wertstelle : nullptr});
    }
    return true;
}

void SDTDR::Vorgabe_setzen(const Vorgabe& v, BUF* bezug) {
    DTD::Attribut& a = dtd_->Attribut_bearbeiten(v.attribut);
    std::wstring wert;
    std::wstring fehlt;
    if (v.literal && !sdtd_->Wert_expandieren(v.roh, wert, 0, fehlt)) {
        BUF* buf = v.stelle != nullptr ? Puffer_von(v.stelle) : bezug;
        if (buf != nullptr)
            buf->Fehlermeldung(-1, 0, ATTLIST, L"Die Entität '%ls' ist nicht deklariert.", fehlt.c_str(), v.stelle);
        ++fehler_;
        return;
    }
    if (!v.literal) wert = v.roh;
    const bool cdata = a.typ == DTD::T_CDATA;
    wert = Normalform(wert, cdata);
    if (!cdata && a.typ != DTD::T_ENTITY && a.typ != DTD::T_ENTITIES && dtd_->Namecase())
        for (wchar_t& c : wert) c = DTDNAMEN::Falten(c);
    a.wert = dtd_->Ablegen(std::move(wert));
    if (dtd_->Wert_pruefen(v.attribut, a.wert) != DTD::W_GUT) {
        BUF* buf = v.stelle != nullptr ? Puffer_von(v.stelle) : bezug;
        if (buf != nullptr)
            buf->Fehlermeldung(-1, 0, ATTLIST, L"Der Vorgabewert des Attributs '%ls' passt nicht zu seinem Typ.",
                               std::wstring(dtd_->Text(a.name)).c_str(), v.stelle);
        ++fehler_;
    }
}

// -------------------------------------------------------------- ENTITY

void SDTDR::Entity() {
    const wchar_t* stelle = Stelle();
    if (!Ps_pflicht(ENTITY)) return Ueberspringen();
    bool parameter = false;
    if (Z() == L'%') {
        W();
        parameter = true;
        if (!Ps_pflicht(ENTITY)) return Ueberspringen();
    }
    std::wstring name;
    if (Nimm(L"#")) {
        std::wstring wort;
        Schluessel(wort);
        if (wort != L"DEFAULT") {
            Fehler(ENTITY, L"Name erwartet.", Stelle());
            return Ueberspringen();
        }
        name = L"#DEFAULT";
    } else if (!Name(name)) {
        Fehler(ENTITY, L"Name erwartet.", Stelle());
        return Ueberspringen();
    }
    if (dekl_->namecase_entitaet)
        for (wchar_t& z : name) z = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(z)));
    if (!Ps_pflicht(ENTITY)) return Ueberspringen();

    DTD::Entitaetsart art = DTD::E_INTERN;
    std::wstring text;
    std::wstring_view pub, sys;
    int notation = -1;
    const wchar_t q = Z();
    if (q == L'"' || q == L'\'') {
        if (!Parameterliteral(text, ENTITY)) return Ueberspringen();
    } else {
        std::wstring wort;
        if (!Schluessel(wort)) {
            Fehler(ENTITY, L"Zeichenkette erwartet.", Stelle());
            return Ueberspringen();
        }
        static const struct {
            const wchar_t* wort;
            DTD::Entitaetsart art;
            const wchar_t* vorn;
            const wchar_t* hinten;
        } arten[] = {{L"CDATA", DTD::E_CDATA, L"", L""},      {L"SDATA", DTD::E_SDATA, L"", L""},
                     {L"PI", DTD::E_PI, L"", L""},            {L"STARTTAG", DTD::E_INTERN, L"<", L">"},
                     {L"ENDTAG", DTD::E_INTERN, L"</", L">"}, {L"MS", DTD::E_INTERN, L"<![", L"]]>"},
                     {L"MD", DTD::E_INTERN, L"<!", L">"}};
        bool bekannt = false;
        for (const auto& a : arten) {
            if (wort != a.wort) continue;
            bekannt = true;
            if (!Ps_pflicht(ENTITY) || !Parameterliteral(text, ENTITY)) return Ueberspringen();
            art = a.art;
            text = a.vorn + text + a.hinten;
        }
        if (!bekannt) {
            if (wort != L"SYSTEM" && wort != L"PUBLIC") {
                Fehler(ENTITY, L"System- oder Public-Identifikator erwartet.", Stelle());
                return Ueberspringen();
            }
            art = DTD::E_EXTERN;
            bool getrennt = Ps();
            if (wort == L"PUBLIC") {
                if (!getrennt) {
                    Fehler(ENTITY, L"Leerraum erwartet.", Stelle());
                    return Ueberspringen();
                }
                if (!Literal(pub, ENTITY)) return Ueberspringen();
                getrennt = Ps();
            }
            if (getrennt && (Z() == L'"' || Z() == L'\'')) {
                if (!Literal(sys, ENTITY)) return Ueberspringen();
                getrennt = Ps();
            }
            std::wstring typ;
            if (getrennt && Schluessel(typ)) {
                if (typ == L"SUBDOC") {
                    art = DTD::E_UNGEPARST;
                } else if (typ == L"NDATA" || typ == L"CDATA" || typ == L"SDATA") {
                    art = DTD::E_UNGEPARST;
                    if (!Ps_pflicht(ENTITY) || !Name(name_)) {
                        Fehler(ENTITY, L"Name erwartet.", Stelle());
                        return Ueberspringen();
                    }
                    notation = dtd_->Name_aufnehmen(name_);
                    Ps();
                    // Data attributes of the notation are read past.
                    if (Z() == L'[') {
                        while (Z() != 0 && Z() != L']') W();
                        Nimm(L"]");
                    }
                } else {
                    Fehler(ENTITY, L"Ende der Deklaration (>) erwartet.", Stelle());
                    return Ueberspringen();
                }
            }
        }
    }
    if (!Ende(ENTITY)) return;
    BUF* quelle = Puffer_von(stelle);
    const int nummer = dtd_->Namen().Aufnehmen(std::wstring_view(name));
    const int e = dtd_->Entitaet_neu(nummer, parameter, quelle, stelle);
    if (e < 0) return;  // the first declaration binds
    DTD::Entitaet& ent = dtd_->Entitaet_bearbeiten(e);
    ent.art = art;
    ent.extern_deklariert = !intern_;
    ent.text = dtd_->Ablegen(std::move(text));
    ent.oeffentlich = pub;
    ent.system = sys;
    ent.basis = stapel_.back().basis;
    ent.notation = notation;
}

// ------------------------------------------------------------ NOTATION

void SDTDR::Notation() {
    const wchar_t* stelle = Stelle();
    if (!Ps_pflicht(NOTATION) || !Name(name_)) {
        Fehler(NOTATION, L"Name erwartet.", Stelle());
        return Ueberspringen();
    }
    const int name = dtd_->Name_aufnehmen(name_);
    if (!Ps_pflicht(NOTATION)) return Ueberspringen();
    std::wstring wort;
    Schluessel(wort);
    std::wstring_view pub, sys;
    if (wort != L"SYSTEM" && wort != L"PUBLIC") {
        Fehler(NOTATION, L"System- oder Public-Identifikator erwartet.", Stelle());
        return Ueberspringen();
    }
    bool getrennt = Ps();
    if (wort == L"PUBLIC") {
        if (!getrennt || !Literal(pub, NOTATION)) return Ueberspringen();
        getrennt = Ps();
    }
    if (getrennt && (Z() == L'"' || Z() == L'\'') && !Literal(sys, NOTATION)) return Ueberspringen();
    if (!Ende(NOTATION)) return;
    const int n = dtd_->Notation_neu(name, Puffer_von(stelle), stelle);
    if (n < 0) return;
    dtd_->Notation_bearbeiten(n).oeffentlich = pub;
    dtd_->Notation_bearbeiten(n).system = sys;
}

// ------------------------------------------------------ SHORTREF, USEMAP

void SDTDR::Shortref() {
    const wchar_t* stelle = Stelle();
    if (!Ps_pflicht(SHORTREF) || !Name(name_)) {
        Fehler(SHORTREF, L"Name erwartet.", Stelle());
        return Ueberspringen();
    }
    const int karte = sdtd_->Karte_neu(dtd_->Name_aufnehmen(name_));
    if (karte < 0) Fehler(SHORTREF, L"Die Kurzverweis-Tabelle '%ls' ist mehrfach deklariert.", stelle, name_);
    for (;;) {
        Ps();
        if (Nimm(L">")) return;
        std::wstring_view roh;
        const wchar_t* trennerstelle = Stelle();
        if (!Literal(roh, SHORTREF)) return Ueberspringen();
        // "&#RS;" and "&#RE;" stand for the record boundaries, other
        // character references for their characters.
        std::wstring form;
        for (std::size_t i = 0; i < roh.size();) {
            if (roh.substr(i, 5) == L"&#RS;" || roh.substr(i, 5) == L"&#rs;") {
                form.push_back(SDTD::RS);
                i += 5;
            } else if (roh.substr(i, 5) == L"&#RE;" || roh.substr(i, 5) == L"&#re;") {
                form.push_back(SDTD::RE);
                i += 5;
            } else if (roh[i] == L'&' && i + 1 < roh.size() && roh[i + 1] == L'#') {
                std::size_t j = i + 2;
                while (j < roh.size() && roh[j] != L';') ++j;
                std::wstring teil;
                if (!Einsetzen(roh.substr(i, j + 1 - i), teil, trennerstelle, MAX_TIEFE)) return Ueberspringen();
                form += teil;
                i = j + 1;
            } else {
                form.push_back(roh[i++]);
            }
        }
        const int t = SDTD::Trenner_von(form);
        if (t < 0) {
            Fehler(SHORTREF, L"Ungültiger Kurzverweis-Begrenzer '%ls'.", trennerstelle, roh);
            return Ueberspringen();
        }
        if (!Ps_pflicht(SHORTREF) || !Name(name_)) {
            Fehler(SHORTREF, L"Name erwartet.", Stelle());
            return Ueberspringen();
        }
        if (dekl_->namecase_entitaet)
            for (wchar_t& z : name_) z = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(z)));
        if (karte >= 0)
            sdtd_->Karte_bearbeiten(karte).entitaet[static_cast<std::size_t>(t)] =
                dtd_->Namen().Aufnehmen(std::wstring_view(name_));
    }
}

void SDTDR::Usemap() {
    if (!Ps_pflicht(USEMAP)) return Ueberspringen();
    int karte;
    if (Nimm(L"#")) {
        std::wstring wort;
        Schluessel(wort);
        if (wort != L"EMPTY") {
            Fehler(USEMAP, L"Name erwartet.", Stelle());
            return Ueberspringen();
        }
        karte = SDTD::LEERE_KARTE;
    } else if (Name(name_)) {
        karte = dtd_->Name_aufnehmen(name_);
    } else {
        Fehler(USEMAP, L"Name erwartet.", Stelle());
        return Ueberspringen();
    }
    std::vector<int> elemente;
    if (!Ps_pflicht(USEMAP) || !Namen(elemente, USEMAP)) return Ueberspringen();
    if (!Ende(USEMAP)) return;
    for (int e : elemente) sdtd_->Verwenden(e, karte);
}

// ------------------------------------------------------- after reading

void SDTDR::Abschliessen(BUF* bezug) {
    if (bezug != nullptr && std::find(puffer_.begin(), puffer_.end(), bezug) == puffer_.end()) puffer_.push_back(bezug);
    int fehlt = -1;
    if (!sdtd_->Karten_aufloesen(fehlt) && bezug != nullptr) {
        bezug->Fehlermeldung(-1, 0, USEMAP, L"Die Kurzverweis-Tabelle '%ls' ist nicht deklariert.",
                             std::wstring(dtd_->Text(fehlt)).c_str(), nullptr);
        ++fehler_;
    }
    for (int k = 0; k < sdtd_->Kartenzahl(); ++k) sdtd_->Karte_abschliessen(k);
    for (const Vorgabe& v : vorgaben_) Vorgabe_setzen(v, bezug);
    vorgaben_.clear();
}
