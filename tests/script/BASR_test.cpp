#include "script/BASR.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>

#include "textio/BUF.h"
#include "textio/Konsole.h"

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

}  // namespace
