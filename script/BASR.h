#pragma once
// The recording script parser: every recogniser of BAS is overridden to call
// the base version and, when it found its construct, append one item to the
// compiled script (kind, place in the script text, branch depth, value).
// The texts are not copied; the end of every recorded text is collected in
// a string index, and Texte_abschliessen writes a terminator there once the
// parse is over, so that each item's text reads as a string of its own.
#include <cstdint>

#include "base/LISTEPTR.h"
#include "script/BAS.h"
#include "script/BASIC.h"

class BUF;

class BASR : public BAS {
public:
    BASR(BUF* buffer, BASIC* script, bool debug_flag);
    ~BASR() override;

    // Writes the terminators; only after the parse, which still reads the
    // characters that become terminators.
    int Texte_abschliessen();

    int Anzahl() const { return recorded; }
    std::uint32_t Groesste_Tiefe() const { return max_depth; }

    // ---- markup productions that the script reads through ----
    int attribute_name() override;
    int attribute_value_literal() override;
    int character_number() override;
    int prolog() override;
    int document_type_declaration() override;
    int start_tag(wchar_t* name, bool* empty, bool base) override;

    // ---- script recognisers ----
    unsigned int element_name() override;
    unsigned int model_type() override;
    unsigned int element_definition_name() override;
    unsigned int element_definition_ende() override;
    unsigned int branch_definition_set() override;
    unsigned int branch_if() override;
    unsigned int branch_elseif() override;
    unsigned int branch_else() override;
    unsigned int branch_endif() override;
    unsigned int condition_end() override;
    unsigned int condition_beg() override;
    unsigned int condition_implied() override;
    unsigned int condition_value() override;
    unsigned int condition_after() override;
    unsigned int condition_notafter() override;
    unsigned int condition_before() override;
    unsigned int condition_notbefore() override;
    unsigned int condition_afterx() override;
    unsigned int condition_notafterx() override;
    unsigned int condition_beforex() override;
    unsigned int condition_notbeforex() override;
    unsigned int condition_first() override;
    unsigned int condition_notfirst() override;
    unsigned int condition_last() override;
    unsigned int condition_notlast() override;
    unsigned int condition_in() override;
    unsigned int condition_notin() override;
    unsigned int condition_inx() override;
    unsigned int condition_notinx() override;
    unsigned int condition_toplevel() override;
    unsigned int condition_nottoplevel() override;
    unsigned int rules_nop() override;
    unsigned int rules_end() override;
    unsigned int rules_beg() override;
    unsigned int rules_err() override;
    unsigned int rules_dat() override;
    unsigned int v_content_dat() override;
    unsigned int v_content_pcdata() override;
    unsigned int v_dummy_notempty() override;
    unsigned int v_dummy_content_data() override;
    unsigned int v_operator() override;
    unsigned int v_string_operator() override;
    unsigned int condition_parao() override;
    unsigned int entity_name_definition(unsigned int* code) override;
    unsigned int entity_alternate() override;
    unsigned int entity_ascii() override;
    unsigned int makro_plus() override;
    unsigned int makro_literal() override;
    unsigned int makro_chr() override;
    unsigned int makro_count() override;
    unsigned int makro_count_type() override;
    unsigned int makro_count_format() override;
    unsigned int makro_find_range() override;
    unsigned int makro_find_range_del() override;
    unsigned int makro_find_number() override;
    unsigned int makro_token() override;
    unsigned int makro_implied() override;
    unsigned int makro_value() override;
    unsigned int makro_find() override;
    unsigned int makro_notfind() override;
    unsigned int makro_sub() override;
    unsigned int makro_notsub() override;
    unsigned int makro_empty() override;
    unsigned int makro_notempty() override;
    unsigned int makro_copy() override;
    unsigned int makro_cut() override;
    unsigned int makro_del() override;
    unsigned int makro_data_type() override;
    unsigned int makro_replace_type(bool full_list) override;
    unsigned int makro_delete_type() override;
    unsigned int makro_file() override;
    unsigned int file_base_element() override;
    unsigned int file_base_name() override;
    unsigned int file_system_name() override;
    unsigned int file_public_id() override;
    unsigned int file_syntax_type() override;
    unsigned int file_reader_namecase_type() override;
    unsigned int file_elements_type() override;
    unsigned int file_entities_type() override;
    unsigned int file_pcdata_type() override;
    unsigned int file_reader_encoding_type() override;
    unsigned int file_writer_encoding_type() override;
    unsigned int file_warnings_type() override;
    unsigned int file_readerdtd_type() override;
    unsigned int file_parse_errors_type() override;
    unsigned int file_writer_escape_type() override;
    unsigned int file_writer_bom_type() override;

private:
    // What an item takes from its recogniser.
    enum Merkmal : unsigned {
        EBENE = 1,  // carries the branch depth
        TEXT = 2,   // its text is terminated after the parse
        WERT = 4,   // its value is the recogniser's result
        SPANNE = 8, // spans everything consumed, not just the word
    };
    template <class Erkenner>
    unsigned int Aufnehmen(Erkenner erkenner, BASICtypeItems kind, unsigned merkmale, std::uint32_t wert = 0);
    void Eintragen(BASICtypeItems kind, wchar_t* begin, wchar_t* end, unsigned merkmale, std::uint32_t value);
    template <class Erkenner>
    int Stumm(Erkenner erkenner);

    BASIC* basic;
    LISTEPTR strings;        // ends of the recorded texts
    int name_mode = 0;       // 0 in rules, 1 while reading BASE, 2 an element definition name
    std::uint32_t depth = 0; // branch depth of the IF block being read
    std::uint32_t max_depth = 0;
    int recorded = 0;
    bool debug;
    // Raised while markup that belongs to no script construct is read (the
    // prolog, the base tag, the inside of attribute values and entity
    // names): the names and numbers read there are not items.
    int stumm = 0;
};
