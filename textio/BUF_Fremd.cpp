// Reading in an encoding that the program knows only by its name: the raw
// bytes go through iconv in large blocks, straight into the text.
#include <cstring>
#include <cwchar>
#include <vector>

#include "base/Konsole.h"
#include "textio/BUF.h"
#include "textio/Dekoder.h"
#include "textio/Fremdkodierung.h"

namespace {

// The raw bytes are copied out block by block: the text grows over the
// place they had. Each block goes to iconv in pieces, each into a scratch
// area with room for sixteen characters a byte, so that iconv never runs
// out of room inside a sequence (some of its converters lose characters
// then); the characters are then moved into the text.
constexpr std::size_t BLOCK = std::size_t{1} << 16;
constexpr std::size_t STUECK = std::size_t{1} << 12;
constexpr std::size_t ZWISCHEN = 16 * STUECK;

constexpr const wchar_t* NICHT_EINGELESEN = L"Die Datei '%ls' konnte nicht in den Puffer eingelesen werden";

// The name as it stood in the file or the script; its bytes are shown as
// the characters of the same codes.
std::wstring breit(const std::string& name) {
    std::wstring w;
    for (unsigned char c : name) w.push_back(static_cast<wchar_t>(c));
    return w;
}

// Characters that fit behind the `o` stored ones: up to the first byte not
// yet copied, and within the allocation of `kapazitaet` characters with one
// place kept for the terminator (which is written when every byte is read).
std::size_t platz_bis(const wchar_t* text, std::size_t o, const unsigned char* ungelesen, std::size_t kapazitaet) {
    const auto frei = ungelesen - reinterpret_cast<const unsigned char*>(text + o);
    const std::size_t bis_ungelesen = frei > 0 ? static_cast<std::size_t>(frei) / sizeof(wchar_t) : 0;
    const std::size_t bis_ende = kapazitaet > o + 1 ? kapazitaet - o - 1 : 0;
    return bis_ungelesen < bis_ende ? bis_ungelesen : bis_ende;
}

}  // namespace

// One byte, one character: the table decodes in place, each character
// stored no earlier than its byte is read, as single bytes are.
int BUF::tafel_dekodieren(const std::int32_t* tafel, const std::wstring& wname) {
    Dekoderposition pos;
    bool gut = true;
    std::size_t o = 0;
    for (std::uint64_t i = 0; i < raw_length; ++i) {
        const std::int32_t c = tafel[raw[i]];
        if (c > 0 || (c == 0 && ersetzend)) {
            text[o++] = static_cast<wchar_t>(c);
        } else if (c < 0 && ersetzend) {
            text[o++] = static_cast<wchar_t>(0xFFFD);
        } else if (c < 0) {
            Dekoder_Bytes_melden(wname.c_str(), raw + i, 1, false);
            pos.melden(text, o);
            text[o++] = static_cast<wchar_t>(0xFFFD);
            gut = false;
        } else {
            Konsole_Text(L"FEHLER: Das Zeichen '0' ist ungültig (<32).\n");
            pos.melden(text, o);
            Konsole_Text(L"Abbruch.\n");
            gut = false;
            break;
        }
    }
    return abschliessen(o, gut, false);
}

// Bytes that are invalid in the encoding are reported like invalid UTF-8
// (when decoding replaces, they only become U+FFFD and a 0 stays):
// iconv names no sequence lengths, so each byte it stops at is one
// sequence, except at the end of the file, where the whole unfinished rest
// is. A 0 character ends the decoding, as in single-byte reading.
int BUF::fremd_dekodieren(const std::string& name) {
    FREMDKODIERUNG kodierung(name);
    const std::wstring wname = breit(name);
    if (!kodierung.Lesbar()) {
        Konsole_Print(L"FEHLER: Die Kodierung '%ls' wird nicht unterstützt.\n", wname.c_str());
        length = 0;
        melden(12019, NICHT_EINGELESEN);
        return status;
    }
    decoding = ENC_NAMED;
    kodierungsname = name;
    if (const std::int32_t* tafel = kodierung.Bytetafel()) return tafel_dekodieren(tafel, wname);

    std::vector<unsigned char> block(BLOCK);
    std::vector<wchar_t> zwischen(ZWISCHEN);
    const unsigned char* ungelesen = raw;  // the first byte not yet copied into the block
    std::size_t rest = raw_length;         // bytes from there to the end
    std::size_t uebertrag = 0;             // bytes of a cut sequence at the block's start
    std::size_t o = 0;                     // characters stored
    Dekoderposition pos;
    bool gut = true;
    bool abbruch = false;

    // Moves n characters into the text, growing the allocation where a byte
    // gave more than one; false when memory runs out.
    auto speichern = [&](const wchar_t* zeichen, std::size_t n) {
        while (platz_bis(text, o, ungelesen, text_groesse_ / sizeof(wchar_t)) < n)
            if (!text_vergroessern(o, ungelesen, rest)) return false;
        std::wmemcpy(text + o, zeichen, n);
        o += n;
        return true;
    };
    auto ungueltig = [&](const unsigned char* bytes, std::size_t anzahl, bool am_ende) {
        const wchar_t ersatz = static_cast<wchar_t>(0xFFFD);
        if (ersetzend) return speichern(&ersatz, 1);
        Dekoder_Bytes_melden(wname.c_str(), bytes, anzahl, am_ende);
        pos.melden(text, o);
        gut = false;
        return speichern(&ersatz, 1);
    };

    while ((rest > 0 || uebertrag > 0) && !abbruch) {
        const std::size_t neu = rest < BLOCK - uebertrag ? rest : BLOCK - uebertrag;
        std::memcpy(block.data() + uebertrag, ungelesen, neu);
        ungelesen += neu;
        rest -= neu;
        const unsigned char* p = block.data();
        std::size_t n = uebertrag + neu;
        uebertrag = 0;
        while (n > 0 && !abbruch) {
            const std::size_t stueck = n < STUECK ? n : STUECK;
            std::size_t offen = stueck;
            wchar_t* aus = zwischen.data();
            std::size_t frei = zwischen.size();
            const FREMDKODIERUNG::Halt halt = kodierung.Dekodieren(p, offen, aus, frei);
            n -= stueck - offen;
            const std::size_t erzeugt = static_cast<std::size_t>(aus - zwischen.data());
            const wchar_t* null = ersetzend ? nullptr : std::wmemchr(zwischen.data(), 0, erzeugt);
            if (null != nullptr) {
                // A 0 character ends the text, as in single-byte reading.
                if (!speichern(zwischen.data(), static_cast<std::size_t>(null - zwischen.data()))) break;
                Konsole_Text(L"FEHLER: Das Zeichen '0' ist ungültig (<32).\n");
                pos.melden(text, o);
                Konsole_Text(L"Abbruch.\n");
                gut = false;
                abbruch = true;
                break;
            }
            if (!speichern(zwischen.data(), erzeugt)) {
                abbruch = true;
                break;
            }
            if (halt == FREMDKODIERUNG::FERTIG || halt == FREMDKODIERUNG::VOLL) continue;
            // A sequence cut by the end of the piece: the next piece holds
            // the rest (it begins where this one stopped).
            if (halt == FREMDKODIERUNG::UNVOLLSTAENDIG && offen < n && offen < stueck) continue;
            if (halt == FREMDKODIERUNG::UNVOLLSTAENDIG && rest > 0 && n < BLOCK / 2) {
                // The sequence goes on in the next block.
                std::memmove(block.data(), p, n);
                uebertrag = n;
                break;
            }
            const bool am_ende = halt == FREMDKODIERUNG::UNVOLLSTAENDIG && rest == 0;
            const std::size_t anzahl = am_ende ? n : 1;
            if (!ungueltig(p, anzahl, am_ende)) abbruch = true;
            p += anzahl;
            n -= anzahl;
        }
    }
    return abschliessen(o, gut, abbruch);
}

int BUF::abschliessen(std::size_t o, bool gut, bool abbruch) {
    text[o] = 0;
    length = o;
    if (abbruch && gut) {
        // Memory ran out while the text grew.
        length = 0;
        melden(12004, L"Arbeitsspeicher unzureichend für den Puffer für die Datei '%ls'.");
        return status;
    }
    if (!gut) {
        length = 0;
        melden(12019, NICHT_EINGELESEN);
        return status;
    }
    return 0;
}
