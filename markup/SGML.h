#pragma once
// SGML: the recursive-descent recogniser for SGML, XML and HTML text held in
// a BUF. Every production looks at the text at the cursor, consumes what it
// recognises and returns 1, or returns 0 (leaving the cursor as its comment
// says, or after reporting an error). It builds nothing: derived classes
// override the virtual productions, call the base version and record what was
// recognised (the document reader SGMLR, the script parser BAS).
//
// Calls between productions always go through the virtual operation, so an
// override sees every construct of its kind. The order of the virtual
// operations below is part of the interface and must not change.
#include <cstddef>
#include <cstdint>

#include "markup/DCL.h"

class BUF;

// "<", "&", ">" and the 0 character end a run of data.
inline bool SGML_datenende(wchar_t c) {
    constexpr std::uint64_t stopp = (1ull << '<') | (1ull << '&') | (1ull << '>') | 1ull;
    return static_cast<std::uint32_t>(c) < 64 && ((stopp >> c) & 1) != 0;
}

// Capacity of every name buffer: 255 characters and the terminator.
constexpr int SGML_NAMENSLAENGE = 256;
// Longest attribute value literal, in characters.
constexpr std::ptrdiff_t SGML_MAX_ATTRIBUTWERT = 8388608;
// Longest declaration literal and processing instruction, in characters.
constexpr std::ptrdiff_t SGML_MAX_LITERAL = 2097152;
// Deepest element nesting the parser accepts; deeper start tags are reported.
// Each level costs the parser about 1.5 KB of stack (less without
// sanitizers); the limit leaves most of the run's stack to later stages.
constexpr int SGML_MAX_TIEFE = 20000;

// The lowest stack address that recursion may reach on the calling thread,
// leaving `reserve` bytes below it for reporting and unwinding; 0 when the
// stack cannot be measured.
std::uintptr_t SGML_Stapelgrenze(std::uintptr_t reserve);

// Kinds of marked sections, as marked_section_start() returns them.
enum SGMLmarkedItems : int {
    MS_KEINE = 0,
    MS_CDATA = 1,
    MS_RCDATA = 2,
    MS_IGNORE = 3,
    MS_INCLUDE = 4,
    MS_TEMP = 5,
    MS_ANDERE = 6,  // "<![" followed by something that is no keyword
};

class SGML {
public:
    // Character classes: bit flags of the lookup tables.
    enum : unsigned char {
        K_NAMENSANFANG = 1,
        K_NAMENSZEICHEN = 2,
        K_LEERRAUM = 4,
        K_ZIFFER = 8,
        K_HEXZIFFER = 16,
    };

    SGML(BUF* buffer, DCL* declarations);

    // ---- virtual productions, in their fixed order ----
    virtual int document_type_name();
    virtual ~SGML();
    virtual int attribute_name();
    virtual int attribute_specification();
    virtual int attribute_value();
    virtual int attribute_value_literal();
    virtual int attribute_value_specification();
    virtual int base_document_element();
    virtual int character_data(const wchar_t* terminator);
    virtual int character_cdata(const wchar_t* terminator);
    virtual int character_rcdata(const wchar_t* terminator);
    virtual int function_name(int* value);
    virtual int named_character_reference(int* value);
    virtual int numeric_character_reference(int* value);
    virtual int hex_character_reference(int* value);
    virtual int character_number();
    virtual int hex_character_number();
    virtual int comment();
    virtual int xml_comment();
    virtual int comment_declaration();
    virtual int content();
    virtual int document_type_declaration();
    virtual int document_type_declaration_subset();
    virtual int document_type_external_identifier();
    virtual int element(const wchar_t* expected, bool base);
    virtual int element_data();
    virtual int empty_element(wchar_t* name);
    virtual int end_tag(wchar_t* name);
    virtual int end_tag_name(wchar_t* name);
    virtual int entity_declaration();
    virtual int entity_name();
    virtual int etagc();
    virtual int general_entity_reference();
    virtual int notation_name();
    virtual int other_content();
    virtual int processing_instruction();
    virtual int prolog();
    virtual int public_identifier(wchar_t* out);
    virtual int s();
    virtual int start_tag(wchar_t* name, bool* empty, bool base);
    virtual int start_tag_name(wchar_t* name);
    virtual int system_identifier(wchar_t* out);

    SGML(const SGML&) = delete;
    SGML& operator=(const SGML&) = delete;

    // True when the buffer had a text to parse.
    bool ok() const { return cursor != nullptr; }

    // ---- document frame, prolog and declarations ----
    int document();
    int other_prolog();
    int ds();
    int ps();
    int external_identifier(wchar_t* public_id, wchar_t* system_id);
    // A quoted literal without references. When `out` is given, up to
    // capacity - 1 characters of it are copied there; the whole literal is
    // always available as literal_start .. literal_end afterwards.
    int sgml_literal(wchar_t* out, std::size_t capacity = SGML_NAMENSLAENGE);
    int entity_set();
    int data_text();
    int entity_type();
    int external_entity_specification();
    int element_set();
    int parameter_entity_reference();
    int marked_section_declaration();
    int marked_section_start();
    int marked_section_end();
    int marked_section_include();
    int marked_section_ignore();
    int marked_section_temp();
    int replaceable_character_rcdata(const wchar_t* terminator);
    // The XML declaration; only the script file is read with these.
    int xml_bom();
    int xml_prolog();
    int xml_declaration();
    int xml_versionsinfo();
    int xml_encoding_declaration();
    int xml_standalone_declaration();

    // ---- element content ----
    int replaceable_character_data(const wchar_t* terminator);
    // A name; copied into `out` (256 characters) when given.
    int name(wchar_t* out);

    // ---- delimiters: each consumes its text and returns 1 when it stands at the cursor ----
    int pio() { return Token(L"<?"); }
    int mdo() { return Token(L"<!"); }
    int ero() { return Token(L"&"); }
    int cro() { return Token(L"&#"); }
    int hcro() { return Token(L"&#x"); }
    int etago() { return Token(L"</"); }
    int stago() { return Token(L"<"); }
    int tagc() { return Token(L">"); }
    int vi() { return Token(L"="); }
    int refc() { return Token(L";"); }
    int lit() { return Token(L"\""); }
    int lita() { return Token(L"'"); }
    int mdc() { return Token(L">"); }
    int dso() { return Token(L"["); }
    int dsc() { return Token(L"]"); }
    int msc() { return Token(L"]]"); }
    int pic() { return Token(L">"); }
    int xml_pic() { return Token(L"?>"); }

    // ---- cursor and keyword helpers ----
    int NextInstanz();
    int AddInstanz(std::ptrdiff_t n);
    // Consumes t when it stands exactly at the cursor.
    int Token(const wchar_t* t) {
        const wchar_t* e = passt(t);
        if (e == nullptr) return 0;
        cursor = const_cast<wchar_t*>(e);
        return 1;
    }
    // Tests for t at the cursor without consuming it.
    int IstToken(const wchar_t* t) const { return passt(t) != nullptr; }
    // Consumes a directly followed by b, or nothing.
    int TokenSeq(const wchar_t* a, const wchar_t* b);
    // Overwrites t at the cursor with 0 characters and moves past it.
    int DeleteToken(const wchar_t* t);

    // ---- messages ----
    // Counts the error or warning and reports it through the buffer;
    // `script` true marks the message as one about the script.
    int Fehlermeldung(bool script, bool warning, const wchar_t* label, const wchar_t* vorlage,
                      const wchar_t* argument, const wchar_t* position);
    // The same for messages about the parsed text.
    int Fehlermeldung(bool warning, const wchar_t* label, const wchar_t* vorlage,
                      const wchar_t* argument, const wchar_t* position);

    // ---- state for callers and tests ----
    std::int32_t Fehler() const { return errors; }
    std::int32_t Warnungen() const { return warnings; }
    const wchar_t* Cursor() const { return cursor; }
    const wchar_t* Ende() const { return end; }
    const wchar_t* Dokumenttypname() const { return doctype_name; }
    void SetStrict(bool wert) { strict = wert; }

protected:
    // Where t ends when it stands at the cursor, else null. The 0 at the
    // end of the text never matches, so this never reads past it.
    const wchar_t* passt(const wchar_t* t) const {
        if (t == nullptr || cursor == nullptr) return nullptr;
        const wchar_t* p = cursor;
        for (; *t != 0; ++t, ++p)
            if (p >= end || *p != *t) return nullptr;
        return p;
    }
    // The class table of the syntax in force (XML or SGML/HTML); the script
    // parser may switch its declarations while it reads.
    const unsigned char* klassen() const;
    static unsigned char klasse(const unsigned char* tabelle, wchar_t c) {
        return static_cast<std::uint32_t>(c) < 256 ? tabelle[static_cast<std::uint32_t>(c)] : 0;
    }
    bool ist(unsigned char flags) const { return (klasse(klassen(), *cursor) & flags) != 0; }
    // The ">" at p ends a "]]>" (within the run from `anfang`), which XML
    // content must not hold.
    static bool schliesst_cdata_ende(const wchar_t* p, const wchar_t* anfang) {
        return p - 2 >= anfang && p[-1] == L']' && p[-2] == L']';
    }
    // An "&" at p that begins no reference: neither "#" nor a name follows.
    bool einzelnes_amp(const wchar_t* p) const {
        return p[1] != L'#' && !(klasse(klassen(), p[1]) & K_NAMENSANFANG);
    }
    // Short forms for the reports of the document parser.
    void fehler(const wchar_t* label, const wchar_t* vorlage, const wchar_t* position,
                const wchar_t* argument = nullptr) {
        Fehlermeldung(false, false, label, vorlage, argument, position);
    }
    void warnung(const wchar_t* label, const wchar_t* vorlage, const wchar_t* position,
                 const wchar_t* argument = nullptr) {
        Fehlermeldung(false, true, label, vorlage, argument, position);
    }
    // First occurrence of t at or after p (before the end), or null.
    const wchar_t* suche(const wchar_t* p, const wchar_t* t) const;
    // Whether the thread still has stack room for one more nesting level.
    bool stapel_reicht() const;
    // The value of a quoted pseudo-attribute of the XML declaration.
    int xml_wert(const wchar_t* wort, const wchar_t* erwartet, const wchar_t* unlesbar, const wchar_t* leer,
                 const wchar_t** wert_start, const wchar_t** wert_ende);
    // Replaceable data of content and attribute values, or of RCDATA sections.
    int ersetzbare_daten(const wchar_t* terminator, bool rcdata);
    int referenz_rest(bool hex);
    // `auf`, then everything up to and including the next `zu` (a comment).
    int klammer(const wchar_t* auf, const wchar_t* zu, const wchar_t* fehlt);
    int marked_section_sgml_start();
    int marked_section_skip(const wchar_t* dateiende, const wchar_t* fehlt, bool einschliessen);

    // Members in their documented order.
    wchar_t doctype_name[SGML_NAMENSLAENGE] = {};  // the DOCTYPE name
    wchar_t work_name[SGML_NAMENSLAENGE] = {};     // scratch names of declarations
    wchar_t endtag_name[SGML_NAMENSLAENGE] = {};   // end tag read by element()
    std::int32_t errors = 0;
    std::int32_t warnings = 0;
    bool strict = true;        // lone "&", "<", ">" in data: error (true) or warning
    BUF* buf = nullptr;        // not owned
    DCL* dcl = nullptr;        // not owned
    wchar_t* cursor = nullptr;
    wchar_t* end = nullptr;

    // The last literal read by sgml_literal(), without its quotes.
    const wchar_t* literal_start = nullptr;
    const wchar_t* literal_end = nullptr;
    // Nesting depth of element(); past the limit the parse is abandoned and
    // the enclosing elements unwind without further messages.
    int tiefe = 0;
    bool abgebrochen = false;
    // Where a strict ">" in content was reported, so that the enclosing
    // elements, which look at the same ">", do not report it again.
    const wchar_t* gt_gemeldet = nullptr;
    // Used when the parser is built without declarations: XML.
    DCL eigene_dcl;
    // While text that the document does not hold is read (the replacement
    // text of an entity), messages about it are positioned here.
    const wchar_t* fremdstelle = nullptr;
    // Lowest usable stack address of this thread (0: unknown).
    std::uintptr_t stapel_grenze = 0;
};
