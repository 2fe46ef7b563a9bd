// Times code generation for chosen head counts and qualities and verifies every code.
//
//   bench_gen_sizes all 3 16          every offered quality for n = 3..16
//   bench_gen_sizes grid 17 20 [k] [s] the largest quality, 2 cogs and k (default 12) spread
//                                     qualities, each with s (default 1) seeds
//   bench_gen_sizes one n m [seed]    one quality Q = 2*n*m
//
// Prints per head count the number of codes, the median and largest computation time (table
// building and search, without the verification) and the peak resident memory.
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "code/runlist.h"
#include "code/track.h"
#include "gen/necklace.h"
#include "tui/ui.h"

namespace {

// Above these a code is listed: 10 ms up to 16 heads, 1 s above.
double target_ms(int n) { return n <= 16 ? 10.0 : 1000.0; }

// Independent check: 2m runs summing to Q, each step flips one head, all readings differ.
bool verify(const int* runs, int n, int Q) {
    run_shape s = shape_of(runs);
    if (s.quality != Q || s.runs * n != Q || s.runs % 2 != 0) return false;
    std::vector<unsigned char> track = expand_track(runs);
    std::vector<uint32_t> readings = all_readings(track, s.runs, n);
    std::vector<bool> seen(static_cast<std::size_t>(1) << n, false);
    for (std::size_t k = 0; k < readings.size(); ++k) {
        uint32_t step = readings[k] ^ readings[(k + 1) % readings.size()];
        if (step == 0 || (step & (step - 1)) != 0 || seen[readings[k]]) return false;
        seen[readings[k]] = true;
    }
    return true;
}

long peak_kib() {
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Processor time of this process: the machine may be shared, so wall time would measure others.
double cpu_ms() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

struct sample {
    double ms;
    int m;
};

// Generates n heads, m cogs; returns the computation time in ms, or -1 on a failure.
double generate(int n, int m, unsigned seed, int* attempts) {
    headless_log log;
    headless_log* previous = set_headless_log(&log);
    const double start = cpu_ms();
    int max = 0;
    algorithm1(n, &max);
    srand(seed);
    bool ok = perebor.process(2 * n * m);
    const double stop = cpu_ms();
    set_headless_log(previous);
    *attempts = 0;
    for (std::size_t at = log.body.find("Hamilton:<"); at != std::string::npos;
         at = log.body.find("Hamilton:<", at + 1))
        ++*attempts;
    if (!ok || !verify(global_stgc, n, 2 * n * m)) return -1;
    return stop - start;
}

int report(int n, std::vector<sample>& samples, int failures, int max_attempts) {
    std::sort(samples.begin(), samples.end(),
              [](const sample& a, const sample& b) { return a.ms < b.ms; });
    double median = samples.empty() ? 0 : samples[samples.size() / 2].ms;
    double worst = samples.empty() ? 0 : samples.back().ms;
    int worst_m = samples.empty() ? 0 : samples.back().m;
    printf("n=%2d codes=%5zu failures=%d median=%8.2f ms max=%8.2f ms (m=%d) attempts<=%d "
           "peak=%ld KiB\n",
           n, samples.size(), failures, median, worst, worst_m, max_attempts, peak_kib());
    fflush(stdout);
    return failures;
}

// Table size E for n heads, from a silent table build.
int even_count_of(int n) {
    headless_log log;
    headless_log* previous = set_headless_log(&log);
    int max = 0;
    algorithm1(n, &max);
    undo_alg1();
    set_headless_log(previous);
    return max / (2 * n);
}

int run(int n, const std::vector<int>& cogs, unsigned seed, int seeds = 1) {
    std::vector<sample> samples;
    int failures = 0, max_attempts = 0;
    for (int i = 0; i < static_cast<int>(cogs.size()) * seeds; ++i) {
        const int m = cogs[static_cast<std::size_t>(i / seeds)];
        int attempts = 0;
        double ms = generate(n, m, seed + static_cast<unsigned>(m + 7919 * (i % seeds)), &attempts);
        max_attempts = std::max(max_attempts, attempts);
        if (ms < 0) {
            printf("FAILED n=%d m=%d\n", n, m);
            ++failures;
        } else {
            samples.push_back(sample{ms, m});
            if (ms > target_ms(n) || attempts > 1)
                printf("  over target: n=%d m=%d %.2f ms, %d attempts\n", n, m, ms, attempts);
        }
    }
    return report(n, samples, failures, max_attempts);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: %s all|grid|one ...\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    int failures = 0;
    if (mode == "one") {
        int n = atoi(argv[2]), m = atoi(argv[3]);
        unsigned seed = argc > 4 ? static_cast<unsigned>(atoi(argv[4])) : 1u;
        failures += run(n, {m}, seed);
    } else {
        int from = atoi(argv[2]), to = atoi(argv[3]);
        int spread = argc > 4 ? atoi(argv[4]) : 12;
        int seeds = argc > 5 ? atoi(argv[5]) : 1;
        for (int n = from; n <= to; ++n) {
            int e = even_count_of(n);
            std::vector<int> cogs;
            if (mode == "all") {
                for (int m = 1; m <= e; ++m) cogs.push_back(m);
            } else {
                for (int i = 1; i <= spread; ++i) cogs.push_back(std::max(1, e * i / spread));
                cogs.push_back(2);
            }
            failures += run(n, cogs, 12345u, mode == "all" ? 1 : seeds);
        }
    }
    return failures == 0 ? 0 : 1;
}
