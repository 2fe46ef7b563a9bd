#include "gen/run_window.h"

#include <algorithm>
#include <utility>

#include "code/verify.h"
#include "gen/code_build.h"
#include "gen/transitions.h"

run_meter::run_meter(long long effort, double seconds, std::function<bool()> should_stop)
    : effort_(effort), seconds_(seconds), should_stop_(std::move(should_stop)),
      start_(std::chrono::steady_clock::now()) {}

double run_meter::elapsed() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void run_meter::poll() {
    if (state_ != state::running) return;
    if (should_stop_ && should_stop_())
        state_ = state::stopped;
    else if (effort_ > 0 ? work_ >= effort_ : elapsed() >= seconds_)
        state_ = state::spent;
}

necklace_graph::necklace_graph(const stgc& tables) {
    const int count = tables.even_count + tables.odd_count;
    start_.reserve(static_cast<std::size_t>(count) + 1);
    start_.push_back(0);
    half_edge out[32];
    for (int x = 0; x < count; ++x) {
        const int edges = half_edges_of(tables, x, out);
        for (int i = 0; i < edges; ++i) {
            const int to = out[i].to;
            if (std::find(list_.begin() + start_.back(), list_.end(), to) == list_.end())
                list_.push_back(to);
        }
        start_.push_back(static_cast<int>(list_.size()));
    }
}

bool windows_distinct(const int* bits, int from, int to, int window) {
    for (int k = from; k < to; ++k) {
        const int first = k - window + 1 > 0 ? k - window + 1 : 0;
        for (int j = first; j < k; ++j)
            if (bits[j] == bits[k]) return false;
    }
    return true;
}

std::vector<int> runs_of_cycle(const window_cycle& cycle, int n) {
    const std::size_t block = cycle.words.size();
    std::vector<int> readings(block * static_cast<std::size_t>(n));
    for (std::size_t k = 0; k < readings.size(); ++k) {
        const int pass = static_cast<int>(k / block);
        readings[k] = rotated(cycle.words[k % block], pass * cycle.sh % n, n);
    }
    std::vector<int> runs;
    if (!runs_from_readings(readings, static_cast<int>(block), runs)) return {};
    runs.push_back(0);
    const bool good = check_code(runs.data()) == code_verdict::good;
    runs.pop_back();
    if (!good) runs.clear();
    return runs;
}
