// Fuzz target: a web page under SYNTAX = HTML5, from its bytes to its copy.
// The first byte chooses the settings (bit 0: PARSEERRORS = SHOW, which
// keeps the source as it is; bit 1: the tracking source record; bit 2:
// READERENCODING = ISO-8859-2 instead of the encoding sniffing), the rest
// is the page. It is read, parsed into the item store and copied by a
// script of settings only, as the driver has it done. Every page must
// parse (nothing is bad input but the nesting limit); the items must form
// a tree (levels, links, sibling numbers, each end tag at its start tag's
// level and with its name, texts in the page or terminated); and the copy
// must be well-formed XML, which the program's own XML reader checks.
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "convert/CNV.h"
#include "fuzz/Fuzzhilfe.h"
#include "script/IPR.h"

namespace {

IPR& Interpreter(const char* name, const std::string& text) {
    const std::wstring pfad =
        Fuzz_Datei(name, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    auto ipr = std::make_unique<IPR>();
    if (!ipr->Skript_Init(pfad.c_str(), false, false, false, 1)) Fuzz_Verletzt("Skript der Einstellungen");
    return *ipr.release();
}

IPR& Html5(unsigned wahl) {
    static IPR* alle[8] = {};
    IPR*& ipr = alle[wahl & 7];
    if (ipr == nullptr) {
        std::string skript = "SYNTAX = HTML5\nWRITERENCODING = UTF-8\nWRITERBOM = NO\n";
        if (wahl & 1) skript += "PARSEERRORS = SHOW\n";
        if (wahl & 4) skript += "READERENCODING = ISO-8859-2\n";
        ipr = &Interpreter("html5.xb", skript);
    }
    return *ipr;
}

IPR& Xml() {
    static IPR& ipr = Interpreter("xml.xb", "SYNTAX = XML\nWRITERENCODING = UTF-8\n");
    return ipr;
}

// The items as a tree: what the conversion's walk relies on. Whether the
// program's XML reader can read the copy's names: it takes names of up to
// 255 characters, and of Latin-1 letters only (the XML recommendation
// allows more, which the copy keeps).
bool Baum_pruefen(const CNV& cnv) {
    bool lesbar = true;
    const META& m = cnv.meta;
    const wchar_t* const anfang = cnv.quelle.text;
    const wchar_t* const ende = anfang + cnv.quelle.length;
    std::vector<int> offen;       // start tags of the open elements
    std::vector<int> geschwister{0};
    for (int i = 0; i < m.Anzahl(); ++i) {
        const META::metaitem& it = m.Item(i);
        FUZZ_PRUEFEN(it.start != nullptr && it.end >= it.start);
        if (m.Im_Dokument(i)) FUZZ_PRUEFEN(it.end <= ende && it.start >= anfang);
        else FUZZ_PRUEFEN(*it.end == 0);
        const int eltern = offen.empty() ? 0 : offen.back() + 1;
        if (it.kind == META_STARTTAG || it.kind == META_ATTR_NAME) {
            const std::wstring_view name = it.Text();
            lesbar = lesbar && name.size() <= 255;
            for (wchar_t c : name) lesbar = lesbar && c < 0x80;
        }
        switch (it.kind) {
        case META_STARTTAG:
            FUZZ_PRUEFEN(it.level == static_cast<int>(offen.size()) && it.link == eltern);
            FUZZ_PRUEFEN(it.value == ++geschwister.back());
            offen.push_back(i);
            geschwister.push_back(0);
            break;
        case META_EMPTYTAG_CLOSE:
        case META_ENDTAG: {
            FUZZ_PRUEFEN(!offen.empty());
            const int s = offen.back();
            offen.pop_back();
            geschwister.pop_back();
            if (it.kind == META_ENDTAG) {
                FUZZ_PRUEFEN(it.level == static_cast<int>(offen.size()) && m.Item(s).Text() == it.Text());
            } else {
                for (int k = s + 1; k < i; ++k) FUZZ_PRUEFEN((m.Item(k).kind & 0x840) == 0x840);
            }
            break;
        }
        case META_ATTR_NAME:
        case META_ATTR_DATA:
            FUZZ_PRUEFEN(!offen.empty() && it.level == static_cast<int>(offen.size()) - 1);
            break;
        case META_DATA:
            FUZZ_PRUEFEN(!offen.empty() && it.level == static_cast<int>(offen.size()) && it.link == eltern);
            break;
        default:
            Fuzz_Verletzt("unerwartete Art eines Items");
        }
    }
    FUZZ_PRUEFEN(offen.empty());
    return lesbar;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fuzz_Start();
    if (size == 0) return 0;
    const unsigned wahl = data[0];
    IPR& ipr = Html5(wahl);
    const std::wstring seite = Fuzz_Datei("seite.html", data + 1, size - 1);

    Fuzz_Mit_Stapel([&] {
        bool lesbar;
        {
            CNV cnv;
            cnv.Interpreter_Initialisierung(&ipr);
            cnv.tracking = (wahl >> 1) & 1;
            if (cnv.tracking) ipr.track_quelle.Reset();
            FUZZ_PRUEFEN(cnv.AusgabeOpen(seite.c_str(), nullptr, L"xml", false) != 0);
            FUZZ_PRUEFEN(cnv.Quelle_OK());
            // Only a page nested too deeply is refused.
            if (!cnv.Quelle_Read()) return;
            lesbar = Baum_pruefen(cnv);
            FUZZ_PRUEFEN(cnv.Quelle_Convert() != 0);
            FUZZ_PRUEFEN(cnv.AusgabeAbschluss(true) != 0);
        }
        if (!lesbar) return;
        const std::wstring kopie = seite.substr(0, seite.size() - 4) + L"xml";
        CNV xml;
        xml.Interpreter_Initialisierung(&Xml());
        FUZZ_PRUEFEN(xml.AusgabeOpen(kopie.c_str(), nullptr, nullptr, false) != 0);
        FUZZ_PRUEFEN(xml.Quelle_OK());
        FUZZ_PRUEFEN(xml.Quelle_Read() != 0);
    });
    Fuzz_Aufraeumen();
    return 0;
}
