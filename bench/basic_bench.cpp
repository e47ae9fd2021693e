// The compiled script at scale: a script of about 1 MB with 10,000 element
// definitions is read, parsed, recorded and indexed; then every element is
// looked up by name, as the document reader and the conversion do per tag.
#include <benchmark/benchmark.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "script/IPR.h"
#include "base/Konsole.h"

namespace {

constexpr int kElemente = 10000;

std::wstring Name(int i) { return L"element" + std::to_wstring(i); }

// Written once per process and removed at its end; about 100 bytes per
// definition.
struct Temporaer {
    std::string name;
    ~Temporaer() { std::remove(name.c_str()); }
};

const std::wstring& Skriptdatei() {
    static Temporaer datei;
    static std::wstring pfad = [] {
        std::setlocale(LC_ALL, "C.UTF-8");
        char vorlage[] = "/tmp/tessar-basic-bench.XXXXXX";
        int fd = mkstemp(vorlage);
        if (fd >= 0) close(fd);
        std::string name = std::string(vorlage) + ".xb";
        std::rename(vorlage, name.c_str());
        std::FILE* f = std::fopen(name.c_str(), "wb");
        std::fputs("SYNTAX = XML\nWARNINGS = ALL\n", f);
        for (int i = 0; i < kElemente; ++i)
            std::fprintf(f,
                         "ELEMENT element%d MODEL = GROUP ATTLIST [typ=\"standard\"]\n"
                         "  BEG = \"<div class='e%d'>\" END = \"</div>\" ENDE\n",
                         i, i);
        std::fclose(f);
        datei.name = name;
        return std::wstring(name.begin(), name.end());
    }();
    return pfad;
}

void BM_SkriptUebersetzen(benchmark::State& state) {
    const std::wstring& pfad = Skriptdatei();
    for (auto _ : state) {
        IPR ipr;
        bool ok = ipr.Skript_Init(pfad.c_str(), false, false, false, 0);
        if (!ok) state.SkipWithError("script not activated");
        benchmark::DoNotOptimize(ipr.basic.ItemCount());
        state.SetBytesProcessed(state.bytes_processed() + static_cast<int64_t>(ipr.skript.length));
    }
}
BENCHMARK(BM_SkriptUebersetzen)->Unit(benchmark::kMillisecond);

// Each of the 10,000 names once, exact and (the SGML and HTML case) folded.
void BM_ElementeNachschlagen(benchmark::State& state) {
    IPR ipr;
    if (!ipr.Skript_Init(Skriptdatei().c_str(), false, false, false, 0)) {
        state.SkipWithError("script not activated");
        return;
    }
    ipr.dcl.namecase = static_cast<int>(state.range(0));
    std::vector<std::wstring> namen;
    for (int i = 0; i < kElemente; ++i) namen.push_back(state.range(0) ? L"ELEMENT" + std::to_wstring(i) : Name(i));
    for (auto _ : state) {
        int gefunden = 0;
        for (const std::wstring& n : namen) {
            int position = 0;
            gefunden += ipr.basic.Find_element_definition(&position, n.c_str()) ? 1 : 0;
        }
        if (gefunden != kElemente) state.SkipWithError("element missing");
    }
    state.SetItemsProcessed(state.iterations() * kElemente);
}
BENCHMARK(BM_ElementeNachschlagen)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Names the script does not define: the index misses and the backing
// comparison must not turn into a walk over all items.
void BM_UndefinierteElemente(benchmark::State& state) {
    IPR ipr;
    if (!ipr.Skript_Init(Skriptdatei().c_str(), false, false, false, 0)) {
        state.SkipWithError("script not activated");
        return;
    }
    std::vector<std::wstring> namen;
    for (int i = 0; i < kElemente; ++i) namen.push_back(L"fremd" + std::to_wstring(i));
    for (auto _ : state) {
        int gefunden = 0;
        for (const std::wstring& n : namen) {
            int position = 0;
            gefunden += ipr.basic.Find_element_definition(&position, n.c_str()) ? 1 : 0;
        }
        benchmark::DoNotOptimize(gefunden);
    }
    state.SetItemsProcessed(state.iterations() * kElemente);
}
BENCHMARK(BM_UndefinierteElemente)->Unit(benchmark::kMicrosecond);

}  // namespace
