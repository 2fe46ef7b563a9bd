// Necklace tables and the bit helpers of code generation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gen/necklace.h"
#include "tests/support/test_support.h"

using testing_support::MessageLog;

namespace {

int build(int n) {
    MessageLog log;
    int max = -1;
    algorithm1(n, &max);
    return max;
}

TEST(BitHelpers, RotationParityWeightAndDivisor) {
    int word = 0x16; // 10110 -> 01101
    shift(&word, 5);
    EXPECT_EQ(word, 0xd);
    for (int w = 0; w < 32; ++w) {
        int x = w;
        for (int i = 0; i < 5; ++i)
            shift(&x, 5);
        EXPECT_EQ(x, w);
    }
    EXPECT_EQ(rotated(0x16, 6, 5), 0xd);
    EXPECT_EQ(std::vector<int>({chetny(0), chetny(7), chetny(3), chetny(0x80000)}),
              std::vector<int>({1, 0, 1, 0}));
    EXPECT_EQ(std::vector<int>({bits_in(0), bits_in(-1), bits_in(0xfffff)}),
              std::vector<int>({0, 0, 20}));
    EXPECT_EQ(std::vector<int>({NOD(0, 7), NOD(12, 18), NOD(18, 12), NOD(2, 5)}),
              std::vector<int>({7, 6, 6, 1}));
}

// Each build replaces the tables before it (the sanitizer build sees any leak); heads outside
// 1..20 build nothing.
TEST(NecklaceTables, CountsAndLargestQuality) {
    // clang-format off
    const struct { int n, even, odd, max; } table[] = {
        {1, 1, 1, 2},         {3, 1, 1, 6},            {4, 1, 2, 8},     {5, 3, 3, 30},
        {6, 4, 5, 48},        {7, 9, 9, 126},          {8, 14, 16, 224}, {10, 48, 51, 960},
        {12, 165, 170, 3960}, {16, 2032, 2048, 65024}, {20, 26163, 26214, 1046520}};
    // clang-format on
    for (const auto& e : table) {
        EXPECT_EQ(build(e.n), e.max) << e.n;
        EXPECT_EQ(perebor.even_count, e.even) << e.n;
        EXPECT_EQ(perebor.odd_count, e.odd) << e.n;
    }
    for (int n : {0, -3, 21, 31}) {
        EXPECT_EQ(build(n), 0) << n;
        EXPECT_EQ(perebor.even_count + perebor.odd_count, 0) << n;
    }
    undo_alg1();
    EXPECT_EQ(perebor.even_necklaces, nullptr);
    undo_alg1(); // a second release is harmless
}

TEST(NecklaceTables, ListingLines) {
    const std::vector<std::string> listings[] = {
        {"...Generating step 1...", "size: 1,1", "<3,>", "<1,>"},
        {"...Generating step 1...", "size: 1,2", "<3,>", "<1,7,>"},
        {"...Generating step 1...", "size: 3,3", "<3,5,f,>", "<1,7,b,>"},
        {"...Generating step 1...", "size: 4,5", "<3,5,f,17,>", "<1,7,b,d,1f,>"},
    };
    for (int n = 3; n <= 6; ++n) {
        MessageLog log;
        int max = 0;
        algorithm1(n, &max);
        EXPECT_EQ(log.lines(), listings[n - 3]) << n;
        undo_alg1();
    }
}

} // namespace
