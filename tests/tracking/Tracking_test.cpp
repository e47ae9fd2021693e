// The tracking records and the report writer: what lands between the
// report's placeholders, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "convert/CNV.h"
#include "script/IPR.h"
#include "textio/Testdatei.h"
#include "tracking/CNVTRACK.h"
#include "base/TRACK.h"
#include "tracking/TRACKOUT.h"

namespace {

using testdatei::breit;
using testdatei::konsole;
using testdatei::Verzeichnis;

// The record's characters, each one byte wide.
std::wstring Inhalt(const TRACK& t) {
    std::wstring w;
    for (std::size_t i = 0; i < t.Laenge(); ++i) w.push_back(static_cast<unsigned char>(t.Text()[i]));
    return w;
}

TEST(TRACK, EscapesMarkupQuotesAndEveryCharacterBeyondAscii) {
    TRACK t;
    t.AddHtmlText(L"a<b>&\"'\tc\u00e4\u0080\U0001F600");
    EXPECT_EQ(Inhalt(t), L"a&lt;b&gt;&amp;&quot;&apos;&nbsp;&nbsp;c&#228;\u0080&#128512;");
    // The plain character rule escapes nothing but code points above 128.
    TRACK u;
    u.AddText(L"<\u00e4>");
    u.AddNr(-42);
    EXPECT_EQ(Inhalt(u), L"<&#228;>-42");
}

TEST(TRACK, EveryFormOfLineEndGivesOneNumberedLabel) {
    TRACK t;
    t.AddStartLabel();
    // CR LF, LF, CR, and a CR LF split over two appends: four line ends.
    t.AddHtmlText(L"a\r\nb\nc\rd\r");
    t.AddHtmlZeichen(L'\n');
    t.AddHtmlText(L"e");
    const std::wstring label = L"<em>&para;</em>\n<label title=\"";
    EXPECT_EQ(Inhalt(t), L"<label title=\"1\"></label>a" + label + L"2\"></label>b" + label + L"3\"></label>c" + label +
                             L"4\"></label>d" + label + L"5\"></label>e");
    EXPECT_EQ(t.LastZeile(), 5);
    t.Reset();
    EXPECT_EQ(t.Laenge(), 0u);
    EXPECT_EQ(t.LastZeile(), 0);
    EXPECT_FALSE(t.HatText());
}

TEST(TRACK, ActionEntriesTenToALine) {
    IPR ipr;
    CNV cnv;
    cnv.track_aktionen = &ipr.track_aktionen;
    cnv.track_quelle = &ipr.track_quelle;
    ipr.track_quelle.AddFirstId(30);
    cnv.Aktion_Tracken(2, 5, -1, nullptr);  // a tag of the third file: q32 with its definition
    cnv.Aktion_Tracken(-1, 7, -1, nullptr);  // a condition that holds
    cnv.Aktion_Tracken(-1, 7, -1, L"1");
    cnv.Aktion_Tracken(-1, 7, -1, L"0");
    cnv.Aktion_Tracken(12, -1, 3, nullptr);  // data with its output span
    cnv.Aktion_Tracken(-1, -1, 4, nullptr);  // a copied tag
    cnv.Aktion_Tracken(-1, 40, 5, L"");      // a macro
    cnv.Aktion_Tracken(-1, -1, -1, nullptr); // nothing at all
    cnv.Aktion_Tracken(0, -1, -1, nullptr);
    EXPECT_EQ(Inhalt(ipr.track_aktionen),
              L"\"q32\", \"s5\", \"s7\", \"s7=1\", \"s7=0\", \"q42\", \"z3\", \"z4\", \"s40\", \"z5\", \n\"q30\", ");
}

// Tracking a huge document must not exhaust the memory: a record stops at
// its limit, after a whole entry or span.
TEST(TRACK, RecordsStopAtTheirLimitAfterAWholeEntry) {
    IPR ipr;
    CNVTRACK cnv;
    cnv.track_aktionen = &ipr.track_aktionen;
    cnv.track_ziel = &ipr.track_ziel;
    ipr.track_aktionen.grenze = 20;
    for (int i = 0; i < 5; ++i) cnv.Aktion_Tracken(i, -1, -1, nullptr);
    EXPECT_EQ(Inhalt(ipr.track_aktionen), L"\"q0\", \"q1\", \"q2\", \"q3\", ");
    ipr.track_ziel.grenze = 16;
    cnv.Ziel_Tracken_Beginn(1);
    cnv.AusgabeWrite(L"<a>");
    cnv.Ziel_Tracken_Ende();
    cnv.Ziel_Tracken_Beginn(2);
    cnv.AusgabeWrite(L'b');
    EXPECT_EQ(Inhalt(ipr.track_ziel), L"<span id=\"z1\">&lt;a&gt;");
}

// The source record of a global output: every file under its heading, the
// item numbers running on from file to file.
TEST(TRACK, SourceRecordNumbersItemsOnAcrossTheFilesOfAGlobalOutput) {
    Verzeichnis d;
    d.schreiben("s.xb", "SYNTAX = XML\n");
    const std::string a = d.schreiben("a&b.xml", "<a x=\"1\">T&amp;</a>\r\n");
    const std::string b = d.schreiben("b.xml", "<b>\u00e4\n</b>");
    IPR ipr;
    ASSERT_TRUE(ipr.Skript_Init(breit(d.pfad() + "/s.xb").c_str(), false, false, false, 1));
    ipr.global_output = true;
    for (const std::string& datei : {a, b}) {
        CNV cnv;
        cnv.Interpreter_Initialisierung(&ipr);
        ASSERT_EQ(cnv.AusgabeOpen(breit(datei).c_str(), L"x.htm", nullptr, false), 1);
        ASSERT_EQ(cnv.Quelle_Read(), 1);
    }
    const std::wstring label2 = L"<em>&para;</em>\n<label title=\"2\"></label>";
    EXPECT_EQ(Inhalt(ipr.track_quelle),
              L"\n<b class=\"file\">a&amp;b.xml</b>\n\n<label title=\"1\"></label>"
              L"&lt;<span id=\"q0\">a</span> <span id=\"q1\">x</span>=&quot;<span id=\"q2\">1</span>&quot;&gt;"
              L"<span id=\"q3\">T</span>&amp;<span id=\"q4\">amp</span>;&lt;/<span id=\"q5\">a</span>&gt;" +
                  label2 + std::wstring(1, L'\0') +
                  L"\n\n<b class=\"file\">b.xml</b>\n\n<label title=\"1\"></label>"
                  L"&lt;<span id=\"q6\">b</span>&gt;<span id=\"q7\">&#228;" +
                  label2 + L"</span>&lt;/<span id=\"q8\">b</span>&gt;" + std::wstring(1, L'\0'));
    EXPECT_EQ(ipr.track_quelle.FirstId(), 6);
    EXPECT_EQ(ipr.track_quelle.LastId(), 9);
}

// The script record shows the text as written, before the compiled items
// get their terminators; settings and ENDE carry no span.
TEST(TRACK, ScriptRecordSpansEveryItemButSettingsAndEnde) {
    Verzeichnis d;
    d.schreiben("s.xb", "SYNTAX = XML\r\nELEMENT a\r\n  BEG = '<x>' + CHR(10)\r\nENDE\n");
    IPR ipr;
    ASSERT_TRUE(ipr.Skript_Init(breit(d.pfad() + "/s.xb").c_str(), false, false, false, 2));
    const std::wstring label = L"<em>&para;</em>\n<label title=\"";
    EXPECT_EQ(Inhalt(ipr.track_skript),
              L"<label title=\"1\"></label>SYNTAX = XML" + label + L"2\"></label>ELEMENT <span id=\"s1\">a</span>" +
                  label + L"3\"></label>  <span id=\"s2\">BEG</span> = &apos;<span id=\"s3\">&lt;x&gt;</span>&apos; " +
                  L"<span id=\"s4\">+ </span><span id=\"s5\">CHR</span>(<span id=\"s6\">10</span>)" + label +
                  L"4\"></label>ENDE" + label + L"5\"></label>" + std::wstring(1, L'\0'));
}

// A report: every placeholder receives its record, the markers stay.
TEST(TRACKOUT, PutsEachRecordBetweenItsMarkers) {
    Verzeichnis d;
    TRACK aktionen, quelle, skript, ziel, nq, ns, nz, auto_;
    aktionen.AddText(L"\"q0\", ");
    quelle.AddText(L"Q");
    quelle.text.push_back('\0');
    quelle.AddHtmlText(L"\u0080");  // the one character above ASCII that a record keeps
    skript.AddText(L"S");
    ziel.AddText(L"Z1");
    ziel.text.push_back('\0');  // a 0 the conversion wrote must not cut the rest off
    ziel.AddText(L"Z2");
    nq.AddHtmlText(L"a.xml");
    ns.AddHtmlText(L"s.xb");
    nz.AddHtmlText(L"<a>.htm");
    auto_.AddText(L"true");
    const wchar_t* vorlage =
        L"\u00dc[/*--#beg:stack#--*/alt/*--#end:stack#--*/]<!--#beg:quelle#-->alt<!--#end:quelle#-->"
        L"<!--#beg:skript#--><!--#end:skript#--><!--#beg:ziel#-->x<!--#end:ziel#-->"
        L"<!--#beg:quellename#--><!--#end:quellename#--><!--#beg:skriptname#--><!--#end:skriptname#-->"
        L"<!--#beg:zielname#--><!--#end:zielname#-->/*--#beg:autostart#--*/false/*--#end:autostart#--*/"
        L"<!--# nothing --> /*--#x";
    TRACKOUT bericht;
    bericht.Lade_Track_Autostart(&auto_);
    bericht.Lade_Vorlage(vorlage);
    bericht.Lade_Track_Aktionen(&aktionen);
    bericht.Lade_Track_Quelle(&quelle);
    bericht.Lade_Track_Skript(&skript);
    bericht.Lade_Track_Ziel(&ziel);
    bericht.Lade_Name_Quelle(&nq);
    bericht.Lade_Name_Skript(&ns);
    bericht.Lade_Name_Ziel(&nz);
    const std::string name = d.pfad() + "/r_track.html";
    EXPECT_EQ(konsole([&] { EXPECT_EQ(bericht.Schreibe_Ausgabedatei(breit(name).c_str()), 1); }), "");
    EXPECT_EQ(d.lesen(name),
              "\xC3\x9C[/*--#beg:stack#--*/\n\"q0\", \n/*--#end:stack#--*/]<!--#beg:quelle#-->Q\xC2\x80<!--#end:quelle#-->"
              "<!--#beg:skript#-->S<!--#end:skript#--><!--#beg:ziel#-->Z1Z2<!--#end:ziel#-->"
              "<!--#beg:quellename#-->a.xml<!--#end:quellename#--><!--#beg:skriptname#-->s.xb<!--#end:skriptname#-->"
              "<!--#beg:zielname#-->&lt;a&gt;.htm<!--#end:zielname#-->/*--#beg:autostart#--*/true\n"
              "/*--#end:autostart#--*/<!--# nothing --> /*--#x");
    // A template without placeholders comes out as it is.
    TRACKOUT schlicht;
    schlicht.Lade_Vorlage(L"<p>ohne</p>");
    EXPECT_EQ(schlicht.Schreibe_Ausgabedatei(breit(name).c_str()), 1);
    EXPECT_EQ(d.lesen(name), "<p>ohne</p>");
}

TEST(TRACKOUT, MissingEndMarkersAreReportedAndTheRestIsCopied) {
    Verzeichnis d;
    TRACK quelle;
    quelle.AddText(L"Q");
    TRACKOUT bericht;
    bericht.Lade_Track_Quelle(&quelle);
    bericht.Lade_Vorlage(
        L"/*--#beg:stack#--*/<!--#beg:quelle#-->.<!--#beg:skript#--><!--#beg:ziel#--><!--#beg:quellename#-->"
        L"<!--#beg:skriptname#--><!--#beg:zielname#-->/*--#beg:autostart#--*/");
    const std::string name = d.pfad() + "/r_track.html";
    EXPECT_EQ(konsole([&] { bericht.Schreibe_Ausgabedatei(breit(name).c_str()); }),
              "FEHLER: Der Tracking-Platzhalter /*--#end:stack#--*/ fehlt.\n"
              "FEHLER: Der Tracking-Platzhalter <!--#end:quelle#--> fehlt.\n"
              "FEHLER: Der Tracking-Platzhalter <!--#end:script#--> fehlt.\n"
              "FEHLER: Der Tracking-Platzhalter <!--#end:ziel#--> fehlt.\n"
              "FEHLER: Der Tracking-Platzhalter <!--#end:quellename#--> fehlt.\n"
              "FEHLER: Der Tracking-Platzhalter <!--#end:skriptname#--> fehlt.\n"
              "FEHLER: Der Tracking-Platzhalter <!--#end:zielname#--> fehlt.\n"
              "FEHLER: Das Ende vom Autostart-Platzhalter /*--#end:autostart#--*/ fehlt.\n");
    // Each begin marker with its replacement, then the marker again as text
    // from its second character on.
    EXPECT_EQ(d.lesen(name),
              "/*--#beg:stack#--*/\n\n*--#beg:stack#--*/<!--#beg:quelle#-->Q!--#beg:quelle#-->."
              "<!--#beg:skript#-->!--#beg:skript#--><!--#beg:ziel#-->!--#beg:ziel#-->"
              "<!--#beg:quellename#-->!--#beg:quellename#--><!--#beg:skriptname#-->!--#beg:skriptname#-->"
              "<!--#beg:zielname#-->!--#beg:zielname#-->/*--#beg:autostart#--*/\n*--#beg:autostart#--*/");
}

TEST(TRACKOUT, ARelativeNameCannotBeCreated) {
    TRACKOUT bericht;
    bericht.Lade_Vorlage(L"x");
    std::string text = konsole([&] { EXPECT_EQ(bericht.Schreibe_Ausgabedatei(L"_track.html"), 0); });
    EXPECT_NE(text.find("FEHLER: (Ausgabe): Datei konnte nicht erstellt werden ("), std::string::npos) << text;
    EXPECT_NE(text.find("/*/_track.html): Datei oder Verzeichnis nicht gefunden.\n"), std::string::npos) << text;
}

}  // namespace
