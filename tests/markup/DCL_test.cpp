#include "markup/DCL.h"

#include <gtest/gtest.h>

TEST(DCL, FreshRecordIsXmlWithExactNamesAndUtf8) {
    DCL d;
    EXPECT_EQ(d.xml, 1);
    EXPECT_EQ(d.sgml, 0);
    EXPECT_EQ(d.html, 0);
    EXPECT_EQ(d.namecase, 0);
    EXPECT_EQ(d.reader_encoding, ENC_UTF8);
    EXPECT_EQ(d.bom_encoding, ENC_UTF8);
}

TEST(DCL, NameCaseFlagDecidesComparison) {
    DCL d;
    EXPECT_FALSE(d.general_name_compare(L"Para", L"PARA"));
    EXPECT_TRUE(d.general_name_compare(L"Para", L"Para"));
    d.namecase = 1;
    EXPECT_TRUE(d.general_name_compare(L"Para", L"PARA"));
    EXPECT_FALSE(d.general_name_compare(L"Para", L"Par"));
}

TEST(DCL, NullNamesNeverMatch) {
    DCL d;
    EXPECT_FALSE(d.general_name_compare(nullptr, L"a"));
    EXPECT_FALSE(d.general_name_compare(L"a", nullptr));
    EXPECT_FALSE(d.general_name_compare(nullptr, nullptr));
    d.namecase = 1;
    EXPECT_FALSE(d.general_name_compare(nullptr, nullptr));
}
