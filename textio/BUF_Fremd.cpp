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

// Bytes handed to iconv at a time. Each block is copied out of the raw
// bytes first: the text grows over the place the bytes had, and the copy
// lets the converter write up to the first byte not yet copied.
constexpr std::size_t BLOCK = std::size_t{1} << 16;

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

// Bytes that are invalid in the encoding are reported like invalid UTF-8:
// iconv names no sequence lengths, so each byte it stops at is one
// sequence, except at the end of the file, where the whole unfinished rest
// is. A 0 character ends the decoding, as in single-byte reading.
int BUF::fremd_dekodieren(const std::string& name) {
    FREMDKODIERUNG kodierung(name);
    const std::wstring wname = breit(name);
    if (!kodierung.Bereit()) {
        Konsole_Print(L"FEHLER: Die Kodierung '%ls' wird nicht unterstützt.\n", wname.c_str());
        length = 0;
        melden(12019, NICHT_EINGELESEN);
        return status;
    }
    decoding = ENC_NAMED;
    kodierungsname = name;

    std::vector<unsigned char> block(BLOCK);
    const unsigned char* ungelesen = raw;  // the first byte not yet copied into the block
    std::size_t rest = raw_length;         // bytes from there to the end
    std::size_t uebertrag = 0;             // bytes of a cut sequence at the block's start
    std::size_t o = 0;                     // characters stored
    Dekoderposition pos;
    bool gut = true;
    bool abbruch = false;

    // Room for at least one character, after growing the allocation when
    // `wachsen` asks for it or there is none; false when memory runs out.
    auto platz = [&](std::size_t& p, bool wachsen) {
        p = wachsen ? 0 : platz_bis(text, o, ungelesen, text_groesse_ / sizeof(wchar_t));
        while (p == 0) {
            if (!text_vergroessern(o, ungelesen, rest)) return false;
            p = platz_bis(text, o, ungelesen, text_groesse_ / sizeof(wchar_t));
        }
        return true;
    };
    auto ungueltig = [&](const unsigned char* bytes, std::size_t anzahl, bool am_ende) {
        Dekoder_Bytes_melden(wname.c_str(), bytes, anzahl, am_ende);
        pos.melden(text, o);
        text[o++] = static_cast<wchar_t>(0xFFFD);
        gut = false;
    };

    while ((rest > 0 || uebertrag > 0) && !abbruch) {
        const std::size_t neu = rest < BLOCK - uebertrag ? rest : BLOCK - uebertrag;
        std::memcpy(block.data() + uebertrag, ungelesen, neu);
        ungelesen += neu;
        rest -= neu;
        const unsigned char* p = block.data();
        std::size_t n = uebertrag + neu;
        uebertrag = 0;
        const bool null_im_block = std::memchr(p, 0, n) != nullptr;
        bool wachsen = false;
        while (n > 0) {
            std::size_t frei = 0;
            if (!platz(frei, wachsen)) {
                abbruch = true;
                break;
            }
            wchar_t* aus = text + o;
            const FREMDKODIERUNG::Halt halt = kodierung.Dekodieren(p, n, aus, frei);
            const std::size_t bisher = o;
            o = static_cast<std::size_t>(aus - text);
            if (null_im_block) {
                if (const wchar_t* null = std::wmemchr(text + bisher, 0, o - bisher)) {
                    o = static_cast<std::size_t>(null - text);
                    Konsole_Text(L"FEHLER: Das Zeichen '0' ist ungültig (<32).\n");
                    pos.melden(text, o);
                    Konsole_Text(L"Abbruch.\n");
                    gut = false;
                    abbruch = true;
                    break;
                }
            }
            // Full only where a byte gives more than one character.
            wachsen = halt == FREMDKODIERUNG::VOLL;
            if (halt == FREMDKODIERUNG::FERTIG || wachsen) continue;
            if (!platz(frei, false)) {
                abbruch = true;
                break;
            }
            if (halt == FREMDKODIERUNG::UNVOLLSTAENDIG && rest > 0 && n < BLOCK / 2) {
                // The sequence goes on in the next block.
                std::memmove(block.data(), p, n);
                uebertrag = n;
                break;
            }
            const bool am_ende = halt == FREMDKODIERUNG::UNVOLLSTAENDIG && rest == 0;
            const std::size_t anzahl = am_ende ? n : 1;
            ungueltig(p, anzahl, am_ende);
            p += anzahl;
            n -= anzahl;
        }
    }
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
