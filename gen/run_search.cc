#include "gen/run_search.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "code/verify.h"
#include "gen/necklace.h"
#include "gen/run_window.h"
#include "gen/window_dfs.h"
#include "gen/window_path.h"

namespace {

using status = run_search_status;

// Work each search gets in its turn (the walks get a share of it, see search_window).
constexpr long long kChunk = 1 << 16;

class long_runs {
  public:
    explicit long_runs(const run_search_options& options)
        : options_(options), n_(options.heads),
          meter_(options.effort, options.seconds, options.should_stop) {}

    run_search_result run();

  private:
    enum class level { found, impossible, out };

    void offer(const std::vector<int>& runs);
    run_search_result two_runs();
    level search_window(int window);
    run_search_result finish(status done) {
        result_.status = done;
        return result_;
    }

    const run_search_options& options_;
    const int n_;
    int m_ = 0;
    run_meter meter_;
    stgc tables_;
    std::unique_ptr<necklace_graph> graph_;
    run_search_result result_;
};

// Keeps a tested code when its shortest run beats the best so far.
void long_runs::offer(const std::vector<int>& runs) {
    if (runs.empty()) return;
    const int shortest = *std::min_element(runs.begin(), runs.end());
    if (shortest <= result_.shortest) return;
    result_.runs = runs;
    result_.shortest = shortest;
    result_.seconds_to_best = meter_.elapsed();
    if (options_.on_improve) options_.on_improve(shortest, result_.seconds_to_best);
}

// Quality 2n: the two runs a and 2n - a; trying every split settles the best one.
run_search_result long_runs::two_runs() {
    const int target = options_.min_run;
    for (int a = 1; a < 2 * n_; ++a) {
        const int list[3] = {a, 2 * n_ - a, 0};
        if (std::min(a, 2 * n_ - a) > result_.shortest && check_code(list) == code_verdict::good)
            offer({a, 2 * n_ - a});
    }
    if (target > 0) return finish(result_.shortest >= target ? status::found : status::none_exists);
    return finish(result_.shortest > 0 ? status::optimal : status::none_exists);
}

// Looks for a code keeping `window`. The work goes round three searches in turn: the path
// rotations, far the strongest on long codes; the restarting walk, the strongest on short
// codes when the window leaves few bits to choose (rotations are then rare), so it gets twice
// the share there; and the exhaustive walk, the only one that can prove that there is no
// code, hopeless beyond small sizes.
long_runs::level long_runs::search_window(int window) {
    const uint64_t seed = options_.seed * 0x9e3779b97f4a7c15ull + static_cast<uint64_t>(window);
    window_path path(tables_, m_, window, seed);
    window_dfs walk(tables_, *graph_, m_, window, window_dfs::mode::random, seed + 1);
    window_dfs exhaustive(tables_, *graph_, m_, window, window_dfs::mode::exhaustive);
    const long long walk_chunk = m_ <= 1024 ? 2 * kChunk : kChunk / 8;
    // Up to 8 heads a proof takes well under a second: give it most of the work.
    const int evens = tables_.even_count;
    const long long exhaustive_chunk = evens <= 16   ? 8 * kChunk
                                       : evens <= 30 ? kChunk
                                                     : kChunk / 16;
    bool exhausted = false;
    window_cycle cycle;
    const auto take = [&](bool found) {
        if (found) offer(runs_of_cycle(cycle, n_));
        return result_.shortest >= window;
    };
    for (;;) {
        if (take(path.run(meter_, kChunk, cycle) == window_path::outcome::found))
            return level::found;
        if (take(walk.run(meter_, walk_chunk, cycle) == window_dfs::outcome::found))
            return level::found;
        if (!exhausted) {
            const window_dfs::outcome got = exhaustive.run(meter_, exhaustive_chunk, cycle);
            if (take(got == window_dfs::outcome::found)) return level::found;
            if (got == window_dfs::outcome::exhausted) {
                if (result_.shortest < window) return level::impossible;
                exhausted = true;
            }
        }
        if (meter_.status() != run_meter::state::running) return level::out;
    }
}

run_search_result long_runs::run() {
    const int quality = options_.quality;
    if (quality < 2 * n_ || quality % (2 * n_) != 0) return finish(status::none_exists);
    m_ = quality / (2 * n_);
    if (m_ == 1) return two_runs();
    tables_.make_tables(n_);
    if (m_ > tables_.even_count) return finish(status::none_exists);
    graph_.reset(new necklace_graph(tables_));
    // n consecutive steps flipping every bit would repeat the readings after 2n steps.
    const int bound = n_ - 1;
    const int target = options_.min_run;
    if (target > bound) return finish(status::none_exists);
    for (int window = std::max(target, 2);;) {
        const level got = search_window(window);
        if (got == level::out) {
            if (meter_.status() == run_meter::state::stopped) return finish(status::stopped);
            return finish(result_.shortest >= std::max(target, 1) ? status::found
                                                                  : status::not_found);
        }
        if (got == level::impossible)
            return finish(target > 0 || result_.shortest == 0 ? status::none_exists
                                                              : status::optimal);
        if (target > 0) return finish(status::found);
        if (result_.shortest >= bound) return finish(status::optimal);
        window = result_.shortest + 1;
    }
}

} // namespace

run_search_result search_long_runs(const run_search_options& options) {
    if (options.heads < kMinHeads || options.heads > kMaxHeads)
        throw std::invalid_argument("heads outside 3..20");
    long_runs search(options);
    return search.run();
}
