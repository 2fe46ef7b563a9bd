// The disk files at their edges: drawing scales, digit counts, arcs, rounding, and real
// readers. The known disk in every placement and the refusals are checked through the
// commands in disk_commands_test.cc.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "code/runlist.h"
#include "export/disk_geometry.h"
#include "export/disk_gerber.h"
#include "export/disk_svg.h"
#include "tests/support/test_support.h"

using testing_support::run_command;

namespace {

const float* const initial = testing_support::initial_geometry;
const float metre[5] = {1000, 900, 24, 46, 12};
enum file_kind { svg, grb, drl };

std::string format(file_kind kind, const std::vector<int>& runs, const float* dims,
                   int placement = 0) {
    std::unique_ptr<int[]> code(make_runlist(runs));
    std::string out;
    EXPECT_EQ(kind == svg   ? format_svg(code.get(), dims, out)
              : kind == grb ? format_gerber(code.get(), dims, placement, out)
                            : format_drill(dims, placement, out),
              disk_status::ok);
    return out;
}

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The first scale that draws the outer diameter below 150 mm, if any; the integer digits the
// Gerber and drill coordinates declare.
TEST(DiskFiles, ScaleAndDigitCountFollowTheOuterDiameter) {
    // clang-format off
    const std::pair<float, const char*> scales[] = {{180, "1:2"}, {1, "100:1"}, {1.5f, "50:1"},
        {0, "100:1"}, {-180, "100:1"}, {150, "1:2"}, {149.9f, "1:1"}, {149999, "1:1000"},
        {150000, "none"}, {INFINITY, "none"}, {std::nanf(""), "none"}};
    const std::pair<float, int> digits[] = {{0, 1}, {-500, 1}, {9, 1}, {9.9f, 1}, {9.91f, 2},
        {99, 2}, {990, 3}, {1000, 4}, {9900, 4}, {9901, 5}, {3e38f, 39}, {INFINITY, 64}};
    // clang-format on
    for (const auto& c : scales) {
        const int index = choose_scale(c.first);
        EXPECT_STREQ(index < 0 ? "none" : scale_name[index], c.second) << c.first;
    }
    for (const auto& c : digits)
        EXPECT_EQ(digit_count(c.first), c.second) << c.first;
    const float small[5] = {9, 8, 2, 4, 1};
    EXPECT_TRUE(has(format(grb, {}, small), "%FSLAX14Y14*%\n"));
    EXPECT_TRUE(has(format(grb, {}, metre), "%FSLAX44Y44*%\n"));
    EXPECT_EQ(format(drl, {}, metre, 3),
              testing_support::read_file(STGC_SOURCE_DIR "/tests/data/disk/metre_3.drl"));
}

// A run over half the track (5 of 8) takes the large arc, one of exactly half does not.
TEST(DiskFiles, LargeArcFlagAndRounding) {
    const std::string over = format(svg, {5, 3}, initial);
    EXPECT_TRUE(has(over, "    A 37.500000,37.500000 0 1,1, 85.483490,147.516495\n"));
    EXPECT_TRUE(has(over, "    A 45.000000,45.000000 0 0,1, "));
    EXPECT_TRUE(has(format(svg, {4, 4}, initial),
                    "    A 37.500000,37.500000 0 0,1, 112.000000,158.500000\n"));
    // 0.5 * 0.0625 mm is 312.5 Gerber units, 0.5 * 0.125 mm is 62.5 drill units: halves go
    // away from zero.
    const float dims[5] = {180, 150, -0.0625f, 0.125f, 12};
    EXPECT_TRUE(has(format(grb, {}, dims, 1), "X0Y-313D02*\nG02*\nX0Y313I0J313D01*\n"));
    EXPECT_TRUE(has(format(drl, {}, dims, 1), "X000000Y000063\nX000063Y000000\nX000000Y-000063\n"));
}

// xmllint and rsvg-convert read the drawing, gerbv the outline alone and with each drill file,
// without a word on standard error: the known disk, a run over half the track and an empty
// code, at three digit counts and drawing scales.
TEST(DiskFiles, RealReadersTakeThem) {
    if (run_command("command -v xmllint && command -v rsvg-convert && command -v gerbv") != 0)
        GTEST_SKIP() << "a reader is missing (scripts/deps.sh test installs them)";
    testing_support::TempDir dir;
    const std::string read = "cd '" + dir.path() + "' && xmllint --noout --nonet f.svg && " +
                             "rsvg-convert -o f.png f.svg && env -u DISPLAY gerbv -x png -o g.png";
    const std::string drawing = dir.file("f.svg"), outline = dir.file("f.grb"),
                      holes = dir.file("f.drl");
    const float tiny[5] = {1, 0.8f, 0.2f, 0.5f, 0.1f};
    for (const std::vector<int>& runs :
         {testing_support::known_good, std::vector<int>{5, 3}, std::vector<int>{}})
        for (const float* dims : {initial, tiny, metre})
            for (int p = 0; p < 4; ++p) {
                std::unique_ptr<int[]> code(make_runlist(runs));
                ASSERT_EQ(convert_to_svg(code.get(), dims, drawing.c_str()), 0);
                ASSERT_EQ(convert_to_gerber(code.get(), dims, outline.c_str(), holes.c_str(), p),
                          0);
                std::string said;
                EXPECT_EQ(run_command(read + (p ? " f.grb f.drl" : " f.grb"), &said), 0) << said;
                EXPECT_EQ(said, "")
                    << runs.size() << " runs, " << dims[0] << " mm, placement " << p;
            }
}

} // namespace
