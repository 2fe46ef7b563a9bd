// stgc-batch generate: the search of the Generate commands, with a seed and no prompts.
#include <chrono>
#include <cstring>
#include <random>

#include "cli/batch.h"
#include "code/code_file.h"
#include "code/runlist.h"
#include "gen/commands.h"
#include "gen/necklace.h"
#include "gen/run_search.h"
#include "tui/ui.h"

// Named: the front end compiles as one unit, where anonymous namespaces would meet.
namespace generate_job {

struct generate_options {
    int heads = 0;
    long long quality = 0;
    long long cogs = 0;
    unsigned seed = 0;
    bool verbose = false;
    std::string output = "-";
    bool longest = false;
    int min_run = 0;
    double seconds = 10;
    long long effort = 0;
} opt;
CLI::Option* seed_option = nullptr;
CLI::Option* quality_option = nullptr;
CLI::Option* cogs_option = nullptr;
CLI::Option* longest_option = nullptr;
CLI::Option* min_run_option = nullptr;
CLI::Option* time_option = nullptr;
CLI::Option* effort_option = nullptr;

void setup(CLI::App& sub) {
    sub.add_option("--heads,-n", opt.heads, "number of heads, 3..20")
        ->required()
        ->type_name("N")
        ->check(CLI::Range(kMinHeads, kMaxHeads));
    quality_option = sub.add_option("--quality,-q", opt.quality,
                                    "positions round the disk: a multiple of 2 x heads");
    cogs_option = sub.add_option("--cogs,-c", opt.cogs, "number of cogs (quality / (2 x heads))");
    quality_option->excludes(cogs_option);
    seed_option = sub.add_option("--seed", opt.seed, "seed of the search: the same code every run");
    sub.add_option("-o,--output", opt.output, "code file to write ('-': standard output)");
    sub.add_flag("--verbose,-v", opt.verbose, "print the search lines on standard error");
    longest_option = sub.add_flag("--longest-runs", opt.longest,
                                  "the code whose shortest run is as long as possible");
    min_run_option = sub.add_option("--min-run", opt.min_run, "any code whose runs are all >= K")
                         ->type_name("K")
                         ->check(CLI::PositiveNumber);
    longest_option->excludes(min_run_option);
    time_option =
        sub.add_option("--time", opt.seconds, "seconds the run search may take (default 10)")
            ->type_name("S")
            ->check(CLI::PositiveNumber);
    effort_option = sub.add_option("--effort", opt.effort,
                                   "work the run search may do instead of a time: repeatable")
                        ->type_name("W")
                        ->check(CLI::PositiveNumber);
    time_option->excludes(effort_option);
}

// What the run search has reached, on standard error as it improves.
void tell_improvement(int shortest, double seconds) {
    fprintf(stderr, "shortest run %d after %.3f s\n", shortest, seconds);
}

// --longest-runs and --min-run: the search for long runs, reporting as it goes. A Ctrl-C stops
// it and keeps the best code so far.
int run_long_search(int n, long long Q, uint64_t seed) {
    run_search_options search;
    search.heads = n;
    search.quality = static_cast<int>(Q);
    search.min_run = opt.min_run;
    search.seconds = opt.seconds;
    // A seeded search is bounded by work, so that a slower machine gives the same code.
    search.effort = effort_option->count() ? opt.effort
                    : seed_option->count() ? default_run_effort
                                           : 0;
    search.seed = seed;
    search.on_improve = tell_improvement;
    search.should_stop = interrupted;
    run_search_result found;
    const auto start = std::chrono::steady_clock::now();
    try {
        found = search_long_runs(search);
    } catch (const std::bad_alloc&) {
        return fail(exit_usage, "generate", "not enough memory for the search");
    }
    const std::string size = std::to_string(n) + " heads and " + std::to_string(Q) + " positions";
    char seconds[32];
    snprintf(seconds, sizeof seconds, "%.3f s", found.seconds_to_best);
    const std::string argument = "--min-run " + std::to_string(opt.min_run);
    switch (found.status) {
    case run_search_status::optimal:
        fprintf(stderr, "shortest run %d, proved the longest possible for %s (%.3f s)\n",
                found.shortest, size.c_str(),
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        break;
    case run_search_status::found:
        fprintf(stderr, "shortest run %d: %s in %s\n", found.shortest,
                opt.min_run ? "found" : "best found", seconds);
        break;
    case run_search_status::stopped:
        if (found.runs.empty()) return exit_no;
        fprintf(stderr, "stopped: shortest run %d, best found in %s\n", found.shortest, seconds);
        forget_interrupt();
        break;
    case run_search_status::none_exists:
        return fail(exit_no, opt.min_run ? argument : "generate",
                    "none exists: no code of " + size + " has all runs of " +
                        std::to_string(opt.min_run) + " or more");
    case run_search_status::not_found:
        return fail(exit_no, opt.min_run ? argument : "generate",
                    "no such code found within the search's bound (a longer --time or "
                    "--effort may find one)");
    }
    int* list = make_runlist(found.runs);
    output_result written = save_code_file(list, opt.output.c_str());
    delete[] list;
    if (!written.ok) return fail(exit_usage, stream_name(opt.output), strerror(written.error));
    return exit_done;
}

std::string quality_argument() {
    return cogs_option->count() ? "--cogs " + std::to_string(opt.cogs)
                                : "--quality " + std::to_string(opt.quality);
}

int run() {
    if (quality_option->count() == 0 && cogs_option->count() == 0)
        return fail(exit_usage, "generate", "--quality or --cogs is required");
    const bool long_runs = opt.longest || min_run_option->count();
    for (CLI::Option* bound : {time_option, effort_option})
        if (bound->count() && !long_runs)
            return fail(exit_usage, bound->get_name(), "bounds --longest-runs or --min-run only");
    if (time_option->count() && seed_option->count())
        return fail(exit_usage, "--time",
                    "a seeded search is bounded by --effort, so that it repeats everywhere");
    set_verbose(opt.verbose);
    const int n = opt.heads;
    int max = 0;
    const unsigned seed = seed_option->count() ? opt.seed : std::random_device{}();
    try {
        algorithm1(n, &max, seed);
    } catch (const std::bad_alloc&) {
        return fail(exit_usage, "generate", "not enough memory for the tables");
    }
    const long long Q = cogs_option->count() ? 2LL * n * opt.cogs : opt.quality;
    const std::string range = "from " + std::to_string(2 * n) + " to " + std::to_string(max) +
                              " for " + std::to_string(n) + " heads";
    switch (check_quality(n, Q, max)) {
    case quality_check::ok:
        break;
    case quality_check::too_low:
    case quality_check::too_high:
        undo_alg1();
        return fail(exit_usage, quality_argument(),
                    cogs_option->count()
                        ? "cog numbers go from 1 to " + std::to_string(max / (2 * n)) + " for " +
                              std::to_string(n) + " heads"
                        : "qualities go " + range);
    case quality_check::not_multiple:
        undo_alg1();
        return fail(exit_usage, quality_argument(),
                    "not a multiple of 2 x heads = " + std::to_string(2 * n));
    }
    if (long_runs) {
        undo_alg1();
        return run_long_search(n, Q, seed);
    }
    bodymsgf("Heads = %i, Quality = %lld \n", n, Q);
    algorithm2(n, static_cast<int>(Q));
    if (!global_stgc) return interrupted() ? exit_done : fail(exit_no, "generate", "no code found");
    output_result written = save_code_file(global_stgc, opt.output.c_str());
    if (!written.ok) return fail(exit_usage, stream_name(opt.output), strerror(written.error));
    return exit_done;
}

} // namespace generate_job

const batch_command generate_command = {
    "generate", "Generate a single-track Gray code and write it as a code file",
    generate_job::setup, generate_job::run};
