// The code search as a whole: checks, the two-run code, every offered quality up to 12 heads,
// cancellation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "code/runlist.h"
#include "code/track.h"
#include "code/verify.h"
#include "gen/necklace.h"
#include "tests/support/test_support.h"

using testing_support::MessageLog;

namespace {

const std::vector<int> old_code = {10, 3, 5, 18};

int build(int n) {
    MessageLog log;
    int max = 0;
    algorithm1(n, &max);
    return max;
}

// A new code of n heads and quality Q that passes the code test, and the tables released.
void expect_new_code(int n, int Q) {
    ASSERT_NE(global_stgc, nullptr);
    EXPECT_EQ(shape_of(global_stgc).quality, Q);
    EXPECT_EQ(shape_of(global_stgc).runs * n, Q);
    EXPECT_EQ(check_code(global_stgc), code_verdict::good) << "n=" << n << " Q=" << Q;
    EXPECT_EQ(perebor.even_necklaces, nullptr);
}

TEST(Search, TwoRunCodeForOneCog) {
    for (int n = 3; n <= 20; ++n) {
        build(n);
        MessageLog log;
        ASSERT_TRUE(perebor.process(2 * n));
        EXPECT_EQ(log.body(), "Simple algorithm...\n");
        EXPECT_EQ(runs_of(global_stgc).size(), 2u);
        expect_new_code(n, 2 * n);
    }
    replace_global_stgc(nullptr);
}

TEST(Search, ChecksLeaveTheCodeAndReleaseTheTables) {
    replace_global_stgc(make_runlist(old_code));
    const std::pair<int, const char*> cases[] = {
        {8, "Too low Quality\n"},
        {40, "Too high Quality\n"},
        {25, "(2*Number_Of_Heads) must be divisor of Quality\n"},
        {-10, "Too low Quality\n"}};
    for (const auto& c : cases) {
        build(5);
        MessageLog log;
        EXPECT_FALSE(perebor.process(c.first));
        EXPECT_EQ(log.body(), c.second);
        EXPECT_EQ(perebor.even_necklaces, nullptr);
    }
    MessageLog log; // without tables nothing is searched
    EXPECT_FALSE(perebor.process(30));
    EXPECT_EQ(log.body(), "Error: Number of heads must be from 3 to 20\n");
    EXPECT_EQ(runs_of(global_stgc), old_code);
    replace_global_stgc(nullptr);
}

// The attempt that found the code lists m distinct words of the even table.
TEST(Search, EveryOfferedQualityUpToTwelveHeads) {
    srand(1);
    for (int n = 3; n <= 12; ++n) {
        const int max = build(n);
        const std::vector<int> evens(perebor.even_necklaces,
                                     perebor.even_necklaces + perebor.even_count);
        for (int m = 1; 2 * n * m <= max; ++m) {
            build(n);
            MessageLog log;
            ASSERT_TRUE(perebor.process(2 * n * m)) << "n=" << n << " m=" << m;
            expect_new_code(n, 2 * n * m);
            if (m == 1) continue;
            const std::vector<std::string> lines = log.lines();
            ASSERT_GE(lines.size(), 4u);
            EXPECT_EQ(lines.back(), "First COG detected (" + std::to_string(m) + ")");
            const std::string& hamilton = lines[lines.size() - 4];
            ASSERT_EQ(hamilton.rfind("Hamilton:<", 0), 0u) << hamilton;
            ASSERT_EQ(hamilton.substr(hamilton.size() - 5), ">GOOD");
            std::set<int> words;
            for (const char* at = hamilton.c_str() + 10; *at != '>'; at += *at == ',') {
                char* end = nullptr;
                words.insert(static_cast<int>(strtol(at, &end, 16)));
                at = end;
            }
            EXPECT_EQ(static_cast<int>(words.size()), m) << hamilton;
            for (int w : words)
                EXPECT_TRUE(std::count(evens.begin(), evens.end(), w)) << w;
        }
    }
    replace_global_stgc(nullptr);
}

int polls_until_cancel;
bool cancel_after_polls() {
    return --polls_until_cancel < 0;
}

// At once, before any attempt; and in the middle of a long cycle search, which polls now and
// then while it works.
TEST(Search, CancelKeepsTheCodeAndReleasesTheTables) {
    replace_global_stgc(make_runlist(old_code));
    ui_backend backend{};
    backend.cancel = cancel_after_polls;
    const ui_backend* previous = set_ui_backend(&backend);
    for (const auto& heads_polls : {std::make_pair(10, 0), std::make_pair(18, 1)}) {
        const int n = heads_polls.first;
        build(n);
        polls_until_cancel = heads_polls.second;
        MessageLog log;
        EXPECT_FALSE(perebor.process(2 * n * perebor.even_count));
        EXPECT_EQ(log.body(), "Search cancelled: the current code is unchanged.\n");
        EXPECT_LT(polls_until_cancel, 0);
        EXPECT_EQ(perebor.even_necklaces, nullptr);
    }
    set_ui_backend(previous);
    EXPECT_EQ(runs_of(global_stgc), old_code);
    replace_global_stgc(nullptr);
}

} // namespace
