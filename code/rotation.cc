#include "code/rotation.h"

std::size_t least_rotation(const std::vector<uint64_t>& s) {
    const std::size_t n = s.size();
    // Two candidate starts i and j, compared over a common length k. When they differ at k,
    // the larger candidate and the k starts after it cannot begin the least rotation.
    std::size_t i = 0, j = 1, k = 0;
    while (i < n && j < n && k < n) {
        // i, j and k stay below n, so one subtraction wraps an index.
        std::size_t at_i = i + k, at_j = j + k;
        if (at_i >= n) at_i -= n;
        if (at_j >= n) at_j -= n;
        uint64_t a = s[at_i];
        uint64_t b = s[at_j];
        if (a == b) {
            ++k;
            continue;
        }
        if (a > b)
            i += k + 1;
        else
            j += k + 1;
        if (i == j) ++j;
        k = 0;
    }
    return i < j ? i : j;
}

bool is_primitive(const std::vector<uint64_t>& s, std::vector<std::size_t>& border) {
    const std::size_t n = s.size();
    if (n <= 1) return true;
    // border[q] is the length of the longest proper border of the first q + 1 symbols.
    border.assign(n, 0);
    for (std::size_t q = 1; q < n; ++q) {
        std::size_t b = border[q - 1];
        while (b > 0 && s[q] != s[b])
            b = border[b - 1];
        if (s[q] == s[b]) ++b;
        border[q] = b;
    }
    // The smallest period; the sequence repeats a shorter one exactly when that period is a
    // proper divisor of its length.
    std::size_t period = n - border[n - 1];
    return period == n || n % period != 0;
}

namespace {

uint64_t mix(uint64_t x) {
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

} // namespace

uint64_t rotation_hash(const std::vector<uint64_t>& s, std::size_t start) {
    const std::size_t n = s.size();
    // A non-linear chain: binary sequences that defeat plain polynomial hashes do not line up.
    uint64_t h = mix(n);
    for (std::size_t t = 0; t < n; ++t) {
        std::size_t at = start + t;
        if (at >= n) at -= n;
        h = mix(h ^ mix(s[at]));
    }
    return h;
}

bool rotations_equal(const std::vector<uint64_t>& a, std::size_t start_a,
                     const std::vector<uint64_t>& b, std::size_t start_b) {
    const std::size_t n = a.size();
    if (b.size() != n) return false;
    for (std::size_t t = 0; t < n; ++t)
        if (a[(start_a + t) % n] != b[(start_b + t) % n]) return false;
    return true;
}
