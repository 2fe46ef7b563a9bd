#include <algorithm>
#include <climits>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "code/rotation.h"
#include "code/runlist.h"
#include "code/track.h"
#include "code/verify.h"

namespace {

using runs = std::vector<int>;

const runs known_good = {10, 3, 5, 18, 14, 3,  4, 8, 6,  6, 5,  6, 10, 3,
                         13, 4, 5, 12, 4,  13, 4, 4, 11, 4, 12, 5, 9,  23};

code_verdict verdict_of(const runs& list) {
    int* runlist = make_runlist(list);
    code_verdict v = check_code(runlist);
    delete[] runlist;
    return v;
}

// The test as the definitions state it: every step compared head by head, every pair of
// rotations compared as whole readings. Quadratic; for small codes only.
code_verdict reference_verdict(const runs& list) {
    int64_t q = 0, r = static_cast<int64_t>(list.size());
    for (int v : list)
        q += v;
    if (r == 0) return code_verdict::empty;
    if (r % 2) return code_verdict::odd_runs;
    if (q % r) return code_verdict::no_heads;
    int* runlist = make_runlist(list);
    std::vector<unsigned char> track = expand_track(runlist);
    delete[] runlist;
    for (int64_t k = 0; k < q; ++k) {
        int changed = 0;
        for (int64_t b = 0; b < q; b += r)
            changed += track[(b + k) % q] != track[(b + k + 1) % q];
        if (changed != 1) return code_verdict::not_gray;
    }
    std::set<std::string> readings;
    for (int64_t k = 0; k < q; ++k) {
        std::string reading;
        for (int64_t b = 0; b < q; b += r)
            reading += char('0' + track[(b + k) % q]);
        readings.insert(reading);
    }
    return static_cast<int64_t>(readings.size()) == q ? code_verdict::good
                                                      : code_verdict::not_distinct;
}

// A run list of r runs and quality n*r whose run starts fall in r different residues mod r,
// so that it passes the step test; whether its readings differ is left to chance.
runs one_change_code(int64_t r, int64_t n, std::mt19937& rng) {
    std::vector<int64_t> starts{0};
    for (int64_t residue = 1; residue < r; ++residue)
        starts.push_back(residue + r * static_cast<int64_t>(rng() % n));
    std::sort(starts.begin(), starts.end());
    starts.push_back(n * r);
    runs list;
    for (size_t i = 0; i + 1 < starts.size(); ++i)
        list.push_back(static_cast<int>(starts[i + 1] - starts[i]));
    return list;
}

} // namespace

TEST(Verify, ReasonsComeInTheirPriorityOrder) {
    EXPECT_EQ(verdict_of(known_good), code_verdict::good);
    EXPECT_EQ(verdict_of({1, 1}), code_verdict::good);
    EXPECT_EQ(verdict_of({3, 3}), code_verdict::good);
    EXPECT_EQ(verdict_of({}), code_verdict::empty);
    EXPECT_EQ(verdict_of({1, 2, 3}), code_verdict::odd_runs);
    EXPECT_EQ(verdict_of({1, 2, 3, 5}), code_verdict::no_heads);
    EXPECT_EQ(verdict_of({2, 2}), code_verdict::not_gray);
    EXPECT_EQ(verdict_of({1, 1, 1, 1}), code_verdict::not_distinct);
    EXPECT_EQ(verdict_of({1, 3}), code_verdict::not_distinct);
    // Odd count and no heads at once: the count is decided first.
    EXPECT_EQ(verdict_of({1, 1, 1, 1, 3}), code_verdict::odd_runs);
    // 2,2,2,2 fails both later tests (no step changes a head; rotations 0 and 4 read alike):
    // only the step test is reported.
    EXPECT_EQ(reference_verdict({2, 2, 2, 2}), code_verdict::not_gray);
    EXPECT_EQ(verdict_of({2, 2, 2, 2}), code_verdict::not_gray);
}

TEST(Verify, AgreesWithTheDefinitionOnEveryCodeUpToQualityFourteen) {
    int counts[6] = {};
    for (int q = 1; q <= 14; ++q) {
        // Each composition of q: bit i of mask set means a run ends after position i.
        for (unsigned mask = 0; mask < (1u << (q - 1)); ++mask) {
            runs list;
            int length = 1;
            for (int i = 0; i < q - 1; ++i) {
                if (mask & (1u << i)) {
                    list.push_back(length);
                    length = 1;
                } else {
                    ++length;
                }
            }
            list.push_back(length);
            code_verdict expected = reference_verdict(list);
            ASSERT_EQ(verdict_of(list), expected) << "q " << q << " mask " << mask;
            ++counts[static_cast<int>(expected)];
        }
    }
    // Every verdict but the empty one occurs among them.
    for (int v = 1; v < 6; ++v)
        EXPECT_GT(counts[v], 0) << "verdict " << v;
}

TEST(Verify, AgreesWithTheDefinitionOnCodesThatPassTheStepTest) {
    std::mt19937 rng(20150419);
    int good[2] = {}, bad[2] = {}; // [0]: fewer heads than runs, [1]: the others
    for (int trial = 0; trial < 4000; ++trial) {
        int64_t r = 2 * (1 + static_cast<int64_t>(rng() % 12));
        int64_t n = 1 + static_cast<int64_t>(rng() % (trial % 3 == 0 ? 80 : 12));
        runs list = one_change_code(r, n, rng);
        code_verdict expected = reference_verdict(list);
        ASSERT_NE(expected, code_verdict::not_gray);
        ASSERT_EQ(verdict_of(list), expected) << "r " << r << " n " << n << " trial " << trial;
        int regime = n < r ? 0 : 1;
        (expected == code_verdict::good ? good : bad)[regime]++;
    }
    EXPECT_GT(good[0], 0);
    EXPECT_GT(good[1], 0);
    EXPECT_GT(bad[0], 0);
    EXPECT_GT(bad[1], 0);
}

TEST(Verify, TurnedMirroredAndAlteredKnownCodes) {
    // Turning the run list by any number of runs turns the track (and for an odd number
    // swaps cogs and gaps); reversing it mirrors the disk. All of them stay good codes.
    for (size_t shift = 0; shift < known_good.size(); ++shift) {
        runs turned(known_good.begin() + static_cast<long>(shift), known_good.end());
        turned.insert(turned.end(), known_good.begin(),
                      known_good.begin() + static_cast<long>(shift));
        EXPECT_EQ(verdict_of(turned), code_verdict::good) << "shift " << shift;
        runs mirrored(turned.rbegin(), turned.rend());
        EXPECT_EQ(verdict_of(mirrored), code_verdict::good) << "mirrored shift " << shift;
    }
    // Moving one position from a run to another keeps Q and r but breaks the code somewhere.
    for (size_t from = 0; from < known_good.size(); ++from) {
        for (size_t to = 0; to < known_good.size(); ++to) {
            if (from == to || known_good[from] == 1) continue;
            runs altered = known_good;
            --altered[from];
            ++altered[to];
            code_verdict expected = reference_verdict(altered);
            EXPECT_NE(expected, code_verdict::good);
            ASSERT_EQ(verdict_of(altered), expected) << from << " -> " << to;
        }
    }
}

TEST(Verify, CodesWithMoreHeadsThanAReadingHasBits) {
    EXPECT_EQ(verdict_of({99, 101}), code_verdict::good); // n = 100
    EXPECT_EQ(reference_verdict({99, 101}), code_verdict::good);
    EXPECT_EQ(verdict_of({97, 103}), code_verdict::good);
    EXPECT_EQ(verdict_of({1, 199}), code_verdict::not_distinct);
    EXPECT_EQ(verdict_of({100, 100}), code_verdict::not_gray);
    // Quality above the largest int: decided from the runs, without a track in memory.
    EXPECT_EQ(verdict_of({INT_MAX, INT_MAX}), code_verdict::good);
    EXPECT_EQ(verdict_of({INT_MAX, INT_MAX - 2}), code_verdict::good);
    EXPECT_EQ(verdict_of({1, INT_MAX}), code_verdict::not_distinct);
    EXPECT_EQ(verdict_of({INT_MAX - 1, INT_MAX - 1}), code_verdict::not_gray);
    EXPECT_EQ(verdict_of({INT_MAX, INT_MAX, INT_MAX, INT_MAX - 2}), code_verdict::no_heads);
    // More positions than readings of n bits can tell apart.
    runs ones(64, 1);
    EXPECT_EQ(verdict_of(ones), code_verdict::not_distinct);
}

TEST(Verify, RunsThatAreNotPositiveFailTheStepTest) {
    int list[] = {-1, 3, 0};
    run_shape shape = shape_of(list);
    EXPECT_FALSE(every_step_changes_one_head(list, shape));
    EXPECT_EQ(check_code(list), code_verdict::not_gray);
    EXPECT_EQ(check_code(nullptr), code_verdict::empty);
}

TEST(Rotation, LeastRotationAndPrimitivityMatchBruteForce) {
    std::mt19937 rng(7);
    std::vector<size_t> scratch;
    for (int trial = 0; trial < 3000; ++trial) {
        size_t n = rng() % 13;
        std::vector<uint64_t> s(n);
        for (auto& v : s)
            v = rng() % (trial % 2 ? 2 : 3);
        if (trial % 5 == 0 && n > 0) { // force some repetitions
            size_t period = 1 + rng() % n;
            for (size_t i = period; i < n; ++i)
                s[i] = s[i - period];
        }
        auto rotated = [&](size_t start) {
            std::vector<uint64_t> out;
            for (size_t t = 0; t < n; ++t)
                out.push_back(s[(start + t) % n]);
            return out;
        };
        size_t best = 0;
        bool repeats = false;
        for (size_t start = 1; start < n; ++start) {
            if (rotated(start) < rotated(best)) best = start;
            if (rotated(start) == s) repeats = true;
        }
        size_t least = least_rotation(s);
        ASSERT_EQ(rotated(least), rotated(best)) << "trial " << trial;
        ASSERT_EQ(is_primitive(s, scratch), !repeats) << "trial " << trial;
        if (n > 0) {
            size_t other = rng() % n;
            ASSERT_TRUE(rotations_equal(s, other, rotated(other), 0));
            ASSERT_EQ(rotation_hash(s, other), rotation_hash(rotated(other), 0));
        }
    }
}
