// One attempt of the code search on a given closed cycle of even necklaces, with its messages.
// `stgc::process` drives the attempts; tests call this directly with a cycle of their choice.
#pragma once

#include <vector>

#include "gen/necklace.h"

enum class attempt_result { good, bad, cancelled };

// Writes the cycle's "Hamilton" line, chooses its joins ("GOOD" or "BAD"), and when good
// writes the choices, Sh and the cog count and leaves the new run list (2m runs) in `runs`.
// `hint` may give one odd necklace per edge known to form a valid choice; `work_limit` bounds
// the choice search (<= 0: no bound), an attempt over its bound being reported as "BAD".
attempt_result attempt_cycle(const stgc& tables, const std::vector<int>& cycle,
                             const std::vector<int>& hint, long long work_limit,
                             std::vector<int>& runs);
