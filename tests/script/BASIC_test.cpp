#include "script/BASIC.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Konsole.h"

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

TEST(BASICSettings, ConvertSwitchesAndEncodings) {
    BASIC b;
    Skript s(b);
    s.Add(ITEM_CONVERTELEMENTS, L"ALL", 0, ELEM_ALL).Add(ITEM_CONVERTELEMENTS, L"DROPUNDEFINED", 0, 3)
        .Add(ITEM_CONVERTDATA, L"ONLYDEFINED", 0, 2).Add(ITEM_CONVERTDATA, L"ALL", 0, 1)
        .Add(ITEM_CONVERTENTITIES, L"ALL", 0, ENTY_ALL)
        .Add(ITEM_READERENCODING, L"ISO-8859-1", 0, ENC_ISO_8859_1)
        .Add(ITEM_WRITERENCODING, L"UTF-16", 0, ENC_UTF16LE).Add(ITEM_WRITERENCODING, L"UTF-8", 0, ENC_UTF8)
        .Add(ITEM_NAMECASE, L"NO", 0, NAMECASE_NO)
        .Add(ITEM_ENTITY, L"x").Add(ITEM_LITERAL, L"y")
        // settings after the first definition are not settings any more
        .Add(ITEM_SYNTAX, L"SGML", 0, SYNTAX_SGML);
    // The drop query and the data query never report repetitions.
    EXPECT_EQ(Console([&] { EXPECT_TRUE(b.IPR_is_Drop_Undefined_Elements_Type(ELEM_ONLYDEFINED)); }), "");
    EXPECT_EQ(Console([&] { EXPECT_TRUE(b.IPR_is_Only_Defined_PCDATA_Type()); }), "");
    EXPECT_EQ(Console([&] { EXPECT_FALSE(b.IPR_is_Only_Defined_Elements_Type(ELEM_ONLYDEFINED)); }),
              "FEHLER: (Interpreter) CONVERTELEMENTS wurde mehrfach definiert.\n");
    EXPECT_FALSE(b.IPR_is_Only_Defined_Entities_Type(ENTY_ONLYDEFINED));
    EXPECT_EQ(b.Find_ReaderEncoding(), ENC_ISO_8859_1);
    EXPECT_EQ(Console([&] { EXPECT_EQ(b.Find_WriterEncoding(), ENC_UTF8); }),
              "FEHLER: (Interpreter) WriterEncoding wurde mehrfach definiert.\n");
    EXPECT_FALSE(b.IPR_is_Namecase(true));
    EXPECT_TRUE(b.IPR_is_XML_Syntax());
}

TEST(BASICIndex, ElementNamesDifferingInCaseAreDuplicatesOnlyUnderSgml) {
    for (std::uint32_t syntax : {SYNTAX_SGML, SYNTAX_XML, SYNTAX_HTML}) {
        BASIC b;
        Skript s(b);
        s.Add(ITEM_SYNTAX, L"", 0, syntax)
            .Add(ITEM_ELEMENT, L"Para").Add(ITEM_ENDE)
            .Add(ITEM_ELEMENT, L"PARA").Add(ITEM_ENDE)
            .Add(ITEM_ELEMENT, L"Para").Add(ITEM_ENDE);
        std::string out = Console([&] { EXPECT_FALSE(b.Indexieren()); });
        if (syntax == SYNTAX_SGML) {
            EXPECT_EQ(out, "FEHLER: (Interpreter) ELEMENT PARA mehrfach definiert.\n"
                           "FEHLER: (Interpreter) ELEMENT Para mehrfach definiert.\n");
        } else {
            EXPECT_EQ(out, "FEHLER: (Interpreter) ELEMENT Para mehrfach definiert.\n");
        }
        // The first definition stays in the index.
        int position = -1;
        ASSERT_TRUE(b.Find_element_definition(&position, syntax == SYNTAX_SGML ? L"PARA" : L"Para"));
        EXPECT_EQ(position, 1);
    }
}

TEST(BASICIndex, EntityDuplicatesByNameAndByCharacter) {
    BASIC b;
    Skript s(b);
    s.Add(ITEM_ENTITY, L"auml").Add(ITEM_LITERAL, L"a")
        .Add(ITEM_ENTITY, L"#x41", 0, 65).Add(ITEM_LITERAL, L"A")
        .Add(ITEM_ENTITY, L"Auml").Add(ITEM_LITERAL, L"A")
        .Add(ITEM_ENTITY, L"#65", 0, 65).Add(ITEM_LITERAL, L"A")
        .Add(ITEM_ENTITY, L"auml").Add(ITEM_LITERAL, L"b");
    EXPECT_EQ(Console([&] { EXPECT_FALSE(b.Indexieren()); }),
              "FEHLER: (Interpreter) ENTITY #65 (Zeichenreferenz) mehrfach definiert; "
              "numerischer Wert mehrfach vorhanden!\n"
              "FEHLER: (Interpreter) ENTITY auml mehrfach definiert.\n");
    int position = -1;
    ASSERT_TRUE(b.Find_entity_definition(&position, nullptr, 65));
    EXPECT_EQ(position, 2);
    ASSERT_TRUE(b.Find_entity_definition(&position, L"Auml", 0));
    EXPECT_EQ(position, 4);
}

TEST(BASICLookup, ElementLookupFollowsTheDeclarationsNameCase) {
    // XML index keys are exact; with the name-case flag set the lookup folds,
    // misses the index and must still find the element by comparison.
    BASIC b;
    Skript s(b);
    s.Add(ITEM_ELEMENT, L"Para").Add(ITEM_ENDE).Add(ITEM_ELEMENT, L"note").Add(ITEM_ENDE);
    ASSERT_TRUE(b.Indexieren());
    DCL d;
    b.Load_Declaration(&d);
    int position = -1;
    EXPECT_FALSE(b.Find_element_definition(&position, L"para"));
    EXPECT_TRUE(b.Find_element_definition(&position, L"note"));
    EXPECT_EQ(position, 2);
    d.namecase = 1;
    EXPECT_TRUE(b.Find_element_definition(&position, L"pARA"));
    EXPECT_EQ(position, 0);
    EXPECT_TRUE(b.Find_element_definition(&position, L"NOTE"));
    EXPECT_EQ(position, 2);
    EXPECT_FALSE(b.Find_element_definition(&position, L"notes"));
    EXPECT_FALSE(b.Find_element_definition(&position, nullptr));
    d.namecase = 0;
    EXPECT_FALSE(b.Find_element_definition(&position, L"NOTE"));
}

TEST(BASICLookup, SgmlIndexWithExactNamesFallsBackToComparison) {
    BASIC b;
    Skript s(b);
    s.Add(ITEM_SYNTAX, L"SGML", 0, SYNTAX_SGML).Add(ITEM_NAMECASE, L"NO", 0, NAMECASE_NO)
        .Add(ITEM_ELEMENT, L"para").Add(ITEM_ENDE);
    ASSERT_TRUE(b.Indexieren());
    DCL d;  // name-case flag clear, as NAMECASE NO leaves it
    b.Load_Declaration(&d);
    int position = -1;
    EXPECT_TRUE(b.Find_element_definition(&position, L"para"));
    EXPECT_EQ(position, 2);
    EXPECT_TRUE(b.Find_element_definition(&position, L"PARA"));
    EXPECT_FALSE(b.Find_element_definition(&position, L"Para"));
}

TEST(BASICLookup, DebugModeTellsAboutIndexMisses) {
    BASIC b;
    b.Init(1, true);
    EXPECT_TRUE(b.debug);
    int position = 0;
    EXPECT_EQ(Console([&] { EXPECT_FALSE(b.Find_element_definition(&position, L"x")); }),
              "- Die Suche nach der Elementdefinition per Index war ohne Erfolg.\n");
    EXPECT_EQ(Console([&] { EXPECT_FALSE(b.Find_entity_definition(&position, L"x", 0)); }),
              "- Die Suche nach der Entitydefinition per Index war ohne Erfolg.\n");
}

TEST(BASICLookup, EntityVariantsFallBackToTheEntityItself) {
    BASIC b;
    Skript s(b);
    s.Add(ITEM_ENTITY, L"auml").Add(ITEM_LITERAL, L"\u00e4")
        .Add(ITEM_ENTITY_ALTERNATE).Add(ITEM_LITERAL, L"ae")
        .Add(ITEM_ENTITY_ASCII).Add(ITEM_LITERAL, L"a")          // 4, 5
        .Add(ITEM_ENTITY, L"#x20AC", 0, 0x20AC).Add(ITEM_LITERAL, L"EUR")  // 6
        .Add(ITEM_ENTITY_ASCII).Add(ITEM_LITERAL, L"E")          // 8
        .Add(ITEM_ENTITY, L"nbsp").Add(ITEM_CHR).Add(ITEM_NUMBER, L"160");  // 10
    ASSERT_TRUE(b.Indexieren());
    int position = -1;
    ASSERT_TRUE(b.Find_entity_alternate_definition(&position, L"auml", 0));
    EXPECT_EQ(position, 2);
    ASSERT_TRUE(b.Find_entity_ascii_definition(&position, L"auml", 0));
    EXPECT_EQ(position, 4);
    // An ASCII variant must not be taken from the next entity.
    ASSERT_TRUE(b.Find_entity_alternate_definition(&position, nullptr, 0x20AC));
    EXPECT_EQ(position, 6);
    ASSERT_TRUE(b.Find_entity_ascii_definition(&position, nullptr, 0x20AC));
    EXPECT_EQ(position, 8);
    ASSERT_TRUE(b.Find_entity_ascii_definition(&position, L"nbsp", 0));
    EXPECT_EQ(position, 10);
    EXPECT_FALSE(b.Find_entity_ascii_definition(&position, L"uuml", 0));
    EXPECT_FALSE(b.Find_entity_definition(&position, nullptr, 0x41));
    EXPECT_FALSE(b.Find_entity_definition(&position, nullptr, 0));
    // A name that misses the named index still finds a character entity by its code.
    ASSERT_TRUE(b.Find_entity_definition(&position, L"euro", 0x20AC));
    EXPECT_EQ(position, 6);
    ASSERT_TRUE(b.Find_entity_definition(&position, L"#x20AC", 0));
    EXPECT_EQ(position, 6);
    // Entity names are exact in every syntax.
    EXPECT_FALSE(b.Find_entity_definition(&position, L"Auml", 0));
}

// An element with ATTLIST defaults, one without, one with an attribute but
// no default, and the third with rules after its ATTLIST.
void AttlistScript(Skript& s) {
    s.Add(ITEM_ELEMENT, L"table")                                  // 0
        .Add(ITEM_ATTNAME, L"border").Add(ITEM_ATTVALUE, L"1")    // 1, 2
        .Add(ITEM_ATTNAME, L"width").Add(ITEM_ATTVALUE, L"")      // 3, 4
        .Add(ITEM_ENDE)                                            // 5
        .Add(ITEM_ELEMENT, L"td")                                  // 6
        .Add(ITEM_ENDE)                                            // 7
        .Add(ITEM_ELEMENT, L"tr")                                  // 8
        .Add(ITEM_MODEL, L"GROUP", 0, MODEL_GROUP)                 // 9
        .Add(ITEM_ATTNAME, L"align").Add(ITEM_ATTVALUE, L"left")   // 10, 11
        .Add(ITEM_RULE_BEG).Add(ITEM_LITERAL, L"<tr>")            // 12, 13
        .Add(ITEM_IF, L"IF", 1).Add(ITEM_ATTNAME, L"border", 1)    // 14, 15
        .Add(ITEM_ATTVALUE, L"x", 1).Add(ITEM_RULE_NOP, L"", 1)    // 16, 17
        .Add(ITEM_ENDIF, L"ENDIF", 1).Add(ITEM_ENDE)               // 18, 19
        .Add(ITEM_ELEMENT, L"border")                              // 20
        .Add(ITEM_ATTNAME, L"valign").Add(ITEM_ENDE);              // 21, 22
}

TEST(BASICLookup, AttributeDefaultsStayWithinTheirElement) {
    BASIC b;
    Skript s(b);
    AttlistScript(s);
    ASSERT_TRUE(b.Indexieren());
    const wchar_t* value = nullptr;
    ASSERT_TRUE(b.Find_attribute_default(0, nullptr, L"border", &value));
    EXPECT_STREQ(value, L"1");
    ASSERT_TRUE(b.Find_attribute_default(5, nullptr, L"width", &value));
    EXPECT_STREQ(value, L"");
    // td has no attributes: the scan must not run on into tr's defaults.
    EXPECT_FALSE(b.Find_attribute_default(6, nullptr, L"align", &value));
    EXPECT_FALSE(b.Find_attribute_default(7, L"td", L"align", &value));
    // From a rule position of tr, and by name from anywhere.
    ASSERT_TRUE(b.Find_attribute_default(17, nullptr, L"align", &value));
    EXPECT_STREQ(value, L"left");
    ASSERT_TRUE(b.Find_attribute_default(3, L"tr", L"align", &value));
    EXPECT_STREQ(value, L"left");
    // Attribute names in conditions are no declarations.
    EXPECT_FALSE(b.Find_attribute_default(8, nullptr, L"border", &value));
    // A declared attribute without a value is no default.
    EXPECT_FALSE(b.Find_attribute_default(20, nullptr, L"valign", &value));
    EXPECT_FALSE(b.Find_attribute_default(0, L"caption", L"border", &value));
    EXPECT_FALSE(b.Find_attribute_default(500, nullptr, L"valign", &value));
}

TEST(BASICLookup, AttributeDefaultBeforeAnyElementIsNotFound) {
    BASIC b;
    Skript s(b);
    s.Add(ITEM_SYNTAX, L"XML", 0, SYNTAX_XML);
    AttlistScript(s);
    const wchar_t* value = nullptr;
    EXPECT_FALSE(b.Find_attribute_default(0, L"table", L"border", &value));
    EXPECT_FALSE(b.Find_attribute_default(-3, nullptr, L"border", &value));
}

// ELEMENT a
//   BEG "x"
//   IF FIRST                  level 1
//     IF LAST  NOP            level 2
//     ELSE END "y"            level 2
//     ENDIF
//   ELSEIF EMPTY DAT=DROP     level 1
//   ELSE                      level 1
//     NOP
//   ENDIF
//   ERR "z"
// ENDE
void BranchScript(Skript& s) {
    s.Add(ITEM_ELEMENT, L"a")                                          // 0
        .Add(ITEM_RULE_BEG).Add(ITEM_LITERAL, L"x")                   // 1, 2
        .Add(ITEM_IF, L"IF", 1).Add(ITEM_FIRST, L"FIRST", 1)           // 3, 4
        .Add(ITEM_IF, L"IF", 2).Add(ITEM_LAST, L"LAST", 2)             // 5, 6
        .Add(ITEM_RULE_NOP, L"", 2)                                    // 7
        .Add(ITEM_ELSE, L"ELSE", 2).Add(ITEM_RULE_END, L"END", 2)      // 8, 9
        .Add(ITEM_LITERAL, L"y").Add(ITEM_ENDIF, L"ENDIF", 2)          // 10, 11
        .Add(ITEM_ELSEIF, L"ELSEIF", 1).Add(ITEM_COND_EMPTY, L"", 1)   // 12, 13
        .Add(ITEM_RULE_DAT, L"DAT", 1).Add(ITEM_DATA_TYPE, L"DROP", 0, 7)  // 14, 15
        .Add(ITEM_ELSE, L"ELSE", 1).Add(ITEM_RULE_NOP, L"", 1)         // 16, 17
        .Add(ITEM_ENDIF, L"ENDIF", 1)                                  // 18
        .Add(ITEM_RULE_ERR).Add(ITEM_LITERAL, L"z")                   // 19, 20
        .Add(ITEM_ENDE)                                                // 21
        .Add(ITEM_ELEMENT, L"b").Add(ITEM_ENDE);                       // 22, 23
}

TEST(BASICBranches, RuleListWalk) {
    BASIC b;
    Skript s(b);
    BranchScript(s);
    int p = 0;
    ASSERT_TRUE(b.Find_condition_rules(&p));
    EXPECT_EQ(p, 1);
    p = 2;
    ASSERT_TRUE(b.Find_condition_rules(&p));
    EXPECT_EQ(p, 3);
    p = 8;  // the end of a branch moves the position there and answers false
    EXPECT_FALSE(b.Find_condition_rules(&p));
    EXPECT_EQ(p, 8);
    p = 10;
    EXPECT_FALSE(b.Find_condition_rules(&p));
    EXPECT_EQ(p, 11);
    p = 19;
    ASSERT_TRUE(b.Find_condition_rules(&p));
    EXPECT_EQ(p, 19);
    p = 20;  // ENDE: false, position unchanged
    EXPECT_FALSE(b.Find_condition_rules(&p));
    EXPECT_EQ(p, 20);
    p = 22;  // an element without rules
    EXPECT_FALSE(b.Find_condition_rules(&p));
    EXPECT_EQ(p, 22);
    p = 1000;
    EXPECT_FALSE(b.Find_condition_rules(&p));
}

TEST(BASICBranches, NextBranchAndEndStepOverNestedBlocks) {
    BASIC b;
    Skript s(b);
    BranchScript(s);
    std::string out = Console([&] {
        int p = 4;  // after the outer IF
        ASSERT_TRUE(b.Find_condition_set_next(&p, 1));
        EXPECT_EQ(p, 12);
        p = 13;
        ASSERT_TRUE(b.Find_condition_set_next(&p, 1));
        EXPECT_EQ(p, 16);
        ASSERT_TRUE(b.Find_condition_set_next(&p, 1));  // begins at the position itself
        EXPECT_EQ(p, 16);
        p = 6;
        ASSERT_TRUE(b.Find_condition_set_next(&p, 2));
        EXPECT_EQ(p, 8);
        p = 4;
        ASSERT_TRUE(b.Find_condition_set_ende(&p, 1));
        EXPECT_EQ(p, 18);
        p = 9;
        ASSERT_TRUE(b.Find_condition_set_ende(&p, 2));
        EXPECT_EQ(p, 11);
        p = 18;
        ASSERT_TRUE(b.Find_condition_set_ende(&p, 1));
        EXPECT_EQ(p, 18);
    });
    EXPECT_EQ(out, "");
}

TEST(BASICBranches, MalformedBlocksAreReported) {
    BASIC b;
    Skript s(b);
    BranchScript(s);
    int p = 3;  // the IF itself interrupts a search at its own level
    EXPECT_EQ(Console([&] { EXPECT_FALSE(b.Find_condition_set_next(&p, 1)); }),
              "FEHLER: (Interpreter) BASIC: Bedingung unterbrochen\n");
    p = 9;  // looking for level 3 inside level 2 meets the level-2 ENDIF
    EXPECT_EQ(Console([&] { EXPECT_FALSE(b.Find_condition_set_next(&p, 3)); }),
              "FEHLER: (Interpreter) BASIC: Bedingung übersprungen\n");
    EXPECT_EQ(Console([&] { EXPECT_FALSE(b.Find_condition_set_ende(&p, 3)); }),
              "FEHLER: (Interpreter) BASIC: Condition-Ende-Überlauf\n");
    EXPECT_EQ(p, 9);
    p = 19;  // the element's end stops both searches silently
    EXPECT_EQ(Console([&] {
                  EXPECT_FALSE(b.Find_condition_set_next(&p, 1));
                  EXPECT_FALSE(b.Find_condition_set_ende(&p, 1));
              }),
              "");

    BASIC open;
    Skript t(open);
    t.Add(ITEM_ELEMENT, L"a").Add(ITEM_IF, L"IF", 1).Add(ITEM_RULE_NOP, L"", 1);
    p = 2;
    EXPECT_EQ(Console([&] {
                  EXPECT_FALSE(open.Find_condition_set_next(&p, 1));
                  EXPECT_FALSE(open.Find_condition_set_ende(&p, 1));
              }),
              "FEHLER: (Interpreter) BASIC: Bedingung nicht beendet\n"
              "FEHLER: (Interpreter) BASIC: Condition-Ende nicht gefunden\n");
}

TEST(BASICBranches, ReplaceTypeBelongsToTheCurrentRule) {
    BASIC b;
    Skript s(b);
    s.Add(ITEM_ELEMENT, L"a")
        .Add(ITEM_RULE_BEG).Add(ITEM_COPY).Add(ITEM_NAME, L"b").Add(ITEM_RANGE, L"", 0, 8)  // 1-4
        .Add(ITEM_FIND_NUMBER, L"", 0, 2).Add(ITEM_DATA_TYPE, L"FULL", 0, 1)              // 5, 6
        .Add(ITEM_PLUS).Add(ITEM_COPY).Add(ITEM_NAME, L"c")                                // 7-9
        .Add(ITEM_RULE_END).Add(ITEM_LITERAL, L"x").Add(ITEM_ENDE);                        // 10-12
    int p = 2;
    ASSERT_TRUE(b.Find_replace_type(&p));
    EXPECT_EQ(p, 6);
    p = 8;
    EXPECT_FALSE(b.Find_replace_type(&p));
    EXPECT_EQ(p, 8);
}

TEST(BASICItems, ArrayGrowsPastItsFirstCapacity) {
    BASIC b;
    b.Init(0, false);
    std::wstring text = L"x";
    for (int i = 0; i < 70000; ++i) ASSERT_TRUE(b.AddItem(ITEM_LITERAL, text.data(), text.data() + 1, 0, i));
    EXPECT_EQ(b.ItemCount(), 70000);
    EXPECT_EQ(b.Item(69999).value, 69999u);
    EXPECT_EQ(b.Item(70000).kind, ITEM_NONE);
    EXPECT_EQ(b.Item(-1).kind, ITEM_NONE);
    EXPECT_STREQ(b.Text(70000), L"");
    b.Init(5, false);
    EXPECT_EQ(b.ItemCount(), 0);
}

}  // namespace
