// The choice of joins on given cycles: the worked examples, and the pruned search against the
// plain exhaustive one on many cycles, those without any valid choice included.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "gen/choice_search.h"
#include "gen/code_build.h"
#include "gen/cycle_search.h"
#include "gen/necklace.h"
#include "gen/search.h"
#include "gen/transitions.h"
#include "tests/support/test_support.h"

using testing_support::MessageLog;

namespace {

void build(int n) {
    MessageLog log;
    int max = 0;
    algorithm1(n, &max);
}

std::vector<int> cycle_of(const std::vector<int>& words) {
    std::vector<int> cycle;
    for (int w : words)
        for (int i = 0; i < perebor.even_count; ++i)
            if (perebor.even_necklaces[i] == w) cycle.push_back(i);
    EXPECT_EQ(cycle.size(), words.size());
    return cycle;
}

// Depth-first over the lists in ascending order, no pruning: the first choice whose odd
// necklaces are distinct (periodic words never chosen) and whose rotation sum is coprime with n.
bool exhaustive_choice(const cycle_edges& edges, int n, int odd_count, std::vector<int>& choice,
                       int& sh) {
    const int m = static_cast<int>(edges.start.size()) - 1;
    std::vector<char> used(static_cast<std::size_t>(odd_count), 0);
    choice.assign(static_cast<std::size_t>(m), 0);
    sh = 0;
    int d = 0;
    while (true) {
        if (d == m) {
            if (NOD(sh, n) == 1) return true;
            --d;
            used[edges.at(d, choice[d]).odd] = 0;
            sh -= edges.at(d, choice[d]).rotation;
            ++choice[d];
            continue;
        }
        if (choice[d] >= edges.count(d)) {
            choice[d] = 0;
            if (--d < 0) return false;
            used[edges.at(d, choice[d]).odd] = 0;
            sh -= edges.at(d, choice[d]).rotation;
            ++choice[d];
            continue;
        }
        const transition& tr = edges.at(d, choice[d]);
        if (tr.odd < 0 || used[tr.odd]) {
            ++choice[d];
            continue;
        }
        used[tr.odd] = 1;
        sh += tr.rotation;
        ++d;
    }
}

// A random closed cycle of m distinct even necklaces, each a neighbour of the next.
bool random_cycle(int m, std::vector<int>& cycle) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        cycle.assign(1, rand() % perebor.even_count);
        while (static_cast<int>(cycle.size()) < m) {
            std::vector<int> next = even_neighbours(perebor, cycle.back());
            if (next.empty()) break;
            const int pick = next[static_cast<std::size_t>(rand()) % next.size()];
            bool repeat = false;
            for (int c : cycle) repeat = repeat || c == pick;
            if (repeat) break;
            cycle.push_back(pick);
        }
        if (static_cast<int>(cycle.size()) != m) continue;
        for (int k : even_neighbours(perebor, cycle.back()))
            if (k == cycle.front()) return true;
    }
    return false;
}

struct example {
    int n;
    std::vector<int> words;
    std::vector<std::string> lines;
    std::vector<int> runs;
};

TEST(ChoiceSearch, WorkedExamples) {
    const example examples[] = {
        {5,
         {0x3, 0x5, 0xf},
         {"Hamilton:<3,5,f>GOOD", "{0,0,5}", "Gray Code found (Sh=2)", "First COG detected (3)"},
         {3, 2, 2, 9, 10, 4}},
        {5,
         {0x3, 0x5},
         {"Hamilton:<3,5>GOOD", "{0,3}", "Gray Code found (Sh=1)", "First COG detected (2)"},
         {3, 2, 5, 10}},
        {8,
         {0x3, 0x5, 0x9, 0xf},
         {"Hamilton:<3,5,9,f>GOOD", "{0,1,0,2}", "Gray Code found (Sh=1)",
          "First COG detected (4)"},
         {5, 2, 2, 2, 3, 4, 10, 36}},
    };
    for (const example& e : examples) {
        build(e.n);
        MessageLog log;
        std::vector<int> runs;
        EXPECT_EQ(attempt_cycle(perebor, cycle_of(e.words), {}, 0, runs), attempt_result::good);
        EXPECT_EQ(log.lines(), e.lines);
        EXPECT_EQ(runs, e.runs);
        undo_alg1();
    }
}

TEST(ChoiceSearch, TrackOfTheFiveHeadExample) {
    build(5);
    const std::vector<int> cycle = cycle_of({0x3, 0x5, 0xf});
    cycle_edges edges;
    list_cycle_edges(perebor, cycle, edges);
    std::vector<int> choice;
    int sh = 0;
    ASSERT_EQ(choose_transitions(perebor, edges, {}, 0, choice, sh), choice_status::found);
    const std::vector<int> readings = build_readings(perebor, cycle, edges, choice, sh);
    ASSERT_EQ(readings.size(), 30u);
    // Bit 0 of the readings from the first cog on: the first 0 -> 1 step is from 9 to 10.
    EXPECT_EQ(readings[9] & 1, 0);
    std::string track;
    for (std::size_t k = 0; k < 30; ++k) track += char('0' + (readings[(k + 10) % 30] & 1));
    EXPECT_EQ(track, "111001100000000011111111110000");
    undo_alg1();
}

// Both searches give the same verdict, choice and Sh on cycles with and without a valid
// choice; the pruned one never needs its work limit here.
TEST(ChoiceSearch, SameAnswerAsTheExhaustiveSearch) {
    srand(20240611);
    int found = 0, none = 0;
    for (int n = 5; n <= 10; ++n) {
        build(n);
        for (int round = 0; round < 60; ++round) {
            const int m = 2 + rand() % std::min(11, perebor.even_count - 1);
            std::vector<int> cycle;
            if (!random_cycle(m, cycle)) continue;
            cycle_edges edges;
            list_cycle_edges(perebor, cycle, edges);
            std::vector<int> expected_choice, choice;
            int expected_sh = 0, sh = 0;
            const bool expected =
                exhaustive_choice(edges, n, perebor.odd_count, expected_choice, expected_sh);
            const choice_status status = choose_transitions(perebor, edges, {}, 0, choice, sh);
            ASSERT_EQ(status, expected ? choice_status::found : choice_status::none)
                << "n=" << n << " m=" << m;
            if (!expected) {
                ++none;
                continue;
            }
            ++found;
            EXPECT_EQ(choice, expected_choice) << "n=" << n;
            EXPECT_EQ(sh, expected_sh) << "n=" << n;
        }
        undo_alg1();
    }
    EXPECT_GT(found, 50);
    EXPECT_GT(none, 5);
}

// Cycles from the cycle search come with one valid join per edge; seeding the search with it
// must not change the answer.
TEST(ChoiceSearch, HintDoesNotChangeTheAnswer) {
    srand(99);
    for (int n = 5; n <= 9; ++n) {
        build(n);
        for (int m = 2; m <= perebor.even_count; m += 1 + perebor.even_count / 8) {
            std::vector<int> cycle, odds;
            ASSERT_EQ(find_cycle(perebor, m, cycle, odds), cycle_status::found);
            cycle_edges edges;
            list_cycle_edges(perebor, cycle, edges);
            std::vector<int> hinted, plain, expected;
            int hinted_sh = 0, plain_sh = 0, expected_sh = 0;
            ASSERT_TRUE(exhaustive_choice(edges, n, perebor.odd_count, expected, expected_sh));
            ASSERT_EQ(choose_transitions(perebor, edges, odds, 0, hinted, hinted_sh),
                      choice_status::found);
            ASSERT_EQ(choose_transitions(perebor, edges, {}, 0, plain, plain_sh),
                      choice_status::found);
            EXPECT_EQ(hinted, expected) << "n=" << n << " m=" << m;
            EXPECT_EQ(plain, expected) << "n=" << n << " m=" << m;
            EXPECT_EQ(hinted_sh, expected_sh);
            EXPECT_EQ(plain_sh, expected_sh);
        }
        undo_alg1();
    }
}

TEST(ChoiceSearch, CycleWithoutValidChoiceIsBad) {
    // Some closed cycles of six-head necklaces admit no choice; take one the plain search rejects.
    build(6);
    srand(7);
    std::vector<int> cycle;
    bool seen = false;
    for (int round = 0; round < 200 && !seen; ++round) {
        if (!random_cycle(2 + rand() % 3, cycle)) continue;
        cycle_edges edges;
        list_cycle_edges(perebor, cycle, edges);
        std::vector<int> choice;
        int sh = 0;
        if (exhaustive_choice(edges, 6, perebor.odd_count, choice, sh)) continue;
        seen = true;
        MessageLog log;
        std::vector<int> runs;
        EXPECT_EQ(attempt_cycle(perebor, cycle, {}, 0, runs), attempt_result::bad);
        EXPECT_TRUE(runs.empty());
        ASSERT_EQ(log.lines().size(), 1u);
        const std::string line = log.lines()[0];
        EXPECT_EQ(line.rfind("Hamilton:<", 0), 0u);
        EXPECT_EQ(line.substr(line.size() - 4), ">BAD");
    }
    EXPECT_TRUE(seen);
    undo_alg1();
}

TEST(ChoiceSearch, WorkLimitAbandons) {
    build(8);
    const std::vector<int> cycle = cycle_of({0x3, 0x5, 0x9, 0xf});
    cycle_edges edges;
    list_cycle_edges(perebor, cycle, edges);
    std::vector<int> choice;
    int sh = 0;
    EXPECT_EQ(choose_transitions(perebor, edges, {}, 1, choice, sh), choice_status::abandoned);
    MessageLog log;
    std::vector<int> runs;
    EXPECT_EQ(attempt_cycle(perebor, cycle, {}, 1, runs), attempt_result::bad);
    EXPECT_EQ(log.body(), "Hamilton:<3,5,9,f>BAD\n");
    undo_alg1();
}

} // namespace
