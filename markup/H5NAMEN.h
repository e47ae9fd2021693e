#pragma once
// H5NAMEN: the tag names of one document as small ints (atoms): the names
// the tree construction knows have fixed numbers (A_DIV, ...), every other
// name gets the next number when first seen. The sink can keep an atom (4
// bytes) per element instead of its name.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// The names the algorithm knows, as atoms with fixed numbers.
#define H5_NAMEN(X)                                                                                          \
    X(A, "a") X(ADDRESS, "address") X(ANNOTATION_XML, "annotation-xml") X(APPLET, "applet") X(AREA, "area")     \
    X(ARTICLE, "article") X(ASIDE, "aside") X(B, "b") X(BASE, "base") X(BASEFONT, "basefont")                  \
    X(BGSOUND, "bgsound") X(BIG, "big") X(BLOCKQUOTE, "blockquote") X(BODY, "body") X(BR, "br")               \
    X(BUTTON, "button") X(CAPTION, "caption") X(CENTER, "center") X(CODE, "code") X(COL, "col")               \
    X(COLGROUP, "colgroup") X(DD, "dd") X(DESC, "desc") X(DETAILS, "details") X(DIALOG, "dialog")             \
    X(DIR, "dir") X(DIV, "div") X(DL, "dl") X(DT, "dt") X(EM, "em") X(EMBED, "embed")                         \
    X(FIELDSET, "fieldset") X(FIGCAPTION, "figcaption") X(FIGURE, "figure") X(FONT, "font")                   \
    X(FOOTER, "footer") X(FOREIGNOBJECT, "foreignObject") X(FORM, "form") X(FRAME, "frame")                   \
    X(FRAMESET, "frameset") X(H1, "h1") X(H2, "h2") X(H3, "h3") X(H4, "h4") X(H5, "h5") X(H6, "h6")           \
    X(HEAD, "head") X(HEADER, "header") X(HGROUP, "hgroup") X(HR, "hr") X(HTML, "html") X(I, "i")             \
    X(IFRAME, "iframe") X(IMAGE, "image") X(IMG, "img") X(INPUT, "input") X(KEYGEN, "keygen") X(LI, "li")     \
    X(LINK, "link") X(LISTING, "listing") X(MAIN, "main") X(MALIGNMARK, "malignmark") X(MARQUEE, "marquee")   \
    X(MATH, "math") X(MENU, "menu") X(META, "meta") X(MGLYPH, "mglyph") X(MI, "mi") X(MN, "mn") X(MO, "mo")   \
    X(MS, "ms") X(MTEXT, "mtext") X(NAV, "nav") X(NOBR, "nobr") X(NOEMBED, "noembed") X(NOFRAMES, "noframes") \
    X(NOSCRIPT, "noscript") X(OBJECT, "object") X(OL, "ol") X(OPTGROUP, "optgroup") X(OPTION, "option")       \
    X(P, "p") X(PARAM, "param") X(PLAINTEXT, "plaintext") X(PRE, "pre") X(RB, "rb") X(RP, "rp") X(RT, "rt")   \
    X(RTC, "rtc") X(RUBY, "ruby") X(S, "s") X(SCRIPT, "script") X(SEARCH, "search") X(SECTION, "section")     \
    X(SELECT, "select") X(SMALL, "small") X(SOURCE, "source") X(SPAN, "span") X(STRIKE, "strike")             \
    X(STRONG, "strong") X(STYLE, "style") X(SUB, "sub") X(SUMMARY, "summary") X(SUP, "sup") X(SVG, "svg")     \
    X(TABLE, "table") X(TBODY, "tbody") X(TD, "td") X(TEMPLATE, "template") X(TEXTAREA, "textarea")           \
    X(TFOOT, "tfoot") X(TH, "th") X(THEAD, "thead") X(TITLE, "title") X(TR, "tr") X(TRACK, "track")           \
    X(TT, "tt") X(U, "u") X(UL, "ul") X(VAR, "var") X(WBR, "wbr") X(XMP, "xmp")

enum H5A : int32_t {
#define H5_ATOM(n, s) A_##n,
    H5_NAMEN(H5_ATOM)
#undef H5_ATOM
        A_BEKANNT  // first atom of a name found in a document
};

// Interned names: atom <-> text, and the atom of a name's ASCII lower case.
class H5NAMEN {
public:
    H5NAMEN();
    int32_t atom(std::wstring_view name);
    std::wstring_view name(int32_t atom) const { return {zeichen.data() + anfang[atom], laenge[atom]}; }
    int32_t klein(int32_t atom) const { return klein_[atom]; }
    size_t anzahl() const { return anfang.size(); }
    size_t speicher() const;

private:
    int32_t neu(std::wstring_view name);
    bool gleich(int32_t atom, std::wstring_view n) const;
    std::vector<wchar_t> zeichen;
    std::vector<uint32_t> anfang;
    std::vector<uint32_t> laenge;
    std::vector<int32_t> klein_;
    std::vector<int32_t> tabelle;  // open addressing, -1 free
};
