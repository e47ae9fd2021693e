#include "textio/ENCODING.h"

#include <gtest/gtest.h>

namespace {

TEST(ENCODING, ScriptNamesIgnoreCase) {
    EXPECT_EQ(ENCODING_aus_Skriptname(L"UTF-16"), ENC_UTF16LE);
    EXPECT_EQ(ENCODING_aus_Skriptname(L"utf-8"), ENC_UTF8);
    EXPECT_EQ(ENCODING_aus_Skriptname(L"windows-1252"), ENC_NONE);
    EXPECT_EQ(ENCODING_aus_Skriptname(nullptr), ENC_NONE);
}

TEST(ENCODING, DeclarationNamesIgnoreCase) {
    EXPECT_EQ(ENCODING_aus_Xmlname(L"utf-16"), ENC_UTF16);
    EXPECT_EQ(ENCODING_aus_Xmlname(L"UTF-16le"), ENC_UTF16LE);
    EXPECT_EQ(ENCODING_aus_Xmlname(L"Utf-32"), ENC_UTF32);
    EXPECT_EQ(ENCODING_aus_Xmlname(L"iso-10646-ucs-2"), ENC_UCS2);
    EXPECT_EQ(ENCODING_aus_Xmlname(L"ISO-10646-UCS-4"), ENC_UCS4);
    EXPECT_EQ(ENCODING_aus_Xmlname(L"ascii"), ENC_ISO_8859_1);
    // Script-only names and unknown ones are plain bytes here.
    EXPECT_EQ(ENCODING_aus_Xmlname(L"UCS-2BE"), ENC_BIN);
    EXPECT_EQ(ENCODING_aus_Xmlname(L"BIN"), ENC_BIN);
    EXPECT_EQ(ENCODING_aus_Xmlname(L"UTF-8 "), ENC_BIN);
    EXPECT_EQ(ENCODING_aus_Xmlname(L"UTF-"), ENC_BIN);
    EXPECT_EQ(ENCODING_aus_Xmlname(L""), ENC_UTF8);
    EXPECT_EQ(ENCODING_aus_Xmlname(nullptr), ENC_UTF8);
    const char* roh = "utf-8\"?>";
    EXPECT_EQ(ENCODING_aus_Xmlname(roh, 5), ENC_UTF8);
    EXPECT_EQ(ENCODING_aus_Xmlname("\xC3\xA4", 2), ENC_BIN);
}

}  // namespace
