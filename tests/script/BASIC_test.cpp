#include "script/BASIC.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "textio/Konsole.h"

namespace {

// Builds an item array by hand: every text gets its own zero-terminated
// storage, as the recording parser's terminators would leave it.
class Skript {
public:
    explicit Skript(BASIC& b) : b_(b) { b_.Init(4, false); }
    Skript& Add(BASICtypeItems kind, const wchar_t* text = L"", std::uint32_t level = 0,
                std::uint32_t value = 0) {
        texts_.push_back(std::make_unique<std::wstring>(text));
        std::wstring& t = *texts_.back();
        b_.AddItem(kind, t.data(), t.data() + t.size(), level, value);
        return *this;
    }
    Skript& Implicit(BASICtypeItems kind, std::uint32_t level, std::uint32_t value) {
        b_.AddItem(kind, nullptr, nullptr, level, value);
        return *this;
    }

private:
    BASIC& b_;
    std::vector<std::unique_ptr<std::wstring>> texts_;
};

std::string Console(const std::function<void()>& action) {
    testing::internal::CaptureStdout();
    action();
    Konsole_Flush();
    return testing::internal::GetCapturedStdout();
}

TEST(BASICSettings, ScriptWithoutSettingsAnswersTheDefaults) {
    BASIC b;
    Skript s(b);
    s.Add(ITEM_ELEMENT, L"p").Add(ITEM_ENDE);
    ASSERT_TRUE(b.Indexieren());
    EXPECT_TRUE(b.IPR_is_XML_Syntax());
    EXPECT_FALSE(b.IPR_is_HTML_Syntax());
    EXPECT_EQ(b.Find_ReaderEncoding(), ENC_AUTO);
    EXPECT_EQ(b.Find_WriterEncoding(), ENC_AUTO);
    EXPECT_EQ(b.IPR_is_Warnings(), 2);
    EXPECT_TRUE(b.IPR_is_Only_Defined_Elements_Type(ELEM_ONLYDEFINED));
    EXPECT_FALSE(b.IPR_is_Drop_Undefined_Elements_Type(ELEM_ONLYDEFINED));
    EXPECT_TRUE(b.IPR_is_Only_Defined_Entities_Type(ENTY_ONLYDEFINED));
    EXPECT_FALSE(b.IPR_is_Only_Defined_PCDATA_Type());
    EXPECT_TRUE(b.IPR_is_Namecase(true));
    EXPECT_FALSE(b.IPR_is_Namecase(false));
}

TEST(BASICSettings, EmptyCompiledScriptKnowsNoEmptyElement) {
    BASIC b;
    EXPECT_FALSE(b.IPR_is_SGML_Empty_Element(L"br"));
    EXPECT_TRUE(b.IPR_is_Element_PCDATA(L"br"));
    EXPECT_EQ(b.IPR_is_Warnings(), 2);
    EXPECT_EQ(b.warning_level, 2);
}

TEST(BASICSettings, RepeatedSettingsAreReportedOnEveryQuery) {
    BASIC b;
    Skript s(b);
    s.Add(ITEM_SYNTAX, L"SGML", 0, SYNTAX_SGML).Add(ITEM_SYNTAX, L"HTML", 0, SYNTAX_HTML)
        .Add(ITEM_WARNINGS, L"SMART", 0, WARNINGS_SMART).Add(ITEM_WARNINGS, L"ALL", 0, WARNINGS_ALL)
        .Add(ITEM_WARNINGS, L"SMART", 0, WARNINGS_SMART)
        .Add(ITEM_ELEMENT, L"p").Add(ITEM_ENDE);
    EXPECT_EQ(Console([&] { EXPECT_TRUE(b.Indexieren()); }),
              "FEHLER: (Interpreter) SYNTAX wurde mehrfach definiert.\n");
    EXPECT_EQ(Console([&] { EXPECT_TRUE(b.IPR_is_HTML_Syntax()); }),
              "FEHLER: (Interpreter) SYNTAX wurde mehrfach definiert.\n");
    EXPECT_EQ(Console([&] { EXPECT_EQ(b.IPR_is_Warnings(), 1); }),
              "FEHLER: (Interpreter) WARNINGS wurde mehrfach definiert.\n"
              "FEHLER: (Interpreter) WARNINGS wurde mehrfach definiert.\n");
}

TEST(BASICDefinitions, SgmlEmptyElementsFollowTheirModel) {
    BASIC b;
    Skript s(b);
    s.Add(ITEM_SYNTAX, L"SGML", 0, SYNTAX_SGML)
        .Add(ITEM_ELEMENT, L"br").Add(ITEM_MODEL, L"EMPTY", 0, MODEL_EMPTY).Add(ITEM_ENDE)
        .Add(ITEM_ELEMENT, L"p").Add(ITEM_MODEL, L"GROUP", 0, MODEL_GROUP).Add(ITEM_ENDE)
        .Add(ITEM_ELEMENT, L"em").Add(ITEM_ENDE);
    ASSERT_TRUE(b.Indexieren());
    DCL d;
    d.namecase = 1;
    b.Load_Declaration(&d);
    EXPECT_TRUE(b.IPR_is_SGML_Empty_Element(L"BR"));
    EXPECT_TRUE(b.IPR_is_SGML_Empty_Element(L"br"));
    EXPECT_FALSE(b.IPR_is_SGML_Empty_Element(L"p"));
    EXPECT_FALSE(b.IPR_is_SGML_Empty_Element(L"em"));
    EXPECT_FALSE(b.IPR_is_SGML_Empty_Element(L"hr"));
    EXPECT_FALSE(b.IPR_is_Element_PCDATA(L"P"));
    EXPECT_TRUE(b.IPR_is_Element_PCDATA(L"em"));
    EXPECT_TRUE(b.IPR_is_Element_PCDATA(L"hr"));
}

}  // namespace
