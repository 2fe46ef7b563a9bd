// stgc-batch test and info: the verdict of Test STGC, and the figures a disk maker needs.
#include <cstdio>

#include "cli/batch.h"
#include "code/cogwheel.h"
#include "code/runlist.h"
#include "code/track.h"
#include "export/disk_geometry.h"
#include "export/disk_model.h"

namespace {

std::string test_input;

void setup_test(CLI::App& sub) {
    sub.add_option("code", test_input, "code file ('-': standard input)")->required();
}

int run_test() {
    std::vector<int> runs;
    if (int status = load_code(test_input, runs)) return status;
    messages_to_stdout();
    int* list = make_runlist(runs);
    const test_report verdict = report_code_test(list);
    delete[] list;
    if (verdict == test_report::no_memory) return exit_usage;
    return verdict == test_report::good ? exit_done : exit_no;
}

struct info_options {
    std::string input;
    float outer = 0;
    float inner = 0;
} info;

void setup_info(CLI::App& sub) {
    info.outer = geometry[0];
    info.inner = geometry[1];
    sub.add_option("code", info.input, "code file ('-': standard input)")->required();
    sub.add_option("--outer", info.outer, "outer diameter in mm, over the cogs")
        ->check(positive_size)
        ->capture_default_str();
    sub.add_option("--inner", info.inner, "diameter in mm at the bottom of the gaps")
        ->check(positive_size)
        ->capture_default_str();
}

int run_info() {
    std::vector<int> runs;
    if (int status = load_code(info.input, runs)) return status;
    if (!(info.inner < info.outer)) return fail(exit_usage, "--inner", "must be less than --outer");
    int* list = make_runlist(runs);
    const run_shape shape = shape_of(list);
    const run_extremes ends = extremes_of(list);
    delete[] list;
    if (shape.runs == 0) return fail(exit_no, info.input, "the code has no runs");
    if (shape.heads_divide())
        printf("heads: %lld\n", static_cast<long long>(shape.quality / shape.runs));
    else
        printf("heads: none (the runs do not divide the quality)\n");
    printf("quality: %lld\n", static_cast<long long>(shape.quality));
    printf("cogs: %lld\n", static_cast<long long>(shape.runs / 2));
    printf("shortest run: %d\n", ends.shortest);
    printf("longest run: %d\n", ends.longest);
    if (ends.shortest_cog > 0)
        printf("narrowest cog: %.3f mm (%d positions at %g mm)\n",
               run_width(ends.shortest_cog, shape.quality, info.outer), ends.shortest_cog,
               info.outer);
    printf("narrowest gap: %.3f mm (%d positions at %g mm)\n",
           run_width(ends.shortest_gap, shape.quality, info.inner), ends.shortest_gap, info.inner);
    return exit_done;
}

} // namespace

const batch_command test_command = {
    "test", "Test a code file: the verdict of Test STGC; exit status 0 good, 1 bad", setup_test,
    run_test};
const batch_command info_command = {
    "info", "Heads, quality, cogs, the shortest and longest run, and the narrowest cog and gap",
    setup_info, run_info};
