#include "script/BASR.h"

#include "textio/BUF.h"

namespace {

// Items per character of script text: generous for short scripts, which
// are dense with keywords, lean for long ones, which are mostly literals.
int Startkapazitaet(std::uint64_t laenge) {
    std::uint64_t n = laenge < 65536 ? laenge / 2 : laenge / 8;
    if (n < 1) n = 1;
    if (n > 0x7FFFFFFE) n = 0x7FFFFFFE;
    return static_cast<int>(n);
}

}  // namespace

BASR::BASR(BUF* buffer, BASIC* script, bool debug_flag) : BAS(buffer), basic(script), debug(debug_flag) {
    const int kapazitaet = Startkapazitaet(buffer ? buffer->length : 0);
    basic->Init(kapazitaet, debug);
    strings.Init(kapazitaet);
}

BASR::~BASR() = default;

int BASR::Texte_abschliessen() {
    for (int i = 0; i < strings.Index(); ++i) buf->Zeilenende_retten(strings.Eintrag(i));
    return strings.Clear();
}

void BASR::Eintragen(BASICtypeItems kind, wchar_t* begin, wchar_t* end, unsigned merkmale, std::uint32_t value) {
    if (!basic->AddItem(kind, begin, end, (merkmale & EBENE) ? depth : 0, value)) return;
    ++recorded;
    if ((merkmale & TEXT) && end) strings.AddItem(end);
}

// Runs the base recogniser and records its item when it found something.
// The item spans the word the recogniser reports (its keyword, name, or a
// literal without quotes), else everything it consumed.
template <class Erkenner>
unsigned int BASR::Aufnehmen(Erkenner erkenner, BASICtypeItems kind, unsigned merkmale, std::uint32_t wert) {
    wchar_t* vorher = cursor;
    text_begin = text_end = nullptr;
    const unsigned int ergebnis = erkenner();
    if (ergebnis == 0) return 0;
    const bool wort = text_begin != nullptr && !(merkmale & SPANNE);
    Eintragen(kind, wort ? text_begin : vorher, wort ? text_end : cursor, merkmale,
              (merkmale & WERT) ? ergebnis : wert);
    return ergebnis;
}

template <class Erkenner>
int BASR::Stumm(Erkenner erkenner) {
    ++stumm;
    const int ergebnis = erkenner();
    --stumm;
    return ergebnis;
}

// ---------------------------------------------------------------- markup

int BASR::attribute_name() {
    if (stumm) return BAS::attribute_name();
    return static_cast<int>(Aufnehmen([this] { return static_cast<unsigned>(BAS::attribute_name()); },
                                      ITEM_ATTNAME, EBENE | TEXT | SPANNE));
}

int BASR::attribute_value_literal() {
    wchar_t* vorher = cursor;
    const int ergebnis = Stumm([this] { return BAS::attribute_value_literal(); });
    // The value is the text between the quotes.
    if (ergebnis && !stumm && cursor - vorher >= 2) Eintragen(ITEM_ATTVALUE, vorher + 1, cursor - 1, EBENE | TEXT, 0);
    return ergebnis;
}

int BASR::character_number() {
    if (stumm) return BAS::character_number();
    return static_cast<int>(Aufnehmen([this] { return static_cast<unsigned>(BAS::character_number()); },
                                      ITEM_NUMBER, TEXT | SPANNE));
}

int BASR::prolog() { return Stumm([this] { return BAS::prolog(); }); }
int BASR::document_type_declaration() { return Stumm([this] { return BAS::document_type_declaration(); }); }
int BASR::start_tag(wchar_t* name, bool* empty, bool base) {
    return Stumm([&] { return BAS::start_tag(name, empty, base); });
}

// ---------------------------------------------------------------- names and definitions

unsigned int BASR::element_name() {
    switch (name_mode) {
    case 1:
        return Aufnehmen([this] { return BAS::element_name(); }, ITEM_BASE, TEXT);
    case 2:
        return Aufnehmen([this] { return BAS::element_name(); }, ITEM_ELEMENT, TEXT);
    default:
        return Aufnehmen([this] { return BAS::element_name(); }, ITEM_NAME, EBENE | TEXT);
    }
}

unsigned int BASR::element_definition_name() {
    name_mode = 2;
    const unsigned int ergebnis = BAS::element_definition_name();
    name_mode = 0;
    return ergebnis;
}

unsigned int BASR::file_base_element() {
    name_mode = 1;
    const unsigned int ergebnis = BAS::file_base_element();
    name_mode = 0;
    return ergebnis;
}

unsigned int BASR::model_type() { return Aufnehmen([this] { return BAS::model_type(); }, ITEM_MODEL, TEXT | WERT); }
unsigned int BASR::element_definition_ende() {
    return Aufnehmen([this] { return BAS::element_definition_ende(); }, ITEM_ENDE, 0);
}

// An entity name is recorded as written ("#x41", "#65", "auml") with its
// character code; a decimal name also gets its digits as a number item.
unsigned int BASR::entity_name_definition(unsigned int* code) {
    unsigned int wert = 0;
    wchar_t* vorher = cursor;
    text_begin = text_end = nullptr;
    const unsigned int ergebnis = Stumm([&] { return static_cast<int>(BAS::entity_name_definition(&wert)); });
    if (code) *code = wert;
    if (ergebnis == 0) return 0;
    wchar_t* b = text_begin ? text_begin : vorher;
    wchar_t* e = text_begin ? text_end : cursor;
    Eintragen(ITEM_ENTITY, b, e, TEXT, wert);
    if (e - b >= 2 && b[0] == L'#' && b[1] >= L'0' && b[1] <= L'9') Eintragen(ITEM_NUMBER, b + 1, e, TEXT, 0);
    return ergebnis;
}

unsigned int BASR::entity_alternate() {
    return Aufnehmen([this] { return BAS::entity_alternate(); }, ITEM_ENTITY_ALTERNATE, 0);
}
unsigned int BASR::entity_ascii() { return Aufnehmen([this] { return BAS::entity_ascii(); }, ITEM_ENTITY_ASCII, 0); }

// ---------------------------------------------------------------- branches and rules

// Everything recorded inside the block, down to its ENDIF, carries its depth.
unsigned int BASR::branch_definition_set() {
    ++depth;
    if (depth > max_depth) max_depth = depth;
    const unsigned int ergebnis = BAS::branch_definition_set();
    --depth;
    return ergebnis;
}

unsigned int BASR::branch_if() { return Aufnehmen([this] { return BAS::branch_if(); }, ITEM_IF, EBENE); }
unsigned int BASR::branch_elseif() { return Aufnehmen([this] { return BAS::branch_elseif(); }, ITEM_ELSEIF, EBENE); }
unsigned int BASR::branch_else() { return Aufnehmen([this] { return BAS::branch_else(); }, ITEM_ELSE, EBENE); }
unsigned int BASR::branch_endif() { return Aufnehmen([this] { return BAS::branch_endif(); }, ITEM_ENDIF, EBENE); }

unsigned int BASR::rules_nop() { return Aufnehmen([this] { return BAS::rules_nop(); }, ITEM_RULE_NOP, EBENE); }
unsigned int BASR::rules_end() { return Aufnehmen([this] { return BAS::rules_end(); }, ITEM_RULE_END, EBENE); }
unsigned int BASR::rules_beg() { return Aufnehmen([this] { return BAS::rules_beg(); }, ITEM_RULE_BEG, EBENE); }
unsigned int BASR::rules_err() { return Aufnehmen([this] { return BAS::rules_err(); }, ITEM_RULE_ERR, EBENE); }
unsigned int BASR::rules_dat() { return Aufnehmen([this] { return BAS::rules_dat(); }, ITEM_RULE_DAT, EBENE); }

// ---------------------------------------------------------------- conditions

unsigned int BASR::condition_end() { return Aufnehmen([this] { return BAS::condition_end(); }, ITEM_COND_END, EBENE); }
unsigned int BASR::condition_beg() { return Aufnehmen([this] { return BAS::condition_beg(); }, ITEM_COND_BEG, EBENE); }
unsigned int BASR::condition_implied() {
    return Aufnehmen([this] { return BAS::condition_implied(); }, ITEM_COND_IMPLIED, EBENE);
}
unsigned int BASR::condition_value() {
    return Aufnehmen([this] { return BAS::condition_value(); }, ITEM_COND_VALUE, EBENE);
}
unsigned int BASR::condition_after() { return Aufnehmen([this] { return BAS::condition_after(); }, ITEM_AFTER, EBENE); }
unsigned int BASR::condition_notafter() {
    return Aufnehmen([this] { return BAS::condition_notafter(); }, ITEM_NOTAFTER, EBENE);
}
unsigned int BASR::condition_before() {
    return Aufnehmen([this] { return BAS::condition_before(); }, ITEM_BEFORE, EBENE);
}
unsigned int BASR::condition_notbefore() {
    return Aufnehmen([this] { return BAS::condition_notbefore(); }, ITEM_NOTBEFORE, EBENE);
}
unsigned int BASR::condition_afterx() {
    return Aufnehmen([this] { return BAS::condition_afterx(); }, ITEM_AFTERX, EBENE);
}
unsigned int BASR::condition_notafterx() {
    return Aufnehmen([this] { return BAS::condition_notafterx(); }, ITEM_NOTAFTERX, EBENE);
}
unsigned int BASR::condition_beforex() {
    return Aufnehmen([this] { return BAS::condition_beforex(); }, ITEM_BEFOREX, EBENE);
}
unsigned int BASR::condition_notbeforex() {
    return Aufnehmen([this] { return BAS::condition_notbeforex(); }, ITEM_NOTBEFOREX, EBENE);
}
unsigned int BASR::condition_first() { return Aufnehmen([this] { return BAS::condition_first(); }, ITEM_FIRST, EBENE); }
unsigned int BASR::condition_notfirst() {
    return Aufnehmen([this] { return BAS::condition_notfirst(); }, ITEM_NOTFIRST, EBENE);
}
unsigned int BASR::condition_last() { return Aufnehmen([this] { return BAS::condition_last(); }, ITEM_LAST, EBENE); }
unsigned int BASR::condition_notlast() {
    return Aufnehmen([this] { return BAS::condition_notlast(); }, ITEM_NOTLAST, EBENE);
}
unsigned int BASR::condition_in() { return Aufnehmen([this] { return BAS::condition_in(); }, ITEM_IN, EBENE); }
unsigned int BASR::condition_notin() { return Aufnehmen([this] { return BAS::condition_notin(); }, ITEM_NOTIN, EBENE); }
unsigned int BASR::condition_inx() { return Aufnehmen([this] { return BAS::condition_inx(); }, ITEM_INX, EBENE); }
unsigned int BASR::condition_notinx() {
    return Aufnehmen([this] { return BAS::condition_notinx(); }, ITEM_NOTINX, EBENE);
}
unsigned int BASR::condition_toplevel() {
    return Aufnehmen([this] { return BAS::condition_toplevel(); }, ITEM_TOPLEVEL, EBENE);
}
unsigned int BASR::condition_nottoplevel() {
    return Aufnehmen([this] { return BAS::condition_nottoplevel(); }, ITEM_NOTTOPLEVEL, EBENE);
}
unsigned int BASR::condition_parao() { return Aufnehmen([this] { return BAS::condition_parao(); }, ITEM_PAREN, EBENE); }

unsigned int BASR::makro_find() { return Aufnehmen([this] { return BAS::makro_find(); }, ITEM_FIND, 0); }
unsigned int BASR::makro_notfind() { return Aufnehmen([this] { return BAS::makro_notfind(); }, ITEM_NOTFIND, 0); }
unsigned int BASR::makro_sub() { return Aufnehmen([this] { return BAS::makro_sub(); }, ITEM_SUB, EBENE); }
unsigned int BASR::makro_notsub() { return Aufnehmen([this] { return BAS::makro_notsub(); }, ITEM_NOTSUB, EBENE); }
unsigned int BASR::makro_empty() { return Aufnehmen([this] { return BAS::makro_empty(); }, ITEM_COND_EMPTY, EBENE); }
unsigned int BASR::makro_notempty() {
    return Aufnehmen([this] { return BAS::makro_notempty(); }, ITEM_COND_NOTEMPTY, EBENE);
}

// Written out, so the value 1 tells them from the implicit comparison (0).
unsigned int BASR::v_content_dat() {
    return Aufnehmen([this] { return BAS::v_content_dat(); }, ITEM_CONTENT_DAT, EBENE | SPANNE, 1);
}
unsigned int BASR::v_content_pcdata() {
    return Aufnehmen([this] { return BAS::v_content_pcdata(); }, ITEM_CONTENT_PCDATA, EBENE | SPANNE, 1);
}

unsigned int BASR::v_operator() { return Aufnehmen([this] { return BAS::v_operator(); }, ITEM_OPERATOR, EBENE | WERT); }
unsigned int BASR::v_string_operator() {
    return Aufnehmen([this] { return BAS::v_string_operator(); }, ITEM_OPERATOR, EBENE | WERT);
}

// Implicit tests stand in no text: an attribute that must not be empty
// (operator 2 against an empty value), the content compared for equality
// (operator 1) with the literal that follows.
unsigned int BASR::v_dummy_notempty() {
    const unsigned int ergebnis = BAS::v_dummy_notempty();
    if (ergebnis == 0) return 0;
    Eintragen(ITEM_OPERATOR, nullptr, nullptr, EBENE, ergebnis);
    Eintragen(ITEM_ATTVALUE, nullptr, nullptr, EBENE, 0);
    return ergebnis;
}

unsigned int BASR::v_dummy_content_data() {
    const unsigned int ergebnis = BAS::v_dummy_content_data();
    if (ergebnis == 0) return 0;
    Eintragen(ITEM_CONTENT_DAT, nullptr, nullptr, EBENE, 0);
    Eintragen(ITEM_OPERATOR, nullptr, nullptr, EBENE, 1);
    return ergebnis;
}

// ---------------------------------------------------------------- macros

unsigned int BASR::makro_plus() { return Aufnehmen([this] { return BAS::makro_plus(); }, ITEM_PLUS, SPANNE); }
unsigned int BASR::makro_literal() { return Aufnehmen([this] { return BAS::makro_literal(); }, ITEM_LITERAL, TEXT); }
unsigned int BASR::makro_chr() { return Aufnehmen([this] { return BAS::makro_chr(); }, ITEM_CHR, 0); }
unsigned int BASR::makro_count() { return Aufnehmen([this] { return BAS::makro_count(); }, ITEM_COUNT, 0); }
unsigned int BASR::makro_count_type() {
    return Aufnehmen([this] { return BAS::makro_count_type(); }, ITEM_RANGE, TEXT | WERT);
}
unsigned int BASR::makro_count_format() {
    return Aufnehmen([this] { return BAS::makro_count_format(); }, ITEM_COUNT_FORMAT, TEXT | WERT);
}
unsigned int BASR::makro_find_range() {
    return Aufnehmen([this] { return BAS::makro_find_range(); }, ITEM_RANGE, TEXT | WERT);
}
unsigned int BASR::makro_find_range_del() {
    return Aufnehmen([this] { return BAS::makro_find_range_del(); }, ITEM_RANGE, TEXT | WERT);
}
unsigned int BASR::makro_find_number() {
    return Aufnehmen([this] { return BAS::makro_find_number(); }, ITEM_FIND_NUMBER, TEXT | WERT);
}
unsigned int BASR::makro_token() { return Aufnehmen([this] { return BAS::makro_token(); }, ITEM_TOKEN, 0); }
unsigned int BASR::makro_implied() { return Aufnehmen([this] { return BAS::makro_implied(); }, ITEM_IMPLIED, 0); }
unsigned int BASR::makro_value() { return Aufnehmen([this] { return BAS::makro_value(); }, ITEM_VALUE, 0); }
unsigned int BASR::makro_copy() { return Aufnehmen([this] { return BAS::makro_copy(); }, ITEM_COPY, 0); }
unsigned int BASR::makro_cut() { return Aufnehmen([this] { return BAS::makro_cut(); }, ITEM_CUT, 0); }
unsigned int BASR::makro_del() { return Aufnehmen([this] { return BAS::makro_del(); }, ITEM_DEL, 0); }
unsigned int BASR::makro_file() { return Aufnehmen([this] { return BAS::makro_file(); }, ITEM_FILE, 0); }
unsigned int BASR::makro_data_type() {
    return Aufnehmen([this] { return BAS::makro_data_type(); }, ITEM_DATA_TYPE, TEXT | WERT);
}
unsigned int BASR::makro_replace_type(bool full_list) {
    return Aufnehmen([&] { return BAS::makro_replace_type(full_list); }, ITEM_DATA_TYPE, TEXT | WERT);
}
unsigned int BASR::makro_delete_type() {
    return Aufnehmen([this] { return BAS::makro_delete_type(); }, ITEM_DATA_TYPE, TEXT | WERT);
}

// ---------------------------------------------------------------- settings

unsigned int BASR::file_base_name() { return Aufnehmen([this] { return BAS::file_base_name(); }, ITEM_BASE, TEXT); }
unsigned int BASR::file_system_name() {
    return Aufnehmen([this] { return BAS::file_system_name(); }, ITEM_SYSTEM, TEXT);
}
unsigned int BASR::file_public_id() { return Aufnehmen([this] { return BAS::file_public_id(); }, ITEM_PUBLIC, TEXT); }
unsigned int BASR::file_syntax_type() {
    return Aufnehmen([this] { return BAS::file_syntax_type(); }, ITEM_SYNTAX, TEXT | WERT);
}
unsigned int BASR::file_reader_namecase_type() {
    return Aufnehmen([this] { return BAS::file_reader_namecase_type(); }, ITEM_NAMECASE, TEXT | WERT);
}
unsigned int BASR::file_elements_type() {
    return Aufnehmen([this] { return BAS::file_elements_type(); }, ITEM_CONVERTELEMENTS, TEXT | WERT);
}
unsigned int BASR::file_entities_type() {
    return Aufnehmen([this] { return BAS::file_entities_type(); }, ITEM_CONVERTENTITIES, TEXT | WERT);
}
unsigned int BASR::file_pcdata_type() {
    return Aufnehmen([this] { return BAS::file_pcdata_type(); }, ITEM_CONVERTDATA, TEXT | WERT);
}
unsigned int BASR::file_reader_encoding_type() {
    return Aufnehmen([this] { return BAS::file_reader_encoding_type(); }, ITEM_READERENCODING, TEXT | WERT);
}
unsigned int BASR::file_writer_encoding_type() {
    return Aufnehmen([this] { return BAS::file_writer_encoding_type(); }, ITEM_WRITERENCODING, TEXT | WERT);
}
unsigned int BASR::file_warnings_type() {
    return Aufnehmen([this] { return BAS::file_warnings_type(); }, ITEM_WARNINGS, TEXT | WERT);
}
unsigned int BASR::file_readerdtd_type() {
    return Aufnehmen([this] { return BAS::file_readerdtd_type(); }, ITEM_READERDTD, TEXT | WERT);
}
unsigned int BASR::file_parse_errors_type() {
    return Aufnehmen([this] { return BAS::file_parse_errors_type(); }, ITEM_PARSEERRORS, TEXT | WERT);
}
unsigned int BASR::file_writer_escape_type() {
    return Aufnehmen([this] { return BAS::file_writer_escape_type(); }, ITEM_WRITERESCAPE, TEXT | WERT);
}
unsigned int BASR::file_writer_bom_type() {
    return Aufnehmen([this] { return BAS::file_writer_bom_type(); }, ITEM_WRITERBOM, TEXT | WERT);
}
