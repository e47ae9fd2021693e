#pragma once
// Every character encoding the program reads or writes. The values are
// fixed: scripts, the reader, the declaration record and the writer all
// exchange them as plain numbers.
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
};
