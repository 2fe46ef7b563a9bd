#include "code/verify.h"

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

#include "code/rotation.h"

using std::size_t;

// Reading k + j*r is reading k turned j heads round, so the Q readings are the rotations of
// the r readings R(0) .. R(r-1). They are all different exactly when each R(k) is primitive
// (its n rotations differ) and no two of them are rotations of each other. Each R(k) is
// reduced to a sequence of symbols whose rotation classes stand for those of R(k):
//  - when n < r, its n bits;
//  - otherwise its runs of equal bits (at most r of them), taken as (zeros, ones) pairs from
//    a run of zeros on; rotating a bit string that starts at a run of zeros is rotating its
//    list of pairs.
// Either way the work per reading is O(min(n, r)), O(Q) in all.

namespace {

// Run starts s_0 = 0 < s_1 < ... < s_{r-1}, and s_r = Q.
std::vector<int64_t> run_starts(const int* runs, int64_t count) {
    std::vector<int64_t> starts(static_cast<size_t>(count) + 1);
    int64_t at = 0;
    for (int64_t i = 0; i < count; ++i) {
        starts[static_cast<size_t>(i)] = at;
        at += runs[i];
    }
    starts[static_cast<size_t>(count)] = at;
    return starts;
}

class reading_classes {
  public:
    reading_classes(const int* runs, const run_shape& shape)
        : r_(shape.runs), n_(shape.quality / shape.runs), starts_(run_starts(runs, r_)) {}

    bool distinct();

  private:
    bool bit_symbols() const { return n_ < r_; }
    void bits_from_scratch(int64_t k, std::vector<uint64_t>& out) const;
    // False when R(k) is one bit repeated (then it has n >= 2 equal rotations).
    bool run_pairs(int64_t k, std::vector<uint64_t>& out);
    // The symbols of R(k) built anew; false when they are constant (periodic).
    bool symbols_of(int64_t k, std::vector<uint64_t>& out);
    bool record(int64_t k, const std::vector<uint64_t>& symbols);

    int64_t r_, n_;
    std::vector<int64_t> starts_;
    std::vector<size_t> scratch_;
    std::vector<std::pair<int, int64_t>> merged_;      // (bit, heads): the runs of one reading
    std::vector<std::pair<uint64_t, int64_t>> hashes_; // (hash of the least rotation, k)
};

void reading_classes::bits_from_scratch(int64_t k, std::vector<uint64_t>& out) const {
    out.assign(static_cast<size_t>(n_), 0);
    size_t run = 0;
    int64_t pos = k;
    for (int64_t h = 0; h < n_; ++h, pos += r_) {
        while (starts_[run + 1] <= pos)
            ++run;
        out[static_cast<size_t>(h)] = run & 1;
    }
}

bool reading_classes::run_pairs(int64_t k, std::vector<uint64_t>& out) {
    // Heads of R(k) on run i: those h with s_i <= k + h*r < s_{i+1}.
    auto first_head_from = [&](int64_t pos) { return (pos - k + r_ - 1) / r_; };
    std::vector<std::pair<int, int64_t>>& merged = merged_;
    merged.clear();
    int64_t from = 0;
    for (int64_t i = 0; i < r_; ++i) {
        int64_t to = first_head_from(starts_[static_cast<size_t>(i) + 1]);
        int64_t heads = to - from;
        from = to;
        if (heads == 0) continue;
        int bit = static_cast<int>(i & 1);
        if (!merged.empty() && merged.back().first == bit)
            merged.back().second += heads;
        else
            merged.emplace_back(bit, heads);
    }
    if (merged.size() > 1 && merged.front().first == merged.back().first) {
        merged.front().second += merged.back().second;
        merged.pop_back();
    }
    if (merged.size() <= 1) return false;
    // Alternating bits round a circle: an even count, half of them zeros.
    const size_t m = merged.size();
    const size_t first_zero = merged[0].first == 0 ? 0 : 1;
    out.clear();
    for (size_t t = 0; t < m; t += 2) {
        uint64_t zeros = static_cast<uint64_t>(merged[(first_zero + t) % m].second);
        uint64_t ones = static_cast<uint64_t>(merged[(first_zero + t + 1) % m].second);
        out.push_back(zeros << 32 | ones); // both counts are at most n < 2^31
    }
    return true;
}

bool reading_classes::symbols_of(int64_t k, std::vector<uint64_t>& out) {
    if (!bit_symbols()) return run_pairs(k, out);
    bits_from_scratch(k, out);
    return true;
}

bool reading_classes::record(int64_t k, const std::vector<uint64_t>& symbols) {
    if (!is_primitive(symbols, scratch_)) return false;
    hashes_.emplace_back(rotation_hash(symbols, least_rotation(symbols)), k);
    return true;
}

bool reading_classes::distinct() {
    hashes_.reserve(static_cast<size_t>(r_));
    std::vector<uint64_t> symbols;
    if (bit_symbols()) {
        // R(k) follows from R(k-1) by the one head that the step changes: the head that now
        // stands on the run start s = k + h*r, the only start in k's residue class.
        std::vector<int64_t> start_of_residue(static_cast<size_t>(r_));
        for (int64_t i = 0; i < r_; ++i) {
            int64_t s = starts_[static_cast<size_t>(i)];
            start_of_residue[static_cast<size_t>(s % r_)] = s;
        }
        bits_from_scratch(0, symbols);
        for (int64_t k = 0; k < r_; ++k) {
            if (k > 0) symbols[static_cast<size_t>((start_of_residue[k] - k) / r_)] ^= 1;
            if (!record(k, symbols)) return false;
        }
    } else {
        for (int64_t k = 0; k < r_; ++k)
            if (!run_pairs(k, symbols) || !record(k, symbols)) return false;
    }

    // Equal classes have equal hashes; equal hashes are confirmed symbol by symbol.
    std::sort(hashes_.begin(), hashes_.end());
    std::vector<uint64_t> other;
    for (size_t a = 0; a < hashes_.size(); ++a) {
        for (size_t b = a + 1; b < hashes_.size() && hashes_[b].first == hashes_[a].first; ++b) {
            symbols_of(hashes_[a].second, symbols);
            symbols_of(hashes_[b].second, other);
            if (rotations_equal(symbols, least_rotation(symbols), other, least_rotation(other)))
                return false;
        }
    }
    return true;
}

} // namespace

bool every_step_changes_one_head(const int* runs, const run_shape& shape) {
    const int64_t r = shape.runs;
    // Step k changes head h exactly when a run starts at position k + 1 + h*r; as h goes
    // round, those positions are all of one residue mod r. So every step changes one head
    // when the r run starts fall in r different residues.
    std::vector<bool> seen(static_cast<size_t>(r), false);
    int64_t at = 0;
    for (int64_t i = 0; i < r; ++i) {
        if (runs[i] <= 0) return false;
        size_t residue = static_cast<size_t>(at % r);
        if (seen[residue]) return false;
        seen[residue] = true;
        at += runs[i];
    }
    return true;
}

bool readings_distinct(const int* runs, const run_shape& shape) {
    const int64_t n = shape.quality / shape.runs;
    // More positions than n-bit readings: two must agree.
    if (n < 62 && shape.quality > (int64_t{1} << n)) return false;
    reading_classes classes(runs, shape);
    return classes.distinct();
}

code_verdict check_code(const int* runs) {
    run_shape shape = shape_of(runs);
    if (shape.runs == 0) return code_verdict::empty;
    if (shape.runs % 2 != 0) return code_verdict::odd_runs;
    if (!shape.heads_divide()) return code_verdict::no_heads;
    if (!every_step_changes_one_head(runs, shape)) return code_verdict::not_gray;
    if (!readings_distinct(runs, shape)) return code_verdict::not_distinct;
    return code_verdict::good;
}
