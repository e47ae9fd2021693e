#pragma once
// What every fuzz target needs: the program's locale, a working folder of
// its own for the files a run reads and writes, and the program's large
// stack. Each target defines LLVMFuzzerTestOneInput; libFuzzer drives it
// when fuzzing, Wiederholen.cpp when the saved inputs are replayed.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Sets the locale as the program does at start; once per process.
void Fuzz_Start();

// The folder for one process's files: on a memory file system when there
// is one, removed with everything in it when the process ends.
const std::string& Fuzz_Ordner();
// Writes the bytes into the folder under the name; the full path, wide.
std::wstring Fuzz_Datei(const char* name, const std::uint8_t* data, std::size_t size);
// Removes every file the last input left behind, so that no input sees
// what an earlier one wrote.
void Fuzz_Aufraeumen();

// Runs f on a thread with the program's 1 GiB stack (address space only),
// as the program runs its work.
void Fuzz_Mit_Stapel(const std::function<void()>& f);

// A broken invariant: reported like a crash, so that libFuzzer keeps the input.
[[noreturn]] void Fuzz_Verletzt(const char* was);
#define FUZZ_PRUEFEN(bedingung) \
    do {                         \
        if (!(bedingung)) Fuzz_Verletzt(#bedingung); \
    } while (0)
