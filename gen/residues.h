// Sets of rotation sums modulo n (n <= 20) as bit masks: bit r stands for the sum r mod n.
#pragma once

#include <cstdint>

#include "gen/necklace.h"

inline int residue(int value, int n) {
    value %= n;
    return value < 0 ? value + n : value;
}

// The set with `by` added to every member.
inline uint32_t shifted_residues(uint32_t set, int by, int n) {
    by = residue(by, n);
    if (by == 0) return set;
    return ((set << by) | (set >> (n - by))) & ((1u << n) - 1);
}

// The residues coprime with n, the sums that make a code.
inline uint32_t unit_residues(int n) {
    uint32_t units = 0;
    for (int r = 0; r < n; ++r)
        if (NOD(r, n) == 1) units |= 1u << r;
    return units;
}
