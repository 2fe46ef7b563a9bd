// Necklace tables and the bit helpers of code generation.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gen/necklace.h"
#include "tests/support/test_support.h"

using testing_support::MessageLog;

namespace {

// Builds the tables for n heads quietly and returns the largest quality.
int build(int n) {
    MessageLog log;
    int max = -1;
    algorithm1(n, &max);
    return max;
}

// Binary Lyndon words of length n and weight w: (1/n) sum over d | gcd(n, w) of mu(d) C(n/d, w/d).
long lyndon_count(int n, int w) {
    auto mu = [](int d) {
        int result = 1;
        for (int p = 2; p * p <= d; ++p)
            if (d % p == 0) {
                d /= p;
                if (d % p == 0) return 0;
                result = -result;
            }
        return d > 1 ? -result : result;
    };
    auto binomial = [](int a, int b) {
        long r = 1;
        for (int i = 1; i <= b; ++i) r = r * (a - b + i) / i;
        return r;
    };
    long sum = 0;
    for (int d = 1; d <= n; ++d)
        if (n % d == 0 && w % d == 0) sum += mu(d) * binomial(n / d, w / d);
    return sum / n;
}

TEST(BitHelpers, ShiftRotatesLeftWithinTheWord) {
    int w = 0x16; // 10110
    shift(&w, 5);
    EXPECT_EQ(w, 0xd); // 01101
    for (int word = 0; word < 32; ++word) {
        int x = word;
        for (int i = 0; i < 5; ++i) shift(&x, 5);
        EXPECT_EQ(x, word) << word;
    }
    int top = 1 << 19;
    shift(&top, 20);
    EXPECT_EQ(top, 1);
    EXPECT_EQ(rotated(0x16, 1, 5), 0xd);
    EXPECT_EQ(rotated(0x16, 6, 5), 0xd);
    EXPECT_EQ(rotated(0x16, 0, 5), 0x16);
}

TEST(BitHelpers, ParityCountAndDivisor) {
    EXPECT_EQ(chetny(0), 1);
    EXPECT_EQ(chetny(7), 0);
    EXPECT_EQ(chetny(0x3), 1);
    EXPECT_EQ(chetny(0x80000), 0);
    EXPECT_EQ(bits_in(0), 0);
    EXPECT_EQ(bits_in(-1), 0);
    EXPECT_EQ(bits_in(0xfffff), 20);
    EXPECT_EQ(NOD(0, 7), 7);
    EXPECT_EQ(NOD(12, 18), 6);
    EXPECT_EQ(NOD(18, 12), 6);
    EXPECT_EQ(NOD(2, 5), 1);
    EXPECT_EQ(NOD(0, 0), 0);
}

TEST(NecklaceTables, CountsAndLargestQuality) {
    struct expected {
        int n, even, odd, max;
    };
    const expected table[] = {{3, 1, 1, 6},        {4, 1, 2, 8},         {5, 3, 3, 30},
                              {6, 4, 5, 48},       {7, 9, 9, 126},       {8, 14, 16, 224},
                              {10, 48, 51, 960},   {12, 165, 170, 3960}, {16, 2032, 2048, 65024},
                              {20, 26163, 26214, 1046520}};
    for (const expected& e : table) {
        EXPECT_EQ(build(e.n), e.max) << e.n;
        EXPECT_EQ(perebor.even_count, e.even) << e.n;
        EXPECT_EQ(perebor.odd_count, e.odd) << e.n;
        EXPECT_EQ(perebor.heads, e.n);
        undo_alg1();
    }
}

TEST(NecklaceTables, ListingLines) {
    const std::vector<std::vector<std::string>> listings = {
        {"...Generating step 1...", "size: 1,1", "<3,>", "<1,>"},
        {"...Generating step 1...", "size: 1,2", "<3,>", "<1,7,>"},
        {"...Generating step 1...", "size: 3,3", "<3,5,f,>", "<1,7,b,>"},
        {"...Generating step 1...", "size: 4,5", "<3,5,f,17,>", "<1,7,b,d,1f,>"},
    };
    for (int n = 3; n <= 6; ++n) {
        MessageLog log;
        int max = 0;
        algorithm1(n, &max);
        EXPECT_EQ(log.lines(), listings[static_cast<std::size_t>(n - 3)]) << n;
        undo_alg1();
    }
}

// Every word is either periodic or found on exactly the necklace whose representative, rotated
// as reported, gives it back; representatives are the smallest rotations, ascending, with the
// parity of their list, and their numbers agree with the Lyndon word count.
TEST(NecklaceTables, EveryWordFindsItsNecklace) {
    for (int n : {1, 2, 3, 6, 9, 12, 15}) {
        build(n);
        const int* lists[2] = {perebor.even_necklaces, perebor.odd_necklaces};
        const int counts[2] = {perebor.even_count, perebor.odd_count};
        for (int l = 0; l < 2; ++l)
            for (int i = 0; i < counts[l]; ++i) {
                const int rep = lists[l][i];
                EXPECT_EQ(chetny(rep), l == 0 ? 1 : 0);
                if (i > 0) {
                    EXPECT_LT(lists[l][i - 1], rep);
                }
                for (int s = 1; s < n; ++s) EXPECT_LT(rep, rotated(rep, s, n)) << n;
            }
        long even = 0, odd = 0;
        for (int w = 0; w <= n; ++w) (w % 2 == 0 ? even : odd) += lyndon_count(n, w);
        EXPECT_EQ(perebor.even_count, even) << n;
        EXPECT_EQ(perebor.odd_count, odd) << n;

        for (int word = 0; word < (1 << n); ++word) {
            bool periodic = false;
            for (int s = 1; s < n; ++s) periodic = periodic || rotated(word, s, n) == word;
            int index = -1, rotation = -1;
            ASSERT_EQ(perebor.locate(word, &index, &rotation), !periodic) << n << " " << word;
            if (periodic) continue;
            const int* list = chetny(word) ? perebor.even_necklaces : perebor.odd_necklaces;
            EXPECT_EQ(rotated(list[index], rotation, n), word) << n << " " << word;
        }
        undo_alg1();
    }
}

TEST(NecklaceTables, OneHeadAcceptsBothWords) {
    EXPECT_EQ(build(1), 2);
    EXPECT_EQ(perebor.even_count, 1);
    EXPECT_EQ(perebor.odd_count, 1);
    EXPECT_EQ(perebor.even_necklaces[0], 0);
    EXPECT_EQ(perebor.odd_necklaces[0], 1);
    undo_alg1();
}

TEST(NecklaceTables, OutOfRangeBuildsNothing) {
    for (int n : {0, -3, 21, 31}) {
        MessageLog log;
        int max = -1;
        algorithm1(n, &max);
        EXPECT_EQ(max, 0) << n;
        EXPECT_EQ(perebor.even_count, 0);
        EXPECT_EQ(perebor.odd_count, 0);
        EXPECT_NE(log.body().find("size: 0,0\n"), std::string::npos);
        undo_alg1();
    }
}

TEST(NecklaceTables, ReleasedAndRebuiltForAnotherSize) {
    build(8);
    undo_alg1();
    EXPECT_EQ(perebor.even_necklaces, nullptr);
    EXPECT_EQ(perebor.odd_necklaces, nullptr);
    undo_alg1(); // a second release is harmless
    EXPECT_EQ(build(5), 30);
    EXPECT_EQ(perebor.even_necklaces[2], 0xf);
    // A build over live tables replaces them without a leak (checked by the sanitizer build).
    EXPECT_EQ(build(7), 126);
    EXPECT_EQ(perebor.even_count, 9);
    undo_alg1();
}

} // namespace
