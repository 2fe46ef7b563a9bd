// Depth-first search for a code whose every `window` consecutive steps flip different bits.
//
// It looks ahead: a necklace that is off the path and keeps fewer than two ways into the cycle
// (free neighbours, the end, the start) can never be visited, and only E - m even and O - m odd
// necklaces may be left out; a move that would strand more is not made. Among the moves left
// it tries the necklaces with the fewest free neighbours first.
//
// Exhaustive mode visits every code once up to its rotations, so running out proves that none
// exists: the walk starts at the smallest even necklace it visits, read as its
// representative, and of the two directions round the cycle it takes the one whose last
// necklace is the larger odd one. Random mode starts anywhere, breaks ties at random and
// begins afresh after a fixed amount of work, which finds codes far sooner.
#pragma once

#include <cstdint>
#include <vector>

#include "gen/necklace.h"
#include "gen/run_window.h"

class window_dfs {
  public:
    enum class outcome { found, exhausted, paused };
    enum class mode { exhaustive, random };

    // Tables built for n heads and their graph; 2 <= m <= E; window >= 2. The seed serves
    // random mode only.
    window_dfs(const stgc& tables, const necklace_graph& graph, int m, int window, mode how,
               uint64_t seed = 0);

    // Goes on from where the last call left off for up to `chunk` units of work spent on
    // `meter`: found (the cycle in `found`; a later call goes on searching), exhausted (no
    // code exists; exhaustive mode only), or paused (the chunk or the meter ran out).
    outcome run(run_meter& meter, long long chunk, window_cycle& found);

  private:
    bool begin();
    void end_all();
    void push(int word, int node, int bit);
    void pop();
    void list_moves();
    bool closes(int bit, int* sh) const;
    uint32_t closing_shifts(uint32_t open, int k, int bit) const;
    bool stranded(int node) const { return fd_[node] + adjacent_start_[node] < 2; }

    const stgc& tables_;
    const necklace_graph& graph_;
    const int n_, m_, length_, window_;
    const bool exhaustive_;
    run_random random_;

    int start_ = -1; // the start's even necklace
    int depth_ = -1; // index of the last reading on the path; -1 between starts
    std::vector<int> words_, nodes_, bits_;
    std::vector<int> moves_; // per depth, up to n candidate bits in trial order
    std::vector<int> move_count_, next_move_;
    std::vector<int> dead_added_; // per depth: necklaces stranded by its push
    std::vector<char> used_, adjacent_start_, closer_;
    std::vector<int> fd_;                  // free neighbours of every necklace
    std::vector<uint32_t> closing_shifts_; // per depth: rotations Sh the closure may still have
    int dead_[2] = {0, 0};                 // stranded free necklaces, even and odd
    int spare_[2] = {0, 0};                // how many may be left out
    int closers_free_ = 0;
    long long restart_work_ = 0; // random mode: work in this attempt
};
