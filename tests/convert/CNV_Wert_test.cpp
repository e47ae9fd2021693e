#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "../textio/Testdatei.h"
#include "convert/CNV.h"
#include "script/IPR.h"

namespace {

using testdatei::konsole;

struct Ergebnis {
    bool ok = false;
    std::wstring text;
    std::string meldungen;
};

class WertTest : public ::testing::Test {
protected:
    void SetUp() override { cnv.Interpreter_Initialisierung(&ipr); }
    Ergebnis rechnen(const std::wstring& wert, const wchar_t* format, double bezug = 100.0,
                     unsigned long kapazitaet = 4096) {
        Ergebnis e;
        wchar_t puffer[4096] = {};
        wert.copy(puffer, wert.size());
        e.meldungen = konsole([&] { e.ok = cnv.Berechne_Wert(puffer, puffer, kapazitaet, format, bezug, L"VALUE"); });
        e.text = puffer;
        return e;
    }
    IPR ipr;
    CNV cnv;
};

TEST_F(WertTest, UnitsFactorsCorrectionsAndPatterns) {
    struct Fall {
        const wchar_t* wert;
        const wchar_t* format;
        double bezug;
        const wchar_t* erwartet;
    } faelle[] = {
        {L"1in", L"mm", 100, L"25.40"},       {L"1in", L"cm", 100, L"2.540"},
        {L"1in", L"pt", 100, L"72.0"},        {L"10mm", L"pt", 100, L"28.3"},
        {L"1cm", L"PT", 100, L"28.3"},        {L"72pt", L"in", 100, L"1.0000"},
        {L"3cm", L"cm", 100, L"3"},           {L"3cm", L"cm:+1", 100, L"4.000"},
        {L"3cm", L"cm:-1", 100, L"2.000"},    {L"3cm", L"cm(##.##)", 100, L"3"},
        {L"3cm", L"2cm(##.##)", 100, L"06.00"}, {L"3cm", L"cm(##.##):+1", 100, L"04.00"},
        {L"5", L"%%", 100, L"5.0%"},          {L"5", L"%", 100, L"5.0"},
        {L"1", L"%%", 3, L"33.3%"},           {L"5", L"%(###.##)", 100, L"005.00"},
        {L"5", L"s:%%", 200, L"100.0%"},      {L"5", L"s:", 200, L"200"},
        {L"2", L"0.5", 100, L"1"},            {L"2", L":+1", 100, L"3"},
        {L"2", L"3", 100, L"6"},              {L"1", L"0.125", 100, L"0.125"},
        {L"2", L"(###)", 100, L"002"},        {L"2", L"0", 100, L"2"},
        {L"2,5cm", L"mm", 100, L"25.00"},     {L"1.5", L"2*", 100, L"3.0000*"},
        {L"1.5*", L"*", 100, L"1.5"},         {L"12px", L"number", 100, L"12"},
        {L"12px", L"mm", 100, L"12px"},       {L"40%", L"mm", 100, L"40%"},
        {L"-3mm", L"(##.#)", 100, L"-3.0"},   {L"-0.001", L"(#.#)", 100, L"0.0"},
        {L"1cm", L":", 100, L"1"},             {L"10 mm", L"mm", 100, L"10"},
    };
    for (const Fall& f : faelle) {
        Ergebnis e = rechnen(f.wert, f.format, f.bezug);
        EXPECT_TRUE(e.ok) << e.meldungen;
        EXPECT_EQ(e.text, f.erwartet) << "Wert " << std::string(f.wert, f.wert + wcslen(f.wert)).c_str()
                                      << ", Format " << std::string(f.format, f.format + wcslen(f.format)).c_str();
        EXPECT_EQ(e.meldungen, "");
    }
}

TEST_F(WertTest, FaultsAreReportedWithTheLabelAndLeaveTheValue) {
    struct Fall {
        const wchar_t* wert;
        const wchar_t* format;
        unsigned long kapazitaet;
        const char* meldung;
    } faelle[] = {
        {L"12", L"mm", 4096, "FEHLER: (Skript) VALUE, Keine Maßeinheit angegeben (Umrechnung in MM nicht möglich)\n"},
        {L"12", L"in", 4096, "FEHLER: (Skript) VALUE, Keine Maßeinheit angegeben (Umrechnung in INCH nicht möglich)\n"},
        {L"1", L"(#x)", 4096, "FEHLER: (Skript) VALUE, Unbekanntes Zeichen im Format gefunden\n"},
        {L"1", L"(#.#.#)", 4096, "FEHLER: (Skript) VALUE, Unbekanntes Zeichen im Format gefunden\n"},
        {L"1", L"(##", 4096, "FEHLER: (Skript) VALUE, Ende der Formates ')' nicht gefunden\n"},
        {L"1", L"(.)", 4096, "FEHLER: (Skript) VALUE, Ungültiges Format gefunden\n"},
        {L"auto", L"%%", 4096, "FEHLER: (Skript) VALUE, Der Wert 'auto' ist keine Zahl\n"},
        {L"1in", L"mm", 5, "FEHLER: (Skript) VALUE, Einheitenumwandlung (in->mm) fehlgeschlagen\n"},
        {L"1in", L"mm(#####)", 5, "FEHLER: (Skript) VALUE, Format (in->mm) konnte nicht eingestellt werden\n"},
        {L"1mm", L"pt", 3, "FEHLER: (Skript) VALUE, Einheitenumwandlung (mm->pt fehlgeschlagen)\n"},
        {L"100", L"%%", 5, "FEHLER: (Skript) VALUE, Korrekturumwandlung '%' fehlgeschlagen\n"},
        {L"100", L"%", 5, "FEHLER: (Skript) VALUE, Korrekturumwandlung fehlgeschlagen: '%'\n"},
        {L"1", L"2", 2, "FEHLER: (Skript) VALUE, Vorgabe-Korrekturumwandlung fehlgeschlagen\n"},
    };
    for (const Fall& f : faelle) {
        Ergebnis e = rechnen(f.wert, f.format, 100.0, f.kapazitaet);
        EXPECT_FALSE(e.ok);
        EXPECT_EQ(e.text, f.wert);
        EXPECT_EQ(e.meldungen, f.meldung);
    }
}

TEST_F(WertTest, NumbersBeyondTheFloatRangeAreClamped) {
    Ergebnis e = rechnen(L"1e39", L"2");
    EXPECT_TRUE(e.ok);
    EXPECT_EQ(e.text, L"680564693277057719623408366969033850880");
    EXPECT_EQ(e.meldungen,
              "FEHLER: Die positive Gleitkommazahl 999999999999999939709166371603178586112.000000 liegt außerhalb "
              "des gültigen Wertebereichs. Die Zahl wird auf den maximal zulässigen Wert "
              "340282346638528859811704183484516925440.000000 eingestellt.\n");
    double negativ = 0;
    EXPECT_EQ(konsole([&] { negativ = unicode_wtof(L"-1e40"); }).substr(0, 44),
              "FEHLER: Die negative Gleitkommazahl -1000000");
    EXPECT_EQ(negativ, -3.4028234663852886e38);
    EXPECT_EQ(unicode_wtof(L" 2,5"), 2.5);
    EXPECT_EQ(unicode_wtof(L"0x10"), 0.0);
    EXPECT_EQ(unicode_wtof(L"inf"), 0.0);
}

// A German locale writes "2,5": neither reading nor printing may follow it.
// The locale is built for the test when the machine has its sources.
TEST_F(WertTest, TheProcessLocaleChangesNothing) {
    testdatei::Verzeichnis dir;
    const std::string befehl = "localedef -i de_DE -f UTF-8 " + dir.pfad() + "/de_DE.UTF-8 >/dev/null 2>&1";
    const char* alt_pfad = std::getenv("LOCPATH");
    const std::string alter_locpath = alt_pfad ? alt_pfad : "";
    const std::string alte_locale = std::setlocale(LC_NUMERIC, nullptr);
    if (std::system(befehl.c_str()) == 0) setenv("LOCPATH", dir.pfad().c_str(), 1);
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "no locale with a decimal comma could be made (localedef or de_DE sources missing)";
    }
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    Ergebnis a = rechnen(L"2.5in", L"mm");
    Ergebnis b = rechnen(L"2,5in", L"1.5(##.###)");
    Ergebnis c = rechnen(L"1", L"%%", 3);
    double gelesen = unicode_wtof(L"2.5");
    std::setlocale(LC_NUMERIC, alte_locale.c_str());
    if (alt_pfad) setenv("LOCPATH", alter_locpath.c_str(), 1);
    else unsetenv("LOCPATH");
    EXPECT_EQ(a.text, L"63.50");
    EXPECT_EQ(b.text, L"03.750");
    EXPECT_EQ(c.text, L"33.3%");
    EXPECT_EQ(gelesen, 2.5);
}

}  // namespace
