#include "script/BASR.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>

#include "textio/BUF.h"
#include "base/Konsole.h"

namespace {

const char* KindName(BASICtypeItems kind) {
    static const std::map<std::uint32_t, const char*> names = {
        {ITEM_NUMBER, "NUMBER"}, {ITEM_NAME, "NAME"}, {ITEM_COND_EMPTY, "COND_EMPTY"},
        {ITEM_COND_NOTEMPTY, "COND_NOTEMPTY"}, {ITEM_COND_BEG, "COND_BEG"}, {ITEM_COND_END, "COND_END"},
        {ITEM_COND_IMPLIED, "COND_IMPLIED"}, {ITEM_COND_VALUE, "COND_VALUE"}, {ITEM_SUB, "SUB"},
        {ITEM_NOTSUB, "NOTSUB"}, {ITEM_OPERATOR, "OPERATOR"}, {ITEM_PAREN, "PAREN"},
        {ITEM_CONTENT_DAT, "CONTENT_DAT"}, {ITEM_CONTENT_PCDATA, "CONTENT_PCDATA"}, {ITEM_BEFORE, "BEFORE"},
        {ITEM_NOTBEFORE, "NOTBEFORE"}, {ITEM_AFTERX, "AFTERX"}, {ITEM_FIRST, "FIRST"}, {ITEM_LAST, "LAST"},
        {ITEM_IN, "IN"}, {ITEM_NOTIN, "NOTIN"}, {ITEM_INX, "INX"}, {ITEM_TOPLEVEL, "TOPLEVEL"},
        {ITEM_IF, "IF"}, {ITEM_ELSEIF, "ELSEIF"}, {ITEM_ELSE, "ELSE"}, {ITEM_ENDIF, "ENDIF"},
        {ITEM_LITERAL, "LITERAL"}, {ITEM_CHR, "CHR"}, {ITEM_IMPLIED, "IMPLIED"}, {ITEM_VALUE, "VALUE"},
        {ITEM_TOKEN, "TOKEN"}, {ITEM_COUNT, "COUNT"}, {ITEM_COPY, "COPY"}, {ITEM_CUT, "CUT"},
        {ITEM_DEL, "DEL"}, {ITEM_FILE, "FILE"}, {ITEM_PLUS, "PLUS"}, {ITEM_COUNT_FORMAT, "COUNT_FORMAT"},
        {ITEM_RANGE, "RANGE"}, {ITEM_FIND_NUMBER, "FIND_NUMBER"}, {ITEM_DATA_TYPE, "DATA_TYPE"},
        {ITEM_FIND, "FIND"}, {ITEM_NOTFIND, "NOTFIND"}, {ITEM_ENTITY, "ENTITY"},
        {ITEM_ENTITY_ASCII, "ENTITY_ASCII"}, {ITEM_ENTITY_ALTERNATE, "ENTITY_ALTERNATE"},
        {ITEM_RULE_NOP, "RULE_NOP"}, {ITEM_RULE_BEG, "RULE_BEG"}, {ITEM_RULE_END, "RULE_END"},
        {ITEM_RULE_DAT, "RULE_DAT"}, {ITEM_RULE_ERR, "RULE_ERR"}, {ITEM_ELEMENT, "ELEMENT"},
        {ITEM_MODEL, "MODEL"}, {ITEM_ENDE, "ENDE"}, {ITEM_ATTNAME, "ATTNAME"}, {ITEM_ATTVALUE, "ATTVALUE"},
        {ITEM_BASE, "BASE"}, {ITEM_SYSTEM, "SYSTEM"}, {ITEM_PUBLIC, "PUBLIC"}, {ITEM_SYNTAX, "SYNTAX"},
        {ITEM_CONVERTELEMENTS, "CONVERTELEMENTS"}, {ITEM_CONVERTENTITIES, "CONVERTENTITIES"},
        {ITEM_CONVERTDATA, "CONVERTDATA"}, {ITEM_NAMECASE, "NAMECASE"},
        {ITEM_READERENCODING, "READERENCODING"}, {ITEM_WRITERENCODING, "WRITERENCODING"},
        {ITEM_WARNINGS, "WARNINGS"},
    };
    auto it = names.find(kind);
    return it == names.end() ? "?" : it->second;
}

std::string Utf8(const wchar_t* text) {
    std::string out;
    for (; *text; ++text) Konsole_Utf8(out, static_cast<char32_t>(*text));
    return out;
}

// Compiles a script text and lists its items, one a line:
// KIND level value 'text' (implicit items show "-" for their text).
class Recording : public testing::Test {
protected:
    void TearDown() override {
        if (!path_.empty()) std::filesystem::remove(path_);
    }

    std::string Compile(const std::string& script, bool* parsed = nullptr) {
        path_ = std::filesystem::temp_directory_path() / ("basr_test_" + std::to_string(getpid()) + ".xb");
        std::ofstream(path_, std::ios::binary) << script;
        buf_ = std::make_unique<BUF>();
        testing::internal::CaptureStdout();
        buf_->Init(path_.wstring().c_str(), false);
        bool ok;
        {
            BASR parser(buf_.get(), &basic_, false);
            ok = parser.document() == 1;
            parser.Texte_abschliessen();
        }
        Konsole_Flush();
        messages_ = testing::internal::GetCapturedStdout();
        if (parsed) *parsed = ok;
        std::string out;
        for (int i = 0; i < basic_.ItemCount(); ++i) {
            const BASIC::BASICitem& item = basic_.Item(i);
            out += KindName(item.kind);
            out += ' ';
            out += std::to_string(item.level);
            out += ' ';
            out += std::to_string(item.value);
            if (item.begin) {
                out += " '";
                out += Utf8(std::wstring(item.begin, item.end).c_str());
                out += "'\n";
            } else {
                out += " -\n";
            }
        }
        return out;
    }

    BASIC basic_;
    std::unique_ptr<BUF> buf_;
    std::string messages_;
    std::filesystem::path path_;
};

TEST_F(Recording, SettingsRecordTheirValues) {
    bool ok = false;
    EXPECT_EQ(Compile("SYNTAX = SGML\n"
                      "CONVERTENTITIES=ALL\n"
                      "WARNINGS = SMART // kommentar\n"
                      "READERENCODING = US-ASCII\n"
                      "WRITERENCODING = UTF-16BE\n"
                      "WRITERCHARACTERS = \"hex\"\n"
                      "NAMECASE = NO\n"
                      "BASE = buch\n"
                      "BASE = 'Buch Titel'\n"
                      "SYSTEM = \"buch.dtd\" PUBLIC = \"-//X//DTD\"\n"
                      "CONVERTELEMENTS = DROPUNDEFINED CONVERTDATA = ONLYDEFINED\n",
                      &ok),
              "SYNTAX 0 1 'SGML'\n"
              "CONVERTENTITIES 0 1 'ALL'\n"
              "WARNINGS 0 1 'SMART'\n"
              "READERENCODING 0 2 'US-ASCII'\n"
              "WRITERENCODING 0 5 'UTF-16BE'\n"
              "NAMECASE 0 1 'NO'\n"
              "BASE 0 0 'buch'\n"
              "BASE 0 0 'Buch Titel'\n"
              "SYSTEM 0 0 'buch.dtd'\n"
              "PUBLIC 0 0 '-//X//DTD'\n"
              "CONVERTELEMENTS 0 3 'DROPUNDEFINED'\n"
              "CONVERTDATA 0 2 'ONLYDEFINED'\n");
    EXPECT_TRUE(ok) << messages_;
}

TEST_F(Recording, ElementWithModelAttlistAndNestedBranches) {
    bool ok = false;
    EXPECT_EQ(Compile("ELEMENT p MODEL = EMPTY\n"
                      "  ATTLIST [typ = \"a&#65;\"] [n='1']\n"
                      "  BEG = \"<p>\" + CHR(10)\n"
                      "  IF IN(div[class=\"x\"]) FIRST\n"
                      "    IF BEG\n"
                      "    ELSE END = \"y\"\n"
                      "    ENDIF\n"
                      "  ELSEIF [#DAT]\n"
                      "    DAT = DROP\n"
                      "  ELSE\n"
                      "  ENDIF\n"
                      "  ERR = \"z\"\n"
                      "ENDE\n",
                      &ok),
              "ELEMENT 0 0 'p'\n"
              "MODEL 0 2 'EMPTY'\n"
              "ATTNAME 0 0 'typ'\n"
              "ATTVALUE 0 0 'a&#65;'\n"
              "ATTNAME 0 0 'n'\n"
              "ATTVALUE 0 0 '1'\n"
              "RULE_BEG 0 0 'BEG'\n"
              "LITERAL 0 0 '<p>'\n"
              "PLUS 0 0 '+ '\n"
              "CHR 0 0 'CHR'\n"
              "NUMBER 0 0 '10'\n"
              "IF 1 0 'IF'\n"
              "IN 1 0 'IN'\n"
              "PAREN 1 0 '('\n"
              "NAME 1 0 'div'\n"
              "ATTNAME 1 0 'class'\n"
              "OPERATOR 1 3 ''\n"  // the terminator of "class" stands on the "="
              "ATTVALUE 1 0 'x'\n"
              "FIRST 1 0 'FIRST'\n"
              "IF 2 0 'IF'\n"
              "COND_BEG 2 0 'BEG'\n"
              "RULE_NOP 2 0 ''\n"
              "ELSE 2 0 'ELSE'\n"
              "RULE_END 2 0 'END'\n"
              "LITERAL 0 0 'y'\n"
              "ENDIF 2 0 'ENDIF'\n"
              "ELSEIF 1 0 'ELSEIF'\n"
              "CONTENT_DAT 1 1 '#DAT'\n"
              "OPERATOR 1 2 -\n"
              "ATTVALUE 1 0 -\n"
              "RULE_DAT 1 0 'DAT'\n"
              "DATA_TYPE 0 7 'DROP'\n"
              "ELSE 1 0 'ELSE'\n"
              "RULE_NOP 1 0 ''\n"
              "ENDIF 1 0 'ENDIF'\n"
              "RULE_ERR 0 0 'ERR'\n"
              "LITERAL 0 0 'z'\n"
              "ENDE 0 0 'ENDE'\n");
    EXPECT_TRUE(ok) << messages_;
}

TEST_F(Recording, EntitiesWithVariantsAndCharacterNames) {
    bool ok = false;
    EXPECT_EQ(Compile("ENTITY auml = \"\xC3\xA4\" ALTERNATE = \"ae\" ASCII = 'a'\n"
                      "ENTITY #x41 = \"A\"\n"
                      "ENTITY #66 = CHR(66) + \"!\"\n"
                      "ENTITY #RE = VALUE([n])\n",
                      &ok),
              "ENTITY 0 0 'auml'\n"
              "LITERAL 0 0 '\xC3\xA4'\n"
              "ENTITY_ALTERNATE 0 0 'ALTERNATE'\n"
              "LITERAL 0 0 'ae'\n"
              "ENTITY_ASCII 0 0 'ASCII'\n"
              "LITERAL 0 0 'a'\n"
              "ENTITY 0 65 '#x41'\n"
              "LITERAL 0 0 'A'\n"
              "ENTITY 0 66 '#66'\n"
              "NUMBER 0 0 '66'\n"
              "CHR 0 0 'CHR'\n"
              "NUMBER 0 0 '66'\n"
              "PLUS 0 0 '+ '\n"
              "LITERAL 0 0 '!'\n"
              "ENTITY 0 13 '#RE'\n"
              "VALUE 0 0 'VALUE'\n"
              "ATTNAME 0 0 'n'\n");
    EXPECT_TRUE(ok) << messages_;
    EXPECT_TRUE(basic_.Indexieren());
    int position = -1;
    ASSERT_TRUE(basic_.Find_entity_definition(&position, nullptr, 66));
    EXPECT_EQ(position, 8);
    EXPECT_STREQ(basic_.Text(position), L"#66");
}

TEST_F(Recording, MacrosRecordTheirParametersAndDefaults) {
    bool ok = false;
    EXPECT_EQ(Compile("ELEMENT a\n"
                      "  BEG = COPY(b,FULL) + COUNT(a,LEVEL,ROM) + VALUE(x[id],ASC)\n"
                      "  END = DEL(c IN d,DOC,ONE,DATA) + TOKEN([w],\"mm\",\";\") + FILE([src],\"txt\")\n"
                      "  IF [\"text\"] FIND(e,PARENT) NOTSUB(f) TOPLEVEL END = CUT(g,CHILD,ALT,h)\n"
                      "  ENDIF\n"
                      "ENDE\n",
                      &ok),
              "ELEMENT 0 0 'a'\n"
              "RULE_BEG 0 0 'BEG'\n"
              "COPY 0 0 'COPY'\n"
              "NAME 0 0 'b'\n"
              "RANGE 0 8 ''\n"
              "FIND_NUMBER 0 2 ''\n"
              "DATA_TYPE 0 1 'FULL'\n"
              "PLUS 0 0 '+ '\n"
              "COUNT 0 0 'COUNT'\n"
              "NAME 0 0 'a'\n"
              "RANGE 0 3 'LEVEL'\n"
              "COUNT_FORMAT 0 4 'ROM'\n"
              "PLUS 0 0 '+ '\n"
              "VALUE 0 0 'VALUE'\n"
              "NAME 0 0 'x'\n"
              "ATTNAME 0 0 'id'\n"
              "DATA_TYPE 0 5 'ASC'\n"
              "RULE_END 0 0 'END'\n"
              "DEL 0 0 'DEL'\n"
              "NAME 0 0 'c'\n"
              "IN 0 0 'IN'\n"
              "NAME 0 0 'd'\n"
              "RANGE 0 2 'DOC'\n"
              "FIND_NUMBER 0 1 'ONE'\n"
              "DATA_TYPE 0 2 'DATA'\n"
              "PLUS 0 0 '+ '\n"
              "TOKEN 0 0 'TOKEN'\n"
              "ATTNAME 0 0 'w'\n"
              "LITERAL 0 0 'mm'\n"
              "LITERAL 0 0 ';'\n"
              "PLUS 0 0 '+ '\n"
              "FILE 0 0 'FILE'\n"
              "ATTNAME 0 0 'src'\n"
              "LITERAL 0 0 'txt'\n"
              "IF 1 0 'IF'\n"
              "CONTENT_DAT 1 0 -\n"
              "OPERATOR 1 1 -\n"
              "ATTVALUE 1 0 'text'\n"
              "FIND 0 0 'FIND'\n"
              "NAME 1 0 'e'\n"
              "RANGE 0 4 'PARENT'\n"
              "FIND_NUMBER 0 2 ''\n"
              "NOTSUB 1 0 'NOTSUB'\n"
              "NAME 1 0 'f'\n"
              "TOPLEVEL 1 0 'TOPLEVEL'\n"
              "RULE_END 1 0 'END'\n"
              "CUT 0 0 'CUT'\n"
              "NAME 1 0 'g'\n"
              "RANGE 0 6 'CHILD'\n"
              "FIND_NUMBER 0 2 ''\n"
              "DATA_TYPE 0 3 'ALT'\n"
              "NAME 1 0 'h'\n"
              "ENDIF 1 0 'ENDIF'\n"
              "ENDE 0 0 'ENDE'\n");
    EXPECT_TRUE(ok) << messages_;
}

TEST_F(Recording, PrologAndBaseTagRecordNothing) {
    bool ok = false;
    EXPECT_EQ(Compile("<?xml version=\"1.0\"?>\n<!DOCTYPE script>\n"
                      "<script version=\"2\" n='&#65;'>\nSYNTAX = XML\nELEMENT x:y ENDE\n</script>\n",
                      &ok),
              "SYNTAX 0 2 'XML'\n"
              "ELEMENT 0 0 'x:y'\n"
              "ENDE 0 0 'ENDE'\n");
    EXPECT_TRUE(ok) << messages_;
}

TEST_F(Recording, FaultyScriptKeepsWhatWasRecordedAndFails) {
    bool ok = true;
    std::string items = Compile("SYNTAX = SGML\nELEMENT p BEG = ENDE\n", &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(items.substr(0, 27), "SYNTAX 0 1 'SGML'\nELEMENT 0");
    EXPECT_NE(messages_.find("Regelsatz erwartet"), std::string::npos) << messages_;
}

TEST_F(Recording, CapacityGrowsWithTheScript) {
    std::string script;
    for (int i = 0; i < 3000; ++i) script += "ELEMENT e" + std::to_string(i) + " BEG = \"<x>\" END = \"</x>\" ENDE\n";
    bool ok = false;
    std::string items = Compile(script, &ok);
    EXPECT_TRUE(ok) << messages_.substr(0, 500);
    EXPECT_EQ(basic_.ItemCount(), 3000 * 6);
    EXPECT_TRUE(basic_.Indexieren());
    int position = -1;
    ASSERT_TRUE(basic_.Find_element_definition(&position, L"e2999"));
    EXPECT_EQ(position, 2999 * 6);
    EXPECT_STREQ(basic_.Text(position + 2), L"<x>");
}

}  // namespace
