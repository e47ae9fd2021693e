// The counters of COUNT and the search of the counted element against the
// walks that define them, while elements are deleted between the counts as
// CUT and DEL do.
#include <gtest/gtest.h>

#include <cwchar>
#include <random>
#include <vector>

#include "markup/DCL.h"
#include "markup/META.h"

namespace {

// Walking back to the parent: live start tags of the same level and name.
int Ebene_gezaehlt(const META& m, int item) {
    const int ebene = m.Item(item).level;
    int n = 0;
    for (int i = item; i >= 0; --i) {
        const META::metaitem& it = m.Item(i);
        if (it.kind != META_STARTTAG) continue;
        if (it.level < ebene) break;
        if (it.level == ebene && it.start != nullptr && std::wcscmp(it.start, m.Item(item).start) == 0) ++n;
    }
    return n;
}

int Dokument_gezaehlt(const META& m, int item) {
    int n = 0;
    for (int i = 0; i <= item; ++i) {
        const META::metaitem& it = m.Item(i);
        if (it.kind == META_STARTTAG && it.start != nullptr && std::wcscmp(it.start, m.Item(item).start) == 0) ++n;
    }
    return n;
}

// Up the parents: the item itself or the nearest live ancestor of the name.
int Vorfahr_gesucht(const META& m, int item, const wchar_t* name) {
    for (int p = item; p >= 0; p = m.Item(p).link - 1)
        if (m.Item(p).start != nullptr && std::wcscmp(m.Item(p).start, name) == 0) return p;
    return -1;
}

TEST(Zaehler, CountsStayExactWhileElementsAreDeleted) {
    static wchar_t namen[][3] = {L"p", L"li", L"x"};
    std::mt19937 zufall(7);
    META m;
    DCL dcl;
    m.Init(64, &dcl);
    // A random tree: start tags linked to their parent, end tags between.
    std::vector<int> offen;
    for (int k = 0; k < 3000; ++k) {
        if (!offen.empty() && (zufall() % 3 == 0 || offen.size() > 12)) {
            const int s = offen.back();
            offen.pop_back();
            m.AddItem(META_ENDTAG, m.Item(s).start, m.Item(s).end, m.Item(s).level, 0, m.Item(s).link);
            continue;
        }
        wchar_t* name = namen[zufall() % 3];
        const int eltern = offen.empty() ? 0 : offen.back() + 1;
        const int nummer = m.AddItem(META_STARTTAG, name, name + std::wcslen(name), static_cast<int>(offen.size()), 0,
                                     eltern);
        m.AddItem(META_DATA, name, name, static_cast<int>(offen.size()) + 1, 0, nummer);
        offen.push_back(nummer - 1);
    }
    std::vector<int> tags;
    for (int i = 0; i < m.Anzahl(); ++i)
        if (m.Item(i).kind == META_STARTTAG) tags.push_back(i);

    for (int runde = 0; runde < 4000; ++runde) {
        const int t = tags[zufall() % tags.size()];
        if (zufall() % 4 == 0) {
            m.delete_item(t);
            continue;
        }
        const wchar_t* name = namen[zufall() % 3];
        int gefunden = t;
        const int erwartet = Vorfahr_gesucht(m, t, name);
        ASSERT_EQ(m.IPR_if_ine(&gefunden, name), erwartet >= 0);
        if (erwartet >= 0) {
            ASSERT_EQ(gefunden, erwartet);
        }
        if (m.Item(t).start == nullptr) {
            EXPECT_EQ(m.IPR_count(t), 0);
            continue;
        }
        ASSERT_EQ(m.IPR_count(t), Ebene_gezaehlt(m, t)) << "Position " << t;
        ASSERT_EQ(m.IPR_count_doc(t), Dokument_gezaehlt(m, t)) << "Position " << t;
    }
}

TEST(Zaehler, TheItemOrItsNearestAncestorOfTheName) {
    static wchar_t a[] = L"a", b[] = L"b", B[] = L"B";
    META m;
    DCL dcl;
    m.Init(8, &dcl);
    m.AddItem(META_STARTTAG, a, a + 1, 0, 1, 0);   // 0
    m.AddItem(META_STARTTAG, b, b + 1, 1, 1, 1);   // 1
    m.AddItem(META_STARTTAG, a, a + 1, 2, 1, 2);   // 2
    m.AddItem(META_DATA, a, a, 3, 0, 3);           // 3
    int i = 3;
    EXPECT_TRUE(m.IPR_if_ine(&i, L"a"));
    EXPECT_EQ(i, 2);
    i = 2;
    EXPECT_TRUE(m.IPR_if_ine(&i, L"b"));
    EXPECT_EQ(i, 1);
    i = 2;
    EXPECT_FALSE(m.IPR_if_ine(&i, L"c"));
    EXPECT_EQ(i, 2);
    // Names without regard to case only when the declarations say so.
    i = 2;
    EXPECT_FALSE(m.IPR_if_ine(&i, B));
    dcl.namecase = 1;
    EXPECT_TRUE(m.IPR_if_ine(&i, B));
    EXPECT_EQ(m.IPR_count_doc(2), 2);
}

}  // namespace
