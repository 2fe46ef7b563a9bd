#include "gen/cycle_search.h"

#include <algorithm>
#include <cstdlib>

#include "gen/residues.h"
#include "gen/transitions.h"
#include "tui/ui.h"

namespace {

// Sum set of the voltages along a closed walk of nodes.
unsigned walk_residues(const stgc& tables, const std::vector<int>& nodes) {
    const int n = tables.heads;
    half_edge out[32];
    unsigned reach = 1u;
    const std::size_t len = nodes.size();
    for (std::size_t k = 0; k < len; ++k) {
        const int x = nodes[k];
        const int y = nodes[(k + 1) % len];
        const int count = half_edges_of(tables, x, out);
        unsigned next = 0;
        for (int i = 0; i < count; ++i)
            if (out[i].to == y) next |= shifted_residues(reach, out[i].voltage, n);
        reach = next;
        if (reach == 0) break;
    }
    return reach;
}

class cycle_finder {
  public:
    cycle_finder(stgc& tables, int m)
        : tables_(tables), n_(tables.heads), m_(m), length_(2 * m),
          where_(static_cast<std::size_t>(tables.even_count + tables.odd_count), -1),
          units_(unit_residues(tables.heads)) {
        path_.reserve(static_cast<std::size_t>(length_));
    }

    cycle_status run(std::vector<int>& evens, std::vector<int>& odds);

  private:
    int edges_of(int x, half_edge* out) const { return half_edges_of(tables_, x, out); }
    bool adjacent(int x, int y) const;
    bool has_free_neighbour(int x, bool closing) const;
    void push(int x) {
        where_[x] = static_cast<int>(path_.size());
        path_.push_back(x);
    }
    void truncate(std::size_t len) {
        while (path_.size() > len) {
            where_[path_.back()] = -1;
            path_.pop_back();
        }
    }
    void reverse_range(int lo, int hi);
    void rotate_at(int pivot) { reverse_range(pivot + 1, static_cast<int>(path_.size()) - 1); }
    bool rotate();
    bool start_reachable() const;
    unsigned parities(int x, int y) const;
    bool exchange_for_residue(unsigned residues);
    void shorten();

    stgc& tables_;
    const int n_;
    const int m_;
    const int length_;
    // Alternating even and odd necklaces (nodes of the graph); path_[0] is an even one and
    // stays in place: rotations and exchanges only reorder what follows it.
    std::vector<int> path_;
    std::vector<int> where_;
    const unsigned units_;
    long stall_ = 0;         // rotations since the path last grew
    long closing_stall_ = 0; // rotations since the path last reached its full length
};

bool cycle_finder::adjacent(int x, int y) const {
    half_edge out[32];
    const int count = edges_of(x, out);
    for (int i = 0; i < count; ++i)
        if (out[i].to == y) return true;
    return false;
}

// Whether x has a neighbour off the path (that is, when closing, also a neighbour of the start).
bool cycle_finder::has_free_neighbour(int x, bool closing) const {
    half_edge out[32];
    const int count = edges_of(x, out);
    for (int i = 0; i < count; ++i)
        if (where_[out[i].to] < 0 && (!closing || adjacent(out[i].to, path_[0]))) return true;
    return false;
}

// A rotation at pivot i turns p0..pi, pi+1..pL-1 (with an edge from pL-1 to pi) into
// p0..pi, pL-1..pi+1: the range after the pivot is reversed.
void cycle_finder::reverse_range(int lo, int hi) {
    while (lo < hi) {
        std::swap(path_[lo], path_[hi]);
        where_[path_[lo]] = lo;
        where_[path_[hi]] = hi;
        ++lo;
        --hi;
    }
}

// Whether the start has a neighbour on the path other than the node after it, so that
// rotations can make that neighbour's successor the end and close the cycle.
bool cycle_finder::start_reachable() const {
    half_edge out[32];
    const int count = edges_of(path_[0], out);
    for (int i = 0; i < count; ++i)
        if (where_[out[i].to] >= 2) return true;
    return false;
}

// One rotation at the far end. Pivots whose new end could move on are preferred: to a free
// node; when one node is missing, to a free node that closes the cycle; when none is missing,
// to the start.
bool cycle_finder::rotate() {
    half_edge out[32];
    const int len = static_cast<int>(path_.size());
    const int count = edges_of(path_.back(), out);
    int pivots[32], good[32];
    int pivot_count = 0, good_count = 0;
    for (int i = 0; i < count; ++i) {
        const int at = where_[out[i].to];
        if (at < 0 || at > len - 3) continue;
        pivots[pivot_count++] = at;
        const int new_end = path_[at + 1];
        const bool useful = len == length_ ? adjacent(new_end, path_[0])
                                           : has_free_neighbour(new_end, len == length_ - 1);
        if (useful) good[good_count++] = at;
    }
    if (pivot_count == 0) return false;
    rotate_at(good_count > 0 ? good[rand() % good_count] : pivots[rand() % pivot_count]);
    return true;
}

// Bit 0: some join from x to y has an even rotation; bit 1: some has an odd one.
unsigned cycle_finder::parities(int x, int y) const {
    half_edge out[32];
    const int count = edges_of(x, out);
    unsigned found = 0;
    for (int i = 0; i < count; ++i)
        if (out[i].to == y) found |= 1u << (out[i].voltage & 1);
    return found;
}

// The closed path's rotation sums hold no number coprime with n. Local changes of a cycle
// mostly keep its sum, and for even n always keep its parity unless the four joins they trade
// carry an odd total, so look for such an exchange: drop the joins pa-pa+1 and pb-pb+1, add
// pa-pb and pa+1-pb+1 (reversing the stretch between). Keeps the path closed.
bool cycle_finder::exchange_for_residue(unsigned residues) {
    const int len = length_;
    unsigned odd_residues = 0;
    for (int r = 1; r < n_; r += 2) odd_residues |= 1u << r;
    const bool parity_bound = n_ % 2 == 0 && (residues & odd_residues) == 0;
    const int offset = rand() % len;
    int checks = 0;
    half_edge out[32];
    for (int k = 0; k < len && checks < 32; ++k) {
        const int a = (offset + k) % len;
        const int count = edges_of(path_[a], out);
        for (int i = 0; i < count && checks < 32; ++i) {
            const int b = where_[out[i].to];
            if (b <= a + 1 || (a == 0 && b == len - 1)) continue;
            const int a1 = a + 1, b1 = (b + 1) % len;
            if (!adjacent(path_[a1], path_[b1])) continue;
            if (parity_bound) {
                const unsigned sets[4] = {parities(path_[a], path_[b]), parities(path_[a1], path_[b1]),
                                          parities(path_[a], path_[a1]), parities(path_[b], path_[b1])};
                bool mixed = false;
                unsigned odd = 0;
                for (unsigned set : sets) {
                    mixed = mixed || set == 3u;
                    odd ^= set >> 1;
                }
                if (!mixed && odd == 0) continue;
            }
            ++checks;
            reverse_range(a1, b);
            if (walk_residues(tables_, path_) & units_) return true;
            reverse_range(a1, b);
        }
    }
    return false;
}

void cycle_finder::shorten() {
    int entries = static_cast<int>(path_.size()) / 2;
    tables_.back(&entries);
    truncate(static_cast<std::size_t>(2 * entries));
    stall_ = 0;
}

cycle_status cycle_finder::run(std::vector<int>& evens, std::vector<int>& odds) {
    const long stall_limit = 4L * m_ + 64;
    const long closing_limit = 8L * n_ + length_ / 16;
    half_edge out[32];
    for (unsigned long step = 1;; ++step) {
        if ((step & 4095) == 0 && user_cancelled()) return cycle_status::cancelled;
        if (path_.empty()) push(rand() % tables_.even_count);
        const int len = static_cast<int>(path_.size());
        const int end = path_.back();

        if (len == length_ && adjacent(end, path_[0])) {
            const unsigned residues = walk_residues(tables_, path_);
            if ((residues & units_) || exchange_for_residue(residues)) break;
            // Small changes keep the sum class of a cycle; grow a large part afresh.
            const std::size_t half = path_.size() / 2;
            truncate(static_cast<std::size_t>(rand()) % half);
            stall_ = 0;
            continue;
        }
        if (len < length_) {
            int free[32], closing[32];
            int free_count = 0, closing_count = 0;
            const int count = edges_of(end, out);
            for (int i = 0; i < count; ++i) {
                const int y = out[i].to;
                if (where_[y] >= 0 ||
                    std::find(free, free + free_count, y) != free + free_count)
                    continue;
                free[free_count++] = y;
                if (len == length_ - 1 && adjacent(y, path_[0])) closing[closing_count++] = y;
            }
            if (closing_count > 0) {
                push(closing[rand() % closing_count]);
                continue;
            }
            if (free_count > 0 && len < length_ - 1) {
                push(free[rand() % free_count]);
                stall_ = 0;
                continue;
            }
            if (free_count > 0 && start_reachable()) {
                push(free[rand() % free_count]);
                continue;
            }
        }
        if (len >= length_ - 1 && !start_reachable()) {
            // No rotation can bring the end next to the start: change the path instead.
            shorten();
            continue;
        }
        if (len >= length_ - 1 && ++closing_stall_ > closing_limit) {
            // The ends keep missing each other: regrow a random part of the path.
            truncate(static_cast<std::size_t>(len / 2 + rand() % (len / 2)));
            closing_stall_ = 0;
            stall_ = 0;
            continue;
        }
        if (++stall_ > stall_limit || !rotate()) shorten();
    }

    evens.clear();
    odds.clear();
    for (int k = 0; k < length_; k += 2) {
        evens.push_back(path_[k]);
        odds.push_back(path_[k + 1] - tables_.even_count);
    }
    return cycle_status::found;
}

} // namespace

cycle_status find_cycle(stgc& tables, int m, std::vector<int>& evens, std::vector<int>& odds) {
    evens.clear();
    odds.clear();
    if (tables.heads < 2 || m < 2 || m > tables.even_count) return cycle_status::impossible;
    cycle_finder finder(tables, m);
    return finder.run(evens, odds);
}
