#include "gen/choice_search.h"

#include <algorithm>
#include <cstdint>

#include "gen/join_matching.h"

void list_cycle_edges(const stgc& tables, const std::vector<int>& cycle, cycle_edges& out) {
    const int m = static_cast<int>(cycle.size());
    out.start.assign(1, 0);
    out.entries.clear();
    std::vector<transition> one;
    for (int d = 0; d < m; ++d) {
        transitions_between(tables, cycle[d], cycle[(d + 1) % m], one);
        out.entries.insert(out.entries.end(), one.begin(), one.end());
        out.start.push_back(static_cast<int>(out.entries.size()));
    }
}

namespace {

// Residues of Sh modulo n as bit masks (n <= 20 fits a word).
uint32_t rotate_mask(uint32_t mask, int by, int n) {
    by %= n;
    if (by < 0) by += n;
    if (by == 0) return mask;
    return ((mask << by) | (mask >> (n - by))) & ((1u << n) - 1);
}

int mod(int value, int n) {
    value %= n;
    return value < 0 ? value + n : value;
}

// Above this many rotation combinations of the remaining multi-rotation edges the coprime
// condition is only checked against the sums the edges can reach when distinctness is ignored.
constexpr long kExactCombinations = 256;

class chooser {
  public:
    chooser(const stgc& tables, const cycle_edges& edges, long long limit);
    choice_status run(const std::vector<int>& hint, std::vector<int>& choice, int& sh);

  private:
    bool unit(int value) const { return (units_ >> mod(value, n_)) & 1u; }
    bool initial_matching(const std::vector<int>& hint);
    bool take(int d, int u);
    void release(int d, int u);
    enum class repair { found, none, unknown };
    repair repair_rotations(int first, int base);
    repair enumerate_rotations(std::size_t from, int first, int base);
    bool switch_rotation(int e, int t);
    bool try_rotations(std::size_t from, const std::vector<int>& picks);

    const cycle_edges& edges_;
    const int n_;
    const int m_;
    work_meter meter_;
    join_matching matching_;
    uint32_t units_ = 0;
    std::vector<uint32_t> reach_;       // sums edges d..m-1 can reach, distinctness ignored
    std::vector<int> fixed_sum_;        // rotations of the one-rotation edges among d..m-1
    std::vector<int> multi_;            // edges whose usable entries carry several rotations
    std::vector<std::vector<int>> rotation_options_; // per entry of multi_
    std::vector<long> combinations_;    // per suffix of multi_, capped above the exact bound
};

chooser::chooser(const stgc& tables, const cycle_edges& edges, long long limit)
    : edges_(edges), n_(tables.heads), m_(static_cast<int>(edges.start.size()) - 1),
      meter_{limit}, matching_(edges, tables.odd_count, meter_) {
    for (int r = 0; r < n_; ++r)
        if (NOD(r, n_) == 1) units_ |= 1u << r;
    reach_.assign(static_cast<std::size_t>(m_) + 1, 0);
    fixed_sum_.assign(static_cast<std::size_t>(m_) + 1, 0);
    reach_[m_] = 1u;
    std::vector<std::vector<int>> options_reversed;
    for (int d = m_ - 1; d >= 0; --d) {
        uint32_t rotations = 0;
        for (int c = 0; c < edges_.count(d); ++c)
            if (edges_.at(d, c).odd >= 0) rotations |= 1u << edges_.at(d, c).rotation;
        std::vector<int> options;
        for (int t = 0; t < n_; ++t)
            if ((rotations >> t) & 1u) {
                options.push_back(t);
                reach_[d] |= rotate_mask(reach_[d + 1], t, n_);
            }
        fixed_sum_[d] = fixed_sum_[d + 1];
        if (options.size() == 1) fixed_sum_[d] = mod(fixed_sum_[d] + options[0], n_);
        if (options.size() > 1) {
            multi_.push_back(d);
            options_reversed.push_back(options);
        }
    }
    std::reverse(multi_.begin(), multi_.end());
    rotation_options_.assign(options_reversed.rbegin(), options_reversed.rend());
    combinations_.assign(multi_.size() + 1, 1);
    for (std::size_t i = multi_.size(); i-- > 0;)
        combinations_[i] = std::min(kExactCombinations + 1,
                                    combinations_[i + 1] *
                                        static_cast<long>(rotation_options_[i].size()));
}

bool chooser::initial_matching(const std::vector<int>& hint) {
    for (int d = 0; d < m_; ++d) {
        const int h = d < static_cast<int>(hint.size()) ? hint[d] : -1;
        bool usable = false;
        if (h >= 0 && matching_.rotations_of(d, h) != 0) {
            usable = true;
            for (int e = 0; e < d && usable; ++e) usable = matching_.match(e) != h;
        }
        if (usable) matching_.set_match(d, h);
        else if (!matching_.augment(d)) return false;
    }
    return true;
}

// Edge d (matched, all of d..m-1 matched) takes odd necklace u for good; false, with the
// matching as it was, when the later edges could then no longer all be matched.
bool chooser::take(int d, int u) {
    matching_.begin_journal();
    matching_.set_used(u, true);
    const int v = matching_.match(d);
    matching_.clear_match(d);
    bool ok = true;
    if (v != u) {
        const int other = matching_.owner(u);
        if (other >= 0) {
            matching_.clear_match(other);
            ok = matching_.augment(other);
        }
    }
    if (ok) {
        matching_.commit_journal();
    } else {
        matching_.undo_journal();
        matching_.set_used(u, false);
    }
    return ok;
}

void chooser::release(int d, int u) {
    matching_.set_used(u, false);
    matching_.set_match(d, u);
}

// Looks for a matching of edges first..m-1 whose rotations make base + their sum coprime with
// n. With few multi-rotation edges left, every combination of their rotations is tried, which
// decides the question. With more, each such edge is tried alone on each of its rotations:
// a success is a certificate, and when even the rotations that each edge can take alone cannot
// reach a coprime sum there is none; otherwise the answer is unknown.
chooser::repair chooser::repair_rotations(int first, int base) {
    const std::size_t from =
        static_cast<std::size_t>(std::lower_bound(multi_.begin(), multi_.end(), first) -
                                 multi_.begin());
    if (combinations_[from] <= kExactCombinations) return enumerate_rotations(from, first, base);
    uint32_t reach = 1u << mod(base + fixed_sum_[first], n_);
    for (std::size_t i = from; i < multi_.size(); ++i) {
        const int e = multi_[i];
        uint32_t feasible = 0;
        for (int t : rotation_options_[i]) {
            if (t == matching_.rotation(e)) {
                feasible |= 1u << t;
                continue;
            }
            if (!switch_rotation(e, t)) {
                if (meter_.stop != choice_status::found) return repair::none;
                continue;
            }
            feasible |= 1u << t;
            if (unit(base + matching_.rotation_sum())) {
                matching_.commit_journal();
                return repair::found;
            }
            matching_.undo_journal();
        }
        uint32_t next = 0;
        for (int t = 0; t < n_; ++t)
            if ((feasible >> t) & 1u) next |= rotate_mask(reach, t, n_);
        reach = next;
    }
    return (reach & units_) != 0 ? repair::unknown : repair::none;
}

// Journalled: edge e takes rotation t, keeping every edge matched. On success the journal is
// left open for the caller to commit or undo; on failure it has been undone.
bool chooser::switch_rotation(int e, int t) {
    matching_.begin_journal();
    const int u = matching_.match(e);
    matching_.restrict_rotation(e, t);
    matching_.clear_match(e);
    bool ok = true;
    if ((matching_.rotations_of(e, u) >> t) & 1u) matching_.set_match(e, u);
    else ok = matching_.augment(e);
    matching_.restrict_rotation(e, -1);
    if (!ok) matching_.undo_journal();
    return ok;
}

chooser::repair chooser::enumerate_rotations(std::size_t from, int first, int base) {
    const std::size_t count = multi_.size() - from;
    std::vector<int> index(count, 0), picks(count, 0);
    while (true) {
        if (!meter_.spend(1)) return repair::none;
        int sum = base + fixed_sum_[first];
        for (std::size_t i = 0; i < count; ++i) {
            picks[i] = rotation_options_[from + i][static_cast<std::size_t>(index[i])];
            sum += picks[i];
        }
        if (unit(sum) && try_rotations(from, picks)) return repair::found;
        if (meter_.stop != choice_status::found) return repair::none;
        std::size_t i = 0;
        while (i < count && ++index[i] == static_cast<int>(rotation_options_[from + i].size()))
            index[i++] = 0;
        if (i == count) return repair::none;
    }
}

// Re-matches the multi-rotation edges from `from` on so that each uses its picked rotation.
bool chooser::try_rotations(std::size_t from, const std::vector<int>& picks) {
    matching_.begin_journal();
    std::vector<int> pending;
    for (std::size_t i = 0; i < picks.size(); ++i) {
        const int e = multi_[from + i];
        const int u = matching_.match(e);
        matching_.restrict_rotation(e, picks[i]);
        matching_.clear_match(e);
        if ((matching_.rotations_of(e, u) >> picks[i]) & 1u) matching_.set_match(e, u);
        else pending.push_back(e);
    }
    bool ok = true;
    for (std::size_t i = 0; i < pending.size() && ok; ++i) ok = matching_.augment(pending[i]);
    for (std::size_t i = 0; i < picks.size(); ++i) matching_.restrict_rotation(multi_[from + i], -1);
    if (ok) matching_.commit_journal();
    else matching_.undo_journal();
    return ok;
}

choice_status chooser::run(const std::vector<int>& hint, std::vector<int>& choice, int& sh) {
    if ((reach_[0] & units_) == 0) return choice_status::none;
    if (!initial_matching(hint))
        return meter_.stop != choice_status::found ? meter_.stop : choice_status::none;
    choice.assign(static_cast<std::size_t>(m_), 0);
    sh = 0;
    int d = 0;
    while (d < m_) {
        bool advanced = false;
        for (int c = choice[d]; c < edges_.count(d); ++c) {
            if (!meter_.spend(1)) return meter_.stop;
            const transition& tr = edges_.at(d, c);
            if (tr.odd < 0 || matching_.used(tr.odd)) continue;
            const int next_sh = sh + tr.rotation;
            if ((rotate_mask(reach_[d + 1], next_sh, n_) & units_) == 0) continue;
            if (!take(d, tr.odd)) {
                if (meter_.stop != choice_status::found) return meter_.stop;
                continue;
            }
            if (!unit(next_sh + matching_.rotation_sum()) &&
                repair_rotations(d + 1, next_sh) == repair::none) {
                if (meter_.stop != choice_status::found) return meter_.stop;
                release(d, tr.odd);
                continue;
            }
            choice[d] = c;
            sh = next_sh;
            ++d;
            advanced = true;
            break;
        }
        if (advanced) continue;
        choice[d] = 0;
        if (d == 0) return choice_status::none;
        --d;
        const transition& tr = edges_.at(d, choice[d]);
        release(d, tr.odd);
        sh -= tr.rotation;
        ++choice[d];
    }
    return choice_status::found;
}

} // namespace

choice_status choose_transitions(const stgc& tables, const cycle_edges& edges,
                                 const std::vector<int>& hint, long long work_limit,
                                 std::vector<int>& choice, int& sh) {
    chooser search(tables, edges, work_limit);
    return search.run(hint, choice, sh);
}
