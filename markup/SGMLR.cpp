#include "markup/SGMLR.h"

#include <climits>
#include <cstdint>
#include <cwchar>
#include <cwctype>
#include <string>

#include "textio/BUF.h"
#include "base/Konsole.h"
#include "markup/DTDDOK.h"

SGMLR::SGMLR(BUF* buffer, const SKRIPTFRAGEN* script, META* store, DCL* declarations, bool aufzeichnen_)
    : SGML(buffer, declarations), meta(store), skript(script), aufzeichnen(aufzeichnen_) {
    // WARNINGS ALL (the default) is strict, SMART lets parsing go on.
    if (skript != nullptr) strict = !skript->Nur_Warnungen();
    if (!ok() || meta == nullptr) {
        cursor = nullptr;
        return;
    }
    const std::uint64_t n = buffer->length;
    if (n > static_cast<std::uint64_t>(INT_MAX)) {
        Konsole_Text(L"FEHLER: (Parser) Datenmenge zu groß (2 GB erreicht oder überschritten).\n");
        Konsole_Text(L"FEHLER: (Parser) Initialisierung fehlgeschlagen.\n");
        cursor = nullptr;
        return;
    }
    // About one item per 2 to 16 characters: large texts have long runs.
    int kapazitaet;
    int stapel = 16384;
    if (n >= 52428800) {
        kapazitaet = static_cast<int>(n / 16);
    } else if (n >= 5242880) {
        kapazitaet = static_cast<int>(n / 8);
    } else if (n < 65536) {
        kapazitaet = static_cast<int>(n / 2);
        stapel = 4096;
    } else {
        kapazitaet = static_cast<int>(n / 4);
    }
    if (!aufzeichnen) kapazitaet = 1;
    if (!geschwister.Init(stapel) || !meta->Init(kapazitaet, dcl)) {
        Konsole_Text(L"FEHLER: (Parser) Initialisierung fehlgeschlagen.\n");
        cursor = nullptr;
        return;
    }
    meta->Dokumenttext(buffer->text, buffer->text + buffer->length);
}

SGMLR::~SGMLR() {
    geschwister.Delete();
}

std::unique_ptr<DTDDOK> SGMLR::DTD_abgeben() {
    tags = pruefen = nullptr;
    return std::move(dtd);
}

int SGMLR::aufnehmen(METAtypeItems kind, wchar_t* start, wchar_t* ende, int level, int value) {
    if (speicher_voll || !aufzeichnen) return 0;
    const int nummer = meta->AddItem(kind, start, ende, level, value, aktuell);
    if (nummer == 0) {
        // The store has printed why; an incomplete store must not be
        // converted, so the document counts as faulty.
        speicher_voll = true;
        ++errors;
        return 0;
    }
    return nummer;
}

void SGMLR::text_aufnehmen(wchar_t* start, wchar_t* ende) {
    if (kontext == INHALT)
        aufnehmen(META_DATA, start, ende, ebene, 0);
    else if (kontext == ATTRIBUTWERT)
        aufnehmen(META_ATTR_DATA, start, ende, ebene, 0);
}

void SGMLR::referenz_aufnehmen(METAtypeItems in_daten, METAtypeItems im_attribut, wchar_t* start, wchar_t* ende,
                               int value) {
    if (kontext == INHALT)
        aufnehmen(in_daten, start, ende, ebene, value);
    else if (kontext == ATTRIBUTWERT)
        aufnehmen(im_attribut, start, ende, ebene, value);
}

// ---------------------------------------------------------- tags and names

int SGMLR::content() {
    const int gespeichert = aktuell;
    aktuell = letzter;
    geschwister.PushItem();
    ++ebene;
    SGML::content();
    --ebene;
    geschwister.PopItem();
    aktuell = gespeichert;
    return 1;
}

int SGMLR::start_tag_name(wchar_t* out) {
    wchar_t* anfang = cursor;
    if (!SGML::start_tag_name(out)) return 0;
    geschwister.IncItem();
    const int nummer =
        aufnehmen(META_STARTTAG, anfang, cursor, ebene, static_cast<int>(geschwister.Item()));
    if (nummer != 0) letzter = nummer;
    tag_attribute.clear();
    if (tags != nullptr) tags->Starttag(nummer - 1, anfang, cursor);
    return 1;
}

// The attributes a DTD defaults follow the written ones, before a "/>".
int SGMLR::start_tag(wchar_t* out, bool* empty, bool base) {
    const int gelesen = SGML::start_tag(out, empty, base);
    if (gelesen && tags != nullptr && (empty == nullptr || !*empty)) tags->Tag_fertig(false);
    return gelesen;
}

int SGMLR::end_tag_name(wchar_t* out) {
    wchar_t* anfang = cursor;
    if (!SGML::end_tag_name(out)) return 0;
    aufnehmen(META_ENDTAG, anfang, cursor, ebene, 0);
    if (pruefen != nullptr) pruefen->Endtag(anfang);
    return 1;
}

int SGMLR::etagc() {
    wchar_t* anfang = cursor;
    if (!SGML::etagc()) return 0;
    if (tags != nullptr) tags->Tag_fertig(true);
    aufnehmen(META_EMPTYTAG_CLOSE, anfang, anfang + 1, 0, 0);
    return 1;
}

int SGMLR::empty_element(wchar_t* name_buffer) {
    // In XML only "/>" makes an element empty; SGML and HTML ask the script.
    if (dcl->xml || skript == nullptr) return 0;
    return skript->IPR_is_SGML_Empty_Element(name_buffer) ? 1 : 0;
}

// A repeated attribute is a well-formedness error in XML; SGML and HTML
// take the first value and warn. Either way the repetition is left out of
// the store, so that no condition, VALUE or copy sees its value.
int SGMLR::attribute_name() {
    wchar_t* anfang = cursor;
    attribut_verwerfen = false;
    if (!SGML::attribute_name()) return 0;
    if (attribut_schon_da(anfang, cursor)) {
        const std::wstring name(anfang, cursor);
        if (dcl->xml)
            fehler(L"Attribut", L"Das Attribut '%ls' ist im Starttag mehrfach angegeben.", anfang, name.c_str());
        else
            warnung(L"Attribut", L"Das Attribut '%ls' ist im Starttag mehrfach angegeben, es gilt der erste Wert.",
                    anfang, name.c_str());
        attribut_verwerfen = true;
        return 1;
    }
    const int nummer = aufnehmen(META_ATTR_NAME, anfang, cursor, ebene, 0);
    if (tags != nullptr) tags->Attributname(nummer - 1, anfang, cursor);
    return 1;
}

bool SGMLR::attribut_schon_da(const wchar_t* a, const wchar_t* e) {
    constexpr std::size_t LINEAR = 16;
    const std::size_t laenge = static_cast<std::size_t>(e - a);
    auto schluessel = [this](const wchar_t* von, const wchar_t* bis) {
        std::wstring s(von, bis);
        if (dcl->namecase)
            for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
        return s;
    };
    // The names of this tag so far, kept by the reader itself: a check
    // without recording has no items to look them up in.
    if (tag_attribute.size() == LINEAR) {
        attributnamen.clear();
        for (const auto& [von, bis] : tag_attribute) attributnamen.insert(schluessel(von, bis));
    }
    if (tag_attribute.size() >= LINEAR) {
        tag_attribute.emplace_back(a, e);
        return !attributnamen.insert(schluessel(a, e)).second;
    }
    for (const auto& [von, bis] : tag_attribute) {
        if (static_cast<std::size_t>(bis - von) != laenge) continue;
        if (dcl->namecase ? wcsncasecmp(von, a, laenge) == 0 : std::wmemcmp(von, a, laenge) == 0) return true;
    }
    tag_attribute.emplace_back(a, e);
    return false;
}

int SGMLR::attribute_value() {
    wchar_t* anfang = cursor;
    if (!SGML::attribute_value()) return 0;
    aufnehmen(META_ATTR_VALUE, anfang, cursor, ebene, 0);
    return 1;
}

int SGMLR::document_type_name() {
    wchar_t* anfang = cursor;
    if (!SGML::document_type_name()) return 0;
    aufnehmen(META_DOCTYPE_NAME, anfang, cursor, 0, 0);
    return 1;
}

// ------------------------------------------------------------ the contexts

int SGMLR::attribute_value_literal() {
    const bool verwerfen = attribut_verwerfen;
    attribut_verwerfen = false;
    wchar_t* anfang = cursor;
    const int gelesen =
        im_kontext(verwerfen ? KEIN : ATTRIBUTWERT, [this] { return SGML::attribute_value_literal(); });
    // The literal without its quotes.
    if (gelesen && !verwerfen && tags != nullptr) tags->Attributwert(anfang + 1, cursor - 1);
    return gelesen;
}

int SGMLR::element_data() {
    return im_kontext(INHALT, [this] { return SGML::element_data(); });
}

int SGMLR::other_content() {
    return im_kontext(INHALT, [this] { return SGML::other_content(); });
}

int SGMLR::entity_declaration() {
    return im_kontext(ENTITAET, [this] { return SGML::entity_declaration(); });
}

int SGMLR::entity_name() {
    wchar_t* anfang = cursor;
    if (!SGML::entity_name()) return 0;
    if (kontext == ENTITAET) aufnehmen(META_ENTITY_NAME, anfang, cursor, 0, 0);
    return 1;
}

// An identifier of an entity declaration covers its literal without quotes.
int SGMLR::identifikator_aufnehmen(int gelesen) {
    if (gelesen && kontext == ENTITAET)
        aufnehmen(META_EXTERNAL_ID, const_cast<wchar_t*>(literal_start), const_cast<wchar_t*>(literal_end), 0, 0);
    return gelesen;
}

int SGMLR::public_identifier(wchar_t* out) {
    const int gelesen = SGML::public_identifier(out);
    if (gelesen && doctype_kennung)
        doctype_oeffentlich = std::wstring_view(literal_start, static_cast<std::size_t>(literal_end - literal_start));
    return identifikator_aufnehmen(gelesen);
}

int SGMLR::system_identifier(wchar_t* out) {
    const int gelesen = SGML::system_identifier(out);
    if (gelesen && doctype_kennung)
        doctype_system = std::wstring_view(literal_start, static_cast<std::size_t>(literal_end - literal_start));
    return identifikator_aufnehmen(gelesen);
}

// -------------------------------------------------------- the XML DOCTYPE

void SGMLR::Dtd_anlegen() {
    if (dtd) return;
    DTDDOK::Auftrag auftrag;
    auftrag.validieren = dcl->validieren != 0;
    // Validation needs every declaration.
    auftrag.extern_lesen = dcl->dtd_extern != 0 || auftrag.validieren;
    auftrag.expandieren = skript != nullptr && skript->Entitaeten_ersetzen();
    dtd = std::make_unique<DTDDOK>(this, buf, meta, skript, katalog, auftrag);
}

int SGMLR::document_type_declaration() {
    if (!dcl->xml) return SGML::document_type_declaration();
    wchar_t* anfang = cursor;
    doctype_oeffentlich = doctype_system = {};
    if (!SGML::document_type_declaration()) return 0;
    Dtd_anlegen();
    // What goes wrong with the external subset is reported at its identifier.
    const wchar_t* kennung = !doctype_system.empty()      ? doctype_system.data()
                             : !doctype_oeffentlich.empty() ? doctype_oeffentlich.data()
                                                            : anfang;
    errors += dtd->Abschliessen(doctype_name, doctype_oeffentlich, doctype_system, kennung);
    warnings += dtd->Warnungen();
    tags = dtd->Aktiv() ? dtd.get() : nullptr;
    pruefen = dtd->Auftraege().validieren ? dtd.get() : nullptr;
    return 1;
}

int SGMLR::document_type_external_identifier() {
    doctype_kennung = dcl->xml != 0;
    const int gelesen = SGML::document_type_external_identifier();
    doctype_kennung = false;
    return gelesen;
}

// The XML internal subset is read by the DTD reader, which leaves the
// cursor on the "]" that ends it.
int SGMLR::document_type_declaration_subset() {
    if (!dcl->xml) return SGML::document_type_declaration_subset();
    Dtd_anlegen();
    errors += dtd->Intern(cursor);
    return 1;
}

int SGMLR::base_document_element() {
    if (dcl->xml && dcl->validieren && !dtd && *cursor == L'<')
        fehler(L"DTD", L"Das Dokument hat keine Dokumenttyp-Deklaration und kann nicht validiert werden.", cursor);
    const int gelesen = SGML::base_document_element();
    if (gelesen && pruefen != nullptr) pruefen->Dokumentende();
    return gelesen;
}

// ------------------------------------------------------ text and references

int SGMLR::character_data(const wchar_t* terminator) {
    wchar_t* anfang = cursor;
    if (!SGML::character_data(terminator)) return 0;
    text_aufnehmen(anfang, cursor);
    if (pruefen != nullptr && kontext == INHALT) pruefen->Text(anfang, cursor, anfang);
    return 1;
}

int SGMLR::character_cdata(const wchar_t* terminator) {
    wchar_t* anfang = cursor;
    if (!SGML::character_cdata(terminator)) return 0;
    text_aufnehmen(anfang, cursor);
    if (pruefen != nullptr && kontext == INHALT) pruefen->Text(nullptr, nullptr, anfang);
    return 1;
}

int SGMLR::character_rcdata(const wchar_t* terminator) {
    wchar_t* anfang = cursor;
    if (!SGML::character_rcdata(terminator)) return 0;
    text_aufnehmen(anfang, cursor);
    return 1;
}

int SGMLR::general_entity_reference() {
    wchar_t* anfang = cursor;
    if (!SGML::general_entity_reference()) return 0;
    // The name lies between "&" and ";".
    if (dtd && dtd->Auftraege().expandieren && kontext != KEIN && Ersetzen(anfang + 1, cursor - 1, anfang))
        return 1;
    if (pruefen != nullptr && kontext == INHALT) pruefen->Text(nullptr, nullptr, anfang);
    referenz_aufnehmen(META_DATA_GREF, META_ATTR_GREF, anfang + 1, cursor - 1, 0);
    return 1;
}

// A reference that the DTD replaces: its text stands in its place, and
// text with markup is read as content there (at the same level, with
// messages at the reference). False: it stays a reference.
bool SGMLR::Ersetzen(const wchar_t* a, const wchar_t* e, const wchar_t* stelle) {
    const std::wstring_view name(a, static_cast<std::size_t>(e - a));
    const DTDDOK::Ersatz r = dtd->Ersetzung(name, kontext == ATTRIBUTWERT, stelle);
    if (r.art == DTDDOK::BEHALTEN) return false;
    if (r.art == DTDDOK::FEHLER) {
        // A limit ends the reading, as too deep a nesting does.
        if (dtd->Erschoepft()) abgebrochen = true;
        return true;
    }
    if (r.art == DTDDOK::TEXT) {
        if (r.ende > r.text) text_aufnehmen(r.text, r.ende);
        if (pruefen != nullptr && kontext == INHALT) pruefen->Text(r.text, r.ende, stelle);
        return true;
    }
    wchar_t* weiter = cursor;
    wchar_t* ende_vorher = end;
    const wchar_t* fremd_vorher = fremdstelle;
    if (fremdstelle == nullptr) fremdstelle = stelle;
    cursor = r.text;
    end = r.ende + 1;
    SGML::content();
    if (cursor != r.ende && !abgebrochen) {
        const std::wstring n(name);
        fehler(L"Entität", L"Der Ersetzungstext der Entität '%ls' ist kein vollständiger Inhalt.", stelle, n.c_str());
    }
    cursor = weiter;
    end = ende_vorher;
    fremdstelle = fremd_vorher;
    dtd->Ersetzung_fertig(r.entitaet);
    return true;
}

int SGMLR::named_character_reference(int* value) {
    wchar_t* anfang = cursor;
    int code = 0;
    const int ergebnis = SGML::named_character_reference(&code);
    if (value != nullptr) *value = code;
    if (!ergebnis) return 0;
    // The function name lies between "&#" and ";".
    referenz_aufnehmen(META_DATA_NREF, META_ATTR_NREF, anfang + 2, cursor - 1, code);
    return 1;
}

int SGMLR::numeric_character_reference(int* value) {
    wchar_t* anfang = cursor;
    return zeichenreferenz_aufnehmen(SGML::numeric_character_reference(value), anfang + 2, value, false);
}

int SGMLR::hex_character_reference(int* value) {
    wchar_t* anfang = cursor;
    return zeichenreferenz_aufnehmen(SGML::hex_character_reference(value), anfang + 2, value, true);
}

// Records a decimal or hexadecimal reference whose text (the digits, or
// the "x" and the digits) starts at `text` and ends before the ";".
int SGMLR::zeichenreferenz_aufnehmen(int gelesen, wchar_t* text, int* value, bool hex) {
    if (!gelesen) return 0;
    if (pruefen != nullptr && kontext == INHALT) pruefen->Text(nullptr, nullptr, text);
    const int code = zahlenwert(hex ? text + 1 : text, cursor - 1, hex);
    if (value != nullptr) *value = code;
    referenz_aufnehmen(META_DATA_CREF, META_ATTR_CREF, text, cursor - 1, code);
    return 1;
}

// The code of a character reference. A value beyond the 32-bit item field
// is reported and stored as 0; reading goes on.
int SGMLR::zahlenwert(const wchar_t* a, const wchar_t* e, bool hex) {
    const std::ptrdiff_t ziffern = e - a;
    const wchar_t* zu_gross = hex ? L"Hexadezimale Zeichenreferenz ist zu lang." : L"Zeichenreferenz ist zu groß.";
    if (ziffern > (hex ? 4094 : 4095)) {
        fehler(L"", zu_gross, a);
        return 0;
    }
    if (ziffern <= 0) {
        fehler(L"", hex ? L"Hexadezimale Zeichenreferenz konnte nicht gelesen werden."
                        : L"Zeichenreferenz konnte nicht gelesen werden.",
               a);
        return 0;
    }
    std::uint64_t wert = 0;
    for (const wchar_t* p = a; p < e; ++p) {
        const wchar_t c = *p;
        const unsigned ziffer = c <= L'9' ? static_cast<unsigned>(c - L'0')
                                          : static_cast<unsigned>((c | 0x20) - L'a' + 10);
        wert = wert * (hex ? 16 : 10) + ziffer;
        if (wert > static_cast<std::uint64_t>(INT32_MAX)) {
            fehler(L"", zu_gross, a);
            return 0;
        }
    }
    return static_cast<int>(wert);
}

// The ends come from the items themselves: a second list of them would
// cost another pointer per item. One pass over the items: a line feed is
// saved when its item is reached, before its terminator overwrites it.
int SGMLR::Namen_Abschliessen() {
    if (meta == nullptr || abgeschlossen) return 0;
    const int n = meta->Anzahl();
    for (int i = 0; i < n; ++i) {
        wchar_t* ende = meta->Item(i).end;
        if (ende == nullptr) continue;
        if (*ende == L'\n') buf->Zeilenende_retten(ende);
        *ende = L'\0';
    }
    abgeschlossen = true;
    return 1;
}
