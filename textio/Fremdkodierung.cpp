#include "textio/Fremdkodierung.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

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

using Tafel = std::array<std::int32_t, 256>;

// Converts the bytes as one text and returns its characters, or nothing when
// a byte stops iconv; the converter starts and ends in its initial state.
bool ganz_umwandeln(iconv_t cd, const std::vector<unsigned char>& bytes, std::vector<wchar_t>& zeichen) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    zeichen.assign(bytes.size() * 4 + 8, 0);
    char* von = reinterpret_cast<char*>(const_cast<unsigned char*>(bytes.data()));
    std::size_t rest = bytes.size();
    char* nach = reinterpret_cast<char*>(zeichen.data());
    std::size_t platz = zeichen.size() * sizeof(wchar_t);
    if (iconv(cd, &von, &rest, &nach, &platz) == static_cast<std::size_t>(-1)) return false;
    if (iconv(cd, nullptr, nullptr, &nach, &platz) == static_cast<std::size_t>(-1)) return false;
    zeichen.resize(static_cast<std::size_t>(reinterpret_cast<wchar_t*>(nach) - zeichen.data()));
    return true;
}

// The table of a single-byte encoding, or null for any other: each byte
// alone gives one character or is refused, and every pair of good bytes
// gives the two characters of the table.
std::unique_ptr<Tafel> tafel_bauen(iconv_t cd) {
    auto tafel = std::make_unique<Tafel>();
    std::vector<unsigned char> gut;
    std::vector<wchar_t> zeichen;
    for (int b = 0; b < 256; ++b) {
        const std::vector<unsigned char> eins{static_cast<unsigned char>(b)};
        if (ganz_umwandeln(cd, eins, zeichen)) {
            if (zeichen.size() != 1) return nullptr;
            (*tafel)[static_cast<std::size_t>(b)] = static_cast<std::int32_t>(zeichen[0]);
            gut.push_back(static_cast<unsigned char>(b));
        } else if (errno == EILSEQ) {
            (*tafel)[static_cast<std::size_t>(b)] = -1;
        } else {
            return nullptr;  // a byte that begins a longer sequence
        }
    }
    std::vector<unsigned char> paare;
    for (unsigned char a : gut)
        for (unsigned char b : gut) {
            paare.push_back(a);
            paare.push_back(b);
        }
    if (!ganz_umwandeln(cd, paare, zeichen) || zeichen.size() != paare.size()) return nullptr;
    for (std::size_t i = 0; i < paare.size(); ++i)
        if (static_cast<std::int32_t>(zeichen[i]) != (*tafel)[paare[i]]) return nullptr;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    return tafel;
}

// The tables of the process, by name in capitals (iconv ignores case), so
// that there is one for each encoding however many spellings the documents
// use.
const std::int32_t* tafel_von(const std::string& name, iconv_t cd) {
    static std::mutex sperre;
    static std::map<std::string, std::unique_ptr<Tafel>> tafeln;
    std::string schluessel = name;
    for (char& c : schluessel)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    std::lock_guard<std::mutex> halten(sperre);
    auto [it, neu] = tafeln.try_emplace(schluessel);
    if (neu) it->second = tafel_bauen(cd);
    return it->second ? it->second->data() : nullptr;
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

bool FREMDKODIERUNG::Bekannt(const std::string& name, bool schreiben) {
    const FREMDKODIERUNG k(name);
    return schreiben ? k.Schreibbar() : k.Lesbar();
}

FREMDKODIERUNG::FREMDKODIERUNG(const std::string& name) : name_(name) {
    if (!Namensform(name)) return;
    lesen_ = oeffnen(WEIT, name.c_str());
    schreiben_ = oeffnen(name.c_str(), WEIT);
    if (lesen_ != nullptr) tafel_ = tafel_von(name, static_cast<iconv_t>(lesen_));
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
