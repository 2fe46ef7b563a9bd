// Time of the code test (Test STGC) on the known code and on codes of the largest generated
// size. Usage: bench_code_test_speed [repetitions, default 5]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "code/cogwheel.h"
#include "code/runlist.h"
#include "code/verify.h"
#include "gen/necklace.h"
#include "tui/ui.h"

namespace {

const std::vector<int> known_good = {10, 3, 5, 18, 14, 3,  4, 8, 6,  6, 5,  6, 10, 3,
                                     13, 4, 5, 12, 4,  13, 4, 4, 11, 4, 12, 5, 9,  23};

// r runs, quality n*r, one run start in every residue class mod r: every step changes one
// head, so the test goes on to compare the readings.
std::vector<int> one_change_code(int r, int n, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<long long> starts{0};
    for (int residue = 1; residue < r; ++residue)
        starts.push_back(residue + static_cast<long long>(random() % unsigned(n)) * r);
    std::sort(starts.begin(), starts.end());
    starts.push_back(static_cast<long long>(n) * r);
    std::vector<int> runs;
    for (size_t i = 0; i + 1 < starts.size(); ++i)
        runs.push_back(static_cast<int>(starts[i + 1] - starts[i]));
    return runs;
}

// r random runs with the given quality (r divides it); almost surely fails the step test.
std::vector<int> random_runs(int r, int quality, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<int> cuts;
    while (static_cast<int>(cuts.size()) < r - 1) {
        cuts.push_back(1 + static_cast<int>(random() % unsigned(quality - 1)));
        std::sort(cuts.begin(), cuts.end());
        cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    }
    cuts.insert(cuts.begin(), 0);
    cuts.push_back(quality);
    std::vector<int> runs;
    for (size_t i = 0; i + 1 < cuts.size(); ++i)
        runs.push_back(cuts[i + 1] - cuts[i]);
    return runs;
}

// The generator's code of the largest quality for n heads (empty if it could not build one).
std::vector<int> generated_code(int n) {
    headless_log log;
    headless_log* previous = set_headless_log(&log);
    int max_quality = 0;
    algorithm1(n, &max_quality);
    srand(1);
    replace_global_stgc(nullptr);
    perebor.process(max_quality);
    set_headless_log(previous);
    return runs_of(global_stgc);
}

const char* verdict_name(const char* reason) {
    return reason ? reason : "STGC is good!";
}

long peak_kib() {
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void measure(const char* what, const std::vector<int>& runs, int repetitions) {
    int* list = make_runlist(runs);
    long long quality = 0;
    for (int v : runs)
        quality += v;
    headless_log log; // the informational lines are not wanted on the terminal
    headless_log* previous = set_headless_log(&log);
    double best = 1e300;
    std::string verdict;
    for (int i = 0; i < repetitions; ++i) {
        char* reason = nullptr;
        auto start = std::chrono::steady_clock::now();
        test_cogwheel(list, reason);
        double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        best = std::min(best, ms);
        verdict = verdict_name(reason);
        delete[] reason;
        log.body.clear();
    }
    set_headless_log(previous);
    delete[] list;
    printf("  %-48s Q=%-10lld r=%-7zu %10.3f ms  %s\n", what, quality, runs.size(), best,
           verdict.c_str());
}

} // namespace

int main(int argc, char** argv) {
    int repetitions = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    printf("Code test, best of %d runs:\n", repetitions);
    measure("known good code (n = 8)", known_good, repetitions * 200);
    measure("two runs, n = 523260 (good)", {523259, 523261}, repetitions);
    measure("two runs, n = 2147483647 (good)", {2147483647, 2147483647}, repetitions);
    measure("random runs, n = 20 (step test fails)", random_runs(52326, 1046520, 1), repetitions);
    measure("one change per step, n = 20", one_change_code(52326, 20, 2), repetitions);
    std::vector<int> generated = generated_code(20);
    if (!generated.empty()) measure("generated code, n = 20 (good)", generated, repetitions);
    // With a prime head count only constant readings repeat themselves, so every reading is
    // reduced and the whole comparison runs: the test's full cost at this size.
    measure("one change per step, n = 23 (full pass)", one_change_code(45502, 23, 3), repetitions);
    measure("one change per step, n = 1021, r = 1024 (good)", one_change_code(1024, 1021, 4),
            repetitions);
    measure("one change per step, n = 1046, r = 1000 (good)", one_change_code(1000, 1046, 3),
            repetitions);
    measure("one change per step, n = 4, r = 262130", one_change_code(262130, 4, 5), repetitions);
    printf("Peak RSS: %ld KiB\n", peak_kib());
    return 0;
}
