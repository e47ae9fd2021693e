// Tags of an HTML5 document as the conversion copies them: built from the
// items, so that the copy of a page is well-formed XML with namespaces,
// whatever names the page used.
//
// - An element whose namespace differs from its parent's (the root, svg,
//   math, HTML inside SVG) declares it: xmlns="http://www.w3.org/1999/xhtml"
//   and so on.
// - A name becomes an XML name: each character an XML name cannot hold
//   (and ":") becomes "_", and "_" goes before a first character that
//   cannot begin one ("<div 1x=2>" is copied as <div _1x="2">).
// - Foreign attributes keep their prefix: xlink:href with a declaration of
//   xmlns:xlink on the element, xml:lang as it is. The page's own xmlns
//   attributes are left out: the copy declares what the tree says.
// - An attribute whose XML name an earlier one of the tag already took is
//   left out, as a repeated attribute is.
// - Values are escaped and double-quoted (under WRITERESCAPE = NONE only
//   their double quotes); void elements are empty tags.
#include <cwchar>
#include <string>
#include <string_view>

#include "convert/CNV.h"

namespace {

using namespace std::string_view_literals;

// Literals as views: the composed tags take them without measuring them.
constexpr std::wstring_view NS_URI[] = {L"http://www.w3.org/1999/xhtml"sv, L"http://www.w3.org/2000/svg"sv,
                                        L"http://www.w3.org/1998/Math/MathML"sv};

bool ist_buchstabe(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

// XML's NameStartChar and NameChar, without ":".
bool name_anfang(wchar_t c) {
    if (ist_buchstabe(c) || c == L'_') return true;
    const auto u = static_cast<std::uint32_t>(c);
    return (u >= 0xC0 && u <= 0xD6) || (u >= 0xD8 && u <= 0xF6) || (u >= 0xF8 && u <= 0x2FF) ||
           (u >= 0x370 && u <= 0x37D) || (u >= 0x37F && u <= 0x1FFF) || (u >= 0x200C && u <= 0x200D) ||
           (u >= 0x2070 && u <= 0x218F) || (u >= 0x2C00 && u <= 0x2FEF) || (u >= 0x3001 && u <= 0xD7FF) ||
           (u >= 0xF900 && u <= 0xFDCF) || (u >= 0xFDF0 && u <= 0xFFFD) || (u >= 0x10000 && u <= 0xEFFFF);
}

bool name_zeichen(wchar_t c) {
    if (name_anfang(c) || (c >= L'0' && c <= L'9') || c == L'-' || c == L'.') return true;
    const auto u = static_cast<std::uint32_t>(c);
    return u == 0xB7 || (u >= 0x300 && u <= 0x36F) || (u >= 0x203F && u <= 0x2040);
}

// Whether the name is an XML name without ":" as it stands.
bool ist_ncname(std::wstring_view n) {
    if (n.empty() || !name_anfang(n[0])) return false;
    for (wchar_t c : n)
        if (!name_zeichen(c)) return false;
    return true;
}

void ncname(std::wstring_view n, std::wstring& aus) {
    aus.clear();
    if (n.empty() || !name_anfang(n[0])) aus.push_back(L'_');
    for (wchar_t c : n) aus.push_back(name_zeichen(c) ? c : L'_');
}

// The foreign attributes that keep their namespace (xlink).
bool ist_xlink(std::wstring_view n) {
    static const wchar_t* const NAMEN[] = {L"xlink:actuate", L"xlink:arcrole", L"xlink:href", L"xlink:role",
                                           L"xlink:show",    L"xlink:title",   L"xlink:type"};
    for (const wchar_t* x : NAMEN)
        if (n == x) return true;
    return false;
}

}  // namespace

// The XML name of an element or attribute (attribute: prefixes as above);
// empty for an attribute the copy leaves out.
std::wstring_view CNV::H5_Name(int item, bool attribut, bool fremd) {
    const std::wstring_view n = meta.Item(item).Text();
    // Names with a prefix of their own all begin with "x": the others skip
    // the comparisons.
    if (attribut && !n.empty() && n[0] == L'x') {
        if (n == L"xmlns"sv || n.starts_with(L"xmlns:"sv)) return {};
        if ((fremd && ist_xlink(n)) || (n.starts_with(L"xml:"sv) && ist_ncname(n.substr(4)))) return n;
    }
    if (ist_ncname(n)) return n;
    ncname(n, h5_name);
    return h5_name;
}

// The whole tag is composed first and written in one piece.
int CNV::H5_Starttag_Schreiben(int item) {
    const int ns = meta.Namensraum(item);
    const int eltern = meta.Item(item).link - 1;
    std::wstring& t = h5_tag;
    t.assign(1, L'<');
    t += H5_Name(item, false, false);
    if (eltern < 0 || meta.Namensraum(eltern) != ns) {
        t += L" xmlns=\""sv;
        t += NS_URI[ns >= 0 && ns < 3 ? ns : 0];
        t += L'"';
    }
    // The attributes' XML names first: a name taken twice is written once.
    const int n = meta.Anzahl();
    h5_attribute.clear();
    h5_umbenannt.clear();
    bool xlink = false;
    int i = item + 1;
    for (; i < n && (meta.Item(i).kind & 0x840) == 0x840; ++i) {
        if (meta.Item(i).kind != META_ATTR_NAME || meta.Item(i).start == nullptr) continue;
        std::wstring_view name = H5_Name(i, true, ns != 0);
        if (name.empty()) continue;
        if (name.data() == h5_name.data()) name = h5_umbenannt.emplace_back(h5_name);
        bool doppelt = false;
        for (const auto& [vorher, stelle] : h5_attribute) doppelt = doppelt || vorher == name;
        if (doppelt) continue;
        xlink = xlink || name.starts_with(L"xlink:"sv);
        h5_attribute.emplace_back(name, i);
    }
    const int schluss = i;
    if (xlink) t += L" xmlns:xlink=\"http://www.w3.org/1999/xlink\""sv;
    for (const auto& [name, stelle] : h5_attribute) {
        t += L' ';
        t += name;
        t += L"=\""sv;
        for (int w = stelle + 1; w < schluss && meta.Item(w).kind == META_ATTR_DATA; ++w) {
            const wchar_t* wert = meta.Item(w).start;
            if (wert == nullptr) continue;
            if (maskieren) {
                OUT::OUT_Maskiert(wert, OUT_MASKE_ATTRIBUT_H5, t);
                continue;
            }
            for (; *wert != 0; ++wert) {
                if (*wert == L'"') t += L"&quot;"sv;
                else t += *wert;
            }
        }
        t += L'"';
    }
    t += schluss < n && meta.Item(schluss).kind == META_EMPTYTAG_CLOSE ? L"/>"sv : L">"sv;
    return Markup_Schreiben(t, L"Starttag", L"Der Starttag '%ls' konnte nicht ausgegeben werden.",
                            Itemname(item), item);
}

int CNV::H5_Endtag_Schreiben(int item) {
    h5_tag.assign(L"</"sv);
    h5_tag += H5_Name(item, false, false);
    h5_tag += L'>';
    return Markup_Schreiben(h5_tag, L"Endtag", L"Der Endtag '%ls' konnte nicht ausgegeben werden.",
                            Itemname(item), item);
}
