// The reader's input stack, parameter entity references, literals,
// messages and the loop over the declarations.
#include "markup/SDTDR.h"

#include <cwchar>
#include <cwctype>

#include "markup/KATALOG.h"
#include "markup/QUELLE.h"
#include "textio/BUF.h"

namespace {
bool Leerzeichen(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r'; }
const wchar_t* const DTDLABEL = L"DTD";
}  // namespace

SDTDR::SDTDR(SDTD* sdtd, QUELLE* quelle)
    : sdtd_(sdtd), dtd_(&sdtd->Modell()), dekl_(&sdtd->Deklaration()), quelle_(quelle) {
    pcdata_ = dtd_->Namen().Aufnehmen(std::wstring_view(L"#PCDATA"));
}

// ------------------------------------------------------------ the stack

// A marked section that began in the entity must end in it.
void SDTDR::Verlassen(const Eingabe& e) {
    while (!abschnitte_.empty() && abschnitte_.back() == e.nummer) {
        abschnitte_.pop_back();
        Fehler(L"Markierter Bereich", L"Der bedingte Abschnitt wird in dieser Entität nicht beendet.", e.ende);
    }
}

// Parameter separators: white space, comments, parameter entity
// references and the ends of entities. True when any was read.
bool SDTDR::Ps() {
    bool etwas = false;
    for (;;) {
        const std::size_t tiefe = stapel_.size();
        const wchar_t c = Z();
        if (stapel_.size() != tiefe) etwas = true;
        if (Leerzeichen(c)) {
            W();
            etwas = true;
        } else if (c == L'-' && Folgt(L"--")) {
            Eingabe& e = stapel_.back();
            const wchar_t* anfang = e.p;
            const wchar_t* s = e.p + 2;
            while (s + 1 < e.ende && !(s[0] == L'-' && s[1] == L'-')) ++s;
            if (s + 1 >= e.ende) {
                Fehler(L"Kommentar", L"Ende des Kommentars erwartet.", anfang);
                e.p = e.ende;
            } else {
                e.p = s + 2;
            }
            etwas = true;
        } else if (c == L'%' && Referenz()) {
            etwas = true;
        } else {
            return etwas;
        }
    }
}

bool SDTDR::Ps_pflicht(const wchar_t* label) {
    if (Ps()) return true;
    Fehler(label, L"Leerraum erwartet.", Stelle());
    return false;
}

// A name within the current input, as written.
bool SDTDR::Name(std::wstring& out) {
    return Name_lesen(out, [this](wchar_t c) { return dekl_->Namensanfang(c); },
                      [this](wchar_t c) { return dekl_->Namenszeichen(c); });
}

bool SDTDR::Schluessel(std::wstring& out) {
    if (!Name(out)) return false;
    for (wchar_t& c : out) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return true;
}

// A parameter literal: its parameter entity references replaced by their
// texts and its character references by their characters.
bool SDTDR::Parameterliteral(std::wstring& out, const wchar_t* label) {
    std::wstring_view roh;
    if (!Literal(roh, label)) return false;
    out.clear();
    return Einsetzen(roh, out, roh.data(), 0);
}

bool SDTDR::Einsetzen(std::wstring_view roh, std::wstring& out, const wchar_t* stelle, int tiefe) {
    for (std::size_t i = 0; i < roh.size();) {
        const wchar_t c = roh[i];
        const bool referenz = (c == L'%' || c == L'&') && i + 1 < roh.size();
        if (referenz && c == L'&' && roh[i + 1] == L'#') {
            const wchar_t* q = roh.data() + i;
            long wert = 0;
            bool funktion = false, ungueltig = false;
            if (SDTD::Zeichenreferenz(*dekl_, q, roh.data() + roh.size(), wert, funktion, ungueltig)) {
                if (ungueltig) {
                    Fehler(DTDLABEL, L"Ungültige Zeichenreferenz.", stelle);
                    return false;
                }
                // A record end stands for the line end; a record start is
                // no character of the text.
                if (!(funktion && wert == 10)) out.push_back(funktion && wert == 13 ? L'\n' : static_cast<wchar_t>(wert));
                i = static_cast<std::size_t>(q - roh.data());
                continue;
            }
        }
        if (referenz && c == L'%' && dekl_->Namensanfang(roh[i + 1])) {
            std::size_t j = i + 1;
            while (j < roh.size() && dekl_->Namenszeichen(roh[j])) ++j;
            const std::wstring_view name = roh.substr(i + 1, j - i - 1);
            i = j < roh.size() && (roh[j] == L';' || roh[j] == L'\n') ? j + 1 : j;
            const int e = dtd_->Entitaet_von(dtd_->Entitaetsname(name), true);
            if (e < 0) {
                Fehler(L"Entität", L"Die Parameter-Entität '%ls' ist nicht deklariert.", stelle, name);
                return false;
            }
            const DTD::Entitaet& ent = dtd_->Entitaeten(e);
            if (tiefe >= MAX_TIEFE || ent.art != DTD::E_INTERN ||
                (static_cast<std::size_t>(e) < offen_.size() && offen_[static_cast<std::size_t>(e)])) {
                Fehler(L"Entität",
                       tiefe >= MAX_TIEFE ? L"Die Entitätsersetzung ist zu groß oder zu tief verschachtelt."
                                          : L"Die Parameter-Entität '%ls' verweist auf sich selbst (Rekursion).",
                       stelle, name);
                return false;
            }
            if (offen_.size() <= static_cast<std::size_t>(e)) offen_.resize(static_cast<std::size_t>(e) + 1, 0);
            offen_[static_cast<std::size_t>(e)] = 1;
            const bool gut = Einsetzen(ent.text, out, stelle, tiefe + 1);
            offen_[static_cast<std::size_t>(e)] = 0;
            if (!gut) return false;
            if (out.size() > MAX_ERSETZT) {
                Fehler(L"Entität", L"Die Entitätsersetzung ist zu groß oder zu tief verschachtelt.", stelle);
                return false;
            }
            continue;
        }
        out.push_back(c);
        ++i;
    }
    return true;
}

// ------------------------------------------------------------ references

// "%name;" at the reading position: the entity's text is read next. False
// when no name follows the "%" (it is then no reference).
bool SDTDR::Referenz() {
    Eingabe& e = stapel_.back();
    if (e.p + 1 >= e.ende || !dekl_->Namensanfang(e.p[1])) return false;
    const wchar_t* stelle = e.p;
    W();
    Name(name_);
    Eingabe& f = stapel_.back();
    if (f.p < f.ende && (*f.p == L';' || *f.p == L'\n')) ++f.p;
    const int ent = dtd_->Entitaet_von(dtd_->Entitaetsname(name_), true);
    if (ent < 0) {
        Fehler(L"Entität", L"Die Parameter-Entität '%ls' ist nicht deklariert.", stelle, name_);
        return true;
    }
    Oeffnen(ent, stelle);
    return true;
}

void SDTDR::Oeffnen(int entitaet, const wchar_t* stelle) {
    const DTD::Entitaet& ent = dtd_->Entitaeten(entitaet);
    if (static_cast<std::size_t>(entitaet) < offen_.size() && offen_[static_cast<std::size_t>(entitaet)]) {
        Fehler(L"Entität", L"Die Parameter-Entität '%ls' verweist auf sich selbst (Rekursion).", stelle,
               dtd_->Text(ent.name));
        return;
    }
    if (stapel_.size() >= basis_ + MAX_TIEFE) {
        Fehler(L"Entität", L"Die Entitätsersetzung ist zu groß oder zu tief verschachtelt.", stelle);
        return;
    }
    Eingabe e{};
    e.entitaet = entitaet;
    e.bezug = stelle;
    e.basis = stapel_.back().basis;
    if (ent.art == DTD::E_INTERN) {
        e.p = ent.text.data();
        e.ende = e.p + ent.text.size();
    } else if (ent.art == DTD::E_EXTERN) {
        if (!extern_lesen || quelle_ == nullptr) {
            uebergangen_ = true;
            return;
        }
        BUF* meldung = Puffer_von(stelle);
        if (meldung == nullptr && !puffer_.empty()) meldung = puffer_.front();
        bool kaputt = false;
        const std::wstring name = L"%" + std::wstring(dtd_->Text(ent.name));
        std::unique_ptr<BUF> neu = Datei(*quelle_, ent.oeffentlich, ent.system, {}, name, ent.basis, meldung,
                                         Puffer_von(stelle) != nullptr ? stelle : nullptr, &kaputt);
        if (!neu) {
            ++warnungen_;
            if (kaputt) ++fehler_;
            uebergangen_ = true;
            return;
        }
        BUF* buf = dtd_->Behalten(std::move(neu));
        puffer_.push_back(buf);
        e.p = buf->text;
        e.ende = buf->text + buf->length;
        e.buf = buf;
        e.basis = dtd_->Ablegen(std::wstring_view(buf->dateiname));
    } else {
        Fehler(L"Entität", L"Die Parameter-Entität '%ls' hat keinen Text, der gelesen werden kann.", stelle,
               dtd_->Text(ent.name));
        return;
    }
    ersetzt_ += static_cast<std::size_t>(e.ende - e.p);
    if (ersetzt_ > MAX_ERSETZT) {
        Fehler(L"Entität", L"Die Entitätsersetzung ist zu groß oder zu tief verschachtelt.", stelle);
        return;
    }
    Push(e);
}

std::unique_ptr<BUF> SDTDR::Datei(QUELLE& quelle, std::wstring_view oeffentlich, std::wstring_view system,
                                  std::wstring_view doctype, std::wstring_view entity, std::wstring_view basis,
                                  BUF* bezug, const wchar_t* stelle, bool* kaputt) {
    std::wstring pfad;
    *kaputt = false;
    if (!quelle.Aufloesen(oeffentlich, system, basis, pfad, bezug, stelle, doctype, entity)) return nullptr;
    std::unique_ptr<BUF> buf = quelle.Oeffnen(pfad, bezug, stelle, kaputt);
    if (buf) buf->exakt = true;
    return buf;
}

// ---------------------------------------------------------- declarations

void SDTDR::Lesen(bool intern) {
    intern_ = intern;
    for (wchar_t c = Z(); c != 0; c = Z()) {
        if (Leerzeichen(c)) {
            W();
        } else if (c == L'%') {
            if (!Referenz()) {
                Fehler(DTDLABEL, L"Unerwartetes Zeichen im DTD.", Stelle());
                W();
            }
        } else if (c == L']' && intern && stapel_.size() == basis_ && !(abschnitte_.size() > 0 && Folgt(L"]]>"))) {
            break;
        } else if (Folgt(L"]]>")) {
            if (abschnitte_.empty()) {
                Fehler(L"Markierter Bereich", L"Ende eines bedingten Abschnitts (]]>) ohne Anfang.", Stelle());
            } else {
                abschnitte_.pop_back();
            }
            Nimm(L"]]>");
        } else if (Folgt(L"<!--") || Folgt(L"<!>")) {
            Kommentar();
        } else if (Folgt(L"<![")) {
            Markiert();
        } else if (Folgt(L"<?")) {
            Verarbeitung();
        } else if (Folgt(L"<!")) {
            const wchar_t* stelle = Stelle();
            Nimm(L"<!");
            std::wstring wort;
            Schluessel(wort);
            if (wort == L"ELEMENT") Element();
            else if (wort == L"ATTLIST") Attliste();
            else if (wort == L"ENTITY") Entity();
            else if (wort == L"NOTATION") Notation();
            else if (wort == L"SHORTREF") Shortref();
            else if (wort == L"USEMAP") Usemap();
            else if (wort == L"LINKTYPE" || wort == L"LINK" || wort == L"IDLINK" || wort == L"USELINK")
                Ueberspringen();
            else {
                Fehler(DTDLABEL, L"Unbekannte Deklaration im DTD.", stelle);
                Ueberspringen();
            }
        } else {
            Fehler(DTDLABEL, L"Unerwartetes Zeichen im DTD.", Stelle());
            Ueberspringen();
        }
    }
    if (!abschnitte_.empty() && stapel_.size() == basis_) {
        Fehler(L"Markierter Bereich", L"Der bedingte Abschnitt wird in dieser Entität nicht beendet.", Stelle());
        abschnitte_.clear();
    }
}

void SDTDR::Intern(BUF* buf, const wchar_t*& cursor) {
    if (buf == nullptr || cursor == nullptr) return;
    puffer_.push_back(buf);
    cursor = Lesen_aus(buf, cursor, true);
}

// Reads the declarations of a buffer from p on; where reading stopped.
const wchar_t* SDTDR::Lesen_aus(BUF* buf, const wchar_t* p, bool intern) {
    Eingabe e{};
    e.p = p;
    e.ende = buf->text + buf->length;
    e.buf = buf;
    e.basis = dtd_->Ablegen(std::wstring_view(buf->dateiname));
    e.entitaet = -1;
    stapel_.clear();
    Push(e);
    basis_ = 1;
    Lesen(intern);
    const wchar_t* ende = stapel_.front().p;
    stapel_.clear();
    return ende;
}

bool SDTDR::Extern(std::wstring_view oeffentlich, std::wstring_view system, std::wstring_view name, BUF* bezug,
                   const wchar_t* stelle) {
    if (quelle_ == nullptr) return false;
    if (bezug != nullptr) puffer_.push_back(bezug);
    const std::wstring basis = bezug != nullptr ? std::wstring(bezug->dateiname) : QUELLE::Arbeitsordner() + L"/";
    bool kaputt = false;
    std::unique_ptr<BUF> neu = Datei(*quelle_, oeffentlich, system, name, {}, basis, bezug, stelle, &kaputt);
    if (!neu) {
        ++warnungen_;
        if (kaputt) ++fehler_;
        return false;
    }
    BUF* buf = dtd_->Behalten(std::move(neu));
    puffer_.push_back(buf);
    Lesen_aus(buf, buf->text, false);
    return true;
}
