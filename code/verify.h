// Whether a run list is a single-track Gray code, decided from the runs themselves: no track
// and no table of readings is built, so a code of any size can be tested in O(Q) time and
// O(r) memory.
#pragma once

#include <cstdint>

#include "code/track.h"

// Verdicts, in the order in which they are decided: the first one that applies is given.
enum class code_verdict {
    empty,        // no runs at all
    odd_runs,     // an odd number of runs
    no_heads,     // the runs do not divide the quality
    not_gray,     // some step changes no head or several
    not_distinct, // two rotations give the same reading
    good,
};

// The full test. Throws std::bad_alloc when its O(r) working room does not fit memory.
code_verdict check_code(const int* runs);

// Whether every step, the one from rotation Q-1 to 0 included, changes exactly one head.
// Requires an even, non-zero run count that divides Q. A run that is not positive fails.
bool every_step_changes_one_head(const int* runs, const run_shape& shape);

// Whether the Q readings are pairwise different. Requires every_step_changes_one_head.
bool readings_distinct(const int* runs, const run_shape& shape);
