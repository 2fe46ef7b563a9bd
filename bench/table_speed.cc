// Time and peak memory of the table exports for 20-head codes (decoder tables of 2^20
// entries). Usage: bench_table_speed [directory for the files, default /tmp]
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "code/runlist.h"
#include "code/track.h"
#include "export/table_decoder.h"
#include "export/table_text.h"
#include "tui/ui.h"

namespace {

// A code of `heads` heads and `runs` runs with distinct readings: one run boundary in every
// residue class mod r makes every step change one head; random choices are tried until no
// two rotations read alike. Empty when none is found.
std::vector<int> random_code(int heads, int runs, unsigned seed) {
    std::mt19937 random(seed);
    const int quality = heads * runs;
    for (int attempt = 0; attempt < 1000000; ++attempt) {
        std::vector<int> bounds{0};
        for (int j = 1; j < runs; ++j)
            bounds.push_back(j + static_cast<int>(random() % static_cast<unsigned>(heads)) * runs);
        std::sort(bounds.begin(), bounds.end());
        std::vector<int> code;
        for (int i = 0; i < runs; ++i)
            code.push_back((i + 1 < runs ? bounds[i + 1] : quality) - bounds[i]);
        int* list = make_runlist(code);
        std::vector<uint32_t> readings = all_readings(expand_track(list), runs, heads);
        delete[] list;
        std::sort(readings.begin(), readings.end());
        if (std::adjacent_find(readings.begin(), readings.end()) == readings.end()) return code;
    }
    return {};
}

long peak_kib() {
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

template <typename Export> void measure(const char* what, const std::string& path, Export run) {
    auto start = std::chrono::steady_clock::now();
    run(path.c_str());
    double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    FILE* f = fopen(path.c_str(), "rb");
    long size = -1;
    if (f) {
        fseek(f, 0, SEEK_END);
        size = ftell(f);
        fclose(f);
    }
    printf("  %-22s %9.1f ms  %10ld bytes  peak RSS so far %ld KiB\n", what, ms, size, peak_kib());
    unlink(path.c_str());
}

void bench_code(const char* name, const std::vector<int>& code, const std::string& dir) {
    int* list = make_runlist(code);
    run_shape shape = shape_of(list);
    printf("%s: Q = %lld, r = %lld, heads = %lld\n", name, static_cast<long long>(shape.quality),
           static_cast<long long>(shape.runs), static_cast<long long>(shape.quality / shape.runs));
    headless_log quiet;
    headless_log* previous = set_headless_log(&quiet);
    measure("assembler", dir + "/bench_table.asm",
            [&](const char* p) { save_assembler(list, p, false); });
    measure("C++", dir + "/bench_table.cpp", [&](const char* p) { save_assembler(list, p, true); });
    measure("text", dir + "/bench_table.txt", [&](const char* p) { save_text(list, p); });
    set_headless_log(previous);
    if (quiet.body.find("ERROR") != std::string::npos)
        printf("  unexpected: %s", quiet.body.c_str());
    delete[] list;
}

} // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : "/tmp";
    printf("peak RSS at start %ld KiB\n", peak_kib());
    bench_code("two runs", {3, 37}, dir);
    std::vector<int> code = random_code(20, 100, 1);
    if (code.empty())
        printf("no 20-head code of 100 runs found\n");
    else
        bench_code("random 20-head code", code, dir);
    return 0;
}
