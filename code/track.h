// The track, heads and readings of a code, shared by the code test, the generator and the
// exports. Position k of the track is the bit of the run that covers it (run i has bit i mod 2);
// at rotation k head h sees position (k + h*r) mod Q; head 0 is the reading's top bit.
#pragma once

#include <cstdint>
#include <vector>

// Quality Q (sum of the runs) and run count r, in 64 bits so that no sum of ints overflows.
struct run_shape {
    int64_t quality = 0;
    int64_t runs = 0;
    // The number of head offsets b = 0, r, 2r, ... below Q (n when r divides Q); 0 when r = 0.
    int64_t head_offsets() const { return runs > 0 ? (quality + runs - 1) / runs : 0; }
    bool heads_divide() const { return runs > 0 && quality % runs == 0; }
};

// Counts and sums a zero-terminated run list (null counts as empty). Negative entries are
// counted at their value; callers check quality > 0 before expanding.
run_shape shape_of(const int* runs);

// The Q track bits (0 or 1) of the run list. Throws std::bad_alloc when it does not fit memory;
// returns an empty track when Q is not positive.
std::vector<unsigned char> expand_track(const int* runs);

// The reading at rotation k over `heads` head offsets r apart (heads <= 32).
uint32_t reading_at(const std::vector<unsigned char>& track, int64_t r, int heads, int64_t k);

// The readings of all Q rotations, in rotation order; requires r | Q, 1 <= n <= 32.
// O(Q + r*n): the reading at k + r is the reading at k rotated one head to the left.
// Throws std::bad_alloc when it does not fit memory.
std::vector<uint32_t> all_readings(const std::vector<unsigned char>& track, int64_t r, int heads);
