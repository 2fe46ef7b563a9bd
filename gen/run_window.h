// Pieces shared by the searches for codes with long runs.
//
// A code of n heads and 2m runs is a closed walk through 2m different necklaces: readings
// w_0 .. w_{2m-1}, each one bit flip from the next, and w_{2m} = w_0 rotated Sh places with Sh
// coprime with n. The flipped bits b_k then repeat round the disk shifted by Sh per pass, so
// each head's bit changes at the same gaps as head 0's, and the runs of the track are the gaps
// between the flips of one bit. Hence the shortest run is at least L exactly when every L
// consecutive steps flip L different bits: the searches hold that window as a hard rule.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "gen/necklace.h"

// A small deterministic generator (splitmix64): the searches never touch rand().
class run_random {
  public:
    // Seeds are scrambled first: the state advances by a fixed step, so seeds a step apart
    // would otherwise give the same sequence shifted by one.
    explicit run_random(uint64_t seed) : state_(mix(seed)) {}
    uint64_t next() { return mix(state_ += 0x9e3779b97f4a7c15ull); }
    // Uniform in 0 .. bound-1 (bound > 0); the bias is negligible for the small bounds used.
    int below(int bound) { return static_cast<int>(next() % static_cast<uint64_t>(bound)); }

  private:
    static uint64_t mix(uint64_t z) {
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    uint64_t state_;
};

// Counts work and decides when to stop: after `effort` units when it is positive (so the
// result never depends on the machine), otherwise after `seconds`; should_stop is polled too.
class run_meter {
  public:
    enum class state { running, spent, stopped };

    run_meter(long long effort, double seconds, std::function<bool()> should_stop);
    // Adds work; false once the search must end (then it stays false).
    bool spend(long long units) {
        const long long before = work_;
        work_ += units;
        if ((before >> 10) != (work_ >> 10)) poll();
        return state_ == state::running;
    }
    state status() const { return state_; }
    long long work() const { return work_; }
    double elapsed() const;

  private:
    void poll();

    long long effort_;
    double seconds_;
    std::function<bool()> should_stop_;
    long long work_ = 0;
    state state_ = state::running;
    std::chrono::steady_clock::time_point start_;
};

// The necklace graph as lists of distinct neighbours: nodes 0..E-1 are the even necklaces,
// E..E+O-1 the odd ones; two are neighbours when one bit flip turns one into a rotation of
// the other.
class necklace_graph {
  public:
    explicit necklace_graph(const stgc& tables);
    int nodes() const { return static_cast<int>(start_.size()) - 1; }
    int degree(int x) const { return start_[x + 1] - start_[x]; }
    const int* neighbours(int x) const { return list_.data() + start_[x]; }

  private:
    std::vector<int> start_, list_;
};

// One closed walk: the readings of one pass round the cycle and its rotation Sh.
struct window_cycle {
    std::vector<int> words;
    int sh = 0;
};

// The bit that differs between two words one flip apart.
inline int flipped_bit(int a, int b) {
    return __builtin_ctz(static_cast<unsigned>(a ^ b));
}

// Whether every window of `window` consecutive entries of bits[from .. to) holds different
// values (entries before `from` count as the window's history). Values below 32.
bool windows_distinct(const int* bits, int from, int to, int window);

// Whether a path's bits b_0 .. b_{T-1} (bit(k) gives b_k; the last one closes the path),
// repeated with Sh added on every pass, keep the window across the closure: the windows that
// start at T-window+1 .. T-1. The earlier windows lie inside the path and are the caller's.
template <class Bits>
bool closure_keeps_window(const Bits& bit, int length, int sh, int n, int window) {
    // The last window-1 bits (or all of a short path), then the next passes' first ones.
    int sequence[64];
    const int kept = length < window - 1 ? length : window - 1;
    int size = 0;
    for (int k = length - kept; k < length; ++k)
        sequence[size++] = bit(k);
    for (int k = 0; k < window - 1; ++k)
        sequence[size++] = (bit(k % length) + (k / length + 1) * sh) % n;
    return windows_distinct(sequence, kept, size, window);
}

// The run list of a cycle (first run a gap), or empty when it is not a code of n heads.
std::vector<int> runs_of_cycle(const window_cycle& cycle, int n);
