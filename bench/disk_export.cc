// Formats the SVG drawing, the Gerber file and a drill file for a long code and prints the
// time and size of each, and the peak memory of the process.
//   bench_disk_export [runs]     (default 1000000 runs)
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "code/runlist.h"
#include "export/disk_gerber.h"
#include "export/disk_svg.h"

namespace {

template <typename F>
double milliseconds(F&& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    return spent.count();
}

} // namespace

int main(int argc, char** argv) {
    long count = argc > 1 ? strtol(argv[1], nullptr, 10) : 1000000;
    if (count < 2 || count > 100000000) {
        fprintf(stderr, "runs: 2 .. 100000000\n");
        return 2;
    }
    std::vector<int> lengths(static_cast<size_t>(count));
    for (long i = 0; i < count; ++i) lengths[static_cast<size_t>(i)] = 1 + static_cast<int>(i % 7);
    int* runs = make_runlist(lengths);
    const float dims[5] = {180, 150, 24, 46, 12};

    std::string svg, gerber, drill;
    disk_status s1 = disk_status::ok, s2 = disk_status::ok, s3 = disk_status::ok;
    double svg_ms = milliseconds([&] { s1 = format_svg(runs, dims, svg); });
    double gerber_ms = milliseconds([&] { s2 = format_gerber(runs, dims, 3, gerber); });
    double drill_ms = milliseconds([&] { s3 = format_drill(dims, 3, drill); });
    if (s1 != disk_status::ok || s2 != disk_status::ok || s3 != disk_status::ok) {
        fprintf(stderr, "formatting failed\n");
        return 1;
    }
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    printf("runs %ld\n", count);
    printf("svg     %9.1f ms  %10zu bytes\n", svg_ms, svg.size());
    printf("gerber  %9.1f ms  %10zu bytes\n", gerber_ms, gerber.size());
    printf("drill   %9.3f ms  %10zu bytes\n", drill_ms, drill.size());
    printf("peak rss %ld KiB\n", usage.ru_maxrss);
    delete[] runs;
    return 0;
}
