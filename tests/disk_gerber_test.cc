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

using testing_support::read_file;
using testing_support::run_command;

namespace {

const float* const initial = testing_support::initial_geometry;
const float metre[5] = {1000, 900, 24, 46, 12};
enum file_kind { svg, grb, drl };

std::string format(file_kind kind, const std::vector<int>& runs, const float* dims, int placement) {
    std::unique_ptr<int[]> code(make_runlist(runs));
    std::string out;
    EXPECT_EQ(kind == svg   ? format_svg(code.get(), dims, out)
              : kind == grb ? format_gerber(code.get(), dims, placement, out)
                            : format_drill(dims, placement, out),
              disk_status::ok);
    return out;
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
}

// Whole files at the edges, each against its golden copy in tests/data/disk/: a run over half
// the track (5 of 8) takes the large arc ("0 1,1,"), one of exactly half does not; 9 and
// 1000 mm disks declare 1 and 4 integer digits; 0.5 * 0.0625 mm (312.5 Gerber units) and
// 0.5 * 0.125 mm (62.5 drill units) round away from zero.
TEST(DiskFiles, EdgeCasesMatchTheirGoldenFiles) {
    const float small[5] = {9, 8, 2, 4, 1}, halves[5] = {180, 150, -0.0625f, 0.125f, 12};
    // clang-format off
    const struct { file_kind kind; std::vector<int> runs; const float* dims; int placement;
                   const char* golden; } cases[] = {
        {svg, {5, 3}, initial, 0, "over_half.svg"}, {svg, {4, 4}, initial, 0, "half.svg"},
        {grb, {}, small, 0, "small.grb"},   {grb, {}, metre, 0, "metre.grb"},
        {drl, {}, metre, 3, "metre_3.drl"}, {grb, {}, halves, 1, "halves_1.grb"},
        {drl, {}, halves, 1, "halves_1.drl"}};
    // clang-format on
    const std::string data = STGC_SOURCE_DIR "/tests/data/disk/";
    for (const auto& c : cases)
        EXPECT_EQ(format(c.kind, c.runs, c.dims, c.placement), read_file(data + c.golden))
            << c.golden;
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
    const std::string image = dir.file("f.svg"), board = dir.file("f.grb"),
                      holes = dir.file("f.drl");
    const float tiny[5] = {1, 0.8f, 0.2f, 0.5f, 0.1f};
    for (const std::vector<int>& runs :
         {testing_support::known_good, std::vector<int>{5, 3}, std::vector<int>{}})
        for (const float* dims : {initial, tiny, metre})
            for (int p = 0; p < 4; ++p) {
                std::unique_ptr<int[]> code(make_runlist(runs));
                ASSERT_EQ(convert_to_svg(code.get(), dims, image.c_str()), 0);
                ASSERT_EQ(convert_to_gerber(code.get(), dims, board.c_str(), holes.c_str(), p), 0);
                std::string said;
                EXPECT_EQ(run_command(read + (p ? " f.grb f.drl" : " f.grb"), &said), 0) << said;
                EXPECT_EQ(said, "") << runs.size() << " runs, " << dims[0] << " mm, " << p;
            }
}

} // namespace
