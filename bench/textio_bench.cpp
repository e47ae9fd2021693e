// Reading and decoding a 100 MB document: the whole path of BUF::Init, from
// the read call through detection and decoding to the finished text, for
// UTF-8 and for windows-1252 (read through iconv). Also the writer, which
// puts every output character through its encoder. With TESSAR_BUCH set to
// files (separated by ":"), BM_BuchEinlesen reads each of them, such as the
// books of bench/buchgen.pl.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "textio/BUF.h"
#include "textio/OUT.h"

namespace {

constexpr std::size_t kGroesse = 100u << 20;

// Markup text in lines of about 70 bytes, every fifth line with umlauts.
std::string Inhalt(std::size_t groesse) {
    std::string zeile = "<p class=\"absatz\">Ein Satz mit Text, Zahlen 12345 und Zeichen.</p>\n";
    std::string umlaute = "<p>Gr\xC3\xB6\xC3\x9F" "e, \xC3\xA4hnlich, \xE2\x82\xAC 5, \xC3\xBC" "ber alles.</p>\n";
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<doc>\n";
    s.reserve(groesse + 200);
    for (int i = 0; s.size() < groesse - 10; ++i) s += (i % 5 == 4) ? umlaute : zeile;
    s += "</doc>\n";
    return s;
}

// The same text in windows-1252 ("€" and the umlauts in one byte each).
std::string Inhalt1252(std::size_t groesse) {
    std::string utf8 = Inhalt(groesse);
    const std::string alt = "encoding=\"UTF-8\"";
    utf8.replace(utf8.find(alt), alt.size(), "encoding=\"windows-1252\"");
    std::string aus(utf8.size(), '\0');
    iconv_t cd = iconv_open("CP1252", "UTF-8");
    char* von = utf8.data();
    std::size_t rest = utf8.size();
    char* nach = aus.data();
    std::size_t platz = aus.size();
    iconv(cd, &von, &rest, &nach, &platz);
    iconv_close(cd);
    aus.resize(aus.size() - platz);
    return aus;
}

// Writes the content into a new file of the temporary directory.
std::wstring Schreiben(const std::string& inhalt) {
    char vorlage[] = "/tmp/tessar-bench-XXXXXX.xml";
    int fd = mkstemps(vorlage, 4);
    std::size_t fertig = 0;
    while (fd >= 0 && fertig < inhalt.size()) {
        ssize_t n = write(fd, inhalt.data() + fertig, inhalt.size() - fertig);
        if (n <= 0) break;
        fertig += static_cast<std::size_t>(n);
    }
    if (fd >= 0) close(fd);
    const std::string s = vorlage;
    return std::wstring(s.begin(), s.end());
}

// The file of a content, written once per process and removed at exit.
template <std::string (*INHALT)(std::size_t)>
const std::wstring& Datei() {
    static std::wstring name = [] {
        std::wstring n = Schreiben(INHALT(kGroesse));
        std::atexit([] { std::remove(std::string(Datei<INHALT>().begin(), Datei<INHALT>().end()).c_str()); });
        return n;
    }();
    return name;
}

void Einlesen(benchmark::State& state, const std::wstring& name) {
    for (auto _ : state) {
        BUF buf;
        if (buf.Init(name.c_str(), false) != 1 || !buf.OK()) state.SkipWithError("file not read");
        benchmark::DoNotOptimize(buf.text);
    }
    struct stat info {};
    stat(std::string(name.begin(), name.end()).c_str(), &info);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(info.st_size));
}

void BM_Utf8DateiEinlesen(benchmark::State& state) { Einlesen(state, Datei<Inhalt>()); }
BENCHMARK(BM_Utf8DateiEinlesen)->Unit(benchmark::kMillisecond);

void BM_Windows1252DateiEinlesen(benchmark::State& state) { Einlesen(state, Datei<Inhalt1252>()); }
BENCHMARK(BM_Windows1252DateiEinlesen)->Unit(benchmark::kMillisecond);

void BM_BuchEinlesen(benchmark::State& state) {
    const char* liste = std::getenv("TESSAR_BUCH");
    std::string dateien = liste != nullptr ? liste : "";
    const std::size_t teil = static_cast<std::size_t>(state.range(0));
    std::size_t anfang = 0;
    for (std::size_t i = 0; i < teil && anfang != std::string::npos; ++i) {
        anfang = dateien.find(':', anfang);
        if (anfang != std::string::npos) ++anfang;
    }
    if (anfang == std::string::npos || anfang >= dateien.size()) {
        state.SkipWithError("TESSAR_BUCH names no such file");
        for (auto _ : state) {
        }
        return;
    }
    const std::string datei = dateien.substr(anfang, dateien.find(':', anfang) - anfang);
    state.SetLabel(datei);
    Einlesen(state, std::wstring(datei.begin(), datei.end()));
}
BENCHMARK(BM_BuchEinlesen)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The argument is the writer's escaping (OUTmaskeItems): plain, or as
// character data, which must cost little more.
void BM_Utf8Schreiben(benchmark::State& state) {
    BUF buf;
    buf.Init(Datei<Inhalt>().c_str(), false);
    std::string ziel = "/tmp/tessar-bench-out-" + std::to_string(getpid()) + ".xml";
    std::wstring quelle(ziel.begin(), ziel.end());
    for (auto _ : state) {
        OUT out;
        out.OUT_Open(quelle.c_str(), nullptr, nullptr, L"htm", ENC_UTF8, true);
        out.OUT_Maskierung(static_cast<OUTmaskeItems>(state.range(0)));
        out.OUT_Write_String(buf.text);
        out.OUT_Abschluss(true);
    }
    std::remove((ziel.substr(0, ziel.size() - 3) + "htm").c_str());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kGroesse));
}
BENCHMARK(BM_Utf8Schreiben)->Arg(OUT_MASKE_KEINE)->Arg(OUT_MASKE_TEXT)->Unit(benchmark::kMillisecond);

}  // namespace
