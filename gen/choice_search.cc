#include "gen/choice_search.h"

#include <algorithm>
#include <cstdint>

#include "gen/join_matching.h"
#include "gen/residues.h"

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

// Nodes the exact repair may visit before it answers "unknown".
constexpr long kRepairNodes = 4096;

class chooser {
  public:
    chooser(const stgc& tables, const cycle_edges& edges, long long limit);
    choice_status run(const std::vector<int>& hint, std::vector<int>& choice, int& sh);

  private:
    enum class repair { found, none, unknown };

    bool unit(int value) const { return (units_ >> residue(value, n_)) & 1u; }
    bool stopped() const { return meter_.stop != choice_status::found; }
    bool initial_matching(const std::vector<int>& hint);
    bool take(int d, int u);
    void release(int d, int u);
    bool match_with_rotation(int e, int t);
    repair repair_rotations(int first, int base);
    repair branch(std::size_t i, int partial);

    const cycle_edges& edges_;
    const int n_;
    const int m_;
    work_meter meter_;
    join_matching matching_;
    uint32_t units_ = 0;
    std::vector<uint32_t> reach_;                    // sums of edges d..m-1, distinctness ignored
    std::vector<int> fixed_sum_;                     // one-rotation edges among d..m-1
    std::vector<int> multi_;                         // edges with several usable rotations
    std::vector<std::vector<int>> rotation_options_; // per entry of multi_
    // The repair in progress: its multi-rotation edges, the rotations each can take alone,
    // and the sums the later ones can reach with those.
    std::vector<int> repair_edges_;
    std::vector<uint32_t> feasible_, feasible_reach_;
    long repair_nodes_ = 0;
};

chooser::chooser(const stgc& tables, const cycle_edges& edges, long long limit)
    : edges_(edges), n_(tables.heads), m_(static_cast<int>(edges.start.size()) - 1),
      meter_{limit}, matching_(edges, tables.odd_count, meter_) {
    units_ = unit_residues(n_);
    reach_.assign(static_cast<std::size_t>(m_) + 1, 0);
    fixed_sum_.assign(static_cast<std::size_t>(m_) + 1, 0);
    reach_[m_] = 1u;
    for (int d = m_ - 1; d >= 0; --d) {
        uint32_t rotations = 0;
        for (int c = 0; c < edges_.count(d); ++c)
            if (edges_.at(d, c).odd >= 0) rotations |= 1u << edges_.at(d, c).rotation;
        std::vector<int> options;
        for (int t = 0; t < n_; ++t)
            if ((rotations >> t) & 1u) {
                options.push_back(t);
                reach_[d] |= shifted_residues(reach_[d + 1], t, n_);
            }
        fixed_sum_[d] = fixed_sum_[d + 1];
        if (options.size() == 1) fixed_sum_[d] = residue(fixed_sum_[d] + options[0], n_);
        if (options.size() > 1) {
            multi_.push_back(d);
            rotation_options_.push_back(options);
        }
    }
    std::reverse(multi_.begin(), multi_.end());
    std::reverse(rotation_options_.begin(), rotation_options_.end());
}

bool chooser::initial_matching(const std::vector<int>& hint) {
    for (int d = 0; d < m_; ++d) {
        const int h = d < static_cast<int>(hint.size()) ? hint[d] : -1;
        if (h >= 0 && matching_.owner(h) < 0 && matching_.rotations_of(d, h) != 0)
            matching_.set_match(d, h);
        else if (!matching_.augment(d))
            return false;
    }
    return true;
}

// Edge d (matched, all of d..m-1 matched) takes odd necklace u for good; false, with the
// matching as it was, when the later edges could then no longer all be matched.
bool chooser::take(int d, int u) {
    const std::size_t start = matching_.mark();
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
    if (!ok) {
        matching_.undo_to(start);
        matching_.set_used(u, false);
    }
    matching_.finish_journal();
    return ok;
}

void chooser::release(int d, int u) {
    matching_.set_used(u, false);
    matching_.set_match(d, u);
}

// Restricts matched edge e to rotation t and re-matches it, keeping every edge matched; false
// when that is impossible (the caller undoes the journal).
bool chooser::match_with_rotation(int e, int t) {
    const int u = matching_.match(e);
    matching_.restrict_rotation(e, t);
    matching_.clear_match(e);
    if ((matching_.rotations_of(e, u) >> t) & 1u) {
        matching_.set_match(e, u);
        return true;
    }
    return matching_.augment(e);
}

// Looks for a matching of edges first..m-1 whose rotations make base + their sum coprime with
// n. Only the multi-rotation edges can change the sum. First each of them is tried alone on
// each of its rotations, which often gives a certificate at once and bounds what they can
// reach; then a bounded branch and bound over them decides, or answers "unknown".
chooser::repair chooser::repair_rotations(int first, int base) {
    const auto from = std::lower_bound(multi_.begin(), multi_.end(), first) - multi_.begin();
    repair_edges_.assign(multi_.begin() + from, multi_.end());
    const std::size_t count = repair_edges_.size();
    feasible_.assign(count, 0);
    for (std::size_t i = 0; i < count; ++i) {
        const int e = repair_edges_[i];
        for (int t : rotation_options_[static_cast<std::size_t>(from) + i]) {
            const std::size_t start = matching_.mark();
            const bool ok = match_with_rotation(e, t);
            matching_.restrict_rotation(e, -1);
            if (ok && unit(base + matching_.rotation_sum())) {
                matching_.finish_journal();
                return repair::found;
            }
            matching_.undo_to(start);
            if (ok) feasible_[i] |= 1u << t;
            if (stopped()) {
                matching_.finish_journal();
                return repair::none;
            }
        }
    }
    feasible_reach_.assign(count + 1, 0);
    feasible_reach_[count] = 1u;
    for (std::size_t i = count; i-- > 0;)
        for (int t = 0; t < n_; ++t)
            if ((feasible_[i] >> t) & 1u)
                feasible_reach_[i] |= shifted_residues(feasible_reach_[i + 1], t, n_);
    repair_nodes_ = 0;
    const repair result = branch(0, base + fixed_sum_[first]);
    for (int e : repair_edges_) matching_.restrict_rotation(e, -1);
    matching_.finish_journal();
    return result;
}

// Fixes the rotations of repair edges i.. in turn; on "found" the matching realises them.
chooser::repair chooser::branch(std::size_t i, int partial) {
    if (++repair_nodes_ > kRepairNodes) return repair::unknown;
    if ((shifted_residues(feasible_reach_[i], partial, n_) & units_) == 0) return repair::none;
    if (i == repair_edges_.size()) return repair::found;
    const int e = repair_edges_[i];
    bool unknown = false;
    for (int t = 0; t < n_; ++t) {
        if (!((feasible_[i] >> t) & 1u)) continue;
        const std::size_t start = matching_.mark();
        if (match_with_rotation(e, t)) {
            const repair deeper = branch(i + 1, partial + t);
            if (deeper == repair::found) return repair::found;
            unknown = unknown || deeper == repair::unknown;
        }
        matching_.undo_to(start);
        matching_.restrict_rotation(e, -1);
        if (stopped()) return repair::none;
    }
    return unknown ? repair::unknown : repair::none;
}

choice_status chooser::run(const std::vector<int>& hint, std::vector<int>& choice, int& sh) {
    if ((reach_[0] & units_) == 0) return choice_status::none;
    if (!initial_matching(hint))
        return stopped() ? meter_.stop : choice_status::none;
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
            if ((shifted_residues(reach_[d + 1], next_sh, n_) & units_) == 0) continue;
            if (!take(d, tr.odd)) {
                if (stopped()) return meter_.stop;
                continue;
            }
            if (!unit(next_sh + matching_.rotation_sum()) &&
                repair_rotations(d + 1, next_sh) == repair::none) {
                if (stopped()) return meter_.stop;
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
