// stgc-batch generate: the search of the Generate commands, with a seed and no prompts.
#include <cstring>
#include <random>

#include "cli/batch.h"
#include "code/code_file.h"
#include "code/runlist.h"
#include "gen/commands.h"
#include "gen/necklace.h"
#include "tui/ui.h"

namespace {

struct generate_options {
    int heads = 0;
    long long quality = 0;
    long long cogs = 0;
    unsigned seed = 0;
    bool verbose = false;
    std::string output = "-";
} opt;
CLI::Option* seed_option = nullptr;
CLI::Option* quality_option = nullptr;
CLI::Option* cogs_option = nullptr;

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
}

std::string quality_argument() {
    return cogs_option->count() ? "--cogs " + std::to_string(opt.cogs)
                                : "--quality " + std::to_string(opt.quality);
}

int run() {
    if (quality_option->count() == 0 && cogs_option->count() == 0)
        return fail(exit_usage, "generate", "--quality or --cogs is required");
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
    bodymsgf("Heads = %i, Quality = %lld \n", n, Q);
    algorithm2(n, static_cast<int>(Q));
    if (!global_stgc) return interrupted() ? exit_done : fail(exit_no, "generate", "no code found");
    output_result written = save_code_file(global_stgc, opt.output.c_str());
    if (!written.ok) return fail(exit_usage, stream_name(opt.output), strerror(written.error));
    return exit_done;
}

} // namespace

const batch_command generate_command = {
    "generate", "Generate a single-track Gray code and write it as a code file", setup, run};
