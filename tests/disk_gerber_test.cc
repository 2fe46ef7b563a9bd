// The Gerber outline file and the Excellon drill file: a known disk, the four hole placements,
// digit counts, refusals, and gerbv reading them.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "code/runlist.h"
#include "export/disk_gerber.h"
#include "tests/support/test_support.h"

using testing_support::file_exists;
using testing_support::read_file;
using testing_support::run_command;
using testing_support::TempDir;
using testing_support::known_good;

namespace {

const float* const initial = testing_support::initial_geometry;

std::string gerber(const std::vector<int>& runs, const float* dims, int placement) {
    std::unique_ptr<int[]> code(make_runlist(runs));
    std::string out;
    EXPECT_EQ(format_gerber(code.get(), dims, placement, out), disk_status::ok);
    return out;
}

std::string drill(const float* dims, int placement) {
    std::string out;
    EXPECT_EQ(format_drill(dims, placement, out), disk_status::ok);
    return out;
}

const std::string header = "G04 STGC v.1.0. output*\n"
                           "G04 Scale: 100 percent, Rotated: No, Reflected: No*\n"
                           "%FSLAX34Y34*%\n%MOMM*%\n%LN board outline*%\n%LPD*%\n"
                           "%ADD10C,0.005000*%\nD10*\nG75*\n";
const std::string centre_hole =
    "G01*\nX0Y120000D02*\nG02*\nX0Y-120000I0J-120000D01*\nX0Y120000I0J120000D01*\n";

// known_good.grb (placement 0) was written by this exporter, then checked byte for byte against
// an independent rendering of the Gerber rules (float sines, halves away from zero) and read by
// gerbv. The other placements leave out hole blocks.
TEST(GerberFile, KnownGoodDiskInEveryPlacement) {
    const std::string all = read_file(STGC_SOURCE_DIR "/tests/data/disk/known_good.grb");
    EXPECT_EQ(gerber(known_good, initial, 0), all);
    EXPECT_EQ(all.rfind(header + "G01*\nX0Y900000D02*\nG01*\nX0Y750000D01*\n"
                                 "G02*\nX207627Y720688I0J-750000D01*\n",
                        0),
              0u);
    const std::string outline_end = "G02*\nX0Y900000I541185J-719110D01*\n";
    const size_t centre = all.find(outline_end + centre_hole);
    ASSERT_NE(centre, std::string::npos);
    const std::string outline = all.substr(0, centre + outline_end.size());
    const size_t mounts_at = outline.size() + centre_hole.size();
    const std::string mounts = all.substr(mounts_at, all.size() - 5 - mounts_at);
    EXPECT_EQ(mounts.rfind("G01*\nX0Y290000D02*\nG02*\nX0Y170000I0J-60000D01*\n"
                           "X0Y290000I0J60000D01*\nG01*\nX230000Y60000D02*\n",
                           0),
              0u);
    EXPECT_EQ(gerber(known_good, initial, 1), outline + centre_hole + "M02*\n");
    EXPECT_EQ(gerber(known_good, initial, 2), outline + mounts + "M02*\n");
    EXPECT_EQ(gerber(known_good, initial, 3), outline + "M02*\n");
    // A code without runs: header, start move, the holes of the placement.
    const std::string start = header + "G01*\nX0Y900000D02*\n";
    EXPECT_EQ(gerber({}, initial, 0), start + centre_hole + mounts + "M02*\n");
    EXPECT_EQ(gerber({}, initial, 3), start + "M02*\n");
}

// 0.5 * 0.0625 mm is 312.5 Gerber units, 0.5 * 0.125 mm is 62.5 drill units.
TEST(GerberFile, RoundingTakesHalvesAwayFromZero) {
    const float dims[5] = {180, 150, -0.0625f, 0.125f, 12};
    EXPECT_NE(gerber({}, dims, 1).find("X0Y-313D02*\nG02*\nX0Y313I0J313D01*\n"), std::string::npos);
    EXPECT_NE(drill(dims, 1).find("X000000Y000063\nX000063Y000000\nX000000Y-000063\n"),
              std::string::npos);
}

TEST(DrillFile, ThreePlacements) {
    const std::string head = ";Drill File\nM48\nMETRIC,000.000\n";
    const std::string mounts = "X000000Y023000\nX023000Y000000\nX000000Y-023000\nX-023000Y000000\n";
    EXPECT_EQ(drill(initial, 3), head +
                                     "T01C24.000000\nT02C12.000000\n%\nG05\nG90\nT01\n"
                                     "X000000Y000000\nT02\n" +
                                     mounts + "M30\n");
    EXPECT_EQ(drill(initial, 2), head + "T01C24.000000\n%\nG05\nG90\nT01\nX000000Y000000\nM30\n");
    EXPECT_EQ(drill(initial, 1), head + "T01C12.000000\n%\nG05\nG90\nT01\n" + mounts + "M30\n");
    std::string out; // placement 0 has no drill file
    EXPECT_EQ(format_drill(initial, 0, out), disk_status::bad_placement);
}

TEST(DigitCount, FollowsTheOuterDiameterInBothFiles) {
    const struct {
        float outer;
        int digits;
    } cases[] = {{0, 1},   {-500, 1}, {9, 1},    {9.9f, 1}, {9.91f, 2},  {99, 2},
                 {990, 3}, {1000, 4}, {9900, 4}, {9901, 5}, {3e38f, 39}, {INFINITY, 64}};
    for (const auto& c : cases)
        EXPECT_EQ(digit_count(c.outer), c.digits) << c.outer;
    const float small[5] = {9, 8, 2, 4, 1};
    EXPECT_NE(gerber({}, small, 0).find("%FSLAX14Y14*%\n"), std::string::npos);
    EXPECT_EQ(drill(small, 1).rfind(";Drill File\nM48\nMETRIC,000.000\n", 0), 0u);
    const float metre[5] = {1000, 900, 24, 46, 12};
    EXPECT_NE(gerber({}, metre, 0).find("%FSLAX44Y44*%\n"), std::string::npos);
    EXPECT_EQ(drill(metre, 3), ";Drill File\nM48\nMETRIC,0000.00\nT01C24.000000\nT02C12.000000\n"
                               "%\nG05\nG90\nT01\nX000000Y000000\nT02\nX000000Y002300\n"
                               "X002300Y000000\nX000000Y-002300\nX-002300Y000000\nM30\n");
}

// Above 9900 mm the drill file has no units: nothing is written, and the writer says so on
// standard output; the Gerber file alone has room.
TEST(DrillFile, AboveNineMetresNothingIsWritten) {
    TempDir dir;
    std::unique_ptr<int[]> code(make_runlist(known_good));
    const float big[5] = {9901, 9000, 24, 46, 12};
    const std::string grb = dir.file("big.grb"), drl = dir.file("big.drl");
    testing::internal::CaptureStdout();
    EXPECT_EQ(convert_to_gerber(code.get(), big, grb.c_str(), drl.c_str(), 3), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error: can't show more then 9 meters\n");
    EXPECT_FALSE(file_exists(grb));
    EXPECT_FALSE(file_exists(drl));
    EXPECT_EQ(convert_to_gerber(code.get(), big, grb.c_str(), nullptr, 0), 0);
    EXPECT_NE(read_file(grb).find("%FSLAX54Y54*%\n"), std::string::npos);
}

TEST(GerberFile, DimensionsMustBeFiniteAndFitTheCoordinates) {
    const float edge[5] = {200000, 150, 24, 200000, 200000};
    const std::string text = gerber({1, 1}, edge, 0);
    EXPECT_NE(text.find("X0Y1000000000D02*\n"), std::string::npos);
    EXPECT_NE(text.find("X0Y2000000000D02*\n"), std::string::npos); // mount centre + radius
    std::unique_ptr<int[]> code(make_runlist({1, 1}));
    for (int i = 0; i < 5; ++i) {
        float dims[5] = {180, 150, 24, 46, 12};
        std::string out;
        dims[i] = i % 2 ? -200001.0f : 200001.0f;
        EXPECT_EQ(format_gerber(code.get(), dims, 0, out), disk_status::gerber_range) << i;
        EXPECT_EQ(format_drill(dims, 3, out), disk_status::gerber_range) << i;
        dims[i] = i % 2 ? INFINITY : NAN;
        EXPECT_EQ(format_gerber(code.get(), dims, 0, out), disk_status::not_finite) << i;
        EXPECT_EQ(format_drill(dims, 3, out), disk_status::not_finite) << i;
        EXPECT_EQ(out, "");
    }
}

TEST(GerberFile, RefusedArgumentsTouchNoFile) {
    TempDir dir;
    std::unique_ptr<int[]> code(make_runlist(known_good));
    const std::string grb = dir.file("out.grb"), link = dir.file("link.drl");
    ASSERT_EQ(convert_to_gerber(code.get(), initial, grb.c_str(), nullptr, 0), 0);
    ASSERT_EQ(run_command("ln '" + grb + "' '" + link + "'"), 0);
    auto refusal = [&](const char* drill_path, int placement) {
        return export_gerber(code.get(), initial, grb.c_str(), drill_path, placement).status;
    };
    EXPECT_EQ(refusal(nullptr, 2), disk_status::bad_placement);
    EXPECT_EQ(refusal(link.c_str(), 4), disk_status::bad_placement);
    // One name for both files would leave only the drill file, also through a link.
    EXPECT_EQ(refusal(grb.c_str(), 3), disk_status::same_file);
    EXPECT_EQ(refusal(link.c_str(), 1), disk_status::same_file);
    EXPECT_EQ(read_file(grb), gerber(known_good, initial, 0));
}

// gerbv reads the outline alone and with each drill file, at each digit count, without a word
// on standard error.
TEST(GerberFile, GerbvReadsEveryPlacement) {
    if (run_command("command -v gerbv") != 0)
        GTEST_SKIP() << "gerbv missing (scripts/deps.sh test installs it)";
    TempDir dir;
    std::unique_ptr<int[]> code(make_runlist(known_good));
    const float metre[5] = {1000, 900, 24, 46, 12}, small[5] = {9, 7, 1, 4, 1};
    int n = 0;
    for (const float* dims : {initial, metre, small})
        for (int placement = 0; placement < 4; ++placement) {
            const std::string base = dir.file(std::to_string(n++));
            const std::string grb = base + ".grb", drl = base + ".drl";
            ASSERT_EQ(convert_to_gerber(code.get(), dims, grb.c_str(), drl.c_str(), placement), 0);
            const std::string files = "'" + grb + "'" + (placement ? " '" + drl + "'" : "");
            std::string out;
            EXPECT_EQ(
                run_command("env -u DISPLAY gerbv -x png -o '" + base + ".png' " + files, &out), 0);
            EXPECT_EQ(out, "") << files;
            EXPECT_GT(read_file(base + ".png").size(), 100u) << files;
        }
}

} // namespace
