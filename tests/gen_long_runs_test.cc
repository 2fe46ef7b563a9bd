// The search for codes with long runs: every code it returns is a code of its size with the
// shortest run it claims; what it calls optimal or impossible agrees with a plain search.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <vector>

#include "code/verify.h"
#include "gen/run_search.h"

namespace {

// A repeatable search: bounded by its effort, not by the clock.
run_search_options sized(int n, int quality, int min_run = 0, long long effort = 50000000) {
    return {n, quality, min_run, 0, effort, 1, nullptr, nullptr};
}

void expect_code(const run_search_result& r, int n, int quality) {
    ASSERT_FALSE(r.runs.empty());
    EXPECT_EQ(std::accumulate(r.runs.begin(), r.runs.end(), 0), quality);
    EXPECT_EQ(static_cast<int>(r.runs.size()) * n, quality);
    EXPECT_EQ(*std::min_element(r.runs.begin(), r.runs.end()), r.shortest);
    EXPECT_GT(r.seconds_to_best, 0.0); // when the code was found, which the report shows
    std::vector<int> list(r.runs);
    list.push_back(0);
    EXPECT_EQ(check_code(list.data()), code_verdict::good);
}

// Plain search, sharing nothing with the one under test: a track is read by heads r = Q/n
// apart, so a step changes exactly one head when each class of positions mod r holds exactly
// one change of the track. Place the changes one by one, `shortest` or more apart, one per
// class, the first at 0 (any code can be turned so), and test each complete track.
bool plain_code_exists(int n, int quality, int shortest) {
    const int r = quality / n;
    std::vector<char> taken(static_cast<std::size_t>(r), 0);
    std::vector<int> gaps;
    taken[0] = 1;
    bool found = false;
    const auto place = [&](const auto& self, int at) -> void {
        if (found) return;
        if (static_cast<int>(gaps.size()) == r - 1) {
            if (quality - at < shortest) return;
            std::vector<int> list(gaps);
            list.push_back(quality - at);
            list.push_back(0);
            found = check_code(list.data()) == code_verdict::good;
            return;
        }
        const int left = r - 1 - static_cast<int>(gaps.size());
        for (int gap = shortest; at + gap + left * shortest <= quality; ++gap) {
            const int next = (at + gap) % r;
            if (taken[next]) continue;
            taken[next] = 1;
            gaps.push_back(gap);
            self(self, at + gap);
            gaps.pop_back();
            taken[next] = 0;
        }
    };
    place(place, 0);
    return found;
}

} // namespace

TEST(LongRuns, SmallSizesAreProvedOptimalAsAPlainSearchAgrees) {
    const int sizes[][2] = {{3, 6}, {5, 10}, {6, 12}, {5, 20}, {5, 30}, {6, 48}, {7, 126}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(size[1]);
        const run_search_result r = search_long_runs(sized(size[0], size[1]));
        EXPECT_EQ(r.status, run_search_status::optimal);
        expect_code(r, size[0], size[1]);
        EXPECT_TRUE(plain_code_exists(size[0], size[1], r.shortest));
        EXPECT_FALSE(plain_code_exists(size[0], size[1], r.shortest + 1));
    }
    // The largest proof of 8 heads takes some 4.4 million units of work: its pruning holds.
    const run_search_result r = search_long_runs(sized(8, 224, 0, 10000000));
    EXPECT_EQ(r.status, run_search_status::optimal);
    EXPECT_EQ(r.shortest, 6);
}

// Codes whose runs are all as long as asked, small and large: the large ones have published
// codes whose shortest run is 2 (9 x 360 and 10 x 360 at the largest the search has found).
TEST(LongRuns, MinRunFindsACodeOrProvesThereIsNone) {
    const int sizes[][3] = {{6, 48, 4}, {12, 1200, 8}, {9, 360, 7},
                            {9, 504, 5}, {10, 360, 8}, {10, 960, 6}, {16, 65024, 6}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(size[1]);
        const run_search_result r = search_long_runs(sized(size[0], size[1], size[2], 1000000));
        EXPECT_EQ(r.status, run_search_status::found);
        expect_code(r, size[0], size[1]);
        EXPECT_GE(r.shortest, size[2]);
    }
    for (int k : {5, 6, 40}) {
        const run_search_result r = search_long_runs(sized(6, 48, k));
        EXPECT_EQ(r.status, run_search_status::none_exists) << k;
        EXPECT_TRUE(r.runs.empty());
    }
    // Two runs (Q = 2n) are settled without a search: 5 + 5 has the shortest run asked for.
    EXPECT_EQ(search_long_runs(sized(5, 10, 5)).status, run_search_status::found);
    // Sizes without any code: more cogs than even necklaces, or not a multiple of 2n.
    EXPECT_EQ(search_long_runs(sized(5, 40)).status, run_search_status::none_exists);
    EXPECT_EQ(search_long_runs(sized(5, 35, 2)).status, run_search_status::none_exists);
    EXPECT_THROW(search_long_runs(sized(2, 4)), std::invalid_argument);
}
