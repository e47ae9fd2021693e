// The directory search over large trees: 20,000 files in one directory, and
// the same number spread over 20 subdirectories with -s and -o.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "driver/VERZLINUX.h"

namespace {

constexpr int kDateien = 20000;

void Anlegen(const std::string& ordner, int von, int bis) {
    mkdir(ordner.c_str(), 0755);
    for (int i = von; i < bis; ++i) {
        std::string name = ordner + "/datei" + std::to_string(i) + (i % 10 == 0 ? ".txt" : ".xml");
        int fd = open(name.c_str(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0) close(fd);
    }
}

// Built once per process; removed by the system's temporary-file cleanup.
const std::wstring& Baum() {
    static std::wstring wurzel = [] {
        std::setlocale(LC_ALL, "C.UTF-8");
        char vorlage[] = "/tmp/tessar-bench.XXXXXX";
        std::string w = mkdtemp(vorlage);
        Anlegen(w + "/flach", 0, kDateien);
        Anlegen(w + "/tief", 0, 0);
        for (int d = 0; d < 20; ++d) Anlegen(w + "/tief/teil" + std::to_string(d), d * 1000, (d + 1) * 1000);
        return std::wstring(w.begin(), w.end());
    }();
    return wurzel;
}

void BM_SucheFlach(benchmark::State& state) {
    std::wstring muster = Baum() + L"/flach/*.xml";
    for (auto _ : state) {
        VERZLINUX suche(muster.c_str(), false, state.range(0) != 0);
        if (suche.Anzahl() != kDateien * 9 / 10) state.SkipWithError("wrong count");
    }
    state.SetItemsProcessed(state.iterations() * kDateien);
}
BENCHMARK(BM_SucheFlach)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_SucheRekursivSortiert(benchmark::State& state) {
    std::wstring muster = Baum() + L"/tief/*.xml";
    for (auto _ : state) {
        VERZLINUX suche(muster.c_str(), true, true);
        if (suche.Anzahl() != kDateien * 9 / 10) state.SkipWithError("wrong count");
    }
    state.SetItemsProcessed(state.iterations() * kDateien);
}
BENCHMARK(BM_SucheRekursivSortiert)->Unit(benchmark::kMillisecond);

}  // namespace
