#pragma once
// SGMLR: the document reader. It lets the recogniser SGML do the reading
// and appends one item per recognised piece (start tag, attribute, data run,
// reference, end tag, declaration name) to the item store META. Each item
// knows its nesting level and the start tag of the element that contains it.
//
// In XML the document type declaration is read by DTDDOK (the internal
// subset always, the external one when asked), which then sees every tag:
// it appends defaulted attributes, normalises values, validates (-v), and
// under CONVERTENTITIES = EXPAND gives the replacement of a reference,
// which the reader records in its place (text read as content where it
// holds markup).
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "base/LISTEINT.h"
#include "markup/META.h"
#include "markup/SGML.h"
#include "markup/SKRIPTFRAGEN.h"

class DTDDOK;
class KATALOG;

class SGMLR : public SGML {
public:
    // Builds the reader over the buffer and sizes the store from the text
    // length; ok() is false when that fails (the message is printed).
    // Without `aufzeichnen` the document is only checked: nothing goes into
    // the store, which a check without a script never reads.
    SGMLR(BUF* buffer, const SKRIPTFRAGEN* script, META* store, DCL* declarations, bool aufzeichnen = true);
    ~SGMLR() override;

    int document_type_name() override;
    int attribute_name() override;
    int attribute_value() override;
    int attribute_value_literal() override;
    int character_data(const wchar_t* terminator) override;
    int character_cdata(const wchar_t* terminator) override;
    int character_rcdata(const wchar_t* terminator) override;
    int named_character_reference(int* value) override;
    int numeric_character_reference(int* value) override;
    int hex_character_reference(int* value) override;
    int content() override;
    int element_data() override;
    int empty_element(wchar_t* name) override;
    int end_tag_name(wchar_t* name) override;
    int entity_declaration() override;
    int entity_name() override;
    int etagc() override;
    int general_entity_reference() override;
    int other_content() override;
    int public_identifier(wchar_t* out) override;
    int start_tag_name(wchar_t* name) override;
    int system_identifier(wchar_t* out) override;
    int document_type_declaration() override;
    int document_type_declaration_subset() override;
    int document_type_external_identifier() override;
    int start_tag(wchar_t* name, bool* empty, bool base) override;
    int base_document_element() override;

    // Writes a terminator behind every recorded text, so that each item's
    // text reads as a string of its own. Changes the buffer's text.
    int Namen_Abschliessen();

    // The catalogs of external identifiers (default: the run's XML catalogs).
    void Katalog(KATALOG* k) { katalog = k; }
    // Appends an item at the current level, linked to the current start
    // tag; its number, or 0. For DTDDOK.
    int Anfuegen(METAtypeItems kind, wchar_t* start, wchar_t* end) { return aufnehmen(kind, start, end, ebene, 0); }
    // The document's DTD, for the conversion (null without a DOCTYPE).
    std::unique_ptr<DTDDOK> DTD_abgeben();

private:
    enum Kontext { KEIN, INHALT, ENTITAET, ATTRIBUTWERT };

    // Appends an item linked to the current start tag; its number or 0.
    int aufnehmen(METAtypeItems kind, wchar_t* start, wchar_t* end, int level, int value);
    // Runs a base production with the recording context set.
    template <typename F>
    int im_kontext(Kontext k, F production) {
        const Kontext vorher = kontext;
        kontext = k;
        const int ergebnis = production();
        kontext = vorher;
        return ergebnis;
    }
    void text_aufnehmen(wchar_t* start, wchar_t* end);
    void referenz_aufnehmen(METAtypeItems in_daten, METAtypeItems im_attribut, wchar_t* start, wchar_t* end,
                            int value);
    int identifikator_aufnehmen(int gelesen);
    int zeichenreferenz_aufnehmen(int gelesen, wchar_t* text, int* value, bool hex);
    int zahlenwert(const wchar_t* a, const wchar_t* e, bool hex);
    void Dtd_anlegen();
    bool Ersetzen(const wchar_t* a, const wchar_t* e, const wchar_t* stelle);
    // Whether the start tag being read already has an attribute of the name
    // a..e (compared as the declarations compare names); remembers it.
    bool attribut_schon_da(const wchar_t* a, const wchar_t* e);

    META* meta = nullptr;      // not owned
    const SKRIPTFRAGEN* skript = nullptr;  // not owned; null: no script
    LISTEINT geschwister;      // sibling counters, one per open element
    Kontext kontext = KEIN;
    int aktuell = 0;           // start tag that contains new items
    int letzter = 0;           // most recent start tag
    int ebene = 0;             // current nesting level
    bool abgeschlossen = false; // the item texts are terminated
    bool speicher_voll = false;
    bool aufzeichnen = true;

    std::unique_ptr<DTDDOK> dtd;   // XML documents with a DOCTYPE
    DTDDOK* tags = nullptr;        // dtd, when start tags concern it
    DTDDOK* pruefen = nullptr;     // dtd, when validating
    KATALOG* katalog = nullptr;
    bool doctype_kennung = false;  // reading the DOCTYPE's external identifier
    std::wstring_view doctype_oeffentlich, doctype_system;
    // A repeated attribute of a start tag is not recorded: its value must
    // count nowhere. Tags with many attributes keep their names in a set,
    // so that a huge tag is not searched once per attribute.
    bool attribut_verwerfen = false;
    std::vector<std::pair<const wchar_t*, const wchar_t*>> tag_attribute;
    std::unordered_set<std::wstring> attributnamen;
};
