#include "code/track.h"

#include <cstddef>

using std::size_t;

run_shape shape_of(const int* runs) {
    run_shape s;
    if (!runs) return s;
    for (; *runs != 0; ++runs) {
        s.quality += *runs;
        ++s.runs;
    }
    return s;
}

std::vector<unsigned char> expand_track(const int* runs) {
    run_shape s = shape_of(runs);
    std::vector<unsigned char> track;
    if (s.quality <= 0) return track;
    track.reserve(static_cast<size_t>(s.quality));
    for (int64_t i = 0; runs[i] != 0; ++i)
        if (runs[i] > 0) track.insert(track.end(), static_cast<size_t>(runs[i]), i % 2);
    return track;
}

uint32_t reading_at(const std::vector<unsigned char>& track, int64_t r, int heads, int64_t k) {
    const int64_t q = static_cast<int64_t>(track.size());
    uint32_t v = 0;
    int64_t pos = k % q;
    for (int h = 0; h < heads; ++h) {
        v = (v << 1) | track[static_cast<size_t>(pos)];
        pos += r;
        if (pos >= q) pos -= q;
    }
    return v;
}

std::vector<uint32_t> all_readings(const std::vector<unsigned char>& track, int64_t r, int heads) {
    const int64_t q = static_cast<int64_t>(track.size());
    std::vector<uint32_t> readings(static_cast<size_t>(q));
    if (q == 0 || r <= 0) return readings;
    const uint32_t top = heads >= 32 ? 0x80000000u : (1u << (heads - 1));
    const uint32_t mask = heads >= 32 ? 0xffffffffu : ((1u << heads) - 1);
    for (int64_t k = 0; k < q; ++k) {
        if (k < r) {
            readings[static_cast<size_t>(k)] = reading_at(track, r, heads, k);
        } else {
            uint32_t prev = readings[static_cast<size_t>(k - r)];
            readings[static_cast<size_t>(k)] = ((prev << 1) & mask) | ((prev & top) ? 1u : 0u);
        }
    }
    return readings;
}
