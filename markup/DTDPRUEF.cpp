#include "markup/DTDPRUEF.h"

#include <algorithm>

#include "markup/DTDDOK.h"
#include "markup/SGMLR.h"

DTDPRUEF::DTDPRUEF(DTDDOK& dok, std::wstring_view dokumenttyp) : dok_(dok), dokumenttyp_(dokumenttyp) {}

void DTDPRUEF::Melden(const wchar_t* vorlage, std::wstring_view argument, const wchar_t* stelle) {
    dok_.Melden(L"DTD", vorlage, argument, stelle);
}

int DTDPRUEF::Inhalt_von(int info) const {
    if (info < 0) return DTD::UNDEKLARIERT;
    const int e = dok_.infos_[static_cast<std::size_t>(info)].element;
    return e < 0 ? DTD::UNDEKLARIERT : dok_.dtd_.Elemente(e).inhalt;
}

const MODELL* DTDPRUEF::Modell_von(const Offen& o) const {
    if (Inhalt_von(o.info) != DTD::MODELLIERT) return nullptr;
    const int e = dok_.infos_[static_cast<std::size_t>(o.info)].element;
    return &dok_.dtd_.Modell(dok_.dtd_.Elemente(e).modell);
}

void DTDPRUEF::Start(int info, const wchar_t* a, const wchar_t* e) {
    const std::wstring_view name(a, static_cast<std::size_t>(e - a));
    tag_stelle_ = a;
    if (wurzel_ && name != dokumenttyp_)
        Melden(L"Das Wurzelelement '%ls' hat nicht den Namen der Dokumenttyp-Deklaration.", name, a);
    wurzel_ = false;
    const int inhalt = Inhalt_von(info);
    if (inhalt == DTD::UNDEKLARIERT) Melden(L"Das Element '%ls' ist nicht deklariert.", name, a);
    if (tiefe_ > 0) {
        Offen& eltern = stapel_[tiefe_ - 1];
        const std::wstring_view eltername(eltern.name, eltern.laenge);
        const int kind = info >= 0 ? dok_.infos_[static_cast<std::size_t>(info)].name : -1;
        if (Inhalt_von(eltern.info) == DTD::LEER && !eltern.gemeldet) {
            Melden(L"Das Element '%ls' ist als EMPTY deklariert und muss leer sein.", eltername, a);
            eltern.gemeldet = true;
        } else if (const MODELL* m = Modell_von(eltern); m != nullptr && !eltern.gemeldet &&
                                                          !m->Schritt(eltern.lauf, kind)) {
            Melden(L"Das Element '%ls' ist hier nicht erlaubt.", name, a);
            eltern.gemeldet = true;
        }
    }
    if (stapel_.size() <= tiefe_) stapel_.emplace_back();
    Offen& o = stapel_[tiefe_++];
    o.info = info;
    o.name = a;
    o.laenge = name.size();
    o.stelle = a;
    o.gemeldet = false;
    if (const MODELL* m = Modell_von(o)) m->Start(o.lauf);
}

void DTDPRUEF::Attribut_unbekannt(const wchar_t* a, const wchar_t* e) {
    if (tiefe_ > 0 && Inhalt_von(stapel_[tiefe_ - 1].info) == DTD::UNDEKLARIERT) return;
    Melden(L"Das Attribut '%ls' ist für dieses Element nicht deklariert.",
           std::wstring_view(a, static_cast<std::size_t>(e - a)), a);
}

// The value as the DTD sees it: references expanded, white space made
// blanks and, but for CDATA, gathered. A value whose references cannot be
// expanded has been reported as such or stays a reference; it is not
// checked further.
void DTDPRUEF::Wert(int attribut, std::wstring_view roh, const wchar_t* stelle) {
    std::wstring& wert = dok_.wert_;
    DTD::Expansionsfehler f;
    std::wstring_view name;
    if (!dok_.dtd_.Attributwert_expandieren(roh, wert, f, name)) return;
    const int a = dok_.attribute_[static_cast<std::size_t>(attribut)].attribut;
    if (dok_.dtd_.Attribute(a).typ != DTD::T_CDATA) wert.resize(DTD::Zusammenziehen(wert.data(), wert.size()));
    Wert_pruefen(a, stelle);
}

void DTDPRUEF::Wert_pruefen(int attribut, const wchar_t* stelle) {
    const std::wstring& wert = dok_.wert_;
    const DTD::Attribut& a = dok_.dtd_.Attribute(attribut);
    switch (dok_.dtd_.Wert_pruefen(attribut, wert)) {
    case DTD::W_GUT:
        break;
    case DTD::W_NICHT_IN_LISTE:
        return Melden(L"Der Wert '%ls' ist für dieses Attribut nicht erlaubt.", wert, stelle);
    case DTD::W_NICHT_FEST:
        return Melden(L"Das Attribut '%ls' hat nicht seinen festen Wert (#FIXED).", dok_.dtd_.Text(a.name), stelle);
    case DTD::W_KEINE_ENTITAET:
        return Melden(L"Der Wert '%ls' nennt keine nicht analysierte Entität.", wert, stelle);
    default:
        return Melden(L"Der Wert '%ls' passt nicht zum Typ des Attributs.", wert, stelle);
    }
    if (a.typ == DTD::T_ID && !ids_.ID(wert, stelle)) Melden(L"Die ID '%ls' ist mehrfach vergeben.", wert, stelle);
    if (a.typ == DTD::T_IDREF) ids_.Verweis(wert, stelle);
    if (a.typ != DTD::T_IDREFS) return;
    for (std::size_t i = 0; i < wert.size();) {
        std::size_t j = wert.find(L' ', i);
        if (j == std::wstring::npos) j = wert.size();
        ids_.Verweis(std::wstring_view(wert).substr(i, j - i), stelle);
        i = j + 1;
    }
}

void DTDPRUEF::Tag_fertig(int info, bool leer) {
    if (info >= 0) {
        const DTDDOK::Elementinfo& ei = dok_.infos_[static_cast<std::size_t>(info)];
        for (int i = ei.erstes; i < ei.erstes + ei.anzahl; ++i) {
            const DTDDOK::Attributinfo& ai = dok_.attribute_[static_cast<std::size_t>(i)];
            const DTD::Attribut& a = dok_.dtd_.Attribute(ai.attribut);
            if (a.vorgabe == DTD::V_PFLICHT &&
                std::find(dok_.gegeben_.begin(), dok_.gegeben_.end(), ai.nummer) == dok_.gegeben_.end())
                Melden(L"Das Pflichtattribut '%ls' fehlt.", dok_.dtd_.Text(a.name), tag_stelle_);
        }
    }
    if (leer) Ende(tag_stelle_);
}

void DTDPRUEF::Ende(const wchar_t* stelle) {
    if (tiefe_ == 0) return;
    Offen& o = stapel_[--tiefe_];
    const MODELL* m = Modell_von(o);
    if (m != nullptr && !o.gemeldet && !m->Fertig(o.lauf))
        Melden(L"Der Inhalt des Elements '%ls' ist unvollständig.", std::wstring_view(o.name, o.laenge), stelle);
}

void DTDPRUEF::Text(bool nur_leerraum, const wchar_t* stelle) {
    if (tiefe_ == 0) return;
    Offen& o = stapel_[tiefe_ - 1];
    if (o.gemeldet) return;
    const int inhalt = Inhalt_von(o.info);
    const MODELL* m = Modell_von(o);
    if (inhalt == DTD::LEER) {
        Melden(L"Das Element '%ls' ist als EMPTY deklariert und muss leer sein.", std::wstring_view(o.name, o.laenge),
               stelle);
        o.gemeldet = true;
    } else if (m != nullptr && !m->Gemischt() && !nur_leerraum) {
        Melden(L"Text ist im Element '%ls' nicht erlaubt.", std::wstring_view(o.name, o.laenge), stelle);
        o.gemeldet = true;
    }
}

void DTDPRUEF::Dokumentende() {
    ids_.Offene(offene_);
    for (const IDMENGE::Offen& o : offene_) Melden(L"Die ID '%ls' ist nicht vergeben.", o.name, o.stelle);
}
