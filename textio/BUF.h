#pragma once
// One whole file in memory as wide text. The script and every input
// document are read through their own BUF: the file is read in one piece,
// its encoding is taken from a byte-order mark, from a byte-level look at
// the XML declaration or from the caller's order (single bytes, or an
// encoding by name), and the bytes are decoded into one 32-bit code point
// per character: by the program's own decoders, or through iconv for the
// encodings it knows by name only. The
// parsers work on the text with the cursor; every message position is a
// pointer into the text, so the text never moves while the BUF lives.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "textio/ENCODING.h"

class MELDUNGEN;
class OUT;

// Capacity of file-name buffers: 1023 characters and the terminator.
constexpr unsigned long BUF_NAMENSLAENGE = 1024;
// Capacity of the message work text: 255 characters and the terminator.
constexpr unsigned long BUF_MELDUNGSLAENGE = 256;

class BUF {
public:
    BUF();
    ~BUF();
    BUF(const BUF&) = delete;
    BUF& operator=(const BUF&) = delete;

    // Opens, reads and decodes the file; `bytes` forces single-byte
    // decoding. 1 when the file could be opened and closed, even if reading
    // or decoding failed (then the status holds the code and OK() is false);
    // 0 when the name is missing or too long, or opening or closing failed.
    int Init(const wchar_t* name, bool bytes);
    // The reading step of Init: 0 on success, else the error code.
    int DateiEinlesen(bool bytes);
    // From now on Init with exactly this name reads standard input instead
    // of a file (once: a second read finds it empty). Null ends it.
    static void Standardeingabe(const wchar_t* name);
    // True when the file was read and decoded and a text exists.
    bool OK() const;
    // Both give what detection found (ENC_NONE for forced single bytes).
    ENCODINGtypeItems Lese_Bom_Encoding() const;
    ENCODINGtypeItems Lese_Xml_Encoding() const;

    // Cursor operations of the parsers.
    int Reset();
    int nextpointer();
    int addpointer(unsigned long n);
    // Frees text and raw bytes.
    int Delete();

    // Composes one message on the console and, when a sink is set, as HTML
    // fragments into the sink. severity 0: warning, -1: error without
    // number, > 0: numbered error; origin non-zero: about the script.
    // `label` (may be null) names the construct, `vorlage` may hold one
    // "%ls" for `argument`, `position` (may be null) points into the text.
    int Fehlermeldung(int severity, int origin, const wchar_t* label, const wchar_t* vorlage,
                      const wchar_t* argument, const wchar_t* position);
    // "in Datei '...' Zeile=.., Zeichen=.." for a position in the text.
    int PosMeldung(wchar_t* out, unsigned long capacity, const wchar_t* position);
    // Sets (or clears with null) the writer that messages are copied into.
    int InitFehlerausgabe(OUT* sink);
    // Called for each character that a terminator is about to overwrite:
    // a line feed among them is remembered, so that position lines still
    // count it as the line end it was.
    void Zeilenende_retten(const wchar_t* stelle);

    // Fields, in the documented order.
    bool exakt = false;             // positions are exact, not approximate
    std::int32_t eigene_puffer = 1; // the destructor frees the buffers
    wchar_t* text = nullptr;        // decoded content, 0-terminated
    std::uint64_t length = 0;       // characters of the text
    std::int32_t status = 10000;    // 0 after a good read, else the code
    wchar_t* end = nullptr;         // text + length
    wchar_t* cursor = nullptr;      // reading position of the parser
    wchar_t dateiname[BUF_NAMENSLAENGE] = {};
    wchar_t basisname[BUF_NAMENSLAENGE] = {};
    char dateiname_mb[4096] = {};
    OUT* fehlerausgabe = nullptr;   // message sink, not owned
    ENCODINGtypeItems decoding = ENC_ISO_8859_1;  // what the text was decoded as
    unsigned char* raw = nullptr;   // bytes as read, past a byte-order mark; null once decoded
    std::uint64_t raw_length = 0;
    std::FILE* datei = nullptr;
    std::int32_t offen = 0;
    ENCODINGtypeItems erkannt = ENC_NONE;  // detected kind
    // Set before Init: every file without a byte-order mark is decoded in
    // this named encoding (the script's READERENCODING), whatever it
    // declares; empty: detection as usual.
    std::string vorgabe_kodierung;
    // The name the text was decoded by when `decoding` is ENC_NAMED.
    std::string kodierungsname;
    // While set, error messages go through it and repeated ones are held
    // back (not owned).
    MELDUNGEN* meldungen = nullptr;
    // Set before Init: the file is a web page (SYNTAX = HTML5), whose
    // encoding is found as browsers find it: a byte-order mark, the
    // script's READERENCODING (vorgabe_kodierung), the prescan of the first
    // 1,024 bytes for a meta charset, or windows-1252. Its decoding never
    // fails and keeps control characters and 0 in the text.
    bool html5 = false;
    // The Encoding Standard's name of the encoding found, and whether it
    // is certain (a mark or the script) or only a guess (prescan, fallback).
    std::string h5_kodierung;
    bool h5_sicher = true;
    // The text came from standard input, which cannot be read again.
    bool aus_standardeingabe = false;

private:
    void melden(int code, const wchar_t* vorlage);
    int strom_einlesen();
    int rohtext_dekodieren(bool bytes);
    int einzelbytes_dekodieren();
    void rest_freigeben();
    // Decodes the raw bytes in the named encoding through iconv; refuses a
    // name that iconv does not know. 0 on success, else the status.
    int fremd_dekodieren(const std::string& name);
    int tafel_dekodieren(const std::int32_t* tafel, const std::wstring& name);
    // The HTML5 way (BUF_H5.cpp): the encoding found, then the text.
    int h5_dekodieren();
    int h5_nach_name(const std::string& name);
    // Terminates the `o` characters decoded; reports a failed decoding
    // (`abbruch` without another fault: memory ran out). 0 or the status.
    int abschliessen(std::size_t o, bool gut, bool abbruch);
    // Moves the text and the raw bytes not yet decoded into an allocation
    // twice as large; false when memory runs out.
    bool text_vergroessern(std::size_t gespeichert, const unsigned char*& ungelesen, std::size_t rest);
    int dekodieren(int (*dekoder)(wchar_t*, unsigned char*, unsigned long, unsigned long*), int code,
                   const wchar_t* vorlage);
    void puffer_freigeben();
    int positionstext(std::wstring& ort, const wchar_t* position);

    // Invalid sequences become U+FFFD without a message (HTML5).
    bool ersetzend = false;
    // Size of the allocation behind the text (the raw bytes live in its
    // tail until they are decoded).
    std::uint64_t text_groesse_ = 0;

    // Where the last position line was found, so that a run of messages in
    // document order costs one walk over the text, not one per message.
    const wchar_t* pos_zeiger_ = nullptr;
    // Line feeds overwritten by terminators, sorted when first needed.
    std::vector<const wchar_t*> zeilenenden_;
    bool zeilenenden_sortiert_ = true;
    long long pos_zeile_ = 1;
    long long pos_zeichen_ = 1;
};

// Looks at the bytes after the version literal of an XML declaration for
// an encoding declaration; moves *p past what it read. ENC_UTF8 for a
// missing or malformed declaration, the named member for a known name,
// ENC_BIN for one not in the table, whose bytes then go to `name` when
// it is given.
ENCODINGtypeItems byte_xml_encoding_declaration(char** p, char** end, std::string* name = nullptr);
