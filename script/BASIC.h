#pragma once
// The compiled script: one flat array of items in script order, each marking
// a keyword, name, literal or value by its place in the script text, plus
// hash indexes over element, entity and character definitions and the
// queries that the set-up, the document reader and the conversion ask.
// Item texts are not copied: they point into the script text, which the
// interpreter keeps alive for the whole run.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "markup/DCL.h"
#include "markup/SKRIPTFRAGEN.h"
#include "textio/ENCODING.h"

// Item kinds. The values are fixed; lookups test the flag bits
// 0x8000 setting, 0x4000 element definition, 0x0800 branch keyword, 0x0040 rule.
enum BASICtypeItems : std::uint32_t {
    ITEM_NONE = 0x0000,  // no item (reading past the end)
    ITEM_NUMBER = 0x0001,
    ITEM_NAME = 0x0107,
    ITEM_COND_EMPTY = 0x0413,
    ITEM_COND_NOTEMPTY = 0x0414,
    ITEM_COND_BEG = 0x0415,
    ITEM_COND_END = 0x0416,
    ITEM_COND_IMPLIED = 0x0417,
    ITEM_COND_VALUE = 0x0418,
    ITEM_SUB = 0x0419,
    ITEM_NOTSUB = 0x041A,
    ITEM_OPERATOR = 0x041B,
    ITEM_PAREN = 0x041C,
    ITEM_CONTENT_DAT = 0x0420,
    ITEM_CONTENT_PCDATA = 0x0421,
    ITEM_BEFORE = 0x0601,
    ITEM_BEFOREX = 0x0602,
    ITEM_NOTBEFORE = 0x0603,
    ITEM_NOTBEFOREX = 0x0604,
    ITEM_AFTER = 0x0605,
    ITEM_AFTERX = 0x0606,
    ITEM_NOTAFTER = 0x0607,
    ITEM_NOTAFTERX = 0x0608,
    ITEM_FIRST = 0x0609,
    ITEM_NOTFIRST = 0x060A,
    ITEM_LAST = 0x060B,
    ITEM_NOTLAST = 0x060C,
    ITEM_IN = 0x060D,
    ITEM_NOTIN = 0x060E,
    ITEM_INX = 0x060F,
    ITEM_NOTINX = 0x0610,
    ITEM_TOPLEVEL = 0x0611,
    ITEM_NOTTOPLEVEL = 0x0612,
    ITEM_IF = 0x0801,
    ITEM_ELSEIF = 0x0802,
    ITEM_ELSE = 0x0803,
    ITEM_ENDIF = 0x0804,
    ITEM_LITERAL = 0x1001,
    ITEM_CHR = 0x1002,
    ITEM_IMPLIED = 0x1003,
    ITEM_VALUE = 0x1004,
    ITEM_TOKEN = 0x1007,
    ITEM_COUNT = 0x1008,
    ITEM_COPY = 0x1009,
    ITEM_CUT = 0x100A,
    ITEM_DEL = 0x100B,
    ITEM_FILE = 0x100C,
    ITEM_PLUS = 0x100D,
    ITEM_COUNT_FORMAT = 0x100E,
    ITEM_RANGE = 0x100F,
    ITEM_FIND_NUMBER = 0x1010,
    ITEM_DATA_TYPE = 0x1011,
    ITEM_FIND = 0x1401,
    ITEM_NOTFIND = 0x1402,
    ITEM_ENTITY = 0x2001,
    ITEM_ENTITY_ASCII = 0x2002,
    ITEM_ENTITY_ALTERNATE = 0x2003,
    ITEM_RULE_NOP = 0x4041,
    ITEM_RULE_BEG = 0x4042,
    ITEM_RULE_END = 0x4043,
    ITEM_RULE_DAT = 0x4044,
    ITEM_RULE_ERR = 0x4045,
    ITEM_ELEMENT = 0x4101,
    ITEM_MODEL = 0x4102,
    ITEM_ENDE = 0x4104,
    ITEM_ATTNAME = 0x4185,
    ITEM_ATTVALUE = 0x4186,
    ITEM_BASE = 0x8002,
    ITEM_SYSTEM = 0x8003,
    ITEM_PUBLIC = 0x8004,
    ITEM_SYNTAX = 0x8005,
    ITEM_CONVERTELEMENTS = 0x8006,
    ITEM_CONVERTENTITIES = 0x8007,
    ITEM_CONVERTDATA = 0x8008,
    ITEM_NAMECASE = 0x8009,
    ITEM_READERENCODING = 0x800A,
    ITEM_WRITERENCODING = 0x800B,
    ITEM_WARNINGS = 0x800D,
    ITEM_WRITERESCAPE = 0x800E,
    ITEM_WRITERBOM = 0x800F,
    ITEM_READERDTD = 0x8010,
    ITEM_PARSEERRORS = 0x8011,
};

constexpr std::uint32_t ITEM_FLAG_SETTING = 0x8000;
constexpr std::uint32_t ITEM_FLAG_ELEMENT_DEFINITION = 0x4000;
constexpr std::uint32_t ITEM_FLAG_BRANCH = 0x0800;
constexpr std::uint32_t ITEM_FLAG_RULE = 0x0040;

// Values of the settings as the script parser passes them on.
enum SYNTAXtypeItems : std::uint32_t { SYNTAX_SGML = 1, SYNTAX_XML = 2, SYNTAX_HTML = 3, SYNTAX_HTML5 = 4 };
enum ELEMtypeItems : std::uint32_t { ELEM_ALL = 1, ELEM_ONLYDEFINED = 2, ELEM_DROPUNDEFINED = 3 };
enum ENTYtypeItems : std::uint32_t { ENTY_ALL = 1, ENTY_ONLYDEFINED = 2, ENTY_EXPAND = 3 };
enum DTDtypeItems : std::uint32_t { DTD_INTERNAL = 1, DTD_EXTERNAL = 2 };
enum MODELtypeItems : std::uint32_t { MODEL_GROUP = 1, MODEL_EMPTY = 2, MODEL_MIXED = 3, MODEL_DATA = 4 };
enum WARNINGStypeItems : std::uint32_t { WARNINGS_SMART = 1, WARNINGS_ALL = 2 };
enum NAMECASEtypeItems : std::uint32_t { NAMECASE_NO = 1, NAMECASE_YES = 2 };
enum COUNTtypeItems : std::uint32_t { COUNT_DOC = 2, COUNT_LEVEL = 3, COUNT_PATH = 5 };
enum ESCAPEtypeItems : std::uint32_t { ESCAPE_NONE = 1, ESCAPE_MARKUP = 2 };
enum BOMtypeItems : std::uint32_t { BOM_NO = 1, BOM_YES = 2 };
enum PARSEERRORStypeItems : std::uint32_t { PARSEERRORS_HIDE = 1, PARSEERRORS_SHOW = 2 };

class BASIC : public SKRIPTFRAGEN {
public:
    struct BASICitem {
        BASICtypeItems kind;
        wchar_t* begin;      // first character in the script text; null for implicit items
        wchar_t* end;        // one past the last character; null for implicit items
        std::uint32_t level; // branch depth (0 outside IF blocks)
        std::uint32_t value; // keyword, operator or character code; 0 otherwise
    };

    static constexpr int kGrowth = 65535;

    BASIC();
    ~BASIC() override = default;

    // Empties the array and makes room for n items (1 when 0).
    bool Init(int capacity, bool debug);
    // Appends one item; false (with a message) when memory runs out.
    bool AddItem(BASICtypeItems kind, wchar_t* begin, wchar_t* end, std::uint32_t level,
                 std::uint32_t value);
    // The record used to compare names; the caller keeps it alive.
    void Load_Declaration(DCL* declaration);
    // Builds the element, entity and character indexes; false on duplicates.
    bool Indexieren();

    // Reading the array. Positions outside it read as an item of kind ITEM_NONE.
    int ItemCount() const { return static_cast<int>(items_.size()); }
    const BASICitem& Item(int position) const {
        return static_cast<std::size_t>(position) < items_.size() ? items_[static_cast<std::size_t>(position)]
                                                                   : kKeinItem;
    }
    // The item's text (empty for implicit items). Zero-terminated once the
    // recording parser has written its terminators.
    const wchar_t* Text(int position) const;

    // The number of the item's name in the run's name table (0 for items
    // that are no names); every name of the script is entered when it is
    // indexed.
    int Namensnummer(int position) const;

    // Definitions.
    bool Find_element_definition(int* position, const wchar_t* name) const;
    // The same by name number: the first definition whose name equals it
    // by the declaration record's rule.
    bool Find_element_definition_nr(int* position, int name) const;
    bool IPR_is_SGML_Empty_Element(const wchar_t* name) const override;
    bool Nur_Warnungen() const override { return warning_level == WARNINGS_SMART; }
    bool Entitaeten_ersetzen() const override { return expand_entities; }
    bool Entitaet_definiert(std::wstring_view name) const override;
    bool IPR_is_Element_PCDATA(const wchar_t* name) const;
    // The same two questions by name number.
    bool Ist_leeres_Element(int name) const;
    bool Ist_PCDATA_Element(int name) const;
    // The default of an attribute declared in the element's own definition.
    // The element is the one whose items contain the position, or the named
    // one when a name is given that differs from it.
    bool Find_attribute_default(int position, const wchar_t* element, const wchar_t* attribute,
                                const wchar_t** value) const;
    bool Find_entity_definition(int* position, const wchar_t* name, std::uint32_t code) const;
    bool Find_entity_alternate_definition(int* position, const wchar_t* name,
                                          std::uint32_t code) const;
    bool Find_entity_ascii_definition(int* position, const wchar_t* name, std::uint32_t code) const;

    // Rule lists and branches. All scans begin at the given position itself.
    bool Find_condition_rules(int* position) const {
        const std::size_t ab = position != nullptr && *position > 0 ? static_cast<std::size_t>(*position) : 0;
        if (position == nullptr || ab >= items_.size()) return false;
        if (regeln_ab_.size() != items_.size()) regeln_ab_.assign(items_.size(), -3);
        int& antwort = regeln_ab_[ab];
        if (antwort == -3) antwort = Regeln_suchen(static_cast<int>(ab));
        if (antwort >= 0) *position = antwort;
        else if (antwort <= -2) *position = -antwort - 2;
        return antwort >= 0;
    }
    bool Find_condition_set_next(int* position, std::uint32_t level) const;
    bool Find_condition_set_ende(int* position, std::uint32_t level) const;
    bool Find_replace_type(int* position) const;

    // Settings. Each query reports repeated settings on every call.
    ENCODINGtypeItems Find_ReaderEncoding() const;
    ENCODINGtypeItems Find_WriterEncoding() const;
    // The name of an ENC_NAMED encoding as the setting (ITEM_READERENCODING
    // or ITEM_WRITERENCODING) gives it; empty for the others (with `jede`:
    // the name of any encoding but AUTO). No message.
    std::string Kodierungsname(BASICtypeItems setting, bool jede = false) const;
    bool IPR_is_XML_Syntax() const;
    bool IPR_is_HTML_Syntax() const;
    bool IPR_is_HTML5_Syntax() const;
    // PARSEERRORS = SHOW: the HTML5 parser lists the standard's parse errors.
    bool IPR_is_Parse_Errors_Shown() const;
    bool IPR_is_Namecase(bool fallback) const;
    int IPR_is_Warnings() const;
    bool IPR_is_Only_Defined_Elements_Type(ELEMtypeItems fallback) const;
    bool IPR_is_Drop_Undefined_Elements_Type(ELEMtypeItems fallback) const;
    bool IPR_is_Only_Defined_Entities_Type(ENTYtypeItems fallback) const;
    // CONVERTENTITIES = EXPAND.
    bool IPR_is_Expand_Entities_Type() const;
    // READERDTD = EXTERNAL.
    bool IPR_is_External_DTD() const;
    bool IPR_is_Only_Defined_PCDATA_Type() const;
    // WRITERESCAPE, or the syntax's default when the script does not say.
    ESCAPEtypeItems Find_WriterEscape(ESCAPEtypeItems fallback) const;
    // WRITERBOM; YES when the script does not say.
    bool IPR_is_WriterBom() const;

    // Conversion switches, written once by the interpreter set-up. Readers
    // that run per document (the document reader, the conversion) take them
    // from here rather than asking the setting queries again.
    bool only_defined_elements = false;
    bool drop_undefined_elements = false;
    bool only_defined_entities = false;
    bool expand_entities = false;   // CONVERTENTITIES = EXPAND
    bool only_defined_data = false;
    int warning_level = WARNINGS_ALL;
    bool debug = false;
    bool markup_maskieren = false;  // document text is escaped for markup
    bool mit_bom = true;            // Unicode outputs begin with a byte-order mark
    bool parse_fehler_zeigen = false;  // PARSEERRORS = SHOW

private:
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::wstring_view s) const { return std::hash<std::wstring_view>{}(s); }
    };
    using NameIndex = std::unordered_map<std::wstring, int, NameHash, std::equal_to<>>;

    struct Setting {
        int last = -1;   // position of the last occurrence, -1 when absent
        int first = -1;  // position of the first occurrence
        int count = 0;
    };
    Setting ScanSetting(BASICtypeItems kind) const;
    int Regeln_suchen(int ab) const;
    // The last occurrence's value; reports each extra occurrence.
    std::uint32_t SettingValue(BASICtypeItems kind, std::uint32_t absent, const wchar_t* repeated) const;

    std::wstring_view View(int position) const;
    bool NameEquals(int position, const wchar_t* name) const;
    bool FindSub(int* position, const wchar_t* name, std::uint32_t code, BASICtypeItems sub) const;
    void BuildFallback() const;
    void Forget();

    static const BASICitem kKeinItem;
    std::vector<BASICitem> items_;
    // Answers of Find_condition_rules per start position (the element
    // definitions are asked for every tag of every document): the position
    // found, -1 for "false, unchanged", -(p + 2) for "false, at p".
    mutable std::vector<int> regeln_ab_;
    int capacity_ = 1;

    NameIndex element_index_;
    NameIndex entity_index_;
    std::unordered_map<std::uint32_t, int> character_index_;

    DCL own_declaration_;
    DCL* declaration_ = &own_declaration_;

    // Answers exactly what a scan of the items would, by hash: element names
    // folded as the declaration compares them, all entity texts, all
    // character codes; each to its first position. Built on first use.
    // Name numbers of the items, and the first element definition per
    // name number, exactly and folded; built with the indexes.
    mutable std::vector<int> namensnummern_;
    mutable std::vector<int> elemente_genau_;
    mutable std::vector<int> elemente_gefaltet_;
    mutable std::vector<int> elemente_gross_;
    void NummernBauen() const;

    mutable bool fallback_built_ = false;
    mutable int fallback_namecase_ = 0;
    mutable NameIndex fallback_elements_;
    mutable NameIndex fallback_entities_;
    mutable std::unordered_map<std::uint32_t, int> fallback_characters_;
};
