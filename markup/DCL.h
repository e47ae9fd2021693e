#pragma once
// The declaration record: the syntax settings under which a text is parsed
// and under which names are compared. The script parser has one of its own;
// the interpreter fills a second one from the script's settings for every
// input document. Users read and write the fields directly.
#include "textio/ENCODING.h"

class DCL {
public:
    DCL() = default;
    virtual ~DCL() = default;

    // True when both names are given and equal: without regard to case when
    // the name-case flag is set, exactly otherwise.
    bool general_name_compare(const wchar_t* a, const wchar_t* b) const;

    int xml = 1;       // XML syntax in force
    int sgml = 0;      // SGML syntax in force
    int html = 0;      // HTML syntax in force
    int html5 = 0;     // HTML5 syntax in force: the standard's parsing algorithm reads the documents
    int namecase = 0;  // set: names are compared without regard to case
    ENCODINGtypeItems reader_encoding = ENC_UTF8;  // what the reader expects
    ENCODINGtypeItems bom_encoding = ENC_UTF8;     // byte-order mark kind expected or found
    int debug = 0;     // the -d switch
    int dtd_extern = 0;  // READERDTD = EXTERNAL: external subsets are read
    int validieren = 0;  // the -v switch: XML documents are validated
};
