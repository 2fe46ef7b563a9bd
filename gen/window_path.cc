#include "gen/window_path.h"

#include <algorithm>
#include <cmath>

namespace {

// Readings a stuck path backs off: at most this many, at random.
constexpr int kRetreat = 6;
// Work before a fresh path is begun, times T^1.5 for a full path of T readings (a rotation
// costs up to T). Some beginnings lead nowhere: many attempts of the same bounded size find
// codes far sooner than a few long ones.
constexpr double kAttempt = 3;

} // namespace

window_path::window_path(const stgc& tables, int m, int window, uint64_t seed)
    : tables_(tables), n_(tables.heads), length_(2 * m), window_(window), random_(seed),
      where_(static_cast<std::size_t>(tables.even_count + tables.odd_count), -1),
      attempt_limit_(static_cast<long long>(kAttempt * length_ * std::sqrt(length_))) {
    words_.reserve(static_cast<std::size_t>(length_));
    rotations_.reserve(words_.capacity());
    nodes_.reserve(words_.capacity());
    bits_.reserve(words_.capacity());
}

// The graph node of a word (evens 0..E-1, odds E..E+O-1) and its rotation; -1 if periodic.
int window_path::node_of(int word, int* rotation) const {
    int index;
    if (!tables_.locate(word, &index, rotation)) return -1;
    return __builtin_parity(static_cast<unsigned>(word)) ? tables_.even_count + index : index;
}

// Whether the end may flip `bit`: it differs from the last window-1 flips.
bool window_path::fits_end(int bit) const {
    const int last = static_cast<int>(bits_.size()) - 1;
    for (int k = std::max(0, last - window_ + 2); k <= last; ++k)
        if (bits_[k] == bit) return false;
    return true;
}

void window_path::push(int word) {
    last_pivot_ = -1;
    int rotation;
    const int node = node_of(word, &rotation);
    if (!words_.empty()) bits_.push_back(flipped_bit(words_.back(), word));
    where_[node] = static_cast<int>(words_.size());
    words_.push_back(word);
    rotations_.push_back(rotation);
    nodes_.push_back(node);
}

void window_path::truncate(int length) {
    last_pivot_ = -1;
    while (static_cast<int>(words_.size()) > length) {
        where_[nodes_.back()] = -1;
        words_.pop_back();
        rotations_.pop_back();
        nodes_.pop_back();
    }
    bits_.resize(static_cast<std::size_t>(std::max(0, length - 1)));
}

// Backs off a few readings: the end is stuck, but usually not because of choices made far
// back, and what was built is worth keeping.
void window_path::shorten() {
    const int len = static_cast<int>(words_.size());
    truncate(len - 1 - random_.below(std::min(len, kRetreat)));
    longest_ = static_cast<int>(words_.size());
    stall_ = 0;
    closing_stall_ = 0;
}

void window_path::reverse_path() {
    last_pivot_ = -1;
    std::reverse(words_.begin(), words_.end());
    std::reverse(rotations_.begin(), rotations_.end());
    std::reverse(nodes_.begin(), nodes_.end());
    std::reverse(bits_.begin(), bits_.end());
    for (int k = 0; k < static_cast<int>(nodes_.size()); ++k)
        where_[nodes_[k]] = k;
}

// A bit whose flip closes the full path into a code (Sh in *sh), or -1.
int window_path::closing_bit(int* sh) const {
    for (int bit = 0; bit < n_; ++bit) {
        int rotation = 0;
        if (!fits_end(bit) || node_of(words_.back() ^ (1 << bit), &rotation) != nodes_[0]) continue;
        const int s = (rotation - rotations_[0] + n_) % n_;
        if (NOD(s, n_) != 1) continue;
        const int len = static_cast<int>(words_.size());
        const auto bit_at = [&](int k) { return k < len - 1 ? bits_[k] : bit; };
        if (closure_keeps_window(bit_at, len, s, n_, window_)) {
            *sh = s;
            return bit;
        }
    }
    return -1;
}

// Bit k of the path that a rotation at p would leave.
int window_path::new_bit(const pivot& p, int k) const {
    if (k < p.at) return bits_[k];
    const int len = static_cast<int>(words_.size());
    const int bit = k == p.at ? p.bit : bits_[len + p.at - k - 1];
    return (bit - p.shift + n_) % n_;
}

bool window_path::junction_keeps_window(const pivot& p) const {
    const int len = static_cast<int>(words_.size());
    int sequence[64];
    int size = 0, junction = 0;
    for (int k = std::max(0, p.at - window_ + 1); k <= std::min(len - 2, p.at + window_ - 1); ++k) {
        if (k == p.at) junction = size;
        sequence[size++] = new_bit(p, k);
    }
    return windows_distinct(sequence, junction, size, window_);
}

// Whether the end a rotation at p would leave can move on: to a free necklace, or, for a full
// path, back to the start with a rotation coprime with n.
bool window_path::useful_after(const pivot& p, bool closing) const {
    const int len = static_cast<int>(words_.size());
    const int end = rotated(words_[p.at + 1], (n_ - p.shift) % n_, n_);
    unsigned tail = 0;
    for (int k = std::max(0, len - window_); k <= len - 2; ++k)
        tail |= 1u << new_bit(p, k);
    for (int bit = 0; bit < n_; ++bit) {
        if ((tail >> bit) & 1u) continue;
        int rotation;
        const int node = node_of(end ^ (1 << bit), &rotation);
        if (node < 0) continue;
        if (!closing && where_[node] < 0) return true;
        if (!closing || node != nodes_[0]) continue;
        const int sh = (rotation - rotations_[0] + n_) % n_;
        const auto bit_at = [&](int k) { return k < len - 1 ? new_bit(p, k) : bit; };
        if (NOD(sh, n_) == 1 && closure_keeps_window(bit_at, len, sh, n_, window_)) return true;
    }
    return false;
}

bool window_path::rotate(bool closing) {
    const int len = static_cast<int>(words_.size());
    pivot all[32], good[32];
    int all_count = 0, good_count = 0;
    for (int bit = 0; bit < n_; ++bit) {
        int rotation;
        if (!fits_end(bit)) continue;
        const int node = node_of(words_.back() ^ (1 << bit), &rotation);
        if (node < 0 || where_[node] < 0 || where_[node] > len - 3) continue;
        const int at = where_[node];
        // Rotating at the last pivot again would only undo the last rotation.
        if (at == last_pivot_) continue;
        const pivot p{at, (rotation - rotations_[at] + n_) % n_, bit};
        if (!junction_keeps_window(p)) continue;
        all[all_count++] = p;
        if (useful_after(p, closing)) good[good_count++] = p;
    }
    if (all_count == 0) return false;
    apply(good_count > 0 ? good[random_.below(good_count)] : all[random_.below(all_count)]);
    return true;
}

void window_path::apply(const pivot& p) {
    last_pivot_ = p.at;
    const int len = static_cast<int>(words_.size());
    const int back = (n_ - p.shift) % n_;
    std::reverse(words_.begin() + p.at + 1, words_.end());
    std::reverse(rotations_.begin() + p.at + 1, rotations_.end());
    std::reverse(nodes_.begin() + p.at + 1, nodes_.end());
    for (int k = p.at + 1; k < len; ++k) {
        words_[k] = rotated(words_[k], back, n_);
        rotations_[k] = (rotations_[k] + back) % n_;
        where_[nodes_[k]] = k;
    }
    for (int k = p.at; k < len - 1; ++k)
        bits_[k] = flipped_bit(words_[k], words_[k + 1]);
}

bool window_path::start_can_grow() const {
    const int len = static_cast<int>(words_.size());
    unsigned head = 0;
    for (int k = 0; k < std::min(len - 1, window_ - 1); ++k)
        head |= 1u << bits_[k];
    for (int bit = 0; bit < n_; ++bit) {
        int rotation;
        const int node = (head >> bit) & 1u ? -1 : node_of(words_[0] ^ (1 << bit), &rotation);
        if (node >= 0 && where_[node] < 0) return true;
    }
    return false;
}

// Moves the end to a free necklace when it can; one step short of full, to one that closes.
bool window_path::extend() {
    const int len = static_cast<int>(words_.size());
    int free[32];
    int count = 0;
    for (int bit = 0; bit < n_; ++bit) {
        int rotation;
        const int word = words_.back() ^ (1 << bit);
        const int node = fits_end(bit) ? node_of(word, &rotation) : -1;
        if (node >= 0 && where_[node] < 0) free[count++] = word;
    }
    if (count == 0) return false;
    if (len == length_ - 1) {
        int sh;
        for (int i = 0; i < count; ++i) {
            push(free[i]);
            if (closing_bit(&sh) >= 0) return true;
            truncate(len);
        }
    }
    // Warnsdorff: the necklace with the fewest ways on is the one most likely to be lost.
    unsigned tail = 0;
    for (int k = std::max(0, len - window_ + 1); k <= len - 2; ++k)
        tail |= 1u << bits_[k];
    int best[32], best_count = 0, best_score = 1 << 30;
    for (int i = 0; i < count; ++i) {
        const unsigned history = tail | 1u << flipped_bit(words_.back(), free[i]);
        int score = 0;
        for (int bit = 0; bit < n_; ++bit) {
            int rotation;
            const int node = (history >> bit) & 1u ? -1 : node_of(free[i] ^ (1 << bit), &rotation);
            if (node >= 0 && where_[node] < 0) ++score;
        }
        if (score == 0) score = 1 << 20;
        if (score < best_score) best_count = 0, best_score = score;
        if (score == best_score) best[best_count++] = free[i];
    }
    push(best[random_.below(best_count)]);
    return true;
}

window_path::outcome window_path::run(run_meter& meter, long long chunk, window_cycle& found) {
    const long long until = meter.work() + chunk;
    const long stall_limit = 4L * length_ + 64;
    const long closing_limit = 8L * n_ + length_ / 16;
    long long cost = 1;
    for (;;) {
        if (!meter.spend(cost) || meter.work() >= until) return outcome::paused;
        attempt_work_ += cost;
        cost = 1;
        if (words_.empty() || attempt_work_ > attempt_limit_) {
            truncate(0);
            push(tables_.even_necklaces[random_.below(tables_.even_count)]);
            longest_ = 1;
            attempt_work_ = 0;
        }
        const int len = static_cast<int>(words_.size());
        if (len > longest_) {
            longest_ = len;
            stall_ = 0;
        }
        if (len == length_) {
            int sh;
            if (closing_bit(&sh) >= 0) {
                found.words = words_;
                found.sh = sh;
                truncate(0);
                return outcome::found;
            }
            if (++closing_stall_ > closing_limit) {
                shorten();
                continue;
            }
            if (random_.below(8) == 0) {
                reverse_path();
                cost += len / 32;
            }
        } else if (extend()) {
            continue;
        } else if (start_can_grow()) {
            // Growing at the other end is far cheaper than rotating this one.
            reverse_path();
            cost += len / 32;
            continue;
        }
        bool rotated_end = ++stall_ <= stall_limit && rotate(len == length_);
        if (!rotated_end && stall_ <= stall_limit) {
            // This end has no rotation; the other one may have.
            reverse_path();
            cost += len / 32;
            rotated_end = rotate(len == length_);
        }
        if (!rotated_end) {
            shorten();
            continue;
        }
        cost += len / 32;
    }
}
