#pragma once
// The error messages of one file's conversion, kept so that none floods the
// console. A message is its line, the place it names and the place on the
// other side: one about the script is told apart by the document element
// being converted when it arose, one about the document by the script
// place of the message about the script before it (the rule that failed).
// Each message is shown once; one text from one script place is shown for
// at most GRENZE places on the other side, and Bilanz then says how many
// more there were.
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class MELDUNGEN {
public:
    static constexpr int GRENZE = 10;

    // Whether the message is to be printed; `skript`: it names a place in
    // the script.
    bool Zeigen(const std::wstring& zeile, const void* stelle, bool skript);
    // Whether the last message asked about was shown (its hints go with it).
    bool Zuletzt_gezeigt() const { return zuletzt_gezeigt_; }
    // One hint per message text that was held back, with the count; then
    // everything is forgotten.
    void Bilanz();

    // The start of the element being converted; set by the conversion.
    const void* element = nullptr;

private:
    struct Gruppe {
        std::wstring zeile;  // the line as first shown, without its line end
        int gezeigt = 0;
        long long zurueckgehalten = 0;
    };
    std::unordered_set<std::uint64_t> gesehen_;
    std::unordered_map<std::uint64_t, std::size_t> gruppe_von_;
    std::vector<Gruppe> gruppen_;
    bool zuletzt_gezeigt_ = true;
    const void* skriptstelle_ = nullptr;  // the place of the last message about the script
};
