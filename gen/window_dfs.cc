#include "gen/window_dfs.h"

window_dfs::window_dfs(const stgc& tables, int m, int window)
    : tables_(tables), n_(tables.heads), m_(m), length_(2 * m), window_(window),
      words_(static_cast<std::size_t>(2 * m)), nodes_(words_.size()), bits_(words_.size()),
      next_bit_(words_.size()),
      used_(static_cast<std::size_t>(tables.even_count + tables.odd_count), 0),
      closer_(used_.size(), 0) {}

// Moves to the next even necklace that can still be the smallest one of a cycle of m.
bool window_dfs::next_start() {
    ++start_;
    if (start_ + m_ > tables_.even_count) return false;
    push(tables_.even_necklaces[start_], start_, -1);
    return true;
}

void window_dfs::push(int word, int node, int bit) {
    ++depth_;
    words_[depth_] = word;
    nodes_[depth_] = node;
    next_bit_[depth_] = 0;
    if (depth_ > 0) bits_[depth_ - 1] = bit;
    used_[node] = 1;
    if (closer_[node]) --closers_free_;
    if (depth_ != 1) return;
    // The second necklace fixes the direction: the last one must be a larger odd neighbour.
    for (int u = 0; u < static_cast<int>(closer_.size()); ++u) closer_[u] = 0;
    closers_free_ = 0;
    const int start_word = tables_.even_necklaces[start_];
    for (int b = 0; b < n_; ++b) {
        int index, rotation;
        if (!tables_.locate(start_word ^ (1 << b), &index, &rotation)) continue;
        const int u = tables_.even_count + index;
        if (u > node && !closer_[u]) {
            closer_[u] = 1;
            ++closers_free_;
        }
    }
}

void window_dfs::pop() {
    const int node = nodes_[depth_];
    used_[node] = 0;
    if (closer_[node]) ++closers_free_;
    --depth_;
}

// Whether flipping `bit` of the last word returns to the start's necklace with a rotation
// coprime with n and the window kept across the closure.
bool window_dfs::closes(int bit, int& sh) const {
    int index, rotation;
    if (!tables_.locate(words_[depth_] ^ (1 << bit), &index, &rotation) || index != start_ ||
        NOD(rotation, n_) != 1)
        return false;
    sh = rotation;
    const auto bit_at = [&](int k) { return k < length_ - 1 ? bits_[k] : bit; };
    return closure_keeps_window(bit_at, length_, sh, n_, window_);
}

window_dfs::outcome window_dfs::run(run_meter& meter, long long chunk, window_cycle& found) {
    const long long until = meter.work() + chunk;
    for (;;) {
        if (!meter.spend(1) || meter.work() >= until) return outcome::paused;
        if (depth_ < 0 && !next_start()) return outcome::exhausted;
        if (next_bit_[depth_] == n_) {
            pop();
            continue;
        }
        const int bit = next_bit_[depth_]++;
        const int first = depth_ - window_ + 1 > 0 ? depth_ - window_ + 1 : 0;
        bool repeats = false;
        for (int k = first; k < depth_ && !repeats; ++k) repeats = bits_[k] == bit;
        if (repeats) continue;
        if (depth_ == length_ - 1) {
            int sh;
            if (!closes(bit, sh)) continue;
            found.words.assign(words_.begin(), words_.end());
            found.sh = sh;
            return outcome::found;
        }
        const int word = words_[depth_] ^ (1 << bit);
        int index, rotation;
        if (!tables_.locate(word, &index, &rotation)) continue;
        const bool even = (depth_ + 1) % 2 == 0;
        const int node = even ? index : tables_.even_count + index;
        if (used_[node] || (even && index < start_)) continue;
        if (depth_ + 1 == length_ - 1 && !closer_[node]) continue;
        push(word, node, bit);
        if (depth_ >= 2 && depth_ < length_ - 1 && closers_free_ == 0) pop();
    }
}
