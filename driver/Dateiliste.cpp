#include "driver/Dateiliste.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cwchar>
#include <functional>
#include <string_view>
#include <unordered_set>

#include "base/Dateinamen.h"
#include "base/Konsole.h"
#include "base/Zeichenwandlung.h"

namespace {

// The same limit as for a document.
constexpr std::size_t LISTE_MAX = 2147483647;

bool Bytes_Lesen(const wchar_t* quelle, std::string& bytes) {
    const bool standard = std::wcscmp(quelle, L"-") == 0;
    const int fd = standard ? STDIN_FILENO : open(BreitZuSchmal(quelle).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char puffer[1 << 16];
    bool gelesen = true;
    for (;;) {
        const ssize_t n = read(fd, puffer, sizeof puffer);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) break;
        // A directory fails here (EISDIR), as does a list beyond the limit.
        if (n < 0 || bytes.size() + static_cast<std::size_t>(n) > LISTE_MAX) {
            gelesen = false;
            break;
        }
        bytes.append(puffer, static_cast<std::size_t>(n));
    }
    if (!standard) close(fd);
    return gelesen;
}

bool Leer_oder_Kommentar(std::string_view zeile) {
    return zeile.find_first_not_of(" \t") == std::string_view::npos || zeile[0] == '#';
}

// The absolute path a line names; false when it cannot be one.
bool Pfad_der_Zeile(std::string_view zeile, std::wstring& pfad) {
    if (zeile.size() >= 4 * DATEINAME_MAX) return false;
    const std::wstring name = SchmalZuBreit(std::string(zeile).c_str());
    return name.size() < DATEINAME_MAX && VollerPfad(pfad, name.c_str());
}

}  // namespace

bool Dateiliste_Lesen(const wchar_t* quelle, std::vector<std::wstring>& dateien, std::vector<Listendoppel>& doppelte) {
    std::string bytes;
    if (!Bytes_Lesen(quelle, bytes)) {
        Konsole_Print(L"FEHLER: (Eingabe) Die Dateiliste '%ls' konnte nicht gelesen werden.\n", quelle);
        return false;
    }
    // The paths taken so far, by their place in the list: a million names
    // need not be held twice.
    const std::hash<std::wstring> streuwert;
    auto wert = [&](std::size_t i) { return streuwert(dateien[i]); };
    auto gleich = [&](std::size_t a, std::size_t b) { return dateien[a] == dateien[b]; };
    std::unordered_set<std::size_t, decltype(wert), decltype(gleich)> gesehen(64, wert, gleich);
    std::size_t anfang = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    for (long long nummer = 1; anfang < bytes.size(); ++nummer) {
        std::size_t ende = bytes.find('\n', anfang);
        if (ende == std::string::npos) ende = bytes.size();
        std::string_view zeile(bytes.data() + anfang, ende - anfang);
        anfang = ende + 1;
        if (!zeile.empty() && zeile.back() == '\r') zeile.remove_suffix(1);
        if (Leer_oder_Kommentar(zeile)) continue;
        // A name never holds a 0 byte; one here would cut the name short.
        if (zeile.find('\0') != std::string_view::npos) {
            Konsole_Print(L"FEHLER: (Eingabe) Die Zeile %lld der Dateiliste '%ls' enthält ein Nullzeichen.\n", nummer,
                          quelle);
            return false;
        }
        std::wstring pfad;
        if (!Pfad_der_Zeile(zeile, pfad)) {
            Konsole_Print(L"FEHLER: (Eingabe) Der Pfad in Zeile %lld der Dateiliste '%ls' ist länger als %zu "
                          L"Zeichen.\n",
                          nummer, quelle, DATEINAME_MAX - 1);
            return false;
        }
        dateien.push_back(std::move(pfad));
        if (!gesehen.insert(dateien.size() - 1).second) {
            doppelte.push_back(Listendoppel{std::move(dateien.back()), nummer});
            dateien.pop_back();
        }
    }
    return true;
}
