#pragma once
// An encoding that the program knows only by its name (windows-1252,
// ISO-8859-15, KOI8-R, Shift_JIS, ...): decoded and encoded through the C
// library's iconv. The reader converts whole blocks into wide text and
// learns from the converter where an invalid sequence stops it; the writer
// converts blocks of wide text and writes what the encoding cannot hold as
// a character reference.
#include <cstddef>
#include <cstdint>
#include <string>

class FREMDKODIERUNG {
public:
    // Where a conversion stopped.
    enum Halt {
        FERTIG,          // all input converted
        UNGUELTIG,       // at an invalid sequence (reader) or a character the encoding lacks (writer)
        UNVOLLSTAENDIG,  // the input ends inside a sequence
        VOLL,            // no room left for the output
    };

    // Opens the converters of the name; Lesbar() and Schreibbar() tell
    // whether iconv knows it in that direction. Only names of the form the
    // XML recommendation allows ([A-Za-z][A-Za-z0-9._-]*) are tried, so
    // that no option suffix or empty name reaches iconv.
    explicit FREMDKODIERUNG(const std::string& name);
    ~FREMDKODIERUNG();
    FREMDKODIERUNG(const FREMDKODIERUNG&) = delete;
    FREMDKODIERUNG& operator=(const FREMDKODIERUNG&) = delete;

    bool Lesbar() const { return lesen_ != nullptr; }
    bool Schreibbar() const { return schreiben_ != nullptr; }
    const std::string& Name() const { return name_; }

    // Whether iconv reads the name (or, with `schreiben`, writes it).
    static bool Bekannt(const std::string& name, bool schreiben);
    // Whether the name has the form of an encoding name.
    static bool Namensform(const std::string& name);

    // Decodes from `in` (n bytes) into `out` (room for `platz` characters);
    // all four are moved past what was converted. After UNGUELTIG `in`
    // points at the first byte of the invalid sequence.
    Halt Dekodieren(const unsigned char*& in, std::size_t& n, wchar_t*& out, std::size_t& platz);
    // Encodes from `in` (n characters) into `out` (room for `platz` bytes)
    // in the same way; after UNGUELTIG `in` points at the character the
    // encoding cannot hold.
    Halt Kodieren(const wchar_t*& in, std::size_t& n, unsigned char*& out, std::size_t& platz);
    // The bytes that end a stateful encoding in its initial state (after
    // the last character of a file); 0 for most encodings.
    std::size_t Abschliessen(unsigned char* out, std::size_t platz);

    // For an encoding of one byte per character (windows-1252, the
    // ISO-8859 family, KOI8-R, ...): the character of each byte, -1 for a
    // byte that is none; null for every other encoding. Built from iconv
    // once per name and process, and taken only where iconv gives exactly
    // its characters for every pair of bytes too (no byte waits for the
    // next, as in encodings that compose).
    const std::int32_t* Bytetafel() const { return tafel_; }

private:
    std::string name_;
    void* lesen_ = nullptr;     // iconv_t: the name to wide characters
    void* schreiben_ = nullptr; // iconv_t: wide characters to the name
    const std::int32_t* tafel_ = nullptr;
};
