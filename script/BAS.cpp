// The script parser: lexical helpers, the separator, the file structure and
// the element and entity definitions. Settings, rules and macros live in
// BAS_settings.cpp, BAS_rules.cpp and BAS_macros.cpp.
#include "script/BAS.h"

#include <cwchar>


namespace {

bool is_upper(wchar_t c) { return c >= L'A' && c <= L'Z'; }
bool is_white(wchar_t c) { return c == L' ' || c == L'\r' || c == L'\n' || c == L'\t'; }

}  // namespace

BAS::BAS(BUF* buffer) : SGML(buffer, &skript_dcl) {
    // Until a prolog says otherwise the script uses SGML names, compared
    // with regard to case.
    skript_dcl.xml = 0;
    skript_dcl.sgml = 1;
    skript_dcl.html = 0;
    skript_dcl.namecase = 0;
}

BAS::~BAS() = default;

// ---- Lexical helpers -------------------------------------------------------

bool BAS::keyword(const wchar_t* word) {
    wchar_t* p = cursor;
    while (*word != 0) {
        if (p >= end || *p != *word) return false;
        ++p;
        ++word;
    }
    // "BEG" must not match the start of "BEGIN": an upper-case letter after
    // the word means it is part of a longer keyword.
    if (p < end && is_upper(*p)) return false;
    text_begin = cursor;
    text_end = p;
    cursor = p;
    return true;
}

bool BAS::punct(const wchar_t* chars) {
    wchar_t* p = cursor;
    while (*chars != 0) {
        if (p >= end || *p != *chars) return false;
        ++p;
        ++chars;
    }
    cursor = p;
    return true;
}

bool BAS::literal() {
    wchar_t* start = cursor;
    if (start >= end || (*start != L'"' && *start != L'\'')) return false;
    if (!sgml_literal(nullptr)) return false;
    // The reader stops after the closing quote of the same kind.
    text_begin = start + 1;
    text_end = cursor - 1;
    return true;
}

void BAS::error(const wchar_t* subject, const wchar_t* text, const wchar_t* argument) {
    Fehlermeldung(true, false, subject, text, argument, cursor);
}

void BAS::parser_error(const wchar_t* subject, const wchar_t* text, const wchar_t* argument) {
    Fehlermeldung(false, false, subject, text, argument, cursor);
}

unsigned int BAS::word_of(const Word* table, unsigned int count) {
    for (unsigned int i = 0; i < count; ++i)
        if (keyword(table[i].word)) return table[i].value;
    return 0;
}

unsigned int BAS::punct_of(const Word* table, unsigned int count) {
    wchar_t* start = cursor;
    for (unsigned int i = 0; i < count; ++i) {
        if (punct(table[i].word)) {
            text_begin = start;
            text_end = cursor;
            return table[i].value;
        }
    }
    return 0;
}

// One of the words, or the fallback without consuming anything.
unsigned int BAS::word_or_default(const Word* table, unsigned int count, unsigned int fallback) {
    if (unsigned int v = word_of(table, count)) return v;
    text_begin = text_end = cursor;
    return fallback;
}

// "," and one of the words; without them nothing is consumed and the
// fallback is the value. A "," before another word stays for the caller.
unsigned int BAS::comma_word(const Word* table, unsigned int count, unsigned int fallback) {
    wchar_t* start = cursor;
    if (punct(L",")) {
        if (unsigned int v = word_of(table, count)) return v;
        cursor = start;
    }
    text_begin = text_end = cursor;
    return fallback;
}

// ---- Separator -------------------------------------------------------------

int BAS::s() {
    bool found = false;
    for (;;) {
        wchar_t* p = cursor;
        if (p < end && is_white(*p)) {
            while (p < end && is_white(*p)) ++p;
            cursor = p;
            found = true;
        } else if (end - p >= 2 && p[0] == L'/' && p[1] == L'/') {
            p += 2;
            while (p < end && *p != L'\n') ++p;
            cursor = p < end ? p + 1 : end;
            found = true;
        } else if (end - p >= 2 && p[0] == L'/' && p[1] == L'*') {
            p += 2;
            while (end - p >= 2 && !(p[0] == L'*' && p[1] == L'/')) ++p;
            if (end - p < 2) {
                // Shown where the comment opens: the end of the text would not
                // tell which comment was left open. Callers may step back over
                // a separator and read it again; it is still reported once.
                if (!open_comment_reported) {
                    open_comment_reported = true;
                    error(L"Kommentar", L"Kommentarende fehlt ('/* ... */') .");
                }
                cursor = end;
                return 1;
            }
            cursor = p + 2;
            found = true;
        } else {
            return found ? 1 : 0;
        }
    }
}

// ---- File structure --------------------------------------------------------

unsigned int BAS::document() {
    if (!ok()) return 0;

    bool tag_read = false;
    wchar_t tag_name[SGML_NAMENSLAENGE] = L"";
    if (!prolog_and_base_tag(&tag_read, tag_name)) return 0;

    settings();
    s();
    while (element_definition() > 0) {
    }
    s();
    while (entity_definition() > 0) {
    }
    s();

    if (tag_read) {
        wchar_t end_name[SGML_NAMENSLAENGE] = L"";
        wchar_t* at = cursor;
        if (!end_tag(end_name)) {
            parser_error(L"Element", L"Der Endtag für das Element '%ls' wurde nicht gefunden.",
                         tag_name);
            return 0;
        }
        if (std::wcscmp(end_name, L"script") != 0) {
            cursor = at;
            parser_error(L"Element", L"Falscher Endtag '%ls' gefunden.", end_name);
            return 0;
        }
        s();
    }

    if (errors != 0) return 0;
    if (cursor < end) {
        error(nullptr, L"Syntaxfehler.");
        return 0;
    }
    return 1;
}

// The optional prolog (XML declaration, document type declaration) and the
// optional <script> start tag around the script body.
bool BAS::prolog_and_base_tag(bool* tag_read, wchar_t* tag_name) {
    // The prolog counts when it holds an XML or a document type declaration;
    // comments and processing instructions alone leave the names as they are.
    xml_bom();
    if (xml_prolog()) {
        skript_dcl.xml = 1;
        skript_dcl.sgml = 0;
        skript_dcl.html = 0;
        if (doctype_name[0] == 0) std::wcscpy(doctype_name, L"script");
        if (std::wcscmp(doctype_name, L"script") != 0) {
            parser_error(L"Element", L"Falscher Starttag '%ls'.", doctype_name);
            return false;
        }
    }

    s();
    bool empty = false;
    if (start_tag(tag_name, &empty, true)) {
        *tag_read = true;
        if (empty) error(nullptr, L"Ein leeres Basiselement ist nicht erlaubt.");
        if (std::wcscmp(tag_name, L"script") != 0) {
            parser_error(L"Element", L"Falscher Starttag '%ls'.", tag_name);
            return false;
        }
        s();
    }
    return true;
}

// ---- Element definitions ---------------------------------------------------

// 1: read, 0: absent, -1: failed (which ends the element definitions).
int BAS::element_definition() {
    if (!keyword(L"ELEMENT")) return 0;
    if (!s()) {
        error(L"ELEMENT", L"Separator (' ') fehlt.");
        return -1;
    }
    if (!element_definition_name()) error(L"ELEMENT", L"Bezeichner des Elements fehlt.");
    if (!s()) {
        error(L"ELEMENT", L"Abschluss-Separator (' ',CR,LF) fehlt.");
        return -1;
    }
    model_clause();
    attlist_clauses();
    rules_part();
    if (abgebrochen) return -1;
    if (!element_definition_ende()) {
        error(L"ELEMENT", L"Element-Definitionsende (ENDE) erwartet");
        return -1;
    }
    s();
    return 1;
}

unsigned int BAS::element_name() {
    wchar_t* start = cursor;
    if (!name(nullptr)) return 0;
    text_begin = start;
    text_end = cursor;
    return 1;
}

unsigned int BAS::element_definition_name() { return element_name(); }

unsigned int BAS::element_definition_ende() { return keyword(L"ENDE") ? 1 : 0; }

unsigned int BAS::model_type() {
    static const Word types[] = {{L"EMPTY", 2}, {L"DATA", 4}, {L"GROUP", 1}, {L"MIXED", 3}};
    return word_or_default(types, 4, 3);
}

void BAS::model_clause() {
    if (!keyword(L"MODEL")) return;
    s();
    if (!punct(L"=")) {
        error(L"MODEL", L"Zuweisungsoperator (=) erwartet.");
        return;
    }
    s();
    wchar_t* start = cursor;
    model_type();
    if (cursor != start && !s()) error(L"MODEL", L"Abschluss-Separator (' ') erwartet.");
}

void BAS::attlist_clauses() {
    while (keyword(L"ATTLIST")) {
        s();
        int read = 0;
        while (attribute_definition() > 0) {
            ++read;
            s();
        }
        if (read == 0) return;
    }
}

// [ name = "value" ]: 1 read, 0 absent, -1 failed.
int BAS::attribute_definition() {
    if (!punct(L"[")) return 0;
    s();
    if (!attribute_name()) {
        error(L"ATTLIST", L"Attributname ([{name})erwartet.");
        return -1;
    }
    s();
    if (!punct(L"=")) {
        error(L"ATTLIST", L"Zuweisungszeichen ([{name}=) fehlt.");
        return -1;
    }
    s();
    if (!attribute_value_literal()) {
        error(L"ATTLIST", L"Attributwert (\"...\" oder '...') fehlt.");
        return -1;
    }
    s();
    if (!punct(L"]")) {
        error(L"ATTLIST", L"Attributende (]) erwartet.");
        return -1;
    }
    return 1;
}

// ---- Entity definitions ----------------------------------------------------

int BAS::entity_definition() {
    if (!keyword(L"ENTITY")) return 0;
    if (!s()) {
        error(L"ENTITY", L"Separator (' ') fehlt.");
        return -1;
    }
    unsigned int code = 0;
    if (!entity_name_definition(&code)) {
        error(L"ENTITY", L"Entitybezeichner (ENTITY {name}) erwartet.");
        return -1;
    }
    s();
    if (!punct(L"=")) {
        error(L"ENTITY", L"Zuweisungsoperator (=) erwartet.");
        return -1;
    }
    s();
    if (!entity_rules_set(L"ENTITY")) return -1;
    s();
    entity_clause(&BAS::entity_alternate, L"ALTERNATE");
    s();
    entity_clause(&BAS::entity_ascii, L"ASCII");
    s();
    return 1;
}

// ALTERNATE or ASCII: keyword, "=", replacement text. Its failure does not
// fail the definition.
bool BAS::entity_clause(unsigned int (BAS::*word)(), const wchar_t* subject) {
    if (!(this->*word)()) return false;
    s();
    if (!punct(L"=")) {
        error(subject, L"Zuweisungsoperator (=) erwartet.");
        return false;
    }
    s();
    if (!entity_rules_set(subject)) return false;
    s();
    return true;
}

unsigned int BAS::entity_alternate() { return keyword(L"ALTERNATE") ? 1 : 0; }
unsigned int BAS::entity_ascii() { return keyword(L"ASCII") ? 1 : 0; }

unsigned int BAS::entity_rules_set(const wchar_t* subject) {
    if (!entity_term()) {
        error(subject, L"Ersetzungsregeln (\"...\")) erwartet.");
        return 0;
    }
    s();
    while (makro_plus()) {
        if (!entity_term()) {
            error(subject, L"Ersetzungsregeln ('...') erwartet.");
            return 0;
        }
        s();
    }
    return 1;
}

bool BAS::entity_term() {
    if (makro_literal()) return true;
    if (chr_macro()) return true;
    return value_macro(&BAS::makro_value, L"VALUE");
}

namespace {

unsigned int hex_value(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    return c - L'A' + 10;
}

// Digits to a number; false when it does not fit into 64 bits.
bool digits_value(const wchar_t* p, const wchar_t* e, unsigned int base, unsigned long long* out) {
    unsigned long long v = 0;
    for (; p < e; ++p) {
        unsigned int d = hex_value(*p);
        if (v > (~0ull - d) / base) return false;
        v = v * base + d;
    }
    *out = v;
    return true;
}

constexpr long kMaxReferenceDigits = 4095;

}  // namespace

unsigned int BAS::entity_name_definition(unsigned int* code) {
    *code = 0;
    wchar_t* start = cursor;
    if (start >= end || *start != L'#') {
        if (!name(nullptr)) return 0;
        text_begin = start;
        text_end = cursor;
        return 1;
    }

    if (punct(L"#x")) {
        wchar_t* digits = cursor;
        if (hex_character_number()) {
            unsigned long long v = 0;
            if (cursor - digits > kMaxReferenceDigits)
                parser_error(L"ENTITY", L"Hexadezimale Zeichenreferenz ist zu lang.");
            else if (!digits_value(digits, cursor, 16, &v))
                parser_error(L"ENTITY", L"Hexadezimale Zeichenreferenz konnte nicht gelesen werden.");
            else if (v >= 0x110000)
                parser_error(L"ENTITY", L"Hexadezimale Zeichenreferenz ist zu groß.");
            else
                *code = static_cast<unsigned int>(v);
            text_begin = start;
            text_end = cursor;
            return 1;
        }
        cursor = start;
    }

    punct(L"#");
    wchar_t* digits = cursor;
    if (character_number()) {
        // Decimal codes have no upper bound, but the item keeps 32 bits: a
        // larger number must not wrap round onto some other character.
        unsigned long long v = 0;
        if (cursor - digits > kMaxReferenceDigits)
            parser_error(L"ENTITY", L"Zeichenreferenz ist zu groß.");
        else if (!digits_value(digits, cursor, 10, &v) || v > 0xFFFFFFFFull)
            parser_error(L"ENTITY", L"Zeichenreferenz konnte nicht gelesen werden.");
        else
            *code = static_cast<unsigned int>(v);
        text_begin = start;
        text_end = cursor;
        return 1;
    }

    int function = 0;
    if (function_name(&function)) {
        *code = static_cast<unsigned int>(function);
        text_begin = start;
        text_end = cursor;
        return 1;
    }
    parser_error(L"ENTITY", L"Funktionszeichenreferenz unbekannt.");
    return 0;
}
