// The markup declarations of a DTD: ELEMENT with its content model,
// ATTLIST, ENTITY, NOTATION, conditional sections, comments and
// processing instructions.
#include <algorithm>
#include <cwchar>

#include "markup/DTDR.h"
#include "textio/BUF.h"

namespace {
const wchar_t* const ELEMENT = L"ELEMENT";
const wchar_t* const ATTLIST = L"ATTLIST";
const wchar_t* const ENTITY = L"ENTITY";
const wchar_t* const NOTATION = L"NOTATION";
const wchar_t* const MARKIERT = L"Markierter Bereich";

bool Pubid_zeichen(wchar_t c) {
    return c == L' ' || c == L'\r' || c == L'\n' || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') ||
           (c >= L'0' && c <= L'9') || (c != 0 && std::wcschr(L"-'()+,./:=?;!*#@$_%", c) != nullptr);
}
}  // namespace

BUF* DTDR::Puffer_von(const wchar_t* stelle) const {
    for (BUF* b : puffer_)
        if (b->text != nullptr && stelle >= b->text && stelle <= b->text + b->length) return b;
    return nullptr;
}

// ">" after optional blanks; a declaration must end in the entity it began in.
bool DTDR::Ende(const wchar_t* label, int nummer, const wchar_t* stelle) {
    Leer();
    if (!Nimm(L">")) {
        Fehler(label, L"Ende der Deklaration (>) erwartet.", Stelle());
        Ueberspringen();
        return false;
    }
    if (stapel_.back().nummer != nummer) {
        if (intern_) Fehler(label, L"Die Deklaration beginnt und endet nicht in derselben Entität.", stelle);
        else Gueltigkeit(label, L"Die Deklaration beginnt und endet nicht in derselben Entität.", stelle);
    }
    return true;
}

// ------------------------------------------------ comments, instructions

void DTDR::Kommentar() {
    Eingabe& e = stapel_.back();
    const wchar_t* anfang = e.p;
    const std::wstring_view rest(e.p + 4, static_cast<std::size_t>(e.ende - e.p - 4));
    const std::size_t strich = rest.find(L"--");
    if (strich == std::wstring_view::npos) {
        Fehler(L"Kommentar", L"Ende des Kommentars (-->) fehlt.", anfang);
        e.p = e.ende;
        return;
    }
    if (strich + 2 >= rest.size() || rest[strich + 2] != L'>') {
        Fehler(L"Kommentar", L"Die Zeichenfolge '--' ist im Kommentar nicht erlaubt.", e.p + 4 + strich);
        const std::size_t schluss = rest.find(L"-->", strich);
        e.p = schluss == std::wstring_view::npos ? e.ende : e.p + 4 + schluss + 3;
        return;
    }
    e.p += 4 + strich + 3;
}

void DTDR::Verarbeitung() {
    Eingabe& e = stapel_.back();
    const wchar_t* anfang = e.p;
    e.p += 2;
    if (!Name(name_)) {
        Fehler(L"Verarbeitungsanweisung", L"Name erwartet.", Stelle());
    } else if (name_.size() == 3 && (name_[0] | 0x20) == L'x' && (name_[1] | 0x20) == L'm' &&
               (name_[2] | 0x20) == L'l') {
        Fehler(L"Verarbeitungsanweisung", L"Die Verarbeitungsanweisung 'xml' ist hier nicht erlaubt.", anfang);
    }
    Eingabe& f = stapel_.back();
    const std::wstring_view rest(f.p, static_cast<std::size_t>(f.ende - f.p));
    const std::size_t schluss = rest.find(L"?>");
    if (schluss == std::wstring_view::npos) {
        Fehler(L"Verarbeitungsanweisung", L"Ende der Verarbeitungsanweisung (?>) fehlt.", anfang);
        f.p = f.ende;
        return;
    }
    f.p += schluss + 2;
}

// ------------------------------------------------- conditional sections

void DTDR::Bedingt() {
    const wchar_t* stelle = Stelle();
    Nimm(L"<![");
    // Where none may stand, the whole section is passed over.
    if (Intern_kontext()) {
        Fehler(MARKIERT, L"Bedingte Abschnitte sind nur im externen Subset erlaubt.", stelle);
        return Abschnitt_uebergehen(stelle);
    }
    Leer();
    const bool einschliessen = Wort(L"INCLUDE");
    if (!einschliessen && !Wort(L"IGNORE")) {
        Fehler(MARKIERT, L"INCLUDE oder IGNORE erwartet.", Stelle());
        Ueberspringen();
        return;
    }
    Leer();
    if (!Nimm(L"[")) {
        Fehler(MARKIERT, L"Beginn des bedingten Abschnitts ([) erwartet.", Stelle());
        Ueberspringen();
        return;
    }
    if (einschliessen) {
        abschnitte_.push_back({Nummer()});
        return;
    }
    Abschnitt_uebergehen(stelle);
}

// The rest of an IGNORE section, with the sections nested in it, skipped
// as text in the current input.
void DTDR::Abschnitt_uebergehen(const wchar_t* stelle) {
    Z();
    Eingabe& e = stapel_.back();
    int tiefe = 1;
    const wchar_t* p = e.p;
    while (p < e.ende && tiefe > 0) {
        if (e.ende - p >= 3 && p[0] == L'<' && p[1] == L'!' && p[2] == L'[') {
            ++tiefe;
            p += 3;
        } else if (e.ende - p >= 3 && p[0] == L']' && p[1] == L']' && p[2] == L'>') {
            --tiefe;
            p += 3;
        } else {
            ++p;
        }
    }
    e.p = p;
    if (tiefe > 0) Fehler(MARKIERT, L"Der bedingte Abschnitt wird in dieser Entität nicht beendet.", stelle);
}

void DTDR::Abschnitt_ende() {
    const wchar_t* stelle = Stelle();
    const int nummer = stapel_.back().nummer;
    Nimm(L"]]>");
    if (abschnitte_.empty()) {
        Fehler(MARKIERT, L"Ende eines bedingten Abschnitts (]]>) ohne Anfang.", stelle);
        return;
    }
    if (abschnitte_.back().nummer != nummer)
        Gueltigkeit(MARKIERT, L"Der bedingte Abschnitt wird in dieser Entität nicht beendet.", stelle);
    abschnitte_.pop_back();
}

// ------------------------------------------------------------ ELEMENT

MODELL::Wdh DTDR::Haeufigkeit() {
    if (Nimm(L"?")) return MODELL::OPTIONAL;
    if (Nimm(L"*")) return MODELL::STERN;
    if (Nimm(L"+")) return MODELL::PLUS;
    return MODELL::EINMAL;
}

int DTDR::Teilchen(MODELL& m, int tiefe, const wchar_t* stelle) {
    if (Z() == L'(' && !stapel_.back().vorn) return Inhaltsgruppe(m, tiefe + 1, stelle);
    if (Name(name_)) {
        const int name = dtd_->Name_aufnehmen(name_);
        return m.Blatt(name, Haeufigkeit());
    }
    Fehler(ELEMENT, L"Fehlerhaftes Inhaltsmodell.", Stelle());
    return -1;
}

// A group at "(": mixed content at the top, else a choice or sequence.
int DTDR::Inhaltsgruppe(MODELL& m, int tiefe, const wchar_t* stelle) {
    if (tiefe > MODELL::MAX_TIEFE) {
        const std::wstring_view n = dtd_->Text(element_);
        Fehler(ELEMENT, L"Das Inhaltsmodell von '%ls' ist zu groß oder zu tief verschachtelt.", stelle, n);
        return -1;
    }
    const int nummer = Nummer();
    W();
    Leer();
    std::vector<int> kinder;
    wchar_t trenner = 0;
    const bool gemischt = tiefe == 0 && Nimm(L"#PCDATA");
    if (gemischt) {
        kinder.push_back(m.Pcdata());
        std::vector<int> namen;
        for (;;) {
            Leer();
            if (Z() != L'|' || stapel_.back().vorn) break;
            W();
            Leer();
            if (!Name(name_)) {
                Fehler(ELEMENT, L"Fehlerhaftes Inhaltsmodell.", Stelle());
                return -1;
            }
            const int name = dtd_->Name_aufnehmen(name_);
            if (std::find(namen.begin(), namen.end(), name) != namen.end())
                Gueltigkeit(ELEMENT, L"Der Wert '%ls' steht mehrfach in der Liste.", Stelle(), name_);
            namen.push_back(name);
            kinder.push_back(m.Blatt(name, MODELL::EINMAL));
        }
    } else {
        for (;;) {
            const int k = Teilchen(m, tiefe, stelle);
            if (k < 0) return -1;
            kinder.push_back(k);
            Leer();
            const wchar_t c = Z();
            if (c == L')' && !stapel_.back().vorn) break;
            if ((c == L'|' || c == L',') && !stapel_.back().vorn && (trenner == 0 || trenner == c)) {
                trenner = c;
                W();
                Leer();
                continue;
            }
            Fehler(ELEMENT, L"Fehlerhaftes Inhaltsmodell.", Stelle());
            return -1;
        }
    }
    if (Z() != L')' || stapel_.back().vorn) {
        Fehler(ELEMENT, L"Fehlerhaftes Inhaltsmodell.", Stelle());
        return -1;
    }
    if (Nummer() != nummer) Gueltigkeit(ELEMENT, L"Die Gruppe beginnt und endet nicht in derselben Entität.", Stelle());
    W();
    if (gemischt) {
        const bool stern = Nimm(L"*");
        if (kinder.size() > 1 && !stern) {
            Fehler(ELEMENT, L"Gemischter Inhalt muss mit ')*' enden.", Stelle());
            return -1;
        }
        return m.Gruppe(MODELL::WAHL, kinder.data(), static_cast<int>(kinder.size()),
                        stern ? MODELL::STERN : MODELL::EINMAL);
    }
    const MODELL::Wdh wdh = Haeufigkeit();
    return m.Gruppe(trenner == L'|' ? MODELL::WAHL : MODELL::FOLGE, kinder.data(), static_cast<int>(kinder.size()),
                    wdh);
}

void DTDR::Element() {
    const wchar_t* stelle = Stelle();
    const int nummer = Nummer();
    Nimm(L"<!ELEMENT");
    if (!Leer_pflicht(ELEMENT)) return Ueberspringen();
    if (!Name(name_)) {
        Fehler(ELEMENT, L"Name erwartet.", Stelle());
        return Ueberspringen();
    }
    element_ = dtd_->Name_aufnehmen(name_);
    const std::wstring_view elementname = dtd_->Text(element_);
    if (!Leer_pflicht(ELEMENT)) return Ueberspringen();
    DTD::Inhalt inhalt = DTD::MODELLIERT;
    std::unique_ptr<MODELL> modell;
    if (Wort(L"EMPTY")) {
        inhalt = DTD::LEER;
    } else if (Wort(L"ANY")) {
        inhalt = DTD::BELIEBIG;
    } else if (Z() == L'(' && !stapel_.back().vorn) {
        modell = std::make_unique<MODELL>();
        const int wurzel = Inhaltsgruppe(*modell, 0, stelle);
        if (wurzel < 0) return Ueberspringen();
        if (!modell->Uebersetzen(wurzel)) {
            Fehler(ELEMENT, L"Das Inhaltsmodell von '%ls' ist zu groß oder zu tief verschachtelt.", stelle, elementname);
            return Ueberspringen();
        }
        if (modell->Mehrdeutig()) {
            Melden(!validieren, ELEMENT, L"Das Inhaltsmodell von '%ls' ist nicht deterministisch (mehrdeutig).", stelle,
                   &elementname);
        }
    } else {
        Fehler(ELEMENT, L"Inhaltsmodell erwartet (EMPTY, ANY oder Gruppe).", Stelle());
        return Ueberspringen();
    }
    if (!Ende(ELEMENT, nummer, stelle)) return;
    if (!dtd_->Element_deklarieren(element_, inhalt, std::move(modell), Puffer_von(stelle), stelle))
        Gueltigkeit(ELEMENT, L"Das Element '%ls' ist mehrfach deklariert.", stelle, elementname);
}

// ------------------------------------------------------------ ATTLIST

void DTDR::Attliste() {
    const wchar_t* stelle = Stelle();
    const int nummer = Nummer();
    Nimm(L"<!ATTLIST");
    if (!Leer_pflicht(ATTLIST)) return Ueberspringen();
    if (!Name(name_)) {
        Fehler(ATTLIST, L"Name erwartet.", Stelle());
        return Ueberspringen();
    }
    const int element = dtd_->Name_aufnehmen(name_);
    for (;;) {
        const bool leer = Leer();
        if (Z() == L'>' && !stapel_.back().vorn) break;
        if (!leer) {
            Fehler(ATTLIST, L"Leerraum erwartet.", Stelle());
            return Ueberspringen();
        }
        if (!Attributdefinition(element, stelle)) return Ueberspringen();
    }
    Ende(ATTLIST, nummer, stelle);
}

bool DTDR::Attributdefinition(int element, const wchar_t* stelle) {
    static const struct {
        const wchar_t* wort;
        DTD::Typ typ;
    } typen[] = {{L"CDATA", DTD::T_CDATA},       {L"IDREFS", DTD::T_IDREFS},     {L"IDREF", DTD::T_IDREF},
                 {L"ID", DTD::T_ID},             {L"ENTITY", DTD::T_ENTITY},     {L"ENTITIES", DTD::T_ENTITIES},
                 {L"NMTOKENS", DTD::T_NMTOKENS}, {L"NMTOKEN", DTD::T_NMTOKEN},   {L"NOTATION", DTD::T_NOTATION}};
    const wchar_t* astelle = Stelle();
    if (!Name(name_)) {
        Fehler(ATTLIST, L"Name erwartet.", Stelle());
        return false;
    }
    const int attribut = dtd_->Name_aufnehmen(name_);
    const std::wstring_view attributname = dtd_->Text(attribut);
    if (!Leer_pflicht(ATTLIST)) return false;
    DTD::Typ typ = DTD::T_AUFZAEHLUNG;
    bool gefunden = false;
    for (const auto& t : typen) {
        if (!Wort(t.wort)) continue;
        typ = t.typ;
        gefunden = true;
        break;
    }
    std::vector<std::int32_t> werte;
    if (typ == DTD::T_NOTATION && !Leer_pflicht(ATTLIST)) return false;
    if (typ == DTD::T_NOTATION || !gefunden) {
        if (Z() != L'(' || stapel_.back().vorn) {
            Fehler(ATTLIST, L"Attributtyp erwartet.", Stelle());
            return false;
        }
        W();
        for (;;) {
            Leer();
            Eingabe& e = stapel_.back();
            const wchar_t* a = e.p;
            while (!e.vorn && e.p < e.ende && DTD::Namenszeichen(*e.p)) ++e.p;
            const std::wstring_view wert(a, static_cast<std::size_t>(e.p - a));
            if (wert.empty() || (typ == DTD::T_NOTATION && !DTD::Namensanfang(wert[0]))) {
                Fehler(ATTLIST, L"Name erwartet.", e.p);
                return false;
            }
            const int n = dtd_->Name_aufnehmen(wert);
            if (std::find(werte.begin(), werte.end(), n) != werte.end())
                Gueltigkeit(ATTLIST, L"Der Wert '%ls' steht mehrfach in der Liste.", a, wert);
            werte.push_back(n);
            Leer();
            if (Nimm(L"|")) continue;
            if (Nimm(L")")) break;
            Fehler(ATTLIST, L"Attributtyp erwartet.", Stelle());
            return false;
        }
    }
    if (!Leer_pflicht(ATTLIST)) return false;
    DTD::Vorgabe vorgabe = DTD::V_WERT;
    if (Wort(L"#REQUIRED")) {
        vorgabe = DTD::V_PFLICHT;
    } else if (Wort(L"#IMPLIED")) {
        vorgabe = DTD::V_IMPLIZIT;
    } else if (Wort(L"#FIXED")) {
        vorgabe = DTD::V_FEST;
        if (!Leer_pflicht(ATTLIST)) return false;
    }
    std::wstring_view roh;
    const wchar_t* wertstelle = Stelle() + 1;
    if ((vorgabe == DTD::V_WERT || vorgabe == DTD::V_FEST) && !Literal(roh, ATTLIST)) {
        if (vorgabe == DTD::V_WERT) Fehler(ATTLIST, L"Attributvorgabe erwartet (#REQUIRED, #IMPLIED, #FIXED oder Wert).", Stelle());
        return false;
    }
    const bool zweites = (typ == DTD::T_ID || typ == DTD::T_NOTATION) && dtd_->Hat_Typ(element, typ);
    const int a = uebergangen_ ? -1 : dtd_->Attribut_neu(element, attribut, Puffer_von(astelle), astelle);
    if (a >= 0) {
        DTD::Attribut& at = dtd_->Attribut_bearbeiten(a);
        at.typ = typ;
        at.vorgabe = vorgabe;
        std::sort(werte.begin(), werte.end());
        at.werte = std::move(werte);
        if (zweites)
            Gueltigkeit(ATTLIST, L"Das Element hat schon ein Attribut vom Typ %ls.", astelle,
                        typ == DTD::T_ID ? L"ID" : L"NOTATION");
        if (typ == DTD::T_ID && vorgabe != DTD::V_PFLICHT && vorgabe != DTD::V_IMPLIZIT)
            Gueltigkeit(ATTLIST, L"Ein ID-Attribut braucht #IMPLIED oder #REQUIRED.", astelle);
    }
    if (vorgabe == DTD::V_WERT || vorgabe == DTD::V_FEST) Vorgabe_setzen(a, roh, wertstelle);
    (void)attributname;
    (void)stelle;
    return true;
}

// The default literal with its references expanded and normalised by the
// attribute's type; checked as any attribute value is.
void DTDR::Vorgabe_setzen(int attribut, std::wstring_view roh, const wchar_t* stelle) {
    std::wstring wert;
    DTD::Expansionsfehler f = DTD::X_GUT;
    std::wstring_view name;
    if (!dtd_->Attributwert_expandieren(roh, wert, f, name)) {
        if (f == DTD::X_KLEINER && name.empty()) {  // the "<" stands in the literal itself
            Fehler(ATTLIST, L"Das Zeichen '%ls' ist hier nicht erlaubt.", stelle, L"<");
            return;
        }
        // An undeclared entity is a well-formedness fault only where every
        // declaration has been read.
        if (f == DTD::X_UNDEKLARIERT && (!Intern_kontext() || uebergangen_))
            Gueltigkeit(ATTLIST, DTD::Fehlertext(f), stelle, name);
        else
            Fehler(ATTLIST, DTD::Fehlertext(f), stelle, name.empty() ? std::wstring_view(L"#") : name);
        return;
    }
    if (attribut < 0) return;
    DTD::Attribut& a = dtd_->Attribut_bearbeiten(attribut);
    if (a.typ != DTD::T_CDATA) wert.resize(DTD::Zusammenziehen(wert.data(), wert.size()));
    a.wert = dtd_->Ablegen(std::move(wert));
    const DTD::Wertbefund b = dtd_->Wert_pruefen(attribut, a.wert);
    if (b != DTD::W_GUT && b != DTD::W_KEINE_ENTITAET)
        Gueltigkeit(ATTLIST, L"Der Vorgabewert des Attributs '%ls' passt nicht zu seinem Typ.", stelle,
                    dtd_->Text(a.name));
}

// -------------------------------------------------------------- ENTITY

bool DTDR::Extern_id(std::wstring_view& pub, std::wstring_view& sys, bool system_optional, const wchar_t* label) {
    if (Wort(L"SYSTEM")) return Leer_pflicht(label) && Literal(sys, label);
    if (!Wort(L"PUBLIC")) {
        Fehler(label, L"System- oder Public-Identifikator erwartet.", Stelle());
        return false;
    }
    if (!Leer_pflicht(label) || !Literal(pub, label)) return false;
    for (const wchar_t& c : pub)
        if (!Pubid_zeichen(c)) {
            Fehler(label, L"Ungültiges Zeichen im Public-Identifikator.", &c);
            return false;
        }
    const bool leer = Leer();
    const wchar_t q = Z();
    if ((q == L'"' || q == L'\'') && !stapel_.back().vorn && leer) return Literal(sys, label);
    if (!system_optional) {
        Fehler(label, leer ? L"Zeichenkette erwartet." : L"Leerraum erwartet.", Stelle());
        return false;
    }
    return true;
}

// An entity value literal: parameter entity references replaced by their
// text, processed again (not in the internal subset), character
// references by their character; general entity references stay. `ort`
// points at roh[0] in the text when `genau`, else at the reference that
// brought the text.
bool DTDR::Entitaetswert(std::wstring_view roh, std::wstring& out, const wchar_t* ort, bool genau, int tiefe) {
    const bool intern = Intern_kontext();
    auto stelle = [&](std::size_t i) { return genau ? ort + i : ort; };
    for (std::size_t i = 0; i < roh.size(); ++i) {
        const wchar_t c = roh[i];
        if (c != L'%' && c != L'&') {
            out.push_back(c);
        } else {
            std::size_t j = i + 1;
            const bool zeichen = c == L'&' && j < roh.size() && roh[j] == L'#';
            if (zeichen) ++j;
            const bool hex = zeichen && j < roh.size() && roh[j] == L'x';
            if (hex) ++j;
            const std::size_t anfang = j;
            if (zeichen) {
                std::uint32_t wert = 0;
                for (; j < roh.size() && wert <= 0x10FFFF; ++j) {
                    const wchar_t z = roh[j];
                    const int d = z >= L'0' && z <= L'9' ? z - L'0'
                                  : hex && z >= L'a' && z <= L'f' ? z - L'a' + 10
                                  : hex && z >= L'A' && z <= L'F' ? z - L'A' + 10 : -1;
                    if (d < 0) break;
                    wert = wert * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
                }
                if (j == anfang || j >= roh.size() || roh[j] != L';' || !DTD::Zeichen_erlaubt(wert)) {
                    Fehler(ENTITY, L"Ungültige Zeichenreferenz.", stelle(i));
                    return false;
                }
                out.push_back(static_cast<wchar_t>(wert));
            } else {
                if (j < roh.size() && DTD::Namensanfang(roh[j]))
                    while (j < roh.size() && DTD::Namenszeichen(roh[j])) ++j;
                if (j == anfang || j >= roh.size() || roh[j] != L';') {
                    Fehler(ENTITY, L"Das Zeichen '%ls' ist hier nicht erlaubt.", stelle(i), c == L'%' ? L"%" : L"&");
                    return false;
                }
                const std::wstring_view name = roh.substr(anfang, j - anfang);
                if (c == L'&') {
                    out.append(roh.substr(i, j + 1 - i));
                } else if (intern) {
                    Fehler(ENTITY,
                           L"Parameter-Entity-Referenzen sind im internen Subset nur zwischen Deklarationen erlaubt.",
                           stelle(i));
                    return false;
                } else if (!Parameter_einsetzen(name, out, stelle(i), tiefe)) {
                    return false;
                }
            }
            i = j;
        }
        if (out.size() > DTD::MAX_ERSETZUNG) {
            Fehler(ENTITY, L"Die Entitätsersetzung ist zu groß oder zu tief verschachtelt.", stelle(i));
            return false;
        }
    }
    return true;
}

// The text of parameter entity `name`, processed as part of an entity value.
bool DTDR::Parameter_einsetzen(std::wstring_view name, std::wstring& out, const wchar_t* stelle, int tiefe) {
    const int e = dtd_->Entitaet_von(dtd_->Entitaetsname(name), true);
    if (e < 0) {
        Melden(!validieren, L"Entität", L"Die Parameter-Entität '%ls' ist nicht deklariert.", stelle, &name);
        return true;
    }
    if ((static_cast<std::size_t>(e) < offen_.size() && offen_[static_cast<std::size_t>(e)]) ||
        tiefe >= MAX_TIEFE) {
        const bool rekursion = tiefe < MAX_TIEFE;
        if (rekursion) Melden(false, L"Entität", L"Die Parameter-Entität '%ls' verweist auf sich selbst (Rekursion).", stelle, &name);
        else Fehler(L"Entität", L"Die Entitätsersetzung ist zu groß oder zu tief verschachtelt.", stelle);
        return false;
    }
    const DTD::Entitaet& ent = dtd_->Entitaeten(e);
    std::wstring_view text = ent.text;
    if (ent.art != DTD::E_INTERN) {
        if (!extern_lesen || quelle_ == nullptr) {
            uebergangen_ = true;
            return true;
        }
        Eingabe geladen{};
        if (!Extern_laden(e, ent.oeffentlich, ent.system, ent.basis, stelle, geladen)) return true;
        text = std::wstring_view(geladen.p, static_cast<std::size_t>(geladen.ende - geladen.p));
    }
    ersetzt_ += text.size();
    if (ersetzt_ > MAX_ERSETZT) {
        Fehler(L"Entität", L"Die Entitätsersetzung ist zu groß oder zu tief verschachtelt.", stelle);
        return false;
    }
    if (offen_.size() <= static_cast<std::size_t>(e)) offen_.resize(static_cast<std::size_t>(e) + 1, 0);
    offen_[static_cast<std::size_t>(e)] = 1;
    const bool gut = Entitaetswert(text, out, stelle, false, tiefe + 1);
    offen_[static_cast<std::size_t>(e)] = 0;
    return gut;
}

void DTDR::Entity() {
    const wchar_t* stelle = Stelle();
    const int nummer = Nummer();
    const bool extern_ = !Intern_kontext();
    const std::wstring_view basis = stapel_.back().basis;
    Nimm(L"<!ENTITY");
    if (!Leer_pflicht(ENTITY)) return Ueberspringen();
    bool parameter = false;
    if (Z() == L'%' && !stapel_.back().vorn) {
        W();
        parameter = true;
        if (!Leer_pflicht(ENTITY)) return Ueberspringen();
    }
    if (!Name(name_)) {
        Fehler(ENTITY, L"Name erwartet.", Stelle());
        return Ueberspringen();
    }
    const int name = dtd_->Namen().Aufnehmen(name_);
    if (!Leer_pflicht(ENTITY)) return Ueberspringen();
    const wchar_t q = Z();
    std::wstring_view roh, pub, sys;
    std::wstring wert;
    const BUF* literal_buf = nullptr;
    int notation = -1;
    const bool intern = (q == L'"' || q == L'\'') && !stapel_.back().vorn;
    if (intern) {
        literal_buf = stapel_.back().buf;
        const wchar_t* ort = Stelle() + 1;
        if (!Literal(roh, ENTITY) || !Entitaetswert(roh, wert, ort, literal_buf != nullptr, 0)) return Ueberspringen();
        ersetzt_ += wert.size();
        if (ersetzt_ > MAX_ERSETZT) {
            Fehler(L"Entität", L"Die Entitätsersetzung ist zu groß oder zu tief verschachtelt.", stelle);
            return Ueberspringen();
        }
    } else {
        if (!Extern_id(pub, sys, false, ENTITY)) return Ueberspringen();
        if (!parameter && Leer() && Wort(L"NDATA")) {
            if (!Leer_pflicht(ENTITY)) return Ueberspringen();
            if (!Name(name_)) {
                Fehler(ENTITY, L"Name erwartet.", Stelle());
                return Ueberspringen();
            }
            notation = dtd_->Name_aufnehmen(name_);
        }
    }
    if (!Ende(ENTITY, nummer, stelle) || uebergangen_) return;
    const int e = dtd_->Entitaet_neu(name, parameter, Puffer_von(stelle), stelle);
    if (e < 0) return;  // the first declaration binds
    DTD::Entitaet& ent = dtd_->Entitaet_bearbeiten(e);
    ent.extern_deklariert = extern_;
    if (intern) {
        ent.art = DTD::E_INTERN;
        if (literal_buf != nullptr && wert == roh) {
            ent.text = roh;
            ent.literal = roh.data();
            ent.quelle = literal_buf;
        } else {
            ent.text = dtd_->Ablegen(std::move(wert));
        }
    } else {
        ent.art = notation >= 0 ? DTD::E_UNGEPARST : DTD::E_EXTERN;
        ent.notation = notation;
        ent.oeffentlich = dtd_->Ablegen(pub);
        ent.system = dtd_->Ablegen(sys);
        ent.basis = basis;
    }
}

// ------------------------------------------------------------ NOTATION

void DTDR::Notation() {
    const wchar_t* stelle = Stelle();
    const int nummer = Nummer();
    Nimm(L"<!NOTATION");
    if (!Leer_pflicht(NOTATION)) return Ueberspringen();
    if (!Name(name_)) {
        Fehler(NOTATION, L"Name erwartet.", Stelle());
        return Ueberspringen();
    }
    const int name = dtd_->Name_aufnehmen(name_);
    if (!Leer_pflicht(NOTATION)) return Ueberspringen();
    std::wstring_view pub, sys;
    if (!Extern_id(pub, sys, true, NOTATION)) return Ueberspringen();
    if (!Ende(NOTATION, nummer, stelle)) return;
    const int n = dtd_->Notation_neu(name, Puffer_von(stelle), stelle);
    if (n < 0) return;
    DTD::Notation& no = dtd_->Notation_bearbeiten(n);
    no.oeffentlich = dtd_->Ablegen(pub);
    no.system = dtd_->Ablegen(sys);
}

int DTDR::Abschliessen() {
    const int vorher = fehler_;
    if (!validieren) return 1;
    for (int i = 0; i < dtd_->Attributzahl(); ++i) {
        const DTD::Attribut& a = dtd_->Attribute(i);
        if (a.typ != DTD::T_NOTATION) continue;
        const int element = dtd_->Element(a.element);
        if (element >= 0 && dtd_->Elemente(element).inhalt == DTD::LEER)
            Fehler(ATTLIST, L"Ein als EMPTY deklariertes Element darf kein NOTATION-Attribut haben.", a.stelle);
        for (std::int32_t n : a.werte)
            if (dtd_->Notation_von(n) < 0) Fehler(ATTLIST, L"Die Notation '%ls' ist nicht deklariert.", a.stelle, dtd_->Text(n));
    }
    for (int i = 0; i < dtd_->Entitaetszahl(); ++i) {
        const DTD::Entitaet& e = dtd_->Entitaeten(i);
        if (e.art == DTD::E_UNGEPARST && dtd_->Notation_von(e.notation) < 0)
            Fehler(ENTITY, L"Die Notation '%ls' ist nicht deklariert.", e.stelle, dtd_->Text(e.notation));
    }
    return fehler_ == vorher;
}
