// The item-store queries of the conditions: relations of start tags against
// plain walks over the items (deleted items included), emptiness, and the
// text of attributes and content.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "../markup/Testtext.h"
#include "markup/DCL.h"
#include "markup/META.h"
#include "markup/SGMLR.h"

namespace {

struct Dokument {
    explicit Dokument(std::wstring text, bool namecase = false) : t(std::move(text)) {
        d.namecase = namecase;
        SGMLR leser(&t.buf, nullptr, &m, &d);
        ausgabe = Konsolenausgabe([&] { ergebnis = leser.document(); });
    }
    // Position of the n-th start tag (from 0) with that name.
    int tag(const wchar_t* name, int n = 0) const {
        for (int i = 0; i < m.Anzahl(); ++i)
            if (m.Item(i).kind == META_STARTTAG && m.Item(i).Text() == name && n-- == 0)
                return i;
        return -1;
    }
    Testtext t;
    DCL d;
    META m;
    int ergebnis = 0;
    std::string ausgabe;
};

// The relations written as the plain walks over the items.
struct Walk {
    const META& m;
    bool start(int i) const { return m.Item(i).kind == META_STARTTAG; }
    int level(int i) const { return m.Item(i).level; }
    bool named(int i, const wchar_t* n) const {
        const META::metaitem& r = m.Item(i);
        return r.start != nullptr && r.Text() == n;
    }
    int parent(int s) const {
        for (int j = s - 1; j >= 0; --j)
            if (start(j) && level(j) < level(s)) return j;
        return -1;
    }
    // Later (dir 1) or earlier (dir -1) siblings: the first, or the first named.
    int sibling(int s, int dir, const wchar_t* n, bool any) const {
        if (level(s) == 0) return -1;
        for (int j = s + dir; j >= 0 && j < m.Anzahl(); j += dir) {
            if (!start(j) || level(j) > level(s)) continue;
            if (level(j) < level(s)) return -1;
            if (named(j, n)) return j;
            if (!any) return -1;
        }
        return -1;
    }
    int ancestor(int s, const wchar_t* n) const {
        for (int p = parent(s); p >= 0; p = parent(p))
            if (named(p, n)) return p;
        return -1;
    }
    // Start tags named n after `from` and before the first start tag of
    // level <= lv; only those of level lv+1 with `child`.
    // The content: text and references up to the first tag or content item
    // at the element's level or above, "<" for a nested start tag.
    std::wstring content(int s) const {
        std::wstring t;
        for (int j = s + 1; j < m.Anzahl(); ++j) {
            const META::metaitem& r = m.Item(j);
            const bool tag = r.kind == META_STARTTAG || r.kind == META_ENDTAG;
            if ((tag || (r.kind & 0x400) != 0) && r.level <= level(s)) break;
            if (r.start == nullptr) continue;
            if (r.kind == META_STARTTAG) t += L' ';
            if (r.kind == META_DATA) t.append(r.Text());
        }
        return t;
    }
    int below(int from, int lv, const wchar_t* n, bool child) const {
        for (int j = from + 1; j < m.Anzahl(); ++j) {
            if (!start(j)) continue;
            if (level(j) <= lv) return -1;
            if ((!child || level(j) == lv + 1) && named(j, n)) return j;
        }
        return -1;
    }
};

// Random documents of a few names, queried while ever more items are
// deleted: every indexed answer must be the walk's.
TEST(Abfragen, IndexAnswersAsTheWalksDoWhileItemsAreDeleted) {
    std::mt19937 zufall(7);
    const wchar_t* namen[] = {L"a", L"b", L"c", L"fehlt"};
    for (int runde = 0; runde < 12; ++runde) {
        std::wstring text = L"<r>";
        std::vector<const wchar_t*> offen;
        for (int n = 0; n < 120; ++n) {
            const unsigned w = zufall() % 10;
            if (w < 4 && offen.size() < 5) {
                offen.push_back(namen[zufall() % 3]);
                text += std::wstring(L"<") + offen.back() + L">";
            } else if (w < 7 && !offen.empty()) {
                text += std::wstring(L"</") + offen.back() + L">";
                offen.pop_back();
            } else {
                text += L"t";
            }
        }
        for (; !offen.empty(); offen.pop_back()) text += std::wstring(L"</") + offen.back() + L">";
        Dokument dok(text + L"</r>");
        ASSERT_EQ(dok.ergebnis, 1) << dok.ausgabe;
        META& m = dok.m;
        Walk w{m};
        for (int loeschen = 0; loeschen < 4; ++loeschen) {
            for (int s = 0; s < m.Anzahl(); ++s) {
                if (!w.start(s)) continue;
                for (const wchar_t* n : namen) {
                    auto pruefe = [&](bool (META::*frage)(int*, const wchar_t*), int erwartet, const char* was) {
                        int i = s;
                        const bool ja = (m.*frage)(&i, n);
                        EXPECT_EQ(ja, erwartet >= 0) << was << " " << s;
                        EXPECT_EQ(i, ja ? erwartet : s) << was << " " << s;
                    };
                    const int p = w.parent(s);
                    pruefe(&META::IPR_if_in, p >= 0 && w.named(p, n) ? p : -1, "IN");
                    pruefe(&META::IPR_if_inx, w.ancestor(s, n), "INX");
                    pruefe(&META::IPR_if_before, w.sibling(s, 1, n, false), "BEFORE");
                    pruefe(&META::IPR_if_beforex, w.sibling(s, 1, n, true), "BEFOREX");
                    pruefe(&META::IPR_if_after, w.sibling(s, -1, n, false), "AFTER");
                    pruefe(&META::IPR_if_afterx, w.sibling(s, -1, n, true), "AFTERX");
                    // Iterating the ranges from one candidate to the next.
                    for (bool kind : {false, true}) {
                        int i = s, j = s;
                        for (;;) {
                            j = w.below(j, w.level(s), n, kind);
                            const bool ja = kind ? m.IPR_find_childelement(&i, w.level(s), n)
                                                 : m.IPR_find_subelement(&i, w.level(s), n);
                            ASSERT_EQ(ja, j >= 0) << s;
                            if (!ja) break;
                            ASSERT_EQ(i, j);
                        }
                    }
                }
                std::vector<wchar_t> text;
                m.Inhalt_lesen(s, 1, 1, text);
                EXPECT_EQ(std::wstring(text.data()), w.content(s)) << s;
                int naechster = -1;
                for (int j = s + 1; j < m.Anzahl() && naechster < 0; ++j)
                    if (w.start(j) && w.level(j) <= w.level(s)) naechster = j;
                EXPECT_EQ(m.IPR_if_last(s), w.level(s) == 0 || naechster < 0 || w.level(naechster) < w.level(s))
                    << s;
            }
            int i = -1, j = -1;
            for (;;) {
                for (j = j + 1; j < m.Anzahl() && !(w.start(j) && w.named(j, L"b")); ++j) {
                }
                const bool ja = m.IPR_find_element(&i, L"b");
                ASSERT_EQ(ja, j < m.Anzahl());
                if (!ja) break;
                ASSERT_EQ(i, j);
            }
            // Delete a few more start tags (with their attributes) and data.
            for (int k = 0; k < 6; ++k) m.delete_item(static_cast<int>(zufall() % m.Anzahl()));
        }
    }
}

TEST(Abfragen, RelationsWithMessagesNamesCaseAndTheRoot) {
    Dokument dok(L"<R><A x='1'/>t<B><C/></B>\n<a/></R>", true);
    ASSERT_EQ(dok.ergebnis, 1);
    META& m = dok.m;
    const int r = dok.tag(L"R"), a = dok.tag(L"A"), b = dok.tag(L"B"), c = dok.tag(L"C"), a2 = dok.tag(L"a");
    int i = c;
    EXPECT_TRUE(m.IPR_if_inx(&i, L"r"));  // names compared without regard to case
    EXPECT_EQ(i, r);
    i = a2;
    EXPECT_TRUE(m.IPR_if_afterx(&i, L"a"));
    EXPECT_EQ(i, a);
    // The root has no parent, ancestors or siblings, and is last.
    for (auto frage : {&META::IPR_if_in, &META::IPR_if_inx, &META::IPR_if_before, &META::IPR_if_beforex,
                       &META::IPR_if_after, &META::IPR_if_afterx}) {
        i = r;
        EXPECT_FALSE((m.*frage)(&i, L"R"));
    }
    EXPECT_TRUE(m.IPR_if_last(r));
    EXPECT_TRUE(m.IPR_if_first(a));
    EXPECT_FALSE(m.IPR_if_first(b));
    EXPECT_TRUE(m.IPR_if_last(a2));
    // From the attribute's items and the end tag: their element.
    i = a + 1;
    EXPECT_TRUE(m.IPR_find_starttag(&i));
    EXPECT_EQ(i, a);
    i = c + 2;  // </B>
    EXPECT_TRUE(m.IPR_find_context_element(&i));
    EXPECT_EQ(i, b);
    // Data after a nested element still belongs to the element around it.
    i = dok.tag(L"a") - 1;  // the line feed after </B>
    ASSERT_EQ(m.Item(i).kind, META_DATA);
    EXPECT_TRUE(m.IPR_find_starttag(&i));
    EXPECT_EQ(i, r);
    i = c;
    EXPECT_TRUE(m.IPR_find_starttag_context(&i, L"R"));
    EXPECT_EQ(i, r);
    i = a;
    EXPECT_TRUE(m.IPR_find_attrname(&i, L"X"));
    EXPECT_EQ(i, a + 1);
    // PARENT passes over earlier siblings to the parent.
    i = a2;
    EXPECT_TRUE(m.IPR_find_parentelement(&i, 1, L"r"));
    EXPECT_EQ(i, r);
    const std::string meldungen = Konsolenausgabe([&] {
        int j = a + 1;
        EXPECT_FALSE(m.IPR_if_in(&j, L"R"));
        EXPECT_FALSE(m.IPR_if_first(j));
        EXPECT_FALSE(m.IPR_if_last(j));
        EXPECT_FALSE(m.IPR_if_element(j, L"A"));
        j = -1;
        EXPECT_FALSE(m.IPR_if_inx(&j, L"R"));
        EXPECT_FALSE(m.IPR_if_empty(j));
    });
    EXPECT_EQ(meldungen,
              "FEHLER: (Interpreter) IN, Kein Starttag.\n"
              "FEHLER: (Interpreter) FIRST, Kein Starttag.\n"
              "FEHLER: (Interpreter) LAST, Kein Starttag.\n"
              "FEHLER: (Interpreter) Element, Kein Starttag.\n"
              "FEHLER: (Interpreter) INX, Kein passender Starttag gefunden.\n"
              "FEHLER: (Interpreter) EMPTY, Kein Starttag gefunden.\n");
}

TEST(Abfragen, EmptyElements) {
    Dokument dok(L"<r><a>\n</a><b/>text<c><d/></c><e>&x;</e><f>weg<g>weg</g></f><h></h></r>");
    ASSERT_EQ(dok.ergebnis, 1);
    META& m = dok.m;
    EXPECT_FALSE(m.IPR_if_empty(dok.tag(L"a")));  // a blank line is content
    EXPECT_TRUE(m.IPR_if_empty(dok.tag(L"b")));   // the text after it is not its own
    EXPECT_FALSE(m.IPR_if_empty(dok.tag(L"c")));
    EXPECT_TRUE(m.IPR_if_empty(dok.tag(L"d")));
    EXPECT_FALSE(m.IPR_if_empty(dok.tag(L"e")));
    EXPECT_TRUE(m.IPR_if_empty(dok.tag(L"h")));
    EXPECT_FALSE(m.IPR_if_empty(dok.tag(L"r")));
    // Content cut away (text, a child and all it holds) leaves f empty.
    const int f = dok.tag(L"f");
    for (int i = f + 1; m.Item(i).kind != META_ENDTAG || m.Item(i).level > m.Item(f).level; ++i) m.delete_item(i);
    EXPECT_TRUE(m.IPR_if_empty(f));
}

TEST(Abfragen, AttributeAndContentText) {
    Dokument dok(L"<!DOCTYPE r [<!ENTITY e 'x'>]><r><p v=\"a&e;b&#65;&#x42;\">1<i k='z'>2&e;</i>&#66;3</p><q/></r>");
    ASSERT_EQ(dok.ergebnis, 1) << dok.ausgabe;
    META& m = dok.m;
    const int p = dok.tag(L"p");
    wchar_t text[64];
    int v = p;
    ASSERT_TRUE(m.IPR_find_attrname(&v, L"v"));
    ASSERT_TRUE(m.Read_attribute_value(v + 1, text, 64, 1));
    EXPECT_STREQ(text, L"a&e;b&#65;&#x42;");
    ASSERT_TRUE(m.Read_attribute_value(v + 1, text, 64, 0));
    EXPECT_STREQ(text, L"a b  ");
    EXPECT_EQ(m.Attributwert_Laenge(v + 1, 1), 16u);
    ASSERT_TRUE(m.Read_content_value(p, text, 64, 0, 1));
    EXPECT_STREQ(text, L"12&e;&#66;3");
    ASSERT_TRUE(m.Read_content_value(p, text, 64, 1, 0));
    EXPECT_STREQ(text, L"1 2  3");  // the nested start tag reads as one space, its attribute adds nothing
    std::vector<wchar_t> gewachsen(3, L'x');
    m.Inhalt_lesen(p, 1, 0, gewachsen);
    EXPECT_STREQ(gewachsen.data(), L"1 2  3");
    ASSERT_TRUE(m.Read_content_value(dok.tag(L"q"), text, 64, 1, 1));
    EXPECT_STREQ(text, L"");
    int e = -1;
    EXPECT_TRUE(m.IPR_find_entity(&e, L"e"));
    EXPECT_EQ(m.Item(e).kind, META_ENTITY_NAME);
    // Deleted pieces give nothing; a result that would reach the capacity fails.
    m.delete_item(v + 1);
    ASSERT_TRUE(m.Read_attribute_value(v + 1, text, 64, 1));
    EXPECT_STREQ(text, L"&e;b&#65;&#x42;");
    const std::string meldungen = Konsolenausgabe([&] {
        EXPECT_FALSE(m.Read_attribute_value(v + 1, text, 15, 1));
        EXPECT_TRUE(m.Read_attribute_value(v + 1, text, 16, 1));
        EXPECT_FALSE(m.Read_content_value(p, text, 11, 0, 1));
    });
    EXPECT_EQ(meldungen,
              "FEHLER: (Interpreter) Attribut, Attributwert zu groß.\n"
              "FEHLER: (Interpreter) Content, Inhalt zu groß.\n");
}

}  // namespace
