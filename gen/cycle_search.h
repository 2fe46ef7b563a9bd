// The random closed cycle of the code search. It is sought in the graph whose nodes are all
// even and odd necklaces, joined when one bit flip turns a rotation of one into the other: a
// cycle there through m even and m odd necklaces is a closed cycle of even necklaces together
// with a join per edge whose odd necklaces are all different. The cycle is grown as a path by
// random extension and rotation (Posa), shortened with `stgc::back` when it stalls, and
// accepted only when its rotation sum can be made coprime with n.
#pragma once

#include <vector>

#include "gen/necklace.h"

enum class cycle_status { found, cancelled, impossible };

// Finds such a cycle using rand(): evens[d] is joined to evens[(d+1) mod m] through odds[d]
// (indices into the two tables). Polls user_cancelled() while it works. Impossible, at once,
// unless 2 <= m <= E.
cycle_status find_cycle(stgc& tables, int m, std::vector<int>& evens, std::vector<int>& odds);
