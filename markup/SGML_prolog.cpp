// The productions around the document element: the document frame, the
// prolog, the document type declaration with its entity declarations,
// marked sections, and the XML declaration of the script file.
#include <algorithm>
#include <cwchar>
#include <cwctype>

#include "markup/SGML.h"
#include "textio/BUF.h"

namespace {

const wchar_t* const DOCTYPE = L"DOCTYPE";
const wchar_t* const ENTITY = L"ENTITY";
const wchar_t* const EXTERN = L"Externer Identifikator";
const wchar_t* const MARKIERT = L"Markierter Bereich";
const wchar_t* const XMLDEKL = L"XML-Deklaration";

}  // namespace

// ------------------------------------------------------------------ frame

int SGML::document() {
    if (!ok()) return 0;
    if (dcl->xml || dcl->html) xml_bom();
    prolog();
    if (!base_document_element()) {
        // A nesting overflow has been reported at its start tag already.
        if (abgebrochen)
            fehler(nullptr, L"Das Dokument enthält Fehler. Die Bearbeitung wurde abgebrochen. D239", nullptr);
        else
            fehler(nullptr, L"Das Dokument ist ungültig. Instanz benötigt. D227", nullptr);
        return 0;
    }
    other_prolog();
    if (cursor < end) {
        fehler(nullptr, L"Das Dokument enthält unzulässige Zeichen hinter dem Ende der Instanz. D234", cursor);
        NextInstanz();
        return 0;
    }
    if (errors == 0) return 1;
    fehler(nullptr, L"Das Dokument enthält Fehler. Die Bearbeitung wurde abgebrochen. D239", nullptr);
    return 0;
}

int SGML::other_prolog() {
    int etwas = 0;
    while (s() || comment_declaration() || processing_instruction()) etwas = 1;
    return etwas;
}

int SGML::ds() { return other_prolog(); }

int SGML::ps() {
    int etwas = 0;
    while (s() || comment()) etwas = 1;
    return etwas;
}

int SGML::prolog() {
    int etwas = other_prolog();
    if (document_type_declaration()) etwas = 1;
    if (other_prolog()) etwas = 1;
    return etwas;
}

// ------------------------------------------------- document type declaration

int SGML::document_type_declaration() {
    wchar_t* anfang = cursor;
    if (!mdo()) return 0;
    if (!Token(DOCTYPE)) {
        // "<!--" is a broken comment declaration, reported by its production.
        if (!IstToken(L"--")) fehler(DOCTYPE, L"Schlüsselwort 'DOCTYPE' erwartet.", cursor);
        cursor = anfang;
        return 0;
    }
    if (!ps()) {
        fehler(DOCTYPE, L"Parameter-Separator fehlt.", cursor);
        return 0;
    }
    if (!document_type_name()) {
        fehler(DOCTYPE, L"Bezeichner fehlt.", cursor);
        return 0;
    }
    // The external identifier is optional: a declaration with only an
    // internal subset is complete without it. Going back over separators
    // must not read a faulty comment in them twice.
    wchar_t* nach_name = cursor;
    int vorher = errors;
    if (ps() && (IstToken(L"SYSTEM") || IstToken(L"PUBLIC"))) {
        if (!document_type_external_identifier()) cursor = nach_name;
    } else if (errors == vorher) {
        cursor = nach_name;
    }
    wchar_t* vor_subset = cursor;
    vorher = errors;
    ps();
    if (dso()) {
        document_type_declaration_subset();
        if (!dsc()) {
            fehler(L"[]", L"Ende der Subdeklaration (]) erwartet.", cursor);
            return 0;
        }
    } else if (errors == vorher) {
        cursor = vor_subset;
    }
    ps();
    if (!mdc()) {
        fehler(DOCTYPE, L"Ende der Dokumenttyp-Deklaration (>) erwartet.", cursor);
        return 0;
    }
    return 1;
}

int SGML::document_type_external_identifier() { return external_identifier(nullptr, nullptr); }

int SGML::document_type_declaration_subset() {
    int etwas = 0;
    while (entity_set() || element_set() || parameter_entity_reference()) etwas = 1;
    return etwas;
}

// "%name;" between the declarations of an XML subset. It is not expanded:
// whatever declarations it stands for are not read.
int SGML::parameter_entity_reference() {
    if (!dcl->xml || *cursor != L'%') return 0;
    wchar_t* anfang = cursor++;
    if (ist(K_NAMENSANFANG) && name(nullptr) && refc()) return 1;
    cursor = anfang;
    return 0;
}

int SGML::external_identifier(wchar_t* public_id, wchar_t* system_id) {
    if (Token(L"SYSTEM")) {
        const int vorher = errors;
        if (!ps() || !system_identifier(system_id)) {
            if (errors == vorher) fehler(EXTERN, L"Parameter-Separator ( ) und System-Id erwartet.", cursor);
            return 0;
        }
        return 1;
    }
    if (Token(L"PUBLIC")) {
        if (!ps()) {
            fehler(EXTERN, L"Parameter-Separator ( ) und Public-Id erwartet.", cursor);
            return 0;
        }
        const int vorher = errors;
        if (!public_identifier(public_id)) {
            if (errors == vorher) fehler(L"PUBLIC", L"Public-Identifikator (Zeichenkette) erwartet.", cursor);
            return 0;
        }
        wchar_t* nach_public = cursor;
        if (!(ps() && system_identifier(system_id))) cursor = nach_public;
        return 1;
    }
    fehler(EXTERN, L"System- oder Public-Identifikator erwartet.", cursor);
    return 0;
}

int SGML::public_identifier(wchar_t* out) { return sgml_literal(out); }
int SGML::system_identifier(wchar_t* out) { return sgml_literal(out); }

int SGML::sgml_literal(wchar_t* out, std::size_t capacity) {
    const wchar_t quote = *cursor;
    if (cursor >= end || (quote != L'"' && quote != L'\'')) return 0;
    const bool alternativ = quote == L'\'';
    wchar_t* anfang = cursor++;
    if (*cursor == 0) {
        fehler(nullptr, alternativ ? L"Alternative Zeichenkette abgebrochen." : L"Zeichenkette abgebrochen.", cursor);
        cursor = anfang;
        return 0;
    }
    const wchar_t* schluss = std::wmemchr(cursor, quote, static_cast<std::size_t>(end - cursor));
    if (schluss == nullptr) {
        fehler(nullptr,
               alternativ ? L"Alternative Zeichenkette (\"))wird nicht beendet." : L"Zeichenkette (\"))wird nicht beendet.",
               anfang);
        cursor = anfang;
        return 0;
    }
    if (schluss - cursor > SGML_MAX_LITERAL) {
        fehler(nullptr,
               alternativ ? L"Maximale Größe der alternativen Zeichenkette überschritten."
                          : L"Maximale Literalgröße überschritten.",
               anfang);
        cursor = anfang;
        return 0;
    }
    literal_start = cursor;
    literal_end = schluss;
    if (out != nullptr && capacity > 0) {
        std::size_t n = static_cast<std::size_t>(schluss - cursor);
        if (n > capacity - 1) n = capacity - 1;
        std::wmemcpy(out, cursor, n);
        out[n] = 0;
    }
    cursor = const_cast<wchar_t*>(schluss) + 1;
    return 1;
}

// ---------------------------------------------------- entity declarations

int SGML::entity_set() {
    int etwas = ds();
    while (entity_declaration()) {
        etwas = 1;
        ds();
    }
    return etwas;
}

int SGML::entity_declaration() {
    wchar_t* anfang = cursor;
    if (!mdo()) return 0;
    if (!Token(ENTITY)) {
        cursor = anfang;
        return 0;
    }
    // From here on the declaration counts as read, also when it is faulty:
    // the subset goes on with the next one.
    if (!ps()) {
        fehler(ENTITY, L"Parameter-Separator erwartet.", cursor);
        return 1;
    }
    // An XML parameter entity: "%" and a separator before its name.
    if (dcl->xml && Token(L"%") && !ps()) {
        fehler(ENTITY, L"Parameter-Separator erwartet.", cursor);
        return 1;
    }
    if (!entity_name()) {
        fehler(ENTITY, L"Entity-Bezeichner erwartet.", cursor);
        return 1;
    }
    if (!ps()) {
        fehler(ENTITY, L"Parameter-Separator erwartet.", cursor);
        return 1;
    }
    if (!data_text()) {
        // An internal entity: its text is read and not kept.
        if (*cursor == L'"' || *cursor == L'\'') {
            if (!sgml_literal(nullptr)) return 1;
        } else {
            external_entity_specification();
        }
    }
    ps();
    if (!mdc()) fehler(ENTITY, L"Ende der Entity-Deklaration (>) erwartet.", cursor);
    return 1;
}

int SGML::data_text() {
    static const struct {
        const wchar_t* wort;
        const wchar_t* meldung;
    } typen[] = {{L"CDATA", L"Entity-Typ: CDATA wird nicht unterstützt."},
                 {L"SDATA", L"Entity-Typ: SDATA wird nicht unterstützt."},
                 {L"PI", L"Entity-Typ: PI wird nicht unterstützt."}};
    for (const auto& t : typen) {
        wchar_t* anfang = cursor;
        if (!Token(t.wort)) continue;
        fehler(t.wort, t.meldung, anfang);
        if (!ps()) {
            fehler(ENTITY, L"Parameter-Separator erwartet.", cursor);
            return 1;
        }
        if (*cursor != L'"' && *cursor != L'\'')
            fehler(ENTITY, L"Entitäten-Zeichenkette erwartet.", cursor);
        else
            sgml_literal(nullptr);
        return 1;
    }
    return 0;
}

int SGML::external_entity_specification() {
    if (!external_identifier(nullptr, nullptr)) {
        fehler(ENTITY, L"Externer Entity-Identifier erwartet.", cursor);
        return 0;
    }
    // An XML external entity without a type is a parsed one.
    if (dcl->xml) {
        wchar_t* nach_id = cursor;
        ps();
        const bool ende = IstToken(L">");
        cursor = nach_id;
        if (ende) return 1;
    }
    if (!ps()) {
        fehler(ENTITY, L"Parameter-Separator erwartet.", cursor);
        return 0;
    }
    return entity_type();
}

int SGML::entity_type() {
    static const struct {
        const wchar_t* wort;
        const wchar_t* meldung;
    } nicht_unterstuetzt[] = {{L"SUBDOC", L"Entity-Typ: SUBDOC wird nicht unterstützt."},
                              {L"CDATA", L"Entity-Typ: CDATA wird nicht unterstützt."},
                              {L"SDATA", L"Entity-Typ: SDATA wird nicht unterstützt."}};
    wchar_t* anfang = cursor;
    if (!ist(K_NAMENSANFANG)) {
        fehler(ENTITY, L"Entity-Typ erwartet.", cursor);
        return 0;
    }
    for (const auto& t : nicht_unterstuetzt) {
        if (Token(t.wort)) {
            fehler(L"SUBDOC", t.meldung, anfang);
            return 0;
        }
    }
    if (Token(L"NDATA")) {
        if (!ps()) {
            fehler(ENTITY, L"Parameter-Separator erwartet.", cursor);
            return 0;
        }
        if (!notation_name()) {
            fehler(L"NDATA", L"Bezeichner fehlt.", cursor);
            return 0;
        }
        return 1;
    }
    name(nullptr);
    fehler(ENTITY, L"Entity-Typ: NDATA erwartet.", anfang);
    return 0;
}

int SGML::element_set() {
    wchar_t* anfang = cursor;
    if (!mdo()) return 0;
    // Only the keyword is taken; the rest of the declaration ends the subset.
    wchar_t* wort = cursor;
    if (Token(L"ELEMENT")) {
        fehler(L"ELEMENT", L"ELEMENT-Deklaration wird nicht unterstützt.", wort);
        return 1;
    }
    if (Token(L"ATTLIST")) {
        fehler(L"ATTLIST", L"ATTLIST-Deklaration wird nicht unterstützt.", wort);
        return 1;
    }
    cursor = anfang;
    return 0;
}

// ------------------------------------------------------------ marked sections

int SGML::marked_section_start() {
    if (dcl->xml) return Token(L"<![CDATA[") ? MS_CDATA : MS_KEINE;
    return marked_section_sgml_start();
}

int SGML::marked_section_sgml_start() {
    static const struct {
        const wchar_t* wort;
        int art;
    } arten[] = {{L"CDATA", MS_CDATA},
                 {L"RCDATA", MS_RCDATA},
                 {L"IGNORE", MS_IGNORE},
                 {L"INCLUDE", MS_INCLUDE},
                 {L"TEMP", MS_TEMP}};
    wchar_t* anfang = cursor;
    if (!TokenSeq(L"<!", L"[")) return MS_KEINE;
    s();
    wchar_t* wort = cursor;
    if (!name(work_name)) {
        fehler(MARKIERT, L"Dieser Typ des markierten Bereiches wird nicht unterstützt.", wort);
        cursor = anfang;
        return MS_KEINE;
    }
    int art = MS_KEINE;
    for (const auto& a : arten)
        if (std::wcscmp(work_name, a.wort) == 0) art = a.art;
    if (art == MS_KEINE) {
        fehler(MARKIERT, L"Unbekannter Typ des markierter Bereiches.", wort);
        cursor = anfang;
        return MS_KEINE;
    }
    s();
    if (!dso()) {
        fehler(MARKIERT, L"Beginn des markiertern Bereiches [ erwartet.", cursor);
        cursor = anfang;
        return MS_KEINE;
    }
    return art;
}

int SGML::marked_section_end() { return Token(L"]]>"); }

int SGML::marked_section_declaration() {
    switch (marked_section_start()) {
    case MS_KEINE:
        return 0;
    case MS_CDATA:
        character_cdata(L"]]>");
        if (!marked_section_end()) {
            fehler(MARKIERT, L"Ende des markierten CDATA-Bereiches ']]>' fehlt.", cursor);
            return 0;
        }
        return 1;
    case MS_RCDATA:
        replaceable_character_rcdata(L"]]>");
        if (!marked_section_end()) {
            fehler(MARKIERT, L"Ende des markierten RCDATA-Bereiches ']]>' fehlt.", cursor);
            return 0;
        }
        return 1;
    case MS_IGNORE:
        return marked_section_ignore();
    case MS_INCLUDE:
        return marked_section_include();
    case MS_TEMP:
        return marked_section_temp();
    default:
        fehler(MARKIERT, L"Dieser Typ des markierten Bereiches wird nicht unterstützt.", cursor);
        return 0;
    }
}

int SGML::marked_section_skip(const wchar_t* dateiende, const wchar_t* fehlt, bool einschliessen) {
    wchar_t* schluss = const_cast<wchar_t*>(suche(cursor, L"]]>"));
    if (schluss == nullptr) {
        fehler(MARKIERT, dateiende, end);
        cursor = end;
        fehler(MARKIERT, fehlt, end);
        return 0;
    }
    if (einschliessen) {
        // The content stays where it is and is read as part of the
        // surrounding content; the closing delimiter disappears.
        schluss[0] = schluss[1] = schluss[2] = 0;
    } else {
        cursor = schluss + 3;
    }
    return 1;
}

int SGML::marked_section_ignore() {
    return marked_section_skip(L"Dateiende beendet markierten IGNORE-Bereich.",
                               L"Ende des markierten IGNORE-Bereiches ']]>' erwartet.", false);
}

int SGML::marked_section_include() {
    return marked_section_skip(L"Dateiende beendet markierten INCLUDE-Bereich.",
                               L"Ende des markierten INCLUDE-Bereiches ']]>' erwartet.", true);
}

int SGML::marked_section_temp() {
    return marked_section_skip(L"Dateiende beendet markierten TEMP-Bereich.",
                               L"Ende des markierten TEMP-Bereiches ']]>' erwartet.", true);
}

int SGML::character_cdata(const wchar_t* terminator) {
    const wchar_t* schluss = suche(cursor, terminator ? terminator : L"]]>");
    if (schluss == nullptr) {
        cursor = end;
        fehler(MARKIERT, L"Dateiende beendet Daten. C2630", end);
        return 0;
    }
    const int etwas = schluss > cursor;
    cursor = const_cast<wchar_t*>(schluss);
    return etwas;
}

int SGML::character_rcdata(const wchar_t* terminator) {
    if (terminator == nullptr) terminator = L"]]>";
    wchar_t* p = cursor;
    for (; p < end; ++p) {
        if (*p == L'&') break;
        if (*p == terminator[0]) {
            cursor = p;
            if (IstToken(terminator)) break;
        }
    }
    if (p >= end) {
        cursor = end;
        fehler(MARKIERT, L"Dateiende beendet Daten. RD2665", end);
        return 0;
    }
    const int etwas = p > cursor;
    cursor = p;
    return etwas;
}

int SGML::replaceable_character_rcdata(const wchar_t* terminator) { return ersetzbare_daten(terminator, true); }

// ------------------------------------------------------ mark in the text

int SGML::xml_bom() {
    if (!ok() || end - cursor < 5) return 1;
    const wchar_t* t = cursor;
    struct Muster {
        wchar_t z[4];
        int laenge;
        ENCODINGtypeItems art;
        int ueberspringen;
        int ergebnis;
    };
    // Single-byte text that still carries a mark or was meant for 16 or
    // 32 bits; the first match wins.
    static const Muster muster[] = {
        {{0xEF, 0xBB, 0xBF, 0}, 3, ENC_UTF8, 3, 1},
        {{0xFF, 0xFE, 0x00, 0x00}, 4, ENC_UTF32LE, 4, 0},
        {{0xFF, 0xFE, 0, 0}, 2, ENC_UTF16LE, 4, 0},
        {{0xFE, 0xFF, 0, 0}, 2, ENC_UTF16BE, 4, 0},
        {{0x00, 0x00, 0xFE, 0xFF}, 4, ENC_UTF32BE, 4, 0},
        {{L'<', L'?', 0, 0}, 2, ENC_UTF8, 0, 1},
        {{L'<', 0x00, L'?', 0x00}, 4, ENC_UTF16LE, 0, 0},
        {{0x00, L'<', 0x00, L'?'}, 4, ENC_UTF16BE, 0, 0},
    };
    for (const Muster& m : muster) {
        if (std::wmemcmp(t, m.z, static_cast<std::size_t>(m.laenge)) != 0) continue;
        dcl->reader_encoding = m.art;
        dcl->bom_encoding = m.art;
        AddInstanz(m.ueberspringen);
        return m.ergebnis;
    }
    return 1;
}

// --------------------------------------------- XML declaration of the script

int SGML::xml_prolog() {
    int etwas = xml_declaration();
    other_prolog();
    if (document_type_declaration()) etwas = 1;
    other_prolog();
    return etwas;
}

int SGML::xml_declaration() {
    if (!pio()) return 0;
    if (!Token(L"xml")) {
        fehler(XMLDEKL, L"Schlüsselwort 'xml' erwartet. D382", cursor);
        return 0;
    }
    if (!xml_versionsinfo()) {
        fehler(XMLDEKL, L"Eigenschaft 'version' erwartet. D388", cursor);
        return 0;
    }
    xml_encoding_declaration();
    xml_standalone_declaration();
    s();
    if (!xml_pic()) {
        fehler(XMLDEKL, L"Ende der Deklaration (?>) erwartet. D399", cursor);
        return 0;
    }
    return 1;
}

int SGML::xml_versionsinfo() {
    if (!s()) {
        fehler(XMLDEKL, L"Parameterseparator ( ) erwartet.", cursor);
        return 0;
    }
    if (!Token(L"version")) {
        fehler(XMLDEKL, L"Schlüsselwort 'version' erwartet.", cursor);
        return 0;
    }
    const wchar_t* a = nullptr;
    const wchar_t* e = nullptr;
    return xml_wert(nullptr, L"Wert für 'version' (Zeichenkette) erwartet.", nullptr, nullptr, &a, &e) > 0;
}

// An optional white space and `wort` (when given), "=" and a quoted value,
// with the messages of the pseudo-attribute. -1: the word is absent and
// nothing was consumed; 0: reported; 1: the value is wert_start..wert_ende.
int SGML::xml_wert(const wchar_t* wort, const wchar_t* erwartet, const wchar_t* unlesbar, const wchar_t* leer,
                   const wchar_t** wert_start, const wchar_t** wert_ende) {
    if (wort != nullptr) {
        wchar_t* anfang = cursor;
        s();
        if (!Token(wort)) {
            cursor = anfang;
            return -1;
        }
    }
    s();
    if (!vi()) {
        fehler(XMLDEKL, L"Zuweisungszeichen (=) fehlt.", cursor);
        return 0;
    }
    s();
    if (*cursor != L'"' && *cursor != L'\'') {
        fehler(XMLDEKL, erwartet, cursor);
        return 0;
    }
    const int vorher = errors;
    if (!sgml_literal(nullptr)) {
        if (unlesbar != nullptr) fehler(XMLDEKL, unlesbar, cursor);
        else if (errors == vorher) fehler(XMLDEKL, erwartet, cursor);
        return 0;
    }
    *wert_start = literal_start;
    *wert_ende = literal_end;
    if (leer != nullptr && literal_start == literal_end) {
        fehler(XMLDEKL, leer, literal_start);
        return 0;
    }
    return 1;
}

int SGML::xml_encoding_declaration() {
    const wchar_t* a = nullptr;
    const wchar_t* e = nullptr;
    const int gelesen = xml_wert(L"encoding", L"Wert für 'encoding' (Zeichenkette) erwartet.",
                                 L"Der Wert für 'encoding' konnte nicht gelesen werden.",
                                 L"Der Wert für 'encoding' ist leer.", &a, &e);
    if (gelesen <= 0) return gelesen == 0;
    std::size_t n = static_cast<std::size_t>(e - a);
    if (n > SGML_NAMENSLAENGE - 1) n = SGML_NAMENSLAENGE - 1;
    std::wmemcpy(work_name, a, n);
    work_name[n] = 0;

    // Which detected kinds of the file agree with the declared name.
    static const struct {
        const wchar_t* name;
        ENCODINGtypeItems art1;
        ENCODINGtypeItems art2;
        const wchar_t* widerspruch;
    } kodierungen[] = {
        {L"ISO-8859-1", ENC_NONE, ENC_NONE, nullptr},
        {L"ASCII", ENC_NONE, ENC_NONE, nullptr},
        {L"US-ASCII", ENC_NONE, ENC_NONE, nullptr},
        {L"UTF-8", ENC_UTF8, ENC_UTF8, L"Das Encoding UTF-8 widerspricht dem BOM-Encoding."},
        {L"UTF-16", ENC_UTF16LE, ENC_UTF16BE,
         L"Das Encoding UTF-16 muss mit BOM als UTF-16LE oder UTF-16BE spezifiziert werden."},
        {L"UTF-16BE", ENC_UTF16BE, ENC_UTF16BE, L"Das Encoding UTF-16BE widerspricht dem BOM-Encoding."},
        {L"UTF-16LE", ENC_UTF16LE, ENC_UTF16LE, L"Das Encoding UTF-16LE widerspricht dem BOM-Encoding."},
        {L"UTF-32", ENC_UTF32BE, ENC_UTF32LE,
         L"Das Encoding UTF-32 muss mit BOM als UTF-32LE oder UTF-32BE spezifiziert werden."},
        {L"UTF-32BE", ENC_UTF32BE, ENC_UTF32BE, L"Das Encoding UTF-32BE widerspricht dem BOM-Encoding."},
        {L"UTF-32LE", ENC_UTF32LE, ENC_UTF32LE, L"Das Encoding UTF-32LE widerspricht dem BOM-Encoding."},
    };
    const ENCODINGtypeItems erkannt = buf != nullptr ? buf->Lese_Bom_Encoding() : ENC_NONE;
    if (erkannt == ENC_NONE) return 1;
    for (const auto& k : kodierungen) {
        if (wcscasecmp(work_name, k.name) != 0) continue;
        if (k.widerspruch != nullptr && erkannt != k.art1 && erkannt != k.art2) fehler(XMLDEKL, k.widerspruch, a);
        return 1;
    }
    // Any other name is right when the text was read through iconv by it.
    if (buf != nullptr && buf->decoding == ENC_NAMED && buf->kodierungsname.size() == std::wcslen(work_name) &&
        std::equal(buf->kodierungsname.begin(), buf->kodierungsname.end(), work_name,
                   [](char a, wchar_t b) { return std::towlower(static_cast<unsigned char>(a)) == std::towlower(b); }))
        return 1;
    fehler(XMLDEKL, L"Die Kodierung '%ls' wird nicht unterstützt.", a, work_name);
    return 1;
}

int SGML::xml_standalone_declaration() {
    const wchar_t* a = nullptr;
    const wchar_t* e = nullptr;
    const int gelesen = xml_wert(L"standalone", L"Wert für 'standalone' (Zeichenkette) erwartet.",
                                 L"Wert für 'standalone' konnte nicht gelesen werden.",
                                 L"Wert für 'standalone' ist leer.", &a, &e);
    if (gelesen <= 0) return gelesen == 0;
    const std::size_t n = static_cast<std::size_t>(e - a);
    const bool ja = n == 3 && wcsncasecmp(a, L"yes", 3) == 0;
    const bool nein = n == 2 && wcsncasecmp(a, L"no", 2) == 0;
    if (!ja && !nein) fehler(XMLDEKL, L"Ungültiger Wert für 'standalone'.", a);
    return 1;
}
