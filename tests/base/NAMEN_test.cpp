// The run's name table: numbers, folded forms, growth and forgetting the
// names of a document.
#include "base/NAMEN.h"

#include <gtest/gtest.h>

#include <string>

TEST(NAMEN, NumbersFoldedFormsAndForgetting) {
    NAMEN t;
    const int p = t.Nummer(L"para");
    EXPECT_EQ(t.Nummer(L"para"), p);
    EXPECT_EQ(t.Name(p), L"para");
    const int gross = t.Nummer(L"PARA");
    EXPECT_NE(gross, p);
    EXPECT_EQ(t.Gefaltet(gross), p);
    EXPECT_EQ(t.Vergleich(gross, false), gross);
    EXPECT_EQ(t.Vergleich(gross, true), p);
    EXPECT_EQ(t.Nummer(std::wstring_view()), t.Nummer(L""));

    // A document's names go with it; a kept name keeps its folded form,
    // also when that form came in with it.
    const int marke = t.Marke();
    const int neu = t.Nummer(L"Kapitel");
    EXPECT_EQ(t.Name(t.Gefaltet(neu)), L"kapitel");
    t.Zuruecksetzen(marke);
    EXPECT_EQ(t.Suchen(L"Kapitel"), 0);
    EXPECT_EQ(t.Suchen(L"kapitel"), 0);
    EXPECT_EQ(t.Gefaltet(gross), p);
    EXPECT_EQ(t.Nummer(L"Kapitel"), neu);

    // A million names and names of 255 characters: the table grows.
    const std::wstring lang(255, L'N');
    const int l = t.Nummer(lang);
    for (int i = 0; i < 1000000; ++i) t.Nummer(L"e" + std::to_wstring(i));
    EXPECT_EQ(t.Suchen(L"e999999"), t.Anzahl());
    EXPECT_EQ(t.Name(t.Gefaltet(l)), std::wstring(255, L'n'));
    EXPECT_EQ(t.Suchen(lang), l);
    t.Zuruecksetzen(marke);
    EXPECT_EQ(t.Anzahl(), marke);
    EXPECT_EQ(t.Suchen(L"e5"), 0);
    EXPECT_EQ(t.Suchen(L"para"), p);
}
