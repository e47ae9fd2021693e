// Fuzz target: the SGML DTD reader. The input is an external subset; it is
// read (parameter entities, marked sections, every declaration) under the
// SGML declaration's defaults, closed (USEMAP names, attribute defaults),
// and then asked what the reader of documents asks: every content model is
// run from its start along its required names and the names it allows,
// and each element's attributes are looked up. Every entity text, default
// and map must be usable, and no model may answer outside its names.
#include <string>
#include <vector>

#include "fuzz/Fuzzhilfe.h"
#include "markup/QUELLE.h"
#include "markup/SDTDR.h"
#include "textio/BUF.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fuzz_Start();
    const std::wstring pfad = Fuzz_Datei("dtd.dtd", data, size);
    const std::wstring dokument = Fuzz_Datei("dok.sgm", reinterpret_cast<const std::uint8_t*>("<d>"), 3);
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
        const int namen = dtd.Namen().Anzahl();
        std::vector<int> moeglich;
        for (int i = 0; i < dtd.Elementzahl(); ++i) {
            const DTD::Elementtyp& e = dtd.Elemente(i);
            for (int a : e.attribute) FUZZ_PRUEFEN(dtd.Attribut_von(e.name, dtd.Attribute(a).name) == a);
            if (e.modell < 0) continue;
            const MODELL& m = dtd.Modell(e.modell);
            MODELL::LAUF lauf;
            m.Start(lauf);
            for (int schritt = 0; schritt < 64; ++schritt) {
                const int g = m.Gefordert(lauf);
                FUZZ_PRUEFEN(g < namen);
                if (g >= 0) FUZZ_PRUEFEN(m.Moeglich(lauf, g));
                m.Moegliche(lauf, moeglich);
                const int n = g >= 0 ? g : moeglich.empty() ? -1 : moeglich[static_cast<std::size_t>(schritt) % moeglich.size()];
                if (n < 0 || !m.Schritt(lauf, n)) break;
            }
        }
        for (int k = 0; k < sdtd.Kartenzahl(); ++k)
            for (std::int32_t n : sdtd.Karten(k).entitaet) FUZZ_PRUEFEN(n < namen);
        for (int i = 0; i < dtd.Attributzahl(); ++i) {
            const DTD::Attribut& a = dtd.Attribute(i);
            if (a.vorgabe == DTD::V_WERT || a.vorgabe == DTD::V_FEST) FUZZ_PRUEFEN(a.wert.size() <= DTD::MAX_ERSETZUNG + 1);
        }
    });
    Fuzz_Aufraeumen();
    return 0;
}
