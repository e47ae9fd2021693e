#include "tracking/TRACKOUT.h"

#include <cstring>
#include <cwchar>

#include "base/Konsole.h"

namespace {

struct Platzhalter {
    const wchar_t* beginn;
    const wchar_t* ende;
    const wchar_t* fehlt;
};

// In the order in which they are tried at a marker prefix.
const Platzhalter PLATZHALTER[] = {
    {L"/*--#beg:stack#--*/", L"/*--#end:stack#--*/",
     L"FEHLER: Der Tracking-Platzhalter /*--#end:stack#--*/ fehlt.\n"},
    {L"<!--#beg:quelle#-->", L"<!--#end:quelle#-->",
     L"FEHLER: Der Tracking-Platzhalter <!--#end:quelle#--> fehlt.\n"},
    {L"<!--#beg:skript#-->", L"<!--#end:skript#-->",
     L"FEHLER: Der Tracking-Platzhalter <!--#end:script#--> fehlt.\n"},
    {L"<!--#beg:ziel#-->", L"<!--#end:ziel#-->", L"FEHLER: Der Tracking-Platzhalter <!--#end:ziel#--> fehlt.\n"},
    {L"<!--#beg:quellename#-->", L"<!--#end:quellename#-->",
     L"FEHLER: Der Tracking-Platzhalter <!--#end:quellename#--> fehlt.\n"},
    {L"<!--#beg:skriptname#-->", L"<!--#end:skriptname#-->",
     L"FEHLER: Der Tracking-Platzhalter <!--#end:skriptname#--> fehlt.\n"},
    {L"<!--#beg:zielname#-->", L"<!--#end:zielname#-->",
     L"FEHLER: Der Tracking-Platzhalter <!--#end:zielname#--> fehlt.\n"},
    {L"/*--#beg:autostart#--*/", L"/*--#end:autostart#--*/",
     L"FEHLER: Das Ende vom Autostart-Platzhalter /*--#end:autostart#--*/ fehlt.\n"},
};
enum { STACK, QUELLE, SKRIPT, ZIEL, QUELLENAME, SKRIPTNAME, ZIELNAME, AUTOSTART, ANZAHL };

bool beginnt_mit(const wchar_t* text, const wchar_t* anfang) {
    return std::wcsncmp(text, anfang, std::wcslen(anfang)) == 0;
}

// A record goes out whole, without the 0 characters that end its pieces:
// a 0 the conversion wrote into the output must not cut the rest away.
void schreibe_record(OUT& out, const TRACK& t) {
    const char* p = t.Text();
    const char* ende = p + t.Laenge();
    while (p < ende) {
        const std::size_t n = std::strlen(p);
        out.OUT_Write_Bytes(p, n);
        p += n + 1;
    }
}

}  // namespace

TRACKOUT::TRACKOUT() = default;
TRACKOUT::~TRACKOUT() = default;

int TRACKOUT::laden(TRACK** slot, TRACK* t) {
    if (t == nullptr) return 0;
    *slot = t;
    t->text.push_back('\0');
    return 1;
}

int TRACKOUT::Lade_Track_Quelle(TRACK* t) { return laden(&quelle, t); }
int TRACKOUT::Lade_Track_Skript(TRACK* t) { return laden(&skript, t); }
int TRACKOUT::Lade_Track_Ziel(TRACK* t) { return laden(&ziel, t); }
int TRACKOUT::Lade_Name_Quelle(TRACK* t) { return laden(&name_quelle, t); }
int TRACKOUT::Lade_Name_Skript(TRACK* t) { return laden(&name_skript, t); }
int TRACKOUT::Lade_Name_Ziel(TRACK* t) { return laden(&name_ziel, t); }
int TRACKOUT::Lade_Track_Aktionen(TRACK* t) { return laden(&aktionen, t); }
int TRACKOUT::Lade_Track_Autostart(TRACK* t) { return laden(&autostart, t); }

int TRACKOUT::Lade_Vorlage(const wchar_t* text) {
    vorlage = text;
    return 1;
}

void TRACKOUT::platzhalter_ersetzen(int nr) {
    switch (nr) {
        case STACK:
            ausgabe.OUT_Write_String(L"\n");
            schreibe_record(ausgabe, *aktionen);
            ausgabe.OUT_Write_String(L"\n");
            break;
        case QUELLE: schreibe_record(ausgabe, *quelle); break;
        case SKRIPT: schreibe_record(ausgabe, *skript); break;
        case ZIEL: schreibe_record(ausgabe, *ziel); break;
        case QUELLENAME: schreibe_record(ausgabe, *name_quelle); break;
        case SKRIPTNAME: schreibe_record(ausgabe, *name_skript); break;
        case ZIELNAME: schreibe_record(ausgabe, *name_ziel); break;
        case AUTOSTART:
            schreibe_record(ausgabe, *autostart);
            ausgabe.OUT_Write_String(L"\n");
            break;
    }
}

int TRACKOUT::Schreibe_Ausgabedatei(const wchar_t* name) {
    if (ausgabe.OUT_Open(L"*", nullptr, name, nullptr, ENC_UTF8, false) == 0) return 0;
    const wchar_t* p = vorlage != nullptr ? vorlage : L"";
    while (*p != 0) {
        // Copy the plain text up to the next place where a marker may begin.
        const wchar_t* lauf = p;
        while (*lauf != 0 && !beginnt_mit(lauf, L"<!--#") && !beginnt_mit(lauf, L"/*--#")) ++lauf;
        if (lauf != p) {
            ausgabe.OUT_Write_String(std::wstring(p, lauf).c_str());
            p = lauf;
            continue;
        }
        int nr = 0;
        while (nr < ANZAHL && !beginnt_mit(p, PLATZHALTER[nr].beginn)) ++nr;
        if (nr == ANZAHL) {
            // A marker prefix that begins no placeholder is ordinary text.
            ausgabe.OUT_Write_Char(*p++);
            continue;
        }
        const Platzhalter& ph = PLATZHALTER[nr];
        ausgabe.OUT_Write_String(ph.beginn);
        platzhalter_ersetzen(nr);
        const wchar_t* ende = std::wcsstr(p, ph.ende);
        if (ende != nullptr) {
            ausgabe.OUT_Write_String(ph.ende);
            p = ende + std::wcslen(ph.ende);
        } else {
            Konsole_Text(ph.fehlt);
            ++p;
        }
    }
    const bool fehlerfrei = !ausgabe.OUT_Schreibfehler();
    ausgabe.OUT_Close();
    return fehlerfrei && !ausgabe.OUT_Schreibfehler() ? 1 : 0;
}
