// How long a shortest run the search reaches within a time budget, size by size.
//
//   bench_long_runs all [seconds] [seed]     every reference size
//   bench_long_runs n Q [seconds] [seed]     one size (seconds default: 10, 20 for 20 heads)
//   bench_long_runs n Q min K [seconds] [seed]  any code with runs >= K
//
// Each size runs in a child process so that its peak memory is its own. Every code is checked
// with the code test, its size and its claimed shortest run. Prints one line per size: the
// shortest run reached, whether it is proved optimal, when it was reached, the total time and
// the peak resident memory. Exit status 1 when a code fails its check.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "code/verify.h"
#include "gen/run_search.h"

namespace {

struct size_case {
    int heads, quality;
};

// The reference sizes, and two near the largest quality of 9 heads, where the best drops.
const size_case kTable[] = {{5, 30},    {6, 48},     {7, 126},     {8, 224},  {9, 360},
                            {9, 468},   {9, 504},    {10, 360},    {10, 960}, {12, 1200},
                            {12, 3960}, {16, 65024}, {20, 1046520}};

const char* status_name(run_search_status s) {
    switch (s) {
    case run_search_status::found:
        return "found";
    case run_search_status::optimal:
        return "optimal";
    case run_search_status::none_exists:
        return "none exists";
    case run_search_status::not_found:
        return "not found";
    case run_search_status::stopped:
        return "stopped";
    }
    return "?";
}

bool code_holds(const run_search_result& r, int n, int quality) {
    if (r.runs.empty()) return r.shortest == 0;
    std::vector<int> list(r.runs);
    list.push_back(0);
    long long sum = 0;
    for (int run : r.runs)
        sum += run;
    return sum == quality && static_cast<int>(r.runs.size()) * n == quality &&
           *std::min_element(r.runs.begin(), r.runs.end()) == r.shortest &&
           check_code(list.data()) == code_verdict::good;
}

int run_one(int n, int quality, int min_run, double seconds, uint64_t seed) {
    run_search_options options;
    options.heads = n;
    options.quality = quality;
    options.min_run = min_run;
    options.seconds = seconds;
    options.seed = seed;
    options.on_improve = [n, quality](int shortest, double seconds) {
        fprintf(stderr, "  %d/%d: %d at %.3f s\n", n, quality, shortest, seconds);
    };
    const auto start = std::chrono::steady_clock::now();
    const run_search_result r = search_long_runs(options);
    const double total =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const bool holds = code_holds(r, n, quality);
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    printf("%2d heads %7d positions: shortest run %2d  %-11s  reached %8.3f s  total %7.3f s"
           "  peak %6ld KiB  %s\n",
           n, quality, r.shortest, status_name(r.status), r.seconds_to_best, total, usage.ru_maxrss,
           holds ? "checked" : "CODE FAILS ITS CHECK");
    fflush(stdout);
    return holds ? 0 : 1;
}

// Runs one size in a child so that the peak memory printed is that size's alone.
int in_child(int n, int quality, int min_run, double seconds, uint64_t seed) {
    fflush(stdout);
    const pid_t child = fork();
    if (child == 0) _exit(run_one(n, quality, min_run, seconds, seed));
    int wstatus = 0;
    if (child < 0 || waitpid(child, &wstatus, 0) != child) return 1;
    return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 1;
}

double default_seconds(int n) {
    return n >= 20 ? 20 : 10;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::string(argv[1]) == "all") {
        int failures = 0;
        for (const size_case& c : kTable)
            failures +=
                in_child(c.heads, c.quality, 0, argc > 2 ? atof(argv[2]) : default_seconds(c.heads),
                         argc > 3 ? strtoull(argv[3], nullptr, 10) : 1);
        return failures == 0 ? 0 : 1;
    }
    if (argc >= 3) {
        const int n = atoi(argv[1]), quality = atoi(argv[2]);
        if (argc >= 5 && std::string(argv[3]) == "min")
            return in_child(n, quality, atoi(argv[4]),
                            argc > 5 ? atof(argv[5]) : default_seconds(n),
                            argc > 6 ? strtoull(argv[6], nullptr, 10) : 1);
        return in_child(n, quality, 0, argc > 3 ? atof(argv[3]) : default_seconds(n),
                        argc > 4 ? strtoull(argv[4], nullptr, 10) : 1);
    }
    fprintf(stderr,
            "usage: %s all [seconds] [seed] | n Q [seconds] [seed] | n Q min K [seconds] [seed]\n",
            argv[0]);
    return 2;
}
