#include "base/Dateinamen.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "base/Konsole.h"

namespace {

// Runs a check and returns what it printed, with its verdict in front.
template <typename Pruefung>
std::string Ausgabe(Pruefung pruefung, const wchar_t* text) {
    testing::internal::CaptureStdout();
    bool ok = pruefung(text);
    Konsole_Flush();
    return (ok ? "ok:" : "nein:") + testing::internal::GetCapturedStdout();
}

// Switches into a fresh directory for one test and back afterwards.
class ImVerzeichnis : public testing::Test {
protected:
    void SetUp() override {
        char vorlage[] = "/tmp/tessar-namen.XXXXXX";
        ASSERT_NE(mkdtemp(vorlage), nullptr);
        ordner = vorlage;
        char* alt = getcwd(nullptr, 0);
        vorher = alt;
        std::free(alt);
        ASSERT_EQ(chdir(ordner.c_str()), 0);
        w = std::wstring(ordner.begin(), ordner.end());
    }
    void TearDown() override {
        ASSERT_EQ(chdir(vorher.c_str()), 0);
        rmdir(ordner.c_str());
    }
    std::string ordner, vorher;
    std::wstring w;
};

TEST(PfadZerlegen, CutsAtLastSlashAndLastDot) {
    Pfadteile t = PfadZerlegen(L"data/in/a.b.xml");
    EXPECT_EQ(t.server, L"");
    EXPECT_EQ(t.verzeichnis, L"data/in");
    EXPECT_EQ(t.name, L"a.b");
    EXPECT_EQ(t.erweiterung, L"xml");

    t = PfadZerlegen(L".xml");
    EXPECT_EQ(t.name, L"");
    EXPECT_EQ(t.erweiterung, L"xml");

    t = PfadZerlegen(L"out/");
    EXPECT_EQ(t.verzeichnis, L"out");
    EXPECT_EQ(t.name + t.erweiterung, L"");

    t = PfadZerlegen(L"/a.xml");  // the root gives no directory part
    EXPECT_EQ(t.verzeichnis, L"");
    EXPECT_TRUE(t.absolut);

    t = PfadZerlegen(L"//host/share/x.sgm");
    EXPECT_EQ(t.server, L"//host");
    EXPECT_EQ(t.verzeichnis, L"/share");
    EXPECT_EQ(t.name, L"x");

    t = PfadZerlegen(L"//host");
    EXPECT_EQ(t.server, L"//host");
    EXPECT_EQ(t.verzeichnis + t.name + t.erweiterung, L"");
}

TEST(PfadZusammensetzen, JoinsWithOneSlashAndKeepsTheRoot) {
    EXPECT_EQ(PfadZusammensetzen(PfadZerlegen(L"//host/share/x.sgm")), L"//host/share/x.sgm");
    EXPECT_EQ(PfadZusammensetzen(PfadZerlegen(L"/a.xml")), L"/a.xml");
    EXPECT_EQ(PfadZusammensetzen(PfadZerlegen(L"a.xml")), L"a.xml");
    Pfadteile t = PfadZerlegen(L"d/x.xml");
    t.erweiterung = L".htm";
    EXPECT_EQ(PfadZusammensetzen(t), L"d/x.htm");
}

TEST(CheckEingabemuster, AcceptsWildcardsInTheNameOnly) {
    EXPECT_EQ(Ausgabe(CheckEingabemuster, L"*.xml"), "ok:");
    EXPECT_EQ(Ausgabe(CheckEingabemuster, L"data/a?c.xml"), "ok:");
    EXPECT_EQ(Ausgabe(CheckEingabemuster, nullptr), "nein:FEHLER: Das Eingabemuster ist ungültig (leer).\n");
    EXPECT_EQ(Ausgabe(CheckEingabemuster, L"//srv"), "nein:FEHLER: Das Eingabemuster ist ungültig (leer).\n");
    EXPECT_EQ(Ausgabe(CheckEingabemuster, L"*"),
              "nein:FEHLER: Das Eingabemuster ist ungültig (Erweiterung ist leer): '*'\n");
    EXPECT_EQ(Ausgabe(CheckEingabemuster, L".xml"),
              "nein:FEHLER: Das Eingabemuster ist ungültig (Dateiname ist leer): '.xml'\n");
    EXPECT_EQ(Ausgabe(CheckEingabemuster, L"a.xml"),
              "nein:FEHLER: Das Eingabemuster ist ungültig (Dateiname enthält keine Platzhalterzeichen): 'a.xml'\n");
    EXPECT_EQ(Ausgabe(CheckEingabemuster, L"d*/a*.xml"),
              "nein:FEHLER: Das Eingabemuster ist ungültig (Ordner enthält Platzhalterzeichen): 'd*/a*.xml'\n");
}

TEST(CheckEingabedateiname, LooksForWildcardsInTheNameOnly) {
    EXPECT_EQ(Ausgabe(CheckEingabedateiname, L"test.*"), "ok:");
    EXPECT_EQ(Ausgabe(CheckEingabedateiname, L"dir?/a.xml"), "ok:");
    EXPECT_EQ(Ausgabe(CheckEingabedateiname, L""),
              "nein:FEHLER: Der angegebene Eingabedateiname ist ungültig (Name wurde nicht erkannt): ''\n");
    // Only the output name built from an input needs an extension.
    EXPECT_EQ(Ausgabe(CheckEingabedateiname, L"texte/README"), "ok:");
    EXPECT_EQ(Ausgabe(CheckEingabedateiname, L"a?.xml"),
              "nein:FEHLER: Der angegebene Eingabedateiname enthält ungültige Zeichen (Platzhalterzeichen): "
              "'a?.xml'\n");
}

TEST(CheckAusgabedateiname, NeedsNameAndExtension) {
    EXPECT_EQ(Ausgabe(CheckAusgabedateiname, L"result.htm"), "ok:");
    EXPECT_EQ(Ausgabe(CheckAusgabedateiname, L"out/result.htm"), "ok:");
    EXPECT_EQ(Ausgabe(CheckAusgabedateiname, L"/tmp/result.htm"), "ok:");
    EXPECT_EQ(Ausgabe(CheckAusgabedateiname, L"result"),
              "nein:FEHLER: Der Ausgabename ist ungültig (Erweiterung wurde nicht erkannt): 'result'\n");
    EXPECT_EQ(Ausgabe(CheckAusgabedateiname, L".htm"),
              "nein:FEHLER: Der Ausgabename ist ungültig (Name wurde nicht erkannt): '.htm'\n");
    EXPECT_EQ(Ausgabe(CheckAusgabedateiname, nullptr), "nein:FEHLER: Der Ausgabename ist ungültig (leer).\n");
}

TEST(CheckAusgabeerweiterung, TakesABareExtensionOnly) {
    EXPECT_EQ(Ausgabe(CheckAusgabeerweiterung, L"htm"), "ok:");
    EXPECT_EQ(Ausgabe(CheckAusgabeerweiterung, L".htm"),
              "nein:FEHLER: Die Ausgabeerweiterung ist ungültig (Es darf nur die Erweiterung angegebenen werden, "
              "z.B. htm): '.htm'\n");
    EXPECT_EQ(Ausgabe(CheckAusgabeerweiterung, L"out/htm"),
              "nein:FEHLER: Die Ausgabeerweiterung ist ungültig (Ordner ist hier nicht erlaubt): 'out/htm'\n");
    EXPECT_EQ(Ausgabe(CheckAusgabeerweiterung, L"dir/"),
              "nein:FEHLER: Die Ausgabeerweiterung ist ungültig (Ordner ist hier nicht erlaubt): 'dir/'\n");
    EXPECT_EQ(Ausgabe(CheckAusgabeerweiterung, L"h*m"),
              "nein:FEHLER: Die Ausgabeerweiterung enthält ungültige Zeichen (Platzhalterzeichen): 'h*m'\n");
    EXPECT_EQ(Ausgabe(CheckAusgabeerweiterung, L"a:b"),
              "nein:FEHLER: Die Ausgabeerweiterung enthält ungültige Zeichen (Platzhalterzeichen): 'a:b'\n");
    EXPECT_EQ(Ausgabe(CheckAusgabeerweiterung, L"/htm"),
              "nein:FEHLER: Die Ausgabeerweiterung enthält ungültige Zeichen (Platzhalterzeichen): '/htm'\n");
}

TEST(MakeLokalName, ReplacesTheExtension) {
    wchar_t puffer[DATEINAME_MAX];
    ASSERT_TRUE(MakeLokalName(puffer, L"/data/in/a.b.xml", L"htm"));
    EXPECT_EQ(std::wstring(puffer), L"/data/in/a.b.htm");
    ASSERT_TRUE(MakeLokalName(puffer, L"/data/in/a.b.xml", L".htm"));
    EXPECT_EQ(std::wstring(puffer), L"/data/in/a.b.htm");
    ASSERT_TRUE(MakeLokalName(puffer, L"/data/in/a.xml", L"xml"));  // replaces its own input
    EXPECT_EQ(std::wstring(puffer), L"/data/in/a.xml");
    ASSERT_TRUE(MakeLokalName(puffer, L"//srv/d/a.xml", L"htm"));
    EXPECT_EQ(std::wstring(puffer), L"//srv/d/a.htm");
    EXPECT_FALSE(MakeLokalName(puffer, L"a.xml", L"htm"));  // no directory
    EXPECT_EQ(puffer[0], L'\0');
    EXPECT_FALSE(MakeLokalName(puffer, L"/d/.xml", L"htm"));
    EXPECT_FALSE(MakeLokalName(puffer, nullptr, L"htm"));
}

TEST(MakeLokalName, RefusesANameBeyondTheCapacity) {
    wchar_t puffer[DATEINAME_MAX];
    std::wstring lang = L"/d/" + std::wstring(1016, L'x') + L".x";  // 1021 characters
    EXPECT_TRUE(MakeLokalName(puffer, lang.c_str(), L"xyz"));        // 1023
    EXPECT_FALSE(MakeLokalName(puffer, lang.c_str(), L"xyzw"));      // 1024
    EXPECT_EQ(puffer[0], L'\0');
}

TEST(MakeGlobalName, PlacesRelativeNamesBelowTheBase) {
    std::wstring name;
    ASSERT_TRUE(MakeGlobalName(name, L"/home/u", L"out/r.htm"));
    EXPECT_EQ(name, L"/home/u/out/r.htm");
    ASSERT_TRUE(MakeGlobalName(name, L"/home/u", L"r.htm"));
    EXPECT_EQ(name, L"/home/u/r.htm");
    ASSERT_TRUE(MakeGlobalName(name, L"/home/u/", L"r.htm"));
    EXPECT_EQ(name, L"/home/u/r.htm");
    ASSERT_TRUE(MakeGlobalName(name, L"/home/u", L"/abs/r.htm"));
    EXPECT_EQ(name, L"/abs/r.htm");
    ASSERT_TRUE(MakeGlobalName(name, L"/", L"r.htm"));
    EXPECT_EQ(name, L"/r.htm");
    ASSERT_TRUE(MakeGlobalName(name, L"//srv", L"a/r.htm"));
    EXPECT_EQ(name, L"//srv/a/r.htm");
    ASSERT_TRUE(MakeGlobalName(name, L"/home/u", L"//srv/r.htm"));
    EXPECT_EQ(name, L"//srv/r.htm");
}

TEST(MakeGlobalName, ReportsWhatItCannotBuild) {
    EXPECT_EQ(Ausgabe([](const wchar_t* n) { std::wstring r; return MakeGlobalName(r, L"/b", n); }, L"out/"),
              "nein:FEHLER: (Ausgabe) Der angegebenen Dateiname ist ungültig: 'out/'\n");
    EXPECT_EQ(Ausgabe([](const wchar_t* n) { std::wstring r; return MakeGlobalName(r, L"/b", n); }, L"result"),
              "nein:FEHLER: (Ausgabe) Die angegebene Dateiextension ist ungültig: 'result'\n");
    std::wstring basis = L"/" + std::wstring(1000, L'b');
    std::wstring name = std::wstring(30, L'n') + L"/r.htm";
    EXPECT_EQ(Ausgabe([&](const wchar_t* n) { std::wstring r; return MakeGlobalName(r, basis.c_str(), n); },
                      name.c_str()),
              "nein:FEHLER: (Ausgabe) Das Ausgabeverzeichnis ist ungültig: '" +
                  std::string(basis.begin(), basis.end()) + std::string(30, 'n') + "'\n");
}

TEST_F(ImVerzeichnis, FullPathWalksDotsAgainstTheWorkingDirectory) {
    wchar_t puffer[DATEINAME_MAX];
    ASSERT_TRUE(wfullpath(puffer, L"x/../y/a.txt", DATEINAME_MAX));
    EXPECT_EQ(std::wstring(puffer), w + L"/y/a.txt");
    ASSERT_TRUE(wfullpath(puffer, L"./a.txt", DATEINAME_MAX));
    EXPECT_EQ(std::wstring(puffer), w + L"/a.txt");
    ASSERT_TRUE(wfullpath(puffer, L"../in//b.xml", DATEINAME_MAX));
    EXPECT_EQ(std::wstring(puffer), L"/tmp/in/b.xml");
    ASSERT_TRUE(wfullpath(puffer, L"../../../../../c.xml", DATEINAME_MAX));
    EXPECT_EQ(std::wstring(puffer), L"/c.xml");  // the root stays the root
    ASSERT_TRUE(wfullpath(puffer, L"name.", DATEINAME_MAX));
    EXPECT_EQ(std::wstring(puffer), w + L"/name.");  // a trailing dot is kept
    ASSERT_TRUE(wfullpath(puffer, L"/abs/../x.xml", DATEINAME_MAX));
    EXPECT_EQ(std::wstring(puffer), L"/abs/../x.xml");
    EXPECT_FALSE(wfullpath(puffer, nullptr, DATEINAME_MAX));
    EXPECT_FALSE(wfullpath(puffer, L"a.xml", w.size() + 6));  // one short
    EXPECT_TRUE(wfullpath(puffer, L"a.xml", w.size() + 7));
}

TEST_F(ImVerzeichnis, RelativeGlobalNameUnderRelativeBase) {
    std::wstring name;
    ASSERT_TRUE(MakeGlobalName(name, L"*", L"bericht_track.html"));
    EXPECT_EQ(name, w + L"/*/bericht_track.html");
}

}  // namespace
