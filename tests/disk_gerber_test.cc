// The Gerber outline file and the Excellon drill file: exact lines, the four hole placements,
// digit counts, refusals, and gerbv reading them.
#include <gtest/gtest.h>

#include <limits>
#include <sstream>

#include "code/runlist.h"
#include "export/disk_gerber.h"
#include "tests/support/test_support.h"

using testing_support::file_exists;
using testing_support::read_file;
using testing_support::run_command;
using testing_support::TempDir;

namespace {

const std::vector<int> known_good = {10, 3, 5,  18, 14, 3, 4,  8, 6, 6,  5, 6,  10, 3,
                                     13, 4, 5,  12, 4,  13, 4, 4, 11, 4, 12, 5, 9, 23};
const float initial[5] = {180, 150, 24, 46, 12};

struct runlist {
    explicit runlist(const std::vector<int>& runs) : list(make_runlist(runs)) {}
    ~runlist() { delete[] list; }
    runlist(const runlist&) = delete;
    runlist& operator=(const runlist&) = delete;
    int* list;
};

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) out.push_back(line);
    return out;
}

std::string gerber(const std::vector<int>& runs, const float* dims, int placement) {
    runlist code(runs);
    std::string out;
    EXPECT_EQ(format_gerber(code.list, dims, placement, out), disk_status::ok);
    return out;
}

std::string drill(const float* dims, int placement) {
    std::string out;
    EXPECT_EQ(format_drill(dims, placement, out), disk_status::ok);
    return out;
}

const char* const header =
    "G04 STGC v.1.0. output*\n"
    "G04 Scale: 100 percent, Rotated: No, Reflected: No*\n"
    "%FSLAX34Y34*%\n"
    "%MOMM*%\n"
    "%LN board outline*%\n"
    "%LPD*%\n"
    "%ADD10C,0.005000*%\n"
    "D10*\n"
    "G75*\n";

const char* const centre_hole =
    "G01*\nX0Y120000D02*\nG02*\nX0Y-120000I0J-120000D01*\nX0Y120000I0J120000D01*\n";

const char* const mount_holes =
    "G01*\nX0Y290000D02*\nG02*\nX0Y170000I0J-60000D01*\nX0Y290000I0J60000D01*\n"
    "G01*\nX230000Y60000D02*\nG02*\nX230000Y-60000I0J-60000D01*\nX230000Y60000I0J60000D01*\n"
    "G01*\nX0Y-170000D02*\nG02*\nX0Y-290000I0J-60000D01*\nX0Y-170000I0J60000D01*\n"
    "G01*\nX-230000Y60000D02*\nG02*\nX-230000Y-60000I0J-60000D01*\nX-230000Y60000I0J60000D01*\n";

TEST(GerberFile, OutlineOfTheKnownGoodCode) {
    const std::string text = gerber(known_good, initial, 3);
    ASSERT_EQ(text.substr(0, std::string(header).size()), header);
    std::vector<std::string> lines = lines_of(text.substr(std::string(header).size()));
    // Start move, four lines per run, M02*.
    ASSERT_EQ(lines.size(), 2 + 28 * 4 + 1u);
    const char* const start[] = {"G01*", "X0Y900000D02*", "G01*", "X0Y750000D01*",
                                 "G02*", "X207627Y720688I0J-750000D01*"};
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(lines[i], start[i]) << i;
    const size_t n = lines.size();
    EXPECT_EQ(lines[n - 5], "G01*");
    EXPECT_EQ(lines[n - 4], "X-541185Y719110D01*");
    EXPECT_EQ(lines[n - 3], "G02*");
    EXPECT_EQ(lines[n - 2], "X0Y900000I541185J-719110D01*");
    EXPECT_EQ(lines[n - 1], "M02*");
    // Each arc starts where its radial step ended, and I, J point back to the origin.
    for (size_t i = 2; i + 3 < n; i += 4) {
        int x1, y1, x2, y2, ci, cj;
        ASSERT_EQ(sscanf(lines[i + 1].c_str(), "X%dY%dD01*", &x1, &y1), 2) << lines[i + 1];
        ASSERT_EQ(sscanf(lines[i + 3].c_str(), "X%dY%dI%dJ%dD01*", &x2, &y2, &ci, &cj), 4);
        EXPECT_EQ(ci, -x1);
        EXPECT_EQ(cj, -y1);
    }
}

TEST(GerberFile, HolesFollowThePlacement) {
    const std::string outline_end = "X0Y900000I541185J-719110D01*\n";
    const std::string expected[4] = {
        outline_end + centre_hole + mount_holes + "M02*\n",
        outline_end + centre_hole + "M02*\n",
        outline_end + mount_holes + "M02*\n",
        outline_end + "M02*\n",
    };
    for (int placement = 0; placement < 4; ++placement) {
        std::string text = gerber(known_good, initial, placement);
        size_t at = text.find(outline_end);
        ASSERT_NE(at, std::string::npos);
        EXPECT_EQ(text.substr(at), expected[placement]) << placement;
    }
}

TEST(GerberFile, EmptyCodeHasHeaderStartMoveAndHoles) {
    EXPECT_EQ(gerber({}, initial, 0),
              std::string(header) + "G01*\nX0Y900000D02*\n" + centre_hole + mount_holes + "M02*\n");
    EXPECT_EQ(gerber({}, initial, 3), std::string(header) + "G01*\nX0Y900000D02*\nM02*\n");
}

TEST(GerberFile, RoundingTakesHalvesAwayFromZero) {
    // 0.5 * 0.0625 * 10000 is exactly 312.5.
    float dims[5] = {180, 150, 0.0625f, 46, 12};
    EXPECT_NE(gerber({}, dims, 1).find("G01*\nX0Y313D02*\nG02*\nX0Y-313I0J-313D01*\n"),
              std::string::npos);
    dims[2] = -0.0625f;
    EXPECT_NE(gerber({}, dims, 1).find("G01*\nX0Y-313D02*\nG02*\nX0Y313I0J313D01*\n"),
              std::string::npos);
    // 0.125 * 0.5 * 1000 is exactly 62.5 in the drill file.
    float drill_dims[5] = {180, 150, 24, 0.125f, 12};
    std::string text = drill(drill_dims, 1);
    EXPECT_NE(text.find("X000000Y000063\nX000063Y000000\nX000000Y-000063\nX-000063Y000000\n"),
              std::string::npos)
        << text;
}

TEST(DrillFile, FourPlacements) {
    EXPECT_EQ(drill(initial, 3), ";Drill File\nM48\nMETRIC,000.000\nT01C24.000000\nT02C12.000000\n"
                                 "%\nG05\nG90\nT01\nX000000Y000000\nT02\nX000000Y023000\n"
                                 "X023000Y000000\nX000000Y-023000\nX-023000Y000000\nM30\n");
    EXPECT_EQ(drill(initial, 2), ";Drill File\nM48\nMETRIC,000.000\nT01C24.000000\n"
                                 "%\nG05\nG90\nT01\nX000000Y000000\nM30\n");
    EXPECT_EQ(drill(initial, 1), ";Drill File\nM48\nMETRIC,000.000\nT01C12.000000\n"
                                 "%\nG05\nG90\nT01\nX000000Y023000\n"
                                 "X023000Y000000\nX000000Y-023000\nX-023000Y000000\nM30\n");
    std::string out;
    EXPECT_EQ(format_drill(initial, 0, out), disk_status::bad_placement);
    EXPECT_EQ(format_drill(initial, 4, out), disk_status::bad_placement);
    EXPECT_EQ(out, "");
}

TEST(DigitCount, FollowsTheOuterDiameter) {
    EXPECT_EQ(digit_count(0), 1);
    EXPECT_EQ(digit_count(-500), 1);
    EXPECT_EQ(digit_count(9), 1);
    EXPECT_EQ(digit_count(9.9f), 1);
    EXPECT_EQ(digit_count(9.91f), 2);
    EXPECT_EQ(digit_count(99), 2);
    EXPECT_EQ(digit_count(180), 3);
    EXPECT_EQ(digit_count(990), 3);
    EXPECT_EQ(digit_count(1000), 4);
    EXPECT_EQ(digit_count(9900), 4);
    EXPECT_EQ(digit_count(9901), 5);
    EXPECT_EQ(digit_count(3e38f), 39);
    EXPECT_EQ(digit_count(std::numeric_limits<float>::infinity()), 64); // stops, never hangs
}

TEST(DigitCount, DeclaredInBothFiles) {
    float small[5] = {9, 8, 2, 4, 1};
    EXPECT_NE(gerber({}, small, 0).find("%FSLAX14Y14*%\n"), std::string::npos);
    EXPECT_EQ(drill(small, 1).substr(0, 31), ";Drill File\nM48\nMETRIC,000.000\n");
    float two[5] = {99, 8, 2, 4, 1};
    EXPECT_NE(gerber({}, two, 0).find("%FSLAX24Y24*%\n"), std::string::npos);
    float metre[5] = {1000, 900, 24, 46, 12};
    EXPECT_NE(gerber({}, metre, 0).find("%FSLAX44Y44*%\n"), std::string::npos);
    EXPECT_EQ(drill(metre, 3), ";Drill File\nM48\nMETRIC,0000.00\nT01C24.000000\nT02C12.000000\n"
                               "%\nG05\nG90\nT01\nX000000Y000000\nT02\nX000000Y002300\n"
                               "X002300Y000000\nX000000Y-002300\nX-002300Y000000\nM30\n");
}

TEST(DrillFile, AboveNineMetresNothingIsWritten) {
    TempDir dir;
    runlist code(known_good);
    float big[5] = {9901, 9000, 24, 46, 12};
    const std::string grb = dir.file("big.grb");
    const std::string drl = dir.file("big.drl");
    for (int placement = 1; placement < 4; ++placement) {
        disk_result r = export_gerber(code.list, big, grb.c_str(), drl.c_str(), placement);
        EXPECT_EQ(r.status, disk_status::drill_too_large);
        EXPECT_EQ(disk_result_message(r).rfind("Error: can't show more then 9 meters\n", 0), 0u);
    }
    EXPECT_FALSE(file_exists(grb));
    EXPECT_FALSE(file_exists(drl));
    // Called directly, the writer also says it on standard output.
    testing::internal::CaptureStdout();
    int rc = convert_to_gerber(code.list, big, grb.c_str(), drl.c_str(), 3);
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(printed, "Error: can't show more then 9 meters\n");
    // The Gerber file alone has room for it.
    testing::internal::CaptureStdout();
    EXPECT_EQ(convert_to_gerber(code.list, big, grb.c_str(), nullptr, 0), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_NE(read_file(grb).find("%FSLAX54Y54*%\n"), std::string::npos);
}

TEST(GerberFile, CoordinatesMustFitTheirIntegers) {
    float edge[5] = {200000, 150, 24, 200000, 200000};
    std::string text = gerber({1, 1}, edge, 0);
    EXPECT_NE(text.find("X0Y1000000000D02*\n"), std::string::npos);
    EXPECT_NE(text.find("X0Y2000000000D02*\n"), std::string::npos); // mount centre + radius
    for (int i = 0; i < 5; ++i) {
        float over[5] = {180, 150, 24, 46, 12};
        over[i] = i % 2 ? -200001.0f : 200001.0f;
        runlist code({1, 1});
        std::string out;
        EXPECT_EQ(format_gerber(code.list, over, 0, out), disk_status::gerber_range) << i;
        EXPECT_EQ(format_drill(over, 3, out), disk_status::gerber_range) << i;
        EXPECT_EQ(out, "");
    }
    float nan_dims[5] = {180, 150, 24, std::numeric_limits<float>::quiet_NaN(), 12};
    std::string out;
    EXPECT_EQ(format_drill(nan_dims, 1, out), disk_status::not_finite);
    runlist code({1, 1});
    EXPECT_EQ(format_gerber(code.list, nan_dims, 0, out), disk_status::not_finite);
    float inf_outer[5] = {std::numeric_limits<float>::infinity(), 150, 24, 46, 12};
    EXPECT_EQ(format_gerber(code.list, inf_outer, 0, out), disk_status::not_finite);
}

TEST(GerberFile, WriteFailuresAndBadArguments) {
    TempDir dir;
    runlist code(known_good);
    const std::string grb = dir.file("out.grb");
    const std::string missing = dir.file("no/such/out.drl");

    disk_result r = export_gerber(code.list, initial, dir.file("no/out.grb").c_str(),
                                  dir.file("out.drl").c_str(), 3);
    EXPECT_EQ(r.status, disk_status::write_failed);
    EXPECT_FALSE(r.first_written);
    EXPECT_EQ(disk_result_message(r), "Can't open file!\n");
    EXPECT_FALSE(file_exists(dir.file("out.drl")));

    r = export_gerber(code.list, initial, grb.c_str(), missing.c_str(), 1);
    EXPECT_EQ(r.status, disk_status::write_failed);
    EXPECT_TRUE(r.first_written);
    EXPECT_EQ(disk_result_message(r),
              "Can't open file!\nThe Gerber file was written, the Excellon file was not.\n");
    EXPECT_EQ(read_file(grb), gerber(known_good, initial, 1));

    EXPECT_EQ(export_gerber(code.list, initial, grb.c_str(), nullptr, 2).status,
              disk_status::bad_placement);
    EXPECT_EQ(export_gerber(code.list, initial, grb.c_str(), grb.c_str(), 4).status,
              disk_status::bad_placement);
    EXPECT_EQ(export_gerber(code.list, initial, grb.c_str(), grb.c_str(), -1).status,
              disk_status::bad_placement);
    EXPECT_EQ(export_gerber(nullptr, initial, grb.c_str(), nullptr, 0).status,
              disk_status::no_code);
    runlist negative({4, -2, 2});
    EXPECT_EQ(export_gerber(negative.list, initial, grb.c_str(), nullptr, 0).status,
              disk_status::bad_run);
    // One name for both files would leave only the drill file: refused, also through a link.
    EXPECT_EQ(export_gerber(code.list, initial, grb.c_str(), grb.c_str(), 3).status,
              disk_status::same_file);
    const std::string link = dir.file("link.drl");
    ASSERT_EQ(run_command("ln '" + grb + "' '" + link + "'"), 0);
    EXPECT_EQ(export_gerber(code.list, initial, grb.c_str(), link.c_str(), 1).status,
              disk_status::same_file);
    // None of the refusals touched the file written above.
    EXPECT_EQ(read_file(grb), gerber(known_good, initial, 1));
}

TEST(GerberFile, WrittenFilesMatchTheFormatters) {
    TempDir dir;
    runlist code(known_good);
    for (int placement = 0; placement < 4; ++placement) {
        const std::string grb = dir.file("p" + std::to_string(placement) + ".grb");
        const std::string drl = dir.file("p" + std::to_string(placement) + ".drl");
        ASSERT_EQ(convert_to_gerber(code.list, initial, grb.c_str(), drl.c_str(), placement), 0);
        EXPECT_EQ(read_file(grb), gerber(known_good, initial, placement));
        if (placement == 0) EXPECT_FALSE(file_exists(drl));
        else EXPECT_EQ(read_file(drl), drill(initial, placement));
    }
}

// gerbv reads the outline alone and with each drill file, and exports a picture, without a
// word on standard error, headless.
TEST(GerberFile, GerbvReadsEveryPlacement) {
    if (run_command("command -v gerbv") != 0)
        GTEST_SKIP() << "gerbv missing (scripts/deps.sh test installs it)";
    TempDir dir;
    const std::vector<std::vector<int>> codes = {known_good, {}};
    float metre[5] = {1000, 900, 24, 46, 12};
    float small[5] = {9, 7, 1, 4, 1};
    int n = 0;
    for (const auto& runs : codes) {
        for (const float* dims : {initial, static_cast<const float*>(metre),
                                  static_cast<const float*>(small)}) {
            runlist code(runs);
            for (int placement = 0; placement < 4; ++placement, ++n) {
                const std::string base = dir.file("f" + std::to_string(n));
                const std::string grb = base + ".grb";
                const std::string drl = base + ".drl";
                ASSERT_EQ(convert_to_gerber(code.list, dims, grb.c_str(), drl.c_str(), placement), 0);
                std::string files = "'" + grb + "'" + (placement ? " '" + drl + "'" : "");
                std::string out;
                int rc = run_command("env -u DISPLAY gerbv -x png -o '" + base + ".png' " + files,
                                     &out);
                EXPECT_EQ(rc, 0) << out;
                EXPECT_EQ(out, "") << files;
                EXPECT_GT(read_file(base + ".png").size(), 100u) << files;
            }
        }
    }
}

} // namespace
