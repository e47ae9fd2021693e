#include "markup/SFOLGER.h"

namespace {
// Elements inferred for one token at most: a chain of required elements
// is short in every real DTD, and a longer one must not loop.
constexpr int MAX_GEFOLGERT = 16;
// Unions of exceptions kept at most; past it a new union is still made
// for each element (correct, only without sharing).
constexpr std::size_t MAX_MENGEN = std::size_t{1} << 16;
}  // namespace

SFOLGER::SFOLGER(const SDTD& sdtd, int pcdata, int wurzel, Senke& senke)
    : dtd_(sdtd.Modell()), senke_(senke), pcdata_(pcdata), wurzel_(wurzel) {
    const bool omittag = sdtd.Deklaration().omittag;
    typen_.resize(static_cast<std::size_t>(dtd_.Elementzahl()));
    for (int i = 0; i < dtd_.Elementzahl(); ++i) {
        const DTD::Elementtyp& e = dtd_.Elemente(i);
        Typ& t = typen_[static_cast<std::size_t>(i)];
        t.inhalt = e.inhalt;
        t.start_o = omittag && e.start_auslassbar;
        t.ende_o = omittag && e.ende_auslassbar;
        t.ausnahmen = !e.einschluss.empty() || !e.ausschluss.empty();
        if (e.inhalt == DTD::MODELLIERT && e.modell >= 0) {
            t.modell = &dtd_.Modell(e.modell);
            t.gemischt = false;
            for (int k = 0; k < t.modell->Knotenzahl() && !t.gemischt; ++k) {
                const MODELL::Knoten& n = t.modell->Knotenpunkt(k);
                t.gemischt = n.art == MODELL::NAME && n.name == pcdata_;
            }
        } else if (e.inhalt == DTD::MODELLIERT) {
            t.inhalt = DTD::BELIEBIG;
        }
    }
    mengen_.emplace_back();  // 0: no exceptions
    offen_je_name_.assign(static_cast<std::size_t>(dtd_.Namen().Anzahl()), 0);
}

// Data that finds no place is reported once until the next tag: the
// pieces of one run of text are one fault.
void SFOLGER::Daten_melden() {
    if (daten_gemeldet_) return;
    daten_gemeldet_ = true;
    Melden(L"Zeichendaten sind hier nicht erlaubt.", -1);
}

void SFOLGER::Melden(const wchar_t* vorlage, int name) {
    senke_.Fehler(vorlage, name >= 0 ? dtd_.Text(name) : std::wstring_view());
}

// ------------------------------------------------------------- exceptions

int SFOLGER::Menge_fuer(int eltern, int element) {
    if (element < 0 || !typen_[static_cast<std::size_t>(element)].ausnahmen) return eltern;
    const std::uint64_t schluessel = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(eltern)) << 32) |
                                     static_cast<std::uint32_t>(element);
    const auto gefunden = nachfolger_.find(schluessel);
    if (gefunden != nachfolger_.end()) return gefunden->second;
    const std::size_t woerter = (static_cast<std::size_t>(dtd_.Namen().Anzahl()) + 63) / 64;
    Menge m = mengen_[static_cast<std::size_t>(eltern)];
    m.ein.resize(woerter, 0);
    m.aus.resize(woerter, 0);
    const DTD::Elementtyp& e = dtd_.Elemente(element);
    for (int n : e.einschluss) m.ein[static_cast<std::size_t>(n) >> 6] |= std::uint64_t{1} << (n & 63);
    for (int n : e.ausschluss) m.aus[static_cast<std::size_t>(n) >> 6] |= std::uint64_t{1} << (n & 63);
    std::vector<std::uint64_t> inhalt = m.ein;
    inhalt.insert(inhalt.end(), m.aus.begin(), m.aus.end());
    int id;
    const auto gleich = nach_inhalt_.find(inhalt);
    if (gleich != nach_inhalt_.end()) {
        id = gleich->second;
    } else {
        id = static_cast<int>(mengen_.size());
        mengen_.push_back(std::move(m));
        if (mengen_.size() < MAX_MENGEN) nach_inhalt_.emplace(std::move(inhalt), id);
    }
    if (mengen_.size() < MAX_MENGEN) nachfolger_.emplace(schluessel, id);
    return id;
}

// ---------------------------------------------------------------- the stack

void SFOLGER::Oeffnen(int element, int name, bool implizit, bool eingeschlossen, std::wstring_view text) {
    const int menge = tiefe_ > 0 ? Menge_fuer(oben().ausnahmen, element) : Menge_fuer(0, element);
    if (tiefe_ == stapel_.size()) stapel_.emplace_back();
    Offen& o = stapel_[tiefe_++];
    o.element = element;
    o.name = name;
    o.text = text;
    o.ausnahmen = menge;
    if (element >= 0) {
        const Typ& t = typen_[static_cast<std::size_t>(element)];
        o.inhalt = t.inhalt;
        o.modell = t.modell;
        o.ende_o = t.ende_o;
        o.gemischt = t.gemischt;
        if (o.modell != nullptr) o.modell->Start(o.lauf);
    } else {
        o.inhalt = DTD::BELIEBIG;
        o.modell = nullptr;
        o.ende_o = false;
        o.gemischt = true;
    }
    if (name >= 0) ++offen_je_name_[static_cast<std::size_t>(name)];
    begonnen_ = true;
    senke_.Beginn(element, name, implizit, eingeschlossen);
}

void SFOLGER::Schliessen(bool implizit) {
    if (tiefe_ == 0) return;
    const int name = oben().name;
    if (name >= 0) --offen_je_name_[static_cast<std::size_t>(name)];
    --tiefe_;
    senke_.Schluss(implizit);
}

void SFOLGER::Schliessen_bis(std::size_t ebene) {
    while (tiefe_ > ebene + 1) {
        const Offen& o = oben();
        if (!o.ende_o) Melden(L"Der Endtag des Elements '%ls' fehlt; er darf nicht weggelassen werden.", o);
        else if (!Fertig(o)) Melden(L"Der Inhalt des Elements '%ls' ist unvollständig.", o);
        Schliessen(true);
    }
}

bool SFOLGER::Gleich(std::wstring_view a, std::wstring_view b) const {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && !(dtd_.Namecase() && DTDNAMEN::Falten(a[i]) == DTDNAMEN::Falten(b[i]))) return false;
    return true;
}

// ------------------------------------------------------------- the tokens

// Whether the token fits `o` by its model (or declared content); a name
// that an open element excludes never does.
bool SFOLGER::Passt(const Offen& o, int token) const {
    if (token == DATEN) {
        switch (o.inhalt) {
        case DTD::MODELLIERT:
            return o.modell->Name_an(o.lauf) == pcdata_ || o.modell->Moeglich(o.lauf, pcdata_);
        case DTD::LEER:
            return false;
        default:
            return true;
        }
    }
    if (Ausgeschlossen(o.ausnahmen, token)) return false;
    switch (o.inhalt) {
    case DTD::MODELLIERT:
        return o.modell->Moeglich(o.lauf, token);
    case DTD::BELIEBIG:
    case DTD::UNDEKLARIERT:
        return dtd_.Element(token) >= 0;
    default:
        return false;
    }
}

bool SFOLGER::Nimmt(int element, int token, int eltern_menge, int tiefe) {
    const Typ& t = typen_[static_cast<std::size_t>(element)];
    const int menge = Menge_fuer(eltern_menge, element);
    if (token != DATEN && Ausgeschlossen(menge, token)) return false;
    if (t.inhalt == DTD::BELIEBIG) return token == DATEN || dtd_.Element(token) >= 0;
    if (t.inhalt != DTD::MODELLIERT) return false;
    t.modell->Start(probe_);
    if (t.modell->Moeglich(probe_, token == DATEN ? pcdata_ : token)) return true;
    if (token != DATEN && Eingeschlossen(menge, token)) return true;
    if (tiefe >= 8) return false;
    const int n = t.modell->Gefordert(probe_);
    const int r = n >= 0 ? dtd_.Element(n) : -1;
    if (r < 0 || !typen_[static_cast<std::size_t>(r)].start_o || Ausgeschlossen(menge, n)) return false;
    const DTD::Inhalt ri = typen_[static_cast<std::size_t>(r)].inhalt;
    if (ri != DTD::MODELLIERT && ri != DTD::BELIEBIG) return false;
    return Nimmt(r, token, menge, tiefe + 1);
}

int SFOLGER::Folgern(const Offen& o, int token) {
    if (o.inhalt != DTD::MODELLIERT) return -1;
    const int n = o.modell->Gefordert(o.lauf);
    const int r = n >= 0 ? dtd_.Element(n) : -1;
    if (r < 0 || n == pcdata_) return -1;
    const Typ& t = typen_[static_cast<std::size_t>(r)];
    if (!t.start_o || (t.inhalt != DTD::MODELLIERT && t.inhalt != DTD::BELIEBIG)) return -1;
    if (Ausgeschlossen(o.ausnahmen, n)) return -1;
    return Nimmt(r, token, o.ausnahmen, 0) ? r : -1;
}

int SFOLGER::Vorfahr_fuer(int token) {
    for (std::size_t i = tiefe_ - 1; i-- > 0;) {
        const Offen& o = stapel_[i];
        if (Passt(o, token)) return static_cast<int>(i);
        if (token != DATEN && Eingeschlossen(o.ausnahmen, token) && !Ausgeschlossen(o.ausnahmen, token))
            return static_cast<int>(i);
        if (Folgern(o, token) >= 0) return static_cast<int>(i);
    }
    return -1;
}

// For a token the innermost element does not take: an inferred start tag
// there, or the end tags up to the element further out that takes it.
// False when neither helps.
bool SFOLGER::Platz_schaffen(int token, int& gefolgert) {
    if (gefolgert >= MAX_GEFOLGERT) return false;
    const int r = Folgern(oben(), token);
    if (r >= 0) {
        ++gefolgert;
        const int rn = dtd_.Elemente(r).name;
        senke_.Vor_Unterelement();
        oben().modell->Schritt(oben().lauf, rn);
        Oeffnen(r, rn, true, false);
        return true;
    }
    const int a = Vorfahr_fuer(token);
    if (a < 0) return false;
    Schliessen_bis(static_cast<std::size_t>(a));
    return true;
}

void SFOLGER::Start(int name, std::wstring_view text) {
    daten_gemeldet_ = false;
    const int element = name >= 0 ? dtd_.Element(name) : -1;
    const bool deklariert = element >= 0 && dtd_.Elemente(element).inhalt != DTD::UNDEKLARIERT;
    if (!deklariert) senke_.Fehler(L"Das Element '%ls' ist nicht deklariert.", text);
    if (tiefe_ == 0) {
        if (begonnen_) {
            Melden(L"Das Dokumentelement ist schon beendet.", -1);
            Oeffnen(deklariert ? element : -1, name, false, false, text);
            return;
        }
        if (name == wurzel_ || wurzel_ < 0) {
            Oeffnen(deklariert ? element : -1, name, false, false, text);
            return;
        }
        const int w = dtd_.Element(wurzel_);
        if (w < 0 || !typen_[static_cast<std::size_t>(w)].start_o)
            Melden(L"Der Starttag des Elements '%ls' fehlt; er darf nicht weggelassen werden.", wurzel_);
        Oeffnen(w, wurzel_, true, false);
    }
    if (!deklariert) {
        Oeffnen(-1, name, false, false, text);
        return;
    }
    for (int gefolgert = 0;;) {
        Offen& o = oben();
        if (Passt(o, name)) {
            senke_.Vor_Unterelement();
            Offen& p = oben();
            if (p.modell != nullptr && !p.modell->Schritt(p.lauf, name))
                senke_.Fehler(L"Das Element '%ls' ist hier nicht erlaubt.", dtd_.Text(name));
            Oeffnen(element, name, false, false);
            return;
        }
        if (Eingeschlossen(o.ausnahmen, name) && !Ausgeschlossen(o.ausnahmen, name)) {
            Oeffnen(element, name, false, true);
            return;
        }
        if (Platz_schaffen(name, gefolgert)) continue;
        senke_.Fehler(L"Das Element '%ls' ist hier nicht erlaubt.", dtd_.Text(name));
        Oeffnen(element, name, false, false, text);
        return;
    }
}

bool SFOLGER::Daten() {
    if (tiefe_ == 0) {
        const int w = wurzel_ >= 0 ? dtd_.Element(wurzel_) : -1;
        if (begonnen_ || w < 0 || !typen_[static_cast<std::size_t>(w)].start_o) {
            Daten_melden();
            return false;
        }
        Oeffnen(w, wurzel_, true, false);
    }
    for (int gefolgert = 0;;) {
        Offen& o = oben();
        if (Passt(o, DATEN)) {
            if (o.modell != nullptr && o.modell->Name_an(o.lauf) != pcdata_) o.modell->Schritt(o.lauf, pcdata_);
            return true;
        }
        if (Platz_schaffen(DATEN, gefolgert)) continue;
        Daten_melden();
        return false;
    }
}

bool SFOLGER::Daten_hier() {
    if (tiefe_ == 0) return false;
    Offen& o = oben();
    if (!Passt(o, DATEN)) {
        Daten_melden();
        return false;
    }
    if (o.modell != nullptr && o.modell->Name_an(o.lauf) != pcdata_) o.modell->Schritt(o.lauf, pcdata_);
    return true;
}

void SFOLGER::Ende(int name, std::wstring_view text) {
    daten_gemeldet_ = false;
    std::size_t ebene = tiefe_;
    if (name >= 0 && static_cast<std::size_t>(name) < offen_je_name_.size() &&
        offen_je_name_[static_cast<std::size_t>(name)] > 0) {
        ebene = tiefe_ - 1;
        while (stapel_[ebene].name != name) --ebene;
    } else if (name < 0) {
        // An element the DTD does not know (reported at its start) ends
        // at its end tag all the same.
        for (std::size_t i = tiefe_; i-- > 0 && ebene == tiefe_;)
            if (stapel_[i].name < 0 && Gleich(stapel_[i].text, text)) ebene = i;
    }
    if (ebene == tiefe_) {
        senke_.Fehler(L"Der Endtag '%ls' schließt kein offenes Element.", text);
        return;
    }
    Schliessen_bis(ebene);
    if (!Fertig(oben())) Melden(L"Der Inhalt des Elements '%ls' ist unvollständig.", oben());
    Schliessen(false);
}

void SFOLGER::Dokumentende() {
    if (!begonnen_) {
        Melden(L"Das Dokument ist ungültig. Instanz benötigt. D227", -1);
        return;
    }
    if (tiefe_ == 0) return;
    Schliessen_bis(0);
    const Offen& o = oben();
    if (!o.ende_o) Melden(L"Der Endtag des Elements '%ls' fehlt; er darf nicht weggelassen werden.", o);
    else if (!Fertig(o)) Melden(L"Der Inhalt des Elements '%ls' ist unvollständig.", o);
    Schliessen(true);
}
