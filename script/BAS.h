#pragma once
// The script parser: reads a rule file (settings, element definitions with
// their rules and IF blocks, entity definitions) with the machinery of the
// markup recogniser. Every keyword recogniser is a virtual operation that
// only recognises, consumes and reports; a recording subclass overrides them
// to call the base version and, on success, store an item.
//
// Recognisers return 0 when their construct is absent, otherwise 1 or the
// value of the recognised word. Keyword recognisers consume the keyword only
// (plus a required separator where noted), so that an item recorded for the
// keyword comes before the items of its operands.
#include "markup/DCL.h"
#include "markup/SGML.h"

class BUF;

class BAS : public SGML {
public:
    explicit BAS(BUF* buffer);
    ~BAS() override;

    // Parses the whole script once; 1 when it is correct and no error was
    // reported, else 0.
    unsigned int document();

    // The separator: white space, "//" line comments and "/*" block comments.
    int s() override;

    // ---- Recognisers, in slot order ----------------------------------------

    // An element name (read with the script's name rules).
    virtual unsigned int element_name();
    // EMPTY 2, DATA 4, GROUP 1, MIXED 3; MIXED (3) without consuming when
    // none of the four follows.
    virtual unsigned int model_type();
    // The name of an element definition (calls element_name).
    virtual unsigned int element_definition_name();
    // "ENDE".
    virtual unsigned int element_definition_ende();
    // A whole IF block up to its ENDIF; 1 when it was read without fault.
    virtual unsigned int branch_definition_set();
    // "IF" / "ELSEIF" followed by a required separator (reported when
    // missing; the clause then counts as absent).
    virtual unsigned int branch_if();
    virtual unsigned int branch_elseif();
    // "ELSE"; a missing separator after it is reported, the clause stands.
    virtual unsigned int branch_else();
    // "ENDIF".
    virtual unsigned int branch_endif();
    // "END" / "BEG" at the head of a condition list, each with its required
    // separator (reported when missing; the keyword then does not count).
    virtual unsigned int condition_end();
    virtual unsigned int condition_beg();
    // The IMPLIED and VALUE keywords of conditions.
    virtual unsigned int condition_implied();
    virtual unsigned int condition_value();
    // Context keywords (keyword only; the operand is read by the caller).
    virtual unsigned int condition_after();
    virtual unsigned int condition_notafter();
    virtual unsigned int condition_before();
    virtual unsigned int condition_notbefore();
    virtual unsigned int condition_afterx();
    virtual unsigned int condition_notafterx();
    virtual unsigned int condition_beforex();
    virtual unsigned int condition_notbeforex();
    virtual unsigned int condition_first();
    virtual unsigned int condition_notfirst();
    virtual unsigned int condition_last();
    virtual unsigned int condition_notlast();
    virtual unsigned int condition_in();
    virtual unsigned int condition_notin();
    virtual unsigned int condition_inx();
    virtual unsigned int condition_notinx();
    virtual unsigned int condition_toplevel();
    virtual unsigned int condition_nottoplevel();
    // Empty-branch marker: consumes nothing, returns 1.
    virtual unsigned int rules_nop();
    // Rule keywords "END", "BEG", "ERR", "DAT".
    virtual unsigned int rules_end();
    virtual unsigned int rules_beg();
    virtual unsigned int rules_err();
    virtual unsigned int rules_dat();
    // "#DAT" and "#PCDATA" in attribute conditions.
    virtual unsigned int v_content_dat();
    virtual unsigned int v_content_pcdata();
    // Implicit tests, consuming nothing: "not empty" returns 2 (its operator
    // value), the content comparison returns 1.
    virtual unsigned int v_dummy_notempty();
    virtual unsigned int v_dummy_content_data();
    // Comparison operators; the value is the operator code (0: none).
    virtual unsigned int v_operator();
    virtual unsigned int v_string_operator();
    // "(" and ")" around the operand of a context keyword.
    virtual unsigned int condition_parao();
    virtual unsigned int condition_parac();
    // The name of an entity definition: a name, "#x" hex digits, "#" digits
    // or "#" and a function name. *code receives the character code (0 for a
    // named entity).
    virtual unsigned int entity_name_definition(unsigned int* code);
    // An entity replacement text (terms joined by "+"); messages carry the
    // given subject.
    virtual unsigned int entity_rules_set(const wchar_t* subject);
    // "ALTERNATE" and "ASCII".
    virtual unsigned int entity_alternate();
    virtual unsigned int entity_ascii();
    // "+" between terms, with the separators around it.
    virtual unsigned int makro_plus();
    // A literal rule term, error text or macro parameter.
    virtual unsigned int makro_literal();
    // Macro keywords (keyword only; the parameters are read by the caller).
    virtual unsigned int makro_chr();
    virtual unsigned int makro_count();
    // LEVEL 3, DOC 2, PATH 5.
    virtual unsigned int makro_count_type();
    // NUM 1, ALPHA 2, UPALPHA 3, ROM 4, UPROM 5.
    virtual unsigned int makro_count_format();
    // "," and DOC 2, CONTENT 8, CHILD 6, PARENT 4; CONTENT (8) without
    // consuming when none follows.
    virtual unsigned int makro_find_range();
    // The same without PARENT (for CUT and DEL).
    virtual unsigned int makro_find_range_del();
    // "," and ONE 1, ALL 2; ALL (2) without consuming when none follows.
    virtual unsigned int makro_find_number();
    virtual unsigned int makro_token();
    virtual unsigned int makro_implied();
    virtual unsigned int makro_value();
    // Condition keywords FIND, NOTFIND, SUB, NOTSUB, EMPTY, NOTEMPTY.
    virtual unsigned int makro_find();
    virtual unsigned int makro_notfind();
    virtual unsigned int makro_sub();
    virtual unsigned int makro_notsub();
    virtual unsigned int makro_empty();
    virtual unsigned int makro_notempty();
    virtual unsigned int makro_copy();
    virtual unsigned int makro_cut();
    virtual unsigned int makro_del();
    // Content conversion type of a DAT rule: FULL 1, ALTFULL 4, ALT 3,
    // DATA 2, ASCFULL 6, ASC 5, DROP 7.
    virtual unsigned int makro_data_type();
    // Replacement type: the full list (COPY, CUT) or the short one
    // DATA, ALT, ASC (IMPLIED, VALUE).
    virtual unsigned int makro_replace_type(bool full_list);
    // Delete type of DEL: FULL 1, DATA 2.
    virtual unsigned int makro_delete_type();
    virtual unsigned int makro_file();
    // Setting values (the keyword and "=" are read by the caller).
    // BASE as an element name (calls element_name) or as a literal.
    virtual unsigned int file_base_element();
    virtual unsigned int file_base_name();
    virtual unsigned int file_system_name();
    virtual unsigned int file_public_id();
    // SGML 1, XML 2, HTML 3.
    virtual unsigned int file_syntax_type();
    // YES 2, NO 1.
    virtual unsigned int file_reader_namecase_type();
    // ALL 1, ONLYDEFINED 2, DROPUNDEFINED 3; default 2.
    virtual unsigned int file_elements_type();
    // ALL 1, ONLYDEFINED 2; default 2.
    virtual unsigned int file_entities_type();
    // ALL 1, ONLYDEFINED 2; default 1.
    virtual unsigned int file_pcdata_type();
    // An encoding name: its ENCODINGtypeItems value.
    virtual unsigned int file_reader_encoding_type();
    virtual unsigned int file_writer_encoding_type();
    // A literal DECIMAL 1, HEX 2 or ENTITY 3 (any case).
    virtual unsigned int file_readerdtd_type();
    virtual unsigned int file_parse_errors_type();
    virtual unsigned int file_writer_characters_type();
    // ALL 2, SMART 1; default 2.
    virtual unsigned int file_warnings_type();
    // NONE 1, MARKUP 2.
    virtual unsigned int file_writer_escape_type();
    // YES 2, NO 1.
    virtual unsigned int file_writer_bom_type();

protected:
    // The script's own declaration record: SGML names until a prolog
    // switches it to XML names.
    DCL skript_dcl;

    // The text a recording subclass stores for the last word, name or
    // literal recognised: the word itself, the name, or a literal without
    // its quotes; for a range or count word without the leading ",". Empty
    // (both at the cursor) when a default was taken without consuming.
    wchar_t* text_begin = nullptr;
    wchar_t* text_end = nullptr;

    // Lexical helpers.
    bool keyword(const wchar_t* word);   // with the keyword boundary rule
    bool punct(const wchar_t* chars);    // exact, no boundary rule
    bool literal();                      // a quoted literal, no copy
    void error(const wchar_t* subject, const wchar_t* text, const wchar_t* argument = nullptr);
    void parser_error(const wchar_t* subject, const wchar_t* text,
                      const wchar_t* argument = nullptr);

private:
    struct Word {
        const wchar_t* word;
        unsigned int value;
    };
    unsigned int word_of(const Word* table, unsigned int count);
    unsigned int punct_of(const Word* table, unsigned int count);
    unsigned int word_or_default(const Word* table, unsigned int count, unsigned int fallback);
    unsigned int comma_word(const Word* table, unsigned int count, unsigned int fallback);

    // File structure and definitions (BAS.cpp).
    bool prolog_and_base_tag(bool* tag_read, wchar_t* tag_name);
    int element_definition();
    void model_clause();
    void attlist_clauses();
    int attribute_definition();
    int entity_definition();
    bool entity_clause(unsigned int (BAS::*word)(), const wchar_t* subject);
    bool entity_term();

    // Settings (BAS_settings.cpp).
    unsigned int settings();
    bool setting(const wchar_t* word, unsigned int (BAS::*value)(), const wchar_t* missing);
    unsigned int base_value();
    unsigned int encoding_name(const wchar_t* subject);

    // Rules, branches and conditions (BAS_rules.cpp).
    bool rules_part();
    int text_rule(unsigned int (BAS::*word)(), const wchar_t* subject);
    int err_rule();
    int dat_rule();
    int rule_text();
    bool rule_term();
    unsigned int branch_block();
    void branch_rules();
    bool condition_list();
    bool other_condition();
    bool find_condition(unsigned int (BAS::*word)(), const wchar_t* subject);
    bool sub_condition(unsigned int (BAS::*word)(), const wchar_t* subject);
    bool attribute_query(unsigned int (BAS::*word)(), const wchar_t* subject);
    bool close_paren(const wchar_t* subject, const wchar_t* text);
    bool context_condition();
    bool context_operand(const wchar_t* subject, const wchar_t* missing_separator);
    int attribute_condition();

    // Macros (BAS_macros.cpp).
    bool macro_term();
    bool chr_macro();
    bool bracketed_attribute(const wchar_t* subject, const wchar_t* summary);
    bool attribute_path();
    bool value_macro(unsigned int (BAS::*word)(), const wchar_t* subject);
    bool count_macro();
    bool count_path_parameters();
    bool copy_macro(unsigned int (BAS::*word)(), const wchar_t* subject, bool context_required,
                    unsigned int (BAS::*range)());
    bool del_macro();
    bool token_macro();
    bool file_macro();
    bool search_context();
    bool optional_comma_name();
    bool optional_comma_literal();

    bool open_comment_reported = false;     // an unclosed "/*" is reported once
    unsigned int if_depth = 0;              // guards the recursion of nested IF blocks
};
