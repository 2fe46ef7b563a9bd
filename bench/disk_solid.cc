// Formats the DXF drawing and the OpenSCAD model of the 20-head code of the largest quality
// (1,046,520 positions) and prints the time and size of each, and the peak memory.
//   bench_disk_solid [heads] [seed]     (default 20 heads, seed 1)
#include <sys/resource.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "code/runlist.h"
#include "code/track.h"
#include "export/disk_dxf.h"
#include "export/disk_scad.h"
#include "gen/necklace.h"
#include "tui/ui.h"

namespace {

// Processor time: the machine may be shared, so wall time would measure others too.
double cpu_ms() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

template <typename F>
double milliseconds(F&& work) {
    const double start = cpu_ms();
    work();
    return cpu_ms() - start;
}

} // namespace

int main(int argc, char** argv) {
    const int heads = argc > 1 ? atoi(argv[1]) : 20;
    const unsigned seed = argc > 2 ? static_cast<unsigned>(atoi(argv[2])) : 1;
    if (heads < 3 || heads > 20) {
        fprintf(stderr, "heads: 3 .. 20\n");
        return 2;
    }
    // The generator's messages (the whole run list among them) are not for the terminal.
    headless_log log;
    headless_log* previous = set_headless_log(&log);
    int quality = 0;
    algorithm1(heads, &quality);
    srand(seed);
    const double generate_ms = milliseconds([&] { perebor.process(quality); });
    undo_alg1();
    set_headless_log(previous);
    const run_shape shape = shape_of(global_stgc);
    if (shape.quality != quality) {
        fprintf(stderr, "no code of quality %d\n", quality);
        return 1;
    }

    const float dims[5] = {180, 150, 24, 46, 12};
    std::string dxf, scad;
    disk_status s1 = disk_status::ok, s2 = disk_status::ok;
    const double dxf_ms = milliseconds([&] { s1 = format_dxf(global_stgc, dims, dxf); });
    const double scad_ms = milliseconds([&] { s2 = format_scad(global_stgc, dims, 2, scad); });
    if (s1 != disk_status::ok || s2 != disk_status::ok) {
        fprintf(stderr, "formatting failed\n");
        return 1;
    }
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    printf("heads %d, quality %lld, runs %lld (generated in %.0f ms)\n", heads,
           static_cast<long long>(shape.quality), static_cast<long long>(shape.runs),
           generate_ms);
    printf("dxf   %9.1f ms  %10zu bytes\n", dxf_ms, dxf.size());
    printf("scad  %9.1f ms  %10zu bytes\n", scad_ms, scad.size());
    printf("peak rss %ld KiB\n", usage.ru_maxrss);
    replace_global_stgc(nullptr);
    return 0;
}
