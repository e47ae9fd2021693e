// tessar: the program entry. The run itself lives in Lauf(); main only gives
// it a thread with a large stack, because the markup parser recurses once per
// nesting level of a document.
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>

#include "driver/Lauf.h"
#include "base/Konsole.h"

namespace {

struct Auftrag {
    int argc;
    char const** argv;
    int rc;
};

void* starte_lauf(void* p) {
    auto* auftrag = static_cast<Auftrag*>(p);
    auftrag->rc = Lauf(auftrag->argc, auftrag->argv);
    return nullptr;
}

// The stack is mapped here rather than by the thread library, so that it
// can ask for huge pages: a deeply nested document walks megabytes of
// frames down and up again, and in 4 KB pages nearly every frame costs a
// TLB miss. Address space only: pages are committed as the recursion
// reaches them. The lowest page stays a guard.
void* stapel_abbilden(std::size_t groesse) {
    void* p = mmap(nullptr, groesse, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK,
                   -1, 0);
    if (p == MAP_FAILED) return nullptr;
#if defined(MADV_HUGEPAGE)
    madvise(p, groesse, MADV_HUGEPAGE);
#endif
    mprotect(p, static_cast<std::size_t>(sysconf(_SC_PAGESIZE)), PROT_NONE);
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    Auftrag auftrag{argc, const_cast<char const**>(argv), 0};
    constexpr std::size_t stapel = std::size_t{1} << 30;
    pthread_attr_t attr;
    pthread_t thread;
    void* speicher = stapel_abbilden(stapel);
    bool eigener_thread = pthread_attr_init(&attr) == 0 &&
                          (speicher != nullptr ? pthread_attr_setstack(&attr, speicher, stapel) == 0
                                               : pthread_attr_setstacksize(&attr, stapel) == 0) &&
                          pthread_create(&thread, &attr, starte_lauf, &auftrag) == 0;
    if (eigener_thread) {
        pthread_join(thread, nullptr);
    } else {
        starte_lauf(&auftrag);
    }
    pthread_attr_destroy(&attr);
    Konsole_Flush();
    return auftrag.rc;
}
