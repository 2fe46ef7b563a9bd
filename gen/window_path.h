// Randomised search for a code whose every `window` consecutive steps flip different bits: a
// path of readings through different necklaces is grown at either end and, when both ends are
// stuck, rotated (Posa): an edge from the end back to reading i turns p0..pi pi+1..pend into
// p0..pi pend..pi+1, the reversed stretch read rotated so that the edge is one bit flip. Inside
// the stretch the flipped bits are the same ones reversed and shifted alike, so only windows
// across the new edge need checking. A full path closes when its end flips back to the start's
// necklace with a rotation coprime with n and the window holds across the closure. A path that
// gets nowhere for long is dropped for a fresh one.
#pragma once

#include <cstdint>
#include <vector>

#include "gen/necklace.h"
#include "gen/run_window.h"

class window_path {
  public:
    enum class outcome { found, paused };

    // Tables built for n heads; 2 <= m <= E; window >= 2.
    window_path(const stgc& tables, int m, int window, uint64_t seed);

    // Goes on for up to `chunk` units of work spent on `meter`; found leaves the cycle in
    // `found` (a later call starts a fresh path).
    outcome run(run_meter& meter, long long chunk, window_cycle& found);

  private:
    struct pivot {
        int at;    // the reading the end is joined to
        int shift; // the reversed stretch is read rotated back by this much
        int bit;   // the end's bit that makes the join
    };

    int node_of(int word, int* rotation) const;
    bool fits_end(int bit) const;
    void push(int word);
    void truncate(int length);
    void shorten();
    void reverse_path();
    int closing_bit(int* sh) const;
    bool junction_keeps_window(const pivot& p) const;
    bool useful_after(const pivot& p, bool closing) const;
    int new_bit(const pivot& p, int k) const;
    bool rotate(bool closing);
    void apply(const pivot& p);
    bool extend();
    bool start_can_grow() const;

    const stgc& tables_;
    const int n_, length_, window_;
    run_random random_;
    std::vector<int> words_, rotations_, nodes_, bits_;
    std::vector<int> where_;
    int longest_ = 0; // longest path since the last shortening
    long stall_ = 0;  // rotations since the path last grew past longest_
    long closing_stall_ = 0;
    int last_pivot_ = -1;        // the pivot of the last change if it was a rotation
    long long attempt_work_ = 0; // work since the path was last begun afresh
    const long long attempt_limit_;
};
