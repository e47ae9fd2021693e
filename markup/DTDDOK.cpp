// The DTD of one document: reading its subsets, the tables of its names,
// attribute defaults and normalisation.
#include "markup/DTDDOK.h"

#include <algorithm>

#include "base/NAMEN.h"
#include "markup/DTDPRUEF.h"
#include "markup/DTDR.h"
#include "markup/KATALOG.h"
#include "markup/QUELLE.h"
#include "markup/SGMLR.h"
#include "textio/BUF.h"

namespace {

// The run's XML catalogs, read on first use.
KATALOG* Laufkatalog() {
    static std::unique_ptr<KATALOG> katalog = KATALOG::Xml();
    return katalog.get();
}

bool Leerraum(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r'; }

}  // namespace

DTDDOK::DTDDOK(SGMLR* leser, BUF* buf, META* meta, const SKRIPTFRAGEN* skript, KATALOG* katalog,
               const Auftrag& auftrag)
    : leser_(leser), buf_(buf), meta_(meta), skript_(skript), auftrag_(auftrag) {
    quelle_ = std::make_unique<QUELLE>(katalog != nullptr ? katalog : Laufkatalog());
    if (buf_ != nullptr) quelle_->Dokument(buf_->dateiname);
    dtdr_ = std::make_unique<DTDR>(&dtd_, quelle_.get());
    dtdr_->validieren = auftrag_.validieren;
    dtdr_->extern_lesen = auftrag_.extern_lesen;
    const std::size_t laenge = buf_ != nullptr ? static_cast<std::size_t>(buf_->length) : 0;
    ersatzgrenze_ = std::max(MIN_ERSETZUNG, laenge * ERSETZUNG_JE_ZEICHEN);
}

DTDDOK::~DTDDOK() = default;

void DTDDOK::Melden(const wchar_t* label, const wchar_t* vorlage, std::wstring_view argument,
                    const wchar_t* stelle) {
    if (leser_ == nullptr) return;
    const std::wstring arg(argument);
    leser_->Fehlermeldung(false, label, vorlage, arg.c_str(), stelle);
}

// ------------------------------------------------------------ the DOCTYPE

int DTDDOK::Intern(wchar_t*& cursor) {
    const int vorher = dtdr_->Fehler();
    const int warnungen = dtdr_->Warnungen();
    dtdr_->Intern(buf_, cursor);
    warnungen_ += dtdr_->Warnungen() - warnungen;
    return dtdr_->Fehler() - vorher;
}

int DTDDOK::Abschliessen(std::wstring_view name, std::wstring_view oeffentlich, std::wstring_view system,
                         const wchar_t* stelle) {
    const int vorher = dtdr_->Fehler();
    const int warnungen = dtdr_->Warnungen();
    const bool extern_genannt = !oeffentlich.empty() || !system.empty();
    if (extern_genannt && auftrag_.extern_lesen) dtdr_->Extern(oeffentlich, system, buf_, stelle);
    dtdr_->Abschliessen();
    extern_ungelesen_ = (extern_genannt && !auftrag_.extern_lesen) || dtdr_->Uebergangen();
    warnungen_ += dtdr_->Warnungen() - warnungen;
    const int fehler = dtdr_->Fehler() - vorher;
    Entitaeten_aufnehmen();
    aktiv_ = dtd_.Attributzahl() > 0 || auftrag_.validieren;
    if (auftrag_.validieren) pruefung_ = std::make_unique<DTDPRUEF>(*this, name);
    return fehler;
}

// The general entities as FILE looks for them: the name, and for an
// external one its public and system identifier.
void DTDDOK::Entitaeten_aufnehmen() {
    auto aufnehmen = [this](METAtypeItems art, std::wstring_view text) {
        wchar_t* t = meta_->Ablegen(text.data(), text.size());
        if (t != nullptr) leser_->Anfuegen(art, t, t + text.size());
    };
    for (int i = 0; i < dtd_.Entitaetszahl(); ++i) {
        const DTD::Entitaet& e = dtd_.Entitaeten(i);
        if (e.parameter || e.stelle == nullptr) continue;  // predefined
        aufnehmen(META_ENTITY_NAME, dtd_.Text(e.name));
        if (e.art != DTD::E_EXTERN && e.art != DTD::E_UNGEPARST) continue;
        if (!e.oeffentlich.empty()) aufnehmen(META_EXTERNAL_ID, e.oeffentlich);
        aufnehmen(META_EXTERNAL_ID, e.system);
    }
}

// -------------------------------------------------------------- the names

int DTDDOK::Info_von(int nummer, const wchar_t* a, const wchar_t* e) {
    if (nummer <= 0) return -1;
    const auto n = static_cast<std::size_t>(nummer);
    if (n >= info_nach_nummer_.size()) info_nach_nummer_.resize(n + n / 2 + 64, -1);
    int& info = info_nach_nummer_[n];
    if (info < 0) info = Info_bauen(a, e);
    return info;
}

// The element's declarations as this document uses them: its attributes
// with the run-wide numbers of their names.
int DTDDOK::Info_bauen(const wchar_t* a, const wchar_t* e) {
    Elementinfo info{};
    info.name = dtd_.Name(std::wstring_view(a, static_cast<std::size_t>(e - a)));
    info.element = dtd_.Element(info.name);
    info.erstes = static_cast<int>(attribute_.size());
    if (info.element >= 0) {
        for (std::int32_t i : dtd_.Elemente(info.element).attribute) {
            const DTD::Attribut& at = dtd_.Attribute(i);
            Attributinfo ai{};
            ai.attribut = i;
            ai.nummer = Namenstabelle().Nummer(dtd_.Text(at.name));
            ai.cdata = at.typ == DTD::T_CDATA;
            ai.vorgabe = at.vorgabe == DTD::V_WERT || at.vorgabe == DTD::V_FEST;
            info.vorgaben = info.vorgaben || ai.vorgabe;
            attribute_.push_back(ai);
        }
    }
    info.anzahl = static_cast<int>(attribute_.size()) - info.erstes;
    infos_.push_back(info);
    return static_cast<int>(infos_.size()) - 1;
}

// ------------------------------------------------------------- start tags

void DTDDOK::Starttag(int item, const wchar_t* a, const wchar_t* e) {
    const int nummer = Namenstabelle().Nummer(a, e);
    if (item >= 0) meta_->Name_mitteilen(nummer);
    tag_info_ = Info_von(nummer, a, e);
    attribut_item_ = -1;
    attribut_info_ = -1;
    gegeben_.clear();
    if (pruefung_) pruefung_->Start(tag_info_, a, e);
}

void DTDDOK::Attributname(int item, const wchar_t* a, const wchar_t* e) {
    const int nummer = Namenstabelle().Nummer(a, e);
    if (item >= 0) meta_->Name_mitteilen(nummer);
    gegeben_.push_back(nummer);
    attribut_item_ = item;
    attribut_info_ = -1;
    if (tag_info_ < 0) return;
    const Elementinfo& info = infos_[static_cast<std::size_t>(tag_info_)];
    for (int i = info.erstes; i < info.erstes + info.anzahl && attribut_info_ < 0; ++i)
        if (attribute_[static_cast<std::size_t>(i)].nummer == nummer) attribut_info_ = i;
    if (pruefung_ && attribut_info_ < 0) pruefung_->Attribut_unbekannt(a, e);
}

void DTDDOK::Attributwert(const wchar_t* a, const wchar_t* e) {
    if (attribut_info_ < 0) return;
    if (attribut_item_ >= 0 && !attribute_[static_cast<std::size_t>(attribut_info_)].cdata)
        Normalisieren(attribut_item_ + 1, meta_->Anzahl());
    if (pruefung_) pruefung_->Wert(attribut_info_, std::wstring_view(a, static_cast<std::size_t>(e - a)), a);
}

void DTDDOK::Tag_fertig(bool leer) {
    if (tag_info_ >= 0) {
        const Elementinfo info = infos_[static_cast<std::size_t>(tag_info_)];
        for (int i = info.erstes; info.vorgaben && i < info.erstes + info.anzahl; ++i) {
            Attributinfo& a = attribute_[static_cast<std::size_t>(i)];
            if (a.vorgabe && std::find(gegeben_.begin(), gegeben_.end(), a.nummer) == gegeben_.end())
                Vorgabe_anfuegen(a);
        }
    }
    if (pruefung_) pruefung_->Tag_fertig(tag_info_, leer);
    tag_info_ = -1;
    attribut_item_ = -1;
}

// A default as the attribute's name and value items; the texts are laid
// down once and shared by every tag that takes the default.
void DTDDOK::Vorgabe_anfuegen(Attributinfo& a) {
    if (a.name == nullptr) {
        const DTD::Attribut& at = dtd_.Attribute(a.attribut);
        const std::wstring_view name = dtd_.Text(at.name);
        a.name = meta_->Ablegen(name.data(), name.size());
        a.wert = meta_->Ablegen(at.wert.data(), at.wert.size());
        if (a.name == nullptr || a.wert == nullptr) {
            a.name = nullptr;
            return;
        }
        a.name_ende = a.name + name.size();
        a.wert_ende = a.wert + at.wert.size();
    }
    if (leser_->Anfuegen(META_ATTR_NAME, a.name, a.name_ende) == 0) return;
    meta_->Name_mitteilen(a.nummer);
    if (a.wert_ende > a.wert) leser_->Anfuegen(META_ATTR_DATA, a.wert, a.wert_ende);
}

void DTDDOK::Endtag(const wchar_t* stelle) {
    if (pruefung_) pruefung_->Ende(stelle);
}

void DTDDOK::Text(const wchar_t* a, const wchar_t* e, const wchar_t* stelle) {
    if (!pruefung_) return;
    bool leer = a != nullptr;
    for (const wchar_t* p = a; leer && p < e; ++p) leer = Leerraum(*p);
    pruefung_->Text(leer, stelle);
}

void DTDDOK::Dokumentende() {
    if (pruefung_) pruefung_->Dokumentende();
}

// ---------------------------------------------------------- normalisation

// The value pieces von .. bis - 1 of an attribute whose type is not CDATA:
// blanks, tabs and line ends of its text become one blank, none at either
// end. A character reference stands for its character; only a blank of
// its own counts as one. Other references are neither blank nor removed.
void DTDDOK::Normalisieren(int von, int bis) {
    if (bis <= von) return;
    if (stuecke_.size() < static_cast<std::size_t>(bis - von)) stuecke_.resize(static_cast<std::size_t>(bis - von));
    bool davor_leer = true;           // at the start or after a blank kept
    int blank_stueck = -1;            // where the last blank kept stands
    std::size_t blank_stelle = 0;
    std::vector<char>& weg = weg_;
    weg.assign(static_cast<std::size_t>(bis - von), 0);
    for (int i = von; i < bis; ++i) {
        const META::metaitem& r = meta_->Item(i);
        std::wstring& neu = stuecke_[static_cast<std::size_t>(i - von)];
        neu.clear();
        if (r.kind == META_ATTR_DATA) {
            for (const wchar_t* p = r.start; p != nullptr && p < static_cast<const wchar_t*>(r.end); ++p) {
                if (!Leerraum(*p)) {
                    neu.push_back(*p);
                    davor_leer = false;
                } else if (!davor_leer) {
                    neu.push_back(L' ');
                    davor_leer = true;
                    blank_stueck = i;
                    blank_stelle = neu.size() - 1;
                }
            }
        } else if (r.kind == META_ATTR_CREF && r.value == 0x20) {
            if (davor_leer) {
                weg[static_cast<std::size_t>(i - von)] = 1;
            } else {
                davor_leer = true;
                blank_stueck = i;
                blank_stelle = std::wstring::npos;
            }
        } else {
            davor_leer = false;
        }
    }
    if (davor_leer && blank_stueck >= 0) {
        if (blank_stelle == std::wstring::npos) weg[static_cast<std::size_t>(blank_stueck - von)] = 1;
        else stuecke_[static_cast<std::size_t>(blank_stueck - von)].erase(blank_stelle, 1);
    }
    for (int i = von; i < bis; ++i) {
        META::metaitem& r = meta_->Item(i);
        if (weg[static_cast<std::size_t>(i - von)]) {
            r.start = nullptr;
            continue;
        }
        if (r.kind != META_ATTR_DATA) continue;
        const std::wstring& neu = stuecke_[static_cast<std::size_t>(i - von)];
        if (neu == r.Text()) continue;
        wchar_t* t = meta_->Ablegen(neu.data(), neu.size());
        if (t == nullptr) continue;
        r.start = t;
        r.end = t + neu.size();
    }
}
