#pragma once
// META: the item store of one parsed document. A flat array of fixed
// records in document order, numbered from 1 (0 means none). Items copy no
// text: they point into the input buffer's text, so the buffer must outlive
// the store. The conversion walks the array by position (from 0).
//
// Items without source text. Some items stand for text the document does
// not hold where they stand: attributes that a DTD defaults, attribute
// values after normalisation, the replacement text of an entity that is
// read as content, and, with the HTML5 and SGML readers, implied tags.
// Their texts live in the store's arena (Ablegen): blocks that are never
// moved or freed before the next Init, each text followed by a terminator
// and one spare character, so that terminating every item's text in place
// (SGMLR::Namen_Abschliessen) is harmless for them. Such items are
// appended like any other; texts that many items share (a default value)
// are laid down once. Im_Dokument() tells whether an item's text lies in
// the document's own text (set by Dokumenttext()): positions of messages
// and the spans of the tracking report exist only for those items.
#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

class DCL;

// Item kinds; the values are bit patterns that the queries test bitwise:
// 0x1000 declaration, 0x800 tag or attribute, 0x400 content, 0x200 entity
// reference, 0x100 character reference, 0x080 function character reference,
// 0x040 attribute part, 0x020 text or reference, 0x010 name, 0x008 text run.
enum METAtypeItems : std::int32_t {
    META_NONE = 0,
    META_DOCTYPE_NAME = 0x1011,
    META_ENTITY_NAME = 0x1012,
    META_EXTERNAL_ID = 0x1020,
    META_STARTTAG = 0x811,
    META_ENDTAG = 0x812,
    META_EMPTYTAG_CLOSE = 0x813,
    META_ATTR_NAME = 0x850,
    META_ATTR_VALUE = 0x860,
    META_ATTR_DATA = 0x868,
    META_ATTR_NREF = 0x8E0,
    META_ATTR_CREF = 0x960,
    META_ATTR_GREF = 0xA60,
    META_DATA = 0x428,
    META_DATA_NREF = 0x4A0,
    META_DATA_CREF = 0x520,
    META_DATA_GREF = 0x620,
};

class META {
    static constexpr std::uint64_t ZEIGER = (std::uint64_t{1} << 48) - 1;

public:
    // One record per item, 24 bytes: a large document has one item per ten
    // characters, so every byte of the record costs nearly a tenth of a
    // byte per input byte. Each text pointer shares a 64-bit word with a
    // 16-bit field (user space addresses fit in 48 bits): start with kind,
    // end with level (levels stay below the parser's nesting limit). The
    // fields read and assign like the plain types they stand for.
    struct Zeigerfeld {  // the low 48 bits: a text pointer
        std::uint64_t wort;
        operator wchar_t*() const { return reinterpret_cast<wchar_t*>(static_cast<std::uintptr_t>(wort & ZEIGER)); }
        Zeigerfeld& operator=(wchar_t* p) {
            wort = (wort & ~ZEIGER) | (static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(p)) & ZEIGER);
            return *this;
        }
    };
    template <class T>
    struct Kurzfeld {  // the high 16 bits: a small signed number
        std::uint64_t wort;
        operator T() const { return static_cast<T>(static_cast<std::int16_t>(wort >> 48)); }
        Kurzfeld& operator=(T v) {
            wort = (wort & ZEIGER) | (static_cast<std::uint64_t>(static_cast<std::uint16_t>(v)) << 48);
            return *this;
        }
    };
    struct metaitem {
        union {
            Zeigerfeld start;             // first character of the item's text; null: deleted
            Kurzfeld<METAtypeItems> kind;
        };
        union {
            Zeigerfeld end;               // one past the last character
            Kurzfeld<std::int32_t> level; // nesting level (0: document element's tags)
        };
        std::int32_t value;   // sibling ordinal of a start tag, code of a character reference
        std::int32_t link;    // number of the containing element's start tag

        std::wstring_view Text() const {
            const wchar_t* a = start;
            const wchar_t* e = end;
            return a == nullptr ? std::wstring_view{} : std::wstring_view(a, static_cast<std::size_t>(e - a));
        }
    };
    static_assert(sizeof(metaitem) == 24);
    // Whether an item fits the record: pointers within 48 bits, the level
    // within 16.
    static bool passt(const wchar_t* start, const wchar_t* end, int level) {
        return ((reinterpret_cast<std::uintptr_t>(start) | reinterpret_cast<std::uintptr_t>(end)) >> 48) == 0 &&
               level >= INT16_MIN && level <= INT16_MAX;
    }
    static metaitem Satz(METAtypeItems kind, wchar_t* start, wchar_t* end, int level, int value, int link) {
        metaitem r;
        r.start.wort = (static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(start)) & ZEIGER) |
                       (static_cast<std::uint64_t>(static_cast<std::uint16_t>(kind)) << 48);
        r.end.wort = (static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(end)) & ZEIGER) |
                     (static_cast<std::uint64_t>(static_cast<std::uint16_t>(level)) << 48);
        r.value = value;
        r.link = link;
        return r;
    }

    static constexpr std::int32_t WACHSTUM = 65535;

    META();
    virtual ~META();
    META(const META&) = delete;
    META& operator=(const META&) = delete;

    // Empties the store and makes room for `capacity` items (0 counts as 1).
    int Init(int capacity, DCL* declarations);
    // Appends one item; its number, or 0 when the store cannot take it.
    int AddItem(METAtypeItems kind, wchar_t* start, wchar_t* end, int level, int value, int link) {
        if (items == nullptr || anzahl >= grenze || !passt(start, end, level))
            return AddItem_am_Rand(kind, start, end, level, value, link);
        items[anzahl] = Satz(kind, start, end, level, value, link);
        ++hinzugefuegt;
        return ++anzahl;
    }
    // Marks the item at position i deleted; the record, or null outside the store.
    metaitem* delete_item(int i);
    // Drops the items from position n on (a reader that put its items in
    // order and left some out of the document).
    void Kuerzen(int n);

    // ---- Texts that are not in the document ----------------------------
    // The document's own text; items outside it have no position.
    void Dokumenttext(const wchar_t* anfang, const wchar_t* ende) {
        text_anfang = anfang;
        text_ende = ende;
    }
    bool Im_Dokument(const wchar_t* p) const { return p != nullptr && p >= text_anfang && p < text_ende; }
    bool Im_Dokument(int i) const { return i >= 0 && i < anzahl && Im_Dokument(items[i].start); }
    // A stable, terminated copy of n characters in the arena (null when
    // memory runs out). The copy is followed by two terminators.
    wchar_t* Ablegen(const wchar_t* text, std::size_t n);

    int Anzahl() const { return anzahl; }
    int Kapazitaet() const { return grenze; }
    const metaitem& Item(int i) const { return items[i]; }
    metaitem& Item(int i) { return items[i]; }
    DCL* Deklarationen() const { return dcl; }

    // Kind predicates on the item at position i (false outside the store).
    bool IPR_is_c(int i) const { return hat_bit(i, 0x008); }
    bool IPR_is_cref(int i) const { return hat_bit(i, 0x100); }
    bool IPR_is_nref(int i) const { return hat_bit(i, 0x080); }
    bool IPR_is_gref(int i) const { return hat_bit(i, 0x200); }
    bool IPR_is_data(int i) const;
    bool IPR_is_attr_data(int i) const;
    bool IPR_is_data_c(int i) const { return ist_art(i, META_DATA); }
    bool IPR_is_data_cref(int i) const { return ist_art(i, META_DATA_CREF); }
    bool IPR_is_data_nref(int i) const { return ist_art(i, META_DATA_NREF); }
    bool IPR_is_data_gref(int i) const { return ist_art(i, META_DATA_GREF); }
    bool IPR_is_attr_c(int i) const { return ist_art(i, META_ATTR_DATA); }
    bool IPR_is_attr_cref(int i) const { return ist_art(i, META_ATTR_CREF); }
    bool IPR_is_attr_nref(int i) const { return ist_art(i, META_ATTR_NREF); }
    bool IPR_is_attr_gref(int i) const { return ist_art(i, META_ATTR_GREF); }
    bool IPR_is_base_element(int i) const { return ist_art(i, META_DOCTYPE_NAME); }
    bool IPR_is_entity_def(int i) const { return ist_art(i, META_ENTITY_NAME); }
    // For the start tag at position i: whether "/>" closed it.
    bool IPR_is_XML_Empty_Element(int i) const;

    // ---- Names ----------------------------------------------------------
    // Element and attribute names are entered into the run's name table
    // when they are first asked for (a check run never needs them). The
    // number of the start tag's or attribute's name at position i; 0 for
    // other items and for deleted ones.
    int Tagname(int i) const {
        if (!ist_art(i, META_STARTTAG) || items[i].start == nullptr) return 0;
        const int o = Ordinal(i);
        return o < 0 ? 0 : tagnamen[static_cast<std::size_t>(o)];
    }
    int Attributname(int i) const;
    // For a reader that knows the name number of the start tag or attribute
    // name it has just appended: the store takes it instead of looking the
    // name up again when the conversion asks.
    void Name_mitteilen(int nummer);
    // The same for the start tag at position i, for a reader that gives the
    // numbers once its items stand in order (positions ascending).
    void Name_erfassen(int i, int nummer);

    // ---- Namespaces (HTML5) ---------------------------------------------
    // The elements of an HTML5 document that are not HTML, by the position
    // of their start tags (ascending): 1 SVG, 2 MathML. Any other start tag
    // is HTML (0).
    void Namensraeume(std::vector<std::pair<int, std::uint8_t>> fremde) { namensraeume = std::move(fremde); }
    int Namensraum(int i) const;
    // Whether name number a equals b by the declarations' rule (without
    // regard to case when the name-case flag is set).
    bool Namen_gleich(int a, int b) const;
    // The number under which the structure index groups a name.
    int Vergleichsnummer(int name) const;

    // ---- Context queries of the conversion --------------------------------
    // Implemented with the conversion engine (convert/META_Abfragen.cpp and
    // convert/META_Zaehler.cpp). `int*` arguments are item positions that
    // move to the item found when the answer is true.
    bool IPR_if_in(int* item, const wchar_t* name);
    bool IPR_if_in_nr(int* item, int name);
    bool IPR_if_inx(int* item, const wchar_t* name);
    bool IPR_if_inx_nr(int* item, int name);
    bool IPR_if_before(int* item, const wchar_t* name);
    bool IPR_if_before_nr(int* item, int name);
    bool IPR_if_beforex(int* item, const wchar_t* name);
    bool IPR_if_beforex_nr(int* item, int name);
    bool IPR_if_after(int* item, const wchar_t* name);
    bool IPR_if_after_nr(int* item, int name);
    bool IPR_if_afterx(int* item, const wchar_t* name);
    bool IPR_if_afterx_nr(int* item, int name);
    bool IPR_if_first(int item);
    bool IPR_if_last(int item);
    bool IPR_if_empty(int item);
    bool IPR_if_element(int item, const wchar_t* name);
    bool IPR_if_element_nr(int item, int name);
    bool IPR_find_starttag(int* item);
    bool IPR_find_context_element(int* item);
    bool IPR_find_starttag_context(int* item, const wchar_t* name);
    bool IPR_find_starttag_context_nr(int* item, int name);
    bool IPR_find_attrname(int* item, const wchar_t* name);
    bool IPR_find_attrname_nr(int* item, int name);
    bool IPR_find_subelement(int* item, int level, const wchar_t* name);
    bool IPR_find_subelement_nr(int* item, int level, int name);
    bool IPR_find_childelement(int* item, int level, const wchar_t* name);
    bool IPR_find_childelement_nr(int* item, int level, int name);
    bool IPR_find_parentelement(int* item, int level, const wchar_t* name);
    bool IPR_find_parentelement_nr(int* item, int level, int name);
    bool IPR_find_element(int* item, const wchar_t* name);
    bool IPR_find_element_nr(int* item, int name);
    bool IPR_find_entity(int* item, const wchar_t* name);
    // The value of an attribute from its first value piece; false (after
    // the console message) when it does not fit the capacity.
    bool Read_attribute_value(int first, wchar_t* out, int capacity, int refs_as_text);
    // The text content of the element whose start tag is given.
    bool Read_content_value(int start, wchar_t* out, int capacity, int tags_as_spaces, int refs_as_text);
    // Counters of COUNT: the item itself or its nearest ancestor of that
    // name (as INX, the item included); its position among the elements of
    // its name under the same parent, or in the whole document.
    bool IPR_if_ine(int* item, const wchar_t* name);
    bool IPR_if_ine_nr(int* item, int name);
    int IPR_count(int item);
    int IPR_count_doc(int item);
    // For IMPLIED: the item's start tag or its nearest ancestor that carries
    // the attribute, as `traegt` decides for one start tag; -1 for none.
    // Answers are kept per attribute, so that a chain of nested elements
    // asks each start tag once.
    int IPR_find_traeger(int item, const wchar_t* attribut, bool (*traegt)(void* kontext, int start),
                         void* kontext);

    // ---- Conditions: names, relations and the structure index ------------
    // True when the item is a live start tag (or other name item) whose name
    // equals `name` by the declarations' rule; deleted items never match.
    bool Name_gleich(int i, const wchar_t* name) const;
    // The parent of the start tag at i: the recorded one when it is a start
    // tag, else the nearest earlier start tag of a lower level; -1: none.
    // `melden` reports a recorded parent that is no start tag.
    int Elternteil(int i, bool melden = false);
    // What Read_content_value would produce, into a text that grows as
    // needed (terminated); in one walk over the content.
    void Inhalt_lesen(int start, int tags_as_spaces, int refs_as_text, std::vector<wchar_t>& out);
    // How many characters Read_attribute_value would produce (terminator
    // not counted), so that callers can size the buffer exactly.
    std::size_t Attributwert_Laenge(int first, int refs_as_text) const;
    // The nearest ancestor of the start tag at s named `name`; -1: none.
    int Vorfahr(int s, const wchar_t* name);
    int Vorfahr(int s, int name);
    // Items deleted since Init: answers that depend on the text of items
    // stay valid while this does not change.
    std::uint64_t Loeschungen() const { return geloescht; }

private:
    bool gueltig(int i) const { return i >= 0 && i < anzahl; }
    bool hat_bit(int i, std::int32_t bit) const { return gueltig(i) && (items[i].kind & bit) != 0; }
    bool ist_art(int i, METAtypeItems art) const { return gueltig(i) && items[i].kind == art; }
    bool wachsen(int neue_grenze);
    void freigeben();
    // AddItem for the last free record, where the store grows, and for
    // stores that cannot take more.
    int AddItem_am_Rand(METAtypeItems kind, wchar_t* start, wchar_t* end, int level, int value, int link);

    metaitem* items = nullptr;     // grenze + 1 records
    std::size_t abgebildet = 0;    // bytes mapped from the system, 0: malloc'ed
    std::int32_t anzahl = 0;       // items in the store
    std::int32_t grenze = 0;       // capacity limit
    std::int32_t wachstum = WACHSTUM;
    std::int32_t hinzugefuegt = 0; // additions since Init
    DCL* dcl = nullptr;            // not owned; names are compared by it
    const wchar_t* text_anfang = nullptr;  // the document's text
    const wchar_t* text_ende = nullptr;
    // The arena: blocks of at least ARENABLOCK characters, never moved.
    static constexpr std::size_t ARENABLOCK = 65536;
    std::vector<std::unique_ptr<wchar_t[]>> arena;
    std::size_t arena_frei = 0;     // characters left in the last block
    wchar_t* arena_naechster = nullptr;

    // Conditions. Sibling, subtree and per-name relations are fixed once
    // the document is parsed (deleting only blanks an item's text), so they
    // are indexed once, on the first query that needs them, and answer as
    // the walks over the items would, deleted items included. Start tags
    // are numbered in document order ("ordinals").
    struct Strukturindex {
        bool gebaut = false;
        int namecase = 0;                 // the name rule the names were folded by
        std::vector<int> eltern;          // ordinal -> parent ordinal by levels, -1
        std::vector<int> vor, nach;       // ordinal -> previous / next sibling, -1
        std::vector<int> ende;            // ordinal -> first ordinal after its subtree
        std::vector<int> inhalt;          // positions of the content items (data, references)
        std::vector<int> nid;             // ordinal -> compared name number, -1 when deleted at build
        std::vector<int> gleichnamig;     // ordinal -> nearest ancestor of the same name, -1
        // Per name the last ancestor search: siblings ask it again and
        // again from the same parent (valid until the next deletion).
        struct Vorfahrmerk {
            int eltern = -1;
            int antwort = -1;
            std::uint64_t stand = ~std::uint64_t{0};
        };
        std::vector<Vorfahrmerk> vorfahr_merk;
        std::vector<int> dok;             // ordinals grouped by name, in document order
        std::vector<int> dok_anfang;      // name number -> first place in dok (one more entry)
        std::vector<int> geschw;          // non-root ordinals by (parent, name, ordinal)
        // Skip distances over places whose start tag has been deleted,
        // shortened as they are walked (deletion is never undone).
        std::vector<int> dok_vor, dok_rueck, geschw_vor, geschw_rueck;
        int namen = 0;                    // name numbers 0 .. namen - 1 may occur
    };
    Strukturindex index;
    std::uint64_t geloescht = 0;

    // Taken in one walk over the items when first needed (and for items
    // added since): the positions of the start tags in document order
    // (their "ordinals") and of the attribute names, the numbers of their
    // names in the run's name table, and one bit per item marking the start
    // tags with the count of start tags before each word of bits, so that
    // the ordinal of a position is a lookup, not a search.
    mutable std::vector<int> starttags;
    mutable std::vector<int> tagnamen;
    mutable std::vector<int> attribute;
    mutable std::vector<int> attributnamen;
    mutable std::vector<std::uint64_t> tagbits;
    mutable std::vector<int> tagrang;
    mutable int erfasst = 0;
    void Namen_erfassen() const;
    void Namen_vergessen();
    // Takes the item at position `erfasst` with its name number.
    void Erfassen(int nummer) const;

    Strukturindex& Index();
    // -1 when the item is no start tag.
    int Ordinal(int position) const {
        if (position < 0 || position >= anzahl) return -1;
        if (position >= erfasst) Namen_erfassen();
        const std::size_t wort = static_cast<std::size_t>(position) >> 6;
        const std::uint64_t bit = std::uint64_t{1} << (position & 63);
        if ((tagbits[wort] & bit) == 0) return -1;
        return tagrang[wort] + Bits(tagbits[wort] & (bit - 1));
    }
    static int Bits(std::uint64_t x) {
        x -= (x >> 1) & 0x5555555555555555ull;
        x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
        x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
        return static_cast<int>((x * 0x0101010101010101ull) >> 56);
    }
    int Namensnummer(const wchar_t* name);
    int Namensnummer(int name);
    int Starttag_von(int i) const;
    bool Lebt(int ordinal) const { return items[starttags[ordinal]].start != nullptr; }
    int Naechster_lebend(const std::vector<int>& liste, std::vector<int>& sprung, int j) const;
    int Voriger_lebend(const std::vector<int>& liste, std::vector<int>& sprung, int j) const;
    bool Geschwister(int* item, int name, bool spaeter, bool irgendeins);
    int Geschwister_ab(int eltern, int name, int nach_ordinal);
    int Geschwister_vor(int eltern, int name, int vor_ordinal);
    int Namentlich_ab(int name, int nach_ordinal);
    int Grenze_Ebene(int position, int level);
    template <class Senke>
    bool Inhalt_schreiben(int start, int tags_as_spaces, int refs_as_text, Senke& s);

    // Element counters of COUNT (convert/META_Zaehler.cpp), built on first
    // use. Start tags deleted since Init, in the order of deletion: the
    // counters catch up with them instead of walking the store again.
    struct ZAEHLER;
    std::unique_ptr<ZAEHLER, void (*)(ZAEHLER*)> zaehler{nullptr, nullptr};
    std::vector<std::pair<int, std::uint8_t>> namensraeume;
    std::vector<std::int32_t> geloeschte_starttags;
};
