#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "base/LISTEINT.h"
#include "base/LISTEPTR.h"
#include "base/LISTESTR.h"
#include "base/Zeichenwandlung.h"

namespace {

TEST(LISTEINT, PushGrowsByOneStepAndNewSlotsStartAtZero) {
    LISTEINT stapel;
    ASSERT_EQ(stapel.Init(2), 1);
    EXPECT_EQ(stapel.Hochwasser(), 1);
    ASSERT_EQ(stapel.PushItem(), 1);
    stapel.SetItem(7);
    ASSERT_EQ(stapel.PushItem(), 1);
    stapel.IncItem();
    stapel.IncItem();
    ASSERT_EQ(stapel.PushItem(), 1);
    EXPECT_EQ(stapel.Kapazitaet(), 4098);
    EXPECT_EQ(stapel.Item(), 0u);
    EXPECT_EQ(stapel.GetItem(1), 7u);
    EXPECT_EQ(stapel.GetItem(2), 2u);
    EXPECT_EQ(stapel.GetItem(4), 0u);  // above the top
    EXPECT_EQ(stapel.Hochwasser(), 4);
}

TEST(LISTEINT, EmptyStackRefusesPopAndSetButCountsInSlotZero) {
    LISTEINT stapel;
    stapel.Init(4);
    EXPECT_EQ(stapel.PopItem(), 0);
    EXPECT_EQ(stapel.SetItem(5), 0);
    EXPECT_EQ(stapel.Index(), 0);
    EXPECT_EQ(stapel.IncItem(), 1);
    EXPECT_EQ(stapel.Item(), 1u);
    EXPECT_EQ(stapel.GetItem(0), 0u);
}

TEST(LISTEINT, PopAndClearResetCounters) {
    LISTEINT stapel;
    stapel.Init(4);
    stapel.PushItem();
    stapel.SetItem(3);
    stapel.PushItem();
    stapel.SetItem(9);
    EXPECT_EQ(stapel.PopItem(), 1);
    stapel.PushItem();
    EXPECT_EQ(stapel.Item(), 0u);  // the pop cleared the slot
    stapel.SetItem(4);
    stapel.Clear();
    EXPECT_EQ(stapel.Index(), 0);
    stapel.PushItem();
    EXPECT_EQ(stapel.Item(), 0u);
    stapel.PushItem();
    EXPECT_EQ(stapel.Item(), 0u);
}

TEST(LISTEINT, ZeroInitAndDeleteLeaveAUsableStack) {
    LISTEINT stapel;
    EXPECT_EQ(stapel.Init(0), 0);
    EXPECT_EQ(stapel.Hochwasser(), 0);
    EXPECT_EQ(stapel.Item(), 0u);
    EXPECT_EQ(stapel.PushItem(), 1);
    stapel.SetItem(2);
    EXPECT_EQ(stapel.Item(), 2u);
    stapel.Delete();
    EXPECT_EQ(stapel.Item(), 0u);
    EXPECT_EQ(stapel.IncItem(), 0);
    EXPECT_EQ(stapel.PushItem(), 1);
    EXPECT_EQ(stapel.Item(), 0u);
}

TEST(LISTEPTR, ClearTerminatesTextsAndRestartsAtSlotZero) {
    wchar_t text[] = L"abc|def|";
    LISTEPTR index;
    ASSERT_EQ(index.Init(0), 1);
    EXPECT_EQ(index.Kapazitaet(), 1);
    EXPECT_EQ(index.AddItem(text + 3), 1);
    EXPECT_EQ(index.AddItem(text + 7), 1);
    EXPECT_EQ(index.Kapazitaet(), 1 + 65535);  // grew when the second slot filled
    EXPECT_EQ(index.Anzahl(), 3);
    ASSERT_EQ(index.Clear(), 1);
    EXPECT_EQ(std::wstring(text), L"abc");
    EXPECT_EQ(std::wstring(text + 4), L"def");
    EXPECT_EQ(index.Index(), 0);
    wchar_t anderer[] = L"xy";
    index.AddItem(anderer + 1);
    EXPECT_EQ(index.Eintrag(0), anderer + 1);
}

TEST(LISTEPTR, ManyEntriesAfterRepeatedClearsStayInBounds) {
    // The count keeps growing across clears; clearing must not walk past
    // the storage or write through pointers of an earlier round.
    std::wstring texte(40, L'x');
    LISTEPTR index;
    index.Init(8);
    for (int runde = 0; runde < 3; ++runde) {
        for (int i = 0; i < 6; ++i) ASSERT_EQ(index.AddItem(&texte[runde * 10 + i]), 1);
        ASSERT_EQ(index.Clear(), 1);
    }
    EXPECT_EQ(texte.substr(0, 6), std::wstring(6, L'\0'));
    EXPECT_EQ(texte.substr(20, 6), std::wstring(6, L'\0'));
    EXPECT_EQ(texte[6], L'x');
}

TEST(LISTEPTR, DefaultConstructedIndexTakesEntriesWithoutInit) {
    wchar_t a[] = L"a";
    LISTEPTR index;
    EXPECT_EQ(index.AddItem(a), 1);
    EXPECT_EQ(index.AddItem(a), 1);
    EXPECT_EQ(index.AddItem(a), 1);
    index.Delete();
    EXPECT_EQ(index.AddItem(a), 0);
    EXPECT_EQ(index.Clear(), 0);
}

TEST(LISTESTR, KeepsOrderAndConvertsNarrowText) {
    std::setlocale(LC_CTYPE, "C.UTF-8");
    LISTESTR liste;
    EXPECT_EQ(liste.AddItem("tessar"), 1);
    EXPECT_EQ(liste.AddItem("Gr\xC3\xB6\xC3\x9F" "e.xml"), 1);
    EXPECT_EQ(liste.AddItem(L"-q"), 1);
    EXPECT_EQ(liste.AddItem(static_cast<wchar_t const*>(nullptr)), 0);
    EXPECT_EQ(liste.Anzahl(), 3);
    EXPECT_EQ(liste[1], L"Größe.xml");
    liste[1].clear();
    EXPECT_EQ(liste[2], L"-q");
    liste.Init();
    liste.AddItem(L"neu");
    EXPECT_EQ(liste[0], L"neu");
    EXPECT_EQ(liste.Anzahl(), 1);
}

TEST(Zeichenwandlung, BytesOutsideTheLocaleSurviveTheRoundTrip) {
    std::setlocale(LC_CTYPE, "C.UTF-8");
    const char latin1[] = "K\xE4se \xC3\xA4.xml\xC3";  // Latin-1 ä, UTF-8 ä, cut sequence
    std::wstring breit = SchmalZuBreit(latin1);
    EXPECT_EQ(breit, std::wstring(L"K\xDCE4se ä.xml\xDCC3"));
    EXPECT_EQ(BreitZuSchmal(breit.c_str()), std::string(latin1));
}

}  // namespace
