// The disk model shared by both drawings: rounding, boundary angles, arcs and input checks.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "code/runlist.h"
#include "export/disk_model.h"

namespace {

TEST(DiskRound, HalvesGoAwayFromZero) {
    EXPECT_EQ(disk::round(2.5), 3);
    EXPECT_EQ(disk::round(-2.5), -3);
    EXPECT_EQ(disk::round(2.4999), 2);
    EXPECT_EQ(disk::round(-2.4999), -2);
    EXPECT_EQ(disk::round(0.0), 0);
    EXPECT_EQ(disk::round(-0.0), 0);
    EXPECT_EQ(disk::round(0.5), 1);
    EXPECT_EQ(disk::round(-0.5), -1);
    EXPECT_EQ(disk::round(1e9), 1000000000);
    EXPECT_EQ(disk::round(-1e9), -1000000000);
}

TEST(DiskModel, BoundaryAnglesAreSinglePrecision) {
    // 10 * 6.2831855f / 224 in float, not the double value of 10 * 2 pi / 224.
    const float expected = 10.0f * 6.2831855f / 224.0f;
    EXPECT_EQ(boundary_angle(10, 224), expected);
    EXPECT_EQ(boundary_angle(0, 224), 0.0f);
    EXPECT_EQ(boundary_angle(224, 224), full_turn);
    EXPECT_EQ(full_turn, static_cast<float>(2 * M_PI));
}

TEST(DiskModel, ArcsFollowTheRunsAlternatingGapAndCog) {
    int* runs = make_runlist({3, 1, 2, 2});
    std::vector<disk_arc> arcs = disk_arcs(runs);
    ASSERT_EQ(arcs.size(), 4u);
    const int64_t starts[] = {0, 3, 4, 6};
    const int64_t ends[] = {3, 4, 6, 8};
    for (size_t j = 0; j < arcs.size(); ++j) {
        EXPECT_EQ(arcs[j].cog, j % 2 == 1) << j;
        EXPECT_EQ(arcs[j].start_angle, boundary_angle(starts[j], 8)) << j;
        EXPECT_EQ(arcs[j].end_angle, boundary_angle(ends[j], 8)) << j;
        EXPECT_FALSE(arcs[j].large_arc) << j;
    }
    // Each arc starts where the one before it ended; the last closes the turn.
    EXPECT_EQ(arcs[0].start_angle, 0.0f);
    EXPECT_EQ(arcs[3].end_angle, full_turn);
    delete[] runs;
}

TEST(DiskModel, LargeArcOnlyForMoreThanHalfTheTrack) {
    int* over = make_runlist({5, 4});
    int* half = make_runlist({4, 4});
    std::vector<disk_arc> a = disk_arcs(over);
    std::vector<disk_arc> b = disk_arcs(half);
    EXPECT_TRUE(a[0].large_arc);
    EXPECT_FALSE(a[1].large_arc);
    EXPECT_FALSE(b[0].large_arc);
    EXPECT_FALSE(b[1].large_arc);
    delete[] over;
    delete[] half;
}

TEST(DiskModel, EmptyAndNullRunListsHaveNoArcs) {
    int* empty = make_runlist({});
    EXPECT_TRUE(disk_arcs(empty).empty());
    EXPECT_TRUE(disk_arcs(nullptr).empty());
    delete[] empty;
}

TEST(DiskModel, MountHolesUpRightDownLeft) {
    EXPECT_EQ(mount_steps[0].dx, 0);
    EXPECT_EQ(mount_steps[0].dy, 1);
    EXPECT_EQ(mount_steps[1].dx, 1);
    EXPECT_EQ(mount_steps[1].dy, 0);
    EXPECT_EQ(mount_steps[2].dx, 0);
    EXPECT_EQ(mount_steps[2].dy, -1);
    EXPECT_EQ(mount_steps[3].dx, -1);
    EXPECT_EQ(mount_steps[3].dy, 0);
}

TEST(DiskModel, CheckRefusesWhatCannotBeDrawn) {
    float dims[5] = {180, 150, 24, 46, 12};
    int* good = make_runlist({2, 2});
    int* negative = make_runlist({2, -1, 3});
    int* empty = make_runlist({});
    EXPECT_EQ(check_disk(good, dims), disk_status::ok);
    EXPECT_EQ(check_disk(empty, dims), disk_status::ok);
    EXPECT_EQ(check_disk(nullptr, dims), disk_status::no_code);
    EXPECT_EQ(check_disk(negative, dims), disk_status::bad_run);
    // Zero and negative dimensions are drawn as they are; only inf and nan are refused.
    float odd[5] = {0, -150, 0, -46, 0};
    EXPECT_EQ(check_disk(good, odd), disk_status::ok);
    for (int i = 0; i < 5; ++i) {
        float bad[5] = {180, 150, 24, 46, 12};
        bad[i] = std::numeric_limits<float>::infinity();
        EXPECT_EQ(check_disk(good, bad), disk_status::not_finite) << i;
        bad[i] = std::numeric_limits<float>::quiet_NaN();
        EXPECT_EQ(check_disk(good, bad), disk_status::not_finite) << i;
    }
    delete[] good;
    delete[] negative;
    delete[] empty;
}

TEST(DiskModel, EveryRefusalHasAMessageAndSuccessHasNone) {
    disk_result ok;
    EXPECT_EQ(disk_result_message(ok), "");
    for (disk_status s : {disk_status::no_code, disk_status::bad_run, disk_status::not_finite,
                          disk_status::no_scale, disk_status::too_large,
                          disk_status::gerber_range, disk_status::drill_too_large,
                          disk_status::bad_placement, disk_status::same_file,
                          disk_status::no_memory}) {
        disk_result r;
        r.status = s;
        std::string m = disk_result_message(r);
        EXPECT_FALSE(m.empty());
        EXPECT_EQ(m.back(), '\n');
    }
    disk_result failed;
    failed.status = disk_status::write_failed;
    EXPECT_EQ(disk_result_message(failed), "Can't open file!\n");
    failed.file.opened = true;
    failed.file.error = 28; // ENOSPC
    failed.first_written = true;
    std::string m = disk_result_message(failed);
    EXPECT_EQ(m.rfind("Can't write file! (", 0), 0u) << m;
    EXPECT_NE(m.find("The Gerber file was written, the Excellon file was not."), std::string::npos);
}

} // namespace
