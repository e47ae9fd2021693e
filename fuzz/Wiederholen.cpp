// Replays saved inputs through a fuzz target without fuzzing: the test run
// builds each target with this main and hands it the saved corpus and
// every input that once made a target fail. Arguments are files or
// folders (all files in them); the console text of the runs is dropped
// unless -v comes first. A failing input aborts the process like in the
// fuzzer, so the last name printed on standard error is the culprit.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void sammeln(const std::string& pfad, std::vector<std::string>& dateien) {
    struct stat info;
    if (stat(pfad.c_str(), &info) != 0) {
        std::fprintf(stderr, "nicht gefunden: %s\n", pfad.c_str());
        std::exit(2);
    }
    if (!S_ISDIR(info.st_mode)) {
        dateien.push_back(pfad);
        return;
    }
    DIR* d = opendir(pfad.c_str());
    if (d == nullptr) return;
    std::vector<std::string> namen;
    while (dirent* e = readdir(d))
        if (e->d_name[0] != '.') namen.push_back(pfad + "/" + e->d_name);
    closedir(d);
    std::sort(namen.begin(), namen.end());
    for (const std::string& n : namen) sammeln(n, dateien);
}

}  // namespace

int main(int argc, char** argv) {
    int erstes = 1;
    const bool laut = argc > 1 && std::strcmp(argv[1], "-v") == 0;
    if (laut) ++erstes;
    std::vector<std::string> dateien;
    for (int i = erstes; i < argc; ++i) sammeln(argv[i], dateien);
    // The program's console goes to standard output; only the verdict matters here.
    if (!laut && std::freopen("/dev/null", "w", stdout) == nullptr) return 2;
    for (const std::string& datei : dateien) {
        if (laut) std::fprintf(stderr, "%s\n", datei.c_str());
        std::ifstream in(datei, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // Exactly as large as the input, as libFuzzer gives it, so that a
        // read past its end is caught here too.
        std::vector<std::uint8_t> kopie(bytes.begin(), bytes.end());
        kopie.shrink_to_fit();
        LLVMFuzzerTestOneInput(kopie.data(), kopie.size());
    }
    std::fprintf(stderr, "%s: %zu Eingaben ohne Befund\n", argv[0], dateien.size());
    return 0;
}
