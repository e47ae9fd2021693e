#include "driver/Teilung.h"

namespace {

// Digits only, at most six of them, at least 1.
bool Zahl_Lesen(const std::wstring& text, std::int64_t& zahl) {
    if (text.empty() || text.size() > 6) return false;
    zahl = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        zahl = zahl * 10 + (c - L'0');
    }
    return zahl >= 1;
}

}  // namespace

bool Teilung_Lesen(const std::wstring& text, Teilung& teilung) {
    const std::size_t strich = text.find(L'/');
    Teilung t;
    if (strich == std::wstring::npos || !Zahl_Lesen(text.substr(0, strich), t.k) ||
        !Zahl_Lesen(text.substr(strich + 1), t.n) || t.k > t.n || t.n > TEILUNG_MAX)
        return false;
    teilung = t;
    return true;
}

// FNV-1a over the code points (four bytes each, least significant first),
// so that the value depends on the characters alone, not on the locale or
// the machine; then the final mix of MurmurHash3, which spreads every bit
// over all others, so that the remainder by any N is even.
std::int64_t Teilung_Teil(const std::wstring& relativ, std::int64_t n) {
    std::uint64_t h = 14695981039346656037ULL;
    for (wchar_t c : relativ) {
        const auto code = static_cast<std::uint32_t>(c);
        for (int i = 0; i < 4; ++i) {
            h ^= (code >> (8 * i)) & 0xFF;
            h *= 1099511628211ULL;
        }
    }
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDULL;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ULL;
    h ^= h >> 33;
    return static_cast<std::int64_t>(h % static_cast<std::uint64_t>(n)) + 1;
}

std::wstring Teilung_Relativ(const std::wstring& pfad, const std::wstring& basis) {
    if (basis.empty() || pfad.compare(0, basis.size(), basis) != 0) return pfad;
    if (basis.back() == L'/') return pfad.substr(basis.size());
    if (pfad.size() > basis.size() && pfad[basis.size()] == L'/') return pfad.substr(basis.size() + 1);
    return pfad;
}
