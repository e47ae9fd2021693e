// Fuzz target: the whole pipeline of one file. The input is split at its
// first 0 byte into a script and a document (the first byte, before both,
// holds the switches). The script is activated, the document read, parsed
// and converted into a file of the working folder, by the classes and in
// the order that the driver uses, with tracking and its report when the
// switches ask for them. Tracking only watches: with one output per file
// the document is also converted without it, and both runs must succeed or
// fail alike and write the same bytes. Every file is removed afterwards.
//
// Switches (bits of the first byte): 0-1 tracking (0 off, 1 report,
// 2 and 3 report with autostart), 2 messages into the output, 3 one global
// output instead of one per file, 4 an output that replaces its input.
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>

#include "convert/CNV.h"
#include "driver/Trackingbericht.h"
#include "base/Zeichenwandlung.h"
#include "fuzz/Fuzzhilfe.h"
#include "script/IPR.h"
#include "tracking/CNVTRACK.h"

namespace {

// One file through the engine, as the driver's file loop takes it; true
// when the file succeeded.
bool Datei(IPR& ipr, const wchar_t* dokument, int tracking, const wchar_t* global, const wchar_t* erweiterung,
           const Trackingschutz& schutz) {
    std::unique_ptr<CNV> cnv = tracking != 0 ? std::make_unique<CNVTRACK>() : std::make_unique<CNV>();
    cnv->Interpreter_Initialisierung(&ipr);
    if (tracking != 0) Tracking_Dateibeginn(ipr, global != nullptr);
    const bool bytes = ipr.Einzelbytes();
    bool ok = cnv->AusgabeOpen(dokument, global, erweiterung, bytes) != 0;
    const std::wstring bericht = Trackingname(cnv->Ausgabename());
    ok = ok && cnv->Quelle_OK();
    if (ok && ipr.warning_level == WARNINGS_ALL && ipr.reader_encoding == ENC_ISO_8859_1)
        ok = cnv->CheckDecCodesASCII() != 0;
    ok = ok && cnv->Quelle_Read() && cnv->Quelle_Convert();
    if (cnv->AusgabeAbschluss(ok) == 0) ok = false;
    if (ok && tracking != 0 && global == nullptr)
        Tracking_Bericht(ipr, tracking, cnv->Quellpfad(), ipr.skript.dateiname, cnv->Ausgabename(), bericht, schutz);
    return ok;
}

// The bytes of a file of the working folder (empty when there is none),
// which is then removed.
std::string Entnehmen(const char* name) {
    const std::string pfad = Fuzz_Ordner() + "/" + name;
    std::string inhalt;
    if (std::FILE* f = std::fopen(pfad.c_str(), "rb")) {
        char block[4096];
        for (std::size_t n; (n = std::fread(block, 1, sizeof block, f)) > 0;) inhalt.append(block, n);
        std::fclose(f);
    }
    std::remove(pfad.c_str());
    return inhalt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fuzz_Start();
    if (size == 0) return 0;
    const unsigned schalter = data[0];
    ++data;
    --size;
    const auto* trenner = static_cast<const std::uint8_t*>(std::memchr(data, 0, size));
    const std::size_t skriptlaenge = trenner != nullptr ? static_cast<std::size_t>(trenner - data) : size;
    const std::wstring skript = Fuzz_Datei("s.xb", data, skriptlaenge);
    const std::size_t rest = trenner != nullptr ? size - skriptlaenge - 1 : 0;
    const std::wstring dokument = Fuzz_Datei("d.xml", trenner != nullptr ? trenner + 1 : data, rest);

    const int tracking = (schalter & 3) == 3 ? 2 : static_cast<int>(schalter & 3);
    const bool web = (schalter >> 2) & 1;
    const bool global = (schalter >> 3) & 1;
    const wchar_t* erweiterung = (schalter >> 4) & 1 ? L"xml" : L"htm";

    Fuzz_Mit_Stapel([&] {
        IPR ipr;
        if (!ipr.Skript_Init(skript.c_str(), false, web, false, tracking)) return;
        Trackingschutz schutz;
        schutz.Aufnehmen(dokument.c_str());
        schutz.Aufnehmen(skript.c_str());
        const std::wstring ordner = SchmalZuBreit(Fuzz_Ordner().c_str());
        if (global) {
            ipr.global_output = true;
            ipr.out.OUT_Eingabe_schuetzen(dokument.c_str());
            ipr.out.OUT_Open(dokument.c_str(), ordner.c_str(), L"ergebnis.htm", nullptr,
                             ipr.writer_encoding, ipr.basic.mit_bom, ipr.writer_kodierung);
            if (tracking != 0) Tracking_Globalbeginn(ipr);
            schutz.Aufnehmen(ipr.out.ausgabename);
            Datei(ipr, dokument.c_str(), tracking, L"ergebnis.htm", nullptr, schutz);
            if (tracking != 0)
                Tracking_Bericht(ipr, tracking, dokument.c_str(), ipr.skript.dateiname, ipr.out.ausgabename,
                                 Trackingname(ipr.out.ausgabename), schutz);
            ipr.out.OUT_Abschluss(true);
        } else if (tracking != 0 && std::wcscmp(erweiterung, L"htm") == 0) {
            const bool ohne = Datei(ipr, dokument.c_str(), 0, nullptr, erweiterung, schutz);
            const std::string ergebnis_ohne = Entnehmen("d.htm");
            const bool mit = Datei(ipr, dokument.c_str(), tracking, nullptr, erweiterung, schutz);
            FUZZ_PRUEFEN(ohne == mit);
            FUZZ_PRUEFEN(Entnehmen("d.htm") == ergebnis_ohne);
        } else {
            Datei(ipr, dokument.c_str(), tracking, nullptr, erweiterung, schutz);
        }
    });
    Fuzz_Aufraeumen();
    return 0;
}
