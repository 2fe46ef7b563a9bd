#include <vector>

#include <gtest/gtest.h>

#include "code/runlist.h"
#include "code/track.h"

namespace {

const std::vector<int> known_good = {10, 3,  5, 18, 14, 3, 4,  8, 6, 6,  5, 6, 10, 3,
                                     13, 4,  5, 12, 4,  13, 4, 4, 11, 4, 12, 5, 9, 23};

std::vector<uint32_t> readings_of(const std::vector<int>& runs, int heads) {
    int* list = make_runlist(runs);
    std::vector<unsigned char> track = expand_track(list);
    run_shape shape = shape_of(list);
    delete[] list;
    return all_readings(track, shape.runs, heads);
}

} // namespace

TEST(Track, ShapeCountsRunsAndQualityUpToTheFirstZero) {
    int list[] = {10, 3, 0, 5, 0};
    run_shape s = shape_of(list);
    EXPECT_EQ(s.quality, 13);
    EXPECT_EQ(s.runs, 2);
    EXPECT_EQ(shape_of(nullptr).runs, 0);
    int big[] = {2147483647, 2147483647, 0};
    EXPECT_EQ(shape_of(big).quality, 4294967294LL);
    run_shape odd{11, 4};
    EXPECT_EQ(odd.head_offsets(), 3); // offsets 0, 4, 8 lie below 11
    EXPECT_FALSE(odd.heads_divide());
}

TEST(Track, ReadingsPutHeadZeroInTheTopBit) {
    // Track 000111 with heads two positions apart.
    EXPECT_EQ(readings_of({3, 3}, 3), (std::vector<uint32_t>{1, 3, 2, 6, 4, 5}));
    std::vector<uint32_t> r = readings_of(known_good, 8);
    ASSERT_EQ(r.size(), 224u);
    EXPECT_EQ(r[0], 84u);
    EXPECT_EQ(r[1], 116u);
    EXPECT_EQ(r[2], 124u);
    EXPECT_EQ(r[3], 126u);
}

TEST(Track, RotatedReadingsMatchTheDirectDefinition) {
    int* list = make_runlist(known_good);
    std::vector<unsigned char> track = expand_track(list);
    delete[] list;
    std::vector<uint32_t> fast = all_readings(track, 28, 8);
    for (int64_t k = 0; k < 224; ++k)
        ASSERT_EQ(fast[static_cast<size_t>(k)], reading_at(track, 28, 8, k)) << "rotation " << k;
}
