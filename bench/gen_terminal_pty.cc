// Times "Generate STGC by Quality" in the real program on an 80 x 24 pseudo-terminal: from
// confirming the largest quality to the new code on screen. Test STGC is typed ahead together
// with the confirmation; the program reads it only once the command has finished, so the time
// until "STGC is good!" shows is an upper bound of the command's own time.
//
//   bench_gen_terminal_pty [heads (20)] [runs (3)]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/e2e/harness.h"
#include "tests/support/test_support.h"

namespace {

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// One session; returns the seconds from the confirmation to the verdict, or -1 on a failure.
double one_run(int heads) {
    testing_support::TempDir dir;
    e2e::Options options;
    options.cwd = dir.path();
    options.timeout_ms = 120000;
    e2e::Session s(options);
    if (!s.wait_for("Use arrow keys and Enter to select")) return -1;
    s.press("s");
    if (!s.wait_for("Generate STGC by Quality")) return -1;
    s.press("Enter");
    if (!s.wait_for("Number of Heads (3..20): 8")) return -1;
    s.press("Right"); // keep nothing of the offered 8
    s.press("Erase");
    s.type(std::to_string(heads));
    s.press("Enter");
    if (!s.wait_for("Quality (" + std::to_string(2 * heads) + "," + std::to_string(4 * heads) + ","))
        return -1;
    if (!s.settle(300)) return -1;
    const auto start = std::chrono::steady_clock::now();
    s.send_bytes("\rt");
    if (!s.wait_for("STGC is good!")) return -1;
    const double took = seconds_since(start);
    if (!s.contains("Number of heads = " + std::to_string(heads))) return -1;
    s.press("Esc");
    s.press("f");
    s.press("e");
    s.wait_exit();
    return took;
}

} // namespace

int main(int argc, char** argv) {
    const int heads = argc > 1 ? atoi(argv[1]) : 20;
    const int runs = argc > 2 ? atoi(argv[2]) : 3;
    double worst = 0;
    for (int i = 0; i < runs; ++i) {
        const double t = one_run(heads);
        if (t < 0) {
            printf("run %d: FAILED\n", i + 1);
            return 1;
        }
        printf("run %d: n=%d, confirm to verdict on screen: %.2f s\n", i + 1, heads, t);
        fflush(stdout);
        if (t > worst) worst = t;
    }
    printf("worst: %.2f s\n", worst);
    return 0;
}
