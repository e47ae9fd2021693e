// The settings block at the head of a script.
#include "script/BAS.h"

#include <cwchar>
#include <cwctype>
#include <string>

#include "textio/ENCODING.h"
#include "textio/Fremdkodierung.h"

namespace {

const wchar_t* const kMissingSeparator = L"Abschluss-Separator (' ',CR,LF) fehlt.";

}  // namespace

// Settings come in any order and may repeat; a turn tries all sixteen and the
// block ends with the first turn in which none is read.
unsigned int BAS::settings() {
    unsigned int read = 0;
    for (;;) {
        bool any = setting(L"SYNTAX", &BAS::file_syntax_type,
                           L"Angabe des Syntax-Types (SGML oder XML) fehlt.") ||
                   setting(L"CONVERTELEMENTS", &BAS::file_elements_type, nullptr) ||
                   setting(L"CONVERTENTITIES", &BAS::file_entities_type, nullptr) ||
                   setting(L"CONVERTDATA", &BAS::file_pcdata_type, nullptr) ||
                   setting(L"BASE", &BAS::base_value,
                           L"Angabe des BASIS-Elementes (Elementname oder Zeichenkette) fehlt.") ||
                   setting(L"NAMECASE", &BAS::file_reader_namecase_type,
                           L"Angabe von NAMECASE (YES oder NO) fehlt.") ||
                   setting(L"WARNINGS", &BAS::file_warnings_type, nullptr) ||
                   setting(L"READERDTD", &BAS::file_readerdtd_type,
                           L"Angabe von READERDTD (INTERNAL oder EXTERNAL) fehlt.") ||
                   setting(L"READERENCODING", &BAS::file_reader_encoding_type,
                           L"Angabe der Kodierung fehlt.") ||
                   setting(L"WRITERENCODING", &BAS::file_writer_encoding_type,
                           L"Angabe der Kodierung fehlt.") ||
                   setting(L"WRITERCHARACTERS", &BAS::file_writer_characters_type,
                           L"Angabe von CHARACTERS (Zeichenkette) fehlt.") ||
                   setting(L"WRITERESCAPE", &BAS::file_writer_escape_type,
                           L"Angabe von WRITERESCAPE (NONE oder MARKUP) fehlt.") ||
                   setting(L"WRITERBOM", &BAS::file_writer_bom_type,
                           L"Angabe von WRITERBOM (YES oder NO) fehlt.") ||
                   setting(L"PARSEERRORS", &BAS::file_parse_errors_type,
                           L"Angabe von PARSEERRORS (SHOW oder HIDE) fehlt.") ||
                   setting(L"SYSTEM", &BAS::file_system_name,
                           L"System-Identifikator Zeichenkette) fehlt.") ||
                   setting(L"PUBLIC", &BAS::file_public_id,
                           L"Public-Identifikator (Zeichenkette) fehlt.");
        if (!any) return read;
        ++read;
    }
}

// keyword [s] "=" [s] value s. A failure after the keyword leaves the
// cursor where it stopped; the caller tries the next setting there.
bool BAS::setting(const wchar_t* word, unsigned int (BAS::*value)(), const wchar_t* missing) {
    if (!keyword(word)) return false;
    s();
    if (!punct(L"=")) {
        error(word, L"Zuweisungsoperator (=) fehlt.");
        return false;
    }
    s();
    if (!(this->*value)() && missing != nullptr) error(word, missing);
    if (!s()) {
        error(word, kMissingSeparator);
        return false;
    }
    return true;
}

unsigned int BAS::base_value() {
    if (file_base_element()) return 1;
    return file_base_name();
}

unsigned int BAS::file_base_element() { return element_name(); }
unsigned int BAS::file_base_name() { return literal() ? 1 : 0; }
unsigned int BAS::file_system_name() { return literal() ? 1 : 0; }
unsigned int BAS::file_public_id() { return literal() ? 1 : 0; }

unsigned int BAS::file_syntax_type() {
    // HTML5 before HTML: a keyword matches the start of a longer word
    // that goes on with a digit.
    static const Word words[] = {{L"SGML", 1}, {L"XML", 2}, {L"HTML5", 4}, {L"HTML", 3}};
    return word_of(words, 4);
}

unsigned int BAS::file_reader_namecase_type() {
    static const Word words[] = {{L"YES", 2}, {L"NO", 1}};
    return word_of(words, 2);
}

unsigned int BAS::file_elements_type() {
    static const Word words[] = {{L"ALL", 1}, {L"ONLYDEFINED", 2}, {L"DROPUNDEFINED", 3}};
    return word_or_default(words, 3, 2);
}

unsigned int BAS::file_entities_type() {
    static const Word words[] = {{L"ALL", 1}, {L"ONLYDEFINED", 2}, {L"EXPAND", 3}};
    return word_or_default(words, 3, 2);
}

unsigned int BAS::file_readerdtd_type() {
    static const Word words[] = {{L"INTERNAL", 1}, {L"EXTERNAL", 2}};
    return word_of(words, 2);
}

unsigned int BAS::file_pcdata_type() {
    static const Word words[] = {{L"ALL", 1}, {L"ONLYDEFINED", 2}};
    return word_or_default(words, 2, 1);
}

unsigned int BAS::file_warnings_type() {
    static const Word words[] = {{L"ALL", 2}, {L"SMART", 1}};
    return word_or_default(words, 2, 2);
}

unsigned int BAS::file_writer_escape_type() {
    static const Word words[] = {{L"NONE", 1}, {L"MARKUP", 2}};
    return word_of(words, 2);
}

unsigned int BAS::file_writer_bom_type() {
    static const Word words[] = {{L"YES", 2}, {L"NO", 1}};
    return word_of(words, 2);
}

unsigned int BAS::file_parse_errors_type() {
    static const Word words[] = {{L"SHOW", 2}, {L"HIDE", 1}};
    return word_of(words, 2);
}

unsigned int BAS::file_reader_encoding_type() { return encoding_name(L"READERENCODING"); }
unsigned int BAS::file_writer_encoding_type() { return encoding_name(L"WRITERENCODING"); }

// The name is read whole, in the form the XML recommendation gives encoding
// names: the program's own names without regard to case, and any other name
// that iconv knows as a named encoding.
unsigned int BAS::encoding_name(const wchar_t* subject) {
    auto buchstabe = [](wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); };
    wchar_t* p = cursor;
    if (p < end && buchstabe(*p))
        while (++p < end && (buchstabe(*p) || (*p >= L'0' && *p <= L'9') || *p == L'.' || *p == L'_' || *p == L'-')) {
        }
    if (p == cursor) {
        parser_error(subject, L"Die Kodierung wird nicht unterstützt.");
        return 0;
    }
    const std::wstring name(cursor, p);
    const ENCODINGtypeItems art = ENCODING_aus_Skriptname(name.c_str());
    wchar_t* anfang = cursor;
    cursor = p;
    const bool schreiben = std::wcscmp(subject, L"WRITERENCODING") == 0;
    if (art == ENC_NONE && !FREMDKODIERUNG::Bekannt(std::string(name.begin(), name.end()), schreiben)) {
        parser_error(subject, L"Die Kodierung '%ls' wird nicht unterstützt.", name.c_str());
        return 0;
    }
    text_begin = anfang;
    text_end = p;
    return art != ENC_NONE ? art : ENC_NAMED;
}

// A literal DECIMAL, HEX or ENTITY in any case. The value only gets
// checked: writing character references is the output's business.
unsigned int BAS::file_writer_characters_type() {
    const wchar_t* subject = L"WRITERCHARACTERS";
    if (!literal()) {
        parser_error(subject, L"Wert für 'CHARACTERS' (Zeichenkette) erwartet.");
        return 0;
    }
    if (text_begin == text_end) {
        parser_error(subject, L"Der Wert für 'CHARACTERS' konnte nicht gelesen werden.");
        return 0;
    }
    std::wstring value(text_begin, text_end);
    std::wstring upper(value);
    for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    if (upper == L"DECIMAL") return 1;
    if (upper == L"HEX") return 2;
    if (upper == L"ENTITY") return 3;
    parser_error(subject, L"Der Wert für 'CHARACTERS' %ls wird nicht unterstützt.", value.c_str());
    return 0;
}
