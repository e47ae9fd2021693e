// The SGML reader with DTD: what it records for elements whose tags the
// document leaves out, beside what it records for written ones (the trees
// themselves are compared with onsgmls by the end-to-end cases).
#include "markup/SDOK.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Testtext.h"
#include "markup/DCL.h"
#include "markup/SGMLR.h"

namespace {

struct Item {
    METAtypeItems kind;
    std::wstring text;
    int level;
    int value;
    int link;
    bool im_dokument;
    bool operator==(const Item&) const = default;
};

void PrintTo(const Item& i, std::ostream* os) {
    *os << std::hex << "{0x" << i.kind << std::dec << ", " << testing::PrintToString(i.text) << ", " << i.level
        << ", " << i.value << ", " << i.link << ", " << i.im_dokument << "}";
}

TEST(SDOK, InferredTagsAreItemsLikeWrittenOnes) {
    Testtext t(L"<!DOCTYPE d [\n"
               L"<!ELEMENT d - - (t, p+)>\n"
               L"<!ELEMENT t o o (#PCDATA)>\n"
               L"<!ELEMENT p - o (#PCDATA | br)*>\n"
               L"<!ELEMENT br - o EMPTY>\n"
               L"<!ATTLIST p a (x | y) x>\n"
               L"]>\n"
               L"<d>Titel\n<p>eins<br>zwei\n<p y>drei</d>\n");
    DCL dcl;
    dcl.xml = 0;
    dcl.sgml = 1;
    dcl.namecase = 1;
    META meta;
    int ergebnis = 0;
    const std::string ausgabe = Konsolenausgabe([&] {
        SDOK leser(&t.buf, nullptr, &meta, &dcl);
        ASSERT_EQ(leser.Prolog(), SDOK::MIT_DTD);
        ergebnis = leser.Instanz();
        SGMLR::Texte_abschliessen(&meta, &t.buf);
    });
    EXPECT_EQ(ergebnis, 1);
    EXPECT_EQ(ausgabe, "");
    std::vector<Item> ist;
    for (int i = 0; i < meta.Anzahl(); ++i) {
        const META::metaitem& r = meta.Item(i);
        ist.push_back({r.kind, std::wstring(r.start), r.level, r.value, r.link, meta.Im_Dokument(i)});
    }
    // Names folded in the text; the implied tags and the defaulted
    // attribute in the arena; sibling numbers and links as written tags
    // have them; EMPTY ends with an empty-tag close; the record ends after
    // "Titel" and "zwei" are the last of their elements: no data.
    const std::vector<Item> soll = {
        {META_DOCTYPE_NAME, L"D", 0, 0, 0, true},
        {META_STARTTAG, L"D", 0, 1, 0, true},
        {META_STARTTAG, L"T", 1, 1, 2, false},
        {META_DATA, L"Titel", 2, 0, 3, true},
        {META_ENDTAG, L"T", 1, 0, 2, false},
        {META_STARTTAG, L"P", 1, 2, 2, true},
        {META_ATTR_NAME, L"A", 1, 0, 2, false},
        {META_ATTR_DATA, L"X", 1, 0, 2, false},
        {META_DATA, L"eins", 2, 0, 6, true},
        {META_STARTTAG, L"BR", 2, 1, 6, true},
        {META_EMPTYTAG_CLOSE, L"", 0, 0, 6, true},
        {META_DATA, L"zwei", 2, 0, 6, true},
        {META_ENDTAG, L"P", 1, 0, 2, false},
        {META_STARTTAG, L"P", 1, 3, 2, true},
        {META_ATTR_NAME, L"A", 1, 0, 2, false},
        {META_ATTR_DATA, L"Y", 1, 0, 2, true},
        {META_DATA, L"drei", 2, 0, 14, true},
        {META_ENDTAG, L"P", 1, 0, 2, false},
        {META_ENDTAG, L"D", 0, 0, 0, true},
    };
    EXPECT_EQ(ist, soll);
}

TEST(SDOK, WithoutElementDeclarationsTheOldReaderReads) {
    Testtext t(L"<!DOCTYPE d [<!ENTITY e \"x\">]><d>&e;</d>");
    DCL dcl;
    dcl.xml = 0;
    dcl.sgml = 1;
    META meta;
    SDOK leser(&t.buf, nullptr, &meta, &dcl);
    EXPECT_EQ(Konsolenausgabe([&] { EXPECT_EQ(leser.Prolog(), SDOK::OHNE_DTD); }), "");
    EXPECT_EQ(t.text, L"<!DOCTYPE d [<!ENTITY e \"x\">]><d>&e;</d>");
}

}  // namespace
