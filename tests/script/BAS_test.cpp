#include "script/BAS.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "textio/BUF.h"
#include "textio/Konsole.h"

namespace {

std::string Utf8(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) Konsole_Utf8(out, static_cast<char32_t>(c));
    return out;
}

// Logs what the recognisers pass on, as a recording subclass would store it:
// "name=value" or, for words, names and literals, "name=value'text'".
class Protokoll : public BAS {
public:
    using BAS::BAS;
    std::string log;

#define LOG_VALUE(op)                              \
    unsigned int op() override {                   \
        unsigned int v = BAS::op();                \
        if (v) Add(#op, v, false);                 \
        return v;                                  \
    }
#define LOG_TEXT(op)                               \
    unsigned int op() override {                   \
        unsigned int v = BAS::op();                \
        if (v) Add(#op, v, true);                  \
        return v;                                  \
    }
    LOG_TEXT(element_name)
    LOG_TEXT(model_type)
    LOG_VALUE(element_definition_ende)
    LOG_VALUE(branch_if)
    LOG_VALUE(branch_elseif)
    LOG_VALUE(branch_else)
    LOG_VALUE(branch_endif)
    LOG_VALUE(condition_beg)
    LOG_VALUE(condition_end)
    LOG_VALUE(condition_implied)
    LOG_VALUE(condition_value)
    LOG_VALUE(condition_in)
    LOG_VALUE(condition_inx)
    LOG_VALUE(condition_notin)
    LOG_VALUE(condition_notinx)
    LOG_VALUE(condition_before)
    LOG_VALUE(condition_beforex)
    LOG_VALUE(condition_notbefore)
    LOG_VALUE(condition_notbeforex)
    LOG_VALUE(condition_after)
    LOG_VALUE(condition_afterx)
    LOG_VALUE(condition_notafter)
    LOG_VALUE(condition_notafterx)
    LOG_VALUE(condition_first)
    LOG_VALUE(condition_notfirst)
    LOG_VALUE(condition_last)
    LOG_VALUE(condition_notlast)
    LOG_VALUE(condition_toplevel)
    LOG_VALUE(condition_nottoplevel)
    LOG_VALUE(condition_parao)
    LOG_VALUE(rules_nop)
    LOG_VALUE(rules_beg)
    LOG_VALUE(rules_end)
    LOG_VALUE(rules_err)
    LOG_VALUE(rules_dat)
    LOG_VALUE(v_content_dat)
    LOG_VALUE(v_content_pcdata)
    LOG_VALUE(v_dummy_notempty)
    LOG_VALUE(v_dummy_content_data)
    LOG_TEXT(v_operator)
    LOG_TEXT(v_string_operator)
    LOG_VALUE(entity_alternate)
    LOG_VALUE(entity_ascii)
    LOG_VALUE(makro_plus)
    LOG_TEXT(makro_literal)
    LOG_VALUE(makro_chr)
    LOG_VALUE(makro_count)
    LOG_TEXT(makro_count_type)
    LOG_TEXT(makro_count_format)
    LOG_TEXT(makro_find_range)
    LOG_TEXT(makro_find_range_del)
    LOG_TEXT(makro_find_number)
    LOG_VALUE(makro_token)
    LOG_VALUE(makro_implied)
    LOG_VALUE(makro_value)
    LOG_VALUE(makro_find)
    LOG_VALUE(makro_notfind)
    LOG_VALUE(makro_sub)
    LOG_VALUE(makro_notsub)
    LOG_VALUE(makro_empty)
    LOG_VALUE(makro_notempty)
    LOG_VALUE(makro_copy)
    LOG_VALUE(makro_cut)
    LOG_VALUE(makro_del)
    LOG_TEXT(makro_data_type)
    LOG_TEXT(makro_delete_type)
    LOG_VALUE(makro_file)
    LOG_TEXT(file_base_name)
    LOG_TEXT(file_system_name)
    LOG_TEXT(file_public_id)
    LOG_TEXT(file_syntax_type)
    LOG_TEXT(file_reader_namecase_type)
    LOG_TEXT(file_elements_type)
    LOG_TEXT(file_entities_type)
    LOG_TEXT(file_pcdata_type)
    LOG_TEXT(file_reader_encoding_type)
    LOG_TEXT(file_writer_encoding_type)
    LOG_VALUE(file_writer_characters_type)
    LOG_TEXT(file_warnings_type)
#undef LOG_VALUE
#undef LOG_TEXT

    unsigned int makro_replace_type(bool full) override {
        unsigned int v = BAS::makro_replace_type(full);
        if (v) Add(full ? "makro_replace_type(full)" : "makro_replace_type(short)", v, true);
        return v;
    }
    unsigned int entity_name_definition(unsigned int* code) override {
        unsigned int v = BAS::entity_name_definition(code);
        if (v) Add("entity_name_definition", *code, true);
        return v;
    }
    int attribute_name() override {
        wchar_t* start = cursor;
        int v = BAS::attribute_name();
        if (v) {
            log += "attribute_name'";
            log += Utf8(std::wstring(start, cursor));
            log += "' ";
        }
        return v;
    }

private:
    void Add(const char* op, unsigned int v, bool text) {
        log += op;
        log += '=';
        log += std::to_string(v);
        if (text) {
            log += '\'';
            log += Utf8(std::wstring(text_begin, text_end));
            log += '\'';
        }
        log += ' ';
    }
};

struct Ergebnis {
    unsigned int ok;
    std::string out;  // console text, the file name shown as "skript.xb"
    std::string log;  // what the recognisers passed on
};

Ergebnis Parse(const std::string& script) {
    char dir[] = "/tmp/bas_testXXXXXX";
    if (mkdtemp(dir) == nullptr) return {0, "mkdtemp failed", ""};
    std::string path = std::string(dir) + "/skript.xb";
    {
        std::ofstream f(path, std::ios::binary);
        f << script;
    }
    std::wstring wpath(path.begin(), path.end());
    BUF buffer;
    testing::internal::CaptureStdout();
    unsigned int ok = 0;
    std::string log;
    if (buffer.Init(wpath.c_str(), false)) {
        Protokoll parser(&buffer);
        ok = parser.document();
        log = parser.log;
    }
    Konsole_Flush();
    std::string out = testing::internal::GetCapturedStdout();
    std::remove(path.c_str());
    rmdir(dir);
    for (size_t at; (at = out.find(path)) != std::string::npos;) out.replace(at, path.size(), "skript.xb");
    return {ok, out, log};
}

// One message line as the console shows it, with its position line.
std::string Fehler(const std::string& label, const std::string& text, int line, int ch,
                   bool script = true) {
    std::string s = std::string("FEHLER: ") + (script ? "(Skript) " : "(Parser) ");
    if (!label.empty()) s += label + ", ";
    s += text + "\n";
    s += "in Datei 'skript.xb' Zeile=" + std::to_string(line) + ", Zeichen=" + std::to_string(ch) +
         ".\n";
    return s;
}

bool Contains(const std::string& log, const std::string& part) {
    return log.find(part) != std::string::npos;
}

// A script with one element definition around the given rules.
std::string Element(const std::string& rules) { return "ELEMENT p\n" + rules + "\nENDE\n"; }

}  // namespace

// ---- Lexical rules -----------------------------------------------------------

TEST(BASLexik, CommentsAreSeparators) {
    Ergebnis r = Parse(
        "// Kopf\nSYNTAX/* a */=/**/XML// Rest\nELEMENT/* x */p//\nBEG='a'/* b */+//c\n'b'ENDE");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.ok, 1u);
    EXPECT_TRUE(Contains(r.log, "file_syntax_type=2'XML'"));
    EXPECT_TRUE(Contains(r.log, "makro_literal=1'a' makro_plus=1 makro_literal=1'b'"));
}

TEST(BASLexik, OpenBlockCommentIsReportedOnce) {
    Ergebnis r = Parse("ELEMENT p BEG='a' /* offen\n+ 'b' ENDE\n");
    EXPECT_EQ(r.out, Fehler("Kommentar", "Kommentarende fehlt ('/* ... */') .", 1, 19) +
                         Fehler("ELEMENT", "Element-Definitionsende (ENDE) erwartet", 3, 2));
    EXPECT_EQ(r.ok, 0u);
}

TEST(BASLexik, KeywordNeedsABoundary) {
    // "ELEMENTS" is no keyword; "ELEMENT1" is one, but then no separator follows.
    Ergebnis r = Parse("ELEMENTS p ENDE\n");
    EXPECT_EQ(r.out, Fehler("", "Syntaxfehler.", 1, 1));
    r = Parse("ELEMENT1 ENDE\n");
    EXPECT_EQ(r.out, Fehler("ELEMENT", "Separator (' ') fehlt.", 1, 8));
    r = Parse("ELEMENT 1 ENDE\n");
    EXPECT_EQ(r.out, Fehler("ELEMENT", "Bezeichner des Elements fehlt.", 1, 9) +
                         Fehler("ELEMENT", "Abschluss-Separator (' ',CR,LF) fehlt.", 1, 9));
    // Lower-case letters and digits end a keyword, upper-case ones do not.
    r = Parse(Element("BEGIN='x'"));
    EXPECT_EQ(r.out, Fehler("ELEMENT", "Element-Definitionsende (ENDE) erwartet", 2, 2));
    r = Parse(Element("DAT=FULLx"));
    EXPECT_TRUE(Contains(r.log, "makro_data_type=1'FULL'"));
    EXPECT_EQ(r.out, Fehler("ELEMENT", "Element-Definitionsende (ENDE) erwartet", 2, 10));
}

TEST(BASLexik, NamesFollowTheProlog) {
    Ergebnis r = Parse("ELEMENT a:b ENDE\n");
    EXPECT_EQ(r.ok, 0u);
    EXPECT_EQ(r.out, Fehler("ELEMENT", "Abschluss-Separator (' ',CR,LF) fehlt.", 1, 10));
    r = Parse("<?xml version=\"1.0\"?>\nELEMENT a:b ENDE\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.ok, 1u);
    EXPECT_TRUE(Contains(r.log, "element_name=1'a:b'"));
}

// ---- File structure ------------------------------------------------------------

TEST(BASAufbau, EmptyScriptAndScriptTags) {
    Ergebnis r = Parse("  \n");
    EXPECT_EQ(r.ok, 1u);
    r = Parse("<script>\nSYNTAX=XML\nELEMENT p ENDE\n</script>\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.ok, 1u);
}

TEST(BASAufbau, ScriptTagFaults) {
    Ergebnis r = Parse("<skript>\nELEMENT p ENDE\n</skript>\n");
    EXPECT_EQ(r.out, Fehler("Element", "Falscher Starttag 'skript'.", 2, 1, false));
    EXPECT_EQ(r.ok, 0u);
    r = Parse("<script/>\nELEMENT p ENDE\n</script>\n");
    EXPECT_EQ(r.out, Fehler("", "Ein leeres Basiselement ist nicht erlaubt.", 2, 1));
    r = Parse("<script>\nELEMENT p ENDE\n");
    EXPECT_EQ(r.out, Fehler("Element", "Der Endtag für das Element 'script' wurde nicht gefunden.",
                            3, 2, false));
    r = Parse("<script>\nELEMENT p ENDE\n</skript>");
    EXPECT_EQ(r.out, Fehler("Element", "Falscher Endtag 'skript' gefunden.", 3, 2, false));
}

TEST(BASAufbau, DoctypeMustNameScript) {
    Ergebnis r = Parse("<!DOCTYPE script>\nELEMENT a:b ENDE\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.ok, 1u);
    r = Parse("<!DOCTYPE buch>\nELEMENT p ENDE\n");
    EXPECT_EQ(r.out, Fehler("Element", "Falscher Starttag 'buch'.", 2, 2, false));
    EXPECT_EQ(r.ok, 0u);
}

TEST(BASAufbau, OrderIsSettingsElementsEntities) {
    Ergebnis r = Parse("ELEMENT p ENDE\nSYNTAX=XML\n");
    EXPECT_EQ(r.out, Fehler("", "Syntaxfehler.", 2, 2));
    EXPECT_EQ(r.ok, 0u);
    r = Parse("ENTITY auml='ä'\nELEMENT p ENDE\n");
    EXPECT_EQ(r.out, Fehler("", "Syntaxfehler.", 2, 2));
    r = Parse("SYNTAX=XML\nELEMENT p ENDE\nENTITY auml='ä'\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.ok, 1u);
}

TEST(BASAufbau, ParsingGoesOnAfterAFault) {
    // The failed rule ends the rules, ENDE still closes the definition, and
    // the next faults are reported as well; no "Syntaxfehler." after errors.
    Ergebnis r = Parse("ELEMENT p BEG= ENDE\nELEMENT q END='x'+ ENDE\nSYNTAX=XML\n");
    EXPECT_EQ(r.out, Fehler("BEG", "Regelsatz erwartet ('...').", 1, 16) +
                         Fehler("", "Ersetzungsregeln ('...') erwartet.", 2, 21));
    EXPECT_EQ(r.ok, 0u);
    EXPECT_TRUE(Contains(r.log, "element_name=1'q'"));
}

// ---- Settings ------------------------------------------------------------------

TEST(BASEinstellungen, EveryValueIsPassedOn) {
    struct Fall {
        const char* setting;
        const char* op;
        int value;
    };
    const Fall faelle[] = {
        {"SYNTAX = SGML", "file_syntax_type", 1},
        {"SYNTAX = XML", "file_syntax_type", 2},
        {"SYNTAX = HTML", "file_syntax_type", 3},
        {"CONVERTELEMENTS = ALL", "file_elements_type", 1},
        {"CONVERTELEMENTS = ONLYDEFINED", "file_elements_type", 2},
        {"CONVERTELEMENTS = DROPUNDEFINED", "file_elements_type", 3},
        {"CONVERTENTITIES = ALL", "file_entities_type", 1},
        {"CONVERTENTITIES = ONLYDEFINED", "file_entities_type", 2},
        {"CONVERTDATA = ALL", "file_pcdata_type", 1},
        {"CONVERTDATA = ONLYDEFINED", "file_pcdata_type", 2},
        {"NAMECASE = YES", "file_reader_namecase_type", 2},
        {"NAMECASE = NO", "file_reader_namecase_type", 1},
        {"WARNINGS = ALL", "file_warnings_type", 2},
        {"WARNINGS = SMART", "file_warnings_type", 1},
    };
    for (const Fall& f : faelle) {
        std::string setting = f.setting;
        Ergebnis r = Parse(setting + "\n");
        std::string word = setting.substr(setting.find("= ") + 2);
        EXPECT_EQ(r.out, "") << setting;
        EXPECT_EQ(r.ok, 1u) << setting;
        EXPECT_EQ(r.log, std::string(f.op) + "=" + std::to_string(f.value) + "'" + word + "' ")
            << setting;
    }
}

TEST(BASEinstellungen, DefaultsConsumeNothing) {
    // The default is passed on with an empty text; the word that stood there
    // then fails the separator check.
    Ergebnis r = Parse("CONVERTELEMENTS\n=\nall\n");
    EXPECT_EQ(r.log, "file_elements_type=2'' ");
    EXPECT_EQ(r.out, Fehler("CONVERTELEMENTS", "Abschluss-Separator (' ',CR,LF) fehlt.", 3, 2));
    r = Parse("CONVERTENTITIES=all\n");
    EXPECT_EQ(r.log, "file_entities_type=2'' ");
    EXPECT_EQ(r.out, Fehler("CONVERTENTITIES", "Abschluss-Separator (' ',CR,LF) fehlt.", 1, 17));
    r = Parse("CONVERTDATA=NONE\n");
    EXPECT_EQ(r.log, "file_pcdata_type=1'' ");
    EXPECT_EQ(r.out, Fehler("CONVERTDATA", "Abschluss-Separator (' ',CR,LF) fehlt.", 1, 13));
    r = Parse("WARNINGS= \n\n");
    EXPECT_EQ(r.log, "file_warnings_type=2'' ");
    EXPECT_EQ(r.out, Fehler("WARNINGS", "Abschluss-Separator (' ',CR,LF) fehlt.", 3, 2));
}

TEST(BASEinstellungen, MissingValuesAndOperators) {
    Ergebnis r = Parse("SYNTAX = xml\n");
    EXPECT_EQ(r.out, Fehler("SYNTAX", "Angabe des Syntax-Types (SGML oder XML) fehlt.", 1, 10) +
                         Fehler("SYNTAX", "Abschluss-Separator (' ',CR,LF) fehlt.", 1, 10));
    r = Parse("NAMECASE = JA\n");
    EXPECT_EQ(r.out, Fehler("NAMECASE", "Angabe von NAMECASE (YES oder NO) fehlt.", 1, 12) +
                         Fehler("NAMECASE", "Abschluss-Separator (' ',CR,LF) fehlt.", 1, 12));
    // After a counted error the text left over is not reported again.
    r = Parse("SYNTAX XML\n");
    EXPECT_EQ(r.out, Fehler("SYNTAX", "Zuweisungsoperator (=) fehlt.", 1, 8));
    // The last line of a script needs its line end.
    r = Parse("SYNTAX = XML\nWARNINGS = SMART");
    EXPECT_EQ(r.out, Fehler("WARNINGS", "Abschluss-Separator (' ',CR,LF) fehlt.", 2, 18));
    EXPECT_EQ(r.ok, 0u);
}

TEST(BASEinstellungen, SettingsRepeatInAnyOrder) {
    Ergebnis r = Parse("WARNINGS=SMART\nSYNTAX=SGML\nSYNTAX=XML\nNAMECASE=NO\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.log,
              "file_warnings_type=1'SMART' file_syntax_type=1'SGML' file_syntax_type=2'XML' "
              "file_reader_namecase_type=1'NO' ");
}

TEST(BASEinstellungen, BaseSystemPublic) {
    Ergebnis r = Parse("BASE = buch\nBASE = 'kapitel'\nSYSTEM = \"buch.dtd\"\nPUBLIC = '-//X//DE'\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.log,
              "element_name=1'buch' file_base_name=1'kapitel' file_system_name=1'buch.dtd' "
              "file_public_id=1'-//X//DE' ");
    r = Parse("BASE = 1\n");
    EXPECT_EQ(r.out, Fehler("BASE",
                            "Angabe des BASIS-Elementes (Elementname oder Zeichenkette) fehlt.",
                            1, 8) +
                         Fehler("BASE", "Abschluss-Separator (' ',CR,LF) fehlt.", 1, 8));
    r = Parse("SYSTEM = buch\n");
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')),
              "FEHLER: (Skript) SYSTEM, System-Identifikator Zeichenkette) fehlt.");
    r = Parse("PUBLIC = \n");
    EXPECT_EQ(r.out, Fehler("PUBLIC", "Public-Identifikator (Zeichenkette) fehlt.", 2, 2) +
                         Fehler("PUBLIC", "Abschluss-Separator (' ',CR,LF) fehlt.", 2, 2));
}

TEST(BASEinstellungen, EncodingNames) {
    struct Fall {
        const char* name;
        int value;
    };
    const Fall faelle[] = {
        {"AUTO", ENC_AUTO},           {"ISO-8859-1", ENC_ISO_8859_1},
        {"ASCII", ENC_ISO_8859_1},    {"US-ASCII", ENC_ISO_8859_1},
        {"UTF-8", ENC_UTF8},          {"UTF-16", ENC_UTF16LE},
        {"UTF-16LE", ENC_UTF16LE},    {"UTF-16BE", ENC_UTF16BE},
        {"UTF-32", ENC_UTF32LE},      {"UTF-32LE", ENC_UTF32LE},
        {"UTF-32BE", ENC_UTF32BE},    {"BIN", ENC_BIN},
        {"BIN-16", ENC_BIN16LE},      {"BIN-16LE", ENC_BIN16LE},
        {"BIN-16BE", ENC_BIN16BE},    {"BIN-32", ENC_BIN32LE},
        {"BIN-32LE", ENC_BIN32LE},    {"BIN-32BE", ENC_BIN32BE},
        {"ISO-10646-UCS-2", ENC_UCS2LE}, {"UCS-2", ENC_UCS2LE},
        {"UCS-2LE", ENC_UCS2LE},      {"UCS-2BE", ENC_UCS2BE},
        {"ISO-10646-UCS-4", ENC_UCS4LE}, {"UCS-4", ENC_UCS4LE},
        {"UCS-4LE", ENC_UCS4LE},      {"UCS-4BE", ENC_UCS4BE},
    };
    for (const Fall& f : faelle) {
        std::string name = f.name;
        Ergebnis r = Parse("READERENCODING = " + name + "\nWRITERENCODING=" + name + "\n");
        EXPECT_EQ(r.out, "") << name;
        EXPECT_EQ(r.log, "file_reader_encoding_type=" + std::to_string(f.value) + "'" + name +
                             "' file_writer_encoding_type=" + std::to_string(f.value) + "'" +
                             name + "' ")
            << name;
    }
}

TEST(BASEinstellungen, RejectedEncodings) {
    for (const char* name : {"ISO-2022-JP", "Shift_JIS", "EUC-JP"}) {
        Ergebnis r = Parse(std::string("WRITERENCODING = ") + name + "\n");
        // The name is consumed: both messages stand at the line end, which
        // the position line counts as the first character of the next line.
        EXPECT_EQ(r.out, Fehler("WRITERENCODING",
                                std::string("Die Kodierung '") + name + "' wird nicht unterstützt.",
                                2, 1, false) +
                             Fehler("WRITERENCODING", "Angabe der Kodierung fehlt.", 2, 1))
            << name;
        EXPECT_EQ(r.ok, 0u);
    }
    // Names are case-sensitive; an unknown one stays in place.
    Ergebnis r = Parse("READERENCODING = utf-8\n");
    EXPECT_EQ(r.out,
              Fehler("READERENCODING", "Die Kodierung wird nicht unterstützt.", 1, 18, false) +
                  Fehler("READERENCODING", "Angabe der Kodierung fehlt.", 1, 18) +
                  Fehler("READERENCODING", "Abschluss-Separator (' ',CR,LF) fehlt.", 1, 18));
    // A longer name passes the boundary rule only through its own entry.
    r = Parse("READERENCODING = UTF-16XE\n");
    EXPECT_TRUE(Contains(r.out, "Die Kodierung wird nicht unterstützt."));
}

TEST(BASEinstellungen, WriterCharacters) {
    Ergebnis r = Parse("WRITERCHARACTERS = 'hex'\nWRITERCHARACTERS=\"Decimal\"\nWRITERCHARACTERS='ENTITY'\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.log, "file_writer_characters_type=2 file_writer_characters_type=1 "
                     "file_writer_characters_type=3 ");
    const std::string missing = "Angabe von CHARACTERS (Zeichenkette) fehlt.";
    r = Parse("WRITERCHARACTERS = ''\n");
    EXPECT_EQ(r.out, Fehler("WRITERCHARACTERS",
                            "Der Wert für 'CHARACTERS' konnte nicht gelesen werden.", 2, 1, false) +
                         Fehler("WRITERCHARACTERS", missing, 2, 1));
    r = Parse("WRITERCHARACTERS = 'oct'\n");
    EXPECT_EQ(r.out, Fehler("WRITERCHARACTERS",
                            "Der Wert für 'CHARACTERS' oct wird nicht unterstützt.", 2, 1, false) +
                         Fehler("WRITERCHARACTERS", missing, 2, 1));
    r = Parse("WRITERCHARACTERS = HEX\n");
    EXPECT_EQ(r.out, Fehler("WRITERCHARACTERS",
                            "Wert für 'CHARACTERS' (Zeichenkette) erwartet.", 1, 20, false) +
                         Fehler("WRITERCHARACTERS", missing, 1, 20) +
                         Fehler("WRITERCHARACTERS", "Abschluss-Separator (' ',CR,LF) fehlt.", 1, 20));
}
