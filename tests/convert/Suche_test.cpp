// The search that FIND shares with COPY, CUT and DEL, read from compiled
// scripts and run on parsed documents; numbers with units.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../textio/Testdatei.h"
#include "convert/CNV.h"
#include "script/IPR.h"

namespace {

using testdatei::breit;
using testdatei::konsole;

// A script activated and a document read, as a conversion run has them.
class Suche : public ::testing::Test {
protected:
    void Laden(const std::string& skript, const std::string& dokument) {
        const std::wstring s = breit(dir.schreiben("s.xb", skript));
        const std::wstring d = breit(dir.schreiben("d.xml", dokument));
        konsole([&] {
            ASSERT_TRUE(ipr.Skript_Init(s.c_str(), false, false, true, 0));
            cnv.Interpreter_Initialisierung(&ipr);
            cnv.AusgabeOpen(d.c_str(), L"alle.out", nullptr, false);
            ASSERT_EQ(cnv.Quelle_Read(), 1);
        });
    }
    // Positions of the script items of that kind.
    std::vector<int> Items(BASICtypeItems kind) const {
        std::vector<int> v;
        for (int i = 0; i < ipr.basic.ItemCount(); ++i)
            if (ipr.basic.Item(i).kind == kind) v.push_back(i);
        return v;
    }
    int Tag(const wchar_t* name, int n = 0) const {
        for (int i = 0; i < cnv.meta.Anzahl(); ++i)
            if (cnv.meta.Item(i).kind == META_STARTTAG && cnv.meta.Name_gleich(i, name) && n-- == 0) return i;
        return -1;
    }
    std::vector<int> Kandidaten(int rule, int focus, CNV_Suche* s) {
        std::vector<int> v;
        int r = rule;
        EXPECT_EQ(cnv.Suche_Lesen(&r, s, L"COPY"), 1);
        EXPECT_EQ(ipr.basic.Item(r).kind, rule == Items(ITEM_FIND)[0] ? ITEM_RULE_BEG : ITEM_DATA_TYPE);
        int cursor = -1;
        for (int k; (k = cnv.Suche_Naechster(*s, focus, &cursor)) >= 0;) v.push_back(k);
        EXPECT_EQ(cnv.Suche_Naechster(*s, focus, &cursor), -1);  // stays exhausted
        return v;
    }
    testdatei::Verzeichnis dir;
    IPR ipr;
    CNV cnv;
};

TEST_F(Suche, ReadsTheRecordedParametersAndWalksEachRange) {
    Laden("ELEMENT r\n"
          "  BEG = COPY(p[n=\"2\"] IN s,DOC,ONE,FULL) + DEL(p NOTINX s,CHILD,ALL,DATA) + COPY(s,PARENT,FULL)"
          " + CUT(p,FULL)\n"
          "  IF FIND(q[k=id]) BEG = \"x\" ENDIF\n"
          "ENDE\n",
          "<r id='y'><s><p n='1'/><p n='2'/><t><p n='2'/></t></s><p n='2'/><q k='x'/><q k='Y'/></r>");
    const int r = Tag(L"r"), s = Tag(L"s"), p0 = Tag(L"p"), p1 = Tag(L"p", 1), p2 = Tag(L"p", 2), p3 = Tag(L"p", 3);
    const std::vector<int> copy = Items(ITEM_COPY), del = Items(ITEM_DEL), cut = Items(ITEM_CUT),
                           find = Items(ITEM_FIND);
    CNV_Suche x;
    // DOC: every p of the document whose n is 2 and whose parent is s.
    EXPECT_EQ(Kandidaten(copy[0], r, &x), (std::vector<int>{p1}));
    EXPECT_EQ(x.bereich, 2);
    EXPECT_EQ(x.anzahl, 1);
    // CHILD: the p children of r, none of them inside an s.
    EXPECT_EQ(Kandidaten(del[0], r, &x), (std::vector<int>{p3}));
    EXPECT_EQ(Kandidaten(del[0], s, &x), (std::vector<int>{}));
    // PARENT: one candidate at most, even past earlier siblings.
    EXPECT_EQ(Kandidaten(copy[1], p1, &x), (std::vector<int>{s}));
    EXPECT_EQ(Kandidaten(copy[1], p3, &x), (std::vector<int>{}));
    // CONTENT (the default): every p below, in document order; deleted ones are gone.
    EXPECT_EQ(Kandidaten(cut[0], r, &x), (std::vector<int>{p0, p1, p2, p3}));
    EXPECT_EQ(Kandidaten(cut[0], s, &x), (std::vector<int>{p0, p1, p2}));
    cnv.meta.delete_item(p1);
    EXPECT_EQ(Kandidaten(cut[0], r, &x), (std::vector<int>{p0, p2, p3}));
    EXPECT_EQ(x.bereich, 8);
    // A value that names an attribute is that attribute of the focus.
    EXPECT_EQ(Kandidaten(find[0], r, &x), (std::vector<int>{Tag(L"q", 1)}));
    int rule = find[0];
    EXPECT_EQ(cnv.Check_find(&rule, r, L"FIND"), 1);
    const std::string meldung = konsole([&] { EXPECT_EQ(cnv.Check_find(&rule, r, L"FIND"), 0); });
    EXPECT_EQ(meldung.substr(0, 50), "FEHLER: (Skript) FIND, Schlüsselwort erwartet\nin ");
}

TEST(Zahlen, NumbersWithUnits) {
    CNV cnv;
    double w = -1;
    wchar_t e[31];
    struct Fall {
        const wchar_t* text;
        bool zahl;
        double wert;
        const wchar_t* einheit;
    } faelle[] = {
        {L"10mm", true, 10, L"mm"},         {L" 10,5 cm x", true, 10.5, L"cm"}, {L".5", true, 0.5, L""},
        {L"1.2.3", true, 1.2, L".3"},       {L"-5", false, 0, L""},            {L"mm", false, 0, L""},
        {L"", false, 0, L""},               {L"1 234", true, 1, L"234"},
        {L"1234567890123456789012345678901", false, 0, L""},
    };
    for (const Fall& f : faelle) {
        w = -1;
        EXPECT_EQ(cnv.Numerischer_Wert(f.text, &w, e), f.zahl) << f.text;
        if (!f.zahl) continue;
        EXPECT_DOUBLE_EQ(w, f.wert) << f.text;
        EXPECT_STREQ(e, f.einheit) << f.text;
    }
}

}  // namespace
