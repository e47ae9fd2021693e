// The script parser on a generated script of about 1 MB with 10,000 element
// definitions (settings, MODEL and ATTLIST clauses, IF blocks with context
// and attribute conditions, macros) and 1,000 entity definitions.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "script/BAS.h"
#include "textio/BUF.h"

namespace {

constexpr int kElemente = 10000;

std::string Skript() {
    std::string s =
        "SYNTAX = XML\nNAMECASE = NO\nCONVERTELEMENTS = ONLYDEFINED\n"
        "READERENCODING = UTF-8\nWRITERENCODING = ISO-8859-1\n\n";
    for (int i = 0; i < kElemente; ++i) {
        const std::string n = std::to_string(i);
        s += "ELEMENT e";
        s += n;
        switch (i % 3) {
        case 0:
            s += " MODEL=MIXED ATTLIST [typ='a']\n"
                 " IF IN kap [typ==\"x\"] BEG='<p class=\"x\">'+VALUE([typ])\n"
                 " ELSE BEG='<p>' ENDIF END='</p>'+CHR(10)\n";
            break;
        case 1:
            s += "\n BEG='<h2>'+COUNT(e";
            s += n;
            s += ",LEVEL,ROM) // Zaehler\n END='</h2>'\n";
            break;
        default:
            s += " MODEL=DATA\n IF FIND(titel IN abs,CHILD) NOTFIRST\n"
                 "  BEG=COPY(titel,CHILD,ONE,DATA) /* vorweg */ ENDIF DAT=FULL\n";
            break;
        }
        s += "ENDE\n";
    }
    for (int i = 0; i < 1000; ++i) {
        const std::string c = std::to_string(160 + i);
        s += "ENTITY ent";
        s += c;
        s += "=CHR(";
        s += c;
        s += ") ALTERNATE='&#";
        s += c;
        s += ";' ASCII='?'\n";
    }
    return s;
}

struct Datei {
    BUF buffer;
    std::size_t bytes = 0;
    Datei() {
        char pfad[] = "/tmp/tessar-script-bench-XXXXXX";
        int fd = mkstemp(pfad);
        if (fd >= 0) close(fd);
        std::string text = Skript();
        bytes = text.size();
        std::ofstream(pfad, std::ios::binary) << text;
        std::string p = pfad;
        buffer.Init(std::wstring(p.begin(), p.end()).c_str(), false);
        std::remove(pfad);
    }
};

void BM_ScriptParse(benchmark::State& state) {
    static Datei datei;
    for (auto _ : state) {
        BAS parser(&datei.buffer);
        unsigned int ok = parser.document();
        if (ok != 1) state.SkipWithError("script did not parse");
        benchmark::DoNotOptimize(ok);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(datei.bytes));
    state.counters["bytes"] = static_cast<double>(datei.bytes);
}
BENCHMARK(BM_ScriptParse)->Unit(benchmark::kMillisecond);

}  // namespace
