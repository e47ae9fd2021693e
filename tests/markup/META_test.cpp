// The item store on its own: numbering, growth, deletion and the kind
// predicates the conversion asks.
#include "markup/META.h"

#include <gtest/gtest.h>

#include "Testtext.h"
#include "base/NAMEN.h"

namespace {

TEST(META, NumbersItemsFromOneAndGrowsInSteps) {
    META m;
    wchar_t text[] = L"abc";
    ASSERT_EQ(m.Init(0, nullptr), 1);
    EXPECT_EQ(m.Kapazitaet(), 1);
    ASSERT_EQ(m.Init(2, nullptr), 1);
    for (int i = 1; i <= 70000; ++i) ASSERT_EQ(m.AddItem(META_DATA, text, text + 3, 1, i, 0), i);
    EXPECT_EQ(m.Kapazitaet(), 2 + 2 * META::WACHSTUM);
    EXPECT_EQ(m.Item(69999).value, 70000);
    EXPECT_EQ(m.Item(2).link, 0);
    // A new Init empties the store.
    ASSERT_EQ(m.Init(5, nullptr), 1);
    EXPECT_EQ(m.Anzahl(), 0);
}

TEST(META, RefusesImpossibleSizes) {
    META m;
    const std::string aus = Konsolenausgabe([&] { EXPECT_EQ(m.Init(-1, nullptr), 0); });
    EXPECT_EQ(aus,
              "FEHLER: (Interpreter) Interner Speicherverwaltungsfehler (M0I0S0N). Bitte mit Beispiel an den "
              "Entwickler melden.\n");
    const std::string voll = Konsolenausgabe([&] { EXPECT_EQ(m.AddItem(META_DATA, nullptr, nullptr, 0, 0, 0), 0); });
    EXPECT_EQ(voll,
              "FEHLER: (Interpreter) Interner Speicherverwaltungsfehler (M0A0M). Bitte mit Beispiel an den "
              "Entwickler melden.\n");
}

TEST(META, DeletedItemsKeepTheirPlace) {
    META m;
    wchar_t text[] = L"ab";
    m.Init(4, nullptr);
    m.AddItem(META_DATA, text, text + 1, 1, 0, 0);
    m.AddItem(META_DATA, text + 1, text + 2, 1, 0, 0);
    META::metaitem* r = m.delete_item(0);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->start, nullptr);
    EXPECT_EQ(m.Anzahl(), 2);
    EXPECT_EQ(m.Item(1).start, text + 1);
    EXPECT_EQ(m.delete_item(2), nullptr);
    EXPECT_EQ(m.delete_item(-1), nullptr);
}

TEST(META, KindPredicates) {
    META m;
    m.Init(16, nullptr);
    const METAtypeItems arten[] = {META_STARTTAG,  META_ATTR_NAME, META_ATTR_DATA, META_ATTR_CREF,
                                   META_ATTR_NREF, META_ATTR_GREF, META_DATA,      META_DATA_CREF,
                                   META_DATA_NREF, META_DATA_GREF, META_ENDTAG,    META_DOCTYPE_NAME,
                                   META_ENTITY_NAME};
    for (METAtypeItems a : arten) m.AddItem(a, nullptr, nullptr, 0, 0, 0);
    auto welche = [&](bool (META::*frage)(int) const) {
        std::vector<int> v;
        for (int i = -1; i <= m.Anzahl(); ++i)
            if ((m.*frage)(i)) v.push_back(i);
        return v;
    };
    using V = std::vector<int>;
    EXPECT_EQ(welche(&META::IPR_is_c), (V{2, 6}));
    EXPECT_EQ(welche(&META::IPR_is_cref), (V{3, 7}));
    EXPECT_EQ(welche(&META::IPR_is_nref), (V{4, 8}));
    EXPECT_EQ(welche(&META::IPR_is_gref), (V{5, 9}));
    EXPECT_EQ(welche(&META::IPR_is_data), (V{6, 7, 8, 9}));
    EXPECT_EQ(welche(&META::IPR_is_attr_data), (V{2, 3, 4, 5}));
    EXPECT_EQ(welche(&META::IPR_is_data_c), (V{6}));
    EXPECT_EQ(welche(&META::IPR_is_data_cref), (V{7}));
    EXPECT_EQ(welche(&META::IPR_is_data_nref), (V{8}));
    EXPECT_EQ(welche(&META::IPR_is_data_gref), (V{9}));
    EXPECT_EQ(welche(&META::IPR_is_attr_c), (V{2}));
    EXPECT_EQ(welche(&META::IPR_is_attr_cref), (V{3}));
    EXPECT_EQ(welche(&META::IPR_is_attr_nref), (V{4}));
    EXPECT_EQ(welche(&META::IPR_is_attr_gref), (V{5}));
    EXPECT_EQ(welche(&META::IPR_is_base_element), (V{11}));
    EXPECT_EQ(welche(&META::IPR_is_entity_def), (V{12}));
    // No "/>" before the next tag, and no item after the last one.
    EXPECT_FALSE(m.IPR_is_XML_Empty_Element(0));
    EXPECT_FALSE(m.IPR_is_XML_Empty_Element(12));
}

// Texts that the document does not hold: copies that never move while the
// store grows its arena, terminated twice (so that terminating an item in
// place leaves them intact), told apart from the document's own text; and
// the names a reader hands over are the ones the store would look up.
TEST(META, ArenaTextsStayPutAndLieOutsideTheDocument) {
    META m;
    wchar_t text[] = L"<a b=''>";
    ASSERT_EQ(m.Init(4, nullptr), 1);
    m.Dokumenttext(text, text + 8);
    std::vector<std::pair<wchar_t*, std::wstring>> abgelegt;
    for (int i = 0; i < 5000; ++i) {
        const std::wstring t(static_cast<std::size_t>(i % 97), static_cast<wchar_t>(L'a' + i % 26));
        abgelegt.emplace_back(m.Ablegen(t.data(), t.size()), t);
    }
    const std::wstring gross(200000, L'g');  // larger than a block
    wchar_t* g = m.Ablegen(gross.data(), gross.size());
    for (const auto& [p, t] : abgelegt) {
        ASSERT_EQ(std::wstring(p), t);
        EXPECT_EQ(p[t.size() + 1], 0);
    }
    EXPECT_EQ(std::wstring(g), gross);
    const int tag = m.AddItem(META_STARTTAG, text + 1, text + 2, 0, 1, 0);
    m.Name_mitteilen(Namenstabelle().Nummer(L"a"));
    m.AddItem(META_ATTR_NAME, text + 3, text + 4, 0, 0, 0);
    wchar_t* vorgabe = m.Ablegen(L"c", 1);
    m.AddItem(META_ATTR_NAME, vorgabe, vorgabe + 1, 0, 0, 0);
    m.Name_mitteilen(Namenstabelle().Nummer(L"c"));
    EXPECT_TRUE(m.Im_Dokument(tag - 1));
    EXPECT_FALSE(m.Im_Dokument(2));
    EXPECT_FALSE(m.Im_Dokument(abgelegt.front().first));
    EXPECT_EQ(m.Tagname(0), Namenstabelle().Nummer(L"a"));
    EXPECT_EQ(m.Attributname(1), Namenstabelle().Nummer(L"b"));
    EXPECT_EQ(m.Attributname(2), Namenstabelle().Nummer(L"c"));
}

}  // namespace
