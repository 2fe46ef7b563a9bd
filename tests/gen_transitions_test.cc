// Neighbours and transition lists of even necklaces, against the plain all-pairs procedure.
#include <gtest/gtest.h>

#include <vector>

#include "gen/necklace.h"
#include "gen/transitions.h"
#include "tests/support/test_support.h"

using testing_support::MessageLog;

namespace {

void build(int n) {
    MessageLog log;
    int max = 0;
    algorithm1(n, &max);
}

int even_index(int word) {
    for (int i = 0; i < perebor.even_count; ++i)
        if (perebor.even_necklaces[i] == word) return i;
    ADD_FAILURE() << "no even necklace " << word;
    return 0;
}

// The odd index by scanning every odd necklace in every rotation; -1 when none matches.
int odd_index_by_scan(int word, int n) {
    for (int u = 0; u < perebor.odd_count; ++u) {
        int x = perebor.odd_necklaces[u];
        for (int t = 0; t < n; ++t) {
            if (x == word) return u;
            shift(&x, n);
        }
    }
    return -1;
}

// The transitions of the ordered pair (j, k) as the dense table builds them.
std::vector<transition> dense_transitions(int j, int k, int n) {
    std::vector<transition> out;
    if (j == k) return out;
    const int a = perebor.even_necklaces[j];
    int w = perebor.even_necklaces[k];
    for (int t = 0; t < n; ++t) {
        const int x = a ^ w;
        if (bits_in(x) == 2) {
            int hi = 1 << (n - 1);
            while (!(x & hi)) hi >>= 1;
            int lo = 1;
            while (!(x & lo)) lo <<= 1;
            out.push_back(transition{t, a ^ lo, odd_index_by_scan(a ^ lo, n)});
            out.push_back(transition{t, a ^ hi, odd_index_by_scan(a ^ hi, n)});
        }
        shift(&w, n);
    }
    return out;
}

bool dense_neighbours(int i, int j, int n) {
    if (i == j) return false;
    int w = perebor.even_necklaces[j];
    for (int t = 0; t < n; ++t) {
        if (bits_in(perebor.even_necklaces[i] ^ w) == 2) return true;
        shift(&w, n);
    }
    return false;
}

TEST(Transitions, FiveHeadsAsListed) {
    build(5);
    for (int i = 0; i < 3; ++i) {
        std::vector<int> others;
        for (int j = 0; j < 3; ++j)
            if (j != i) others.push_back(j);
        EXPECT_EQ(even_neighbours(perebor, i), others);
    }
    std::vector<transition> list;
    const int three = even_index(0x3), five = even_index(0x5), fifteen = even_index(0xf);
    transitions_between(perebor, three, five, list);
    ASSERT_EQ(list.size(), 8u);
    EXPECT_EQ(list[0].rotation, 0);
    EXPECT_EQ(list[0].word, 0x1);
    EXPECT_EQ(list[0].odd, 0);
    EXPECT_EQ(list[1].rotation, 0);
    EXPECT_EQ(list[1].word, 0x7);
    EXPECT_EQ(list[1].odd, 1);
    transitions_between(perebor, five, three, list);
    EXPECT_EQ(list.size(), 8u);
    for (auto pair : {std::make_pair(three, fifteen), std::make_pair(fifteen, three),
                      std::make_pair(five, fifteen), std::make_pair(fifteen, five)}) {
        transitions_between(perebor, pair.first, pair.second, list);
        EXPECT_EQ(list.size(), 6u);
    }
    transitions_between(perebor, five, five, list);
    EXPECT_TRUE(list.empty());
    undo_alg1();
}

TEST(Transitions, SixHeadsPeriodicIntermediateHasNoOddNecklace) {
    build(6);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(even_neighbours(perebor, i).size(), 3u);
    std::vector<transition> list;
    transitions_between(perebor, even_index(0x5), even_index(0x17), list);
    bool periodic_seen = false;
    for (const transition& e : list) {
        if (e.word == 0x15) {
            periodic_seen = true;
            EXPECT_EQ(e.odd, -1);
        } else {
            EXPECT_GE(e.odd, 0);
        }
    }
    EXPECT_TRUE(periodic_seen);
    undo_alg1();
}

// The computed-on-demand lists equal the dense tables entry for entry, periodic words included.
TEST(Transitions, SameAsTheDenseTables) {
    for (int n = 3; n <= 10; ++n) {
        build(n);
        std::vector<transition> list;
        for (int j = 0; j < perebor.even_count; ++j) {
            std::vector<int> expected_neighbours;
            for (int k = 0; k < perebor.even_count; ++k) {
                if (dense_neighbours(j, k, n)) expected_neighbours.push_back(k);
                std::vector<transition> expected = dense_transitions(j, k, n);
                transitions_between(perebor, j, k, list);
                ASSERT_EQ(list.size(), expected.size()) << n << ": " << j << "," << k;
                for (std::size_t e = 0; e < list.size(); ++e) {
                    EXPECT_EQ(list[e].rotation, expected[e].rotation);
                    EXPECT_EQ(list[e].word, expected[e].word);
                    EXPECT_EQ(list[e].odd, expected[e].odd);
                }
                EXPECT_EQ(list.empty(), !dense_neighbours(j, k, n));
            }
            EXPECT_EQ(even_neighbours(perebor, j), expected_neighbours) << n << ": " << j;
        }
        undo_alg1();
    }
}

// A half-edge from x lands on `to` rotated by `voltage`: flipping that bit of x's word gives
// the representative of `to` rotated that many places.
TEST(Transitions, HalfEdgesLeadToRotatedNeighbours) {
    const int n = 9;
    build(n);
    const int nodes = perebor.even_count + perebor.odd_count;
    half_edge out[32];
    for (int x = 0; x < nodes; ++x) {
        const int count = half_edges_of(perebor, x, out);
        EXPECT_LE(count, n);
        int found = 0;
        for (int bit = 0; bit < n; ++bit) {
            const int flipped = perebor.node_word(x) ^ (1 << bit);
            int index, rotation;
            if (!perebor.locate(flipped, &index, &rotation)) continue;
            ASSERT_LT(found, count);
            const half_edge& h = out[found++];
            EXPECT_EQ((h.to < perebor.even_count), (x >= perebor.even_count));
            EXPECT_EQ(rotated(perebor.node_word(h.to), h.voltage, n), flipped);
        }
        EXPECT_EQ(found, count);
    }
    undo_alg1();
}

} // namespace
