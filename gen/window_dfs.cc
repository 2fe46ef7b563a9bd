#include "gen/window_dfs.h"

#include <algorithm>

#include "gen/residues.h"

namespace {

// Random mode: work per attempt, times the number of readings of a code.
constexpr long long kAttempt = 30;

int parity_of(int node, int even_count) {
    return node < even_count ? 0 : 1;
}

} // namespace

window_dfs::window_dfs(const stgc& tables, const necklace_graph& graph, int m, int window, mode how,
                       uint64_t seed)
    : tables_(tables), graph_(graph), n_(tables.heads), m_(m), length_(2 * m), window_(window),
      exhaustive_(how == mode::exhaustive), random_(seed),
      words_(static_cast<std::size_t>(length_)), nodes_(words_.size()), bits_(words_.size()),
      moves_(words_.size() * static_cast<std::size_t>(n_)), move_count_(words_.size()),
      next_move_(words_.size()), dead_added_(words_.size()),
      used_(static_cast<std::size_t>(graph.nodes()), 0), adjacent_start_(used_.size(), 0),
      closer_(used_.size(), 0), fd_(used_.size()), closing_shifts_(words_.size()) {
    for (int x = 0; x < graph.nodes(); ++x)
        fd_[x] = graph.degree(x);
}

// Takes the next start; false when exhaustive mode has tried them all.
bool window_dfs::begin() {
    const int evens = tables_.even_count;
    if (exhaustive_) {
        if (start_ + m_ > evens) return false;
        if (start_ >= 0) {
            // Evens below the next start stay out of every cycle from now on.
            used_[start_] = 1;
            for (int k = 0; k < graph_.degree(start_); ++k)
                --fd_[graph_.neighbours(start_)[k]];
        }
        if (++start_ + m_ > evens) return false;
    } else {
        start_ = random_.below(evens);
        restart_work_ = 0;
    }
    std::fill(adjacent_start_.begin(), adjacent_start_.end(), 0);
    for (int k = 0; k < graph_.degree(start_); ++k)
        adjacent_start_[graph_.neighbours(start_)[k]] = 1;
    const int available_evens = exhaustive_ ? evens - start_ : evens;
    spare_[0] = available_evens - m_;
    spare_[1] = tables_.odd_count - m_;
    push(tables_.even_necklaces[start_], start_, -1);
    // Free necklaces next to the start have it as end and as start.
    dead_[0] = dead_[1] = 0;
    for (int y = 0; y < graph_.nodes(); ++y)
        if (!used_[y] && fd_[y] + 2 * adjacent_start_[y] < 2) ++dead_[parity_of(y, evens)];
    list_moves();
    return true;
}

void window_dfs::end_all() {
    while (depth_ >= 0)
        pop();
}

void window_dfs::push(int word, int node, int bit) {
    int added = 0;
    if (depth_ >= 0) {
        // The node leaves the free necklaces, and the old end's other free neighbours lose it
        // as a way in.
        const int end = nodes_[depth_];
        if (fd_[node] + 1 + adjacent_start_[node] < 2) --added;
        for (int k = 0; k < graph_.degree(end); ++k) {
            const int y = graph_.neighbours(end)[k];
            if (!used_[y] && y != node && fd_[y] + 1 + adjacent_start_[y] >= 2 && stranded(y))
                ++added;
        }
        dead_[parity_of(node, tables_.even_count)] += added;
    }
    ++depth_;
    words_[depth_] = word;
    nodes_[depth_] = node;
    if (depth_ > 0) bits_[depth_ - 1] = bit;
    closing_shifts_[depth_] = depth_ == 0
                                  ? unit_residues(n_)
                                  : closing_shifts(closing_shifts_[depth_ - 1], depth_ - 1, bit);
    dead_added_[depth_] = added;
    used_[node] = 1;
    for (int k = 0; k < graph_.degree(node); ++k)
        --fd_[graph_.neighbours(node)[k]];
    if (closer_[node]) --closers_free_;
    if (depth_ == 1 && exhaustive_) {
        std::fill(closer_.begin(), closer_.end(), 0);
        closers_free_ = 0;
        for (int k = 0; k < graph_.degree(start_); ++k) {
            const int u = graph_.neighbours(start_)[k];
            if (u > node && !used_[u]) closer_[u] = 1, ++closers_free_;
        }
    }
}

void window_dfs::pop() {
    const int node = nodes_[depth_];
    used_[node] = 0;
    for (int k = 0; k < graph_.degree(node); ++k)
        ++fd_[graph_.neighbours(node)[k]];
    if (closer_[node]) ++closers_free_;
    dead_[parity_of(node, tables_.even_count)] -= dead_added_[depth_];
    --depth_;
}

// The rotations Sh still open to the closure once step k flips `bit`: the steps of the next
// pass flip b_j + Sh, and those within the window of step k must differ from it.
uint32_t window_dfs::closing_shifts(uint32_t open, int k, int bit) const {
    for (int j = 0; j < k && length_ + j - k < window_; ++j)
        open &= ~(1u << residue(bit - bits_[j], n_));
    return open;
}

// Lists the moves from the end that keep the window and strand no more necklaces than may be
// left out, fewest free neighbours first.
void window_dfs::list_moves() {
    const int d = depth_;
    int* moves = &moves_[static_cast<std::size_t>(d) * n_];
    move_count_[d] = 0;
    next_move_[d] = 0;
    const bool last = d + 1 == length_ - 1;
    // The last necklace must lead back to the start.
    if (d >= 1 && (exhaustive_ ? closers_free_ == 0 : fd_[start_] == 0)) return;
    unsigned history = 0;
    for (int k = std::max(0, d - window_ + 1); k < d; ++k)
        history |= 1u << bits_[k];
    const int end = nodes_[d];
    const int parity = (d + 1) % 2;
    int critical[32], critical_count = 0;
    for (int k = 0; k < graph_.degree(end); ++k) {
        const int y = graph_.neighbours(end)[k];
        if (!used_[y] && fd_[y] + 1 + adjacent_start_[y] >= 2 && stranded(y))
            critical[critical_count++] = y;
    }
    const bool keep_closers = !exhaustive_ && spare_[1] < n_;
    int keys[32];
    for (int bit = 0; bit < n_; ++bit) {
        if ((history >> bit) & 1u) continue;
        int index, rotation;
        if (!tables_.locate(words_[d] ^ (1 << bit), &index, &rotation)) continue;
        const int node = parity == 0 ? index : tables_.even_count + index;
        if (used_[node] || closing_shifts(closing_shifts_[d], d, bit) == 0) continue;
        if (last) {
            if (!(exhaustive_ ? closer_[node] : adjacent_start_[node])) continue;
        } else {
            if (fd_[node] == 0) continue;
            const bool spared =
                std::find(critical, critical + critical_count, node) != critical + critical_count;
            if (dead_[parity] + critical_count - (spared ? 1 : 0) > spare_[parity]) continue;
            if (exhaustive_ ? closer_[node] && closers_free_ == 1
                            : adjacent_start_[node] && fd_[start_] == 1)
                continue;
        }
        // When hardly any necklace may be left out, the start's free neighbours are the ways
        // to close the cycle: among equals, keep them for last.
        const int key = fd_[node] * 2 + (keep_closers && adjacent_start_[node] ? 1 : 0);
        keys[move_count_[d]] = key * 64 + (exhaustive_ ? bit : random_.below(64));
        moves[move_count_[d]++] = bit;
    }
    // Insertion sort by key: at most n entries.
    for (int i = 1; i < move_count_[d]; ++i)
        for (int j = i; j > 0 && keys[j - 1] > keys[j]; --j) {
            std::swap(keys[j - 1], keys[j]);
            std::swap(moves[j - 1], moves[j]);
        }
}

// Whether flipping `bit` of the last reading returns to the start's necklace with a rotation
// coprime with n and the window kept across the closure.
bool window_dfs::closes(int bit, int* sh) const {
    int index, rotation;
    if (!tables_.locate(words_[depth_] ^ (1 << bit), &index, &rotation) || index != start_ ||
        NOD(rotation, n_) != 1)
        return false;
    const auto bit_at = [&](int k) { return k < length_ - 1 ? bits_[k] : bit; };
    if (!closure_keeps_window(bit_at, length_, rotation, n_, window_)) return false;
    *sh = rotation;
    return true;
}

window_dfs::outcome window_dfs::run(run_meter& meter, long long chunk, window_cycle& found) {
    const long long until = meter.work() + chunk;
    for (;;) {
        if (!meter.spend(1) || meter.work() >= until) return outcome::paused;
        if (depth_ < 0) {
            if (!begin()) return outcome::exhausted;
            continue;
        }
        if (!exhaustive_ && ++restart_work_ > kAttempt * length_) {
            // A wrong turn far back is never undone by backtracking in time: begin again.
            end_all();
            continue;
        }
        if (depth_ == length_ - 1) {
            const int first = std::max(0, depth_ - window_ + 1);
            for (int bit = 0; bit < n_; ++bit) {
                int sh;
                if (std::find(&bits_[first], &bits_[depth_], bit) != &bits_[depth_] ||
                    !closes(bit, &sh))
                    continue;
                found.words = words_;
                found.sh = sh;
                pop();
                return outcome::found;
            }
            pop();
            continue;
        }
        if (next_move_[depth_] == move_count_[depth_]) {
            pop();
            continue;
        }
        const int bit = moves_[static_cast<std::size_t>(depth_) * n_ + next_move_[depth_]++];
        const int word = words_[depth_] ^ (1 << bit);
        int index = 0, rotation;
        tables_.locate(word, &index, &rotation);
        push(word, depth_ % 2 == 0 ? tables_.even_count + index : index, bit);
        if (depth_ < length_ - 1) list_moves();
    }
}
