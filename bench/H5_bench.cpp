// The HTML5 core on a generated 100 MB tag-soup page (omitted end tags,
// unquoted attributes, references with and without ";", tables without end
// tags, formatting elements misnested, stray end tags, comments, scripts):
// tokenizer alone, tokenizer + tree builder into a counting sink, and into
// the flat DOM H5DOM; and hostile inputs of 100,000 repetitions. Counters:
// MB/s of input characters (one byte each here), the builder's and the
// sink's memory per input character.
//   build/tessar_bench --benchmark_filter=H5
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "markup/H5BAUM.h"
#include "markup/H5DOM.h"
#include "markup/H5TOKEN.h"

namespace {

constexpr size_t kZiel = 100u * 1000 * 1000;

// A sink that only counts; it keeps the parents (4 bytes a node), which
// foster parenting asks for.
class Zaehler : public H5SENKE {
public:
    std::vector<int32_t> eltern_;
    size_t elemente = 0, texte = 0, zeichen = 0, kommentare = 0, schliessungen = 0, umzuege = 0;
    Zaehler() { eltern_.push_back(-1); }
    int element(const H5ELEMENT&) override {
        ++elemente;
        eltern_.push_back(-1);
        return static_cast<int>(eltern_.size() - 1);
    }
    void anhaengen(int e, int k) override { eltern_[k] = e; }
    void einfuegen_vor(int e, int k, int) override {
        eltern_[k] = e;
        ++umzuege;
    }
    void text(int, int, const H5TEXT& t) override {
        ++texte;
        zeichen += t.text.size();
    }
    void kommentar(int, std::wstring_view, const wchar_t*, const wchar_t*) override { ++kommentare; }
    void doctype(const H5TOK&) override {}
    int eltern(int k) override { return eltern_[k]; }
    void entfernen(int k) override { eltern_[k] = -1; }
    void umhaengen(int, int) override { ++umzuege; }
    void attribute_ergaenzen(int, const H5ATTRIBUT*, size_t) override {}
    void schliessen(int, const wchar_t*, const wchar_t*) override { ++schliessungen; }
};

std::wstring Suppe() {
    std::wstring s = L"<!DOCTYPE html>\n<html><head><title>Suppe &amp; Brot</title>\n"
                     L"<meta charset=utf-8><link rel=stylesheet href=a.css>\n<body bgcolor=white>\n";
    uint32_t z = 12345;
    auto zufall = [&](uint32_t n) {
        z = z * 1103515245u + 12345u;
        return (z >> 8) % n;
    };
    static const wchar_t* const woerter[] = {L"Lorem", L"ipsum", L"dolor", L"sit", L"amet", L"consectetur",
                                             L"adipiscing", L"elit", L"sed", L"do", L"eiusmod", L"tempor",
                                             L"M\u00fcller", L"Stra\u00dfe", L"&amp;", L"&copy", L"&nbsp;",
                                             L"&#8212;", L"&lt;", L"&eacute;t&eacute;"};
    auto satz = [&](int n) {
        std::wstring t;
        for (int i = 0; i < n; ++i) {
            t += woerter[zufall(20)];
            t += L' ';
        }
        return t;
    };
    long nr = 0;
    while (s.size() < kZiel) {
        ++nr;
        const std::wstring n = std::to_wstring(nr);
        switch (zufall(8)) {
        case 0:  // paragraphs without end tags, misnested formatting
            s += L"<p class=text id=p" + n + L">" + satz(12) + L"<b>" + satz(3) + L"<i>" + satz(2) + L"</b>" +
                 satz(3) + L"</i>\n<p>" + satz(10) + L"\n";
            break;
        case 1:  // a table without end tags, text in it
            s += L"<table border=1 width=100%><tr><td>" + satz(3) + L"<td align=right>" + n + L"<tr><td>" +
                 satz(2) + L"<td><font color=red>" + satz(2) + L"</table>\n";
            break;
        case 2:  // a list without end tags, links with unquoted attributes
            s += L"<ul><li><a href=/seite?id=" + n + L"&amp;x=1&y=2 class=link>" + satz(2) + L"</a><li>" +
                 satz(4) + L"<li><a href='/b.html' title=\"" + satz(2) + L"\">" + satz(2) + L"</a></ul>\n";
            break;
        case 3:  // divs, images, breaks, a stray end tag
            s += L"<div id=d" + n + L"><img src=bild" + n + L".png alt=\"Bild " + n + L"\" width=10><br>" +
                 satz(8) + L"</span><br/>" + satz(4) + L"</div>\n";
            break;
        case 4:  // comments, headings with omitted </p>
            s += L"<!-- Abschnitt " + n + L" --><h2>" + satz(3) + L"</h2><p>" + satz(15) + L"<h3>" + satz(2) +
                 L"</h3>\n";
            break;
        case 5:  // inline script with < and an unclosed form input
            s += L"<script>var a" + n + L" = 1 < 2 && 3 > 2; document.write('<b>x</b>');</script><form action=/f>"
                 L"<input type=text name=q value=" + n + L"><select name=s><option>a<option selected>b</select>"
                 L"</form>\n";
            break;
        case 6:  // formatting elements left open over block boundaries
            s += L"<center><font face=Arial size=2><b>" + satz(5) + L"<p>" + satz(6) + L"</font></b></center>\n";
            break;
        default:  // plain text with references and a line break
            s += satz(20) + L"<br>\n";
            break;
        }
    }
    s += L"</body></html>\n";
    return s;
}

const std::wstring& Dokument() {
    static const std::wstring d = Suppe();
    return d;
}

// Tokenizer and tree builder over d into a counting sink.
size_t Zaehlend(const std::wstring& d, Zaehler& z, size_t* speicher = nullptr, size_t* tiefe = nullptr) {
    H5TOKEN tok(d.data(), d.data() + d.size());
    H5BAUM b(&z);
    b.lesen(tok);
    if (speicher) *speicher = b.speicher() + tok.speicher();
    if (tiefe) *tiefe = b.max_tiefe();
    return z.elemente;
}

void Durchsatz(benchmark::State& state, size_t zeichen) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(zeichen));
    state.counters["MB/s"] = benchmark::Counter(static_cast<double>(zeichen) * state.iterations() / 1e6,
                                                benchmark::Counter::kIsRate);
}

void BM_H5_Tokenizer(benchmark::State& state) {
    const std::wstring& d = Dokument();
    size_t n = 0;
    for (auto _ : state) {
        H5TOKEN tok(d.data(), d.data() + d.size());
        H5TOK t;
        while (tok.naechstes(t)) ++n;
        benchmark::DoNotOptimize(n);
    }
    Durchsatz(state, d.size());
}

void BM_H5_Baum(benchmark::State& state) {
    const std::wstring& d = Dokument();
    for (auto _ : state) {
        Zaehler z;
        size_t speicher = 0, tiefe = 0;
        state.counters["Elemente"] = static_cast<double>(Zaehlend(d, z, &speicher, &tiefe));
        state.counters["Texte"] = static_cast<double>(z.texte);
        state.counters["Baum_B/B"] = static_cast<double>(speicher) / d.size();
        state.counters["Tiefe"] = static_cast<double>(tiefe);
    }
    Durchsatz(state, d.size());
}

void BM_H5_DOM(benchmark::State& state) {
    const std::wstring& d = Dokument();
    for (auto _ : state) {
        H5DOM dom(d.data(), nullptr, d.size());
        H5TOKEN tok(d.data(), d.data() + d.size());
        H5BAUM b(&dom);
        dom.namen_setzen(&b.namen());
        b.lesen(tok);
        state.counters["Knoten"] = static_cast<double>(dom.alle().size());
        state.counters["DOM_B/B"] = static_cast<double>(dom.speicher()) / d.size();
        state.counters["linear"] = dom.linear() ? 1 : 0;
        benchmark::DoNotOptimize(dom.alle().size());
    }
    Durchsatz(state, d.size());
}

// Hostile inputs: 100,000 repetitions of a piece.
void BM_H5_Feindlich(benchmark::State& state, const wchar_t* stueck) {
    std::wstring d = L"<!DOCTYPE html><body>";
    for (int i = 0; i < 100000; ++i) d += stueck;
    for (auto _ : state) {
        Zaehler z;
        size_t tiefe = 0;
        state.counters["Elemente"] = static_cast<double>(Zaehlend(d, z, nullptr, &tiefe));
        state.counters["Tiefe"] = static_cast<double>(tiefe);
    }
    Durchsatz(state, d.size());
}

// 100,000 formatting elements that differ in their attributes: the Noah's
// Ark check must not scan the whole list for each, nor may reconstruction
// copy all of them again for each paragraph.
void BM_H5_Feindlich_verschiedene_b(benchmark::State& state) {
    std::wstring d = L"<!DOCTYPE html><body>";
    for (int i = 0; i < 100000; ++i) d += (state.range(0) ? L"<p><b x=" : L"<b x=") + std::to_wstring(i) + L">";
    for (auto _ : state) {
        Zaehler z;
        state.counters["Elemente"] = static_cast<double>(Zaehlend(d, z));
    }
    Durchsatz(state, d.size());
}

}  // namespace

// 0: nested; 1: each in a new paragraph, so that each is copied again
// (at most 64 copies a tag: H5BAUM::AKTIV_GRENZE).
BENCHMARK(BM_H5_Feindlich_verschiedene_b)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_H5_Tokenizer)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_H5_Baum)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_H5_DOM)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_H5_Feindlich, b_verschachtelt, L"<b>")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_H5_Feindlich, b_mit_text, L"<b>x")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_H5_Feindlich, p_b, L"<p><b>")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_H5_Feindlich, table, L"<table>")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_H5_Feindlich, table_td_text, L"<table><td>x")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_H5_Feindlich, streu_endtags, L"</div></span></b></td></p>")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_H5_Feindlich, div_verschachtelt, L"<div>")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_H5_Feindlich, b_div, L"<b><div>")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_H5_Feindlich, a_div, L"<a><div>")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_H5_Feindlich, b_attr_verschieden, L"<b x=1><b x=2><b x=3>")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_H5_Feindlich, span_streu_x, L"<span></x>")->Unit(benchmark::kMillisecond);

// An element below a boundary with many entries above it: the lookup that
// ends at the boundary must not be repeated for each token.
void BM_H5_Feindlich_Grenze(benchmark::State& state, const wchar_t* vorne, const wchar_t* mitte,
                            const wchar_t* stueck) {
    std::wstring d = std::wstring(L"<!DOCTYPE html><body>") + vorne;
    for (int i = 0; i < 100000; ++i) d += mitte;
    for (int i = 0; i < 100000; ++i) d += stueck;
    for (auto _ : state) {
        Zaehler z;
        state.counters["Elemente"] = static_cast<double>(Zaehlend(d, z));
    }
    Durchsatz(state, d.size());
}
BENCHMARK_CAPTURE(BM_H5_Feindlich_Grenze, p_unter_object, L"<p><object>", L"<span>", L"<div>")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_H5_Feindlich_Grenze, x_unter_div, L"<x><div>", L"<span>", L"</x>")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_H5_Feindlich_Grenze, x_in_svg, L"<svg>", L"<g>", L"</x>")->Unit(benchmark::kMillisecond);
// </b> after <b> and 100,000 <div>: the adoption agency moves the b down
// eight levels per end tag, with a deep stack above it.
BENCHMARK_CAPTURE(BM_H5_Feindlich_Grenze, b_ueber_divs, L"<b>", L"<div>", L"</b>")->Unit(benchmark::kMillisecond);
