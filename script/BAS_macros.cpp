// The macros of rule and entity texts. Every macro keyword is followed
// directly by "("; inside the parentheses no separators are skipped.
#include "script/BAS.h"

namespace {

const wchar_t* const kMissingParenEnd = L"Parameter-Endecode (')') erwartet.";
const wchar_t* const kMissingParameter = L"Parameter ('({parameter})') erwartet.";
const wchar_t* const kInvalidParameter = L"Parametercode ('{parameter}') erwartet.";
const wchar_t* const kMissingContext =
    L"Element oder Kontextbedingung ('{element}'/'({...})) erwartet.";
const wchar_t* const kSearchSubject = L"FIND";
constexpr unsigned int kCountPath = 5;  // the scope PATH of makro_count_type

}  // namespace

// A macro term of a rule text. A macro that fails after its keyword has
// reported why; the others are still tried where it stopped.
bool BAS::macro_term() {
    return chr_macro() || value_macro(&BAS::makro_implied, L"IMPLIED") ||
           value_macro(&BAS::makro_value, L"VALUE") || count_macro() ||
           copy_macro(&BAS::makro_copy, L"COPY", false, &BAS::makro_find_range) || del_macro() ||
           copy_macro(&BAS::makro_cut, L"CUT", true, &BAS::makro_find_range_del) ||
           token_macro() || file_macro();
}

unsigned int BAS::makro_literal() { return literal() ? 1 : 0; }
unsigned int BAS::makro_chr() { return keyword(L"CHR") ? 1 : 0; }
unsigned int BAS::makro_implied() { return keyword(L"IMPLIED") ? 1 : 0; }
unsigned int BAS::makro_value() { return keyword(L"VALUE") ? 1 : 0; }
unsigned int BAS::makro_count() { return keyword(L"COUNT") ? 1 : 0; }
unsigned int BAS::makro_copy() { return keyword(L"COPY") ? 1 : 0; }
unsigned int BAS::makro_cut() { return keyword(L"CUT") ? 1 : 0; }
unsigned int BAS::makro_del() { return keyword(L"DEL") ? 1 : 0; }
unsigned int BAS::makro_token() { return keyword(L"TOKEN") ? 1 : 0; }
unsigned int BAS::makro_file() { return keyword(L"FILE") ? 1 : 0; }

unsigned int BAS::makro_count_type() {
    static const Word words[] = {{L"LEVEL", 3}, {L"DOC", 2}, {L"PATH", 5}};
    return word_of(words, 3);
}

unsigned int BAS::makro_count_format() {
    static const Word words[] = {
        {L"NUM", 1}, {L"ALPHA", 2}, {L"UPALPHA", 3}, {L"ROM", 4}, {L"UPROM", 5}};
    return word_of(words, 5);
}

unsigned int BAS::makro_find_range() {
    static const Word words[] = {{L"DOC", 2}, {L"CONTENT", 8}, {L"CHILD", 6}, {L"PARENT", 4}};
    return comma_word(words, 4, 8);
}

unsigned int BAS::makro_find_range_del() {
    static const Word words[] = {{L"DOC", 2}, {L"CONTENT", 8}, {L"CHILD", 6}};
    return comma_word(words, 3, 8);
}

unsigned int BAS::makro_find_number() {
    static const Word words[] = {{L"ONE", 1}, {L"ALL", 2}};
    return comma_word(words, 2, 2);
}

unsigned int BAS::makro_replace_type(bool full_list) {
    static const Word full[] = {{L"FULL", 1}, {L"ALTFULL", 4}, {L"ASCFULL", 6}, {L"DATA", 2},
                                {L"ALT", 3},  {L"ASC", 5},     {L"DROP", 7}};
    static const Word short_list[] = {{L"DATA", 2}, {L"ALT", 3}, {L"ASC", 5}};
    return full_list ? word_of(full, 7) : word_of(short_list, 3);
}

unsigned int BAS::makro_delete_type() {
    static const Word words[] = {{L"FULL", 1}, {L"DATA", 2}};
    return word_of(words, 2);
}

// CHR(digits)
bool BAS::chr_macro() {
    if (!makro_chr()) return false;
    if (!punct(L"(")) {
        error(L"CHR", L"Parameter '({number})' erwartet.");
        return false;
    }
    if (!character_number()) {
        error(L"CHR", L"Parametercode '{number}' erwartet.");
        return false;
    }
    if (!punct(L")")) {
        error(L"CHR", L"Parameter-Endecode ')' erwartet.");
        return false;
    }
    return true;
}

// [element][attribute]; the messages end in a line feed of their own.
bool BAS::attribute_path() {
    element_name();
    return bracketed_attribute(nullptr, L"Attribut Path ungültig.\n");
}

// "[" attribute name "]"; every fault is followed by the caller's summary.
bool BAS::bracketed_attribute(const wchar_t* subject, const wchar_t* summary) {
    if (!punct(L"[")) {
        error(subject, summary);
        return false;
    }
    if (!attribute_name()) {
        error(nullptr, L"Attributname erwartet.\n");
        error(subject, summary);
        return false;
    }
    if (!punct(L"]")) {
        error(nullptr, L"Attributende (]) erwartet.\n");
        error(subject, summary);
        return false;
    }
    return true;
}

// IMPLIED(path[,type|"format"]) and VALUE(...).
bool BAS::value_macro(unsigned int (BAS::*word)(), const wchar_t* subject) {
    if (!(this->*word)()) return false;
    if (!punct(L"(")) {
        error(subject, kMissingParameter);
        return false;
    }
    if (!attribute_path()) {
        error(subject, kInvalidParameter);
        return false;
    }
    if (punct(L",") && !makro_replace_type(false) && !makro_literal()) {
        error(subject, L"Format (\"...\")) oder Ersetzungstyp ('ASC','ALT','DATA')erwartet.");
        return false;
    }
    return close_paren(subject, kMissingParenEnd);
}

// COUNT([element][,scope[,format]|,format])
bool BAS::count_macro() {
    const wchar_t* const subject = L"COUNT";
    if (!makro_count()) return false;
    if (!punct(L"(")) {
        error(subject, kMissingParameter);
        return false;
    }
    element_name();
    if (punct(L",")) {
        if (const unsigned int scope = makro_count_type(); scope == kCountPath) {
            if (!count_path_parameters()) return false;
        } else if (scope != 0) {
            if (punct(L",") && !makro_count_format()) {
                error(subject, L"Zählerformat ('NUM', 'ALPHA', 'ROM') erwartet.");
                return false;
            }
        } else if (!makro_count_format()) {
            error(subject,
                  L"Suchbereich und Zähltyp ('LEVEL', 'DOC' + 'POS', 'ALL') oder Zählerformat "
                  L"('NUM', 'ALPHA', 'ROM') erwartet.");
            return false;
        }
    }
    return close_paren(subject, kMissingParenEnd);
}

// After PATH the format and a separator literal, each optional:
// PATH[,format][,"text"].
bool BAS::count_path_parameters() {
    if (!punct(L",")) return true;
    if (makro_count_format()) {
        if (!punct(L",") || makro_literal()) return true;
        error(L"COUNT", L"Separatortext ('...') erwartet.");
        return false;
    }
    if (makro_literal()) return true;
    error(L"COUNT", L"Zählerformat ('NUM', 'ALPHA', 'ROM') oder Separatortext ('...') erwartet.");
    return false;
}

// COPY(context[,range][,count],type[,element][,"text"]) and CUT, whose
// context is required and whose range has no PARENT. Optional parameters
// are known by their words, so none leaves an empty place.
bool BAS::copy_macro(unsigned int (BAS::*word)(), const wchar_t* subject, bool context_required,
                     unsigned int (BAS::*range)()) {
    const wchar_t* const missing_type = L"Ersetzungs-Typ ('{type}'})) erwartet.";
    if (!(this->*word)()) return false;
    if (!punct(L"(")) return false;
    bool no_context = !context_required && cursor < end && *cursor == L',';
    if (!no_context && !search_context()) {
        error(subject, kMissingContext);
        return false;
    }
    (this->*range)();
    makro_find_number();
    if (!punct(L",")) {
        error(L"Ersetzungstyp", L"Parameter-Separator (',') für Ersetzungstyp erwartet.");
        error(subject, missing_type);
        return false;
    }
    if (!makro_replace_type(true)) {
        error(subject, missing_type);
        return false;
    }
    optional_comma_name();
    optional_comma_literal();
    return close_paren(subject, kMissingParenEnd);
}

// DEL(context[,range][,count],FULL|DATA[,element])
bool BAS::del_macro() {
    const wchar_t* const subject = L"DEL";
    const wchar_t* const missing_type = L"Löschtyp ('{type}'})) erwartet.";
    if (!makro_del()) return false;
    if (!punct(L"(")) return false;
    if (!search_context()) {
        error(subject, kMissingContext);
        return false;
    }
    makro_find_range_del();
    makro_find_number();
    if (!punct(L",")) {
        error(L"Löschtyp", L"Parameter-Separator (',') für Löschtyp erwartet.");
        error(subject, missing_type);
        return false;
    }
    if (!makro_delete_type()) {
        error(subject, missing_type);
        return false;
    }
    optional_comma_name();
    return close_paren(subject, kMissingParenEnd);
}

// TOKEN(path,"unit","separator")
bool BAS::token_macro() {
    const wchar_t* const subject = L"TOKEN";
    if (!makro_token()) return false;
    if (!punct(L"(")) {
        error(subject, kMissingParameter);
        return false;
    }
    if (!attribute_path()) {
        error(subject, kInvalidParameter);
        return false;
    }
    if (!punct(L",")) {
        error(subject, L"1. Parameter-Trennzeichen (',') erwartet.");
        return false;
    }
    if (!makro_literal()) {
        error(subject, L"Einheit ('in', '*', 'mm', ...) erwartet.");
        return false;
    }
    if (!punct(L",")) {
        error(subject, L"2. Parameter-Trennzeichen (',') erwartet.");
        return false;
    }
    if (!makro_literal()) {
        error(subject, L"Separatortext ('...') erwartet.");
        return false;
    }
    return close_paren(subject, kMissingParenEnd);
}

// FILE([attribute][,"extension"])
bool BAS::file_macro() {
    const wchar_t* const subject = L"FILE";
    const wchar_t* const missing_name = L"Attributname ([name]) erwartet.";
    if (!makro_file()) return false;
    if (!punct(L"(")) {
        error(subject, L"Parameter-Beginn ('(') erwartet.");
        return false;
    }
    if (!bracketed_attribute(subject, missing_name)) return false;
    if (punct(L",") && !makro_literal()) {
        error(subject, L"Dateierweiterung ('...') erwartet.");
        return false;
    }
    return close_paren(subject, L"Parameter-Ende (')') erwartet.");
}

// element[attribute query][ IN|NOTIN|INX|NOTINX element]; the messages
// carry the subject FIND in every macro that searches.
bool BAS::search_context() {
    if (!element_name()) {
        error(kSearchSubject, L"Elementname ('{element}') erwartet.");
        return false;
    }
    if (attribute_condition() < 0) return false;
    if (!s()) return true;
    if (!(condition_in() || condition_notin() || condition_inx() || condition_notinx())) {
        error(kSearchSubject, L"Kontext-Befehl (IN/NOTIN/INX/NOTIN) erwartet.");
        return false;
    }
    if (!s()) {
        error(kSearchSubject, L"Separator-Zeichen (' ') erwartet.");
        return false;
    }
    if (!element_name()) {
        error(kSearchSubject, L"Kontext-Element ('{element}') erwartet.");
        return false;
    }
    return true;
}

// "," and an element name, or nothing (the "," stays for the next parameter).
bool BAS::optional_comma_name() {
    wchar_t* start = cursor;
    if (punct(L",") && element_name()) return true;
    cursor = start;
    return false;
}

bool BAS::optional_comma_literal() {
    wchar_t* start = cursor;
    if (punct(L",") && makro_literal()) return true;
    cursor = start;
    return false;
}
