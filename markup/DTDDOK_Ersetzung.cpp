// Entity references replaced while the document is read
// (CONVERTENTITIES = EXPAND), and what the conversion asks afterwards.
#include <algorithm>
#include <cwchar>

#include "markup/DTDDOK.h"
#include "markup/QUELLE.h"
#include "markup/SGMLR.h"
#include "markup/SKRIPTFRAGEN.h"
#include "textio/BUF.h"

namespace {
const wchar_t* const ENTITAET = L"Entität";
// What one replacement costs beyond its characters (its items).
constexpr std::size_t ERSATZ_GRUNDKOSTEN = 16;
}  // namespace

int DTDDOK::Entitaet(std::wstring_view name) const {
    return dtd_.Entitaet_von(dtd_.Entitaetsname(name), false);
}

bool DTDDOK::Skript_definiert(int entitaet) {
    Ersatztext& t = ersatz_[static_cast<std::size_t>(entitaet)];
    if (t.skript == 0) {
        const std::wstring_view name = dtd_.Text(dtd_.Entitaeten(entitaet).name);
        t.skript = skript_ != nullptr && skript_->Entitaet_definiert(name) ? 2 : 1;
    }
    return t.skript == 2;
}

bool DTDDOK::Budget(std::size_t laenge, std::wstring_view name, const wchar_t* stelle) {
    ersetzt_ += laenge + ERSATZ_GRUNDKOSTEN;
    if (ersetzt_ <= ersatzgrenze_ && tiefe_ < DTD::MAX_ENTITAETSTIEFE) return true;
    Melden(ENTITAET, DTD::Fehlertext(DTD::X_GRENZE), name, stelle);
    erschoepft_ = true;
    return false;
}

// The text of a parsed external entity, without its text declaration,
// read once; null after a warning or when it may not be read.
static std::wstring_view Externer_Text(DTD& dtd, QUELLE& quelle, const DTD::Entitaet& e, BUF* bezug,
                                       const wchar_t* stelle) {
    std::wstring pfad;
    bool kaputt = false;
    if (!quelle.Aufloesen(e.oeffentlich, e.system, e.basis, pfad, bezug, stelle)) return {};
    std::unique_ptr<BUF> neu = quelle.Oeffnen(pfad, bezug, stelle, &kaputt);
    if (!neu) return {};
    BUF* b = dtd.Behalten(std::move(neu));
    std::wstring_view text(b->text, static_cast<std::size_t>(b->length));
    if (text.substr(0, 5) == L"<?xml" && text.size() > 5 && (text[5] == L' ' || text[5] == L'\t' ||
                                                             text[5] == L'\n' || text[5] == L'\r')) {
        const std::size_t schluss = text.find(L"?>");
        if (schluss != std::wstring_view::npos) text.remove_prefix(schluss + 2);
    }
    return text;
}

DTDDOK::Ersatz DTDDOK::Ersetzung(std::wstring_view name, bool attributwert, const wchar_t* stelle) {
    Ersatz r;
    if (erschoepft_) {
        r.art = FEHLER;
        return r;
    }
    const int e = Entitaet(name);
    // Undeclared and predefined entities stay references: the conversion
    // writes them.
    if (e < 0 || dtd_.Entitaeten(e).stelle == nullptr) return r;
    if (ersatz_.size() < static_cast<std::size_t>(dtd_.Entitaetszahl()))
        ersatz_.resize(static_cast<std::size_t>(dtd_.Entitaetszahl()));
    if (Skript_definiert(e)) return r;
    Ersatztext& t = ersatz_[static_cast<std::size_t>(e)];
    const DTD::Entitaet& ent = dtd_.Entitaeten(e);
    auto fehler = [&](DTD::Expansionsfehler f, std::wstring_view n) {
        Melden(ENTITAET, DTD::Fehlertext(f), f == DTD::X_GRENZE ? name : n, stelle);
        if (f == DTD::X_GRENZE) erschoepft_ = true;
        r.art = FEHLER;
        return r;
    };
    if (ent.art == DTD::E_UNGEPARST) return fehler(DTD::X_UNGEPARST, name);
    if (attributwert) {
        if (ent.art == DTD::E_EXTERN) return fehler(DTD::X_EXTERN, name);
        if (t.attribut == nullptr) {
            std::wstring wert;
            DTD::Expansionsfehler f = DTD::X_GUT;
            std::wstring_view fehlername;
            const std::wstring referenz = L"&" + std::wstring(name) + L";";
            if (!dtd_.Attributwert_expandieren(referenz, wert, f, fehlername))
                return fehler(f, fehlername.empty() ? name : fehlername);
            t.attribut = meta_->Ablegen(wert.data(), wert.size());
            if (t.attribut == nullptr) return fehler(DTD::X_GRENZE, name);
            t.attribut_ende = t.attribut + wert.size();
        }
        r.art = TEXT;
        r.text = t.attribut;
        r.ende = t.attribut_ende;
        return r;
    }
    if (ent.art == DTD::E_EXTERN && !auftrag_.extern_lesen) return r;
    if (t.offen) return fehler(DTD::X_REKURSION, name);
    if (t.text == nullptr) {
        std::wstring_view text = ent.text;
        if (ent.art == DTD::E_EXTERN) {
            text = Externer_Text(dtd_, *quelle_, ent, buf_, stelle);
            if (text.data() == nullptr) {
                ++warnungen_;
                return r;
            }
        }
        t.markup = text.find_first_of(L"<&") != std::wstring_view::npos;
        // Text to read as content ends in a "<" that begins nothing: the
        // reading stops there without reaching the end of a text.
        std::wstring kopie(text);
        if (t.markup) kopie.push_back(L'<');
        t.text = meta_->Ablegen(kopie.data(), kopie.size());
        if (t.text == nullptr) return fehler(DTD::X_GRENZE, name);
        t.ende = t.text + kopie.size() - (t.markup ? 1 : 0);
    }
    if (!Budget(static_cast<std::size_t>(t.ende - t.text), name, stelle)) {
        r.art = FEHLER;
        return r;
    }
    r.text = t.text;
    r.ende = t.ende;
    if (!t.markup) {
        r.art = TEXT;
        return r;
    }
    r.art = INHALT;
    r.entitaet = e;
    t.offen = true;
    ++tiefe_;
    return r;
}

void DTDDOK::Ersetzung_fertig(int entitaet) {
    if (entitaet < 0 || static_cast<std::size_t>(entitaet) >= ersatz_.size()) return;
    ersatz_[static_cast<std::size_t>(entitaet)].offen = false;
    --tiefe_;
}
