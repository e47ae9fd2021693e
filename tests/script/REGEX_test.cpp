// The regular-expression match: the grammar as scripts use it, the message
// of every kind of faulty pattern, and the limits on pathological ones.
#include "script/REGEX.h"

#include <gtest/gtest.h>

#include <string>

#include "../markup/Testtext.h"

namespace {

TEST(REGEX, MatchesAnywhereWithOrWithoutCase) {
    EXPECT_TRUE(unicode_regex_auswerten(L"Kapitel 12", L"\\d+$", 1));
    EXPECT_FALSE(unicode_regex_auswerten(L"Kapitel 12\n", L"\\d+$", 1));  // "$" only at the very end
    EXPECT_TRUE(unicode_regex_auswerten(L"KAPITEL", L"kap", 0));
    EXPECT_FALSE(unicode_regex_auswerten(L"KAPITEL", L"kap", 1));
    EXPECT_TRUE(unicode_regex_auswerten(L"\u00c4RGER", L"^\u00e4r", 0));
    // Without regard to case, \D still means "no digit".
    EXPECT_FALSE(unicode_regex_auswerten(L"123", L"\\D", 0));
    EXPECT_TRUE(unicode_regex_auswerten(L"a\u00e9", L"^\\w\\w$", 1));
    EXPECT_FALSE(unicode_regex_auswerten(L"a\nb", L"a.b", 1));
    EXPECT_TRUE(unicode_regex_auswerten(L"\u00a7", L"\\u00a7", 1));
    EXPECT_FALSE(unicode_regex_auswerten(L"", L"a*", 1));
    EXPECT_FALSE(unicode_regex_auswerten(L"a", L"", 1));
    // Code points of unpaired surrogates in the subject do not fail the match.
    EXPECT_TRUE(unicode_regex_auswerten(L"x\xd800y", L"y", 0));
}

TEST(REGEX, FaultyPatternsGiveTheirMessageEveryTime) {
    const std::string f = "FEHLER: Regulärer Ausdruck. ";
    const struct {
        const wchar_t* muster;
        std::string meldung;
    } faelle[] = {
        {L"[ab", "Im Ausdruck fehlt eine eckige Klammer [...]."},
        {L"(ab", "Im Ausdruck fehlt eine runde Klammer (...)."},
        {L"ab)", "Im Ausdruck fehlt eine runde Klammer (...)."},
        {L"*a", "Der Ausdruck enthält eine Wiederholungsangabe (?, * oder +) ohne vorangehenden Ausdruck."},
        {L"ab\\", "Der Ausdruck enthält ein ungültiges Escape-Zeichen oder ein Escape am Ende."},
        {L"a\\q", "Der Ausdruck enthält ein ungültiges Escape-Zeichen oder ein Escape am Ende."},
        {L"[z-a]", "Der Ausdruck enthält einen ungültigen Zeichenbereich."},
        {L"a{3,1}", "Der Ausdruck enthält einen ungültigen Bereich in einer geschweiften Klammer {...}."},
        {L"(a)\\2", "Der Ausdruck enthält einen ungültigen Rückverweis."},
        {L"[[:foo:]]", "Der Ausdruck enthält eine ungültige Zeichenklasse."},
        {L"[[.a.]]", "Der Ausdruck enthält eine ungültige Gruppe."},
        {L"(?<n>a)(?<n>b)", "Unbekannter Fehler."},
    };
    for (const auto& fall : faelle) {
        for (int mal = 0; mal < 2; ++mal) {
            const std::string aus = Konsolenausgabe([&] { EXPECT_FALSE(unicode_regex_auswerten(L"abc", fall.muster, 0)); });
            EXPECT_EQ(aus, f + fall.meldung + "\n");
        }
    }
}

TEST(REGEX, PathologicalPatternsEndWithTheirMessage) {
    const std::wstring a(300000, L'a');
    for (const wchar_t* muster : {L"(a+)+[bc]", L"^(a|a)*[bc]", L"^a*a*b"}) {
        const std::string aus = Konsolenausgabe([&] { EXPECT_FALSE(unicode_regex_auswerten(a.c_str(), muster, 1)); });
        EXPECT_EQ(aus, "FEHLER: Regulärer Ausdruck. Der Ausdruck ist zu komplex.\n") << muster;
    }
}

}  // namespace
