// The code search as a whole: checks, the two-run code, every offered quality up to 12 heads,
// cancellation and the release of the tables.
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

int build(int n) {
    MessageLog log;
    int max = 0;
    algorithm1(n, &max);
    return max;
}

// The code has n heads and quality Q, each step flips one head and all readings differ:
// decided twice, by the code test and by reading the track directly.
void expect_valid_code(const int* runs, int n, int Q) {
    ASSERT_NE(runs, nullptr);
    const run_shape shape = shape_of(runs);
    ASSERT_EQ(shape.quality, Q);
    ASSERT_EQ(shape.runs * n, Q);
    EXPECT_EQ(check_code(runs), code_verdict::good) << "n=" << n << " Q=" << Q;
    const std::vector<uint32_t> readings = all_readings(expand_track(runs), shape.runs, n);
    std::set<uint32_t> seen(readings.begin(), readings.end());
    EXPECT_EQ(seen.size(), readings.size());
    for (std::size_t k = 0; k < readings.size(); ++k) {
        const uint32_t step = readings[k] ^ readings[(k + 1) % readings.size()];
        ASSERT_TRUE(step != 0 && (step & (step - 1)) == 0) << "n=" << n << " Q=" << Q;
    }
}

struct saved_code {
    saved_code() { replace_global_stgc(make_runlist({10, 3, 5, 18})); }
    ~saved_code() { replace_global_stgc(nullptr); }
    std::vector<int> runs() const { return runs_of(global_stgc); }
};

TEST(Search, BackRemovesAtLeastOneEntry) {
    int pos = 0;
    perebor.back(&pos);
    EXPECT_EQ(pos, 0);
    srand(5);
    std::set<int> results;
    for (int i = 0; i < 200; ++i) {
        pos = 10;
        perebor.back(&pos);
        EXPECT_GE(pos, 0);
        EXPECT_LE(pos, 9);
        results.insert(pos);
    }
    EXPECT_GT(results.size(), 2u); // a random number of further entries goes too
    EXPECT_TRUE(results.count(9));
}

TEST(Search, TwoRunCodeForOneCog) {
    for (int n = 3; n <= 20; ++n) {
        build(n);
        MessageLog log;
        ASSERT_TRUE(perebor.process(2 * n));
        EXPECT_EQ(log.body(), "Simple algorithm...\n");
        const std::vector<int> runs = runs_of(global_stgc);
        ASSERT_EQ(runs.size(), 2u);
        EXPECT_EQ(runs[0] % 2, 1);
        EXPECT_GE(runs[0], 3);
        EXPECT_GE(runs[1], 3);
        expect_valid_code(global_stgc, n, 2 * n);
        EXPECT_EQ(perebor.even_necklaces, nullptr); // released
    }
    std::set<int> firsts;
    for (unsigned seed = 0; seed < 100; ++seed) {
        build(8);
        srand(seed);
        MessageLog log;
        perebor.process(16);
        firsts.insert(global_stgc[0]);
    }
    EXPECT_EQ(firsts, (std::set<int>{3, 5, 7, 9, 11, 13}));
    build(3);
    MessageLog log;
    perebor.process(6);
    EXPECT_EQ(runs_of(global_stgc), (std::vector<int>{3, 3}));
    replace_global_stgc(nullptr);
}

TEST(Search, ChecksLeaveTheCodeAndReleaseTheTables) {
    saved_code code;
    const struct {
        int Q;
        const char* message;
    } cases[] = {{8, "Too low Quality\n"},
                 {40, "Too high Quality\n"},
                 {25, "(2*Number_Of_Heads) must be divisor of Quality\n"},
                 {-10, "Too low Quality\n"}};
    for (const auto& c : cases) {
        build(5);
        MessageLog log;
        EXPECT_FALSE(perebor.process(c.Q));
        EXPECT_EQ(log.body(), c.message);
        EXPECT_EQ(perebor.quality, c.Q);
        EXPECT_EQ(perebor.even_necklaces, nullptr);
        EXPECT_EQ(code.runs(), (std::vector<int>{10, 3, 5, 18}));
    }
    // Without tables (or for a head count outside the range) nothing is searched.
    MessageLog log;
    EXPECT_FALSE(perebor.process(30));
    EXPECT_EQ(log.body(), "Error: Number of heads must be from 3 to 20\n");
    EXPECT_EQ(code.runs(), (std::vector<int>{10, 3, 5, 18}));
}

// Every quality the command offers, for 3 to 12 heads, gives a valid code, and the messages
// of the search are those of a successful attempt.
TEST(Search, EveryOfferedQualityUpToTwelveHeads) {
    srand(1);
    for (int n = 3; n <= 12; ++n) {
        const int max = build(n);
        const int even_count = perebor.even_count;
        std::vector<int> evens(perebor.even_necklaces, perebor.even_necklaces + even_count);
        undo_alg1();
        for (int m = 1; 2 * n * m <= max; ++m) {
            build(n);
            MessageLog log;
            ASSERT_TRUE(perebor.process(2 * n * m)) << "n=" << n << " m=" << m;
            expect_valid_code(global_stgc, n, 2 * n * m);
            EXPECT_EQ(perebor.even_necklaces, nullptr);
            if (m == 1) continue;
            const std::vector<std::string> lines = log.lines();
            ASSERT_GE(lines.size(), 4u);
            const std::string& hamilton = lines[lines.size() - 4];
            ASSERT_EQ(hamilton.rfind("Hamilton:<", 0), 0u);
            ASSERT_EQ(hamilton.substr(hamilton.size() - 5), ">GOOD");
            std::set<int> words;
            const std::string list = hamilton.substr(10, hamilton.size() - 15);
            for (std::size_t at = 0; at < list.size();) {
                std::size_t comma = list.find(',', at);
                if (comma == std::string::npos) comma = list.size();
                const std::string word = list.substr(at, comma - at);
                words.insert(static_cast<int>(strtol(word.c_str(), nullptr, 16)));
                at = comma + 1;
            }
            EXPECT_EQ(static_cast<int>(words.size()), m);
            for (int w : words) EXPECT_TRUE(std::count(evens.begin(), evens.end(), w)) << w;
            EXPECT_EQ(lines[lines.size() - 3].front(), '{');
            EXPECT_EQ(lines[lines.size() - 2].rfind("Gray Code found (Sh=", 0), 0u);
            EXPECT_EQ(lines.back(), "First COG detected (" + std::to_string(m) + ")");
        }
    }
    replace_global_stgc(nullptr);
}

int polls_until_cancel;
bool cancel_after_polls() { return --polls_until_cancel < 0; }

TEST(Search, CancelKeepsTheCodeAndReleasesTheTables) {
    saved_code code;
    ui_backend backend{};
    backend.cancel = cancel_after_polls;
    const ui_backend* previous = set_ui_backend(&backend);

    // At once, before any attempt.
    build(10);
    polls_until_cancel = 0;
    {
        MessageLog log;
        EXPECT_FALSE(perebor.process(200));
        EXPECT_EQ(log.body(), "Search cancelled: the current code is unchanged.\n");
    }
    EXPECT_EQ(perebor.even_necklaces, nullptr);
    EXPECT_EQ(code.runs(), (std::vector<int>{10, 3, 5, 18}));

    // In the middle of a long cycle search (it polls now and then while it works).
    build(18);
    polls_until_cancel = 1;
    {
        MessageLog log;
        EXPECT_FALSE(perebor.process(2 * 18 * perebor.even_count));
        EXPECT_EQ(log.body(), "Search cancelled: the current code is unchanged.\n");
        EXPECT_LT(polls_until_cancel, 0);
    }
    EXPECT_EQ(perebor.even_necklaces, nullptr);
    EXPECT_EQ(code.runs(), (std::vector<int>{10, 3, 5, 18}));
    set_ui_backend(previous);
}

} // namespace
