#pragma once
// Writes wide characters to one output file in one of the writer encodings,
// optionally after a byte-order mark. Characters the encoding cannot carry
// are written as hexadecimal character references. Converted files, the
// global output, the tracking report and web-output messages all go
// through it.
//
// When the output would replace its own input, the writer can be told to
// write into a temporary file beside it instead; OUT_Abschluss then moves
// the result over the input only when the file succeeded, so a failed file
// never costs its input.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "textio/ENCODING.h"

class FREMDKODIERUNG;

// Capacity of the output name: 1023 characters and the terminator.
constexpr unsigned long OUT_NAMENSLAENGE = 1024;
// Size of the writer's own buffer; the stream itself is unbuffered.
constexpr std::size_t OUT_PUFFERGROESSE = 16384;

// How the writer escapes what it is given, for text that comes from a
// document and goes into markup: not at all, as character data (& < >),
// or as an attribute value (& < > " '). The HTML5 forms write the tree's
// characters so that XML reads them back unchanged: a CR (and in attribute
// values a tab and a line feed) as a character reference, the characters
// XML cannot hold (controls, U+FFFE, U+FFFF) as a reference to U+FFFD.
enum OUTmaskeItems : int {
    OUT_MASKE_KEINE = 0,
    OUT_MASKE_TEXT = 1,
    OUT_MASKE_ATTRIBUT = 2,
    OUT_MASKE_TEXT_H5 = 3,
    OUT_MASKE_ATTRIBUT_H5 = 4
};

class OUT {
public:
    OUT();
    ~OUT();
    OUT(const OUT&) = delete;
    OUT& operator=(const OUT&) = delete;

    // Builds the output name (from name and extension, or from directory or
    // name and the global name), creates the file and writes the mark when
    // asked. `kodierung` names the encoding of ENC_NAMED. 1 on success.
    int OUT_Open(const wchar_t* name, const wchar_t* directory, const wchar_t* global, const wchar_t* extension,
                 ENCODINGtypeItems encoding, bool mark, const std::string& kodierung = std::string());
    // Opens standard output as the output, named "-" (the console must then
    // go elsewhere). Closing it closes a copy of the descriptor only.
    int OUT_Open_Standardausgabe(ENCODINGtypeItems encoding, bool mark,
                                 const std::string& kodierung = std::string());
    // Closes the file if open; the open flag stays set. Always 1; a failing
    // flush or close is reported and kept (OUT_Schreibfehler).
    int OUT_Close();
    bool OUT_is_Open() const;
    // Encode and write; 1, or 0 after a write error.
    int OUT_Write_Char(wchar_t c);
    int OUT_Write_Int(unsigned int c);
    int OUT_Write_String(const wchar_t* s);
    // The same for s of n characters with its terminator behind them
    // (a composed tag), without measuring it again.
    int OUT_Write_String(const wchar_t* s, std::size_t n);
    // Writes n characters given one byte each (codes up to 255) as the
    // calls above would; runs of ASCII go to a file whose encoding keeps
    // them as they are in one piece. For large ASCII texts (the tracking
    // report). 1, or 0 after a write error.
    int OUT_Write_Bytes(const char* s, std::size_t n);

    // Escaping of everything written from now on, until it is set again.
    void OUT_Maskierung(OUTmaskeItems art);
    OUTmaskeItems OUT_Maskierung() const { return maske_art_; }
    // Appends the text as the writer writes it under the escaping (for a
    // record of the output that must show what the file holds).
    static void OUT_Maskiert(const wchar_t* text, OUTmaskeItems art, std::wstring& ziel);

    // Set before OUT_Open: when the output name designates this file, the
    // output goes to a temporary file in the same directory. Null clears it.
    void OUT_Eingabe_schuetzen(const wchar_t* eingabe);
    // True while the output goes to a temporary file for its input.
    bool OUT_ersetzt_Eingabe() const;
    // Pushes buffered bytes to the file; 0 when that fails (reported).
    int OUT_Flush();
    // Closes the file; a temporary file replaces the input when
    // `erfolgreich` holds and nothing failed, else it is removed.
    // 0 when writing, closing or replacing failed.
    int OUT_Abschluss(bool erfolgreich);
    // True once a write, flush or close of the current file failed.
    bool OUT_Schreibfehler() const;

    // Members, in the documented order.
    std::int32_t status = 10000;  // 0 open; 9000 name too long; 9100 not created; 9302/9303/9304 write error
    std::int32_t zielzaehler = 0;  // numbers the output spans of the tracking recorder
    wchar_t ausgabename[OUT_NAMENSLAENGE] = {};
    std::FILE* stream = nullptr;
    bool open = false;
    ENCODINGtypeItems encoding = ENC_NONE;

private:
    bool name_zu_lang(const wchar_t* name, const wchar_t* meldung, const wchar_t* zusatz);
    int datei_erstellen();
    // The creation failed for the reason `grund` (errno): says so.
    void nicht_erstellt(int grund);
    void zuruecksetzen(const wchar_t* name);
    int beginnen(bool erstellt, ENCODINGtypeItems encoding, bool mark);
    bool fremd_einrichten(ENCODINGtypeItems encoding, const std::string& kodierung);
    bool schreiben(const unsigned char* bytes, std::size_t n);
    bool maskiert(unsigned int c) const {
        return maske_ != nullptr &&
               (c < 0x80 ? maske_[c] != 0 : maske_art_ >= OUT_MASKE_TEXT_H5 && (c == 0xFFFE || c == 0xFFFF));
    }
    // The body of OUT_Write_String, with or without the escaping.
    template <bool mit_maske>
    int text_schreiben(const wchar_t* s, const wchar_t* ende);
    bool leeren();
    int schreibfehler(int code);
    bool schliessen();
    void ersatz_entfernen();
    // Writes n characters through the iconv encoding; what it cannot hold
    // goes as a character reference, itself in that encoding.
    int fremd_text(const wchar_t* s, int code);
    int fremd_schreiben(const wchar_t* s, std::size_t n, int code);

    // Encoded bytes not yet handed to the stream: a conversion writes many
    // short texts, and a call into the stream for each would cost more
    // than encoding them.
    std::unique_ptr<unsigned char[]> puffer_;
    std::size_t belegt_ = 0;
    std::unique_ptr<FREMDKODIERUNG> fremd_;  // the converter of ENC_NAMED
    // The characters to escape (by code below 128), null while none are.
    const unsigned char* maske_ = nullptr;
    OUTmaskeItems maske_art_ = OUT_MASKE_KEINE;
    bool fehler_gemeldet_ = false;
    std::wstring schutz_;    // the input that must not be overwritten directly
    std::string ersatz_mb_;  // the temporary file, while one is in use
    std::string ziel_mb_;    // the output file it stands for
};
