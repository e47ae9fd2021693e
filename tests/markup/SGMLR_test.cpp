// The document reader: what it records in the item store for each kind of
// construct, with levels, sibling numbers, links and texts.
#include "markup/SGMLR.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Testtext.h"
#include "script/BASIC.h"

namespace {

struct Item {
    METAtypeItems kind;
    std::wstring text;
    int level;
    int value;
    int link;
    bool operator==(const Item&) const = default;
};

void PrintTo(const Item& i, std::ostream* os) {
    *os << std::hex << "{0x" << i.kind << std::dec << ", " << testing::PrintToString(i.text) << ", " << i.level
        << ", " << i.value << ", " << i.link << "}";
}

std::vector<Item> Items(const META& m) {
    std::vector<Item> v;
    for (int i = 0; i < m.Anzahl(); ++i) {
        const META::metaitem& r = m.Item(i);
        EXPECT_EQ(r.spare, 0u);
        v.push_back({r.kind, std::wstring(r.start, r.end), r.level, r.value, r.link});
    }
    return v;
}

// Reads a document; the store and its buffer stay alive with the object.
struct Gelesen {
    explicit Gelesen(std::wstring text, BASIC* script = nullptr, bool xml = true) : t(std::move(text)) {
        d.xml = xml;
        d.sgml = !xml;
        d.namecase = !xml;
        SGMLR leser(&t.buf, script, &m, &d);
        ausgabe = Konsolenausgabe([&] { ergebnis = leser.document(); });
        kapazitaet = m.Kapazitaet();
    }
    Testtext t;
    DCL d;
    META m;
    int ergebnis = -1;
    int kapazitaet = 0;
    std::string ausgabe;
};

TEST(SGMLR, TagsAttributesAndReferences) {
    Gelesen g(L"<a x=\"1&amp;2&#65;\"><b>t&#x41;u&lt;v</b><c/><d y='\u00e4'/>z</a>");
    EXPECT_EQ(g.ergebnis, 1);
    EXPECT_EQ(g.ausgabe, "");
    const std::vector<Item> erwartet = {
        {META_STARTTAG, L"a", 0, 1, 0},
        {META_ATTR_NAME, L"x", 0, 0, 0},
        {META_ATTR_DATA, L"1", 0, 0, 0},
        {META_ATTR_GREF, L"amp", 0, 0, 0},
        {META_ATTR_DATA, L"2", 0, 0, 0},
        {META_ATTR_CREF, L"65", 0, 65, 0},
        {META_STARTTAG, L"b", 1, 1, 1},
        {META_DATA, L"t", 2, 0, 7},
        {META_DATA_CREF, L"x41", 2, 65, 7},
        {META_DATA, L"u", 2, 0, 7},
        {META_DATA_GREF, L"lt", 2, 0, 7},
        {META_DATA, L"v", 2, 0, 7},
        {META_ENDTAG, L"b", 1, 0, 1},
        {META_STARTTAG, L"c", 1, 2, 1},
        {META_EMPTYTAG_CLOSE, L"/", 0, 0, 1},
        // Attributes belong to the element's parent: its own start tag is
        // not current while they are read.
        {META_STARTTAG, L"d", 1, 3, 1},
        {META_ATTR_NAME, L"y", 1, 0, 1},
        {META_ATTR_DATA, L"\u00e4", 1, 0, 1},
        {META_EMPTYTAG_CLOSE, L"/", 0, 0, 1},
        {META_DATA, L"z", 1, 0, 1},
        {META_ENDTAG, L"a", 0, 0, 0},
    };
    EXPECT_EQ(Items(g.m), erwartet);
    EXPECT_TRUE(g.m.IPR_is_XML_Empty_Element(13));
    EXPECT_FALSE(g.m.IPR_is_XML_Empty_Element(6));
}

TEST(SGMLR, SiblingNumbersRestartInEachElement) {
    Gelesen g(L"<r><p/><p><i/><i/><i/></p><p>x</p></r>");
    ASSERT_EQ(g.ergebnis, 1);
    std::vector<Item> tags;
    for (const Item& i : Items(g.m))
        if (i.kind == META_STARTTAG || i.kind == META_ENDTAG) tags.push_back(i);
    const std::vector<Item> erwartet = {
        {META_STARTTAG, L"r", 0, 1, 0}, {META_STARTTAG, L"p", 1, 1, 1}, {META_STARTTAG, L"p", 1, 2, 1},
        {META_STARTTAG, L"i", 2, 1, 4}, {META_STARTTAG, L"i", 2, 2, 4}, {META_STARTTAG, L"i", 2, 3, 4},
        {META_ENDTAG, L"p", 1, 0, 1},   {META_STARTTAG, L"p", 1, 3, 1}, {META_ENDTAG, L"p", 1, 0, 1},
        {META_ENDTAG, L"r", 0, 0, 0},
    };
    EXPECT_EQ(tags, erwartet);
}

TEST(SGMLR, DeclarationsOfTheProlog) {
    Gelesen g(L"<?xml version='1.0'?><!DOCTYPE doc PUBLIC \"p\" \"s\" [\n"
              L"<!ENTITY e \"text &amp; more\">\n<!ENTITY g SYSTEM \"g.gif\" NDATA gif>\n"
              L"<!ENTITY h PUBLIC '-//H' 'h.gif' NDATA gif>\n]>\n<doc>&e;</doc>");
    EXPECT_EQ(g.ausgabe, "");
    ASSERT_EQ(g.ergebnis, 1);
    // The document's own identifiers and the internal entity's text are not recorded.
    const std::vector<Item> erwartet = {
        {META_DOCTYPE_NAME, L"doc", 0, 0, 0}, {META_ENTITY_NAME, L"e", 0, 0, 0},
        {META_ENTITY_NAME, L"g", 0, 0, 0},    {META_EXTERNAL_ID, L"g.gif", 0, 0, 0},
        {META_ENTITY_NAME, L"h", 0, 0, 0},    {META_EXTERNAL_ID, L"-//H", 0, 0, 0},
        {META_EXTERNAL_ID, L"h.gif", 0, 0, 0}, {META_STARTTAG, L"doc", 0, 1, 0},
        {META_DATA_GREF, L"e", 1, 0, 8},      {META_ENDTAG, L"doc", 0, 0, 0},
    };
    EXPECT_EQ(Items(g.m), erwartet);
    EXPECT_TRUE(g.m.IPR_is_base_element(0));
    EXPECT_TRUE(g.m.IPR_is_entity_def(1));
}

TEST(SGMLR, SectionsAndFunctionReferencesOfSgml) {
    Gelesen g(L"<a>&#RE;<![CDATA[<x>]]><![RCDATA[r&amp;&#TAB;]]><![IGNORE[i]]>e</a>", nullptr, false);
    EXPECT_EQ(g.ausgabe, "");
    ASSERT_EQ(g.ergebnis, 1);
    const std::vector<Item> erwartet = {
        {META_STARTTAG, L"a", 0, 1, 0}, {META_DATA_NREF, L"RE", 1, 13, 1}, {META_DATA, L"<x>", 1, 0, 1},
        {META_DATA, L"r", 1, 0, 1},     {META_DATA_GREF, L"amp", 1, 0, 1}, {META_DATA_NREF, L"TAB", 1, 9, 1},
        {META_DATA, L"e", 1, 0, 1},     {META_ENDTAG, L"a", 0, 0, 0},
    };
    EXPECT_EQ(Items(g.m), erwartet);
}

TEST(SGMLR, ElementsTheScriptDeclaresEmpty) {
    std::wstring namen = L"br";
    BASIC script;
    script.Init(4, false);
    script.AddItem(ITEM_ELEMENT, namen.data(), namen.data() + 2, 0, 0);
    script.AddItem(ITEM_MODEL, nullptr, nullptr, 0, MODEL_EMPTY);
    ASSERT_TRUE(script.Indexieren());

    Gelesen sgml(L"<p>a<br>b</p>", &script, false);
    EXPECT_EQ(sgml.ausgabe, "");
    ASSERT_EQ(sgml.ergebnis, 1);
    const std::vector<Item> erwartet = {
        {META_STARTTAG, L"p", 0, 1, 0}, {META_DATA, L"a", 1, 0, 1}, {META_STARTTAG, L"br", 1, 1, 1},
        {META_DATA, L"b", 1, 0, 1},     {META_ENDTAG, L"p", 0, 0, 0},
    };
    EXPECT_EQ(Items(sgml.m), erwartet);
    // In XML only "/>" makes an element empty.
    Gelesen xml(L"<p>a<br>b</p>", &script, true);
    EXPECT_EQ(xml.ergebnis, 0);
}

TEST(SGMLR, WarningLevelOfTheScript) {
    BASIC smart;
    smart.warning_level = WARNINGS_SMART;
    Gelesen g(L"<a>x & y</a>", &smart);
    EXPECT_EQ(g.ergebnis, 1);
    EXPECT_EQ(g.ausgabe, "WARNUNG: (Parser) Unzulässiges Zeichen gefunden (&).\nin Datei 't.xml' Zeile=1, Zeichen=7.\n");
    // The lone "&" stays in the text: a conversion must not lose it.
    const std::vector<Item> erwartet = {
        {META_STARTTAG, L"a", 0, 1, 0}, {META_DATA, L"x & y", 1, 0, 1}, {META_ENDTAG, L"a", 0, 0, 0}};
    EXPECT_EQ(Items(g.m), erwartet);

    BASIC streng;  // WARNINGS ALL, the default
    Gelesen h(L"<a>x & y</a>", &streng);
    EXPECT_EQ(h.ergebnis, 0);
}

TEST(SGMLR, CharacterCodesBeyondTheItemField) {
    Gelesen g(L"<a>&#2147483647;&#2147483648;&#x7FFFFFFF;&#x80000000;&#0000000000000065;</a>");
    EXPECT_EQ(g.ergebnis, 0);
    EXPECT_EQ(g.ausgabe,
              "FEHLER: (Parser) , Zeichenreferenz ist zu groß.\nin Datei 't.xml' Zeile=1, Zeichen=19.\n"
              "FEHLER: (Parser) , Hexadezimale Zeichenreferenz ist zu lang.\nin Datei 't.xml' Zeile=1, Zeichen=45.\n"
              "FEHLER: (Parser) Das Dokument enthält Fehler. Die Bearbeitung wurde abgebrochen. D239\n");
    std::vector<int> codes;
    for (const Item& i : Items(g.m))
        if (i.kind == META_DATA_CREF) codes.push_back(i.value);
    EXPECT_EQ(codes, (std::vector<int>{2147483647, 0, 2147483647, 0, 65}));

    const std::wstring ziffern(4096, L'1');
    Gelesen lang(L"<a>&#" + ziffern + L";&#x" + ziffern.substr(1) + L";</a>");
    EXPECT_EQ(lang.ausgabe,
              "FEHLER: (Parser) , Zeichenreferenz ist zu groß.\nin Datei 't.xml' Zeile=1, Zeichen=6.\n"
              "FEHLER: (Parser) , Hexadezimale Zeichenreferenz ist zu lang.\nin Datei 't.xml' Zeile=1, Zeichen=4106.\n"
              "FEHLER: (Parser) Das Dokument enthält Fehler. Die Bearbeitung wurde abgebrochen. D239\n");
}

TEST(SGMLR, StoreIsSizedFromTheText) {
    EXPECT_EQ(Gelesen(L"").kapazitaet, 1);
    EXPECT_EQ(Gelesen(std::wstring(1000, L' ') + L"<a/>").kapazitaet, 502);
    EXPECT_EQ(Gelesen(L"<a>" + std::wstring(100000, L'x') + L"</a>").kapazitaet, 25001);
    EXPECT_EQ(Gelesen(L"<a>" + std::wstring(6000000, L'x') + L"</a>").kapazitaet, 750000);
}

TEST(SGMLR, StoreGrowsBeyondItsFirstSize) {
    std::wstring text = L"<a>";
    for (int i = 0; i < 40000; ++i) text += L"<b/>";
    text += L"</a>";
    Gelesen g(text);
    ASSERT_EQ(g.ergebnis, 1);
    EXPECT_EQ(g.m.Anzahl(), 80002);
    EXPECT_EQ(g.m.Item(80000).kind, META_EMPTYTAG_CLOSE);
    EXPECT_EQ(g.m.Item(79999).value, 40000);
}

TEST(SGMLR, ClosingTheNamesTerminatesEveryItemText) {
    Testtext t(L"<a x='1'>text&e;</a>");
    DCL d;
    META m;
    {
        SGMLR leser(&t.buf, nullptr, &m, &d);
        ASSERT_EQ(leser.document(), 1);
        EXPECT_EQ(leser.Namen_Abschliessen(), 1);
    }
    std::vector<std::wstring> texte;
    for (int i = 0; i < m.Anzahl(); ++i) texte.emplace_back(m.Item(i).start);
    EXPECT_EQ(texte, (std::vector<std::wstring>{L"a", L"x", L"1", L"text", L"e", L"a"}));
}

TEST(SGMLR, DeepDocumentsKeepTheirLevels) {
    MitStapel(std::size_t{1} << 30, [] {
        Gelesen g(Verschachtelt(10000));
        ASSERT_EQ(g.ergebnis, 1);
        ASSERT_EQ(g.m.Anzahl(), 20001);
        EXPECT_EQ(g.m.Item(9999).level, 9999);      // innermost start tag
        EXPECT_EQ(g.m.Item(10000).level, 10000);    // its data
        EXPECT_EQ(g.m.Item(10000).link, 10000);
        EXPECT_EQ(g.m.Item(10001).level, 9999);     // its end tag
        EXPECT_EQ(g.m.Item(20000).level, 0);
    });
}

}  // namespace
