// The reader's input stack, parameter entity references, messages and the
// loop over the declarations.
#include "markup/DTDR.h"

#include <cwchar>

#include "markup/KATALOG.h"
#include "markup/QUELLE.h"
#include "textio/BUF.h"

namespace {
bool Leerzeichen(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r'; }
const wchar_t* const DTDLABEL = L"DTD";
}  // namespace

DTDR::DTDR(DTD* dtd, QUELLE* quelle) : dtd_(dtd), quelle_(quelle) {}

// ------------------------------------------------------------ the stack

// The character at the reading position; inputs above the bottom that are
// used up are left on the way. 0 at the end of the bottom input.
wchar_t DTDR::Z() {
    for (;;) {
        const Eingabe& e = stapel_.back();
        if (e.vorn) return L' ';
        if (e.p < e.ende) return *e.p;
        if (e.hinten) return L' ';
        if (stapel_.size() <= basis_) return 0;
        Pop();
    }
}

void DTDR::W() {
    Eingabe& e = stapel_.back();
    if (e.vorn)
        e.vorn = false;
    else if (e.p < e.ende)
        ++e.p;
    else
        e.hinten = false;
}

const wchar_t* DTDR::Stelle() { return stapel_.back().p; }
int DTDR::Nummer() {
    Z();
    return stapel_.back().nummer;
}

// Whether t stands at the reading position within the current input.
bool DTDR::Folgt(const wchar_t* t) {
    Z();
    const Eingabe& e = stapel_.back();
    if (e.vorn) return false;
    const std::size_t n = std::wcslen(t);
    return static_cast<std::size_t>(e.ende - e.p) >= n && std::wmemcmp(e.p, t, n) == 0;
}

bool DTDR::Nimm(const wchar_t* t) {
    if (!Folgt(t)) return false;
    stapel_.back().p += std::wcslen(t);
    return true;
}

// A keyword that no name character follows.
bool DTDR::Wort(const wchar_t* w) {
    if (!Folgt(w)) return false;
    const Eingabe& e = stapel_.back();
    const wchar_t* nach = e.p + std::wcslen(w);
    if (nach < e.ende && DTD::Namenszeichen(*nach)) return false;
    stapel_.back().p = nach;
    return true;
}

void DTDR::Push(const Eingabe& e) {
    if (e.entitaet >= 0) {
        if (offen_.size() <= static_cast<std::size_t>(e.entitaet)) offen_.resize(static_cast<std::size_t>(e.entitaet) + 1, 0);
        offen_[static_cast<std::size_t>(e.entitaet)] = 1;
    }
    stapel_.push_back(e);
    stapel_.back().nummer = ++naechste_nummer_;
    stapel_.back().abschnitte = static_cast<int>(abschnitte_.size());
}

void DTDR::Pop() {
    const Eingabe e = stapel_.back();
    stapel_.pop_back();
    if (e.entitaet >= 0) offen_[static_cast<std::size_t>(e.entitaet)] = 0;
    if (static_cast<int>(abschnitte_.size()) > e.abschnitte) {
        Gueltigkeit(L"Markierter Bereich", L"Der bedingte Abschnitt wird in dieser Entität nicht beendet.", e.ende);
    }
}

// White space and, in declarations, parameter entity references (which
// bring their blanks). True when anything was read.
bool DTDR::Leer(bool* fehlerhaft) {
    bool etwas = false;
    for (;;) {
        const wchar_t c = Z();
        if (Leerzeichen(c)) {
            W();
            etwas = true;
            continue;
        }
        if (c == L'%') {
            const Eingabe& e = stapel_.back();
            if (e.vorn || e.p + 1 >= e.ende || !DTD::Namensanfang(e.p[1])) return etwas;
            const wchar_t* stelle = Stelle();
            const std::size_t tiefe = stapel_.size();
            Referenz(stelle, true);
            if (fehlerhaft != nullptr && stapel_.size() == tiefe) *fehlerhaft = true;
            etwas = true;
            continue;
        }
        return etwas;
    }
}

bool DTDR::Leer_pflicht(const wchar_t* label) {
    if (Leer()) return true;
    Fehler(label, L"Leerraum erwartet.", Stelle());
    return false;
}

// A name within the current input.
bool DTDR::Name(std::wstring& out) {
    out.clear();
    Z();
    Eingabe& e = stapel_.back();
    if (e.vorn || e.p >= e.ende || !DTD::Namensanfang(*e.p)) return false;
    const wchar_t* a = e.p;
    while (e.p < e.ende && DTD::Namenszeichen(*e.p)) ++e.p;
    out.assign(a, static_cast<std::size_t>(e.p - a));
    return true;
}

// A quoted literal within the current input, without its quotes.
bool DTDR::Literal(std::wstring_view& out, const wchar_t* label) {
    const wchar_t q = Z();
    Eingabe& e = stapel_.back();
    if (e.vorn || (q != L'"' && q != L'\'')) {
        Fehler(label, L"Zeichenkette erwartet.", Stelle());
        return false;
    }
    const wchar_t* a = e.p + 1;
    const wchar_t* s = std::wmemchr(a, q, static_cast<std::size_t>(e.ende - a));
    if (s == nullptr) {
        Fehler(label, L"Die Zeichenkette wird in dieser Entität nicht beendet.", e.p);
        e.p = e.ende;
        return false;
    }
    out = std::wstring_view(a, static_cast<std::size_t>(s - a));
    e.p = s + 1;
    return true;
}

// ------------------------------------------------------------- messages

// Finds the file a position lies in; a position inside a replacement
// text is reported where the reference to it stood.
void DTDR::Melden(bool warnung, const wchar_t* label, const wchar_t* vorlage, const wchar_t* stelle,
                  const std::wstring_view* argument) {
    BUF* buf = nullptr;
    auto liegt_in = [](const BUF* b, const wchar_t* s) {
        return b != nullptr && b->text != nullptr && s >= b->text && s <= b->text + b->length;
    };
    for (BUF* b : puffer_)
        if (liegt_in(b, stelle)) buf = b;
    for (std::size_t i = stapel_.size(); buf == nullptr && i-- > 0;) {
        if (liegt_in(stapel_[i].buf, stelle)) buf = stapel_[i].buf;
        else stelle = stapel_[i].bezug;
    }
    if (buf == nullptr) {
        if (puffer_.empty()) return;
        buf = puffer_.front();
        stelle = nullptr;
    }
    const std::wstring arg = argument != nullptr ? std::wstring(*argument) : std::wstring();
    buf->Fehlermeldung(warnung ? 0 : -1, 0, label, vorlage, argument != nullptr ? arg.c_str() : nullptr, stelle);
    ++(warnung ? warnungen_ : fehler_);
}

// ------------------------------------------------------------ references

// "%name;" at the reading position: its text is pushed (with blanks).
void DTDR::Referenz(const wchar_t* stelle, bool in_deklaration) {
    const bool intern = Intern_kontext();
    W();  // "%"
    if (!Name(name_)) {
        Fehler(DTDLABEL, L"Das Zeichen '%ls' ist hier nicht erlaubt.", stelle, L"%");
        return;
    }
    if (!Nimm(L";")) {
        Fehler(DTDLABEL, L"Referenzende (;) erwartet.", Stelle());
        return;
    }
    // Reported, and still replaced, so that the declaration reads on.
    if (in_deklaration && intern)
        Fehler(DTDLABEL, L"Parameter-Entity-Referenzen sind im internen Subset nur zwischen Deklarationen erlaubt.",
               stelle);
    const int e = dtd_->Entitaet_von(dtd_->Entitaetsname(name_), true);
    if (e < 0) {
        const std::wstring_view n = name_;
        Melden(!intern && !validieren, L"Entität", L"Die Parameter-Entität '%ls' ist nicht deklariert.", stelle, &n);
        return;
    }
    Oeffnen(e, stelle);
}

void DTDR::Oeffnen(int entitaet, const wchar_t* stelle) {
    const DTD::Entitaet& ent = dtd_->Entitaeten(entitaet);
    if (static_cast<std::size_t>(entitaet) < offen_.size() && offen_[static_cast<std::size_t>(entitaet)]) {
        const std::wstring_view n = dtd_->Text(ent.name);
        Melden(false, L"Entität", L"Die Parameter-Entität '%ls' verweist auf sich selbst (Rekursion).", stelle, &n);
        return;
    }
    if (stapel_.size() >= basis_ + MAX_TIEFE) {
        Fehler(L"Entität", L"Die Entitätsersetzung ist zu groß oder zu tief verschachtelt.", stelle);
        return;
    }
    Eingabe e{};
    e.entitaet = entitaet;
    e.vorn = e.hinten = true;
    e.bezug = stelle;
    e.basis = stapel_.back().basis;
    if (ent.art == DTD::E_INTERN) {
        e.p = ent.text.data();
        e.ende = e.p + ent.text.size();
        e.buf = ent.literal != nullptr ? const_cast<BUF*>(ent.quelle) : nullptr;
        e.extern_ = ent.extern_deklariert;
    } else {
        if (!extern_lesen || quelle_ == nullptr) {
            uebergangen_ = true;
            return;
        }
        if (!Extern_laden(entitaet, ent.oeffentlich, ent.system, ent.basis, stelle, e)) return;
    }
    ersetzt_ += static_cast<std::size_t>(e.ende - e.p);
    if (ersetzt_ > MAX_ERSETZT) {
        Fehler(L"Entität", L"Die Entitätsersetzung ist zu groß oder zu tief verschachtelt.", stelle);
        return;
    }
    Push(e);
}

// Reads (once) the file of an external entity into `e`; false after a
// message, and then the rest of the declarations are read but not taken.
bool DTDR::Extern_laden(int entitaet, std::wstring_view pub, std::wstring_view sys, std::wstring_view basis,
                        const wchar_t* stelle, Eingabe& e) {
    if (geladen_.size() < static_cast<std::size_t>(dtd_->Entitaetszahl())) geladen_.resize(static_cast<std::size_t>(dtd_->Entitaetszahl()), nullptr);
    BUF* buf = entitaet >= 0 ? geladen_[static_cast<std::size_t>(entitaet)] : nullptr;
    if (buf == nullptr) {
        BUF* meldung = Puffer_von(stelle);
        if (meldung == nullptr && !puffer_.empty()) meldung = puffer_.front();
        std::wstring pfad;
        bool kaputt = false;
        std::unique_ptr<BUF> neu;
        if (quelle_->Aufloesen(pub, sys, basis, pfad, meldung, stelle)) neu = quelle_->Oeffnen(pfad, meldung, stelle, &kaputt);
        if (!neu) {
            if (meldung != nullptr) ++warnungen_;
            if (kaputt) ++fehler_;
            uebergangen_ = true;
            return false;
        }
        neu->exakt = true;
        buf = dtd_->Behalten(std::move(neu));
        puffer_.push_back(buf);
        if (entitaet >= 0) geladen_[static_cast<std::size_t>(entitaet)] = buf;
    }
    e.p = buf->text;
    e.ende = buf->text + buf->length;
    e.buf = buf;
    e.extern_ = true;
    e.basis = dtd_->Ablegen(std::wstring_view(buf->dateiname));
    Textdeklaration(e);
    return true;
}

// "<?xml ... ?>" at the start of an external entity: version optional,
// encoding required; the buffer has decoded the text already.
void DTDR::Textdeklaration(Eingabe& e) {
    const std::wstring_view rest(e.p, static_cast<std::size_t>(e.ende - e.p));
    if (rest.size() < 6 || rest.compare(0, 5, L"<?xml") != 0 || !Leerzeichen(rest[5])) return;
    const std::size_t schluss = rest.find(L"?>");
    const std::wstring_view dekl = rest.substr(0, schluss);
    if (schluss == std::wstring_view::npos || dekl.find(L"encoding") == std::wstring_view::npos) {
        stapel_.push_back(e);  // so that the message finds the file
        Fehler(L"XML-Deklaration", L"Fehlerhafte Textdeklaration (encoding fehlt).", e.p);
        stapel_.pop_back();
        if (schluss == std::wstring_view::npos) return;
    }
    e.p += schluss + 2;
}

// ---------------------------------------------------------- declarations

// Skips to the end of a faulty declaration: past the next ">", but not
// past the "]" that ends the internal subset.
void DTDR::Ueberspringen() {
    for (wchar_t c = Z(); c != 0; c = Z()) {
        if (intern_ && c == L']' && stapel_.size() == basis_) return;
        W();
        if (c == L'>') return;
    }
}

void DTDR::Lesen(bool intern) {
    intern_ = intern;
    for (wchar_t c = Z(); c != 0; c = Z()) {
        if (Leerzeichen(c)) {
            W();
        } else if (c == L'%' && !stapel_.back().vorn) {
            Referenz(Stelle(), false);
        } else if (c == L']' && intern && stapel_.size() == basis_) {
            break;
        } else if (Folgt(L"]]>")) {
            Abschnitt_ende();
        } else if (Folgt(L"<!--")) {
            Kommentar();
        } else if (Folgt(L"<?")) {
            Verarbeitung();
        } else if (Folgt(L"<![")) {
            Bedingt();
        } else if (Folgt(L"<!ELEMENT")) {
            Element();
        } else if (Folgt(L"<!ATTLIST")) {
            Attliste();
        } else if (Folgt(L"<!ENTITY")) {
            Entity();
        } else if (Folgt(L"<!NOTATION")) {
            Notation();
        } else {
            Fehler(DTDLABEL, Folgt(L"<!") ? L"Unbekannte Deklaration im DTD." : L"Unerwartetes Zeichen im DTD.",
                   Stelle());
            Ueberspringen();
        }
    }
    if (!abschnitte_.empty() && stapel_.size() == basis_) {
        Fehler(L"Markierter Bereich", L"Der bedingte Abschnitt wird in dieser Entität nicht beendet.", Stelle());
        abschnitte_.clear();
    }
}

int DTDR::Intern(BUF* buf, wchar_t*& cursor) {
    const int vorher = fehler_;
    if (buf == nullptr || cursor == nullptr) return 0;
    puffer_.push_back(buf);
    Eingabe e{};
    e.p = cursor;
    e.ende = buf->text + buf->length;
    e.buf = buf;
    e.basis = dtd_->Ablegen(std::wstring_view(buf->dateiname));
    e.entitaet = -1;
    stapel_.clear();
    Push(e);
    basis_ = 1;
    Lesen(true);
    cursor = const_cast<wchar_t*>(stapel_.front().p);
    stapel_.clear();
    return fehler_ == vorher;
}

int DTDR::Extern(std::wstring_view oeffentlich, std::wstring_view system, BUF* bezug, const wchar_t* stelle) {
    const int vorher = fehler_;
    if (quelle_ == nullptr || !extern_lesen) return 1;
    if (bezug != nullptr) puffer_.push_back(bezug);
    const std::wstring basis = bezug != nullptr ? std::wstring(bezug->dateiname) : QUELLE::Arbeitsordner() + L"/";
    Eingabe e{};
    e.entitaet = -1;
    stapel_.clear();
    if (!Extern_laden(-1, oeffentlich, system, basis, stelle, e)) return fehler_ == vorher;
    Push(e);
    basis_ = 1;
    Lesen(false);
    stapel_.clear();
    return fehler_ == vorher;
}
