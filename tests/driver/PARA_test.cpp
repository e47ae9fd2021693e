#include "driver/PARA.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Dateinamen.h"
#include "base/Konsole.h"

namespace {

struct Zeile {
    std::vector<const wchar_t*> argv;
    explicit Zeile(std::initializer_list<const wchar_t*> a) : argv(a) {}
    PARA Lesen() { return PARA(static_cast<int>(argv.size()), argv.data()); }
};

std::wstring Text(PARA& p) {
    wchar_t puffer[DATEINAME_MAX];
    return p.LeseText(puffer, DATEINAME_MAX) ? std::wstring(puffer) : L"<keiner>";
}

std::wstring Rest(PARA& p) {
    wchar_t puffer[DATEINAME_MAX];
    return p.FalscheParameter(puffer, DATEINAME_MAX) ? std::wstring(puffer) : L"<nichts>";
}

TEST(PARA, SwitchesIgnoreCaseAndAreConsumedOnce) {
    Zeile z{L"tessar", L"in.xml", L"-Q", L"-q", L"skript", L"-TRACK"};
    PARA p = z.Lesen();
    EXPECT_EQ(p.Fehler(), 0);
    EXPECT_EQ(p.AnzahlParameter(), 5);
    EXPECT_TRUE(p.LeseSchalter(L"-q"));
    EXPECT_TRUE(p.LeseSchalter(L"-track"));
    EXPECT_FALSE(p.LeseSchalter(L"-s"));
    EXPECT_EQ(Text(p), L"in.xml");
    EXPECT_EQ(Text(p), L"-q");  // the second copy is a positional parameter
    EXPECT_EQ(Text(p), L"skript");
    EXPECT_EQ(Text(p), L"<keiner>");
    EXPECT_EQ(Rest(p), L"<nichts>");
    EXPECT_EQ(p.AnzahlParameter(), 5);
}

TEST(PARA, SwitchTextNeedsTheExactPrefixAndSomethingAfterIt) {
    wchar_t sprache[41];
    Zeile z{L"tessar", L"-l", L"-Lxyz", L"-lfrench", L"-lgerman"};
    PARA p = z.Lesen();
    EXPECT_FALSE(p.LeseSchalterText(L"-", sprache, 40));
    EXPECT_TRUE(p.LeseSchalterText(L"-l", sprache, 40));
    EXPECT_EQ(std::wstring(sprache), L"french");
    EXPECT_EQ(Rest(p), L"-l -Lxyz -lgerman");
    EXPECT_FALSE(p.LeseSchalterText(L"-l", sprache, 0));
}

TEST(PARA, OverlongTextsAreReportedAndConsumed) {
    std::wstring lang_sprache = L"-l" + std::wstring(40, L'x');
    std::wstring lang_text(1024, L'a');
    Zeile z{L"tessar", lang_sprache.c_str(), lang_text.c_str(), L"b.xml"};
    PARA p = z.Lesen();
    wchar_t sprache[41];
    testing::internal::CaptureStdout();
    EXPECT_FALSE(p.LeseSchalterText(L"-l", sprache, 40));
    EXPECT_EQ(p.Fehler(), 30005);
    EXPECT_EQ(Text(p), L"<keiner>");
    EXPECT_EQ(p.Fehler(), 30003);
    EXPECT_EQ(Text(p), L"b.xml");
    Konsole_Flush();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "FEHLER: 30005 Ein Schalter-Parameter ist zu gro\xC3\x9F. Die Gr\xC3\xB6\xC3\x9F" "e betr\xC3\xA4gt 42 "
              "Zeichen. Es sind maximal 39 Zeichen erlaubt (" + std::string(lang_sprache.begin(), lang_sprache.end()) +
              ").\nFEHLER: 30003 Ein Parameter ist zu gro\xC3\x9F. Die Gr\xC3\xB6\xC3\x9F" "e betr\xC3\xA4gt 1024 "
              "Zeichen. Es sind maximal 1023 Zeichen erlaubt (" + std::string(lang_text.begin(), lang_text.end()) +
              ").\n");
    // 39 characters after the prefix still fit into 40.
    std::wstring passt = L"-l" + std::wstring(39, L'y');
    Zeile z2{L"tessar", passt.c_str()};
    PARA p2 = z2.Lesen();
    EXPECT_TRUE(p2.LeseSchalterText(L"-l", sprache, 40));
    EXPECT_EQ(std::wstring(sprache), std::wstring(39, L'y'));
}

TEST(PARA, LeftoversAreJoinedAndNeverLost) {
    std::wstring lang(2000, L'z');
    Zeile z{L"tessar", L"a", L"", L"b", lang.c_str()};
    PARA p = z.Lesen();
    wchar_t puffer[DATEINAME_MAX];
    ASSERT_TRUE(p.FalscheParameter(puffer, DATEINAME_MAX));
    std::wstring rest(puffer);
    EXPECT_EQ(rest.size(), DATEINAME_MAX - 1);
    EXPECT_EQ(rest.substr(0, 6), L"a b zz");
    EXPECT_EQ(Text(p), L"a");  // nothing was consumed
}

TEST(PARA, OwnNameAndEmptyBlocks) {
    testing::internal::CaptureStdout();
    Zeile z{L"/usr/bin/tessar"};
    PARA p = z.Lesen();
    wchar_t name[DATEINAME_MAX];
    EXPECT_TRUE(p.EigenerName(name, DATEINAME_MAX));
    EXPECT_EQ(std::wstring(name), L"/usr/bin/tessar");
    EXPECT_FALSE(p.EigenerName(name, 5));
    EXPECT_EQ(p.Fehler(), 30004);
    EXPECT_EQ(p.AnzahlParameter(), 0);

    PARA breit(0, static_cast<wchar_t const**>(nullptr));
    PARA schmal(0, static_cast<char const**>(nullptr));
    Konsole_Flush();
    EXPECT_EQ(breit.Fehler(), 30001);
    EXPECT_EQ(schmal.Fehler(), 30002);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "FEHLER: 30004 Der Programmname ist zu gro\xC3\x9F. Die Gr\xC3\xB6\xC3\x9F" "e betr\xC3\xA4gt 15 "
              "Zeichen. Es sind maximal 4 Zeichen erlaubt (/usr/bin/tessar).\n"
              "FEHLER: 30001 im Modul PARA, Parameterblock ist leer.\n"
              "FEHLER: 30002 im Modul PARA, Parameterblock ist leer.\n");
}

TEST(PARA, NarrowArgumentsKeepTheirOrder) {
    const char* argv[] = {"tessar", "-s", "in.xml", "skript.xb"};
    PARA p(4, argv);
    EXPECT_TRUE(p.LeseSchalter(L"-S"));
    EXPECT_EQ(Text(p), L"in.xml");
    EXPECT_EQ(Text(p), L"skript.xb");
}

}  // namespace
