#pragma once
// Shards (-shard=K/N): the files of a run fall into N disjoint parts, and a
// run with the switch converts the K-th part only. A file's part follows
// from a hash of its path relative to the base directory and from nothing
// else, so it is the same on every machine and does not change when files
// come or go elsewhere; the hash spreads the files evenly over the parts.
#include <cstdint>
#include <string>

constexpr std::int64_t TEILUNG_MAX = 999999;

struct Teilung {
    std::int64_t k = 1;
    std::int64_t n = 1;
};

// "K/N" with whole numbers 1 <= K <= N <= TEILUNG_MAX; false for anything else.
bool Teilung_Lesen(const std::wstring& text, Teilung& teilung);

// The part (1 to n) of a file, by its path relative to the base directory.
std::int64_t Teilung_Teil(const std::wstring& relativ, std::int64_t n);

// The path below the base directory, or the whole path when it lies outside.
std::wstring Teilung_Relativ(const std::wstring& pfad, const std::wstring& basis);
