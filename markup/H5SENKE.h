#pragma once
// H5SENKE: what the tree construction (H5BAUM) calls to build the tree;
// the tree's storage is the sink's business (H5DOM is one sink). The design
// note in H5BAUM.h tells the order of the calls and the positions they carry.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "markup/H5TOKEN.h"

enum class H5MODUS : uint8_t { KEIN_QUIRKS, BEGRENZT, QUIRKS };

// An element for the sink.
struct H5ELEMENT {
    std::wstring_view name;  // as the DOM has it (SVG names in camel case: foreignObject)
    int32_t atom;            // the name's atom in H5BAUM::namen()
    H5NS ns;
    const H5ATTRIBUT* attribute;  // adjusted for foreign elements; views valid during the call
    size_t anzahl;
    const wchar_t* von;  // start tag's source span; null when implied or copied
    const wchar_t* bis;
    int vorlage;  // copies (adoption agency, reconstruction): the element copied; else 0
};

// Characters for the sink: a piece of one character run, with the exact
// source it was read from. Where ersetzungen is empty the characters equal
// the source [von, bis) one for one, so that a sink may keep the source
// span instead of a copy (even when text points into a scratch buffer).
// Otherwise ersetzungen lists, in order, the places where they differ;
// their text offsets minus basis are offsets into text (clamp them to
// [0, text.size()]: a replacement may reach over the piece's edge).
struct H5TEXT {
    std::wstring_view text;
    const wchar_t* von;
    const wchar_t* bis;
    const H5ERSATZ* ersetzungen;
    size_t anzahl;
    size_t basis;
    bool unveraendert() const { return anzahl == 0; }
};

// The sink: where the tree goes. Handles are the sink's; 0 is the document.
class H5SENKE {
public:
    virtual ~H5SENKE() = default;
    // Creates an element, not yet in the tree; returns its handle (> 0).
    virtual int element(const H5ELEMENT& e) = 0;
    // Appends kind as the last child of eltern; kind leaves its parent first, if any.
    virtual void anhaengen(int eltern, int kind) = 0;
    // Inserts kind into eltern before its child vor (foster parenting).
    virtual void einfuegen_vor(int eltern, int kind, int vor) = 0;
    // Inserts characters as the last child of eltern (vor == 0) or before
    // its child vor; they join a text node directly before that place.
    virtual void text(int eltern, int vor, const H5TEXT& t) = 0;
    // Appends a comment to eltern (0: the document).
    virtual void kommentar(int eltern, std::wstring_view text, const wchar_t* von, const wchar_t* bis) = 0;
    // Appends the document type to the document (t: the DOCTYPE token).
    virtual void doctype(const H5TOK& t) = 0;
    // The parent of a node, or -1 when it has none.
    virtual int eltern(int knoten) = 0;
    // Takes a node out of its parent.
    virtual void entfernen(int knoten) = 0;
    // Moves all children of von, in order, to the end of nach.
    virtual void umhaengen(int von, int nach) = 0;
    // Adds each attribute that the element does not have yet (html, body).
    virtual void attribute_ergaenzen(int knoten, const H5ATTRIBUT* a, size_t anzahl) = 0;
    // The element left the stack of open elements; von/bis: its end tag, or
    // null when its end was implied.
    virtual void schliessen(int knoten, const wchar_t* von, const wchar_t* bis) {
        (void)knoten, (void)von, (void)bis;
    }
    // The document's mode, from the DOCTYPE (told once, before the html element).
    virtual void modus(H5MODUS m) { (void)m; }
};
