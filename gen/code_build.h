// From a closed cycle of even necklaces and its chosen joins to the code: the chain of readings
// and the run list taken from bit 0 of the readings.
#pragma once

#include <vector>

#include "gen/choice_search.h"
#include "gen/necklace.h"

// The Q = 2 * m * n readings: the chain even word, odd word, ... of one pass round the cycle,
// each pass rotated Sh places further than the one before.
std::vector<int> build_readings(const stgc& tables, const std::vector<int>& cycle,
                                const cycle_edges& edges, const std::vector<int>& choice, int sh);

// The run list of the readings' bit 0, beginning with the 1-run that follows the first 0->1
// step; stored with the run-list convention (first run a gap), it is the complemented track.
// False, with `runs` empty, unless bit 0 changes exactly `run_count` times round the track.
bool runs_from_readings(const std::vector<int>& readings, int run_count, std::vector<int>& runs);
