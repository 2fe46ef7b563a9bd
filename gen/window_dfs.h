// Exhaustive search for a code whose every `window` consecutive steps flip different bits:
// it either finds one or proves that none exists. Symmetries are broken so that each code is
// met once up to its rotations: the walk starts at the smallest even necklace it visits, read
// as its representative, and of the two directions round the cycle the one whose second
// necklace is the smaller odd one is taken.
#pragma once

#include <vector>

#include "gen/necklace.h"
#include "gen/run_window.h"

class window_dfs {
  public:
    enum class outcome { found, exhausted, paused };

    // Tables built for n heads; 2 <= m <= E; window >= 2.
    window_dfs(const stgc& tables, int m, int window);

    // Goes on from where the last call left off for up to `chunk` units of work spent on
    // `meter`: found (the cycle in `found`), exhausted (no code exists, nothing was missed),
    // or paused (the chunk or the meter ran out; call again to continue).
    outcome run(run_meter& meter, long long chunk, window_cycle& found);

  private:
    bool next_start();
    void push(int word, int node, int bit);
    void pop();
    bool closes(int bit, int& sh) const;

    const stgc& tables_;
    const int n_, m_, length_, window_;
    int start_ = -1;
    int depth_ = -1; // index of the last word on the path; -1 before a start is chosen
    std::vector<int> words_, nodes_, bits_, next_bit_;
    std::vector<char> used_;
    // Odd neighbours of the start with a larger index than the second necklace: the last
    // necklace must be one of them, so a path that has used them all is dead.
    std::vector<char> closer_;
    int closers_free_ = 0;
};
