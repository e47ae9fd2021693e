#include "base/Konsole.h"

#include <gtest/gtest.h>

namespace {

std::string utf8(char32_t c) {
    std::string s;
    Konsole_Utf8(s, c);
    return s;
}

TEST(Konsole, EncodesEveryLengthOfUtf8) {
    EXPECT_EQ(utf8(U'A'), "A");
    EXPECT_EQ(utf8(0xE4), "\xC3\xA4");        // ä
    EXPECT_EQ(utf8(0xDF), "\xC3\x9F");        // ß
    EXPECT_EQ(utf8(0x20AC), "\xE2\x82\xAC");  // €
    EXPECT_EQ(utf8(0x1F600), "\xF0\x9F\x98\x80");
    EXPECT_EQ(utf8(0x10FFFF), "\xF4\x8F\xBF\xBF");
}

TEST(Konsole, NeverEmitsMalformedUtf8) {
    EXPECT_EQ(utf8(0xD800), "\xEF\xBF\xBD");
    EXPECT_EQ(utf8(0xDFFF), "\xEF\xBF\xBD");
    EXPECT_EQ(utf8(0x110000), "\xEF\xBF\xBD");
}

TEST(Konsole, PrintsUmlautsUnderAnyLocale) {
    testing::internal::CaptureStdout();
    Konsole_Print(L"Prüfe: '%ls' %d%%\n", L"Größe.xml", 5);
    Konsole_Text(L"100% ä\n");
    Konsole_Flush();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Pr\xC3\xBC" "fe: 'Gr\xC3\xB6\xC3\x9F" "e.xml' 5%\n100% \xC3\xA4\n");
}

TEST(Konsole, LongFormattedTextIsNotCut) {
    std::wstring lang(100000, L'x');
    testing::internal::CaptureStdout();
    Konsole_Print(L"<%ls>", lang.c_str());
    Konsole_Flush();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.size(), lang.size() + 2);
}

}  // namespace
