#include "markup/QUELLE.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "markup/KATALOG.h"
#include "textio/BUF.h"
#include "base/Konsole.h"

namespace {

// The encoding a text declaration at the start of the bytes names, when
// it is one that needs single-byte decoding.
bool Einzelbytes_deklariert(const char* b, std::size_t n) {
    if (n < 6 || std::memcmp(b, "<?xml", 5) != 0) return false;
    const std::string kopf(b, n);
    const std::size_t schluss = kopf.find("?>");
    const std::size_t e = kopf.find("encoding");
    if (e == std::string::npos || (schluss != std::string::npos && e > schluss)) return false;
    std::size_t q = kopf.find_first_of("\"'", e);
    if (q == std::string::npos) return false;
    const std::size_t r = kopf.find(kopf[q], q + 1);
    if (r == std::string::npos) return false;
    const std::string name = kopf.substr(q + 1, r - q - 1);
    for (const char* n1 : {"ISO-8859-1", "ISO_8859-1", "latin1", "US-ASCII", "ASCII", "windows-1252"})
        if (strcasecmp(name.c_str(), n1) == 0) return true;
    return false;
}

}  // namespace

QUELLE::QUELLE(KATALOG* katalog) : katalog_(katalog) {}

std::string QUELLE::Schmal(std::wstring_view s) {
    std::string out;
    for (wchar_t w : s) {
        const auto c = static_cast<std::uint32_t>(w);
        if (c >= 0xDC80 && c <= 0xDCFF)  // a byte that was no character, as the driver marks it
            out.push_back(static_cast<char>(c - 0xDC00));
        else
            Konsole_Utf8(out, static_cast<char32_t>(c));
    }
    return out;
}

std::wstring QUELLE::Breit(const char* s) {
    std::wstring out;
    const auto* p = reinterpret_cast<const unsigned char*>(s);
    while (*p != 0) {
        const unsigned c = *p;
        const int folge = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        std::uint32_t wert = folge == 0 ? c : c & (0x3F >> folge);
        int i = 1;
        for (; i <= folge && (p[i] & 0xC0) == 0x80; ++i) wert = (wert << 6) | (p[i] & 0x3F);
        if (c >= 0x80 && (folge == 0 || i <= folge)) {
            out.push_back(static_cast<wchar_t>(0xDC00 + c));
            ++p;
            continue;
        }
        out.push_back(static_cast<wchar_t>(wert));
        p += folge + 1;
    }
    return out;
}

std::wstring QUELLE::Echter_Pfad(const std::wstring& pfad) {
    char* echt = ::realpath(Schmal(pfad).c_str(), nullptr);
    if (echt == nullptr) return std::wstring();
    std::wstring ergebnis = Breit(echt);
    std::free(echt);
    return ergebnis;
}

std::wstring QUELLE::Arbeitsordner() {
    char puffer[4096];
    if (getcwd(puffer, sizeof puffer) == nullptr) return L"/";
    return Breit(puffer);
}

std::unique_ptr<BUF> QUELLE::Datei_lesen(const std::wstring& pfad, int* grund) {
    *grund = 1;
    const std::string schmal = Schmal(pfad);
    struct stat info;
    if (pfad.size() >= BUF_NAMENSLAENGE || stat(schmal.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return nullptr;
    *grund = 2;
    bool einzelbytes = false;
    if (std::FILE* f = std::fopen(schmal.c_str(), "rb")) {
        char kopf[256];
        const std::size_t n = std::fread(kopf, 1, sizeof kopf, f);
        std::fclose(f);
        einzelbytes = Einzelbytes_deklariert(kopf, n);
    }
    auto buf = std::make_unique<BUF>();
    if (!buf->Init(pfad.c_str(), einzelbytes) || !buf->OK()) {
        // An empty file is an empty entity, not a fault.
        if (buf->status != 12007) return nullptr;
        buf = std::make_unique<BUF>();
        static wchar_t leer[1] = {0};
        buf->eigene_puffer = 0;
        buf->text = buf->cursor = buf->end = leer;
        buf->status = 0;
        std::wcsncpy(buf->dateiname, pfad.c_str(), BUF_NAMENSLAENGE - 1);
    }
    *grund = 0;
    return buf;
}

void QUELLE::Warnung(BUF* buf, const wchar_t* vorlage, const std::wstring& argument, const wchar_t* stelle) {
    if (buf != nullptr) buf->Fehlermeldung(0, 0, nullptr, vorlage, argument.c_str(), stelle);
}

void QUELLE::Dokument(std::wstring_view dateiname) {
    std::wstring ordner = KATALOG::Aufloesen(Arbeitsordner() + L"/", dateiname);
    ordner.erase(ordner.rfind(L'/') + 1);
    Erlauben(ordner);
}

void QUELLE::Erlauben(std::wstring_view ordner) {
    std::wstring o = KATALOG::Aufloesen(Arbeitsordner() + L"/", ordner);
    if (o.empty() || o.back() != L'/') o += L'/';
    for (const std::wstring& da : ordner_)
        if (da == o) return;
    ordner_.push_back(o);
}

bool QUELLE::Darf(const std::wstring& pfad) const {
    for (const std::wstring& o : ordner_)
        if (pfad.compare(0, o.size(), o) == 0) return true;
    return false;
}

int QUELLE::Aufloesen(std::wstring_view oeffentlich, std::wstring_view system, std::wstring_view basis,
                      std::wstring& pfad, BUF* buf, const wchar_t* stelle) {
    std::wstring ziel;
    if (katalog_ != nullptr && katalog_->Extern(oeffentlich, system, ziel)) {
        if (KATALOG::Hat_Schema(ziel)) {
            Warnung(buf, L"Die externe Ressource '%ls' wird nicht aus dem Netz geladen.", ziel, stelle);
            return 0;
        }
        pfad = ziel;
        // What a catalog names may read its neighbours.
        Erlauben(ziel.substr(0, ziel.rfind(L'/') + 1));
        return 1;
    }
    if (system.empty()) {
        Warnung(buf, L"Der Public-Identifikator '%ls' ist in keinem Katalog verzeichnet.", std::wstring(oeffentlich),
                stelle);
        return 0;
    }
    const std::wstring sys(system);
    if (KATALOG::Hat_Schema(sys) && sys.compare(0, 5, L"file:") != 0) {
        Warnung(buf, L"Die externe Ressource '%ls' wird nicht aus dem Netz geladen.", sys, stelle);
        return 0;
    }
    pfad = KATALOG::Aufloesen(basis, sys);
    // A file that the catalogs know the folder of, named directly (also
    // through a link, as Debian keeps the DTDs' old paths).
    if (!Darf(pfad) && katalog_ != nullptr &&
        (katalog_->Verzeichnet(pfad) || katalog_->Verzeichnet(Echter_Pfad(pfad))))
        Erlauben(pfad.substr(0, pfad.rfind(L'/') + 1));
    if (!Darf(pfad)) {
        Warnung(buf, L"Die Datei '%ls' liegt außerhalb der Ordner, die gelesen werden dürfen.", pfad, stelle);
        return 0;
    }
    return 1;
}

std::unique_ptr<BUF> QUELLE::Oeffnen(const std::wstring& pfad, BUF* buf, const wchar_t* stelle, bool* kaputt) {
    int grund = 0;
    std::unique_ptr<BUF> b = Datei_lesen(pfad, &grund);
    if (kaputt != nullptr) *kaputt = grund == 2;
    if (grund == 1) Warnung(buf, L"Die Datei '%ls' wurde nicht gefunden.", pfad, stelle);
    if (grund == 2) Warnung(buf, L"Die Datei '%ls' ist kein lesbarer Text.", pfad, stelle);
    return b;
}
