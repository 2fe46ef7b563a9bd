#include "gen/join_matching.h"

#include <algorithm>

#include "tui/ui.h"

bool work_meter::spend(long long units) {
    if (stop != choice_status::found) return false;
    const long long before = work;
    work += units;
    if (limit > 0 && work > limit) stop = choice_status::abandoned;
    else if ((before >> 12) != (work >> 12) && user_cancelled()) stop = choice_status::cancelled;
    return stop == choice_status::found;
}

join_matching::join_matching(const cycle_edges& edges, int odd_count, work_meter& meter)
    : meter_(meter) {
    const int m = static_cast<int>(edges.start.size()) - 1;
    start_.assign(1, 0);
    for (int d = 0; d < m; ++d) {
        const std::size_t first = candidates_.size();
        for (int c = 0; c < edges.count(d); ++c) {
            const transition& tr = edges.at(d, c);
            if (tr.odd < 0) continue;
            std::size_t at = first;
            while (at < candidates_.size() && candidates_[at].odd != tr.odd) ++at;
            if (at == candidates_.size()) candidates_.push_back(candidate{tr.odd, 0u});
            candidates_[at].rotations |= 1u << tr.rotation;
        }
        start_.push_back(static_cast<int>(candidates_.size()));
    }
    edge_match_.assign(static_cast<std::size_t>(m), -1);
    edge_rotation_.assign(static_cast<std::size_t>(m), 0);
    allowed_.assign(static_cast<std::size_t>(m), -1);
    odd_owner_.assign(static_cast<std::size_t>(odd_count), -1);
    used_.assign(static_cast<std::size_t>(odd_count), 0);
    seen_.assign(static_cast<std::size_t>(odd_count), 0u);
}

unsigned join_matching::rotations_of(int e, int u) const {
    for (int i = start_[e]; i < start_[e + 1]; ++i)
        if (candidates_[i].odd == u) return candidates_[i].rotations;
    return 0u;
}

void join_matching::record(int e, int u) {
    if (!journaling_) return;
    journal_.push_back(
        change{e, edge_match_[e], edge_rotation_[e], u, u >= 0 ? odd_owner_[u] : -1, rotation_sum_});
}

void join_matching::set_match(int e, int u) {
    record(e, u);
    unsigned rotations = rotations_of(e, u);
    if (allowed_[e] >= 0) rotations &= 1u << allowed_[e];
    int t = 0;
    while (rotations != 0 && !((rotations >> t) & 1u)) ++t;
    edge_match_[e] = u;
    odd_owner_[u] = e;
    edge_rotation_[e] = t;
    rotation_sum_ += t;
}

void join_matching::clear_match(int e) {
    const int u = edge_match_[e];
    record(e, u);
    if (u >= 0) odd_owner_[u] = -1;
    edge_match_[e] = -1;
    rotation_sum_ -= edge_rotation_[e];
    edge_rotation_[e] = 0;
}

// Iterative, so that long chains of edges cannot exhaust the call stack.
bool join_matching::augment(int root) {
    if (++visit_ == 0) {
        std::fill(seen_.begin(), seen_.end(), 0u);
        visit_ = 1;
    }
    stack_.clear();
    stack_.push_back(frame{root, start_[root], -1});
    while (!stack_.empty()) {
        frame& top = stack_.back();
        if (top.next == start_[top.edge + 1]) {
            stack_.pop_back();
            continue;
        }
        const candidate& c = candidates_[top.next++];
        if (!meter_.spend(1)) return false;
        if (used_[c.odd] || seen_[c.odd] == visit_ || !allows(top.edge, c)) continue;
        seen_[c.odd] = visit_;
        top.via = c.odd;
        const int owner = odd_owner_[c.odd];
        if (owner < 0) {
            // Flip from the far end so that every odd necklace is free when it is taken.
            for (auto f = stack_.rbegin(); f != stack_.rend(); ++f) {
                if (edge_match_[f->edge] >= 0) clear_match(f->edge);
                set_match(f->edge, f->via);
            }
            return true;
        }
        stack_.push_back(frame{owner, start_[owner], -1});
    }
    return false;
}

std::size_t join_matching::mark() {
    journaling_ = true;
    return journal_.size();
}

void join_matching::undo_to(std::size_t position) {
    while (journal_.size() > position) {
        const change& c = journal_.back();
        edge_match_[c.edge] = c.match;
        edge_rotation_[c.edge] = c.rotation;
        if (c.odd >= 0) odd_owner_[c.odd] = c.owner;
        rotation_sum_ = c.rotation_sum;
        journal_.pop_back();
    }
}

void join_matching::finish_journal() {
    journal_.clear();
    journaling_ = false;
}
