// Reading and decoding a 100 MB document: the whole path of BUF::Init, from
// the read call through detection and decoding to the finished text. Also
// the writer, which puts every output character through its encoder.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
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

// Written once per process into the temporary directory.
const std::wstring& Datei() {
    static std::wstring name = [] {
        char vorlage[] = "/tmp/tessar-bench-XXXXXX.xml";
        int fd = mkstemps(vorlage, 4);
        std::string inhalt = Inhalt(kGroesse);
        std::size_t fertig = 0;
        while (fd >= 0 && fertig < inhalt.size()) {
            ssize_t n = write(fd, inhalt.data() + fertig, inhalt.size() - fertig);
            if (n <= 0) break;
            fertig += static_cast<std::size_t>(n);
        }
        if (fd >= 0) close(fd);
        std::string s = vorlage;
        std::atexit([] { std::remove(std::string(Datei().begin(), Datei().end()).c_str()); });
        return std::wstring(s.begin(), s.end());
    }();
    return name;
}

void BM_Utf8DateiEinlesen(benchmark::State& state) {
    const std::wstring& name = Datei();
    for (auto _ : state) {
        BUF buf;
        if (buf.Init(name.c_str(), false) != 1 || !buf.OK()) state.SkipWithError("file not read");
        benchmark::DoNotOptimize(buf.text);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kGroesse));
}
BENCHMARK(BM_Utf8DateiEinlesen)->Unit(benchmark::kMillisecond);

// The argument is the writer's escaping (OUTmaskeItems): plain, or as
// character data, which must cost little more.
void BM_Utf8Schreiben(benchmark::State& state) {
    BUF buf;
    buf.Init(Datei().c_str(), false);
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
