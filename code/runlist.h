// The current code: a run list of positive ints ended by 0, first run a gap (0s), then a cog.
#pragma once

#include <vector>

// Null until a code is loaded, typed or generated; replaced only through replace_global_stgc.
extern int* global_stgc;

// Installs `fresh` (from array new) as the current code and releases the previous one.
void replace_global_stgc(int* fresh);

// A new zero-terminated run list (array new) holding `runs`; entries are copied as they are.
int* make_runlist(const std::vector<int>& runs);

// The entries of a zero-terminated run list up to its first 0 (empty for null).
std::vector<int> runs_of(const int* runs);

// The shortest and longest run of a run list, and its shortest gap (runs 0, 2, ...) and
// shortest cog (runs 1, 3, ...); 0 where there is no such run.
struct run_extremes {
    int shortest = 0;
    int longest = 0;
    int shortest_gap = 0;
    int shortest_cog = 0;
};
run_extremes extremes_of(const int* runs);
