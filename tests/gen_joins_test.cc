// Joins between even necklaces and the choice of joins on given cycles: the lists against the
// plain all-pairs procedure, the worked examples, and the pruned choice against a plain search.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <tuple>
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

using entry = std::tuple<int, int, int>; // rotation, intermediate word, odd necklace

void build(int n) {
    MessageLog log;
    int max = 0;
    algorithm1(n, &max);
}

std::vector<entry> entries(int j, int k) {
    std::vector<transition> list;
    transitions_between(perebor, j, k, list);
    std::vector<entry> out;
    for (const transition& t : list)
        out.emplace_back(t.rotation, t.word, t.odd);
    return out;
}

std::vector<int> cycle_of(std::vector<int> words) {
    const int* evens = perebor.even_necklaces;
    for (int& w : words)
        w = static_cast<int>(std::find(evens, evens + perebor.even_count, w) - evens);
    return words;
}

TEST(Transitions, FiveHeads) {
    build(5); // even necklaces 3, 5, f: each a neighbour of the other two
    for (int j = 0; j < 3; ++j) {
        std::vector<int> others;
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(entries(j, k).size(), j == k ? 0u : j + k == 1 ? 8u : 6u) << j << "," << k;
            if (k != j) others.push_back(k);
        }
        EXPECT_EQ(even_neighbours(perebor, j), others);
    }
    const std::vector<entry> three_five = entries(0, 1);
    EXPECT_EQ(std::vector<entry>(three_five.begin(), three_five.begin() + 2),
              (std::vector<entry>{{0, 0x1, 0}, {0, 0x7, 1}}));
    undo_alg1();
}

// The odd necklace of a word by scanning every odd necklace in every rotation; -1 for none.
int odd_by_scan(int word, int n) {
    for (int u = 0; u < perebor.odd_count; ++u)
        for (int t = 0; t < n; ++t)
            if (rotated(perebor.odd_necklaces[u], t, n) == word) return u;
    return -1;
}

// Entry for entry, periodic intermediate words (no odd necklace, from six heads on) included.
TEST(Transitions, SameAsThePlainProcedure) {
    for (int n = 3; n <= 10; ++n) {
        build(n);
        for (int j = 0; j < perebor.even_count; ++j) {
            std::vector<int> neighbours;
            for (int k = 0; k < perebor.even_count; ++k) {
                const int a = perebor.even_necklaces[j];
                std::vector<entry> expected;
                for (int t = 0; t < n && j != k; ++t) {
                    const int x = a ^ rotated(perebor.even_necklaces[k], t, n);
                    if (bits_in(x) != 2) continue;
                    for (int bit : {x & -x, x & (x - 1)}) // the lower bit first
                        expected.emplace_back(t, a ^ bit, odd_by_scan(a ^ bit, n));
                }
                ASSERT_EQ(entries(j, k), expected) << n << ": " << j << "," << k;
                if (!expected.empty()) neighbours.push_back(k);
            }
            EXPECT_EQ(even_neighbours(perebor, j), neighbours) << n << ": " << j;
        }
        undo_alg1();
    }
}

TEST(ChoiceSearch, WorkedExamples) {
    const struct {
        int n;
        std::vector<int> words;
        const char* messages;
        std::vector<int> runs;
    } examples[] = {
        {5,
         {0x3, 0x5, 0xf},
         "Hamilton:<3,5,f>GOOD\n{0,0,5}\nGray Code found (Sh=2)\nFirst COG detected (3)\n",
         {3, 2, 2, 9, 10, 4}},
        {5,
         {0x3, 0x5},
         "Hamilton:<3,5>GOOD\n{0,3}\nGray Code found (Sh=1)\nFirst COG detected (2)\n",
         {3, 2, 5, 10}},
        {8,
         {0x3, 0x5, 0x9, 0xf},
         "Hamilton:<3,5,9,f>GOOD\n{0,1,0,2}\nGray Code found (Sh=1)\nFirst COG detected (4)\n",
         {5, 2, 2, 2, 3, 4, 10, 36}},
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
    std::string track;
    for (size_t k = 0; k < 30; ++k)
        track += char('0' + (readings[(k + 10) % 30] & 1));
    EXPECT_EQ(readings[9] & 1, 0);
    EXPECT_EQ(track, "111001100000000011111111110000");
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

// A random closed cycle of m distinct even necklaces, each a neighbour of the next.
bool random_cycle(int m, std::vector<int>& cycle) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        cycle.assign(1, rand() % perebor.even_count);
        while (static_cast<int>(cycle.size()) < m) {
            const std::vector<int> next = even_neighbours(perebor, cycle.back());
            const int pick = next.empty() ? cycle[0] : next[rand() % next.size()];
            if (std::count(cycle.begin(), cycle.end(), pick)) break;
            cycle.push_back(pick);
        }
        const std::vector<int> last = even_neighbours(perebor, cycle.back());
        if (static_cast<int>(cycle.size()) == m && std::count(last.begin(), last.end(), cycle[0]))
            return true;
    }
    return false;
}

// Random cycles, many without any valid choice, and cycles of the cycle search with their joins
// as the hint: the pruned search gives the plain search's verdict, choice and Sh.
TEST(ChoiceSearch, SameAnswerAsThePlainSearch) {
    srand(20240611);
    int found = 0, none = 0;
    for (int n = 5; n <= 10; ++n) {
        build(n);
        for (int round = 0; round < 80; ++round) {
            const int m = 2 + rand() % std::min(11, perebor.even_count - 1);
            std::vector<int> cycle, hint;
            if (round % 2 ? find_cycle(perebor, m, cycle, hint) != cycle_status::found
                          : !random_cycle(m, cycle))
                continue;
            cycle_edges edges;
            list_cycle_edges(perebor, cycle, edges);
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
            EXPECT_EQ(log.body().rfind("Hamilton:<", 0), 0u);
            EXPECT_EQ(log.body().substr(log.body().size() - 5), ">BAD\n");
        }
        undo_alg1();
    }
    EXPECT_GT(found, 100);
    EXPECT_GT(none, 5);
}

} // namespace
