#pragma once
// The conversion engine of one input file. The driver creates one for each
// file, binds it to the interpreter, lets it read the file and open the
// output, checks, parses and converts, lets it finish the output, and
// destroys it. It owns the document's buffer and its own per-file writer;
// the script, its buffer, the declaration record and the global writer
// belong to the interpreter and are only pointed to.
//
// Every conversion step that the engine takes on itself is a virtual
// operation, called through the virtual table, so that the tracking engine
// (a subclass) sees each of them. The order of the virtual operations below
// is the slot order and must not change.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "markup/META.h"
#include "textio/BUF.h"
#include "textio/MELDUNGEN.h"
#include "textio/OUT.h"

class BASIC;
class DCL;
class DTDDOK;
class SDTD;
class IPR;
class TRACK;
struct H5SPANNE;

// Content model of a conversion: how an element's content is written.
// FULL, ALTFULL and ASCFULL convert nested elements by their own rules.
enum DATAtypeItems : std::int32_t {
    DATA_NONE = 0,
    DATA_FULL = 1,
    DATA_DATA = 2,
    DATA_ALT = 3,
    DATA_ALTFULL = 4,
    DATA_ASC = 5,
    DATA_ASCFULL = 6,
    DATA_DROP = 7,
};

// Walk mode: the normal walk, the walk of a COPY (and the first pass of
// CUT), the walk of a DEL (and the second pass of CUT) that deletes.
enum PARSERtypeItems : std::int32_t {
    PARSER_CONVERT = 0,
    PARSER_COPY = 1,
    PARSER_DELETE = 2,
};

inline bool Ist_Vollmodell(DATAtypeItems m) { return m == DATA_FULL || m == DATA_ALTFULL || m == DATA_ASCFULL; }

// What FIND and COPY, CUT and DEL search for, as read from the script items
// after their keyword: an element name (or none: the focus itself), an
// attribute condition, context conditions (IN, NOTIN, INX, NOTINX), the
// search range and the count.
struct CNV_Suche {
    int name = -1;           // script item of the element name; -1: none
    int attribut = -1;       // first script item of the attribute condition; -1: none
    int kontext = -1;        // first script item of the context conditions; -1: none
    int kontext_ende = -1;   // one past the last of them
    int bereich = 8;         // DOC 2, PARENT 4, CHILD 6, CONTENT 8
    int anzahl = 2;          // ONE 1, ALL 2
};

class CNV {
public:
    CNV();
    CNV(const CNV&) = delete;
    CNV& operator=(const CNV&) = delete;

    // ---- Virtual operations, in slot order -------------------------------
    virtual int Convert_makro_cdata_value(int* rule, int item);
    virtual int Convert_branch_set(int* rule, int* item, DATAtypeItems* model, int start, const wchar_t* copyname,
                                   int depth);
    virtual int Convert_makro_literal(int* rule, int item);
    virtual int Convert_rules(int* rule, int item, const wchar_t* copyname, int depth);
    virtual int Convert_makro_chr(int* rule, int item);
    virtual int Convert_Entity(int* rule, int item);
    virtual int Convert_Element(int* item, DATAtypeItems model, PARSERtypeItems mode, const wchar_t* copyname,
                                int depth, bool rules);
    virtual int Convert_Attribute_Daten(int rule, int* item, DATAtypeItems model);
    virtual int Convert_makro_copy_cut_del(int* rule, int item, PARSERtypeItems mode, const wchar_t* copyname,
                                           int depth, const wchar_t* keyword);
    virtual int Convert_makro_file(int* rule, int item);
    virtual int Convert_makro_implied(int* rule, int item);
    virtual int Convert_makro_value(int* rule, int item);
    virtual int Convert_makro_token(int* rule, int item);
    virtual int Convert_makro_count(int* rule, int item);
    virtual int Convert_all_rules(int* rule, int* item, DATAtypeItems* model, int start, const wchar_t* copyname,
                                  int depth);
    virtual int Check_attribute(int* rule, int* focus, int* other, int implied);
    virtual int Check_content(int* rule, int* focus);
    virtual int Check_sub(int* rule, const wchar_t* copyname, const wchar_t* keyword);
    virtual int Check_toplevel(int* rule, int item, const wchar_t* keyword);
    virtual int Check_before(int* rule, int* focus, const wchar_t* keyword);
    virtual int Check_beforex(int* rule, int* focus, const wchar_t* keyword);
    virtual int Check_after(int* rule, int* focus, const wchar_t* keyword);
    virtual int Check_afterx(int* rule, int* focus, const wchar_t* keyword);
    virtual int Check_first(int* rule, int* focus, const wchar_t* keyword);
    virtual int Check_last(int* rule, int* focus, const wchar_t* keyword);
    virtual int Check_in(int* rule, int* focus, const wchar_t* keyword);
    virtual int Check_inx(int* rule, int* focus, const wchar_t* keyword);
    virtual int Check_find(int* rule, int focus, const wchar_t* keyword);
    virtual int Check_empty(int* rule, int* focus);
    virtual int Check_condition(int* rule, int* item, int start, const wchar_t* copyname);
    virtual int Check_context(int* rule, int* item);
    virtual int Convert_starttag(int* rule, int item, PARSERtypeItems mode, DATAtypeItems* model,
                                 const wchar_t* copyname, int depth, bool rules);
    virtual int Convert_emptytag(int* rule, int item, PARSERtypeItems mode, DATAtypeItems* model,
                                 const wchar_t* copyname, int depth, bool rules);
    virtual int Convert_endtag(int* rule, int item, PARSERtypeItems mode, const DATAtypeItems* model,
                               const wchar_t* copyname, int depth, bool rules);
    virtual int Convert_data(int rule, int item, PARSERtypeItems mode, DATAtypeItems model);
    virtual int Write_stag(int item);
    virtual int Write_etag(int item);
    virtual int AusgabeWrite(const wchar_t* text);
    virtual int AusgabeWrite(wchar_t c);
    virtual int AusgabeWrite(unsigned int code);
    // Text whose terminator stands right behind the view.
    virtual int AusgabeWrite(std::wstring_view text);
    // Takes the script, its buffer, the declaration record, the tracking
    // records and the global writer from the interpreter; chooses the writer
    // in use and, with web output, lets both buffers copy their messages
    // into it.
    virtual int Interpreter_Initialisierung(IPR* ipr);
    virtual ~CNV();

    // ---- Life cycle, called by the driver --------------------------------
    // Reads the input file (`bytes` forces single bytes) and, without a
    // global output, opens the per-file output in the script's writer
    // encoding (for AUTO the one the input was decoded as). An output that
    // would replace its own input is written beside it first. 0 when the
    // per-file output could not be opened (reported): the file fails.
    int AusgabeOpen(const wchar_t* name, const wchar_t* global, const wchar_t* extension, bool bytes);
    // True when the input was read without error and is not empty.
    bool Quelle_OK() const;
    // For inputs to be read as ASCII: reports every character outside tab,
    // line feed, carriage return and 32 to 126 with its position.
    int CheckDecCodesASCII();
    // Parses the input into the item store; 0 when the document is faulty.
    int Quelle_Read();
    int Quelle_Read_HTML5(DCL* deklarationen);
    // Converts the parsed document into the writer in use; 0 on failure.
    int Quelle_Convert();
    // Called once per file after success or failure was decided: closes the
    // per-file output; an output standing in for its input replaces it only
    // on success. 0 when writing the output failed.
    int AusgabeAbschluss(bool erfolgreich);

    // What the driver reads.
    const wchar_t* Quellpfad() const { return quelle.dateiname; }
    std::uint64_t Quelllaenge() const { return quelle.length; }
    const wchar_t* Ausgabename() const { return ausgabe_in_gebrauch->ausgabename; }

    // ---- Walk helpers (not virtual) ---------------------------------------
    int Convert_gref(int rule, int item, PARSERtypeItems mode, DATAtypeItems model);
    int Convert_cref(int rule, int item, PARSERtypeItems mode, DATAtypeItems model);
    int Convert_nref(int rule, int item, PARSERtypeItems mode, DATAtypeItems model);
    int Write_data(int item);
    // Writes text that comes from the document: under WRITERESCAPE = MARKUP
    // the writer escapes it, as character data or as an attribute value.
    // Through AusgabeWrite, so the tracking engine sees it as any output.
    int Dokumenttext_Schreiben(const wchar_t* text, OUTmaskeItems art) {
        return maskieren && art != OUT_MASKE_KEINE ? Maskiert_Schreiben(text, art) : AusgabeWrite(text);
    }
    int Maskiert_Schreiben(const wchar_t* text, OUTmaskeItems art);
    int Write_gref(int item);
    int Write_cref(int item);
    int Write_nref(int item);
    int Delete_stag(int item);
    int Delete_etag(int item);
    int Delete_data(int item);
    int Delete_gref(int item);
    int Delete_cref(int item);
    int Delete_nref(int item);

    // ---- Conditions: search shared by FIND and COPY, CUT, DEL -------------
    // Reads a search context from the rule position (left after it); 0 with
    // the script message when it is malformed.
    int Suche_Lesen(int* rule, CNV_Suche* suche, const wchar_t* keyword);
    // The next candidate of the search from the focus element: `cursor`
    // starts at -1 and is moved on by each call. The index of the next
    // start tag that passes the attribute and context conditions, or -1
    // when the range is exhausted.
    int Suche_Naechster(const CNV_Suche& suche, int focus, int* cursor);
    // Numbers with units, as the comparisons read them: true when the text
    // is a number; `wert` receives it, `einheit` (31 characters) its unit.
    bool Numerischer_Wert(const wchar_t* text, double* wert, wchar_t* einheit);

    // ---- Macros and values -------------------------------------------------
    // Applies the format to the value into `out` (which may be the value's
    // own buffer); false after the script message with the label.
    bool Berechne_Wert(wchar_t* value, wchar_t* out, unsigned long capacity, const wchar_t* format,
                       double reference, const wchar_t* label);

    // ---- Tracking helpers -------------------------------------------------
    void Aktion_Tracken(int q, int s, int z, const wchar_t* text);
    void Ziel_Tracken_Beginn(int n);
    void Ziel_Tracken_Ende();
    // The source record of the tracking report: the text with a numbered
    // span around each item. Without spans the items' own texts mark them
    // (in document order); an HTML5 page gives its spans, and the text as
    // read (its names are folded in place while it is parsed).
    void Quelle_in_TRACK_Einlesen(const std::vector<H5SPANNE>* spannen = nullptr, const wchar_t* original = nullptr);

    // ---- Members, in the documented order ---------------------------------
    BUF quelle;                            // the input document
    META meta;                             // the parsed document's items
    std::unique_ptr<DTDDOK> dtd;           // its DTD (XML with a DOCTYPE), from the reader
    std::unique_ptr<SDTD> sgml_dtd;        // its DTD (SGML): items may point into its entities' texts
    OUT ausgabe;                           // the per-file writer
    BUF* skript = nullptr;                 // the script's buffer
    BASIC* basic = nullptr;                // the compiled script
    DCL* dcl = nullptr;                    // names are compared by its rule
    OUT* ausgabe_in_gebrauch = &ausgabe;   // global writer when open, else the own one
    TRACK* track_quelle = nullptr;         // tracking records of the interpreter
    TRACK* track_aktionen = nullptr;
    TRACK* track_ziel = nullptr;
    bool globale_ausgabe = false;          // the run writes one global output
    bool maskieren = false;                // WRITERESCAPE = MARKUP
    std::int32_t track_zaehler = 0;
    std::int32_t undeklariert = 0;         // undeclared names met while converting
    bool tracking = false;
    // A check without a script and without tracking reads no item of the
    // store: the document is then parsed without recording it.
    bool nur_pruefen = false;
    ENCODINGtypeItems schreibkodierung = ENC_AUTO;  // the script's WRITERENCODING
    std::string schreibkodierungsname;              // its name when ENC_NAMED
    // The error messages of the conversion, which both buffers report
    // through while Quelle_Convert runs, so that none floods the console.
    MELDUNGEN meldungen;

    // ---- Per-conversion state of the areas ---------------------------------
    // Each area keeps what it needs to stay linear on large documents
    // (indexes, memoised counts) in its own block below.

    // Walk and rules.
    // Start tags whose end tags are being converted, innermost last: the
    // end tag finds its start tag here instead of searching back for it.
    std::vector<int> offene_starttags;
    // The walk recurses once per nesting level of converted elements (and
    // per COPY); below this stack address it refuses to go deeper.
    std::uintptr_t stapel_grenze = 0;
    // Set while Write_stag copies attribute values into double quotes.
    bool anfuehrung_schuetzen = false;
    bool Stapel_reicht() const;
    // Message positions: the script item's text, the document item's text
    // (for items the document does not hold, a nearby one; null for
    // deleted items and those far from any, which then show no position).
    const wchar_t* Skriptstelle(int rule) const;
    const wchar_t* Dokumentstelle(int item) const;
    const wchar_t* Itemname(int item) const;
    void Fehler_Skript(const wchar_t* label, const wchar_t* vorlage, const wchar_t* argument, int rule);
    void Fehler_Dokument(const wchar_t* label, const wchar_t* vorlage, const wchar_t* argument, int item);
    // Copies or drops an undeclared element's start tag, or refuses it.
    int Undeklariert_Start(int rule, int item, bool leer);
    // The three reference kinds share one scheme.
    int Convert_ref(int rule, int item, PARSERtypeItems mode, DATAtypeItems model, METAtypeItems art);
    // CONVERTENTITIES = EXPAND: a reference the script does not define,
    // written as its replacement (CNV_Ersetzung.cpp); 0 after the message
    // when it has none.
    int Ersetzung_Schreiben(int item);
    int Ersatztext_Schreiben(std::wstring_view text, bool attribut);
    void Dtd_Hinweis();
    bool dtd_hinweis_gegeben = false;
    bool sgml_dtd_ungelesen = false;       // an SGML document's external DTD was not read
    int Attributwert_Kopieren(int* wert, int name);
    // HTML5 documents: tags built from the items as XML (CNV_Html5.cpp).
    int H5_Starttag_Schreiben(int item);
    int H5_Endtag_Schreiben(int item);
    std::wstring_view H5_Name(int item, bool attribut, bool fremd);
    std::wstring h5_name, h5_tag;
    std::vector<std::pair<std::wstring_view, int>> h5_attribute;
    std::deque<std::wstring> h5_umbenannt;
    // The start tag of the element that an end tag closes; -1 when none.
    int Passender_Starttag(int endtag);
    // Writes a piece of unconverted markup; 0 after its message.
    int Markup_Schreiben(std::wstring_view text, const wchar_t* label, const wchar_t* vorlage, const wchar_t* argument,
                         int item);

    // Conditions.
    // Work texts of the comparisons, kept for the engine's life so that a
    // comparison allocates only when a text outgrows every earlier one.
    struct Vergleichstexte {
        std::vector<wchar_t> subjekt, wert, klein_subjekt, klein_wert;
    };
    Vergleichstexte vergleichstexte;
    // FIND over the whole document gives every element the same answer as
    // long as nothing is deleted: the answer per rule position, with the
    // deletion count it was found at.
    struct Fundstelle {
        std::uint64_t loeschungen;
        int ergebnis;
    };
    std::unordered_map<int, Fundstelle> find_dokument;
    // Whether an attribute or content condition ([name...], [#DAT...],
    // [#PCDATA...], ["text"]) starts at the rule position, and the position
    // after it (with an element name before it, if any).
    bool Ist_Attributbedingung(int rule) const;
    int Attributbedingung_Ende(int rule) const;
    // IMPLIED conditions: per attribute name and start tag, the element the
    // value is inherited from (-1: none), with the deletion count it holds
    // for; a chain of nested elements is then climbed once, not once for
    // every element in it.
    struct Traegermerk {
        std::int32_t traeger;
        std::uint32_t stand;
    };
    struct Namenshash {
        using is_transparent = void;
        std::size_t operator()(std::wstring_view s) const { return std::hash<std::wstring_view>{}(s); }
    };
    std::unordered_map<std::wstring, std::vector<Traegermerk>, Namenshash, std::equal_to<>> implied_traeger;
    std::vector<int> implied_pfad;
    int Implied_Traeger(int rule, int element, const wchar_t* attribut);

    // Macros.
    // Script position of the macro whose value is being computed; the
    // messages of the computation point there.
    const wchar_t* wert_position = nullptr;
    // Counter texts of COUNT: letters (a to z, then aa to zz, ...) and Roman
    // numerals, in capitals when asked. The length of the text; a length
    // above the capacity (characters, terminator not counted) when it does
    // not fit, and then nothing is written.
    static int Berechne_alpha(int n, wchar_t* out, int capacity, bool gross);
    static int Berechne_rom(int n, wchar_t* out, int capacity, bool gross);
    // COUNT with PATH from the counted element: its number after those of
    // the elements of its name above it. Work lists: the counts, innermost
    // first, and the text written.
    int Zaehlerpfad_Schreiben(int schluessel, int gezaehlt, int name, std::uint32_t format, const wchar_t* trenner);
    std::vector<int> zaehlerpfad;
    std::wstring zaehlertext;
    // Two work buffers for attribute values (16387 characters), made once
    // per engine: macros run for every element.
    wchar_t* Makropuffer(int welcher);
    std::vector<wchar_t> makro_puffer[2];
};

// Reads a decimal number (a full stop or comma as decimal separator, an
// optional sign and exponent) whatever the process locale says; values
// beyond the float range are clamped with a console message.
double unicode_wtof(const wchar_t* text);
