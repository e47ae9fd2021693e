#pragma once
// MODELL: one content model. The reader builds it as a tree of name
// leaves, #PCDATA leaves and groups (sequence ",", choice "|", SGML's
// all-of "&"), each with an occurrence indicator; Uebersetzen() compiles the
// tree into a position (Glushkov) automaton: one state per name leaf, plus
// the start state 0. A state's transitions are the union of a few "first"
// sets of subtrees; states whose unions agree share one transition table,
// so a starred choice of n names costs n transitions, not n * n.
//
// "&" groups are not multiplied out (n members would need n! orders): each
// group keeps a bit per member that is set when the member is entered, a
// transition between members asks that the target member's bit be clear,
// and leaving a group asks that every member that cannot be empty has its
// bit. A run (LAUF) carries those bits; models without "&" need none.
//
// #PCDATA leaves match nothing in the automaton: a model that holds one is
// mixed, and character data may then stand anywhere in the element.
//
// The compiler checks determinism as XML and ISO 8879 define it: a model
// is ambiguous when from one state one name leads to two different leaves.
// All names are numbers of the declaration model's name table.
#include <cstdint>
#include <vector>

class MODELL {
public:
    enum Art : std::uint8_t { NAME, PCDATA, FOLGE, WAHL, UND };
    enum Wdh : std::uint8_t { EINMAL, OPTIONAL, STERN, PLUS };

    // Why a content does not match, as Pruefen() and Schritt() find it.
    enum Grund : std::uint8_t {
        PASST = 0,
        NICHT_ERLAUBT,    // this child may not stand here
        UNVOLLSTAENDIG,   // the content ends before the model is satisfied
        TEXT_VERBOTEN,    // character data in element content
        UNDEKLARIERT,     // the element type (or, under ANY, the child's) is not declared
    };
    struct Befund {
        Grund grund = PASST;
        int stelle = -1;     // index of the offending child (the count for UNVOLLSTAENDIG)
        int erwartet = -1;   // one name that could have stood there, -1: none
    };

    // The state of one element's content being matched. Reusable: Start()
    // resets it; only models with "&" groups make it hold (and allocate) bits.
    struct LAUF {
        int zustand = 0;
        std::vector<std::uint64_t> masken;
    };

    // Limits against hostile declarations; Uebersetzen() fails beyond them.
    static constexpr int MAX_TIEFE = 200;            // nested groups
    static constexpr int MAX_POSITIONEN = 65535;     // name leaves
    static constexpr int MAX_GLIEDER = 64;           // members of one "&" group
    static constexpr std::size_t MAX_KANTEN = 1u << 20;  // transitions in all tables

    // ---- building the tree (nodes are numbered from 0) ----
    int Blatt(int name, Wdh wdh);               // a name leaf
    int Pcdata();                               // #PCDATA
    int Gruppe(Art art, const int* kinder, int anzahl, Wdh wdh);
    void Wiederholung(int knoten, Wdh wdh) { knoten_[static_cast<std::size_t>(knoten)].wdh = wdh; }
    int Knotenzahl() const { return static_cast<int>(knoten_.size()); }

    // Compiles the tree below `wurzel`. 1 on success; 0 when a limit is
    // exceeded (Grenze() names it). Determinism is found, not reported:
    // see Mehrdeutig().
    int Uebersetzen(int wurzel);
    const char* Grenze() const { return grenze_; }
    // Whether some state reaches two leaves by one name; `name` gets it.
    bool Mehrdeutig(int* name = nullptr) const;
    bool Gemischt() const { return gemischt_; }
    int Wurzel() const { return wurzel_; }

    // ---- matching ----
    void Start(LAUF& lauf) const;
    // Takes the child `name` (-1 for a name the model cannot know); false,
    // with the run unchanged, when it may not stand here.
    bool Schritt(LAUF& lauf, int name) const;
    // Whether the content may end here.
    bool Fertig(const LAUF& lauf) const;
    // The names that may come next, each once, in name order.
    void Moegliche(const LAUF& lauf, std::vector<int>& namen) const;
    // Matches a whole content: the children's names in order, and whether
    // character data other than white space stands among them.
    Befund Pruefen(const int* kinder, int anzahl, bool text) const;

    // ---- the tree, for writing the model back ----
    struct Knoten {
        Art art;
        Wdh wdh;
        std::int32_t name;    // NAME: the name number
        std::int32_t kinder;  // groups: first entry in Kinder()
        std::int32_t anzahl;  // groups: number of children
    };
    const Knoten& Knotenpunkt(int k) const { return knoten_[static_cast<std::size_t>(k)]; }
    int Kind(const Knoten& g, int i) const { return kinder_[static_cast<std::size_t>(g.kinder + i)]; }

private:
    struct Glied {  // one "&" group around a leaf: group number, member index
        std::int16_t gruppe;
        std::int16_t glied;
    };
    struct Position {
        std::int32_t name;
        std::int32_t tabelle;
        std::int32_t kette;        // first entry in ketten_ (innermost group first)
        std::uint8_t kettenlaenge; // "&" groups around the leaf
        bool ende;                 // the content may end after this leaf
    };
    struct Kante {
        std::int32_t name;
        std::int32_t ziel;
        std::uint8_t aus;     // innermost groups of the source that are left
        std::uint8_t ein;     // innermost groups of the target that are entered
        std::int16_t gruppe;  // "&" group whose member `glied` is entered, -1
        std::int16_t glied;
        bool operator==(const Kante&) const = default;
    };
    struct Beitrag {  // "the first set of `knoten`", seen from A enclosing groups
        std::int32_t knoten;
        std::int16_t gruppe;
        std::int16_t glied;
        std::uint8_t a;
        bool operator<(const Beitrag& b) const;
        bool operator==(const Beitrag&) const = default;
    };
    struct Info {  // per node, filled by the first walk
        bool leerbar;
        std::uint8_t a;         // "&" groups strictly above the node
        std::int32_t von, bis;  // its leaves are the positions von .. bis - 1
    };

    int Analysieren(int k, int tiefe, std::vector<Glied>& kette);
    const std::vector<std::int32_t>& Erste(int k);
    const std::vector<std::int32_t>& Letzte(int k);
    int Beitraege(std::vector<std::vector<Beitrag>>& je_position);
    int Tabelle(int quelle, const std::vector<Beitrag>& beitraege);
    bool Erlaubt(const LAUF& lauf, int von, const Kante& k) const;
    void Nehmen(LAUF& lauf, const Kante& k) const;
    bool Vollstaendig(const LAUF& lauf, int position, int anzahl) const;
    std::pair<const Kante*, const Kante*> Kanten(int zustand, int name) const;

    std::vector<Knoten> knoten_;
    std::vector<std::int32_t> kinder_;
    std::vector<Info> info_;
    std::vector<std::vector<std::int32_t>> erste_, letzte_;
    std::vector<bool> erste_da_, letzte_da_;
    std::vector<Position> positionen_;   // 0: the start state
    std::vector<Glied> ketten_;
    std::vector<std::uint64_t> pflicht_; // per "&" group: members that cannot be empty
    std::vector<Kante> kanten_;
    std::vector<std::pair<std::int32_t, std::int32_t>> tabellen_;  // first edge, count
    std::size_t mengen_ = 0;             // entries in all first/last sets
    int wurzel_ = -1;
    int mehrdeutig_ = -1;                // name of the first ambiguity, -1: none
    bool gemischt_ = false;
    bool leer_erlaubt_ = false;
    const char* grenze_ = nullptr;
};
