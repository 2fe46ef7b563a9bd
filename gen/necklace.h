// Binary necklaces of n-bit words split by parity, the bit helpers of code generation and the
// one table holder `perebor`. A word lives in the low n bits of an int; bit n-1 is its first
// letter, so integer order is lexicographic order. A necklace is named by its smallest rotation.
#pragma once

#include <cstdint>
#include <vector>

// The head counts the generation commands accept; the tables are built for these only.
constexpr int kMinHeads = 3;
constexpr int kMaxHeads = 20;

// Rotates the n-bit word one place to the left in place (bit n-1 moves to bit 0).
void shift(int* word, int n);
// The word rotated `times` places to the left (any times >= 0); word must be below 2^n.
int rotated(int word, int times, int n);
// 1 when value (>= 0) has an even number of 1-bits (0 counts as even), else 0.
unsigned char chetny(int value);
// The number of 1-bits of value; 0 for every value <= 0.
int bits_in(int value);
// Greatest common divisor of two non-negative numbers; NOD(0, b) = b.
int NOD(int a, int b);

class stgc {
  public:
    int even_count = 0;
    int odd_count = 0;
    int* even_necklaces = nullptr; // ascending representatives of even weight
    int* odd_necklaces = nullptr;  // ascending representatives of odd weight
    int heads = 0;
    int quality = 0;

    stgc() = default;
    ~stgc();
    stgc(const stgc&) = delete;
    stgc& operator=(const stgc&) = delete;

    // Builds and lists the tables for n heads, releasing any held before. For n outside
    // 1..kMaxHeads the tables stay empty (counts 0). Throws std::bad_alloc with nothing held.
    void make_tree(int n);
    // The same tables built without a message, for searches that report in their own way.
    void make_tables(int n);
    // Releases the tables; safe to call twice.
    void delete_tree();

    // Searches a code of quality Q with the tables, installs it as the current code and releases
    // the tables on every path; true when a new code was installed.
    bool process(int Q);
    // Installs a two-run code of quality 2n (first run 3, 5, ... or 2n - 3, at random).
    void simple_algorithm();
    // Shortens a partial cycle of *pos entries by a random number of entries (at least one).
    void back(int* pos);

    // Finds the necklace of an n-bit word: its index in the table of the word's parity and the
    // rotation s with word = rotated(representative, s). False for a periodic word.
    bool locate(int word, int* index, int* rotation) const {
        int32_t v = place_[static_cast<std::size_t>(word)];
        if (v < 0) return false;
        *index = v >> 5;
        *rotation = v & 31;
        return true;
    }
    // The representative word of node x of the necklace graph: evens are 0..E-1, odds E..E+O-1.
    int node_word(int x) const {
        return x < even_count ? even_necklaces[x] : odd_necklaces[x - even_count];
    }

  private:
    // For every n-bit word: index * 32 + rotation of its necklace, or -1 for a periodic word.
    std::vector<int32_t> place_;
};

extern stgc perebor;

// Seeds the random generator from the clock, builds the tables of `perebor` for n heads and
// stores the largest quality 2 * E * n through max_quality. Returns 0.
int algorithm1(int n, int* max_quality);
// The same with a chosen seed instead of the clock: a seed always gives the same code.
int algorithm1(int n, int* max_quality, unsigned seed);
// Releases the tables of `perebor`. Returns 0.
int undo_alg1();
