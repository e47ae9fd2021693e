// The SGML reader with DTD: the prolog and the DTD, messages, the items
// of elements as the inference places them.
#include "markup/SDOK.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

#include "base/Konsole.h"
#include "base/NAMEN.h"
#include "markup/DCL.h"
#include "markup/DTDDOK.h"
#include "markup/KATALOG.h"
#include "markup/QUELLE.h"
#include "markup/SDTDR.h"
#include "markup/SGML.h"
#include "markup/SGMLR.h"
#include "markup/SKRIPTFRAGEN.h"
#include "textio/BUF.h"

namespace {

// The run's SGML catalogs, read on first use.
KATALOG* Laufkatalog() {
    static std::unique_ptr<KATALOG> katalog = KATALOG::Sgml();
    return katalog.get();
}

bool Leer(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r'; }

// Whether the keyword (upper case) stands at p, in any case, and no name
// character follows it.
bool Wort(const wchar_t* p, const wchar_t* ende, const wchar_t* wort, const SGMLDEKL& d) {
    for (; *wort != 0; ++wort, ++p)
        if (p >= ende || std::towupper(static_cast<wint_t>(*p)) != static_cast<wint_t>(*wort)) return false;
    return p >= ende || !d.Namenszeichen(*p);
}

// White space and "-- ... --" comments of a declaration.
void Ps(const wchar_t*& p, const wchar_t* ende) {
    for (;;) {
        while (p < ende && Leer(*p)) ++p;
        if (ende - p < 2 || p[0] != L'-' || p[1] != L'-') return;
        const wchar_t* s = p + 2;
        while (s + 1 < ende && !(s[0] == L'-' && s[1] == L'-')) ++s;
        p = s + 1 < ende ? s + 2 : ende;
    }
}

// Comment declarations, processing instructions and white space before
// the document type declaration.
void Vorspann(const wchar_t*& p, const wchar_t* ende) {
    for (;;) {
        while (p < ende && Leer(*p)) ++p;
        if (ende - p >= 2 && p[0] == L'<' && p[1] == L'?') {
            const wchar_t* s = std::wmemchr(p, L'>', static_cast<std::size_t>(ende - p));
            p = s != nullptr ? s + 1 : ende;
        } else if (ende - p >= 3 && p[0] == L'<' && p[1] == L'!' && (p[2] == L'>' || p[2] == L'-')) {
            const wchar_t* s = p + 2;
            Ps(s, ende);
            if (s >= ende || *s != L'>') return;
            p = s + 1;
        } else {
            return;
        }
    }
}

bool Literal(const wchar_t*& p, const wchar_t* ende, std::wstring_view& out) {
    if (p >= ende || (*p != L'"' && *p != L'\'')) return false;
    const wchar_t* s = std::wmemchr(p + 1, *p, static_cast<std::size_t>(ende - p - 1));
    if (s == nullptr) return false;
    out = std::wstring_view(p + 1, static_cast<std::size_t>(s - p - 1));
    p = s + 1;
    return true;
}

}  // namespace

SDOK::SDOK(BUF* buf, const SKRIPTFRAGEN* skript, META* meta, DCL* dcl, bool aufzeichnen)
    : buf_(buf), skript_(skript), meta_(meta), dcl_(dcl), aufzeichnen_(aufzeichnen) {
    expandieren_ = skript_ != nullptr && skript_->Entitaeten_ersetzen();
}

SDOK::~SDOK() = default;

// ---------------------------------------------------------------- prolog

// The SGML declaration that a catalog names for the DTD's public
// identifier (DTDDECL) or for every document (SGMLDECL), when the
// document brings none.
void SDOK::Deklaration_suchen(SGMLDEKL& d, std::wstring_view oeffentlich) {
    std::wstring ziel;
    KATALOG* k = katalog_ != nullptr ? katalog_ : Laufkatalog();
    if (!(!oeffentlich.empty() && k->Dtddecl(oeffentlich, ziel)) && !k->Sgmldecl(ziel)) return;
    int grund = 0;
    std::unique_ptr<BUF> datei = QUELLE::Datei_lesen(ziel, &grund, true);
    if (!datei) return;
    const wchar_t* a = datei->text;
    const wchar_t* e = a + datei->length;
    const wchar_t* fehler = nullptr;
    const wchar_t* stelle = nullptr;
    const wchar_t* weiter = nullptr;
    Vorspann(a, e);
    if (SGMLDEKL::Beginnt(a, e) && !d.Lesen(a, e, weiter, fehler, stelle)) {
        datei->Fehlermeldung(-1, 0, L"SGML", fehler, nullptr, stelle);
        ++fehler_;
    }
}

SDOK::Ergebnis SDOK::Prolog() {
    if (buf_ == nullptr || buf_->text == nullptr || meta_ == nullptr) return OHNE_DTD;
    const wchar_t* p = buf_->text;
    const wchar_t* ende = p + buf_->length;
    SGMLDEKL d;
    while (p < ende && Leer(*p)) ++p;
    const bool eigene_deklaration = SGMLDEKL::Beginnt(p, ende);
    if (eigene_deklaration) {
        const wchar_t* fehler = nullptr;
        const wchar_t* stelle = nullptr;
        const wchar_t* weiter = nullptr;
        if (!d.Lesen(p, ende, weiter, fehler, stelle)) {
            Fehler_melden(L"SGML", fehler, {}, stelle);
            return FEHLGESCHLAGEN;
        }
        p = weiter;
    }
    Vorspann(p, ende);
    if (ende - p < 9 || p[0] != L'<' || p[1] != L'!' || !Wort(p + 2, ende, L"DOCTYPE", d)) return OHNE_DTD;
    p += 9;
    Ps(p, ende);
    // The declaration that decides the name characters may come from a
    // catalog, for the public identifier that follows: the name is taken
    // up to a separator here.
    const wchar_t* name_a = p;
    while (p < ende && !Leer(*p) && *p != L'[' && *p != L'>' && *p != L'"' && *p != L'\'') ++p;
    if (p == name_a) return OHNE_DTD;
    const std::wstring_view name(name_a, static_cast<std::size_t>(p - name_a));
    Ps(p, ende);
    std::wstring_view oeffentlich, system;
    bool extern_genannt = false;
    const wchar_t* kennung = p;
    if (Wort(p, ende, L"PUBLIC", d) || Wort(p, ende, L"SYSTEM", d)) {
        extern_genannt = true;
        const bool pub = std::towupper(static_cast<wint_t>(*p)) == L'P';
        p += 6;
        Ps(p, ende);
        if (pub && !Literal(p, ende, oeffentlich)) return OHNE_DTD;
        Ps(p, ende);
        Literal(p, ende, system);
        Ps(p, ende);
    }
    const wchar_t* subset = nullptr;
    bool intern_elemente = false;
    const bool extern_lesen = dcl_ != nullptr && (dcl_->dtd_extern != 0 || dcl_->validieren != 0);
    if (p < ende && *p == L'[') {
        subset = p + 1;
        // Only a subset that declares elements (or may read them from
        // parameter entities) makes the document one with a DTD.
        for (const wchar_t* q = subset; q < ende && *q != L']'; ++q) {
            if (*q == L'"' || *q == L'\'') {
                const wchar_t* s = std::wmemchr(q + 1, *q, static_cast<std::size_t>(ende - q - 1));
                if (s == nullptr) break;
                q = s;
            } else if (*q == L'<' && ende - q > 9 && q[1] == L'!' && Wort(q + 2, ende, L"ELEMENT", d)) {
                intern_elemente = true;
            } else if (*q == L'%' && extern_lesen && q + 1 < ende && d.Namensanfang(q[1])) {
                intern_elemente = true;
            }
        }
    }
    if (!intern_elemente && !(extern_genannt && extern_lesen)) {
        extern_ungelesen_ = extern_genannt;
        return OHNE_DTD;
    }

    if (!eigene_deklaration) Deklaration_suchen(d, oeffentlich);
    sdtd_ = std::make_unique<SDTD>(d.namecase_allgemein);
    sdtd_->Deklaration() = d;
    dekl_ = &sdtd_->Deklaration();
    quelle_ = std::make_unique<QUELLE>(katalog_ != nullptr ? katalog_ : Laufkatalog());
    quelle_->Dokument(buf_->dateiname);
    quelle_->Lesart(buf_->decoding != ENC_UTF8 && buf_->decoding != ENC_NAMED,
                    buf_->decoding == ENC_NAMED ? buf_->kodierungsname : std::string());
    SDTDR leser(sdtd_.get(), quelle_.get());
    leser.extern_lesen = extern_lesen;
    pcdata_ = leser.Pcdata();
    if (subset != nullptr) {
        const wchar_t* cursor = subset;
        leser.Intern(buf_, cursor);
        p = cursor;
        if (p < ende && *p == L']') ++p;
        else Fehler_melden(L"[]", L"Ende der Subdeklaration (]) erwartet.", {}, p);
        Ps(p, ende);
    }
    if (p < ende && *p == L'>') ++p;
    else Fehler_melden(L"DOCTYPE", L"Ende der Dokumenttyp-Deklaration (>) erwartet.", {}, p);
    instanz_ = p;
    bool gefunden = false;
    if (extern_genannt && extern_lesen) {
        const wchar_t* stelle = !system.empty() ? system.data() : !oeffentlich.empty() ? oeffentlich.data() : kennung;
        gefunden = leser.Extern(oeffentlich, system, name, buf_, stelle);
    }
    extern_ungelesen_ = (extern_genannt && !gefunden) || leser.Uebergangen();
    leser.Abschliessen(buf_);
    fehler_ += leser.Fehler();
    warnungen_ += leser.Warnungen();
    bool elemente = false;
    for (int i = 0; i < sdtd_->Modell().Elementzahl() && !elemente; ++i)
        elemente = sdtd_->Modell().Elemente(i).inhalt != DTD::UNDEKLARIERT;
    if (!elemente) {
        sdtd_.reset();
        dekl_ = nullptr;
        return fehler_ > 0 ? FEHLGESCHLAGEN : OHNE_DTD;
    }
    doctype_name_ = const_cast<wchar_t*>(name_a);
    doctype_name_ende_ = const_cast<wchar_t*>(name_a + name.size());
    return MIT_DTD;
}

// ------------------------------------------------------------- messages

void SDOK::Melden(bool warnung, const wchar_t* label, const wchar_t* vorlage, std::wstring_view argument,
                  const wchar_t* stelle) {
    if (abbruch_ && !warnung) return;
    // A position in a text the document does not hold is reported where
    // the reference to it stood; a file of its own has positions.
    BUF* ziel = buf_;
    auto in = [](const BUF* b, const wchar_t* s) { return s >= b->text && s <= b->text + b->length; };
    if (stelle != nullptr && !in(buf_, stelle)) {
        BUF* datei = nullptr;
        for (const std::unique_ptr<BUF>& b : sdtd_->Dateien())
            if (in(b.get(), stelle)) datei = b.get();
        if (datei != nullptr) {
            ziel = datei;
        } else {
            for (std::size_t i = eingaben_.size(); i-- > 1 && stelle != nullptr;) {
                const Eingabe& e = eingaben_[i];
                if (stelle < e.anfang || stelle > e.ende) continue;
                stelle = e.bezug;
                if (stelle != nullptr && in(buf_, stelle)) break;
            }
            if (stelle != nullptr && !in(buf_, stelle)) stelle = nullptr;
        }
    }
    const std::wstring arg(argument);
    ziel->Fehlermeldung(warnung ? 0 : -1, 0, label, vorlage, argument.empty() ? nullptr : arg.c_str(), stelle);
    if (warnung) {
        ++warnungen_;
        return;
    }
    if (++fehler_ >= MAX_FEHLER && !abbruch_) {
        wchar_t text[64];
        std::swprintf(text, 64, L"Das Lesen wird nach %d Fehlern abgebrochen.", MAX_FEHLER);
        buf_->Fehlermeldung(-1, 0, nullptr, text, nullptr, nullptr);
        abbruch_ = true;
    }
}

// The inference names elements; as written when the DTD does not know
// them, which the message shows folded like the others.
void SDOK::Fehler(const wchar_t* vorlage, std::wstring_view name) {
    Fehler_melden(L"DTD", vorlage, Gefaltet(name), tokenstelle_);
}

// ----------------------------------------------------------------- items

int SDOK::Aufnehmen(METAtypeItems art, wchar_t* a, wchar_t* e, int level, int wert, int link) {
    if (art != META_DATA) Lauf_schreiben();
    if (!aufzeichnen_ || abbruch_) return 0;
    const int nummer = meta_->AddItem(art, a, e, level, wert, link);
    if (nummer == 0) {
        // The store has printed why; an incomplete store must not be
        // converted.
        ++fehler_;
        abbruch_ = true;
    }
    return nummer;
}

wchar_t* SDOK::Ablegen(std::wstring_view text) {
    wchar_t* t = meta_->Ablegen(text.data(), text.size());
    if (t == nullptr && !abbruch_) {
        Konsole_Text(L"FEHLER: (Interpreter) Daten, der Speicher ist unzureichend.\n");
        ++fehler_;
        abbruch_ = true;
    }
    return t;
}

// Names fold in place, so that the items carry them as the declaration
// wants them.
void SDOK::Falten(wchar_t* a, wchar_t* e) {
    if (!aufzeichnen_ || !sdtd_->Modell().Namecase()) return;
    for (; a < e; ++a) *a = DTDNAMEN::Falten(*a);
}

std::wstring SDOK::Gefaltet(std::wstring_view s) const {
    std::wstring w(s);
    if (sdtd_->Modell().Namecase())
        for (wchar_t& c : w) c = DTDNAMEN::Falten(c);
    return w;
}

int SDOK::Laufnummer(int dtd_name) {
    if (dtd_name < 0) return 0;
    const auto i = static_cast<std::size_t>(dtd_name);
    if (i >= laufnummern_.size()) laufnummern_.resize(i + 1, 0);
    if (laufnummern_[i] == 0) laufnummern_[i] = Namenstabelle().Nummer(sdtd_->Modell().Text(dtd_name));
    return laufnummern_[i];
}

const wchar_t* SDOK::Name_im_Arena(int dtd_name, const wchar_t** ende) {
    const std::wstring_view text = dtd_name >= 0 ? sdtd_->Modell().Text(dtd_name) : std::wstring_view(L"#");
    const auto i = static_cast<std::size_t>(dtd_name + 1);
    if (i >= namen_im_arena_.size()) namen_im_arena_.resize(i + 1, nullptr);
    if (namen_im_arena_[i] == nullptr) namen_im_arena_[i] = Ablegen(text);
    *ende = namen_im_arena_[i] != nullptr ? namen_im_arena_[i] + text.size() : nullptr;
    return namen_im_arena_[i];
}

// ------------------------------------------------------ the inference's

void SDOK::Beginn(int element, int name, bool implizit, bool eingeschlossen) {
    Lauf_schreiben();
    // The conversion walks elements recursively, as the other reader
    // nests: the same limit.
    if (ebenen_.size() >= static_cast<std::size_t>(SGML_MAX_TIEFE) && !abbruch_) {
        Fehler_melden(L"Element", L"Maximale Verschachtelungstiefe überschritten.", {}, tokenstelle_);
        abbruch_ = true;
    }
    const bool explizit = tag_.aktiv && !implizit;
    int link = 0;
    int* kinder = nullptr;
    int karte = -1;
    if (!ebenen_.empty()) {
        Ebene& eltern = ebenen_.back();
        if (eingeschlossen) {
            eltern.markup_seit_rs = true;
        } else {
            eltern.gesehen = true;
            eltern.daten_seit_rs = true;
        }
        link = eltern.item;
        kinder = &eltern.kinder;
        karte = eltern.karte;
    } else {
        if (geschwister_oben_.empty()) geschwister_oben_.push_back(0);
        kinder = &geschwister_oben_.back();
    }
    const int level = static_cast<int>(ebenen_.size());
    const int ordinal = ++*kinder;
    wchar_t* a = nullptr;
    wchar_t* e = nullptr;
    if (explizit && tag_.name != nullptr) {
        a = tag_.name;
        e = tag_.name_ende;
        Falten(a, e);
    } else {
        const wchar_t* ende = nullptr;
        a = const_cast<wchar_t*>(Name_im_Arena(name, &ende));
        e = const_cast<wchar_t*>(ende);
    }
    int item = 0;
    if (a != nullptr) {
        item = Aufnehmen(META_STARTTAG, a, e, level, ordinal, link);
        if (item != 0 && name >= 0) meta_->Name_mitteilen(Laufnummer(name));
    }
    if (name >= 0 && dekl_->kurzverweise) {
        const int k = sdtd_->Karte_fuer(name);
        if (k == SDTD::LEERE_KARTE) karte = -1;
        else if (k >= 0) karte = k;
    }
    ebenen_.push_back(Ebene{item, 0, karte, explizit && tag_.net, false, false, false, nullptr, nullptr});
    if (explizit) {
        Attribute_schreiben(element, name, *tag_.angaben, tokenstelle_, tag_.leer);
        if (tag_.net && !tag_.leer) ++net_offen_;
        if (tag_.leer) Aufnehmen(META_EMPTYTAG_CLOSE, a != nullptr ? e : nullptr, e, 0, 0, link);
    } else {
        bool leer = false;
        ++tagnummer_;
        Vorgaben_schreiben(element, tokenstelle_, leer);
    }
}

void SDOK::Schluss(bool implizit) {
    if (ebenen_.empty()) return;
    Lauf_schreiben();
    const Ebene oben = ebenen_.back();
    const int link = ebenen_.size() > 1 ? ebenen_[ebenen_.size() - 2].item : 0;
    const int level = static_cast<int>(ebenen_.size()) - 1;
    if (oben.net) --net_offen_;
    if (leer_schluss_) {
        leer_schluss_ = false;
    } else if (!implizit && endtag_a_ != nullptr) {
        Aufnehmen(META_ENDTAG, endtag_a_, endtag_e_, level, 0, link);
        endtag_a_ = endtag_e_ = nullptr;
    } else {
        const wchar_t* ende = nullptr;
        const int name = folger_->Name(level);
        wchar_t* a = const_cast<wchar_t*>(Name_im_Arena(name, &ende));
        if (a != nullptr) Aufnehmen(META_ENDTAG, a, const_cast<wchar_t*>(ende), level, 0, link);
    }
    ebenen_.pop_back();
}

// ------------------------------------------------------------- instance

int SDOK::Instanz() {
    if (!sdtd_ || instanz_ == nullptr) return 0;
    int stapel = 0;
    int kapazitaet = SGMLR::Kapazitaet(buf_->length, &stapel);
    if (kapazitaet < 0) return 0;
    if (!meta_->Init(aufzeichnen_ ? kapazitaet : 1, dcl_)) {
        Konsole_Text(L"FEHLER: (Parser) Initialisierung fehlgeschlagen.\n");
        return 0;
    }
    meta_->Dokumenttext(buf_->text, buf_->text + buf_->length);
    const std::size_t laenge = static_cast<std::size_t>(buf_->length);
    ersatzgrenze_ = std::max(DTDDOK::MIN_ERSETZUNG, laenge * DTDDOK::ERSETZUNG_JE_ZEICHEN);

    Falten(doctype_name_, doctype_name_ende_);
    Aufnehmen(META_DOCTYPE_NAME, doctype_name_, doctype_name_ende_, 0, 0, 0);
    DTDDOK::Entitaeten_eintragen(sdtd_->Modell(), [this](METAtypeItems art, std::wstring_view text) {
        wchar_t* t = Ablegen(text);
        if (t != nullptr) Aufnehmen(art, t, t + text.size(), 0, 0, 0);
    });

    const DTD& dtd = sdtd_->Modell();
    const int wurzel = dtd.Name(std::wstring_view(doctype_name_, static_cast<std::size_t>(doctype_name_ende_ - doctype_name_)));
    SFOLGER::Senke& senke = *this;
    folger_ = std::make_unique<SFOLGER>(*sdtd_, pcdata_, wurzel, senke);
    wchar_t* anfang = const_cast<wchar_t*>(instanz_);
    eingaben_.push_back(Eingabe{anfang, anfang, buf_->text + buf_->length, -1, nullptr, false});
    Inhalt();
    if (!abbruch_) {
        tokenstelle_ = buf_->text + buf_->length;
        folger_->Dokumentende();
        std::vector<IDMENGE::Offen> offen;
        ids_.Offene(offen);
        for (const IDMENGE::Offen& o : offen) Fehler_melden(L"DTD", L"Die ID '%ls' ist nicht vergeben.", o.name, o.stelle);
    }
    Lauf_schreiben();
    if (fehler_ == 0) return 1;
    buf_->Fehlermeldung(-1, 0, nullptr, L"Das Dokument enthält Fehler. Die Bearbeitung wurde abgebrochen. D239",
                        nullptr, nullptr);
    return 0;
}
