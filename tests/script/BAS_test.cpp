#include "script/BAS.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "textio/BUF.h"
#include "base/Konsole.h"

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
    LOG_TEXT(element_name) LOG_TEXT(model_type) LOG_VALUE(element_definition_ende)
    LOG_VALUE(branch_if) LOG_VALUE(branch_elseif) LOG_VALUE(branch_else) LOG_VALUE(branch_endif)
    LOG_VALUE(condition_beg) LOG_VALUE(condition_end) LOG_VALUE(condition_implied)
    LOG_VALUE(condition_value) LOG_VALUE(condition_in) LOG_VALUE(condition_inx)
    LOG_VALUE(condition_notin) LOG_VALUE(condition_notinx) LOG_VALUE(condition_before)
    LOG_VALUE(condition_beforex) LOG_VALUE(condition_notbefore) LOG_VALUE(condition_notbeforex)
    LOG_VALUE(condition_after) LOG_VALUE(condition_afterx) LOG_VALUE(condition_notafter)
    LOG_VALUE(condition_notafterx) LOG_VALUE(condition_first) LOG_VALUE(condition_notfirst)
    LOG_VALUE(condition_last) LOG_VALUE(condition_notlast) LOG_VALUE(condition_toplevel)
    LOG_VALUE(condition_nottoplevel) LOG_VALUE(condition_parao) LOG_VALUE(rules_nop)
    LOG_VALUE(rules_beg) LOG_VALUE(rules_end) LOG_VALUE(rules_err) LOG_VALUE(rules_dat)
    LOG_VALUE(v_content_dat) LOG_VALUE(v_content_pcdata) LOG_VALUE(v_dummy_notempty)
    LOG_VALUE(v_dummy_content_data) LOG_TEXT(v_operator) LOG_TEXT(v_string_operator)
    LOG_VALUE(entity_alternate) LOG_VALUE(entity_ascii) LOG_VALUE(makro_plus)
    LOG_TEXT(makro_literal) LOG_VALUE(makro_chr) LOG_VALUE(makro_count)
    LOG_TEXT(makro_count_type) LOG_TEXT(makro_count_format) LOG_TEXT(makro_find_range)
    LOG_TEXT(makro_find_range_del) LOG_TEXT(makro_find_number) LOG_VALUE(makro_token)
    LOG_VALUE(makro_implied) LOG_VALUE(makro_value) LOG_VALUE(makro_find)
    LOG_VALUE(makro_notfind) LOG_VALUE(makro_sub) LOG_VALUE(makro_notsub) LOG_VALUE(makro_empty)
    LOG_VALUE(makro_notempty) LOG_VALUE(makro_copy) LOG_VALUE(makro_cut) LOG_VALUE(makro_del)
    LOG_TEXT(makro_data_type) LOG_TEXT(makro_delete_type) LOG_VALUE(makro_file)
    LOG_TEXT(file_base_name) LOG_TEXT(file_system_name) LOG_TEXT(file_public_id)
    LOG_TEXT(file_syntax_type) LOG_TEXT(file_reader_namecase_type) LOG_TEXT(file_elements_type)
    LOG_TEXT(file_entities_type) LOG_TEXT(file_pcdata_type) LOG_TEXT(file_reader_encoding_type)
    LOG_TEXT(file_writer_encoding_type) LOG_VALUE(file_writer_characters_type)
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

// A message expected at the next "§" of a marked script.
struct M {
    std::string label;
    std::string text;
    bool parser = false;
};

// Parses the script with its "§" marks removed and compares the whole
// console text with the messages, each positioned at its mark.
Ergebnis Pruefe(const std::string& marked, const std::vector<M>& messages) {
    std::string script;
    std::vector<std::pair<int, int>> marks;
    int line = 1, ch = 1;
    const std::string mark = "§";
    for (size_t i = 0; i < marked.size();) {
        if (marked.compare(i, mark.size(), mark) == 0) {
            // A position on a line feed shows as the first character of the next line.
            bool lf = i + mark.size() < marked.size() && marked[i + mark.size()] == '\n';
            marks.push_back(lf ? std::make_pair(line + 1, 1) : std::make_pair(line, ch));
            i += mark.size();
            continue;
        }
        char c = marked[i++];
        script += c;
        if (c == '\n') {
            ++line;
            ch = 2;  // the line feed itself is the first character of its line
        } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++ch;
        }
    }
    std::string expected;
    for (size_t i = 0; i < messages.size(); ++i) {
        std::pair<int, int> at = i < marks.size() ? marks[i] : std::make_pair(0, 0);
        expected += Fehler(messages[i].label, messages[i].text, at.first, at.second,
                           !messages[i].parser);
    }
    Ergebnis r = Parse(script);
    EXPECT_EQ(r.out, expected) << marked;
    EXPECT_EQ(r.ok, messages.empty() ? 1u : 0u) << marked;
    return r;
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

// Names are read whole and compared without regard to case; a name the
// program does not decode itself is taken when iconv knows it.
TEST(BASEinstellungen, NamedAndRejectedEncodings) {
    Ergebnis r = Parse("READERENCODING = utf-8\nWRITERENCODING = Shift_JIS\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.log, "file_reader_encoding_type=3'utf-8' file_writer_encoding_type=" + std::to_string(ENC_NAMED) +
                         "'Shift_JIS' ");
    for (const char* name : {"UTF-16XE", "x-unbekannt"}) {
        r = Parse(std::string("WRITERENCODING = ") + name + "\n");
        // The name is consumed: both messages stand at the line end, which
        // the position line counts as the first character of the next line.
        EXPECT_EQ(r.out, Fehler("WRITERENCODING",
                                std::string("Die Kodierung '") + name + "' wird nicht unterstützt.",
                                2, 1, false) +
                             Fehler("WRITERENCODING", "Angabe der Kodierung fehlt.", 2, 1))
            << name;
        EXPECT_EQ(r.ok, 0u);
    }
    // No name at all stays in place.
    r = Parse("READERENCODING = 'UTF-8'\n");
    EXPECT_EQ(r.out,
              Fehler("READERENCODING", "Die Kodierung wird nicht unterstützt.", 1, 18, false) +
                  Fehler("READERENCODING", "Angabe der Kodierung fehlt.", 1, 18) +
                  Fehler("READERENCODING", "Abschluss-Separator (' ',CR,LF) fehlt.", 1, 18));
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

// ---- Element and entity definitions ---------------------------------------------

TEST(BASElement, ModelAndAttributeDefaults) {
    Ergebnis r = Pruefe("ELEMENT img MODEL = EMPTY ATTLIST [src='a.png'] [ alt = \"\" ]\n"
                        "ATTLIST\n[w='1']ENDE\nELEMENT p MODEL= ATTLIST ENDE\n",
                        {});
    EXPECT_EQ(r.log, "element_name=1'img' model_type=2'EMPTY' attribute_name'src' "
                     "attribute_name'alt' attribute_name'w' element_definition_ende=1 "
                     "element_name=1'p' model_type=3'' element_definition_ende=1 ");
    for (const char* m : {"EMPTY", "DATA", "GROUP", "MIXED"})
        EXPECT_TRUE(Contains(Pruefe(std::string("ELEMENT p MODEL=") + m + " ENDE", {}).log,
                             std::string("'") + m + "'"));
}

TEST(BASElement, Faults) {
    const std::string ende = "Element-Definitionsende (ENDE) erwartet";
    Pruefe("ELEMENT p MODEL §§EMPTY ENDE",
           {{"MODEL", "Zuweisungsoperator (=) erwartet."}, {"ELEMENT", ende}});
    Pruefe("ELEMENT p MODEL=MIXED§§'x' ENDE",
           {{"MODEL", "Abschluss-Separator (' ') erwartet."}, {"ELEMENT", ende}});
    // A failing attribute definition ends the clause; ENDE may follow.
    Pruefe("ELEMENT p ATTLIST [a='1' §ENDE", {{"ATTLIST", "Attributende (]) erwartet."}});
    Pruefe("ELEMENT p ATTLIST [§§1] ENDE",
           {{"ATTLIST", "Attributname ([{name})erwartet."}, {"ELEMENT", ende}});
    Pruefe("ELEMENT p ATTLIST [a §§'1'] ENDE",
           {{"ATTLIST", "Zuweisungszeichen ([{name}=) fehlt."}, {"ELEMENT", ende}});
    Pruefe("ELEMENT p ATTLIST [a = §§] ENDE",
           {{"ATTLIST", "Attributwert (\"...\" oder '...') fehlt."}, {"ELEMENT", ende}});
}

TEST(BASEntity, NamesAndClauses) {
    Ergebnis r = Pruefe("ENTITY auml = 'ä' ALTERNATE = 'ae' ASCII='a'+CHR(776)\n"
                        "ENTITY #xE4='a'\nENTITY #228 = \"b\" + VALUE([x])\nENTITY #RE=''\n"
                        "ENTITY #1114112 = 'x'ENTITY #x10FFFF='y'\n",
                        {});
    EXPECT_EQ(r.log,
              "entity_name_definition=0'auml' makro_literal=1'ä' entity_alternate=1 "
              "makro_literal=1'ae' entity_ascii=1 makro_literal=1'a' makro_plus=1 makro_chr=1 "
              "entity_name_definition=228'#xE4' makro_literal=1'a' "
              "entity_name_definition=228'#228' makro_literal=1'b' makro_plus=1 makro_value=1 "
              "attribute_name'x' entity_name_definition=13'#RE' makro_literal=1'' "
              "entity_name_definition=1114112'#1114112' makro_literal=1'x' "
              "entity_name_definition=1114111'#x10FFFF' makro_literal=1'y' ");
}

TEST(BASEntity, CharacterReferenceNames) {
    Pruefe("ENTITY #x110000§ = 'x'", {{"ENTITY", "Hexadezimale Zeichenreferenz ist zu groß.", true}});
    Pruefe("ENTITY #x" + std::string(4096, '0') + "41§='x'",
           {{"ENTITY", "Hexadezimale Zeichenreferenz ist zu lang.", true}});
    Pruefe("ENTITY #x1" + std::string(16, '0') + "§='x'",
           {{"ENTITY", "Hexadezimale Zeichenreferenz konnte nicht gelesen werden.", true}});
    Pruefe("ENTITY #" + std::string(4096, '1') + "§='x'",
           {{"ENTITY", "Zeichenreferenz ist zu groß.", true}});
    // 2^32 + 65 must not be taken for "A".
    Pruefe("ENTITY #4294967361§='x'",
           {{"ENTITY", "Zeichenreferenz konnte nicht gelesen werden.", true}});
    Pruefe("ENTITY #§§xZZ='x'", {{"ENTITY", "Funktionszeichenreferenz unbekannt.", true},
                                   {"ENTITY", "Entitybezeichner (ENTITY {name}) erwartet."}});
}

TEST(BASEntity, Faults) {
    Pruefe("ENTITY§('x')", {{"ENTITY", "Separator (' ') fehlt."}});
    Pruefe("ENTITY auml §'x'", {{"ENTITY", "Zuweisungsoperator (=) erwartet."}});
    Pruefe("ENTITY auml = §x", {{"ENTITY", "Ersetzungsregeln (\"...\")) erwartet."}});
    Pruefe("ENTITY auml = 'a' + §ALTERNATE='b'",
           {{"ENTITY", "Ersetzungsregeln ('...') erwartet."}});
    Pruefe("ENTITY a = CHR§§x", {{"CHR", "Parameter '({number})' erwartet."},
                                   {"ENTITY", "Ersetzungsregeln (\"...\")) erwartet."}});
    // A failing ALTERNATE or ASCII clause keeps the definition; the next
    // definition is looked for where the clause stopped.
    Pruefe("ENTITY a = 'a' ALTERNATE §'b'", {{"ALTERNATE", "Zuweisungsoperator (=) erwartet."}});
    Pruefe("ENTITY a = 'a' ASCII = §b", {{"ASCII", "Ersetzungsregeln (\"...\")) erwartet."}});
}

// ---- Rules and branches ----------------------------------------------------------

TEST(BASRegeln, RulesInAnyOrder) {
    Ergebnis r = Pruefe("ELEMENT p\n DAT = ALTFULL\n END='</p>'\n BEG = '<p>' + CHR(10)\n"
                        " ERR = 'kaputt'\n BEG='x'ENDE\n",
                        {});
    EXPECT_EQ(r.log, "element_name=1'p' rules_dat=1 makro_data_type=4'ALTFULL' rules_end=1 "
                     "makro_literal=1'</p>' rules_beg=1 makro_literal=1'<p>' makro_plus=1 "
                     "makro_chr=1 rules_err=1 makro_literal=1'kaputt' rules_beg=1 "
                     "makro_literal=1'x' element_definition_ende=1 ");
    const std::pair<const char*, int> types[] = {{"FULL", 1}, {"ALTFULL", 4}, {"ALT", 3},
                                                 {"DATA", 2}, {"ASCFULL", 6}, {"ASC", 5},
                                                 {"DROP", 7}};
    for (const auto& [type, value] : types)
        EXPECT_TRUE(Contains(Pruefe(std::string("ELEMENT p DAT=") + type + " ENDE", {}).log,
                             "makro_data_type=" + std::to_string(value) + "'" + type + "'"));
}

TEST(BASRegeln, Faults) {
    const std::string ende = "Element-Definitionsende (ENDE) erwartet";
    Pruefe("ELEMENT p BEG §§'x' ENDE", {{"BEG", "Zuweisungsoperator (=) fehlt."}, {"ELEMENT", ende}});
    Pruefe("ELEMENT p END= §ENDE", {{"END", "Regelsatz erwartet ('...')."}});
    Pruefe("ELEMENT p ERR=§§1 ENDE", {{"ERR", "Fehlermeldung erwartet ('...')."}, {"ELEMENT", ende}});
    Pruefe("ELEMENT p DAT=§§FULLTEXT ENDE",
           {{"DAT", "Modell erwartet (FULL, DATA, ALT, ALTFULL, ASC, ASCFULL oder DROP)."},
            {"ELEMENT", ende}});
    Pruefe("ELEMENT p BEG='a'+ §ENDE", {{"", "Ersetzungsregeln ('...') erwartet."}});
}

TEST(BASVerzweigung, NestedBlocks) {
    Ergebnis r = Pruefe("ELEMENT p\n"
                        "IF IN kapitel FIRST\n"
                        "  BEG='a'\n"
                        "  IF [typ]\n"
                        "    END='b'\n"
                        "  ELSEIF NOTEMPTY\n"
                        "  ELSE\n"
                        "    IF BEG EMPTY\n"
                        "    ENDIF\n"
                        "  ENDIF\n"
                        "ELSEIF END\n"
                        "  BEG='c'\n"
                        "ELSE DAT=DATA\n"
                        "ENDIF\n"
                        "ENDE\n",
                        {});
    EXPECT_EQ(r.log,
              "element_name=1'p' branch_if=1 condition_in=1 element_name=1'kapitel' "
              "condition_first=1 rules_beg=1 makro_literal=1'a' branch_if=1 "
              "attribute_name'typ' v_dummy_notempty=2 rules_end=1 makro_literal=1'b' "
              "branch_elseif=1 makro_notempty=1 rules_nop=1 branch_else=1 branch_if=1 "
              "condition_beg=1 makro_empty=1 rules_nop=1 branch_endif=1 branch_endif=1 "
              "branch_elseif=1 condition_end=1 rules_beg=1 makro_literal=1'c' branch_else=1 "
              "rules_dat=1 makro_data_type=2'DATA' branch_endif=1 element_definition_ende=1 ");
}

TEST(BASVerzweigung, Faults) {
    const std::string ende = "Element-Definitionsende (ENDE) erwartet";
    Pruefe("ELEMENT p IF §§ENDIF ENDE", {{"IF", "Bedingung erwartet."}, {"ELEMENT", ende}});
    Pruefe("ELEMENT p IF§§(EMPTY) ENDIF ENDE", {{"IF", "Separator (' ') fehlt."}, {"ELEMENT", ende}});
    Pruefe("ELEMENT p IF EMPTY BEG='x' §ENDE",
           {{"ENDIF", "Endekennung (ENDIF) der Verzweigung fehlt."}});
    Pruefe("ELEMENT p IF EMPTY ELSEIF §§ENDIF ENDE",
           {{"ELSEIF", "Bedingung erwartet."}, {"ELEMENT", ende}});
    Pruefe("ELEMENT p IF EMPTY ELSE§§§'x' ENDIF ENDE",
           {{"ELSE", "Abschluss-Separator (' ') fehlt."},
            {"ENDIF", "Endekennung (ENDIF) der Verzweigung fehlt."},
            {"ELEMENT", ende}});
    // BEG without its separator does not count; END is tried and fails too.
    Pruefe("ELEMENT p IF BEG§§§('x') ENDIF ENDE",
           {{"BEG", "Abschluss-Separator (' ',CR,LF) fehlt."},
            {"IF", "Bedingung erwartet."},
            {"ELEMENT", ende}});
}

TEST(BASVerzweigung, NestingDepthIsBounded) {
    std::string tief;
    for (int i = 0; i < 1000; ++i) tief += "IF EMPTY ";
    Ergebnis r = Parse("ELEMENT p " + tief + "IF EMPTY BEG='x' ENDIF ENDE\n");
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')),
              "FEHLER: (Skript) IF, Die Verzweigungen sind zu tief verschachtelt.");
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2);
    EXPECT_EQ(r.ok, 0u);
    std::string ok;
    for (int i = 0; i < 999; ++i) ok += "ENDIF ";
    Pruefe("ELEMENT p " + tief.substr(9) + "BEG='x' " + ok + "ENDE\n", {});
}

// The one "§" of `marked` stands for all messages: the given ones and then
// the ones that the fault causes in what encloses it.
void AmOrt(const std::string& before, const std::string& marked, const std::string& after,
           std::vector<M> messages, const std::vector<M>& consequences) {
    std::string text = marked;
    size_t at = text.find("§");
    messages.insert(messages.end(), consequences.begin(), consequences.end());
    for (size_t i = 1; i < messages.size(); ++i) text.insert(at, "§");
    Pruefe(before + text + after, messages);
}

const M kEnde = {"ELEMENT", "Element-Definitionsende (ENDE) erwartet"};

// A faulty condition: the block then has none and the definition no ENDE.
void BedingungFehler(const std::string& marked, const std::vector<M>& messages) {
    AmOrt("ELEMENT p IF ", marked, " ENDIF ENDE", messages, {{"IF", "Bedingung erwartet."}, kEnde});
}

// A faulty macro: the BEG rule then has no text and the definition no ENDE.
void MakroFehler(const std::string& marked, const std::vector<M>& messages) {
    AmOrt("ELEMENT p BEG=", marked, " ENDE", messages,
          {{"BEG", "Regelsatz erwartet ('...')."}, kEnde});
}

// ---- Conditions ----------------------------------------------------------------

TEST(BASBedingung, ConditionKinds) {
    Ergebnis r = Pruefe("ELEMENT p IF FIND(a) NOTFIND(b[x='1'] IN c,DOC,ONE) SUB SUB() NOTSUB(d) "
                        "EMPTY NOTEMPTY IMPLIED(e[f]) VALUE([g=\"2\"]) [h] BEG='x' ENDIF ENDE",
                        {});
    EXPECT_EQ(r.log,
              "element_name=1'p' branch_if=1 makro_find=1 element_name=1'a' "
              "makro_find_range=8'' makro_find_number=2'' makro_notfind=1 element_name=1'b' attribute_name'x' "
              "v_operator=3'=' condition_in=1 element_name=1'c' makro_find_range=2'DOC' "
              "makro_find_number=1'ONE' makro_sub=1 makro_sub=1 makro_notsub=1 element_name=1'd' makro_empty=1 "
              "makro_notempty=1 condition_implied=1 element_name=1'e' attribute_name'f' "
              "v_dummy_notempty=2 condition_value=1 attribute_name'g' v_operator=3'=' "
              "attribute_name'h' v_dummy_notempty=2 rules_beg=1 makro_literal=1'x' "
              "branch_endif=1 element_definition_ende=1 ");
}

TEST(BASBedingung, SearchContextFaults) {
    BedingungFehler("FIND(a§,FOO)", {{"FIND", "Parameter-Endecode (')') erwartet."}});
    BedingungFehler("NOTFIND(a §)",
                    {{"FIND", "Kontext-Befehl (IN/NOTIN/INX/NOTIN) erwartet."},
                     {"NOTFIND", "Element oder Kontextbedingung ('{element}'/'({...})) erwartet."}});
    BedingungFehler("FIND§ (a)", {{"FIND", "Parameter ('({element})') erwartet."}});
    BedingungFehler("SUB(a§", {{"SUB", "Parameter-Endecode (')') erwartet."}});
    BedingungFehler("IMPLIED§ (a)", {{"IMPLIED", "Parameter ('({parameter})') erwartet."}});
    BedingungFehler("VALUE(a§)", {{"VALUE", "Attributabfrage ('[attributabfrage]') oder erweiterte "
                                            "Attributabfrage ('element[attributabfrage]') erwartet."}});
}

TEST(BASBedingung, OperatorsInOrderOfTrial) {
    const std::pair<const char*, int> string_ops[] = {
        {"!==^", 16}, {"!==$", 20}, {"!==*", 24}, {"!==~", 28}, {"==^", 15}, {"==$", 19},
        {"==*", 23},  {"==~", 27},  {"!=^", 14},  {"!=$", 18},  {"!=*", 22}, {"!=~", 26},
        {"=^", 13},   {"=$", 17},   {"=*", 21},   {"=~", 25}};
    const std::pair<const char*, int> ops[] = {
        {"!==", 2}, {"!<=", 10}, {"!>=", 12}, {"==", 1}, {"<>", 4}, {"<=", 9}, {">=", 11},
        {"!=", 4},  {"!<", 6},   {"!>", 8},   {"=", 3},  {"<", 5},  {">", 7}};
    for (const auto& [op, value] : string_ops) {
        Ergebnis r = Pruefe(std::string("ELEMENT p IF [a ") + op + " 'x'] ENDIF ENDE", {});
        EXPECT_TRUE(Contains(r.log, "v_string_operator=" + std::to_string(value) + "'" + op + "'"))
            << op;
    }
    for (const auto& [op, value] : ops) {
        Ergebnis r = Pruefe(std::string("ELEMENT p IF [a") + op + "\"x\"] ENDIF ENDE", {});
        EXPECT_TRUE(Contains(r.log, "v_operator=" + std::to_string(value) + "'" + op + "'")) << op;
    }
}

TEST(BASBedingung, AttributeConditionForms) {
    Ergebnis r = Pruefe("ELEMENT p IF [a=b] [#DAT] [ #PCDATA !=^ 'y' ] ['Text'] ENDIF ENDE", {});
    EXPECT_EQ(r.log, "element_name=1'p' branch_if=1 attribute_name'a' v_operator=3'=' "
                     "attribute_name'b' v_content_dat=1 v_dummy_notempty=2 v_content_pcdata=1 "
                     "v_string_operator=14'!=^' v_dummy_content_data=1 rules_nop=1 "
                     "branch_endif=1 element_definition_ende=1 ");
    BedingungFehler("[#DAT=§b]", {{"[]", "Zeichenkette (\"...\" oder '...') fehlt."}});
    BedingungFehler("[a< §]",
                    {{"[]", "Zeichenkette (\"...\" oder '...') oder Vergleichsattribut fehlt."}});
    BedingungFehler("[§1]", {{"[]", "Attributname, #DAT oder Zeichenktte erwartet."}});
    // The BEG rule after the failed block is read as a rule of the element.
    Pruefe("ELEMENT p IF [a='x' §§BEG='y' §ENDIF ENDE",
           {{"[]", "Eigenschaftsende (]) erwartet."}, {"IF", "Bedingung erwartet."}, kEnde});
    Pruefe("ELEMENT p IF [a]§IN x BEG='y' ENDIF ENDE",
           {{"Bedingung", "Abschluss-Separator (' ',CR,LF) fehlt."}});
}

TEST(BASBedingung, ContextConditions) {
    const std::pair<const char*, const char*> words[] = {
        {"INX", "condition_inx"},           {"IN", "condition_in"},
        {"NOTINX", "condition_notinx"},     {"NOTIN", "condition_notin"},
        {"BEFORE", "condition_before"},     {"BEFOREX", "condition_beforex"},
        {"NOTBEFORE", "condition_notbefore"}, {"NOTBEFOREX", "condition_notbeforex"},
        {"AFTER", "condition_after"},       {"AFTERX", "condition_afterx"},
        {"NOTAFTER", "condition_notafter"}, {"NOTAFTERX", "condition_notafterx"}};
    for (const auto& [word, op] : words) {
        std::string w = word;
        Ergebnis r = Pruefe("ELEMENT p IF " + w + " x " + w + "(y[a]) " + w + " z['t'] ENDIF ENDE", {});
        EXPECT_EQ(r.log, std::string("element_name=1'p' branch_if=1 ") + op +
                             "=1 element_name=1'x' " + op +
                             "=1 condition_parao=1 element_name=1'y' attribute_name'a' "
                             "v_dummy_notempty=2 " +
                             op + "=1 element_name=1'z' v_dummy_content_data=1 rules_nop=1 "
                                  "branch_endif=1 element_definition_ende=1 ");
    }
    for (const char* w : {"FIRST", "NOTFIRST", "LAST", "NOTLAST", "TOPLEVEL", "NOTTOPLEVEL"}) {
        std::string op = "condition_" + std::string(w);
        for (char& c : op) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_TRUE(Contains(Pruefe(std::string("ELEMENT p IF ") + w + "\nENDIF ENDE", {}).log,
                             "branch_if=1 " + op + "=1 rules_nop=1"))
            << w;
    }
}

TEST(BASBedingung, ContextFaults) {
    Pruefe("ELEMENT p IF IN§§§", {{"IN", " Separator (' ') fehlt."}, {"IF", "Bedingung erwartet."}, kEnde});
    BedingungFehler("AFTER§'x'", {{"AFTER", "Separator (' ') fehlt."}});
    BedingungFehler("NOTIN(x§ BEG='y'", {{"NOTIN", "Parameter-Endecode (')') erwartet."}});
    BedingungFehler("FIRST§[a]", {{"Kontextbedingung", "Abschluss-Separator (' ',CR,LF) fehlt."}});
    // A context keyword without its element is reported, not dropped silently.
    Pruefe("ELEMENT p IF EMPTY BEFORE §[a] BEG='y' ENDIF ENDE",
           {{"BEFORE", "Elementname ('{element}') erwartet."}});
}

// ---- Macros --------------------------------------------------------------------

TEST(BASMakro, ParameterForms) {
    Ergebnis r = Pruefe(
        "ELEMENT p BEG = CHR(65) + IMPLIED([a]) + IMPLIED(b[c],ALT) + VALUE([d],\"%03d\")"
        "+VALUE(e[f],ASC)+COUNT()+COUNT(x,LEVEL)+COUNT(,DOC,UPROM)+COUNT(x,ROM) ENDE\n"
        "ELEMENT q END=COPY(x,DATA)+COPY(,ALTFULL)+COPY(x[a] IN y,PARENT,ONE,FULL,z,'t')"
        "+CUT(x,CHILD,ALL,ASCFULL)+DEL(x,FULL)+DEL(x NOTINX y,DOC,ONE,DATA,z)"
        "+TOKEN([w],'mm',' ')+FILE([src])+FILE([src],'.txt') ENDE\n",
        {});
    EXPECT_EQ(r.log,
              "element_name=1'p' rules_beg=1 makro_chr=1 makro_plus=1 makro_implied=1 "
              "attribute_name'a' makro_plus=1 makro_implied=1 element_name=1'b' "
              "attribute_name'c' makro_replace_type(short)=3'ALT' makro_plus=1 makro_value=1 "
              "attribute_name'd' makro_literal=1'%03d' makro_plus=1 makro_value=1 "
              "element_name=1'e' attribute_name'f' makro_replace_type(short)=5'ASC' "
              "makro_plus=1 makro_count=1 makro_plus=1 makro_count=1 element_name=1'x' "
              "makro_count_type=3'LEVEL' makro_plus=1 makro_count=1 makro_count_type=2'DOC' "
              "makro_count_format=5'UPROM' makro_plus=1 makro_count=1 element_name=1'x' "
              "makro_count_format=4'ROM' element_definition_ende=1 "
              "element_name=1'q' rules_end=1 makro_copy=1 element_name=1'x' "
              "makro_find_range=8'' makro_find_number=2'' makro_replace_type(full)=2'DATA' "
              "makro_plus=1 makro_copy=1 makro_find_range=8'' makro_find_number=2'' "
              "makro_replace_type(full)=4'ALTFULL' makro_plus=1 makro_copy=1 element_name=1'x' "
              "attribute_name'a' v_dummy_notempty=2 condition_in=1 element_name=1'y' "
              "makro_find_range=4'PARENT' makro_find_number=1'ONE' "
              "makro_replace_type(full)=1'FULL' element_name=1'z' makro_literal=1't' "
              "makro_plus=1 makro_cut=1 element_name=1'x' makro_find_range_del=6'CHILD' "
              "makro_find_number=2'ALL' makro_replace_type(full)=6'ASCFULL' makro_plus=1 "
              "makro_del=1 element_name=1'x' makro_find_range_del=8'' makro_find_number=2'' "
              "makro_delete_type=1'FULL' makro_plus=1 makro_del=1 element_name=1'x' "
              "condition_notinx=1 element_name=1'y' makro_find_range_del=2'DOC' "
              "makro_find_number=1'ONE' makro_delete_type=2'DATA' element_name=1'z' "
              "makro_plus=1 makro_token=1 attribute_name'w' makro_literal=1'mm' "
              "makro_literal=1' ' makro_plus=1 makro_file=1 attribute_name'src' makro_plus=1 "
              "makro_file=1 attribute_name'src' makro_literal=1'.txt' "
              "element_definition_ende=1 ");
}

TEST(BASMakro, ChrValueCountFaults) {
    const std::string path = "Attribut Path ungültig.\n";
    const M code = {"VALUE", "Parametercode ('{parameter}') erwartet."};
    const M paren_end = {"", "Parameter-Endecode (')') erwartet."};
    MakroFehler("CHR§ (65)", {{"CHR", "Parameter '({number})' erwartet."}});
    MakroFehler("CHR(§x)", {{"CHR", "Parametercode '{number}' erwartet."}});
    MakroFehler("CHR(65§", {{"CHR", "Parameter-Endecode ')' erwartet."}});
    MakroFehler("IMPLIED§ ([a])", {{"IMPLIED", "Parameter ('({parameter})') erwartet."}});
    MakroFehler("IMPLIED([a]§", {{"IMPLIED", paren_end.text}});
    MakroFehler("VALUE(x§)", {{"", path}, code});
    MakroFehler("VALUE([§1])", {{"", "Attributname erwartet.\n"}, {"", path}, code});
    MakroFehler("VALUE([a§,ASC)", {{"", "Attributende (]) erwartet.\n"}, {"", path}, code});
    MakroFehler("VALUE([a],§FULL)",
                {{"VALUE", "Format (\"...\")) oder Ersetzungstyp ('ASC','ALT','DATA')erwartet."}});
    MakroFehler("COUNT(x,LEVEL,§)", {{"COUNT", "Zählerformat ('NUM', 'ALPHA', 'ROM') erwartet."}});
    MakroFehler("COUNT(x,§POS)", {{"COUNT", "Suchbereich und Zähltyp ('LEVEL', 'DOC' + 'POS', "
                                            "'ALL') oder Zählerformat ('NUM', 'ALPHA', 'ROM') "
                                            "erwartet."}});
    // No separators inside the parentheses.
    MakroFehler("COUNT(§ x)", {{"COUNT", paren_end.text}});
}

TEST(BASMakro, CopyCutDelFaults) {
    const M kontext = {"COPY", "Element oder Kontextbedingung ('{element}'/'({...})) erwartet."};
    const std::string typ = "Ersetzungs-Typ ('{type}'})) erwartet.";
    MakroFehler("COPY(x§)", {{"Ersetzungstyp", "Parameter-Separator (',') für Ersetzungstyp "
                                                "erwartet."},
                             {"COPY", typ}});
    MakroFehler("COPY(x,§FOO)", {{"COPY", typ}});
    MakroFehler("COPY(§)", {{"FIND", "Elementname ('{element}') erwartet."}, kontext});
    MakroFehler("COPY(x IN§)", {{"FIND", "Separator-Zeichen (' ') erwartet."}, kontext});
    MakroFehler("COPY(x IN §1)", {{"FIND", "Kontext-Element ('{element}') erwartet."}, kontext});
    MakroFehler("COPY(x,DATA§", {{"COPY", "Parameter-Endecode (')') erwartet."}});
    // COPY, CUT and DEL have no message of their own for a missing "(".
    MakroFehler("COPY§ (x,DATA)", {});
    // PARENT is no range of CUT: the "," stays and PARENT is no type.
    MakroFehler("CUT(x,§PARENT,DATA)", {{"CUT", typ}});
    MakroFehler("CUT(§,DATA)", {{"FIND", "Elementname ('{element}') erwartet."},
                                {"CUT", kontext.text}});
    MakroFehler("DEL(x§)", {{"Löschtyp", "Parameter-Separator (',') für Löschtyp erwartet."},
                            {"DEL", "Löschtyp ('{type}'})) erwartet."}});
    MakroFehler("DEL(x,§ALT)", {{"DEL", "Löschtyp ('{type}'})) erwartet."}});
}

TEST(BASMakro, TokenFileFaults) {
    MakroFehler("TOKEN§[a]", {{"TOKEN", "Parameter ('({parameter})') erwartet."}});
    MakroFehler("TOKEN(§)", {{"", "Attribut Path ungültig.\n"},
                             {"TOKEN", "Parametercode ('{parameter}') erwartet."}});
    MakroFehler("TOKEN([a]§)", {{"TOKEN", "1. Parameter-Trennzeichen (',') erwartet."}});
    MakroFehler("TOKEN([a],§x)", {{"TOKEN", "Einheit ('in', '*', 'mm', ...) erwartet."}});
    MakroFehler("TOKEN([a],'in'§)", {{"TOKEN", "2. Parameter-Trennzeichen (',') erwartet."}});
    MakroFehler("TOKEN([a],'in',§)", {{"TOKEN", "Separatortext ('...') erwartet."}});
    MakroFehler("FILE§[a]", {{"FILE", "Parameter-Beginn ('(') erwartet."}});
    MakroFehler("FILE(§a)", {{"FILE", "Attributname ([name]) erwartet."}});
    MakroFehler("FILE([§1])", {{"", "Attributname erwartet.\n"},
                               {"FILE", "Attributname ([name]) erwartet."}});
    MakroFehler("FILE([a§)", {{"", "Attributende (]) erwartet.\n"},
                              {"FILE", "Attributname ([name]) erwartet."}});
    MakroFehler("FILE([a],§)", {{"FILE", "Dateierweiterung ('...') erwartet."}});
    MakroFehler("FILE([a]§", {{"FILE", "Parameter-Ende (')') erwartet."}});
}

// ---- A whole script --------------------------------------------------------------

TEST(BASSkript, BookToHtmlParsesWithoutFault) {
    std::string path = __FILE__;
    path = path.substr(0, path.rfind('/')) + "/data/buch.xb";
    std::ifstream f(path, std::ios::binary);
    ASSERT_TRUE(f.good()) << path;
    std::stringstream text;
    text << f.rdbuf();
    Ergebnis r = Parse(text.str());
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.ok, 1u);
    // Spot checks that the constructs were read as meant.
    EXPECT_TRUE(Contains(r.log, "makro_count=1 element_name=1'teil' makro_count_type=2'DOC' "
                                "makro_count_format=5'UPROM'"));
    EXPECT_TRUE(Contains(r.log, "makro_token=1 attribute_name'breiten' makro_literal=1'%%'"));
    EXPECT_TRUE(Contains(r.log, "makro_cut=1 element_name=1'bildunterschrift' "
                                "makro_find_range_del=6'CHILD' makro_find_number=1'ONE'"));
    EXPECT_TRUE(Contains(r.log, "entity_name_definition=8594'#x2192'"));
}
