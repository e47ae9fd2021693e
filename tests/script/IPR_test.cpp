#include "script/IPR.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>

#include "base/Konsole.h"

namespace {

namespace fs = std::filesystem;

std::string Console(const std::function<void()>& action) {
    testing::internal::CaptureStdout();
    action();
    Konsole_Flush();
    return testing::internal::GetCapturedStdout();
}

// A scratch folder that is also the working directory while a test runs.
class IPRFiles : public testing::Test {
protected:
    void SetUp() override {
        old_ = fs::current_path();
        dir_ = fs::temp_directory_path() / ("ipr_test_" + std::to_string(getpid()));
        fs::create_directories(dir_ / "sub");
        fs::current_path(dir_);
    }
    void TearDown() override {
        fs::current_path(old_);
        fs::remove_all(dir_);
    }
    void Write(const std::string& name, const std::string& text) { std::ofstream(dir_ / name) << text; }
    std::wstring Dir() const { return dir_.wstring(); }

    fs::path old_, dir_;
};

TEST_F(IPRFiles, ScriptNameGetsTheDefaultExtensionAndAnAbsolutePath) {
    Write("regeln.xb", "SYNTAX = XML\n");
    Write("sub/r.txt", "x\n");
    IPR ipr;
    EXPECT_TRUE(ipr.Skript_Oeffnen(L"regeln", false));
    EXPECT_EQ(std::wstring(ipr.skript.dateiname), Dir() + L"/regeln.xb");
    EXPECT_TRUE(ipr.skript.OK());
    IPR other;
    EXPECT_TRUE(other.Skript_Oeffnen(L"./sub/./r.txt", false));
    EXPECT_EQ(std::wstring(other.skript.dateiname), Dir() + L"/sub/r.txt");
    IPR absolute;
    std::wstring name = Dir() + L"/regeln";
    EXPECT_TRUE(absolute.Skript_Oeffnen(name.c_str(), false));
    EXPECT_EQ(std::wstring(absolute.skript.dateiname), Dir() + L"/regeln.xb");
}

TEST_F(IPRFiles, UnusableScriptNamesFailTheActivation) {
    IPR ipr;
    EXPECT_EQ(Console([&] { EXPECT_FALSE(ipr.Skript_Init(L"sub/", false, false, true, 0)); }),
              "FEHLER: (Interpreter) Angegebener Projektname ist ungültig (sub/).\n"
              "FEHLER: (Interpreter) Skript konnte nicht aktiviert werden.\n");
    EXPECT_FALSE(ipr.Bereit());
    std::wstring lang(1024, L'a');
    std::string out = Console([&] { EXPECT_FALSE(ipr.Skript_Init(lang.c_str(), false, false, true, 0)); });
    EXPECT_EQ(out, "FEHLER: (Interpreter) Angegebener Projektname ist ungültig (" + std::string(1024, 'a') +
                       ").\nFEHLER: (Interpreter) Skript konnte nicht aktiviert werden.\n");
    // Fits as given, but not once the default extension and the working
    // directory are added.
    std::wstring knapp(1020, L'b');
    out = Console([&] { EXPECT_FALSE(ipr.Skript_Oeffnen(knapp.c_str(), false)); });
    EXPECT_EQ(out, "FEHLER: (Interpreter) Angegebener Projektname ist ungültig (" + std::string(1020, 'b') + ").\n");
    EXPECT_FALSE(ipr.Skript_Oeffnen(nullptr, false));
    EXPECT_FALSE(ipr.Skript_Oeffnen(L"", false));
    EXPECT_FALSE(ipr.Bereit());
}

TEST_F(IPRFiles, MissingScriptFileFailsTheActivation) {
    IPR ipr;
    std::string out = Console([&] { EXPECT_FALSE(ipr.Skript_Init(L"fehlt", false, false, true, 0)); });
    EXPECT_NE(out.find("fehlt.xb"), std::string::npos);
    const std::string last = "FEHLER: (Interpreter) Skript konnte nicht aktiviert werden.\n";
    ASSERT_GT(out.size(), last.size());
    EXPECT_EQ(out.substr(out.size() - last.size()), last);
    EXPECT_FALSE(ipr.Bereit());
}

TEST_F(IPRFiles, EncodingMismatchOnlyForAMarkOfAnotherEncoding) {
    Write("utf8.xml", "\xEF\xBB\xBF<a/>\n");
    Write("utf16le.xml", std::string("\xFF\xFE<\0a\0/\0>\0", 10));
    Write("utf32le.xml", std::string("\xFF\xFE\0\0<\0\0\0", 8));
    Write("plain.xml", "<a/>\n");
    Write("tiny.xml", "\xEF\xBB\xBF\n");
    IPR ipr;
    ipr.reader_encoding = ENC_UTF8;
    auto mismatch = [&](const wchar_t* name) {
        std::wstring path = Dir() + L"/" + name;
        bool ok = true;
        std::string out = Console([&] { ok = ipr.Skript_Kodierung_pruefen(path.c_str()); });
        EXPECT_EQ(out.empty(), ok) << out;
        if (!ok) {
            EXPECT_EQ(out, "FEHLER: Die Kodierung des Skriptes stimmt nicht mit der Kodierung der Daten überein.\n");
        }
        return !ok;
    };
    // Without an active script there is nothing to compare with.
    EXPECT_FALSE(mismatch(L"utf16le.xml"));
    ipr.ready = true;
    EXPECT_FALSE(mismatch(L"utf8.xml"));
    EXPECT_TRUE(mismatch(L"utf16le.xml"));
    EXPECT_FALSE(mismatch(L"plain.xml"));
    EXPECT_FALSE(mismatch(L"tiny.xml"));
    EXPECT_FALSE(mismatch(L"fehlt.xml"));
    ipr.reader_encoding = ENC_UTF16LE;
    EXPECT_FALSE(mismatch(L"utf16le.xml"));
    EXPECT_TRUE(mismatch(L"utf32le.xml"));
    EXPECT_TRUE(mismatch(L"utf8.xml"));
    ipr.reader_encoding = ENC_ISO_8859_1;
    EXPECT_TRUE(mismatch(L"utf8.xml"));
    EXPECT_FALSE(mismatch(L"plain.xml"));
    ipr.reader_encoding = ENC_AUTO;
    EXPECT_FALSE(mismatch(L"utf8.xml"));
    EXPECT_FALSE(mismatch(L"utf16le.xml"));
}

TEST_F(IPRFiles, ScriptWithoutSettingsSetsUpXml) {
    Write("leer.xb", "ELEMENT p ENDE\n");
    IPR ipr;
    EXPECT_EQ(Console([&] { EXPECT_TRUE(ipr.Skript_Init(L"leer", false, false, true, 0)); }),
              "- Skript aktiviert.\n");
    EXPECT_TRUE(ipr.Bereit());
    EXPECT_EQ(ipr.dcl.xml, 1);
    EXPECT_EQ(ipr.dcl.sgml, 0);
    EXPECT_EQ(ipr.dcl.html, 0);
    EXPECT_EQ(ipr.dcl.namecase, 0);
    EXPECT_EQ(ipr.dcl.reader_encoding, ENC_AUTO);
    EXPECT_EQ(ipr.dcl.bom_encoding, ENC_UTF8);
    EXPECT_EQ(ipr.warning_level, 2);
    EXPECT_TRUE(ipr.basic.only_defined_elements);
    EXPECT_FALSE(ipr.basic.drop_undefined_elements);
    EXPECT_TRUE(ipr.basic.only_defined_entities);
    EXPECT_FALSE(ipr.basic.only_defined_data);
    int position = -1;
    EXPECT_TRUE(ipr.basic.Find_element_definition(&position, L"p"));
    EXPECT_FALSE(ipr.basic.Find_element_definition(&position, L"P"));
}

TEST_F(IPRFiles, SyntaxSettingsChooseTheDocumentDeclaration) {
    Write("sgml.xb", "SYNTAX = SGML\nREADERENCODING = ISO-8859-1\nWARNINGS = SMART\nELEMENT br MODEL = EMPTY ENDE\n");
    Write("html.xb", "SYNTAX = HTML\nNAMECASE = NO\nCONVERTELEMENTS = DROPUNDEFINED\n");
    Write("xml.xb", "SYNTAX = XML\nNAMECASE = YES\nCONVERTDATA = ONLYDEFINED\nCONVERTENTITIES = ALL\n"
                    "ELEMENT Para ENDE\n");
    IPR sgml;
    EXPECT_EQ(Console([&] { EXPECT_TRUE(sgml.Skript_Init(L"sgml.xb", true, false, false, 0)); }), "");
    EXPECT_EQ(sgml.dcl.sgml, 1);
    EXPECT_EQ(sgml.dcl.xml, 0);
    EXPECT_EQ(sgml.dcl.namecase, 1);
    EXPECT_EQ(sgml.dcl.debug, 1);
    EXPECT_EQ(sgml.dcl.bom_encoding, ENC_NONE);
    EXPECT_EQ(sgml.reader_encoding, ENC_ISO_8859_1);
    EXPECT_EQ(sgml.warning_level, 1);
    EXPECT_EQ(sgml.basic.warning_level, 1);
    EXPECT_TRUE(sgml.basic.IPR_is_SGML_Empty_Element(L"BR"));
    EXPECT_TRUE(sgml.basic.IPR_is_SGML_Empty_Element(L"br"));

    IPR html;
    EXPECT_TRUE(html.Skript_Init(L"html.xb", false, false, false, 0));
    EXPECT_EQ(html.dcl.html, 1);
    EXPECT_EQ(html.dcl.xml, 0);
    EXPECT_EQ(html.dcl.sgml, 0);
    EXPECT_EQ(html.dcl.namecase, 0);  // NAMECASE NO wins over the HTML default
    EXPECT_EQ(html.dcl.bom_encoding, ENC_UTF8);
    EXPECT_FALSE(html.basic.only_defined_elements);
    EXPECT_TRUE(html.basic.drop_undefined_elements);

    IPR xml;
    EXPECT_TRUE(xml.Skript_Init(L"xml.xb", false, false, false, 0));
    EXPECT_EQ(xml.dcl.xml, 1);
    EXPECT_EQ(xml.dcl.namecase, 1);
    EXPECT_TRUE(xml.basic.only_defined_data);
    EXPECT_FALSE(xml.basic.only_defined_entities);
    int position = -1;
    EXPECT_TRUE(xml.basic.Find_element_definition(&position, L"PARA"));
}

TEST_F(IPRFiles, RepeatedSettingsAreReportedAndTheScriptStillActivates) {
    Write("doppelt.xb", "SYNTAX = SGML\nSYNTAX = XML\nWARNINGS = ALL\nWARNINGS = SMART\n"
                        "READERENCODING = UTF-8\nREADERENCODING = AUTO\n");
    IPR ipr;
    EXPECT_EQ(Console([&] { EXPECT_TRUE(ipr.Skript_Init(L"doppelt", false, false, true, 0)); }),
              "FEHLER: (Interpreter) SYNTAX wurde mehrfach definiert.\n"   // indexing
              "FEHLER: (Interpreter) SYNTAX wurde mehrfach definiert.\n"   // XML query
              "FEHLER: (Interpreter) ReaderEncoding wurde mehrfach definiert.\n"
              "FEHLER: (Interpreter) WARNINGS wurde mehrfach definiert.\n"
              "- Skript aktiviert.\n");
    EXPECT_EQ(ipr.dcl.xml, 1);
    EXPECT_EQ(ipr.warning_level, 1);
    EXPECT_EQ(ipr.reader_encoding, ENC_AUTO);
}

TEST_F(IPRFiles, DuplicatesAndSyntaxErrorsFailTheActivation) {
    Write("dup.xb", "SYNTAX = SGML\nELEMENT p ENDE\nELEMENT P ENDE\n");
    Write("kaputt.xb", "ELEMENT p BEG = ENDE\n");
    IPR dup;
    EXPECT_EQ(Console([&] { EXPECT_FALSE(dup.Skript_Init(L"dup", false, false, true, 0)); }),
              "FEHLER: (Interpreter) ELEMENT P mehrfach definiert.\n"
              "FEHLER: (Interpreter) Skript konnte nicht aktiviert werden.\n");
    EXPECT_FALSE(dup.Bereit());
    IPR kaputt;
    std::string out = Console([&] { EXPECT_FALSE(kaputt.Skript_Init(L"kaputt", false, false, true, 0)); });
    EXPECT_NE(out.find("Regelsatz erwartet"), std::string::npos) << out;
    EXPECT_FALSE(kaputt.Bereit());
}

// The realistic book script: it activates, every definition is found by
// name, and every IF block closes at its own depth.
TEST(IPRBuch, BookScriptCompilesAndIndexes) {
    std::string file = __FILE__;
    std::string path = file.substr(0, file.rfind('/')) + "/data/buch.xb";
    std::wstring name(path.begin(), path.end());
    IPR ipr;
    ASSERT_EQ(Console([&] { EXPECT_TRUE(ipr.Skript_Init(name.c_str(), false, false, false, 0)); }), "");
    const BASIC& b = ipr.basic;
    EXPECT_EQ(ipr.dcl.xml, 1);
    EXPECT_EQ(ipr.reader_encoding, ENC_UTF8);
    EXPECT_EQ(b.Find_WriterEncoding(), ENC_UTF8);
    int elements = 0, entities = 0, blocks = 0;
    std::string out = Console([&] {
        for (int i = 0; i < b.ItemCount(); ++i) {
            const BASIC::BASICitem& item = b.Item(i);
            int position = -1;
            if (item.kind == ITEM_ELEMENT) {
                ++elements;
                EXPECT_TRUE(b.Find_element_definition(&position, b.Text(i)));
                EXPECT_EQ(position, i);
            } else if (item.kind == ITEM_ENTITY) {
                ++entities;
                EXPECT_TRUE(item.value ? b.Find_entity_definition(&position, nullptr, item.value)
                                       : b.Find_entity_definition(&position, b.Text(i), 0));
                EXPECT_EQ(position, i);
            } else if (item.kind == ITEM_IF) {
                ++blocks;
                int ende = i + 1, next = i + 1;
                EXPECT_TRUE(b.Find_condition_set_ende(&ende, item.level));
                EXPECT_TRUE(b.Find_condition_set_next(&next, item.level));
                EXPECT_LE(next, ende);
                EXPECT_EQ(b.Item(ende).kind, ITEM_ENDIF);
            }
        }
    });
    EXPECT_EQ(out, "");
    EXPECT_EQ(elements, 37);
    EXPECT_EQ(entities, 17);
    EXPECT_GT(blocks, 0);
    const wchar_t* value = nullptr;
    int buch = -1;
    ASSERT_TRUE(b.Find_element_definition(&buch, L"buch"));
    ASSERT_TRUE(b.Find_attribute_default(buch, nullptr, L"sprache", &value));
    EXPECT_STREQ(value, L"de");
    int rule = buch;
    ASSERT_TRUE(b.Find_condition_rules(&rule));
    EXPECT_EQ(b.Item(rule).kind, ITEM_RULE_BEG);
    EXPECT_STREQ(b.Text(rule + 1), L"<!DOCTYPE html>");
}

TEST(IPR, FreshInterpreterIsNotReady) {
    IPR ipr;
    EXPECT_EQ(ipr.Bereit(), 0);
    EXPECT_EQ(ipr.dcl.xml, 1);
    EXPECT_EQ(ipr.warning_level, 2);
    EXPECT_FALSE(ipr.out.OUT_is_Open());
}

}  // namespace
