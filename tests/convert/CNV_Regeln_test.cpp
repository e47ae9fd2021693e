// Condition lists pass the focus from condition to condition: the checks
// themselves are stood in for here, so that what the list hands each of
// them (keyword, focus, the element a right-hand attribute refers to) is
// visible, and which branch the answers select.
#include "convert/CNV.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../textio/Testdatei.h"
#include "script/IPR.h"

namespace {

using testdatei::breit;
using testdatei::konsole;

// IN finds the parent when its name matches; FIRST and the attribute test
// answer true for the elements named in `wahr`.
class Protokoll : public CNV {
public:
    std::vector<std::string> aufrufe;
    std::wstring wahr = L"kap";

    std::string name(int item) {
        const wchar_t* n = meta.Item(item).start;
        return std::string(n, n + std::wcslen(n));
    }
    int eltern(int item) {
        for (int j = item - 1; j >= 0; --j)
            if (meta.Item(j).kind == META_STARTTAG && meta.Item(j).level == meta.Item(item).level - 1) return j;
        return -1;
    }
    int Check_in(int* rule, int* focus, const wchar_t* keyword) override {
        const std::wstring gesucht = basic->Text(*rule + 1);
        *rule += 2;
        const int e = eltern(*focus);
        aufrufe.push_back(std::string(keyword, keyword + std::wcslen(keyword)) + "(" + name(*focus) + ")");
        if (e < 0 || gesucht != meta.Item(e).Text()) return 0;
        *focus = e;
        return 1;
    }
    int Check_first(int* rule, int* focus, const wchar_t*) override {
        ++*rule;
        aufrufe.push_back("FIRST(" + name(*focus) + ")");
        return wahr == meta.Item(*focus).Text();
    }
    int Check_attribute(int* rule, int* focus, int* other, int) override {
        *rule += 3;  // name, implicit operator, implicit value
        aufrufe.push_back("ATTR(" + name(*focus) + "," + name(*other) + ")");
        return wahr == meta.Item(*focus).Text();
    }
};

TEST(CNVRegeln, ConditionsPassTheFocusOn) {
    testdatei::Verzeichnis dir;
    dir.schreiben("s.xb",
                  "ELEMENT p\n"
                  "  IF BEG IN kap FIRST BEG = '1'\n"
                  "  ELSEIF BEG NOTIN buch [x] BEG = '2'\n"
                  "  ELSEIF BEG NOTIN kap [x] BEG = '3'\n"
                  "  ELSE BEG = '4'\n"
                  "  ENDIF\n"
                  "ENDE\n");
    dir.schreiben("d.xml", "<buch><kap><p/></kap></buch>");
    IPR ipr;
    konsole([&] { ASSERT_TRUE(ipr.Skript_Init(breit(dir.pfad() + "/s.xb").c_str(), false, false, false, 0)); });

    // p in kap: IN moves the focus, so FIRST asks about kap.
    struct Fall {
        std::wstring wahr;
        std::string ausgabe;
        std::vector<std::string> aufrufe;
    } faelle[] = {
        {L"kap", "1", {"IN(p)", "FIRST(kap)"}},
        // FIRST fails; p is not in buch, so [x] is tested on p itself.
        {L"p", "2", {"IN(p)", "FIRST(kap)", "NOTIN(p)", "ATTR(p,p)"}},
        // p is in kap: NOTIN kap [x] is the negation of [x] on kap.
        {L"", "3", {"IN(p)", "FIRST(kap)", "NOTIN(p)", "ATTR(p,p)", "NOTIN(p)", "ATTR(kap,p)"}},
    };
    for (const Fall& f : faelle) {
        Protokoll cnv;
        cnv.wahr = f.wahr;
        cnv.Interpreter_Initialisierung(&ipr);
        const std::wstring d = breit(dir.pfad() + "/d.xml");
        ASSERT_EQ(cnv.AusgabeOpen(d.c_str(), nullptr, L"out", false), 1);
        ASSERT_EQ(cnv.Quelle_Read(), 1);
        EXPECT_EQ(konsole([&] { EXPECT_EQ(cnv.Quelle_Convert(), 1); }), "");
        EXPECT_EQ(cnv.AusgabeAbschluss(true), 1);
        EXPECT_EQ(dir.lesen("d.out"), "\xEF\xBB\xBF<buch><kap>" + f.ausgabe + "</kap></buch>");
        EXPECT_EQ(cnv.aufrufe, f.aufrufe);
    }
}

}  // namespace

namespace {

// A rule that converts its own element again (as a COPY of it would, with
// no end) recurses without bound: the walk stops with a message before the
// stack runs out.
class Endlos : public CNV {
public:
    int Convert_starttag(int*, int item, PARSERtypeItems mode, DATAtypeItems* model, const wchar_t* copyname,
                         int depth, bool rules) override {
        return Convert_Element(&item, *model, mode, copyname, depth + 1, rules);
    }
};

TEST(CNVRegeln, EndlessRecursionStopsBeforeTheStackEnds) {
    testdatei::Verzeichnis dir;
    dir.schreiben("s.xb", "ELEMENT a ENDE\n");
    dir.schreiben("d.xml", "<a>x</a>");
    IPR ipr;
    konsole([&] { ASSERT_TRUE(ipr.Skript_Init(breit(dir.pfad() + "/s.xb").c_str(), false, false, false, 0)); });
    Endlos cnv;
    cnv.Interpreter_Initialisierung(&ipr);
    const std::wstring d = breit(dir.pfad() + "/d.xml");
    ASSERT_EQ(cnv.AusgabeOpen(d.c_str(), nullptr, nullptr, false), 1);
    ASSERT_EQ(cnv.Quelle_Read(), 1);
    EXPECT_EQ(konsole([&] { EXPECT_EQ(cnv.Quelle_Convert(), 0); }),
              "FEHLER: (Parser) Element, Maximale Verschachtelungstiefe überschritten.\n"
              "in Datei '" + dir.pfad() + "/d.xml' Zeile=1, Zeichen=2 (ungefähr)\n");
}

}  // namespace
