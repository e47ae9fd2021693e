// tessar: the program entry. The run itself lives in Lauf(); main only gives
// it a thread with a large stack, because the markup parser recurses once per
// nesting level of a document.
#include <pthread.h>

#include <cstddef>

#include "driver/Lauf.h"
#include "textio/Konsole.h"

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

}  // namespace

int main(int argc, char** argv) {
    Auftrag auftrag{argc, const_cast<char const**>(argv), 0};
    // Address space only: pages are committed as the recursion reaches them.
    constexpr std::size_t stapel = std::size_t{1} << 30;
    pthread_attr_t attr;
    pthread_t thread;
    bool eigener_thread = pthread_attr_init(&attr) == 0 &&
                          pthread_attr_setstacksize(&attr, stapel) == 0 &&
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
