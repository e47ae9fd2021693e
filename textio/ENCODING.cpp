#include "textio/ENCODING.h"

#include <cwchar>
#include <type_traits>

const ENCODINGname ENCODING_Skriptnamen[] = {
    {L"AUTO", ENC_AUTO},
    {L"ISO-8859-1", ENC_ISO_8859_1},
    {L"ASCII", ENC_ISO_8859_1},
    {L"US-ASCII", ENC_ISO_8859_1},
    {L"UTF-8", ENC_UTF8},
    {L"UTF-16", ENC_UTF16LE},
    {L"UTF-16LE", ENC_UTF16LE},
    {L"UTF-16BE", ENC_UTF16BE},
    {L"UTF-32", ENC_UTF32LE},
    {L"UTF-32LE", ENC_UTF32LE},
    {L"UTF-32BE", ENC_UTF32BE},
    {L"BIN-16", ENC_BIN16LE},
    {L"BIN-16LE", ENC_BIN16LE},
    {L"BIN-16BE", ENC_BIN16BE},
    {L"BIN-32", ENC_BIN32LE},
    {L"BIN-32LE", ENC_BIN32LE},
    {L"BIN-32BE", ENC_BIN32BE},
    {L"BIN", ENC_BIN},
    {L"ISO-10646-UCS-2", ENC_UCS2LE},
    {L"UCS-2", ENC_UCS2LE},
    {L"UCS-2LE", ENC_UCS2LE},
    {L"UCS-2BE", ENC_UCS2BE},
    {L"ISO-10646-UCS-4", ENC_UCS4LE},
    {L"UCS-4", ENC_UCS4LE},
    {L"UCS-4LE", ENC_UCS4LE},
    {L"UCS-4BE", ENC_UCS4BE},
};
const std::size_t ENCODING_Skriptnamen_Anzahl = sizeof ENCODING_Skriptnamen / sizeof ENCODING_Skriptnamen[0];

const ENCODINGname ENCODING_Xmlnamen[] = {
    {L"ISO-8859-1", ENC_ISO_8859_1},
    {L"ASCII", ENC_ISO_8859_1},
    {L"US-ASCII", ENC_ISO_8859_1},
    {L"UTF-8", ENC_UTF8},
    {L"UTF-16", ENC_UTF16},
    {L"UTF-16BE", ENC_UTF16BE},
    {L"UTF-16LE", ENC_UTF16LE},
    {L"UTF-32", ENC_UTF32},
    {L"UTF-32BE", ENC_UTF32BE},
    {L"UTF-32LE", ENC_UTF32LE},
    {L"ISO-10646-UCS-2", ENC_UCS2},
    {L"ISO-10646-UCS-4", ENC_UCS4},
};
const std::size_t ENCODING_Xmlnamen_Anzahl = sizeof ENCODING_Xmlnamen / sizeof ENCODING_Xmlnamen[0];

namespace {

// Encoding names are plain ASCII, so folding a-z is all the case rule needs.
unsigned ascii_klein(unsigned c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

template <typename Zeichen>
ENCODINGtypeItems xml_suche(const Zeichen* name, std::size_t length) {
    if (name == nullptr || length == 0) return ENC_UTF8;
    for (std::size_t i = 0; i < ENCODING_Xmlnamen_Anzahl; ++i) {
        const wchar_t* kandidat = ENCODING_Xmlnamen[i].name;
        std::size_t k = 0;
        while (k < length && kandidat[k] != 0 &&
               ascii_klein(static_cast<unsigned>(kandidat[k])) ==
                   ascii_klein(static_cast<std::make_unsigned_t<Zeichen>>(name[k])))
            ++k;
        if (k == length && kandidat[k] == 0) return ENCODING_Xmlnamen[i].encoding;
    }
    return ENC_BIN;
}

}  // namespace

ENCODINGtypeItems ENCODING_aus_Skriptname(const wchar_t* name) {
    if (name == nullptr) return ENC_NONE;
    for (std::size_t i = 0; i < ENCODING_Skriptnamen_Anzahl; ++i)
        if (wcscasecmp(ENCODING_Skriptnamen[i].name, name) == 0) return ENCODING_Skriptnamen[i].encoding;
    return ENC_NONE;
}

ENCODINGtypeItems ENCODING_aus_Xmlname(const wchar_t* name) {
    return xml_suche(name, name == nullptr ? 0 : std::wcslen(name));
}

ENCODINGtypeItems ENCODING_aus_Xmlname(const char* name, std::size_t length) {
    return xml_suche(name, length);
}
