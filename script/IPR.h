#pragma once
// The interpreter set-up: owns the script for the whole run (its text, its
// compiled form), the declaration record that the script's settings give
// for reading documents, and the flags of the run. The driver activates the
// script once with Skript_Init before any document is read; every
// conversion engine takes its references from here.
#include <string>

#include "markup/DCL.h"
#include "script/BASIC.h"
#include "textio/BUF.h"
#include "textio/ENCODING.h"
#include "textio/OUT.h"
#include "base/TRACK.h"

class IPR {
public:
    IPR() = default;
    virtual ~IPR() = default;
    IPR(const IPR&) = delete;
    IPR& operator=(const IPR&) = delete;

    // Reads, compiles and indexes the script and sets up the document
    // declaration from its settings. False (after the activation message)
    // when the script cannot be used.
    bool Skript_Init(const wchar_t* name, bool debug_flag, bool web, bool verbose, int tracking_mode);
    // Reads the script file into the script buffer; the default extension
    // is ".xb" and a relative name is taken from the working directory.
    bool Skript_Oeffnen(const wchar_t* name, bool bytes);
    // Parses and indexes the script held by the script buffer.
    bool Skript_in_BASIC_Einlesen();
    // Compiles the regular expression of every =~ comparison of the
    // script; reports each faulty one at its place. False when one is.
    bool Ausdruecke_pruefen();
    // Copies the script text into the script record, a span around each
    // compiled item; called before the item texts get their terminators.
    void Skript_in_TRACK_Einlesen();
    // For an input file that begins with a byte-order mark of another
    // encoding than the script's READERENCODING names, prints the mismatch
    // line and answers false. Without an active script, or with AUTO, the
    // answer is always true.
    bool Skript_Kodierung_pruefen(const wchar_t* quelle) const;
    // Nonzero once a script has been activated.
    int Bereit() const { return ready ? 1 : 0; }

    BUF skript;         // the script text; compiled items point into it
    DCL dcl;            // the declaration every document is read under
    BASIC basic;        // the compiled script
    TRACK track_aktionen;  // tracking records: the action list,
    TRACK track_quelle;    // the source texts,
    TRACK track_skript;    // the script text
    TRACK track_ziel;      // and the output as written
    bool global_output = false;
    bool debug = false;
    int warning_level = WARNINGS_ALL;
    bool web_output = false;
    bool tracking = false;
    OUT out;            // the writer of a global output
    // The script's READERENCODING as activated. Kept apart from the
    // declaration record, whose encodings the document prolog overwrites.
    ENCODINGtypeItems reader_encoding = ENC_UTF8;
    bool ready = false;
    // The names of ENC_NAMED reading and writing encodings (else empty), and
    // the script's WRITERENCODING, asked once at activation.
    std::string reader_kodierung;
    // Whether documents are read as single bytes: XML only under
    // READERENCODING = ISO-8859-1; SGML unless READERENCODING names a
    // Unicode form (HTML detects as XML does).
    bool Einzelbytes() const {
        if (dcl.xml) return reader_encoding == ENC_ISO_8859_1;
        return !dcl.html && !(reader_encoding >= ENC_UTF8 && reader_encoding <= ENC_UCS4LE);
    }
    std::string writer_kodierung;
    ENCODINGtypeItems writer_encoding = ENC_AUTO;
};
