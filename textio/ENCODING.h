#pragma once
// Every character encoding the program reads or writes. The values are
// fixed: scripts, the reader, the declaration record and the writer all
// exchange them as plain numbers.
#include <cstddef>

enum ENCODINGtypeItems : int {
    ENC_NONE = 0,
    ENC_AUTO = 1,
    ENC_ISO_8859_1 = 2,
    ENC_UTF8 = 3,
    ENC_UTF16 = 4,
    ENC_UTF16BE = 5,
    ENC_UTF16LE = 6,
    ENC_UTF32 = 7,
    ENC_UTF32BE = 8,
    ENC_UTF32LE = 9,
    ENC_UCS2 = 10,
    ENC_UCS2BE = 11,
    ENC_UCS2LE = 12,
    ENC_UCS4 = 13,
    ENC_UCS4BE = 14,
    ENC_UCS4LE = 15,
    ENC_BIN = 16,
    ENC_BIN16BE = 17,
    ENC_BIN16LE = 18,
    ENC_BIN32BE = 19,
    ENC_BIN32LE = 20,
    // An encoding known by its name only (windows-1252, KOI8-R, ...),
    // decoded and encoded through the C library's iconv; the name travels
    // beside the value.
    ENC_NAMED = 21,
};

// One name that selects an encoding.
struct ENCODINGname {
    const wchar_t* name;
    ENCODINGtypeItems encoding;
};

// The names a script may give READERENCODING and WRITERENCODING for the
// encodings the program decodes itself; any other name iconv knows gives
// ENC_NAMED.
extern const ENCODINGname ENCODING_Skriptnamen[];
extern const std::size_t ENCODING_Skriptnamen_Anzahl;

// The names recognised in an XML encoding declaration, compared without
// regard to case. A name not listed means ENC_BIN.
extern const ENCODINGname ENCODING_Xmlnamen[];
extern const std::size_t ENCODING_Xmlnamen_Anzahl;

// Script name to member, without regard to case; ENC_NONE when the name is
// no script name.
ENCODINGtypeItems ENCODING_aus_Skriptname(const wchar_t* name);

// Declared name (wide or as raw bytes) to member: ENC_BIN for an unknown
// name, ENC_UTF8 for a missing or empty one.
ENCODINGtypeItems ENCODING_aus_Xmlname(const wchar_t* name);
ENCODINGtypeItems ENCODING_aus_Xmlname(const char* name, std::size_t length);
