// Fuzz target: the document parser with recording. The first byte chooses
// the settings (XML, SGML or HTML; WARNINGS ALL or SMART; NAMECASE; the
// tracking source record; CONVERTENTITIES = EXPAND), the rest is the
// document. It is read and parsed by a conversion engine as the driver has
// it do, under a script that declares a few EMPTY elements; every recorded
// item must point into the text, or hold a terminated text the document
// does not hold (a default, an expanded entity), and link to an earlier
// start tag.
#include <cstring>
#include <memory>
#include <string>

#include "convert/CNV.h"
#include "fuzz/Fuzzhilfe.h"
#include "script/IPR.h"

namespace {

constexpr int SYNTAXEN = 3;

// One interpreter per combination of settings, activated once.
IPR& Interpreter(unsigned syntax, bool smart, bool namecase, bool ersetzen) {
    static std::unique_ptr<IPR> alle[SYNTAXEN][2][2][2];
    std::unique_ptr<IPR>& ipr = alle[syntax][smart][namecase][ersetzen];
    if (!ipr) {
        static const char* const NAMEN[SYNTAXEN] = {"XML", "SGML", "HTML"};
        std::string skript = std::string("SYNTAX = ") + NAMEN[syntax] + "\n";
        skript += smart ? "WARNINGS = SMART\n" : "WARNINGS = ALL\n";
        skript += namecase ? "NAMECASE = YES\n" : "NAMECASE = NO\n";
        if (ersetzen) skript += "CONVERTENTITIES = EXPAND\n";
        skript += "ELEMENT br MODEL = EMPTY ENDE\nELEMENT img MODEL = EMPTY ENDE\nELEMENT p MODEL = MIXED ENDE\n";
        const std::wstring pfad =
            Fuzz_Datei("einstellung.xb", reinterpret_cast<const std::uint8_t*>(skript.data()), skript.size());
        ipr = std::make_unique<IPR>();
        if (!ipr->Skript_Init(pfad.c_str(), false, false, false, 1)) Fuzz_Verletzt("Skript der Einstellungen");
    }
    return *ipr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fuzz_Start();
    if (size == 0) return 0;
    const unsigned wahl = data[0];
    IPR& ipr = Interpreter(wahl % SYNTAXEN, (wahl >> 2) & 1, (wahl >> 3) & 1, (wahl >> 5) & 1);
    const bool tracking = (wahl >> 4) & 1;
    const std::wstring pfad = Fuzz_Datei("dokument.xml", data + 1, size - 1);

    Fuzz_Mit_Stapel([&] {
        CNV cnv;
        cnv.Interpreter_Initialisierung(&ipr);
        cnv.tracking = tracking;
        if (tracking) ipr.track_quelle.Reset();
        const bool bytes = ipr.dcl.xml ? ipr.reader_encoding == ENC_ISO_8859_1 : !ipr.dcl.html;
        cnv.AusgabeOpen(pfad.c_str(), nullptr, nullptr, bytes);
        if (!cnv.Quelle_OK()) return;
        if (!cnv.Quelle_Read()) return;
        const wchar_t* const anfang = cnv.quelle.text;
        const wchar_t* const ende = anfang + cnv.quelle.length;
        for (int i = 0; i < cnv.meta.Anzahl(); ++i) {
            const META::metaitem& it = cnv.meta.Item(i);
            FUZZ_PRUEFEN(it.level >= 0);
            FUZZ_PRUEFEN(it.link >= 0 && it.link <= i);
            if (it.link > 0) FUZZ_PRUEFEN(cnv.meta.Item(it.link - 1).kind == META_STARTTAG);
            if (it.start == nullptr) continue;
            FUZZ_PRUEFEN(it.end >= it.start);
            if (cnv.meta.Im_Dokument(i) || it.start == ende)
                FUZZ_PRUEFEN(it.end <= ende);
            else
                FUZZ_PRUEFEN(*it.end == 0);
        }
    });
    Fuzz_Aufraeumen();
    return 0;
}
