// Messages about a place in a file: composed here for the console and,
// with web output, as HTML fragments for the output file.
#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <string>

#include "textio/BUF.h"
#include "textio/MELDUNGEN.h"
#include "base/Konsole.h"
#include "textio/OUT.h"

namespace {

// The message text: the template cut to 255 characters, its first "%ls"
// filled with the argument when the result still fits into 255 characters;
// otherwise the template is shown as it stands.
std::wstring meldungstext(const wchar_t* vorlage, const wchar_t* argument) {
    constexpr std::size_t GRENZE = BUF_MELDUNGSLAENGE - 1;
    if (vorlage == nullptr) return std::wstring();
    const std::wstring ganz(vorlage);
    std::wstring arbeit = ganz.substr(0, GRENZE);
    if (arbeit.empty() || argument == nullptr || arbeit.find(L"%ls") == std::wstring::npos) return arbeit;
    const std::size_t stelle = ganz.find(L"%ls");
    const std::size_t bis_argument = stelle + std::wcslen(argument);
    const std::size_t gesamt = bis_argument + ganz.size() - stelle - 3;
    if (bis_argument > GRENZE || gesamt > GRENZE) return arbeit;
    return ganz.substr(0, stelle) + argument + ganz.substr(stelle + 3);
}

// On the console a "%%" pair shows as one "%"; a lone "%" stays.
void konsole_ohne_doppelprozent(std::wstring& zeile, const wchar_t* s) {
    for (; *s != 0; ++s) {
        zeile.push_back(*s);
        if (s[0] == L'%' && s[1] == L'%') ++s;
    }
}

void senke(OUT* sink, const wchar_t* s) {
    if (sink != nullptr) sink->OUT_Write_String(s);
}

// A pointer's place for comparisons; the position may point anywhere.
std::uintptr_t stelle(const wchar_t* p) { return reinterpret_cast<std::uintptr_t>(p); }

}  // namespace

int BUF::InitFehlerausgabe(OUT* sink) {
    fehlerausgabe = sink;
    return 1;
}

int BUF::Fehlermeldung(int severity, int origin, const wchar_t* label, const wchar_t* vorlage,
                       const wchar_t* argument, const wchar_t* position) {
    const std::wstring text_der_meldung = meldungstext(vorlage, argument);
    const wchar_t* schwere = severity != 0 ? L"FEHLER: " : L"WARNUNG: ";
    const wchar_t* herkunft = origin != 0 ? L"(Skript) " : L"(Parser) ";
    const std::wstring nummer = severity > 0 ? std::to_wstring(severity) + L" " : std::wstring();

    std::wstring zeile;
    zeile.reserve(300);
    zeile += schwere;
    zeile += herkunft;
    if (label != nullptr) {
        konsole_ohne_doppelprozent(zeile, label);
        zeile += L", ";
    }
    zeile += nummer;
    konsole_ohne_doppelprozent(zeile, text_der_meldung.c_str());
    zeile += L"\n";
    if (severity != 0 && meldungen != nullptr && !meldungen->Zeigen(zeile, position, origin != 0)) return 1;
    Konsole_Text(zeile.c_str(), zeile.size());

    OUT* sink = fehlerausgabe;
    senke(sink, L"<div>");
    senke(sink, schwere);
    senke(sink, herkunft);
    senke(sink, nummer.c_str());
    senke(sink, text_der_meldung.c_str());
    senke(sink, L"</div>\n");

    if (position != nullptr) {
        std::wstring ort;
        positionstext(ort, position);
        if (!ort.empty()) {
            senke(sink, L"<div>");
            senke(sink, ort.c_str());
            senke(sink, L"</div>\n");
            ort += L"\n";
            Konsole_Text(ort.c_str(), ort.size());
        }
    }
    return 1;
}

void BUF::Zeilenende_retten(const wchar_t* stelle) {
    if (stelle == nullptr || text == nullptr || stelle < text || stelle >= text + length || *stelle != L'\n') return;
    if (!zeilenenden_.empty() && stelle < zeilenenden_.back()) zeilenenden_sortiert_ = false;
    zeilenenden_.push_back(stelle);
}

int BUF::PosMeldung(wchar_t* out, unsigned long capacity, const wchar_t* position) {
    if (out == nullptr || position == nullptr || capacity == 0) return 0;
    std::wstring ort;
    const int gefunden = positionstext(ort, position);
    // A line longer than the room given is cut; the console always gets it
    // whole from Fehlermeldung.
    const std::size_t n = ort.size() < capacity ? ort.size() : capacity - 1;
    std::wmemcpy(out, ort.data(), n);
    out[n] = 0;
    return gefunden;
}

// Walks the text from its start counting lines and characters: a line feed
// opens a new line as its character 1, and a carriage return right after it
// is not counted. Resumes from the last position found when the new one
// lies further on, so messages in document order cost one walk in all.
int BUF::positionstext(std::wstring& ort, const wchar_t* position) {
    ort.clear();
    if (text == nullptr) {
        ort = L" Position konnte nicht ermittelt werden.";
        return 0;
    }
    const wchar_t* const ende = text + length;
    // A position past the text (in another one: an entity's, a default's)
    // has no line here; walking towards it would only cross the whole text.
    if (stelle(position) > stelle(ende)) {
        ort = L" Position konnte nicht ermittelt werden.";
        return 0;
    }
    if (!zeilenenden_sortiert_) {
        std::sort(zeilenenden_.begin(), zeilenenden_.end());
        zeilenenden_sortiert_ = true;
    }
    // A terminator that stands where a line feed was still ends its line.
    auto zeilenende = [this](const wchar_t* p) {
        return *p == L'\n' || (*p == 0 && std::binary_search(zeilenenden_.begin(), zeilenenden_.end(), p));
    };
    auto schritt = [&zeilenende](const wchar_t* p, long long& zeile, long long& zeichen) {
        const wchar_t c = *p;
        if (zeilenende(p)) {
            ++zeile;
            zeichen = 1;
        } else if (zeichen == 2 && c == L'\r') {
            zeichen = 1;
        }
    };
    const wchar_t* p = text;
    long long zeile = 1, zeichen = 1;
    if (pos_zeiger_ != nullptr && stelle(position) >= stelle(pos_zeiger_)) {
        p = pos_zeiger_;
        zeile = pos_zeile_;
        zeichen = pos_zeichen_;
    } else {
        schritt(p, zeile, zeichen);
    }
    for (;;) {
        if (stelle(p) >= stelle(position)) break;
        if (p >= ende) {
            ort = L" Position konnte nicht ermittelt werden.";
            return 0;
        }
        ++p;
        ++zeichen;
        schritt(p, zeile, zeichen);
    }
    pos_zeiger_ = p;
    pos_zeile_ = zeile;
    pos_zeichen_ = zeichen;

    wchar_t zahlen[64];
    std::swprintf(zahlen, 64, L"' Zeile=%lld, Zeichen=%lld", zeile, zeichen);
    ort = L"in Datei '";
    ort += dateiname;
    ort += zahlen;
    ort += exakt ? L"." : L" (ungefähr)";
    return 1;
}
