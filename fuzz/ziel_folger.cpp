// Fuzz target: tag inference. The input is a DTD (an external subset), a
// zero byte, and a program of tokens: each byte a start tag (of the
// element type its value names), an end tag (of an open element, or of
// the innermost one), character data, or the end of the document. The
// inference (SFOLGER) must keep its promises whatever the tokens: the
// elements it reports begun and ended nest, an end never comes without an
// open element, and the elements inferred for one token are few, so that
// inference stays linear in the document.
#include <algorithm>
#include <string>
#include <vector>

#include "fuzz/Fuzzhilfe.h"
#include "markup/QUELLE.h"
#include "markup/SDTDR.h"
#include "markup/SFOLGER.h"
#include "textio/BUF.h"

namespace {

class Zaehler : public SFOLGER::Senke {
public:
    void Beginn(int, int, bool implizit, bool) override {
        ++offen;
        if (implizit) ++gefolgert;
        tiefste = std::max(tiefste, offen);
    }
    void Schluss(bool) override {
        FUZZ_PRUEFEN(offen > 0);
        --offen;
    }
    void Fehler(const wchar_t*, std::wstring_view) override { ++fehler; }
    long offen = 0, gefolgert = 0, fehler = 0, tiefste = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fuzz_Start();
    const std::uint8_t* trenner = std::find(data, data + size, std::uint8_t{0});
    const std::wstring pfad = Fuzz_Datei("dtd.dtd", data, static_cast<std::size_t>(trenner - data));
    const std::wstring dokument = Fuzz_Datei("dok.sgm", reinterpret_cast<const std::uint8_t*>("<d>"), 3);
    const std::uint8_t* programm = trenner < data + size ? trenner + 1 : trenner;
    const std::size_t schritte = static_cast<std::size_t>(data + size - programm);
    Fuzz_Mit_Stapel([&] {
        int grund = 0;
        std::unique_ptr<BUF> bezug = QUELLE::Datei_lesen(dokument, &grund, true);
        if (!bezug) return;
        SDTD sdtd(true);
        QUELLE quelle(nullptr);
        quelle.Dokument(dokument);
        quelle.Lesart(true, "");
        SDTDR leser(&sdtd, &quelle);
        leser.Extern(L"", L"dtd.dtd", L"d", bezug.get(), bezug->text);
        leser.Abschliessen(bezug.get());
        const DTD& dtd = sdtd.Modell();
        if (dtd.Elementzahl() == 0) return;
        Zaehler z;
        SFOLGER folger(sdtd, leser.Pcdata(), dtd.Elemente(0).name, z);
        for (std::size_t i = 0; i < schritte; ++i) {
            const unsigned b = programm[i];
            const int element = static_cast<int>(b >> 2) % dtd.Elementzahl();
            const int name = dtd.Elemente(element).name;
            switch (b & 3) {
            case 0:
                folger.Start(name, dtd.Text(name));
                if (folger.Tiefe() > 0 && folger.Inhalt() == DTD::LEER) folger.Leer_beenden();
                break;
            case 1:
                folger.Daten();
                break;
            case 2:
                folger.Ende(folger.Tiefe() > 0 && (b & 4) ? folger.Name(folger.Tiefe() - 1) : name, dtd.Text(name));
                break;
            default:
                if (b == 255) folger.Dokumentende();
                else folger.Daten_hier();
            }
            FUZZ_PRUEFEN(z.offen == folger.Tiefe());
        }
        folger.Dokumentende();
        FUZZ_PRUEFEN(z.offen == 0);
        FUZZ_PRUEFEN(z.gefolgert <= 17 * static_cast<long>(schritte + 1));
    });
    Fuzz_Aufraeumen();
    return 0;
}
