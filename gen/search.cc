#include "gen/search.h"

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "code/runlist.h"
#include "gen/choice_search.h"
#include "gen/code_build.h"
#include "gen/cycle_search.h"
#include "tui/ui.h"

namespace {

void append_number(std::string& line, const char* format, int value) {
    char buf[16];
    snprintf(buf, sizeof buf, format, value);
    line += buf;
}

// Enough for every cycle the random search hands over (they come with a valid choice); it
// only stops a pathological cycle from holding the search.
long long default_work_limit(int m) { return 500LL * m + (1LL << 20); }

} // namespace

attempt_result attempt_cycle(const stgc& tables, const std::vector<int>& cycle,
                             const std::vector<int>& hint, long long work_limit,
                             std::vector<int>& runs) {
    runs.clear();
    const int m = static_cast<int>(cycle.size());
    std::string line = "Hamilton:<";
    for (int d = 0; d < m; ++d) {
        if (d > 0) line += ',';
        append_number(line, "%x", tables.even_necklaces[cycle[d]]);
    }
    line += '>';
    bodymsg(line.c_str());

    cycle_edges edges;
    std::vector<int> choice;
    int sh = 0;
    choice_status chosen;
    try {
        list_cycle_edges(tables, cycle, edges);
        chosen = choose_transitions(tables, edges, hint, work_limit, choice, sh);
    } catch (const std::bad_alloc&) {
        // The line waits for its verdict; the caller's error message needs a line of its own.
        bodymsg("\n");
        throw;
    }
    switch (chosen) {
    case choice_status::found:
        break;
    case choice_status::cancelled:
        bodymsg("\n");
        return attempt_result::cancelled;
    default:
        bodymsg("BAD\n");
        return attempt_result::bad;
    }
    bodymsg("GOOD\n");

    line = "{";
    for (int d = 0; d < m; ++d) append_number(line, d > 0 ? ",%i" : "%i", choice[d]);
    line += "}\n";
    bodymsg(line.c_str());
    bodymsgf("Gray Code found (Sh=%i)\n", sh);

    std::vector<int> readings = build_readings(tables, cycle, edges, choice, sh);
    bodymsgf("First COG detected (%i)\n", m);
    if (!runs_from_readings(readings, 2 * m, runs)) {
        // Cannot happen for a valid choice; refuse rather than install a broken code.
        bodymsg("Error: the readings do not form a code\n");
        return attempt_result::bad;
    }
    return attempt_result::good;
}

void stgc::back(int* pos) {
    if (*pos <= 0) {
        *pos = 0;
        return;
    }
    --*pos;
    int r = rand();
    while ((r & 1) && *pos > 0) {
        --*pos;
        r = rand();
    }
}

void stgc::simple_algorithm() {
    const int b = rand() % (heads - 2);
    replace_global_stgc(make_runlist({2 * b + 3, 2 * heads - 2 * b - 3}));
}

bool stgc::process(int Q) {
    quality = Q;
    const int n = heads;
    bool installed = false;
    try {
        if (n < kMinHeads || n > kMaxHeads || even_necklaces == nullptr) {
            bodymsg("Error: Number of heads must be from 3 to 20\n");
        } else if (Q < 2 * n) {
            bodymsg("Too low Quality\n");
        } else if (Q > 2 * even_count * n) {
            bodymsg("Too high Quality\n");
        } else if (Q % (2 * n) != 0) {
            bodymsg("(2*Number_Of_Heads) must be divisor of Quality\n");
        } else if (Q == 2 * n) {
            bodymsg("Simple algorithm...\n");
            simple_algorithm();
            installed = true;
        } else {
            const int m = Q / (2 * n);
            std::vector<int> evens, odds, runs;
            attempt_result result = attempt_result::bad;
            cycle_status cycles = cycle_status::found;
            while (result == attempt_result::bad) {
                cycles = user_cancelled() ? cycle_status::cancelled
                                          : find_cycle(*this, m, evens, odds);
                if (cycles != cycle_status::found) break;
                result = attempt_cycle(*this, evens, odds, default_work_limit(m), runs);
            }
            if (result == attempt_result::good) {
                replace_global_stgc(make_runlist(runs));
                installed = true;
            } else if (cycles == cycle_status::impossible) {
                bodymsg("Error: No cycle of that length; the current code is unchanged.\n");
            } else {
                bodymsg("Search cancelled: the current code is unchanged.\n");
            }
        }
    } catch (const std::bad_alloc&) {
        bodymsg("Error: Not enough memory for the search; the current code is unchanged.\n");
        installed = false;
    }
    delete_tree();
    return installed;
}
