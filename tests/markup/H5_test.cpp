// The HTML5 core: tokenizer, tree construction through the flat DOM sink,
// encoding sniffing; one table per family of the standard's rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "markup/H5BAUM.h"
#include "markup/H5DOM.h"
#include "markup/H5ENT.h"
#include "textio/H5KODIERUNG.h"
#include "markup/H5TOKEN.h"

namespace {

struct Gebaut {
    explicit Gebaut(std::wstring t) : text(std::move(t)), dom(text.data(), nullptr, text.size()), baum(&dom) {
        dom.namen_setzen(&baum.namen());
        H5TOKEN tok(text.data(), text.data() + text.size());
        tok.fehlerziel(
            [](void* k, const char* code, const wchar_t* stelle) {
                auto* g = static_cast<Gebaut*>(k);
                g->fehler.push_back(std::string(code) + "@" + std::to_string(stelle - g->text.data()));
            },
            this);
        baum.lesen(tok);
    }
    std::wstring text;
    H5DOM dom;
    H5BAUM baum;
    std::vector<std::string> fehler;
    std::wstring ausgabe() {
        std::wstring s = dom.baum_text();
        // Compact form for the tables: "| " and the trailing newline go.
        std::wstring r;
        for (size_t i = 0; i < s.size(); ++i) {
            if (s.compare(i, 2, L"| ") == 0 && (i == 0 || s[i - 1] == L'\n')) {
                ++i;
                continue;
            }
            r += s[i];
        }
        while (!r.empty() && r.back() == L'\n') r.pop_back();
        return r;
    }
};

struct Fall {
    const wchar_t* eingabe;
    const wchar_t* baum;
};

void pruefen(const std::vector<Fall>& faelle) {
    for (const Fall& f : faelle) {
        Gebaut g(f.eingabe);
        EXPECT_EQ(g.ausgabe(), f.baum) << "Eingabe: " << testing::PrintToString(std::wstring(f.eingabe));
    }
}

}  // namespace

TEST(H5Baum, ImpliziteElemente) {
    pruefen({
        {L"", L"<html>\n  <head>\n  <body>"},
        {L"Hallo", L"<html>\n  <head>\n  <body>\n    \"Hallo\""},
        {L"<title>T</title>x", L"<html>\n  <head>\n    <title>\n      \"T\"\n  <body>\n    \"x\""},
        {L"<!DOCTYPE html><p>x", L"<!DOCTYPE html>\n<html>\n  <head>\n  <body>\n    <p>\n      \"x\""},
        {L"<table><td>x", L"<html>\n  <head>\n  <body>\n    <table>\n      <tbody>\n        <tr>\n          <td>\n"
                          L"            \"x\""},
        {L"<table><col>", L"<html>\n  <head>\n  <body>\n    <table>\n      <colgroup>\n        <col>"},
    });
}

TEST(H5Baum, AusgelasseneEndtags) {
    pruefen({
        {L"<p>a<p>b", L"<html>\n  <head>\n  <body>\n    <p>\n      \"a\"\n    <p>\n      \"b\""},
        {L"<ul><li>a<li>b</ul>", L"<html>\n  <head>\n  <body>\n    <ul>\n      <li>\n        \"a\"\n      <li>\n"
                                 L"        \"b\""},
        {L"<dl><dt>a<dd>b<dt>c", L"<html>\n  <head>\n  <body>\n    <dl>\n      <dt>\n        \"a\"\n      <dd>\n"
                                 L"        \"b\"\n      <dt>\n        \"c\""},
        {L"<p>a<div>b", L"<html>\n  <head>\n  <body>\n    <p>\n      \"a\"\n    <div>\n      \"b\""},
        {L"<body></p>", L"<html>\n  <head>\n  <body>\n    <p>"},
        {L"<select><option>a<option>b</select>",
         L"<html>\n  <head>\n  <body>\n    <select>\n      <option>\n        \"a\"\n      <option>\n        \"b\""},
    });
}

TEST(H5Baum, Adoption) {
    pruefen({
        {L"<b>1<p>2</b>3</p>", L"<html>\n  <head>\n  <body>\n    <b>\n      \"1\"\n    <p>\n      <b>\n        \"2\"\n"
                               L"      \"3\""},
        {L"<a>1<a>2", L"<html>\n  <head>\n  <body>\n    <a>\n      \"1\"\n    <a>\n      \"2\""},
        {L"<b><i>x</b>y</i>", L"<html>\n  <head>\n  <body>\n    <b>\n      <i>\n        \"x\"\n    <i>\n      \"y\""},
        {L"<p><b>x<p>y", L"<html>\n  <head>\n  <body>\n    <p>\n      <b>\n        \"x\"\n    <p>\n      <b>\n"
                         L"        \"y\""},
        // Noah's Ark: at most three equal entries are reconstructed.
        {L"<p><b><b><b><b><p>x", L"<html>\n  <head>\n  <body>\n    <p>\n      <b>\n        <b>\n          <b>\n"
                                 L"            <b>\n    <p>\n      <b>\n        <b>\n          <b>\n            \"x\""},
    });
}

TEST(H5Baum, PflegeelternVonTabellen) {
    pruefen({
        {L"<table>x<tr><td>y</table>", L"<html>\n  <head>\n  <body>\n    \"x\"\n    <table>\n      <tbody>\n"
                                       L"        <tr>\n          <td>\n            \"y\""},
        {L"<table><b>x</b></table>", L"<html>\n  <head>\n  <body>\n    <b>\n      \"x\"\n    <table>"},
        {L"<table> <tr> </table>", L"<html>\n  <head>\n  <body>\n    <table>\n      \" \"\n      <tbody>\n"
                                   L"        <tr>\n          \" \""},
        // Quirks mode: <table> does not close <p>.
        {L"<p><table>", L"<html>\n  <head>\n  <body>\n    <p>\n      <table>"},
        {L"<!DOCTYPE html><p><table>", L"<!DOCTYPE html>\n<html>\n  <head>\n  <body>\n    <p>\n    <table>"},
    });
}

TEST(H5Baum, FremdeInhalte) {
    pruefen({
        {L"<svg viewbox='0 0 1 1'><foreignobject><p>x</svg>",
         L"<html>\n  <head>\n  <body>\n    <svg svg>\n      viewBox=\"0 0 1 1\"\n      <svg foreignObject>\n"
         L"        <p>\n          \"x\""},
        {L"<math definitionurl=a><mi xlink:href=b>x</math>",
         L"<html>\n  <head>\n  <body>\n    <math math>\n      definitionURL=\"a\"\n      <math mi>\n"
         L"        xlink href=\"b\"\n        \"x\""},
        {L"<svg><clippath/><p>y", L"<html>\n  <head>\n  <body>\n    <svg svg>\n      <svg clipPath>\n    <p>\n"
                                  L"      \"y\""},
        {L"<svg><![CDATA[a<b]]></svg><![CDATA[c]]>",
         L"<html>\n  <head>\n  <body>\n    <svg svg>\n      \"a<b\"\n    <!-- [CDATA[c]] -->"},
        {L"<template><td>x</template>", L"<html>\n  <head>\n    <template>\n      content\n        <td>\n"
                                        L"          \"x\"\n  <body>"},
        {L"<body><noscript><b>x</b></noscript>", L"<html>\n  <head>\n  <body>\n    <noscript>\n      <b>\n        \"x\""},
        {L"<frameset><frame></frameset>", L"<html>\n  <head>\n  <frameset>\n    <frame>"},
    });
}

TEST(H5Baum, Referenzen) {
    pruefen({
        {L"&amp;&amp &lt;x&gt &notit; &notin; &copy2", L"<html>\n  <head>\n  <body>\n    \"&& <x> \u00ACit; \u2209 \u00A92\""},
        {L"<a href='?x=1&amp=2&copy=3&lt;'>", L"<html>\n  <head>\n  <body>\n    <a>\n      href=\"?x=1&amp=2&copy=3<\""},
        {L"&#65;&#x42;&#0;&#x80;&#xD800;&#x110000;&#9",
         L"<html>\n  <head>\n  <body>\n    \"AB\uFFFD\u20AC\uFFFD\uFFFD\t\""},
        {L"&nosuch; &; &#; &#x;", L"<html>\n  <head>\n  <body>\n    \"&nosuch; &; &#; &#x;\""},
        {L"a\r\nb\rc", L"<html>\n  <head>\n  <body>\n    \"a\nb\nc\""},
    });
}

TEST(H5Baum, Tabelle2231Namen) {
    EXPECT_EQ(H5ENT::ANZAHL, 2231u);
    size_t n = 0;
    const wchar_t t[] = L"NotNestedLessLess;";
    const H5ENT::Eintrag* e = H5ENT::suchen(t, t + 18, &n);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(n, 18u);
    EXPECT_EQ(e->zeichen1, 0x2AA1u);
    EXPECT_EQ(e->zeichen2, 0x338u);
}

TEST(H5Baum, Quellstellen) {
    Gebaut g(L"<p class=a>Hallo <b>x</b></p>\n<br>");
    const auto& k = g.dom.alle();
    // Node order is creation order: html, head, body, p, "Hallo ", b, "x", text, br.
    auto element = [&](const wchar_t* name) -> const H5DOM::Knoten& {
        for (const auto& n : k)
            if (n.art == H5DOM::ELEMENT && g.baum.namen().name(n.atom) == name) return n;
        return k[0];
    };
    auto span = [&](uint32_t von, uint32_t bis) {
        return von ? g.text.substr(von - 1, bis - von) : std::wstring(L"(implizit)");
    };
    EXPECT_EQ(span(element(L"html").von, element(L"html").bis), L"(implizit)");
    EXPECT_EQ(span(element(L"p").von, element(L"p").bis), L"<p class=a>");
    EXPECT_EQ(span(element(L"p").ende_von, element(L"p").ende_bis), L"</p>");
    EXPECT_EQ(span(element(L"b").von, element(L"b").bis), L"<b>");
    EXPECT_EQ(span(element(L"b").ende_von, element(L"b").ende_bis), L"</b>");
    EXPECT_EQ(span(element(L"br").von, element(L"br").bis), L"<br>");
    EXPECT_EQ(span(element(L"body").ende_von, element(L"body").ende_bis), L"(implizit)");
    int texte = 0;
    for (const auto& n : k)
        if (n.art == H5DOM::TEXT) {
            ++texte;
            EXPECT_TRUE(n.in_quelle);  // unchanged text is not copied
            EXPECT_EQ(span(n.von, n.bis), g.dom.text_von(n));
        }
    EXPECT_EQ(texte, 3);
    EXPECT_TRUE(g.dom.linear());
    // Out of order: <meta> into the closed head after a comment in html.
    Gebaut h(L"<head></head><!--c--><meta>");
    EXPECT_FALSE(h.dom.linear());
    Gebaut i(L"<head></head><meta><!--c-->x");
    EXPECT_FALSE(i.dom.linear());
    Gebaut j(L"<!DOCTYPE html><title>t</title><p>a<b>b</b>");
    EXPECT_TRUE(j.dom.linear());
}

TEST(H5Token, LaeufeUndStellen) {
    const std::wstring text = L"ab&amp;c<x y='1&lt;2' z>d\r\ne</x><!--k-->";
    H5TOKEN tok(text.data(), text.data() + text.size());
    std::vector<H5TOK> t;
    H5TOK x;
    std::vector<std::wstring> texte, quellen;
    while (tok.naechstes(x)) {
        texte.emplace_back(x.text, x.laenge);
        quellen.emplace_back(x.von, x.bis);
        t.push_back(x);
        if (x.art == H5ART::START) {
            ASSERT_EQ(x.anzahl, 2u);
            EXPECT_EQ(x.attribute[0].wert, L"1<2");
            EXPECT_EQ(std::wstring(x.attribute[0].von, x.attribute[0].bis), L"y='1&lt;2'");
            EXPECT_EQ(std::wstring(x.attribute[1].von, x.attribute[1].bis), L"z");
        }
    }
    ASSERT_EQ(t.size(), 6u);
    EXPECT_EQ(texte[0], L"ab&c");
    EXPECT_EQ(quellen[0], L"ab&amp;c");
    EXPECT_FALSE(t[0].unveraendert());
    EXPECT_EQ(quellen[1], L"<x y='1&lt;2' z>");
    EXPECT_EQ(texte[2], L"d\ne");
    EXPECT_EQ(quellen[2], L"d\r\ne");
    EXPECT_EQ(quellen[3], L"</x>");
    EXPECT_EQ(texte[4], L"k");
    EXPECT_EQ(quellen[4], L"<!--k-->");
    EXPECT_EQ(t[5].art, H5ART::DATEIENDE);
    // A run equal to its source points into it.
    const std::wstring s2 = L"plain text<p>";
    H5TOKEN tok2(s2.data(), s2.data() + s2.size());
    ASSERT_TRUE(tok2.naechstes(x));
    EXPECT_TRUE(x.unveraendert());
    EXPECT_EQ(x.text, s2.data());
}

TEST(H5Token, FehlerMitStelle) {
    Gebaut g(L"<!DOCTYPE html><p a=1 a=2>&x;\u0001</q>");
    EXPECT_NE(std::find(g.fehler.begin(), g.fehler.end(), "duplicate-attribute@22"), g.fehler.end());
    EXPECT_NE(std::find(g.fehler.begin(), g.fehler.end(), "unknown-named-character-reference@28"), g.fehler.end());
    EXPECT_NE(std::find(g.fehler.begin(), g.fehler.end(), "control-character-in-input-stream@29"), g.fehler.end());
    // The first attribute counts.
    EXPECT_NE(g.ausgabe().find(L"a=\"1\""), std::wstring::npos);
}

TEST(H5Baum, TiefeOhneRekursion) {
    std::wstring s;
    for (int i = 0; i < 100000; ++i) s += L"<div>";
    Gebaut g(s);
    EXPECT_GE(g.baum.max_tiefe(), 100000u);
    const auto& k = g.dom.alle();
    ASSERT_EQ(k.size(), 100004u);
    // Past 512 open elements the divs go beside each other: the stack is
    // 100,000 deep, the tree is not.
    EXPECT_EQ(k.back().eltern, k[k.size() - 2].eltern);
    EXPECT_LT(k.back().eltern, 600);
    // Different formatting elements left open: at most 64 are copied into
    // each new paragraph (a tree linear in the input).
    std::wstring t;
    for (int i = 0; i < 1000; ++i) t += L"<p><b x=" + std::to_wstring(i) + L">";
    Gebaut h(t);
    EXPECT_LE(h.dom.alle().size(), 1000u * 66 + 10);
    EXPECT_GT(h.dom.alle().size(), 1000u * 60);
}

TEST(H5Kodierung, BomMetaVorgabe) {
    struct K {
        std::string bytes;
        const char* transport;
        const char* name;
        H5KODIERUNG::Quelle quelle;
    };
    const std::vector<K> faelle = {
        {"\xEF\xBB\xBF<meta charset=latin2>", "", "UTF-8", H5KODIERUNG::BOM},
        {"\xFF\xFE<\0p\0", "", "UTF-16LE", H5KODIERUNG::BOM},
        {"\xFE\xFF\0<", "", "UTF-16BE", H5KODIERUNG::BOM},
        {"<meta charset=latin2>", "utf-8", "UTF-8", H5KODIERUNG::TRANSPORT},
        {"<meta charset=\"ISO-8859-1\">", "", "windows-1252", H5KODIERUNG::META},
        {"<meta charset='us-ascii'>", "", "windows-1252", H5KODIERUNG::META},
        {"<!-- <meta charset=utf-8> --><meta charset=KOI8-R>", "", "KOI8-R", H5KODIERUNG::META},
        {"<meta http-equiv=Content-Type content='text/html; charset=shift_jis'>", "", "Shift_JIS",
         H5KODIERUNG::META},
        {"<meta content='text/html; charset=euc-jp'>", "", "windows-1252", H5KODIERUNG::VORGABE},
        {"<meta charset=utf-16>", "", "UTF-8", H5KODIERUNG::META},
        {"<meta charset=x-user-defined>", "", "windows-1252", H5KODIERUNG::META},
        {"<p title='<meta charset=utf-8>'>", "", "windows-1252", H5KODIERUNG::VORGABE},
        {std::string(1100, ' ') + "<meta charset=utf-8>", "", "windows-1252", H5KODIERUNG::VORGABE},
        {"no markup at all", "", "windows-1252", H5KODIERUNG::VORGABE},
    };
    for (const K& k : faelle) {
        const auto e = H5KODIERUNG::ermitteln(reinterpret_cast<const unsigned char*>(k.bytes.data()), k.bytes.size(),
                                              k.transport);
        EXPECT_EQ(e.name, k.name) << k.bytes;
        EXPECT_EQ(e.quelle, k.quelle) << k.bytes;
    }
    EXPECT_EQ(H5KODIERUNG::etikett(" Latin1 "), "windows-1252");
    EXPECT_EQ(H5KODIERUNG::etikett("unicode-1-1-utf-8"), "UTF-8");
    EXPECT_EQ(H5KODIERUNG::etikett("gb2312"), "GBK");
    EXPECT_EQ(H5KODIERUNG::etikett("utf-16"), "UTF-16LE");
    EXPECT_EQ(H5KODIERUNG::etikett("nonsense"), "");
    EXPECT_EQ(H5KODIERUNG::anzahl_etiketten(), 228u);
    // A meta beyond the prescan: the tree builder finds it.
    Gebaut g(L"<head>" + std::wstring(2000, L' ') + L"<meta charset=iso-8859-2>");
    EXPECT_EQ(g.baum.meta_kodierung(), "ISO-8859-2");
}

namespace {

// A sink that keeps the pieces of text and checks each against its source:
// source between the replacements plus the replacements' characters must
// give the decoded text.
struct Textpruefer : H5DOM {
    using H5DOM::H5DOM;
    std::vector<std::wstring> quellen;
    int falsch = 0;
    void text(int eltern, int vor, const H5TEXT& t) override {
        std::wstring neu;
        const wchar_t* q = t.von;
        for (size_t i = 0; i < t.anzahl; ++i) {
            const H5ERSATZ& r = t.ersetzungen[i];
            const size_t a = std::min(t.text.size(), r.text_von < t.basis ? 0 : r.text_von - t.basis);
            const size_t b = std::min(t.text.size(), r.text_bis < t.basis ? 0 : r.text_bis - t.basis);
            if (r.quelle_von > q) neu.append(q, r.quelle_von);
            neu.append(t.text.substr(a, b - a));
            q = std::max(q, r.quelle_bis);
        }
        if (t.bis > q) neu.append(q, t.bis);
        if (neu != t.text) ++falsch;
        quellen.emplace_back(t.von, t.bis);
        H5DOM::text(eltern, vor, t);
    }
};

}  // namespace

TEST(H5Baum, TextGenauZurQuelle) {
    using namespace std::string_literals;
    struct F {
        std::wstring eingabe;
        std::vector<std::wstring> quellen;  // source span of each piece of text
    };
    const std::vector<F> faelle = {
        {L"<p>a&amp;b\r\nc</p>", {L"a&amp;b\r\nc"}},
        {L"<pre>\r\nx&lt;</pre>", {L"x&lt;"}},
        {L"<table> &copy; x<tr> </table>", {L" &copy; x", L" "}},
        {L"a</>b<svg>\0c</svg>"s, {L"a</>b", L"\0"s, L"c"}},
        {L"<table>\t<td>&#65;", {L"\t", L"&#65;"}},
    };
    for (const F& f : faelle) {
        std::wstring text = f.eingabe;
        Textpruefer d(text.data(), nullptr, text.size());
        H5BAUM b(&d);
        d.namen_setzen(&b.namen());
        H5TOKEN tok(text.data(), text.data() + text.size());
        b.lesen(tok);
        EXPECT_EQ(d.falsch, 0) << testing::PrintToString(text);
        EXPECT_EQ(d.quellen, f.quellen) << testing::PrintToString(text);
    }
}

TEST(H5Baum, DurchlaufInDokumentfolge) {
    // Foster parenting and the adoption agency move nodes; the walk gives
    // document order all the same, with the source of each tag.
    Gebaut g(L"<table>x<tr><td><b>1<p>2</b>3</table><i a=1>");
    std::wstring folge;
    g.dom.durchlaufen([&](int i, bool ende) {
        const H5DOM::Knoten& k = g.dom.alle()[i];
        if (k.art == H5DOM::TEXT) folge += L"\"" + std::wstring(g.dom.text_von(k)) + L"\"";
        else if (k.art == H5DOM::ELEMENT) {
            folge += (ende ? L"</" : L"<") + std::wstring(g.baum.namen().name(k.atom));
            if (!ende)
                for (uint32_t j = 0; j < k.laenge; ++j) {
                    const H5DOM::Attribut& a = g.dom.attribute_von(k)[j];
                    folge += L" " + std::wstring(g.dom.name_von(a)) + L"=" + std::wstring(g.dom.wert_von(a));
                    EXPECT_EQ(a.in_quelle, 3);  // name and value stay in the source
                }
            folge += (!ende && k.von == 0) ? L"*>" : L">";  // * : implied or copied
        }
    });
    EXPECT_EQ(folge, L"<html*><head*></head><body*>\"x\"<table><tbody*><tr><td><b>\"1\"</b><p><b*>\"2\"</b>\"3\"</p>"
                     L"</td></tr></tbody></table><i a=1></i></body></html>");
    EXPECT_FALSE(g.dom.linear());
}
