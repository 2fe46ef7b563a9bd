// Cyclic sequences: which rotation is least, whether a sequence repeats itself, and a hash of
// its rotation class. The code test compares head readings up to rotation with these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The start of the lexicographically least rotation of `s` (the first such start when several
// rotations are equal); 0 for an empty sequence. O(size).
std::size_t least_rotation(const std::vector<uint64_t>& s);

// True when no rotation of `s` other than the identity gives `s` again, that is when `s` is not
// a repetition of a shorter sequence. `scratch` is working room the caller may reuse. O(size).
bool is_primitive(const std::vector<uint64_t>& s, std::vector<std::size_t>& scratch);

// A hash of the rotation of `s` that starts at `start`. Equal rotations hash alike; the caller
// confirms equal hashes with rotations_equal.
uint64_t rotation_hash(const std::vector<uint64_t>& s, std::size_t start);

// True when the rotation of `a` starting at `start_a` equals that of `b` starting at `start_b`.
bool rotations_equal(const std::vector<uint64_t>& a, std::size_t start_a,
                     const std::vector<uint64_t>& b, std::size_t start_b);
