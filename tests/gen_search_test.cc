// The code search: joins between even necklaces, the worked examples, the pruned choice of
// joins against a plain search, every offered quality, and cancellation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <random>
#include <tuple>
#include <vector>

#include "code/runlist.h"
#include "code/track.h"
#include "code/verify.h"
#include "gen/choice_search.h"
#include "gen/cycle_search.h"
#include "gen/necklace.h"
#include "gen/search.h"
#include "gen/transitions.h"
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

TEST(Transitions, FiveAndSixHeads) {
    build(5); // even necklaces 3, 5, f: each a neighbour of the other two
    std::vector<transition> list;
    const size_t counts[3][3] = {{0, 8, 6}, {8, 0, 6}, {6, 6, 0}};
    for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k) {
            transitions_between(perebor, j, k, list);
            EXPECT_EQ(list.size(), counts[j][k]) << j << "," << k;
        }
    EXPECT_EQ(even_neighbours(perebor, 0), (std::vector<int>{1, 2}));
    transitions_between(perebor, 0, 1, list); // rotation, intermediate word, odd necklace
    EXPECT_EQ(std::make_tuple(list[0].rotation, list[0].word, list[0].odd),
              std::make_tuple(0, 1, 0));
    EXPECT_EQ(std::make_tuple(list[1].rotation, list[1].word, list[1].odd),
              std::make_tuple(0, 7, 1));
    // Six heads: 010101 between 5 and 17 is periodic and names no odd necklace.
    build(6);
    transitions_between(perebor, 1, 3, list);
    int periodic = 0;
    for (const transition& t : list) {
        if (t.word != 0x15) continue;
        EXPECT_EQ(t.odd, -1);
        ++periodic;
    }
    EXPECT_GT(periodic, 0);
    undo_alg1();
}

std::vector<int> cycle_of(std::vector<int> words) {
    const int* evens = perebor.even_necklaces;
    for (int& w : words)
        w = static_cast<int>(std::find(evens, evens + perebor.even_count, w) - evens);
    return words;
}

TEST(ChoiceSearch, WorkedExamples) {
    const struct {
        int n;
        std::vector<int> words;
        const char* messages;
        std::vector<int> runs;
    } examples[] = {
        // clang-format off
        {5, {0x3, 0x5, 0xf}, "Hamilton:<3,5,f>GOOD\n{0,0,5}\nGray Code found (Sh=2)\n"
                             "First COG detected (3)\n", {3, 2, 2, 9, 10, 4}},
        {5, {0x3, 0x5}, "Hamilton:<3,5>GOOD\n{0,3}\nGray Code found (Sh=1)\n"
                        "First COG detected (2)\n", {3, 2, 5, 10}},
        {8, {0x3, 0x5, 0x9, 0xf}, "Hamilton:<3,5,9,f>GOOD\n{0,1,0,2}\nGray Code found (Sh=1)\n"
                                  "First COG detected (4)\n", {5, 2, 2, 2, 3, 4, 10, 36}},
        // clang-format on
    };
    for (const auto& e : examples) {
        build(e.n);
        MessageLog log;
        std::vector<int> runs;
        EXPECT_EQ(attempt_cycle(perebor, cycle_of(e.words), {}, 0, runs), attempt_result::good);
        EXPECT_EQ(log.body(), e.messages);
        EXPECT_EQ(runs, e.runs);
    }
    // Over its work limit an attempt is abandoned as BAD.
    MessageLog log;
    std::vector<int> runs;
    EXPECT_EQ(attempt_cycle(perebor, cycle_of({0x3, 0x5, 0x9, 0xf}), {}, 1, runs),
              attempt_result::bad);
    EXPECT_EQ(log.body(), "Hamilton:<3,5,9,f>BAD\n");
    undo_alg1();
}

// Depth-first in ascending order without pruning: the first choice whose odd necklaces all
// differ (periodic words never chosen) and whose rotation sum is coprime with n.
bool plain_choice(const cycle_edges& edges, int n, std::vector<char>& used,
                  std::vector<int>& choice, int& sh) {
    const int d = static_cast<int>(choice.size());
    if (d + 1 == static_cast<int>(edges.start.size())) return NOD(sh, n) == 1;
    for (int c = 0; c < edges.count(d); ++c) {
        const transition& t = edges.at(d, c);
        if (t.odd < 0 || used[t.odd]) continue;
        used[t.odd] = 1;
        choice.push_back(c);
        sh += t.rotation;
        if (plain_choice(edges, n, used, choice, sh)) return true;
        used[t.odd] = 0;
        choice.pop_back();
        sh -= t.rotation;
    }
    return false;
}

// Random closed cycles, many without any valid choice, and cycles of the cycle search with their
// joins as the hint: the pruned search gives the plain search's verdict, choice and Sh.
TEST(ChoiceSearch, SameAnswerAsThePlainSearch) {
    srand(20240611);
    int found = 0, none = 0;
    for (int n = 5; n <= 10; ++n) {
        build(n);
        for (int round = 0; round < 80; ++round) {
            const int m = 2 + rand() % std::min(11, perebor.even_count - 1);
            std::vector<int> cycle(static_cast<size_t>(perebor.even_count)), hint;
            std::iota(cycle.begin(), cycle.end(), 0);
            std::shuffle(cycle.begin(), cycle.end(), std::mt19937(static_cast<unsigned>(rand())));
            cycle.resize(static_cast<size_t>(m));
            if (round % 2 && find_cycle(perebor, m, cycle, hint) != cycle_status::found) continue;
            cycle_edges edges;
            list_cycle_edges(perebor, cycle, edges);
            bool closed = true; // each necklace a neighbour of the next
            for (int d = 0; d < m; ++d)
                closed = closed && edges.count(d) > 0;
            if (!closed) {
                ASSERT_TRUE(hint.empty()) << "the cycle search gave an open cycle";
                continue;
            }
            std::vector<char> used(static_cast<size_t>(perebor.odd_count), 0);
            std::vector<int> expected, choice;
            int expected_sh = 0, sh = 0;
            const bool valid = plain_choice(edges, n, used, expected, expected_sh);
            ASSERT_TRUE(valid || hint.empty()) << "the cycle search gave a cycle without joins";
            ASSERT_EQ(choose_transitions(perebor, edges, hint, 0, choice, sh),
                      valid ? choice_status::found : choice_status::none)
                << "n=" << n << " m=" << m;
            found += valid;
            if (valid) {
                EXPECT_EQ(choice, expected) << "n=" << n << " m=" << m;
                EXPECT_EQ(sh, expected_sh);
                continue;
            }
            ++none; // such a cycle is reported BAD and gives no code
            MessageLog log;
            std::vector<int> runs;
            EXPECT_EQ(attempt_cycle(perebor, cycle, {}, 0, runs), attempt_result::bad);
            EXPECT_EQ(log.body().substr(log.body().size() - 5), ">BAD\n");
        }
        undo_alg1();
    }
    EXPECT_GT(found, 100);
    EXPECT_GT(none, 5);
}

// Every quality the command offers for 3 to 12 heads, and the two-run code up to 20 heads,
// gives a code of n heads and quality Q that passes the code test; the tables are released.
TEST(Search, EveryOfferedQuality) {
    srand(1);
    for (int n = 3; n <= 20; ++n) {
        const int max = n <= 12 ? build(n) : 2 * n;
        for (int m = 1; 2 * n * m <= max; ++m) {
            build(n);
            MessageLog log;
            ASSERT_TRUE(perebor.process(2 * n * m)) << "n=" << n << " m=" << m;
            ASSERT_NE(global_stgc, nullptr);
            EXPECT_EQ(shape_of(global_stgc).quality, 2 * n * m);
            EXPECT_EQ(shape_of(global_stgc).runs, 2 * m);
            EXPECT_EQ(check_code(global_stgc), code_verdict::good) << "n=" << n << " m=" << m;
            EXPECT_EQ(perebor.even_necklaces, nullptr);
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
