#pragma once
// The conversion engine of one input file. The driver creates one for each
// file, binds it to the interpreter, lets it read the file and open the
// output, checks, parses and converts, lets it finish the output, and
// destroys it. It owns the document's buffer and its own per-file writer;
// the script, its buffer, the declaration record and the global writer
// belong to the interpreter and are only pointed to.
#include <cstdint>

#include "markup/META.h"
#include "textio/BUF.h"
#include "textio/OUT.h"

class BASIC;
class DCL;
class IPR;

class CNV {
public:
    CNV();
    virtual ~CNV();
    CNV(const CNV&) = delete;
    CNV& operator=(const CNV&) = delete;

    // Takes the script, its buffer, the declaration record and the global
    // writer from the interpreter; chooses the writer in use and, with web
    // output, lets both buffers copy their messages into it.
    virtual int Interpreter_Initialisierung(IPR* ipr);

    // Reads the input file (`bytes` forces single bytes) and, without a
    // global output, opens the per-file output in the script's writer
    // encoding (for AUTO the one the input was decoded as). An output that
    // would replace its own input is written beside it first.
    int AusgabeOpen(const wchar_t* name, const wchar_t* global, const wchar_t* extension, bool bytes);
    // True when the input was read without error and is not empty.
    bool Quelle_OK() const;
    // For inputs to be read as ASCII: reports every character outside tab,
    // line feed, carriage return and 32 to 126 with its position.
    int CheckDecCodesASCII();
    // Parses the input into the item store; 0 when the document is faulty.
    int Quelle_Read();
    // Converts the parsed document. The engine does not exist yet: reports
    // so and fails, so that no run claims a conversion it did not make.
    int Quelle_Convert();
    // Called once per file after success or failure was decided: closes the
    // per-file output; an output standing in for its input replaces it only
    // on success. 0 when writing the output failed.
    int AusgabeAbschluss(bool erfolgreich);

    // What the driver reads.
    const wchar_t* Quellpfad() const { return quelle.dateiname; }
    std::uint64_t Quelllaenge() const { return quelle.length; }
    const wchar_t* Ausgabename() const { return ausgabe_in_gebrauch->ausgabename; }

    // Members, in the documented order.
    BUF quelle;                            // the input document
    META meta;                             // the parsed document's items
    OUT ausgabe;                           // the per-file writer
    BUF* skript = nullptr;                 // the script's buffer
    BASIC* basic = nullptr;                // the compiled script
    DCL* dcl = nullptr;                    // names are compared by its rule
    OUT* ausgabe_in_gebrauch = &ausgabe;   // global writer when open, else the own one
    bool globale_ausgabe = false;          // the run writes one global output
    std::int32_t undeklariert = 0;         // undeclared names met while converting
    bool tracking = false;
};
