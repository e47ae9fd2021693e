// The productions of element content: names, tags, attributes, data,
// references, comments and processing instructions. The prolog and the
// declarations are in SGML_prolog.cpp.
#include "markup/SGML.h"

#include <cwchar>

#ifdef __linux__
#include <pthread.h>
#endif
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "textio/BUF.h"

namespace {

// One lookup table per syntax; characters above 255 belong to no class.
struct Klassentabelle {
    unsigned char k[256];
};

constexpr Klassentabelle baue_klassen(bool xml) {
    Klassentabelle t{};
    for (int c = 0; c < 256; ++c) {
        const bool buchstabe = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        // The Latin-1 letters, without the multiplication and division signs.
        const bool latin1 = xml && c >= 0xC0 && c != 0xD7 && c != 0xF7;
        const bool ziffer = c >= '0' && c <= '9';
        unsigned char f = 0;
        if (buchstabe || latin1 || (xml && (c == '_' || c == ':'))) f |= SGML::K_NAMENSANFANG;
        if (buchstabe || latin1 || ziffer || c == '.' || c == '-' || c == '_' || (xml && c == ':'))
            f |= SGML::K_NAMENSZEICHEN;
        if (c == ' ' || c == '\r' || c == '\n' || c == '\t') f |= SGML::K_LEERRAUM;
        if (ziffer) f |= SGML::K_ZIFFER;
        if (ziffer || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')) f |= SGML::K_HEXZIFFER;
        t.k[c] = f;
    }
    return t;
}

constexpr Klassentabelle XML_KLASSEN = baue_klassen(true);
constexpr Klassentabelle SGML_KLASSEN = baue_klassen(false);

// Stack kept free below the deepest element for reporting and unwinding.
constexpr std::uintptr_t STAPEL_RESERVE = 512 * 1024;

const wchar_t* const TEXT_LT =
    L"Unzulässiges Zeichen gefunden (<). Bitte verwenden Sie die Entität &lt; für das <-Zeichen.";
const wchar_t* const TEXT_GT =
    L"Unzulässiges Zeichen gefunden (>). Bitte verwenden Sie die Entität &gt; für das >-Zeichen.";
const wchar_t* const TEXT_AMP = L"Unzulässiges Zeichen gefunden (&).";

// The first character at or after p that may end a run of data ("<", "&",
// ">" or a 0), looking at four characters at a time while they lie before
// the end. Data runs are most of a document, so this is its hottest loop.
const wchar_t* datenlauf(const wchar_t* p, const wchar_t* end) {
#if defined(__SSE2__) && __WCHAR_MAX__ > 0xFFFF
    const __m128i lt = _mm_set1_epi32(L'<');
    const __m128i amp = _mm_set1_epi32(L'&');
    const __m128i gt = _mm_set1_epi32(L'>');
    const __m128i null = _mm_setzero_si128();
    while (end - p >= 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i treffer = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi32(v, lt), _mm_cmpeq_epi32(v, amp)),
                                             _mm_or_si128(_mm_cmpeq_epi32(v, gt), _mm_cmpeq_epi32(v, null)));
        const int maske = _mm_movemask_epi8(treffer);
        if (maske != 0) return p + __builtin_ctz(static_cast<unsigned>(maske)) / 4;
        p += 4;
    }
#endif
    (void)end;
    while (!SGML_datenende(*p)) ++p;
    return p;
}

}  // namespace

SGML::SGML(BUF* buffer, DCL* declarations) : buf(buffer), dcl(declarations ? declarations : &eigene_dcl) {
    if (buf != nullptr && buf->text != nullptr) {
        buf->Reset();
        cursor = buf->cursor;
        end = buf->end;
    }
    stapel_grenze = SGML_Stapelgrenze(STAPEL_RESERVE);
}

std::uintptr_t SGML_Stapelgrenze(std::uintptr_t reserve) {
    std::uintptr_t grenze = 0;
#ifdef __linux__
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
        void* unten = nullptr;
        std::size_t groesse = 0;
        if (pthread_attr_getstack(&attr, &unten, &groesse) == 0 && groesse > 2 * reserve)
            grenze = reinterpret_cast<std::uintptr_t>(unten) + reserve;
        pthread_attr_destroy(&attr);
    }
#endif
    return grenze;
}

SGML::~SGML() = default;

const unsigned char* SGML::klassen() const {
    return dcl->xml ? XML_KLASSEN.k : SGML_KLASSEN.k;
}

bool SGML::stapel_reicht() const {
    // The frame address is the real stack even when a sanitizer moves locals.
    const auto hier = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    return stapel_grenze == 0 || hier > stapel_grenze;
}

// ---------------------------------------------------------------- messages

int SGML::Fehlermeldung(bool script, bool warning, const wchar_t* label, const wchar_t* vorlage,
                        const wchar_t* argument, const wchar_t* position) {
    if (warning)
        ++warnings;
    else
        ++errors;
    if (fremdstelle != nullptr && position != nullptr && buf != nullptr && buf->text != nullptr) {
        const auto p = reinterpret_cast<std::uintptr_t>(position);
        if (p < reinterpret_cast<std::uintptr_t>(buf->text) ||
            p > reinterpret_cast<std::uintptr_t>(buf->text + buf->length))
            position = fremdstelle;
    }
    if (buf != nullptr) buf->Fehlermeldung(warning ? 0 : -1, script ? 1 : 0, label, vorlage, argument, position);
    return 1;
}

int SGML::Fehlermeldung(bool warning, const wchar_t* label, const wchar_t* vorlage, const wchar_t* argument,
                        const wchar_t* position) {
    return Fehlermeldung(false, warning, label, vorlage, argument, position);
}

// ------------------------------------------------------ cursor and keywords

int SGML::NextInstanz() {
    if (cursor >= end) return 0;
    ++cursor;
    return 1;
}

int SGML::AddInstanz(std::ptrdiff_t n) {
    if (n < 0 || n > end - cursor) {
        if (n > 0) cursor = end;
        return 0;
    }
    cursor += n;
    return 1;
}


int SGML::TokenSeq(const wchar_t* a, const wchar_t* b) {
    wchar_t* p = cursor;
    if (Token(a) && Token(b)) return 1;
    cursor = p;
    return 0;
}

int SGML::DeleteToken(const wchar_t* t) {
    if (!IstToken(t)) return 0;
    for (; *t != 0; ++t) *cursor++ = 0;
    return 1;
}

const wchar_t* SGML::suche(const wchar_t* p, const wchar_t* t) const {
    const std::size_t n = std::wcslen(t);
    while (p < end) {
        p = std::wmemchr(p, t[0], static_cast<std::size_t>(end - p));
        if (p == nullptr) return nullptr;
        if (static_cast<std::size_t>(end - p) < n) return nullptr;
        if (std::wmemcmp(p, t, n) == 0) return p;
        ++p;
    }
    return nullptr;
}

// ------------------------------------------------------------------- names

int SGML::name(wchar_t* out) {
    const unsigned char* k = klassen();
    if (!(klasse(k, *cursor) & K_NAMENSANFANG)) return 0;
    if (cursor >= end) {
        fehler(nullptr, L"Dateiende beendet den Bezeichner.", cursor);
        return 0;
    }
    wchar_t* p = cursor + 1;
    while (klasse(k, *p) & K_NAMENSZEICHEN) ++p;  // the 0 at the end stops it
    if (p >= end) {
        // A name that runs into the end of the text is taken but not copied;
        // whatever delimiter must follow it is missing anyway.
        if (out != nullptr) out[0] = 0;
        cursor = end;
        return 1;
    }
    const std::ptrdiff_t laenge = p - cursor;
    if (laenge >= SGML_NAMENSLAENGE) {
        fehler(nullptr, L"Maximale Bezeichnergröße überschritten.", cursor);
        return 0;
    }
    if (out != nullptr) {
        std::wmemcpy(out, cursor, static_cast<std::size_t>(laenge));
        out[laenge] = 0;
    }
    cursor = p;
    return 1;
}

int SGML::document_type_name() { return name(doctype_name); }
int SGML::attribute_name() { return name(nullptr); }
int SGML::attribute_value() { return name(nullptr); }
int SGML::entity_name() { return name(nullptr); }
int SGML::notation_name() { return name(nullptr); }
int SGML::start_tag_name(wchar_t* out) { return name(out); }
int SGML::end_tag_name(wchar_t* out) { return name(out); }

int SGML::s() {
    const unsigned char* k = klassen();
    wchar_t* p = cursor;
    while (klasse(k, *p) & K_LEERRAUM) ++p;
    if (p == cursor) return 0;
    cursor = p;
    return 1;
}

// ---------------------------------------------------------------- elements

int SGML::base_document_element() { return element(nullptr, true); }

int SGML::element(const wchar_t* expected, bool base) {
    wchar_t name_buffer[SGML_NAMENSLAENGE];
    name_buffer[0] = 0;
    bool leer = false;
    wchar_t* starttag = cursor;
    if (!start_tag(name_buffer, &leer, base)) return 0;
    if (leer) return 1;
    if (empty_element(name_buffer)) return 1;
    if (expected != nullptr && expected[0] != 0 && !dcl->general_name_compare(name_buffer, expected)) {
        fehler(L"Element", L"Falscher Starttag '%ls'.", cursor, name_buffer);
        return 0;
    }
    // Each level of content costs stack; a document nested too deeply is
    // refused here instead of overrunning it.
    if (tiefe >= SGML_MAX_TIEFE || !stapel_reicht()) {
        fehler(L"Element", L"Maximale Verschachtelungstiefe überschritten.", starttag);
        abgebrochen = true;
        return 0;
    }
    ++tiefe;
    const int inhalt = content();
    --tiefe;
    if (!inhalt || abgebrochen) return 0;

    wchar_t* endtag = cursor;
    endtag_name[0] = 0;
    if (end_tag(endtag_name)) {
        if (dcl->general_name_compare(name_buffer, endtag_name)) return 1;
        fehler(L"Element", L"Falscher Endtag '%ls' gefunden.", endtag, endtag_name);
        cursor = endtag;
    } else {
        fehler(L"Element", L"Der Endtag für das Element '%ls' wurde nicht gefunden.", cursor, name_buffer);
    }
    fehler(nullptr, L"... und das Element '%ls' wurde nicht geschlossen.", starttag, name_buffer);
    return 0;
}

int SGML::start_tag(wchar_t* out, bool* empty, bool) {
    wchar_t* anfang = cursor;
    if (!stago()) return 0;
    if (!start_tag_name(out)) {
        cursor = anfang;
        return 0;
    }
    while (attribute_specification()) {
    }
    s();
    if (tagc()) {
        if (empty != nullptr) *empty = false;
        return 1;
    }
    if (etagc()) {
        if (empty != nullptr) *empty = true;
        return 1;
    }
    fehler(L"Starttag",
           L"(SGML/XML:) Starttag Ende-Markierung (>) oder (XML:) Emptytag Ende-Markierung (/>) fehlt.", cursor);
    cursor = anfang;
    return 0;
}

int SGML::etagc() { return Token(L"/>"); }

int SGML::empty_element(wchar_t* name_buffer) { return name_buffer == nullptr || name_buffer[0] == 0; }

int SGML::end_tag(wchar_t* out) {
    wchar_t* anfang = cursor;
    if (!etago()) return 0;
    if (!end_tag_name(out)) {
        fehler(L"Endtag", L"Bezeichner des Endtags fehlt.", cursor);
        cursor = anfang;
        return 0;
    }
    s();
    if (!tagc()) {
        fehler(L"Endtag", L"Ende-Markierung (>) des Endtags fehlt.", cursor);
        cursor = anfang;
        return 0;
    }
    return 1;
}

int SGML::content() {
    while (!abgebrochen) {
        // Elements and other content begin with "<"; elsewhere they need
        // not be tried.
        const bool markup = *cursor == L'<';
        if (markup && element(nullptr, false)) continue;
        if (abgebrochen) break;
        if (element_data()) continue;
        if (markup && other_content()) continue;
        break;
    }
    return 1;
}

int SGML::other_content() {
    int etwas = 0;
    while (processing_instruction() || comment_declaration() || marked_section_declaration()) etwas = 1;
    return etwas;
}

// -------------------------------------------------------------- attributes

int SGML::attribute_specification() {
    if (!s()) return 0;
    if (!attribute_name()) return 0;
    s();
    if (!vi()) {
        fehler(L"Attribut", L"Attribut-Zuweisungszeichen (=) fehlt.", cursor);
        return 0;
    }
    s();
    if (!attribute_value_specification()) {
        fehler(L"Attribut", L"Attributwert fehlt.", cursor);
        return 0;
    }
    return 1;
}

int SGML::attribute_value_specification() { return attribute_value_literal(); }

int SGML::attribute_value_literal() {
    const bool doppelt = *cursor == L'"';
    if (!(doppelt ? lit() : lita())) return 0;
    const wchar_t* anfang = cursor;
    replaceable_character_data(doppelt ? L"\"" : L"'");
    if (cursor - anfang > SGML_MAX_ATTRIBUTWERT)
        fehler(L"Attributwert", doppelt ? L"Zeichenkette ist zu lang." : L"alternative Zeichenkette ist zu lang.",
               anfang);
    if (!(doppelt ? lit() : lita())) {
        fehler(L"Attributwert",
               doppelt ? L"Endezeichen der Zeichenkette (\") fehlt."
                       : L"Endezeichen der alternativen Zeichenkette (') fehlt.",
               cursor);
        return 0;
    }
    return 1;
}

// -------------------------------------------------------------------- data

int SGML::element_data() { return replaceable_character_data(nullptr); }

int SGML::replaceable_character_data(const wchar_t* terminator) { return ersetzbare_daten(terminator, false); }

int SGML::ersetzbare_daten(const wchar_t* terminator, bool rcdata) {
    int etwas = 0;
    for (;;) {
        while (rcdata ? character_rcdata(terminator) : character_data(terminator)) etwas = 1;
        // Every reference begins with "&".
        if (*cursor != L'&') break;
        wchar_t* vorher = cursor;
        const int referenz = hex_character_reference(nullptr) || named_character_reference(nullptr) ||
                             numeric_character_reference(nullptr) || general_entity_reference();
        etwas = 1;
        // After a reference, or a faulty one that has been reported, the
        // data goes on behind it.
        if (referenz || cursor != vorher) continue;
        // A lone "&".
        ++cursor;
        if (strict) {
            fehler(nullptr, TEXT_AMP, cursor);
            break;
        }
        warnung(nullptr, TEXT_AMP, cursor);
    }
    return etwas;
}

int SGML::character_data(const wchar_t* terminator) {
    wchar_t* anfang = cursor;
    wchar_t* p = cursor;
    if (terminator == nullptr) {
        for (;;) {
            p = const_cast<wchar_t*>(datenlauf(p, end));
            if (*p == 0) {
                if (p < end) {  // a 0 inside the text (a closed INCLUDE section)
                    ++p;
                    continue;
                }
                cursor = end;
                fehler(nullptr, L"Dateiende beendet Daten. CD2522", end);
                return 0;
            }
            // The lenient mode keeps a lone "&" in the text it stands in.
            if (*p == L'&' && !strict && einzelnes_amp(p)) {
                warnung(nullptr, TEXT_AMP, p + 1);
                ++p;
                continue;
            }
            if (*p != L'>') break;
            // XML allows ">" in content, except where it closes "]]".
            if (dcl->xml && !schliesst_cdata_ende(p, anfang)) {
                ++p;
                continue;
            }
            // ">" is no markup here; strict mode wants &gt; and ends the data.
            if (strict) {
                cursor = p;
                if (gt_gemeldet != p) {
                    gt_gemeldet = p;
                    fehler(nullptr, TEXT_GT, p);
                }
                return p > anfang;
            }
            warnung(nullptr, TEXT_GT, p);
            ++p;
        }
        cursor = p;
        return p > anfang;
    }

    const wchar_t schluss = terminator[0];
    for (;;) {
        while (!SGML_datenende(*p) && *p != schluss) ++p;
        const wchar_t c = *p;
        if (c == schluss && c != 0) {
            cursor = p;
            if (IstToken(terminator)) break;
            ++p;
            continue;
        }
        if (c == L'&') {
            if (strict || !einzelnes_amp(p)) break;
            warnung(nullptr, TEXT_AMP, p + 1);
            ++p;
            continue;
        }
        if (c == 0) {
            if (p < end) {
                ++p;
                continue;
            }
            cursor = end;
            fehler(nullptr, L"Dateiende beendet Daten. CD2599", end);
            return 0;
        }
        // "<" or ">" inside a quoted value; XML allows ">" there.
        ++p;
        cursor = p;
        const bool lt = c == L'<';
        if (!lt && dcl->xml) continue;
        if (strict) {
            fehler(nullptr, lt ? TEXT_LT : TEXT_GT, p);
            return 0;
        }
        warnung(nullptr, lt ? TEXT_LT : TEXT_GT, p);
        if (p >= end) {
            fehler(nullptr, lt ? L"Dateiende beendet Daten. CD2567" : L"Dateiende beendet Daten. CD2588", end);
            return 0;
        }
    }
    cursor = p;
    return p > anfang;
}

// -------------------------------------------------------------- references

int SGML::character_number() {
    wchar_t* p = cursor;
    while (klasse(XML_KLASSEN.k, *p) & K_ZIFFER) ++p;
    if (p == cursor) return 0;
    cursor = p;
    return 1;
}

int SGML::hex_character_number() {
    wchar_t* p = cursor;
    while (klasse(XML_KLASSEN.k, *p) & K_HEXZIFFER) ++p;
    if (p == cursor) return 0;
    cursor = p;
    return 1;
}

int SGML::function_name(int* value) {
    static const struct {
        const wchar_t* name;
        int code;
    } funktionen[] = {{L"RE", 13}, {L"RS", 10}, {L"TAB", 9}, {L"SPACE", 32}};
    for (const auto& f : funktionen) {
        if (Token(f.name)) {
            if (value != nullptr) *value = f.code;
            return 1;
        }
    }
    return 0;
}

int SGML::named_character_reference(int* value) {
    if (value != nullptr) *value = 0;
    if (dcl->xml) return 0;
    wchar_t* anfang = cursor;
    if (!cro()) return 0;
    int code = 0;
    if (!function_name(&code)) {
        cursor = anfang;
        return 0;
    }
    if (value != nullptr) *value = code;
    if (!refc()) {
        fehler(nullptr, L"Funktionszeichenreferenz-Ende (;) fehlt.", cursor);
        return 0;
    }
    return 1;
}

int SGML::numeric_character_reference(int* value) {
    if (value != nullptr) *value = 0;
    if (!cro()) return 0;
    return referenz_rest(false);
}

int SGML::hex_character_reference(int* value) {
    if (value != nullptr) *value = 0;
    if (!hcro()) return 0;
    return referenz_rest(true);
}

// Digits and ";" of a character reference whose opening was consumed.
int SGML::referenz_rest(bool hex) {
    if (!(hex ? hex_character_number() : character_number())) {
        fehler(nullptr, hex ? L"Ungültiger Hex-Zechenreferenz-Bezeichner." : L"Ungültiger Zeichenreferenz-Bezeichner.",
               cursor);
        return 0;
    }
    if (!refc()) {
        fehler(nullptr, hex ? L"Zechenreferenz-Ende (;) fehlt." : L"Zeichenreferenz-Ende (;) fehlt.", cursor);
        return 0;
    }
    return 1;
}

int SGML::general_entity_reference() {
    wchar_t* anfang = cursor;
    if (!ero()) return 0;
    if (!name(nullptr)) {
        cursor = anfang;
        return 0;
    }
    if (!refc()) {
        fehler(L"Entity", L"Entitäten-Ende (;) fehlt.", cursor);
        return 0;
    }
    return 1;
}

// ------------------------------------------ comments, processing instructions

int SGML::comment() { return klammer(L"--", L"--", L"Ende des Kommentars erwartet."); }

int SGML::xml_comment() { return klammer(L"<!--", L"-->", L"Ende des Kommentars nicht gefunden."); }

int SGML::klammer(const wchar_t* auf, const wchar_t* zu, const wchar_t* fehlt) {
    wchar_t* anfang = cursor;
    if (!Token(auf)) return 0;
    const wchar_t* schluss = suche(cursor, zu);
    if (schluss == nullptr) {
        // The open comment takes the rest of the text; reading on would
        // only report it again.
        fehler(L"Kommentar", fehlt, anfang);
        cursor = end;
        return 0;
    }
    cursor = const_cast<wchar_t*>(schluss) + std::wcslen(zu);
    return 1;
}

int SGML::comment_declaration() {
    wchar_t* anfang = cursor;
    if (!mdo()) return 0;
    if (mdc()) return 1;
    wchar_t* vorher = cursor;
    if (!comment()) {
        if (cursor == vorher) cursor = anfang;  // no comment: another declaration
        return 0;
    }
    while (s() || comment()) {
    }
    if (!mdc()) {
        // Reported; reading goes on behind the next ">", which usually is
        // the intended end of the declaration.
        fehler(L"Kommentar", L"Ende der Kommentardeklaration (>) erwartet.", cursor);
        const wchar_t* schluss = std::wmemchr(cursor, L'>', static_cast<std::size_t>(end - cursor));
        if (schluss != nullptr) cursor = const_cast<wchar_t*>(schluss) + 1;
    }
    return 1;
}

int SGML::processing_instruction() {
    wchar_t* anfang = cursor;
    if (!pio()) return 0;
    const std::ptrdiff_t rest = end - cursor;
    const std::size_t bereich =
        static_cast<std::size_t>(rest > SGML_MAX_LITERAL ? SGML_MAX_LITERAL + 1 : rest);
    const wchar_t* schluss = std::wmemchr(cursor, L'>', bereich);
    if (schluss == nullptr) {
        const bool zu_gross = rest > SGML_MAX_LITERAL && std::wmemchr(cursor + bereich, L'>', rest - bereich);
        fehler(L"Verarbeitungsanweisung",
               zu_gross ? L"Maximale Größe überschritten." : L"Verarbeitungsanweisung-Ende (>) fehlt.", anfang);
        cursor = anfang;
        return 0;
    }
    cursor = const_cast<wchar_t*>(schluss) + 1;
    return 1;
}
