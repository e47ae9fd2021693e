#include "textio/Fremdkodierung.h"

#include <iconv.h>

#include <cerrno>

static_assert(sizeof(wchar_t) == 4, "iconv's WCHAR_T must be the program's 32-bit text");

namespace {

// "WCHAR_T" is the C library's own form of the wide text: converting to and
// from it takes one step, where a named UTF-32 form would take two.
constexpr const char* WEIT = "WCHAR_T";

void* oeffnen(const char* nach, const char* von) {
    const iconv_t cd = iconv_open(nach, von);
    return cd == reinterpret_cast<iconv_t>(-1) ? nullptr : cd;
}

FREMDKODIERUNG::Halt halt_nach(std::size_t ergebnis) {
    if (ergebnis != static_cast<std::size_t>(-1)) return FREMDKODIERUNG::FERTIG;
    switch (errno) {
        case EILSEQ: return FREMDKODIERUNG::UNGUELTIG;
        case EINVAL: return FREMDKODIERUNG::UNVOLLSTAENDIG;
        default: return FREMDKODIERUNG::VOLL;
    }
}

bool buchstabe(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool ziffer(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool FREMDKODIERUNG::Namensform(const std::string& name) {
    if (name.empty() || !buchstabe(name[0])) return false;
    for (char c : name)
        if (!buchstabe(c) && !ziffer(c) && c != '.' && c != '_' && c != '-') return false;
    return true;
}

bool FREMDKODIERUNG::Bekannt(const std::string& name) { return FREMDKODIERUNG(name).Bereit(); }

FREMDKODIERUNG::FREMDKODIERUNG(const std::string& name) : name_(name) {
    if (!Namensform(name)) return;
    lesen_ = oeffnen(WEIT, name.c_str());
    schreiben_ = oeffnen(name.c_str(), WEIT);
}

FREMDKODIERUNG::~FREMDKODIERUNG() {
    if (lesen_ != nullptr) iconv_close(static_cast<iconv_t>(lesen_));
    if (schreiben_ != nullptr) iconv_close(static_cast<iconv_t>(schreiben_));
}

FREMDKODIERUNG::Halt FREMDKODIERUNG::Dekodieren(const unsigned char*& in, std::size_t& n, wchar_t*& out,
                                                std::size_t& platz) {
    char* von = reinterpret_cast<char*>(const_cast<unsigned char*>(in));
    char* nach = reinterpret_cast<char*>(out);
    std::size_t raum = platz * sizeof(wchar_t);
    const std::size_t ergebnis = iconv(static_cast<iconv_t>(lesen_), &von, &n, &nach, &raum);
    const Halt halt = halt_nach(ergebnis);
    in = reinterpret_cast<const unsigned char*>(von);
    out = reinterpret_cast<wchar_t*>(nach);
    platz = raum / sizeof(wchar_t);
    return halt;
}

FREMDKODIERUNG::Halt FREMDKODIERUNG::Kodieren(const wchar_t*& in, std::size_t& n, unsigned char*& out,
                                              std::size_t& platz) {
    char* von = reinterpret_cast<char*>(const_cast<wchar_t*>(in));
    char* nach = reinterpret_cast<char*>(out);
    std::size_t rest = n * sizeof(wchar_t);
    const std::size_t ergebnis = iconv(static_cast<iconv_t>(schreiben_), &von, &rest, &nach, &platz);
    const Halt halt = halt_nach(ergebnis);
    in = reinterpret_cast<const wchar_t*>(von);
    n = rest / sizeof(wchar_t);
    out = reinterpret_cast<unsigned char*>(nach);
    return halt;
}

std::size_t FREMDKODIERUNG::Abschliessen(unsigned char* out, std::size_t platz) {
    char* nach = reinterpret_cast<char*>(out);
    const std::size_t vorher = platz;
    iconv(static_cast<iconv_t>(schreiben_), nullptr, nullptr, &nach, &platz);
    return vorher - platz;
}
