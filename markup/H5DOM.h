#pragma once
// H5DOM: a sink of H5BAUM that keeps the tree in flat arrays: one 48-byte
// node per element, text, comment or DOCTYPE (links as indexes, source spans
// as offsets into the input), texts and attribute strings in one growing
// arena; a text that is an unchanged piece of the source is not copied.
// It serves the conformance tests (baum_text() writes the html5lib-tests
// format) and shows the integrating step one way to store the tree.
//
// linear(): whether the document came without any out-of-order operation
// (see H5BAUM.h), so that node order is document order and a sink could
// have written its items as the calls came.
#include <cstdint>
#include <string>
#include <vector>

#include "markup/H5BAUM.h"

class H5DOM : public H5SENKE {
public:
    enum Art : uint8_t { DOKUMENT, ELEMENT, TEXT, KOMMENTAR, DOCTYPE };
    struct Knoten {
        int32_t eltern = -1, erstes = 0, letztes = 0, vor = 0, nach = 0;
        Art art = DOKUMENT;
        H5NS ns = H5NS::HTML;
        bool in_quelle = false;  // TEXT: text is source[daten, daten + laenge)
        bool zu = false;         // ELEMENT: left the stack of open elements
        int32_t atom = 0;        // ELEMENT: name; DOCTYPE: index of its strings
        uint32_t daten = 0;      // TEXT/KOMMENTAR: text offset; ELEMENT: first attribute
        uint32_t laenge = 0;     // text length or number of attributes
        uint32_t von = 0, bis = 0;            // start tag / text / comment span (offsets + 1; 0: none)
        uint32_t ende_von = 0, ende_bis = 0;  // end tag span (offsets + 1; 0: implied)
    };
    struct Attribut {
        uint32_t name, name_len, wert, wert_len;  // offsets into the source (in_quelle bits) or the arena
        uint32_t von, bis;                        // source span (offsets + 1; 0: none)
        H5NS ns;
        uint8_t in_quelle;  // bit 0: the name is source text, bit 1: the value is
    };

    // quelle: the document's text; laenge: its length (to size the arrays
    // and to tell source strings from copies).
    H5DOM(const wchar_t* quelle, H5NAMEN* namen, size_t laenge = 0) : quelle(quelle), namen(namen), quelle_len(laenge) {
        knoten.reserve(laenge / 16 + 16);
        knoten.emplace_back();
    }
    // namen is H5BAUM::namen() of the builder that feeds this DOM.
    void namen_setzen(H5NAMEN* n) { namen = n; }

    int element(const H5ELEMENT& e) override;
    void anhaengen(int eltern, int kind) override;
    void einfuegen_vor(int eltern, int kind, int vor) override;
    void text(int eltern, int vor, const H5TEXT& t) override;
    void kommentar(int eltern, std::wstring_view text, const wchar_t* von, const wchar_t* bis) override;
    void doctype(const H5TOK& t) override;
    int eltern(int k) override { return knoten[k].eltern; }
    void entfernen(int k) override;
    void umhaengen(int von, int nach) override;
    void attribute_ergaenzen(int k, const H5ATTRIBUT* a, size_t anzahl) override;
    void schliessen(int k, const wchar_t* von, const wchar_t* bis) override;

    // The tree in the format of html5lib-tests ("| <html>" lines); from the
    // children of node wurzel (0: the document).
    std::wstring baum_text(int wurzel = 0) const;
    std::wstring_view text_von(const Knoten& k) const;
    std::wstring_view name_von(const Attribut& a) const {
        return {(a.in_quelle & 1 ? quelle : arena.data()) + a.name, a.name_len};
    }
    std::wstring_view wert_von(const Attribut& a) const {
        return {(a.in_quelle & 2 ? quelle : arena.data()) + a.wert, a.wert_len};
    }
    const Attribut* attribute_von(const Knoten& k) const { return attribute.data() + k.daten; }

    // The document in document order, without recursion: f(index, false)
    // for each node as it starts (its attributes: attribute_von), and
    // f(index, true) behind an element's content; this is the sequence of
    // the program's item store (start tag, attributes, content, end tag).
    template <typename F>
    void durchlaufen(F&& f, int wurzel = 0) const {
        int k = knoten[wurzel].erstes;
        while (k) {
            f(k, false);
            if (knoten[k].art == ELEMENT && knoten[k].erstes) {
                k = knoten[k].erstes;
                continue;
            }
            if (knoten[k].art == ELEMENT) f(k, true);
            while (k && !knoten[k].nach) {
                k = knoten[k].eltern;
                if (k == wurzel || k < 0) return;
                f(k, true);
            }
            if (k) k = knoten[k].nach;
        }
    }

    const std::vector<Knoten>& alle() const { return knoten; }
    bool linear() const { return !verschoben; }
    size_t speicher() const {
        return knoten.capacity() * sizeof(Knoten) + attribute.capacity() * sizeof(Attribut) +
               arena.capacity() * sizeof(wchar_t);
    }

private:
    uint32_t ablegen(std::wstring_view s);
    uint32_t stelle(const wchar_t* p) const { return p ? static_cast<uint32_t>(p - quelle) + 1 : 0; }
    void abhaengen(int k);

    const wchar_t* quelle;
    H5NAMEN* namen;
    size_t quelle_len;
    bool in_quelle(std::wstring_view s) const {
        return quelle_len && s.data() >= quelle && s.data() + s.size() <= quelle + quelle_len;
    }
    Attribut attribut_ablegen(const H5ATTRIBUT& a);
    std::vector<Knoten> knoten;
    std::vector<Attribut> attribute;
    std::vector<wchar_t> arena;
    std::vector<std::wstring> doctypes;  // name, public, system (at most a few)
    std::vector<uint8_t> doctype_flags;
    bool verschoben = false;
};
