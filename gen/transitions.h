// Joins between even necklaces, computed on demand from the necklace tables instead of being
// stored for all E x E pairs: a join is one bit flip to an odd word and a second flip to a
// rotation of the next even necklace.
#pragma once

#include <vector>

#include "gen/necklace.h"

struct transition {
    int rotation; // t: the next necklace's word is reached rotated t times (0..n-1)
    int word;     // the odd intermediate word
    int odd;      // index of its odd necklace, or -1 when the word is periodic (never chosen)
};

// The transitions from even necklace j to even necklace k in their listed order: rotation t
// ascending, and for each t the entry that flips the lower differing bit first. Empty when
// j == k or when the two are not neighbours.
void transitions_between(const stgc& tables, int j, int k, std::vector<transition>& out);

// One edge of the necklace graph seen from node x (evens 0..E-1, odds E..E+O-1): flipping bit
// `bit` of x's word lands on node `to`, rotated `voltage` places from its representative.
struct half_edge {
    int to;
    int voltage;
};
// The half-edges of node x in bit order (at most n; periodic words are left out).
int half_edges_of(const stgc& tables, int x, half_edge* out);
