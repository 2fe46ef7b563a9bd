#include "gen/run_window.h"

#include <utility>

#include "code/verify.h"
#include "gen/code_build.h"

run_meter::run_meter(long long effort, double seconds, std::function<bool()> should_stop)
    : effort_(effort), seconds_(seconds), should_stop_(std::move(should_stop)),
      start_(std::chrono::steady_clock::now()) {}

double run_meter::elapsed() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void run_meter::poll() {
    if (state_ != state::running) return;
    if (should_stop_ && should_stop_()) state_ = state::stopped;
    else if (effort_ > 0 ? work_ >= effort_ : elapsed() >= seconds_) state_ = state::spent;
}

bool windows_distinct(const int* bits, int from, int to, int window) {
    for (int k = from; k < to; ++k) {
        const int first = k - window + 1 > 0 ? k - window + 1 : 0;
        for (int j = first; j < k; ++j)
            if (bits[j] == bits[k]) return false;
    }
    return true;
}

bool closure_keeps_window(const std::vector<int>& bits, int sh, int n, int window) {
    const int length = static_cast<int>(bits.size());
    // The last window-1 bits (or all of a short path), then the next pass's first ones.
    const int kept = length < window - 1 ? length : window - 1;
    std::vector<int> sequence(bits.end() - kept, bits.end());
    for (int k = 0; k < window - 1; ++k)
        sequence.push_back((bits[static_cast<std::size_t>(k % length)] + (k / length + 1) * sh) % n);
    return windows_distinct(sequence.data(), kept, static_cast<int>(sequence.size()), window);
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
