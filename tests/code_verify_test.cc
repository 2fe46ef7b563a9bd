// The track and its readings, and the fast code test against the plain definitions.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "code/runlist.h"
#include "code/track.h"
#include "code/verify.h"

namespace {

using runs = std::vector<int>;
using v = code_verdict;

code_verdict verdict_of(const runs& list) {
    int* runlist = make_runlist(list);
    code_verdict verdict = check_code(runlist);
    delete[] runlist;
    return verdict;
}

// The test as the definitions state it, on readings written head 0 first. Quadratic.
code_verdict reference_verdict(const runs& list) {
    const size_t r = list.size();
    std::string track;
    for (size_t i = 0; i < r; ++i)
        track.append(static_cast<size_t>(list[i]), static_cast<char>('0' + i % 2));
    const size_t q = track.size();
    if (r == 0) return v::empty;
    if (r % 2) return v::odd_runs;
    if (q % r) return v::no_heads;
    std::vector<std::string> readings(q);
    for (size_t k = 0; k < q; ++k)
        for (size_t b = 0; b < q; b += r)
            readings[k] += track[(b + k) % q];
    for (size_t k = 0; k < q; ++k) {
        size_t changed = 0;
        for (size_t h = 0; h < q / r; ++h)
            changed += readings[k][h] != readings[(k + 1) % q][h];
        if (changed != 1) return v::not_gray;
    }
    const bool distinct = std::set<std::string>(readings.begin(), readings.end()).size() == q;
    return distinct ? v::good : v::not_distinct;
}

TEST(Track, ReadingsPutHeadZeroInTheTopBit) {
    int* list = make_runlist({3, 3}); // track 000111, heads two positions apart
    EXPECT_EQ(all_readings(expand_track(list), 2, 3), (std::vector<uint32_t>{1, 3, 2, 6, 4, 5}));
    delete[] list;
}

TEST(Verify, FastVerdictsAgreeWithTheDefinition) {
    // One run start in every residue class mod r passes the step test; whether the readings
    // differ is left to chance. Every fourth list has one position moved between two runs.
    // Fewer heads than runs, and more (up to 80).
    std::mt19937 rng(20150419);
    int seen[6] = {};
    for (int trial = 0; trial < 4000; ++trial) {
        const int r = 2 * (1 + static_cast<int>(rng() % 12));
        const int n = 1 + static_cast<int>(rng() % (trial % 3 ? 12 : 80));
        std::vector<int> starts{0, n * r};
        for (int residue = 1; residue < r; ++residue)
            starts.push_back(residue + r * static_cast<int>(rng() % static_cast<unsigned>(n)));
        std::sort(starts.begin(), starts.end());
        runs list;
        for (size_t i = 0; i + 1 < starts.size(); ++i)
            list.push_back(starts[i + 1] - starts[i]);
        const size_t from = rng() % list.size(), to = rng() % list.size();
        if (trial % 4 == 0 && list[from] > 1) --list[from], ++list[to];
        const code_verdict expected = reference_verdict(list);
        ++seen[static_cast<int>(expected)];
        ASSERT_EQ(verdict_of(list), expected) << ::testing::PrintToString(list);
    }
    EXPECT_GT(seen[static_cast<int>(v::not_gray)], 100);
    EXPECT_GT(seen[static_cast<int>(v::not_distinct)], 100);
    EXPECT_GT(seen[static_cast<int>(v::good)], 100);
}

TEST(Verify, LargeCodesAreDecidedFromTheirRuns) {
    const struct {
        runs list;
        code_verdict expected;
    } cases[] = {
        {{97, 103}, v::good}, // 100 heads: more than a reading has bits
        {{1, 199}, v::not_distinct},
        {{100, 100}, v::not_gray},
        {runs(64, 1), v::not_distinct}, // more positions than readings of one bit
        // Qualities above the largest int, without a track in memory.
        {{INT_MAX, INT_MAX - 2}, v::good},
        {{1, INT_MAX}, v::not_distinct},
        {{INT_MAX - 1, INT_MAX - 1}, v::not_gray},
        {{INT_MAX, INT_MAX, INT_MAX, INT_MAX - 2}, v::no_heads},
        {{-1, 3}, v::not_gray}, // a run that is not positive
    };
    for (const auto& c : cases)
        EXPECT_EQ(verdict_of(c.list), c.expected) << ::testing::PrintToString(c.list);
    EXPECT_EQ(reference_verdict({97, 103}), v::good);
    EXPECT_EQ(check_code(nullptr), v::empty);
}

} // namespace
