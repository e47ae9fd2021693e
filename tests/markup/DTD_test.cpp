// The DTD core: internal subsets read into the model, faulty declarations
// with their messages, parameter entities and conditional sections in
// external files, defaults and normalisation, content validation, entity
// texts with their limits, catalogs, and the installed DocBook DTD.
#include "markup/DTD.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Testtext.h"
#include "markup/DTDR.h"
#include "markup/IDMENGE.h"
#include "markup/KATALOG.h"
#include "markup/QUELLE.h"

namespace {

namespace fs = std::filesystem;

#define POS(z, c) "in Datei 't.xml' Zeile=" #z ", Zeichen=" #c ".\n"

// Reads `subset` (ending in "]") as an internal subset; the console output.
std::string Intern(DTD& dtd, const std::wstring& subset, bool validieren = false, int* ergebnis = nullptr,
                   QUELLE* quelle = nullptr) {
    static std::vector<std::unique_ptr<Testtext>> texte;  // positions must outlive the model
    texte.push_back(std::make_unique<Testtext>(subset));
    Testtext& t = *texte.back();
    DTDR r(&dtd, quelle);
    r.validieren = validieren;
    int e = 0;
    wchar_t* cursor = t.buf.text;
    const std::string aus = Konsolenausgabe([&] {
        e = r.Intern(&t.buf, cursor);
        e = r.Abschliessen() && e;
    });
    if (ergebnis != nullptr) *ergebnis = e;
    if (e) {
        EXPECT_EQ(*cursor, L']');
    }
    return aus;
}

int Name(const DTD& d, const wchar_t* n) { return d.Name(n); }
const DTD::Attribut& Attr(const DTD& d, const wchar_t* e, const wchar_t* a) {
    return d.Attribute(d.Attribut_von(Name(d, e), Name(d, a)));
}
std::wstring Text(DTD& d, const wchar_t* entitaet) {
    std::wstring_view t;
    const int e = d.Entitaet_von(d.Entitaetsname(entitaet), false);
    if (e < 0 || !d.Entitaetstext(e, t, nullptr, nullptr)) return L"<fehlt>";
    return std::wstring(t);
}

// A folder of files for one test, removed afterwards.
struct Ordner {
    fs::path pfad;
    Ordner() {
        char muster[] = "/tmp/dtdtestXXXXXX";
        pfad = mkdtemp(muster);
    }
    ~Ordner() { fs::remove_all(pfad); }
    std::string Datei(const std::string& name, const std::string& inhalt) const {
        fs::create_directories((pfad / name).parent_path());
        std::ofstream(pfad / name) << inhalt;
        return (pfad / name).string();
    }
};

// Reads a document's external subset `system` the way the document reader
// will: internal subset first (when given), then the external one.
std::string Extern(DTD& dtd, const Ordner& o, const std::string& system, const std::wstring& subset = L"]",
                   bool validieren = false, KATALOG* katalog = nullptr, const std::wstring& pub = L"") {
    Testtext t(subset);
    const std::wstring doc = QUELLE::Breit((o.pfad / "doc.xml").c_str());
    std::wcscpy(t.buf.dateiname, doc.c_str());
    QUELLE q(katalog);
    q.Dokument(doc);
    DTDR r(&dtd, &q);
    r.validieren = validieren;
    wchar_t* cursor = t.buf.text;
    std::string aus = Konsolenausgabe([&] {
        r.Intern(&t.buf, cursor);
        r.Extern(pub, QUELLE::Breit(system.c_str()), &t.buf, nullptr);
        r.Abschliessen();
    });
    // Positions name the temporary folder: keep only the file names.
    for (std::size_t i; (i = aus.find(o.pfad.string() + "/")) != std::string::npos;)
        aus.erase(i, o.pfad.string().size() + 1);
    return aus;
}

TEST(DTD, InternalSubsetFillsTheModel) {
    DTD d;
    EXPECT_EQ(Intern(d, LR"(
<!-- every kind of declaration -->
<!ELEMENT buch (titel, (kapitel | anhang)+, index?)>
<!ELEMENT titel (#PCDATA)>
<!ELEMENT kapitel (#PCDATA | em | fn)*>
<!ELEMENT leer EMPTY>  <!ELEMENT alles ANY>
<?pi im DTD?>
<!ATTLIST buch id ID #IMPLIED
               sprache (de|en|fr) "de"
               version CDATA #FIXED "1.0"
               art NOTATION (gif | png) #REQUIRED
               refs IDREFS #IMPLIED>
<!ATTLIST buch sprache CDATA "xx" neu NMTOKENS "  a   b  ">
<!ENTITY text "Text &amp; &#169; &ref;">
<!ENTITY ref "R">
<!ENTITY text "zweite Deklaration">
<!ENTITY % pe "<!ELEMENT fn (#PCDATA)>">
%pe;
<!ENTITY bild SYSTEM "b.gif" NDATA gif>
<!ENTITY kap PUBLIC "-//X//Kapitel//DE" "kap.xml">
<!NOTATION gif SYSTEM "viewer">
<!NOTATION png PUBLIC "-//PNG//DE">
])"),
              "");
    EXPECT_EQ(d.Elemente(d.Element(Name(d, L"leer"))).inhalt, DTD::LEER);
    EXPECT_EQ(d.Elemente(d.Element(Name(d, L"alles"))).inhalt, DTD::BELIEBIG);
    EXPECT_EQ(d.Elemente(d.Element(Name(d, L"fn"))).inhalt, DTD::MODELLIERT);  // from the parameter entity
    EXPECT_TRUE(d.Modell(d.Elemente(d.Element(Name(d, L"kapitel"))).modell).Gemischt());
    EXPECT_EQ(Attr(d, L"buch", L"id").typ, DTD::T_ID);
    EXPECT_EQ(Attr(d, L"buch", L"sprache").typ, DTD::T_AUFZAEHLUNG);  // the first binds
    EXPECT_EQ(Attr(d, L"buch", L"sprache").wert, L"de");
    EXPECT_EQ(Attr(d, L"buch", L"version").vorgabe, DTD::V_FEST);
    EXPECT_EQ(Attr(d, L"buch", L"art").werte.size(), 2u);
    EXPECT_EQ(Attr(d, L"buch", L"neu").wert, L"a b");  // normalised as NMTOKENS
    EXPECT_EQ(Text(d, L"text"), L"Text & \u00a9 R");
    EXPECT_EQ(d.Entitaeten(d.Entitaet_von(d.Entitaetsname(L"bild"), false)).art, DTD::E_UNGEPARST);
    EXPECT_EQ(d.Entitaeten(d.Entitaet_von(d.Entitaetsname(L"kap"), false)).oeffentlich, L"-//X//Kapitel//DE");
    EXPECT_GE(d.Notation_von(Name(d, L"png")), 0);
    // A literal without references is used where it stands in the file.
    EXPECT_NE(d.Entitaeten(d.Entitaet_von(d.Entitaetsname(L"ref"), false)).literal, nullptr);
}

TEST(DTD, FaultyDeclarationsAreReported) {
    struct Fall {
        const wchar_t* subset;
        const char* ausgabe;
    };
    const Fall faelle[] = {
        {L"<!ELEMENT a (b,c|d)>]", "FEHLER: (Parser) ELEMENT, Fehlerhaftes Inhaltsmodell.\n" POS(1, 17)},
        {L"<!ELEMENT a (#PCDATA|b)>]", "FEHLER: (Parser) ELEMENT, Gemischter Inhalt muss mit ')*' enden.\n" POS(1, 24)},
        {L"<!ELEMENT a>]", "FEHLER: (Parser) ELEMENT, Leerraum erwartet.\n" POS(1, 12)},
        {L"<!ELEMENT a EMPTY\n<!ELEMENT b ANY>]",
         "FEHLER: (Parser) ELEMENT, Ende der Deklaration (>) erwartet.\n" POS(2, 2)},
        {L"<!ATTLIST a b CDATA>]",
         "FEHLER: (Parser) ATTLIST, Leerraum erwartet.\n" POS(1, 20)},
        {L"<!ATTLIST a b FOO #IMPLIED>]", "FEHLER: (Parser) ATTLIST, Attributtyp erwartet.\n" POS(1, 15)},
        {L"<!ATTLIST a b CDATA \"x<y\">]",
         "FEHLER: (Parser) ATTLIST, Das Zeichen '<' ist hier nicht erlaubt.\n" POS(1, 22)},
        {L"<!ATTLIST a b CDATA \"&nix;\">]",
         "FEHLER: (Parser) ATTLIST, Die Entität 'nix' ist nicht deklariert.\n" POS(1, 22)},
        {L"<!ENTITY a \"&#0;\">]", "FEHLER: (Parser) ENTITY, Ungültige Zeichenreferenz.\n" POS(1, 13)},
        {L"<!ENTITY a \"x & y\">]", "FEHLER: (Parser) ENTITY, Das Zeichen '&' ist hier nicht erlaubt.\n" POS(1, 15)},
        {L"<!ENTITY a \"unbeendet>]",
         "FEHLER: (Parser) ENTITY, Die Zeichenkette wird in dieser Entität nicht beendet.\n" POS(1, 12)},
        {L"<!ENTITY % p \"x\"><!ENTITY a \"%p;\">]",
         "FEHLER: (Parser) ENTITY, Parameter-Entity-Referenzen sind im internen Subset nur zwischen "
         "Deklarationen erlaubt.\n" POS(1, 30)},
        {L"<!ENTITY % p \"(a)\"><!ELEMENT x %p;>]",
         "FEHLER: (Parser) DTD, Parameter-Entity-Referenzen sind im internen Subset nur zwischen "
         "Deklarationen erlaubt.\n" POS(1, 32)},
        {L"<!ENTITY a PUBLIC \"{}\" \"x\">]",
         "FEHLER: (Parser) ENTITY, Ungültiges Zeichen im Public-Identifikator.\n" POS(1, 20)},
        {L"<!ENTITY a SYSTEM>]", "FEHLER: (Parser) ENTITY, Leerraum erwartet.\n" POS(1, 18)},
        {L"<!NOTATION n FOO \"x\">]",
         "FEHLER: (Parser) NOTATION, System- oder Public-Identifikator erwartet.\n" POS(1, 14)},
        {L"<!FOO x>]", "FEHLER: (Parser) DTD, Unbekannte Deklaration im DTD.\n" POS(1, 1)},
        {L"text]", "FEHLER: (Parser) DTD, Unerwartetes Zeichen im DTD.\n" POS(1, 1)},
        {L"<!-- a -- b -->]", "FEHLER: (Parser) Kommentar, Die Zeichenfolge '--' ist im Kommentar nicht erlaubt.\n" POS(1, 8)},
        {L"<?xml version='1.0'?>]",
         "FEHLER: (Parser) Verarbeitungsanweisung, Die Verarbeitungsanweisung 'xml' ist hier nicht erlaubt.\n" POS(1, 1)},
        {L"<![INCLUDE[ <!ELEMENT a ANY> ]]>]",
         "FEHLER: (Parser) Markierter Bereich, Bedingte Abschnitte sind nur im externen Subset erlaubt.\n" POS(1, 1)},
        {L"%nix;]", "FEHLER: (Parser) Entität, Die Parameter-Entität 'nix' ist nicht deklariert.\n" POS(1, 1)},
        {L"<!ENTITY % a '<!ELEMENT x'> %a; ANY>]",
         "FEHLER: (Parser) ELEMENT, Die Deklaration beginnt und endet nicht in derselben Entität.\n" POS(1, 15)},
    };
    for (const Fall& f : faelle) {
        DTD d;
        int ergebnis = 1;
        EXPECT_EQ(Intern(d, f.subset, false, &ergebnis), f.ausgabe) << testing::PrintToString(std::wstring(f.subset));
        EXPECT_EQ(ergebnis, 0);
    }
}

TEST(DTD, ValidityFaultsOnlyWhenValidating) {
    const wchar_t* subset = LR"(<!ELEMENT a (b|b)>
<!ELEMENT a EMPTY>
<!ATTLIST a i ID "x" j ID #IMPLIED f (x|y) "z" n NOTATION (keine) #IMPLIED>
])";
    DTD ohne;
    EXPECT_EQ(Intern(ohne, subset),
              "WARNUNG: (Parser) ELEMENT, Das Inhaltsmodell von 'a' ist nicht deterministisch (mehrdeutig).\n" POS(1, 1));
    DTD mit;
    EXPECT_EQ(Intern(mit, subset, true),
              "FEHLER: (Parser) ELEMENT, Das Inhaltsmodell von 'a' ist nicht deterministisch (mehrdeutig).\n" POS(1, 1)
              "FEHLER: (Parser) ELEMENT, Das Element 'a' ist mehrfach deklariert.\n" POS(2, 2)
              "FEHLER: (Parser) ATTLIST, Ein ID-Attribut braucht #IMPLIED oder #REQUIRED.\n" POS(3, 14)
              "FEHLER: (Parser) ATTLIST, Das Element hat schon ein Attribut vom Typ ID.\n" POS(3, 23)
              "FEHLER: (Parser) ATTLIST, Der Vorgabewert des Attributs 'f' passt nicht zu seinem Typ.\n" POS(3, 46)
              "FEHLER: (Parser) ATTLIST, Die Notation 'keine' ist nicht deklariert.\n" POS(3, 49));
}

TEST(DTD, ContentIsMatchedAgainstTheModels) {
    DTD d(false, true);  // SGML names: folded
    // The SGML reader comes later; the models are built here as it will build them.
    auto modell = [&](const wchar_t* element, auto bauen) {
        auto m = std::make_unique<MODELL>();
        const int wurzel = bauen(*m);
        ASSERT_TRUE(m->Uebersetzen(wurzel));
        d.Element_deklarieren(d.Name_aufnehmen(element), DTD::MODELLIERT, std::move(m), nullptr, nullptr);
    };
    auto n = [&](const wchar_t* s) { return d.Name_aufnehmen(s); };
    // (a, (b | c)*, d?)
    modell(L"folge", [&](MODELL& m) {
        const int bc[] = {m.Blatt(n(L"b"), MODELL::EINMAL), m.Blatt(n(L"c"), MODELL::EINMAL)};
        const int k[] = {m.Blatt(n(L"a"), MODELL::EINMAL), m.Gruppe(MODELL::WAHL, bc, 2, MODELL::STERN),
                         m.Blatt(n(L"d"), MODELL::OPTIONAL)};
        return m.Gruppe(MODELL::FOLGE, k, 3, MODELL::EINMAL);
    });
    // (a & b? & c+), then d
    modell(L"und", [&](MODELL& m) {
        const int u[] = {m.Blatt(n(L"a"), MODELL::EINMAL), m.Blatt(n(L"b"), MODELL::OPTIONAL),
                         m.Blatt(n(L"c"), MODELL::PLUS)};
        const int k[] = {m.Gruppe(MODELL::UND, u, 3, MODELL::EINMAL), m.Blatt(n(L"d"), MODELL::EINMAL)};
        return m.Gruppe(MODELL::FOLGE, k, 2, MODELL::EINMAL);
    });
    // (a & b)*
    modell(L"undstern", [&](MODELL& m) {
        const int u[] = {m.Blatt(n(L"a"), MODELL::EINMAL), m.Blatt(n(L"b"), MODELL::EINMAL)};
        return m.Gruppe(MODELL::UND, u, 2, MODELL::STERN);
    });
    d.Element_deklarieren(n(L"leer"), DTD::LEER, nullptr, nullptr, nullptr);
    struct Fall {
        const wchar_t* element;
        std::vector<const wchar_t*> kinder;
        bool text;
        MODELL::Grund grund;
        int stelle;
    };
    const Fall faelle[] = {
        {L"FOLGE", {L"a", L"b", L"c", L"b", L"d"}, false, MODELL::PASST, -1},
        {L"folge", {L"a"}, false, MODELL::PASST, -1},
        {L"folge", {L"a", L"d", L"b"}, false, MODELL::NICHT_ERLAUBT, 2},
        {L"folge", {L"b"}, false, MODELL::NICHT_ERLAUBT, 0},
        {L"folge", {}, false, MODELL::UNVOLLSTAENDIG, 0},
        {L"folge", {L"a", L"x"}, false, MODELL::NICHT_ERLAUBT, 1},
        {L"folge", {L"a"}, true, MODELL::TEXT_VERBOTEN, -1},
        {L"und", {L"c", L"c", L"a", L"d"}, false, MODELL::PASST, -1},
        {L"und", {L"c", L"a", L"c", L"d"}, false, MODELL::NICHT_ERLAUBT, 2},  // c+ is one member: one run
        {L"und", {L"b", L"c", L"a", L"d"}, false, MODELL::PASST, -1},
        {L"und", {L"a", L"c", L"a", L"d"}, false, MODELL::NICHT_ERLAUBT, 2},  // a twice
        {L"und", {L"c", L"c", L"a", L"b", L"c", L"d"}, false, MODELL::NICHT_ERLAUBT, 4},  // c+ left once
        {L"und", {L"a", L"d"}, false, MODELL::NICHT_ERLAUBT, 1},  // c missing
        {L"und", {L"a", L"c"}, false, MODELL::UNVOLLSTAENDIG, 2},
        {L"undstern", {L"b", L"a", L"a", L"b", L"b", L"a"}, false, MODELL::PASST, -1},
        {L"undstern", {L"a", L"b", L"a"}, false, MODELL::UNVOLLSTAENDIG, 3},
        {L"leer", {}, true, MODELL::TEXT_VERBOTEN, -1},
        {L"leer", {L"a"}, false, MODELL::NICHT_ERLAUBT, 0},
        {L"nie", {}, false, MODELL::UNDEKLARIERT, -1},
    };
    for (const Fall& f : faelle) {
        std::vector<int> kinder;
        for (const wchar_t* k : f.kinder) kinder.push_back(d.Name(k));
        const MODELL::Befund b = d.Inhalt_pruefen(d.Name(f.element), kinder.data(), static_cast<int>(kinder.size()), f.text);
        EXPECT_EQ(b.grund, f.grund) << testing::PrintToString(std::wstring(f.element)) << " " << kinder.size();
        EXPECT_EQ(b.stelle, f.stelle) << testing::PrintToString(std::wstring(f.element)) << " " << kinder.size();
    }
    // An ambiguous & group: a? & a
    MODELL m;
    const int u[] = {m.Blatt(n(L"a"), MODELL::OPTIONAL), m.Blatt(n(L"a"), MODELL::EINMAL)};
    ASSERT_TRUE(m.Uebersetzen(m.Gruppe(MODELL::UND, u, 2, MODELL::EINMAL)));
    EXPECT_TRUE(m.Mehrdeutig());
}

TEST(DTD, DefaultsNormalisationValuesAndIds) {
    DTD d;
    EXPECT_EQ(Intern(d, LR"(<!ENTITY nl "&#10;"> <!ENTITY tab "	">
<!ATTLIST p a CDATA "x&#10;y&tab;z&nl;"  b NMTOKENS " 1
  2 "  c CDATA #FIXED "f"  d (u|v) #REQUIRED  e CDATA #IMPLIED  g ENTITY #IMPLIED>
<!ENTITY bild SYSTEM "b.png" NDATA png>
])"),
              "");
    const int p = Name(d, L"p");
    // A character reference keeps its line feed; one in an entity's text
    // is a line feed of that text by then, and becomes a blank.
    EXPECT_EQ(Attr(d, L"p", L"a").wert, L"x\ny z ");
    EXPECT_EQ(Attr(d, L"p", L"b").wert, L"1 2");
    std::vector<int> out;
    const int gegeben[] = {Name(d, L"b"), Name(d, L"e")};
    d.Vorgaben(p, gegeben, 2, out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(d.Attribute(out[0]).wert, L"x\ny z ");
    EXPECT_EQ(d.Attribute(out[1]).wert, L"f");
    d.Pflicht_fehlt(p, gegeben, 2, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(d.Text(d.Attribute(out[0]).name), L"d");

    struct Norm {
        const wchar_t* roh;
        bool cdata;
        const wchar_t* ergebnis;
    };
    for (const Norm& n : {Norm{L" a\r\n\tb  ", true, L" a  b  "}, Norm{L" a\r\n\tb  ", false, L"a b"},
                          Norm{L"\n\n", false, L""}}) {
        std::wstring w = n.roh;
        w.resize(DTD::Normalisieren(w.data(), w.size(), n.cdata));
        EXPECT_EQ(w, n.ergebnis);
    }
    auto wert = [&](const wchar_t* a, const wchar_t* v) { return d.Wert_pruefen(d.Attribut_von(p, Name(d, a)), v); };
    EXPECT_EQ(wert(L"d", L"u"), DTD::W_GUT);
    EXPECT_EQ(wert(L"d", L"w"), DTD::W_NICHT_IN_LISTE);
    EXPECT_EQ(wert(L"c", L"g"), DTD::W_NICHT_FEST);
    EXPECT_EQ(wert(L"b", L"1 2.x"), DTD::W_GUT);
    EXPECT_EQ(wert(L"b", L"1 $"), DTD::W_SYNTAX);
    EXPECT_EQ(wert(L"g", L"bild"), DTD::W_GUT);
    EXPECT_EQ(wert(L"g", L"nl"), DTD::W_KEINE_ENTITAET);

    IDMENGE ids;
    const wchar_t ort[] = L"abc";
    const wchar_t* erste = nullptr;
    EXPECT_TRUE(ids.ID(L"k1", ort));
    ids.Verweis(L"k2", ort + 1);
    ids.Verweis(L"k1", ort + 2);
    EXPECT_FALSE(ids.ID(L"k1", ort + 2, &erste));
    EXPECT_EQ(erste, ort);
    std::vector<IDMENGE::Offen> offen;
    ids.Offene(offen);
    ASSERT_EQ(offen.size(), 1u);
    EXPECT_EQ(offen[0].name, L"k2");
    EXPECT_EQ(offen[0].stelle, ort + 1);
}

TEST(DTD, EntityTextsAndTheirLimits) {
    DTD d;
    std::wstring lol = L"<!ENTITY lol0 \"lol\">\n";
    for (int i = 1; i <= 9; ++i) {
        lol += L"<!ENTITY lol" + std::to_wstring(i) + L" \"";
        for (int j = 0; j < 10; ++j) lol += L"&lol" + std::to_wstring(i - 1) + L";";
        lol += L"\">\n";
    }
    EXPECT_EQ(Intern(d, lol + LR"(<!ENTITY a "&b;"> <!ENTITY b "x&a;"> <!ENTITY m "<i>&amp;&lt;</i>">
<!ENTITY u "&nix;"> ])"),
              "");
    EXPECT_EQ(Text(d, L"lol2").size(), 300u);
    EXPECT_EQ(Text(d, L"m"), L"<i>&<</i>");
    EXPECT_TRUE(d.Entitaeten(d.Entitaet_von(d.Entitaetsname(L"m"), false)).hat_markup);
    Testtext t(L"&lol9; &a; &u;");
    struct Fall {
        const wchar_t* name;
        const char* ausgabe;
    };
    const Fall faelle[] = {
        {L"lol9", "FEHLER: (Parser) Entität, Die Ersetzung der Entität 'lol9' ist zu groß oder zu tief verschachtelt.\n" POS(1, 1)},
        {L"a", "FEHLER: (Parser) Entität, Die Entität 'a' verweist auf sich selbst (Rekursion).\n" POS(1, 1)},
        {L"u", "FEHLER: (Parser) Entität, Die Entität 'nix' ist nicht deklariert.\n" POS(1, 1)},
    };
    for (const Fall& f : faelle) {
        std::wstring_view text;
        int ergebnis = 1;
        const int e = d.Entitaet_von(d.Entitaetsname(f.name), false);
        EXPECT_EQ(Konsolenausgabe([&] { ergebnis = d.Entitaetstext(e, text, &t.buf, t.buf.text); }), f.ausgabe);
        EXPECT_EQ(ergebnis, 0);
    }
    // The sum of all expansions is bounded too.
    d.expansionsgrenze = d.Expandiert() + 100;
    EXPECT_EQ(Text(d, L"lol2"), L"<fehlt>");

    // Parameter entities: recursion between declarations and billion laughs.
    DTD p;
    std::wstring pe;
    for (int i = 0; i < 30; ++i)
        pe += L"<!ENTITY % q" + std::to_wstring(i + 1) + L" \"%q" + std::to_wstring(i) + L";%q" + std::to_wstring(i) + L";\">";
    Ordner o;
    o.Datei("rekursion.dtd", "<!ENTITY % r1 \"&#37;r2;\">\n<!ENTITY % r2 '&#37;r1;'>\n%r1;");
    o.Datei("lol.dtd", "<!ENTITY % q0 \"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\">\n<!ENTITY % q1 \"%q0;%q0;\">\n"
                       "<!ENTITY % q2 \"%q1;%q1;\">\n" + QUELLE::Schmal(pe.substr(pe.find(L"<!ENTITY % q3"))));
    EXPECT_EQ(Extern(p, o, "lol.dtd"),
              "FEHLER: (Parser) ENTITY, Die Entitätsersetzung ist zu groß oder zu tief verschachtelt.\n"
              "in Datei 'lol.dtd' Zeile=4, Zeichen=392.\n"
              "WARNUNG: (Parser) Entität, Die Parameter-Entität 'q17' ist nicht deklariert.\n"
              "in Datei 'lol.dtd' Zeile=4, Zeichen=415.\n"
              "WARNUNG: (Parser) Entität, Die Parameter-Entität 'q17' ist nicht deklariert.\n"
              "in Datei 'lol.dtd' Zeile=4, Zeichen=420.\n");
    // A text that refers to itself once it is read: directly, and through
    // another entity in an external file.
    DTD r;
    EXPECT_EQ(Extern(r, o, "rekursion.dtd", L"<!ENTITY % k '&#37;k;'> %k; ]"),
              "FEHLER: (Parser) Entität, Die Parameter-Entität 'k' verweist auf sich selbst (Rekursion).\n"
              "in Datei 'doc.xml' Zeile=1, Zeichen=25.\n"
              "FEHLER: (Parser) Entität, Die Parameter-Entität 'r1' verweist auf sich selbst (Rekursion).\n"
              "in Datei 'rekursion.dtd' Zeile=3, Zeichen=2.\n");
}

TEST(DTD, ExternalSubsetWithParameterEntitiesAndConditionalSections) {
    Ordner o;
    o.Datei("dtd/haupt.dtd", R"(<?xml version="1.0" encoding="UTF-8"?>
<!ENTITY % inline "em | code">
<!ENTITY % schalter "INCLUDE">
<!ENTITY % aus "IGNORE">
<!ELEMENT absatz (#PCDATA | %inline;)*>
<![ %schalter; [
  <!ELEMENT em (#PCDATA)>
  <![ %aus; [ <!ELEMENT em EMPTY> <![ INCLUDE [ nie gelesen ]]> ]]>
]]>
<![IGNORE[ <!ELEMENT code ANY> ]]>
<!ENTITY % mod SYSTEM "teile/mod.ent">
%mod;
<!ATTLIST absatz %attrs;>
<!ENTITY % kopf "<!ELEMENT kopf (%titel;)>">
<!ENTITY % titel "t">
%kopf;
<!ENTITY text "%inline;">
)");
    o.Datei("dtd/teile/mod.ent", "<?xml encoding=\"ISO-8859-1\"?>\n<!ENTITY % attrs 'id ID #IMPLIED r\xe4ume CDATA \"\xfc\"'>\n"
                                 "<!ENTITY % titel \"nie\">\n");
    // The internal subset comes first and binds: "inline" is taken from it.
    DTD d;
    EXPECT_EQ(Extern(d, o, "dtd/haupt.dtd", L"<!ENTITY % inline 'em|code|b'> ]"), "");
    MODELL::LAUF lauf;
    const MODELL& absatz = d.Modell(d.Elemente(d.Element(Name(d, L"absatz"))).modell);
    absatz.Start(lauf);
    EXPECT_TRUE(absatz.Schritt(lauf, Name(d, L"b")));
    EXPECT_EQ(d.Elemente(d.Element(Name(d, L"em"))).inhalt, DTD::MODELLIERT);
    EXPECT_LT(d.Element(Name(d, L"code")), 0);
    EXPECT_EQ(Attr(d, L"absatz", L"r\u00e4ume").wert, L"\u00fc");
    EXPECT_EQ(Text(d, L"text"), L"em|code|b");
    // A reference in an entity value is replaced when the value is declared,
    // by the declaration that binds then (the one from mod.ent).
    const MODELL& kopf = d.Modell(d.Elemente(d.Element(Name(d, L"kopf"))).modell);
    kopf.Start(lauf);
    EXPECT_TRUE(kopf.Schritt(lauf, Name(d, L"nie")));

    // Faults inside external text point into their file.
    o.Datei("kaputt.dtd", "<!ENTITY % a \"<!ELEMENT x\">\n%a; ANY>\n<![ INCLUDE [\n<!ELEMENT y ANY>\n");
    DTD k;
    EXPECT_EQ(Extern(k, o, "kaputt.dtd", L"]", true),
              "FEHLER: (Parser) ELEMENT, Die Deklaration beginnt und endet nicht in derselben Entität.\n"
              "in Datei 'kaputt.dtd' Zeile=1, Zeichen=15.\n"
              "FEHLER: (Parser) Markierter Bereich, Der bedingte Abschnitt wird in dieser Entität nicht beendet.\n"
              "in Datei 'kaputt.dtd' Zeile=5, Zeichen=2.\n");
}

TEST(DTD, IdentifiersResolveThroughCatalogsAndStayInAllowedFolders) {
    Ordner o;
    o.Datei("katalog/cat.xml", R"(<?xml version="1.0"?>
<!DOCTYPE catalog PUBLIC "-//OASIS//DTD XML Catalogs V1.0//EN" "http://www.oasis-open.org/committees/entity/release/1.0/catalog.dtd">
<catalog xmlns="urn:oasis:names:tc:entity:xmlns:xml:catalog" prefer="public">
  <public publicId="-//T//DTD Eins//DE" uri="eins.dtd"/>
  <group xml:base="sub/" prefer="system">
    <public publicId="-//T//DTD Zwei//DE" uri="zwei.dtd"/>
    <system systemId="http://example.org/drei.dtd" uri="drei.dtd"/>
  </group>
  <rewriteSystem systemIdStartString="http://example.org/re/" rewritePrefix="sub/"/>
  <systemSuffix systemIdSuffix="/vier.dtd" uri="sub/zwei.dtd"/>
  <delegatePublic publicIdStartString="-//D//" catalog="delegiert.cat"/>
  <nextCatalog catalog="fehlt.xml"/>
  <nextCatalog catalog="cat.xml"/><nextCatalog catalog="cat.xml"/><nextCatalog catalog="cat.xml"/>
</catalog>)");
    o.Datei("katalog/delegiert.cat", "-- an SGML open catalog --\nOVERRIDE YES\nPUBLIC \"-//D//DTD F\xc3\xbcnf//DE\" sub/zwei.dtd\n"
                                     "BASE sub/ PUBLIC '-//D//DTD Sechs//DE' drei.dtd\n");
    o.Datei("katalog/eins.dtd", "<!ELEMENT eins EMPTY>");
    o.Datei("katalog/sub/zwei.dtd", "<!ELEMENT zwei EMPTY>");
    o.Datei("katalog/sub/drei.dtd", "<!ELEMENT drei EMPTY>");
    o.Datei("katalog/sub/re.dtd", "<!ELEMENT re EMPTY>");
    o.Datei("lokal.dtd", "<!ENTITY % weg SYSTEM '../ausserhalb.dtd'> %weg; <!ELEMENT lokal EMPTY>");
    setenv("XML_CATALOG_FILES", (o.pfad / "katalog/cat.xml").c_str(), 1);
    KATALOG k("XML_CATALOG_FILES", L"", L' ');
    unsetenv("XML_CATALOG_FILES");
    struct Fall {
        const wchar_t* pub;
        const char* sys;
        const wchar_t* element;
        const char* ausgabe;
    };
    const Fall faelle[] = {
        {L"-//T//DTD  Eins//DE", "", L"eins", ""},
        {L"-//T//DTD Eins//DE", "http://example.org/drei.dtd", L"drei", ""},  // system first
        // prefer="system": the system identifier is used; the next catalog is
        // read on the way, and the local DTD may not climb out of the folder.
        {L"-//T//DTD Zwei//DE", "lokal.dtd", L"lokal",
         "WARNUNG: (Parser) Der Katalog 'katalog/fehlt.xml' konnte nicht gelesen werden.\n"
         "WARNUNG: (Parser) Die Datei '/tmp/ausserhalb.dtd' liegt außerhalb der Ordner, die gelesen werden dürfen.\n"
         "in Datei 'lokal.dtd' Zeile=1, Zeichen=44.\n"},
        {L"-//T//DTD Zwei//DE", "", L"zwei", ""},
        {L"", "http://example.org/re/re.dtd", L"re", ""},
        {L"", "https://x.org/a/vier.dtd", L"zwei", ""},
        {L"-//D//DTD F\u00fcnf//DE", "", L"zwei", ""},
        {L"urn:publicid:-:D:DTD+Sechs:DE", "", L"drei", ""},
        {L"", "http://example.org/sonst.dtd", nullptr,
         "WARNUNG: (Parser) Die externe Ressource 'http://example.org/sonst.dtd' wird nicht aus dem Netz geladen.\n"},
        {L"-//T//Unbekannt//DE", "", nullptr,
         "WARNUNG: (Parser) Der Public-Identifikator '-//T//Unbekannt//DE' ist in keinem Katalog verzeichnet.\n"},
        {L"", "fehlt.dtd", nullptr, "WARNUNG: (Parser) Die Datei 'fehlt.dtd' wurde nicht gefunden.\n"},
        {L"", "/etc/passwd", nullptr,
         "WARNUNG: (Parser) Die Datei '/etc/passwd' liegt außerhalb der Ordner, die gelesen werden dürfen.\n"},
    };
    for (const Fall& f : faelle) {
        DTD d;
        EXPECT_EQ(Extern(d, o, f.sys, L"]", false, &k, f.pub), f.ausgabe) << f.sys;
        if (f.element != nullptr) {
            EXPECT_GE(d.Element(Name(d, f.element)), 0) << f.sys;
        }
    }
}

TEST(DTD, SgmlCatalogsOfTheSystem) {
    if (!fs::exists("/etc/sgml/catalog")) GTEST_SKIP() << "no SGML catalogs installed";
    unsetenv("SGML_CATALOG_FILES");
    auto k = KATALOG::Sgml();
    std::wstring ziel;
    EXPECT_TRUE(k->Extern(L"-//OASIS//DTD DocBook XML V4.5//EN", L"", ziel));
    EXPECT_EQ(ziel, L"/usr/share/xml/docbook/schema/dtd/4.5/docbookx.dtd");
    EXPECT_TRUE(k->Extern(L"ISO 8879:1986//ENTITIES Added Latin 1//EN", L"", ziel));
    EXPECT_TRUE(fs::exists(QUELLE::Schmal(ziel)));
}

TEST(DTD, InstalledDocBookWithItsEntitySets) {
    if (!fs::exists("/usr/share/xml/docbook/schema/dtd/4.5/docbookx.dtd") || !fs::exists("/etc/xml/catalog"))
        GTEST_SKIP() << "DocBook XML 4.5 is not installed";
    unsetenv("XML_CATALOG_FILES");
    auto k = KATALOG::Xml();
    Testtext t(L"<!DOCTYPE book PUBLIC \"-//OASIS//DTD DocBook XML V4.5//EN\" "
               L"\"http://www.oasis-open.org/docbook/xml/4.5/docbookx.dtd\"><book/>");
    QUELLE q(k.get());
    q.Dokument(L"/tmp/t.xml");
    DTD d;
    DTDR r(&d, &q);
    r.validieren = true;
    const auto anfang = std::chrono::steady_clock::now();
    EXPECT_EQ(Konsolenausgabe([&] {
                  EXPECT_EQ(r.Extern(L"-//OASIS//DTD DocBook XML V4.5//EN",
                                     L"http://www.oasis-open.org/docbook/xml/4.5/docbookx.dtd", &t.buf, t.buf.text),
                            1);
                  EXPECT_EQ(r.Abschliessen(), 1);
              }),
              "");
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - anfang).count();
    std::printf("DocBook XML 4.5 read in %.1f ms: %d elements, %d attributes, %d entities\n", ms, d.Elementzahl(),
                d.Attributzahl(), d.Entitaetszahl());
    EXPECT_GT(d.Elementzahl(), 350);
    EXPECT_EQ(Text(d, L"mdash"), L"\u2014");
    EXPECT_EQ(Text(d, L"nbsp"), L"\u00a0");
    EXPECT_EQ(Text(d, L"trade"), L"\u2122");
    // A book: title first, then chapters.
    const int kinder[] = {Name(d, L"title"), Name(d, L"chapter"), Name(d, L"chapter")};
    EXPECT_EQ(d.Inhalt_pruefen(Name(d, L"book"), kinder, 3, false).grund, MODELL::PASST);
    const int falsch[] = {Name(d, L"listitem"), Name(d, L"title")};
    const MODELL::Befund b = d.Inhalt_pruefen(Name(d, L"itemizedlist"), falsch, 2, false);
    EXPECT_EQ(b.grund, MODELL::NICHT_ERLAUBT);
    EXPECT_EQ(b.stelle, 1);
    EXPECT_EQ(d.Text(b.erwartet), L"listitem");
}

TEST(DTD, ThousandDeclarationsReadQuickly) {
    std::wstring subset;
    for (int i = 0; i < 250; ++i) {
        const std::wstring n = std::to_wstring(i);
        subset += L"<!ELEMENT e" + n + L" (#PCDATA | e" + std::to_wstring((i + 1) % 250) + L")*>\n";
        subset += L"<!ATTLIST e" + n + L" a" + n + L" CDATA \"v" + n + L"\" b (x|y) \"x\">\n";
        subset += L"<!ENTITY t" + n + L" \"Text " + n + L"\">\n<!ENTITY % p" + n + L" \"x\">\n";
    }
    DTD d;
    const auto anfang = std::chrono::steady_clock::now();
    EXPECT_EQ(Intern(d, subset + L"]"), "");
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - anfang).count();
    std::printf("1,000 declarations read in %.2f ms\n", ms);
    EXPECT_EQ(d.Elementzahl(), 250);
    EXPECT_EQ(d.Attributzahl(), 500);
    std::vector<int> vorgaben;
    d.Vorgaben(Name(d, L"e7"), nullptr, 0, vorgaben);
    EXPECT_EQ(vorgaben.size(), 2u);
}

}  // namespace
