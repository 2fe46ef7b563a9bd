// The search for codes whose shortest run is long: the narrowest slot or cog of the disk sets
// how small it can be cut and how coarse a sensor can read it. A code of n heads and quality
// Q = 2nm has 2m runs; for m >= 2 its shortest run is at most n - 1.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// The work a repeatable (seeded) search does when no effort is given: about what the default
// ten seconds allow on a two-core machine of 2026 (some 10 million units a second).
constexpr long long default_run_effort = 100000000;

struct run_search_options {
    int heads = 0;        // n, 3..20
    int quality = 0;      // Q; a code exists only for multiples of 2n from 2n to 2nE
    int min_run = 0;      // > 0: find any code whose runs are all >= min_run, then stop;
                          // 0: maximise the shortest run
    double seconds = 10;  // time budget when effort == 0
    long long effort = 0; // > 0: budget in work units instead of time (repeatable anywhere)
    uint64_t seed = 0;    // the search's own random seed; rand() is never touched
    // Called on every better code with its shortest run and the seconds since the start.
    std::function<void(int shortest, double seconds)> on_improve;
    // Polled often; true stops the search, which still returns its best code.
    std::function<bool()> should_stop;
};

enum class run_search_status {
    found,       // a code meeting min_run, or the best within the budget (maximising)
    optimal,     // maximising: no code of this size has a longer shortest run
    none_exists, // proved: no code with runs >= min_run (or no code at all) has this size
    not_found,   // the budget ran out before a code meeting min_run (or any code) was found
    stopped,     // should_stop said stop; runs holds the best code so far, if any
};

struct run_search_result {
    run_search_status status = run_search_status::not_found;
    std::vector<int> runs;      // the best code found (first run a gap), tested; empty if none
    int shortest = 0;           // its shortest run (0 without a code)
    double seconds_to_best = 0; // when it was found
};

// Searches codes of options.heads heads and options.quality positions as the options say;
// every code it returns passes the code test. With effort > 0 the status, runs and shortest
// run depend only on the options (and should_stop), never on the machine or the clock; only
// the seconds reported vary. Throws std::invalid_argument for heads outside 3..20 and
// std::bad_alloc when the tables do not fit memory. Writes no messages.
run_search_result search_long_runs(const run_search_options& options);
