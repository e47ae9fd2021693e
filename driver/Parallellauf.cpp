#include "driver/Parallellauf.h"

#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "base/Konsole.h"

namespace {

// A worker lives for the whole batch and takes one file number after the
// other, so that the memory it has once faulted in serves every later file
// (a process per file spends more on fresh pages than on a small file).
// Per file it sends a head with the counts and the length of the console
// text, then the text.
struct Kopf {
    char marke[8];
    std::int64_t datei;
    std::int64_t verarbeitet;
    std::int64_t fehlerhaft;
    std::int64_t bytes;
    std::int64_t ausgabefehler;
    std::uint64_t laenge;
};
constexpr char MARKE[8] = {'t', 'e', 's', 's', 'a', 'r', '-', 'j'};

struct Arbeiter {
    pid_t pid = -1;
    int auftrag = -1;       // write end: file numbers to the worker
    int ergebnis = -1;      // read end: heads and texts from the worker
    std::int64_t datei = 0;  // the file it works on; 0: none
    std::string eingang;    // bytes received and not yet taken apart
};

struct Ergebnis {
    std::string text;
    Lauf_Bilanz bilanz;
};

void Addieren(Lauf_Bilanz& bilanz, const Lauf_Bilanz& datei) {
    bilanz.verarbeitet += datei.verarbeitet;
    bilanz.fehlerhaft += datei.fehlerhaft;
    bilanz.bytes += datei.bytes;
    bilanz.ausgabefehler = bilanz.ausgabefehler || datei.ausgabefehler;
}

bool Alles_schreiben(int fd, const void* daten, std::size_t n) {
    const char* p = static_cast<const char*>(daten);
    while (n > 0) {
        const ssize_t k = write(fd, p, n);
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) return false;
        p += k;
        n -= static_cast<std::size_t>(k);
    }
    return true;
}

bool Alles_lesen(int fd, void* daten, std::size_t n) {
    char* p = static_cast<char*>(daten);
    while (n > 0) {
        const ssize_t k = read(fd, p, n);
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) return false;
        p += k;
        n -= static_cast<std::size_t>(k);
    }
    return true;
}

void Schliessen(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

[[noreturn]] void Arbeiten(int auftrag, int ergebnis, const Datei_Auftrag& bearbeiten) {
    std::int64_t datei;
    std::string text;
    while (Alles_lesen(auftrag, &datei, sizeof datei)) {
        text.clear();
        Konsole_Umleiten(&text);
        const Lauf_Bilanz b = bearbeiten(datei);
        Konsole_Umleiten(nullptr);
        Kopf k{};
        std::memcpy(k.marke, MARKE, sizeof MARKE);
        k.datei = datei;
        k.verarbeitet = b.verarbeitet;
        k.fehlerhaft = b.fehlerhaft;
        k.bytes = b.bytes;
        k.ausgabefehler = b.ausgabefehler ? 1 : 0;
        k.laenge = text.size();
        if (!Alles_schreiben(ergebnis, &k, sizeof k) || !Alles_schreiben(ergebnis, text.data(), text.size())) break;
    }
    // No exit handlers: the parent's console and files are not the worker's.
    _exit(0);
}

bool Starten(std::vector<Arbeiter>& arbeiter, const Datei_Auftrag& bearbeiten) {
    int hin[2], zurueck[2];
    if (pipe(hin) != 0) return false;
    if (pipe(zurueck) != 0) {
        close(hin[0]);
        close(hin[1]);
        return false;
    }
    // Text still buffered here would otherwise be shown by the worker too.
    Konsole_Flush();
    const pid_t pid = fork();
    if (pid < 0) {
        for (int fd : {hin[0], hin[1], zurueck[0], zurueck[1]}) close(fd);
        return false;
    }
    if (pid == 0) {
        for (Arbeiter& a : arbeiter) {
            Schliessen(a.auftrag);
            Schliessen(a.ergebnis);
        }
        close(hin[1]);
        close(zurueck[0]);
        Arbeiten(hin[0], zurueck[1], bearbeiten);
    }
    close(hin[0]);
    close(zurueck[1]);
    Arbeiter a;
    a.pid = pid;
    a.auftrag = hin[1];
    a.ergebnis = zurueck[0];
    arbeiter.push_back(std::move(a));
    return true;
}

// A worker that has gone (it died, or its pipe broke): the file it was on
// counts as failed, with the line of a failed file after what it had sent.
void Beenden(Arbeiter& a, std::map<std::int64_t, Ergebnis>& fertig) {
    if (a.datei != 0) {
        Ergebnis& e = fertig[a.datei];
        if (a.eingang.size() > sizeof(Kopf)) e.text.assign(a.eingang, sizeof(Kopf));
        e.text += "FEHLER: Es ist ein Fehler aufgetreten.\n";
        e.bilanz = Lauf_Bilanz{1, 1, 0, false};
        a.datei = 0;
    }
    Schliessen(a.auftrag);
    Schliessen(a.ergebnis);
    int status;
    while (waitpid(a.pid, &status, 0) < 0 && errno == EINTR) {
    }
    a.pid = -1;
}

// Reads what the worker has sent; a whole file's head and text make its
// result.
void Empfangen(Arbeiter& a, std::map<std::int64_t, Ergebnis>& fertig) {
    char puffer[1 << 16];
    const ssize_t n = read(a.ergebnis, puffer, sizeof puffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
    if (n <= 0) {
        Beenden(a, fertig);
        return;
    }
    a.eingang.append(puffer, static_cast<std::size_t>(n));
    if (a.eingang.size() < sizeof(Kopf)) return;
    Kopf k;
    std::memcpy(&k, a.eingang.data(), sizeof k);
    if (std::memcmp(k.marke, MARKE, sizeof MARKE) != 0 || k.datei != a.datei) {
        Beenden(a, fertig);
        return;
    }
    if (a.eingang.size() - sizeof k < k.laenge) return;
    Ergebnis& e = fertig[a.datei];
    e.text.assign(a.eingang, sizeof k, k.laenge);
    e.bilanz = Lauf_Bilanz{k.verarbeitet, k.fehlerhaft, k.bytes, k.ausgabefehler != 0};
    a.eingang.clear();
    a.datei = 0;
}

// Hands the worker its next file. A worker that has gone cannot take it;
// its broken pipe must not end this process.
bool Vergeben(Arbeiter& a, std::int64_t datei) {
    struct sigaction ignorieren {}, vorher {};
    ignorieren.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignorieren, &vorher);
    const bool ok = Alles_schreiben(a.auftrag, &datei, sizeof datei);
    sigaction(SIGPIPE, &vorher, nullptr);
    if (ok) a.datei = datei;
    return ok;
}

}  // namespace

void Parallel_Bearbeiten(std::int64_t anzahl, int prozesse, Lauf_Bilanz& bilanz, const Datei_Auftrag& bearbeiten) {
    std::vector<Arbeiter> arbeiter;
    const std::int64_t gewollt = prozesse < anzahl ? prozesse : anzahl;
    while (static_cast<std::int64_t>(arbeiter.size()) < gewollt && Starten(arbeiter, bearbeiten)) {
    }
    std::map<std::int64_t, Ergebnis> fertig;  // results not yet shown
    std::int64_t vergeben = 1, gezeigt = 1;    // next file to hand out, to show
    std::vector<pollfd> warten;
    std::vector<Arbeiter*> wartende;
    while (gezeigt <= anzahl) {
        bool lebend = false;
        for (Arbeiter& a : arbeiter) {
            if (a.pid < 0) continue;
            if (a.datei == 0 && vergeben <= anzahl) {
                if (Vergeben(a, vergeben))
                    ++vergeben;
                else
                    Beenden(a, fertig);
            }
            lebend = lebend || a.pid >= 0;
        }
        warten.clear();
        wartende.clear();
        for (Arbeiter& a : arbeiter) {
            if (a.pid < 0 || a.datei == 0) continue;
            warten.push_back(pollfd{a.ergebnis, POLLIN, 0});
            wartende.push_back(&a);
        }
        if (!warten.empty() && poll(warten.data(), warten.size(), -1) > 0) {
            for (std::size_t i = 0; i < warten.size(); ++i)
                if (warten[i].revents != 0) Empfangen(*wartende[i], fertig);
        }
        for (auto it = fertig.begin(); it != fertig.end() && it->first == gezeigt; it = fertig.erase(it), ++gezeigt) {
            Konsole_Bytes(it->second.text.data(), it->second.text.size());
            Addieren(bilanz, it->second.bilanz);
        }
        // No worker left (none could be started, or all have gone): every
        // file handed out is shown by now, and the rest run here in order.
        if (!lebend && warten.empty() && fertig.empty()) {
            for (; vergeben <= anzahl; ++vergeben) Addieren(bilanz, bearbeiten(vergeben));
            gezeigt = vergeben;
        }
    }
    for (Arbeiter& a : arbeiter)
        if (a.pid >= 0) Beenden(a, fertig);
}

int Prozessoranzahl() {
    cpu_set_t menge;
    if (sched_getaffinity(0, sizeof menge, &menge) == 0 && CPU_COUNT(&menge) > 0) return CPU_COUNT(&menge);
    const long n = sysconf(_SC_NPROCESSORS_ONLN);
    return n > 0 ? static_cast<int>(n) : 1;
}
