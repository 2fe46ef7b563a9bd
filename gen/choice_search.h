// The choice of joins for a closed cycle of even necklaces: one transition per edge such that
// the odd necklaces of the chosen intermediate words are all different and the rotation sum
// Sh is coprime with n. The answer is the first valid choice vector in ascending order.
#pragma once

#include <vector>

#include "gen/necklace.h"
#include "gen/transitions.h"

// The transition lists of a cycle's edges, flat: edge d owns entries[start[d] .. start[d+1]).
struct cycle_edges {
    std::vector<int> start;
    std::vector<transition> entries;
    int count(int d) const { return start[d + 1] - start[d]; }
    const transition& at(int d, int c) const { return entries[start[d] + c]; }
};

// Lists the transitions of every edge d: cycle[d] -> cycle[(d+1) mod m].
void list_cycle_edges(const stgc& tables, const std::vector<int>& cycle, cycle_edges& out);

enum class choice_status {
    found,     // `choice` and `sh` hold the answer
    none,      // proven: no valid choice exists for this cycle
    abandoned, // the work limit ran out first
    cancelled, // the user asked to stop
};

// Depth-first search in ascending choice order, cut exactly where no completion can exist:
// a matching of the remaining edges to unused odd necklaces must exist, and some rotation sum
// reachable by the remaining edges must make Sh coprime with n. `hint` (one odd necklace per
// edge forming a valid set, or empty) seeds the matching. `work_limit` <= 0 means no limit.
choice_status choose_transitions(const stgc& tables, const cycle_edges& edges,
                                 const std::vector<int>& hint, long long work_limit,
                                 std::vector<int>& choice, int& sh);
