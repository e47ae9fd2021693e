#include "script/IPR.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>

#include "textio/Konsole.h"

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

TEST(IPR, FreshInterpreterIsNotReady) {
    IPR ipr;
    EXPECT_EQ(ipr.Bereit(), 0);
    EXPECT_EQ(ipr.dcl.xml, 1);
    EXPECT_EQ(ipr.warning_level, 2);
    EXPECT_FALSE(ipr.out.OUT_is_Open());
}

}  // namespace
