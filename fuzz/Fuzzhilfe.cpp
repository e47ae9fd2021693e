#include "fuzz/Fuzzhilfe.h"

#include <dirent.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/LANG.h"
#include "base/Zeichenwandlung.h"

namespace {

std::string ordner_erstellen() {
    const char* basis = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : nullptr;
    if (basis == nullptr) basis = std::getenv("TMPDIR") != nullptr ? std::getenv("TMPDIR") : "/tmp";
    std::string vorlage = std::string(basis) + "/tessar-fuzz-XXXXXX";
    if (mkdtemp(vorlage.data()) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    return vorlage;
}

void ordner_leeren(const std::string& ordner) {
    DIR* d = opendir(ordner.c_str());
    if (d == nullptr) return;
    while (dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        const std::string pfad = ordner + "/" + name;
        if (unlink(pfad.c_str()) != 0) {
            // Only files belong here; a folder would be a fault of the run.
            ordner_leeren(pfad);
            rmdir(pfad.c_str());
        }
    }
    closedir(d);
}

}  // namespace

void Fuzz_Start() {
    static const bool einmal = [] {
        Locale_Start();
        return true;
    }();
    (void)einmal;
}

const std::string& Fuzz_Ordner() {
    // Never destroyed: the exit handler that removes the folder runs after
    // the destructors of statics.
    static const std::string* ordner = [] {
        auto* o = new std::string(ordner_erstellen());
        std::atexit([] {
            ordner_leeren(Fuzz_Ordner());
            rmdir(Fuzz_Ordner().c_str());
        });
        return o;
    }();
    return *ordner;
}

std::wstring Fuzz_Datei(const char* name, const std::uint8_t* data, std::size_t size) {
    const std::string pfad = Fuzz_Ordner() + "/" + name;
    std::FILE* f = std::fopen(pfad.c_str(), "wb");
    if (f == nullptr || (size > 0 && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0) {
        std::perror(pfad.c_str());
        std::abort();
    }
    return SchmalZuBreit(pfad.c_str());
}

void Fuzz_Aufraeumen() { ordner_leeren(Fuzz_Ordner()); }

void Fuzz_Mit_Stapel(const std::function<void()>& f) {
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, std::size_t{1} << 30);
    pthread_t thread;
    auto lauf = [](void* p) -> void* {
        (*static_cast<const std::function<void()>*>(p))();
        return nullptr;
    };
    if (pthread_create(&thread, &attr, lauf, const_cast<std::function<void()>*>(&f)) != 0) {
        std::perror("pthread_create");
        std::abort();
    }
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
}

void Fuzz_Verletzt(const char* was) {
    std::fprintf(stderr, "Invariante verletzt: %s\n", was);
    std::abort();
}
