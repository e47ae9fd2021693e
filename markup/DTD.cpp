// The declaration model: storage, lookups and what the readers call to fill it.
#include "markup/DTD.h"

#include <algorithm>

#include "textio/BUF.h"

namespace {

std::uint64_t Paarschluessel(int element, int attribut) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(element)) << 32) |
           static_cast<std::uint32_t>(attribut);
}

std::size_t Streuung(std::uint64_t s) {
    s ^= s >> 33;
    s *= 0xff51afd7ed558ccdull;
    s ^= s >> 33;
    return static_cast<std::size_t>(s);
}

}  // namespace

DTD::DTD(bool xml, bool namecase) : xml_(xml), namecase_(namecase), attributindex_(64, Paar{~0ull, -1}) {
    if (xml_) Vordefinieren();
}

DTD::~DTD() = default;

// The five entities every XML document knows, with the texts the XML
// recommendation gives them ("<" and "&" as character references, so that
// they stay data when the text is parsed again).
void DTD::Vordefinieren() {
    static const struct {
        const wchar_t* name;
        const wchar_t* text;
    } vordefiniert[] = {
        {L"lt", L"&#60;"}, {L"gt", L">"}, {L"amp", L"&#38;"}, {L"apos", L"'"}, {L"quot", L"\""},
    };
    for (const auto& v : vordefiniert) {
        const int e = Entitaet_neu(namen_.Aufnehmen(std::wstring_view(v.name)), false, nullptr, nullptr);
        entitaeten_[static_cast<std::size_t>(e)].text = v.text;
    }
    vordefiniert_ = static_cast<int>(entitaeten_.size());
}

void DTD::Eintragen(std::vector<std::int32_t>& k, int name, int wert) {
    if (static_cast<std::size_t>(name) >= k.size()) k.resize(static_cast<std::size_t>(name) + 1, -1);
    k[static_cast<std::size_t>(name)] = wert;
}

std::wstring_view DTD::Ablegen(std::wstring_view s) {
    texte_.emplace_back(s);
    return texte_.back();
}

std::wstring_view DTD::Ablegen(std::wstring&& s) {
    texte_.push_back(std::move(s));
    return texte_.back();
}

BUF* DTD::Behalten(std::unique_ptr<BUF> buf) {
    puffer_.push_back(std::move(buf));
    return puffer_.back().get();
}

// ---------------------------------------------------------------- elements

DTD::Elementtyp& DTD::Elementtyp_von(int name) {
    int i = Element(name);
    if (i < 0) {
        i = static_cast<int>(elemente_.size());
        elemente_.emplace_back();
        elemente_.back().name = name;
        Eintragen(elemente_nach_name_, name, i);
    }
    return elemente_[static_cast<std::size_t>(i)];
}

bool DTD::Element_deklarieren(int name, Inhalt inhalt, std::unique_ptr<MODELL> modell, const BUF* quelle,
                              const wchar_t* stelle) {
    Elementtyp& e = Elementtyp_von(name);
    if (e.inhalt != UNDEKLARIERT) return false;
    e.inhalt = inhalt;
    e.quelle = quelle;
    e.stelle = stelle;
    if (modell) {
        e.modell = static_cast<std::int32_t>(modelle_.size());
        modelle_.push_back(std::move(modell));
    }
    return true;
}

// -------------------------------------------------------------- attributes

int DTD::Attribut_von(int element_name, int attribut_name) const {
    if (element_name < 0 || attribut_name < 0) return -1;
    const std::uint64_t s = Paarschluessel(element_name, attribut_name);
    const std::size_t maske = attributindex_.size() - 1;
    for (std::size_t i = Streuung(s) & maske;; i = (i + 1) & maske) {
        const Paar& p = attributindex_[i];
        if (p.wert < 0) return -1;
        if (p.schluessel == s) return p.wert;
    }
}

void DTD::Einsortieren(const Paar& p) {
    const std::size_t maske = attributindex_.size() - 1;
    std::size_t i = Streuung(p.schluessel) & maske;
    while (attributindex_[i].wert >= 0) i = (i + 1) & maske;
    attributindex_[i] = p;
}

int DTD::Attribut_neu(int element_name, int attribut_name, const BUF* quelle, const wchar_t* stelle) {
    if (Attribut_von(element_name, attribut_name) >= 0) return -1;
    if ((attributindex_belegt_ + 1) * 2 > attributindex_.size()) {
        std::vector<Paar> alt(attributindex_.size() * 2, Paar{~0ull, -1});
        alt.swap(attributindex_);
        for (const Paar& p : alt)
            if (p.wert >= 0) Einsortieren(p);
    }
    const int nummer = static_cast<int>(attribute_.size());
    attribute_.emplace_back();
    Attribut& a = attribute_.back();
    a.element = element_name;
    a.name = attribut_name;
    a.quelle = quelle;
    a.stelle = stelle;
    Einsortieren(Paar{Paarschluessel(element_name, attribut_name), nummer});
    ++attributindex_belegt_;
    Elementtyp_von(element_name).attribute.push_back(nummer);
    return nummer;
}

bool DTD::Hat_Typ(int element_name, Typ typ) const {
    const int e = Element(element_name);
    if (e < 0) return false;
    for (std::int32_t a : elemente_[static_cast<std::size_t>(e)].attribute)
        if (attribute_[static_cast<std::size_t>(a)].typ == typ) return true;
    return false;
}

// ------------------------------------------------------ entities, notations

int DTD::Entitaet_neu(int name, bool parameter, const BUF* quelle, const wchar_t* stelle) {
    if (Entitaet_von(name, parameter) >= 0) return -1;
    const int nummer = static_cast<int>(entitaeten_.size());
    entitaeten_.emplace_back();
    Entitaet& e = entitaeten_.back();
    e.name = name;
    e.parameter = parameter;
    e.quelle = quelle;
    e.stelle = stelle;
    Eintragen(parameter ? parameter_nach_name_ : entitaeten_nach_name_, name, nummer);
    return nummer;
}

int DTD::Notation_neu(int name, const BUF* quelle, const wchar_t* stelle) {
    if (Notation_von(name) >= 0) return -1;
    const int nummer = static_cast<int>(notationen_.size());
    notationen_.push_back({name, {}, {}, quelle, stelle});
    Eintragen(notationen_nach_name_, name, nummer);
    return nummer;
}
