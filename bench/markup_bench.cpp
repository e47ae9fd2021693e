// The check of a 100 MB XML document (chapters, sections, paragraphs with
// attributes and entity references): reading and decoding the file plus
// parsing it into the item store, as a run without output does; and the
// parse alone on text already in memory.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "convert/CNV.h"
#include "markup/DCL.h"
#include "markup/SGMLR.h"
#include "textio/BUF.h"

namespace {

constexpr std::size_t kZielgroesse = 100u * 1024 * 1024;

std::string Absatz(long n) {
    const std::string nr = std::to_string(n);
    return "   <absatz id=\"p" + nr + "\" klasse=\"text\" stil='normal'>Lorem ipsum dolor sit amet, "
           "consectetur adipiscing elit &amp; sed do eiusmod tempor incididunt ut labore et dolore "
           "magna aliqua. Gr\xC3\xB6\xC3\x9F" "e und \xC3\x9C" "bung &#x2014; quis nostrud exercitation "
           "ullamco laboris nisi ut aliquip ex ea commodo consequat &verlag; Duis aute irure dolor in "
           "reprehenderit <hervor art=\"fett\">in voluptate</hervor> velit esse &#169; cillum dolore.</absatz>\n";
}

// Written once per process into the temporary directory.
const std::string& Dokument() {
    static const std::string pfad = [] {
        char vorlage[] = "/tmp/tessar-markup-bench.XXXXXX";
        const int fd = mkstemp(vorlage);
        if (fd < 0) return std::string();
        close(fd);
        std::FILE* f = std::fopen(vorlage, "wb");
        std::string s =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE buch [\n<!ENTITY verlag \"Verlag\">\n]>\n"
            "<buch id=\"b1\" sprache=\"de\">\n";
        std::size_t geschrieben = 0;
        long absatz = 0;
        for (long kapitel = 1; geschrieben < kZielgroesse; ++kapitel) {
            s += " <kapitel nr=\"" + std::to_string(kapitel) + "\">\n  <titel>Kapitel</titel>\n";
            for (int abschnitt = 1; abschnitt <= 10; ++abschnitt) {
                s += "  <abschnitt nr=\"" + std::to_string(abschnitt) + "\" typ=\"normal\">\n";
                for (int i = 0; i < 20; ++i) s += Absatz(++absatz);
                s += "  </abschnitt>\n";
            }
            s += " </kapitel>\n";
            geschrieben += s.size();
            std::fwrite(s.data(), 1, s.size(), f);
            s.clear();
        }
        s = "</buch>\n";
        std::fwrite(s.data(), 1, s.size(), f);
        std::fflush(f);
        fsync(fileno(f));
        std::fclose(f);
        static std::string entfernen = vorlage;
        std::atexit([] { std::remove(entfernen.c_str()); });
        return std::string(vorlage);
    }();
    return pfad;
}

std::wstring Breit(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::uint64_t Dateigroesse() {
    struct stat st {};
    return stat(Dokument().c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

long SpitzeKB() {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return r.ru_maxrss;
}

// What a check run does with one file: read, decode, parse, terminate names.
void Pruefen(const std::wstring& name, benchmark::State& state) {
    CNV cnv;
    cnv.quelle.Init(name.c_str(), false);
    if (!cnv.quelle.OK() || !cnv.Quelle_Read()) state.SkipWithError("document not accepted");
}

void BM_PruefenDatei(benchmark::State& state) {
    std::setlocale(LC_ALL, "C.UTF-8");
    const std::wstring name = Breit(Dokument());
    const std::uint64_t bytes = Dateigroesse();
    // Once untimed: right after the file was written the kernel is still
    // busy with its page cache, which is no cost of the check.
    Pruefen(name, state);
    for (auto _ : state) Pruefen(name, state);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["spitze_bytes_je_byte"] = static_cast<double>(SpitzeKB()) * 1024.0 / static_cast<double>(bytes);
}
BENCHMARK(BM_PruefenDatei)->Unit(benchmark::kMillisecond)->Iterations(3);

// The parse alone, on text already decoded.
void BM_Parsen(benchmark::State& state) {
    std::setlocale(LC_ALL, "C.UTF-8");
    BUF buf;
    buf.Init(Breit(Dokument()).c_str(), false);
    if (!buf.OK()) {
        state.SkipWithError("document not read");
        return;
    }
    DCL dcl;
    std::size_t items = 0;
    for (auto _ : state) {
        META meta;
        SGMLR leser(&buf, nullptr, &meta, &dcl);
        if (!leser.document()) state.SkipWithError("document not accepted");
        items = static_cast<std::size_t>(meta.Anzahl());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Dateigroesse()));
    state.counters["items"] = static_cast<double>(items);
}
BENCHMARK(BM_Parsen)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
