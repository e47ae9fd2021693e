#pragma once
// H5KODIERUNG: the encoding sniffing of the HTML standard on the bytes of a
// document: byte-order mark, then an encoding from the transport layer (if
// the caller has one), then the prescan of the first 1,024 bytes for
// <meta charset> and <meta http-equiv="Content-Type" content="...">, then
// the fallback (windows-1252 unless the caller names another).
// Labels are those of the Encoding Standard (all of them, ASCII case and
// surrounding white space ignored); results are its canonical names:
// "UTF-8", "UTF-16LE", "UTF-16BE", "windows-1252", "ISO-8859-2", "Shift_JIS",
// ... ("latin1", "iso-8859-1", "ascii", "us-ascii" are windows-1252). A
// UTF-16 label found by the prescan gives UTF-8, x-user-defined there gives
// windows-1252, as the standard says.
#include <cstddef>
#include <string_view>

class H5KODIERUNG {
public:
    enum Quelle { BOM, TRANSPORT, META, VORGABE };
    struct Ergebnis {
        std::string_view name;  // canonical name of the Encoding Standard
        Quelle quelle;
        size_t bom_laenge;  // bytes of the byte-order mark to skip (0 without)
    };

    // The whole sniffing algorithm. transport: a label from outside (HTTP
    // charset), may be empty; vorgabe: the fallback's canonical name.
    static Ergebnis ermitteln(const unsigned char* daten, size_t laenge, std::string_view transport = {},
                              std::string_view vorgabe = "windows-1252");
    // The prescan alone (first 1,024 bytes); empty when it finds nothing.
    static std::string_view vorab(const unsigned char* daten, size_t laenge);
    // "Get an encoding": label -> canonical name; empty for an unknown label.
    static std::string_view etikett(std::string_view label);
    // The charset of a Content-Type value ("text/html; charset=utf-8"):
    // "extract a character encoding from a meta element"; empty if none.
    static std::string_view aus_content(std::string_view wert);
    // Number of labels in the table (tests).
    static size_t anzahl_etiketten();
};
