#include "driver/VERZLINUX.h"

#include <gtest/gtest.h>
#include <regex.h>

#include <clocale>
#include <string>

#include "base/Zeichenwandlung.h"

namespace {

// Does the translated pattern match the file name?
bool Passt(const wchar_t* muster, const char* name) {
    std::setlocale(LC_CTYPE, "C.UTF-8");
    std::string ausdruck = BreitZuSchmal(Suchausdruck(muster).c_str());
    regex_t re;
    if (regcomp(&re, ausdruck.c_str(), REG_EXTENDED | REG_NOSUB) != 0) {
        ADD_FAILURE() << "does not compile: " << ausdruck;
        return false;
    }
    bool ok = regexec(&re, name, 0, nullptr, 0) == 0;
    regfree(&re);
    return ok;
}

TEST(Suchausdruck, WildcardsBecomeExpressionSyntax) {
    EXPECT_EQ(Suchausdruck(L"*.xml"), L"^.*\\.xml$");
    EXPECT_EQ(Suchausdruck(L"a?.xml"), L"^a[^\\.]\\.xml$");
    EXPECT_TRUE(Passt(L"*.xml", "a.xml"));
    EXPECT_TRUE(Passt(L"*.xml", "a.b.xml"));
    EXPECT_FALSE(Passt(L"*.xml", "B.XML"));  // case-sensitive
    EXPECT_FALSE(Passt(L"*.xml", "a.xmlx"));
    EXPECT_FALSE(Passt(L"*.*", "README"));
    EXPECT_TRUE(Passt(L"a?.xml", "ab.xml"));
    EXPECT_TRUE(Passt(L"a?.xml", "a\xC3\xA4.xml"));  // one character, two bytes
    EXPECT_FALSE(Passt(L"a?.xml", "a..xml"));
    EXPECT_FALSE(Passt(L"a?.xml", "abc.xml"));
}

TEST(Suchausdruck, EveryOtherCharacterStandsForItself) {
    EXPECT_TRUE(Passt(L"Kopie (2).xml", "Kopie (2).xml"));
    EXPECT_FALSE(Passt(L"Kopie (2).xml", "Kopie 2.xml"));
    EXPECT_TRUE(Passt(L"c++.xml", "c++.xml"));
    EXPECT_FALSE(Passt(L"c++.xml", "cc.xml"));
    EXPECT_TRUE(Passt(L"a{2}|b$^.x\\y", "a{2}|b$^.x\\y"));
    EXPECT_FALSE(Passt(L"a{2}.x", "aa.x"));
    EXPECT_TRUE(Passt(L"*(1).xml", "Bericht (1).xml"));
}

TEST(Suchausdruck, BracketsStayCharacterClasses) {
    EXPECT_TRUE(Passt(L"kap[0-9].xml", "kap7.xml"));
    EXPECT_FALSE(Passt(L"kap[0-9].xml", "kapx.xml"));
    EXPECT_TRUE(Passt(L"[]a].x", "].x"));
    EXPECT_TRUE(Passt(L"[^]a].x", "b.x"));
    EXPECT_TRUE(Passt(L"[[:digit:]*].x", "*.x"));  // '*' inside a class is literal
    EXPECT_FALSE(Passt(L"[[:digit:]*].x", "ab.x"));
    // An unbalanced bracket stays as it is, so the expression fails to compile.
    regex_t re;
    std::string kaputt = BreitZuSchmal(Suchausdruck(L"a[b.xml").c_str());
    EXPECT_NE(regcomp(&re, kaputt.c_str(), REG_EXTENDED | REG_NOSUB), 0);
}

TEST(SortCompare, IgnoresCase) {
    std::setlocale(LC_CTYPE, "C.UTF-8");
    EXPECT_LT(SortCompare(L"a.xml", L"B.xml"), 0);
    EXPECT_GT(SortCompare(L"c.xml", L"B.xml"), 0);
    EXPECT_EQ(SortCompare(L"ÄB.xml", L"äb.xml"), 0);
}

}  // namespace
