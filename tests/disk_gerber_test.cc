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
const float tiny[5] = {1, 0.8f, 0.2f, 0.5f, 0.1f};
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
// -0.5 * 0.125 mm (-62.5 drill units, the left mount hole) round away from zero.
TEST(DiskFiles, EdgeCasesMatchTheirGoldenFiles) {
    const float small[5] = {9, 8, 2, 4, 1}, halves[5] = {180, 150, 0.0625f, 0.125f, 12};
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

// What cannot be made is refused by the writers themselves: geometry that is no disk (a size
// not above zero, a circle or hole not inside the one around it), a drawing whose outline
// readers would refuse, runs too short for Gerber coordinates (their arcs would read as full
// circles; a single run is one).
TEST(DiskFiles, WhatCannotBeMadeIsRefused) {
    using d = disk_status;
    // clang-format off
    const struct { float dims[5]; disk_status status; } geometries[] = {
        {{180, 150, 24, 46, 12}, d::ok}, {{180, 150, 24, 137.9f, 12}, d::ok},
        {{0, 150, 24, 46, 12}, d::not_positive}, {{180, 150, 24, 46, -12}, d::not_positive},
        {{180, 150, 0, 46, 12}, d::not_positive}, {{150, 150, 24, 46, 12}, d::gap_not_inside},
        {{180, 150, 150, 46, 12}, d::hole_not_inside}, {{180, 150, 24, 138, 12}, d::mounts_not_inside}};
    // clang-format on
    std::unique_ptr<int[]> known(make_runlist(testing_support::known_good));
    std::string out;
    for (const auto& g : geometries) {
        EXPECT_EQ(format_svg(known.get(), g.dims, out), g.status) << g.dims[0] << " " << g.dims[3];
        EXPECT_EQ(format_gerber(known.get(), g.dims, 0, out), g.status) << g.dims[0];
    }

    testing_support::TempDir dir;
    const std::vector<int> lengths = {1, 2, 3, 5, 8, 13, 21};
    std::vector<int> many;
    for (int i = 0; i < 90100; ++i)
        many.push_back(lengths[i % 7]);
    std::unique_ptr<int[]> crowded(make_runlist(many));
    ASSERT_GT(svg_path_bound(90100), svg_path_limit);
    disk_result refused = export_svg(crowded.get(), initial, dir.file("f.svg").c_str());
    EXPECT_EQ(refused.status, d::svg_too_large);
    EXPECT_EQ(refused.estimate, svg_path_bound(90100));
    EXPECT_FALSE(testing_support::file_exists(dir.file("f.svg")));
    // The bound holds: the longest path data stays below it.
    many.resize(2000);
    std::unique_ptr<int[]> some(make_runlist(many));
    ASSERT_EQ(format_svg(some.get(), initial, out), d::ok);
    const size_t path = out.rfind("<path d=\""), end = out.find("\"/>", path);
    EXPECT_LT(end - path, svg_path_bound(2000));
    EXPECT_GT(end - path, svg_path_bound(2000) * 9 / 10);

    EXPECT_EQ(format_gerber(crowded.get(), tiny, 0, out), d::gerber_resolution);
    // One short run at the side, where its ends differ only below the resolution.
    std::unique_ptr<int[]> side(make_runlist({25000, 1, 49999, 25000}));
    EXPECT_EQ(format_gerber(side.get(), tiny, 0, out), d::gerber_resolution);
    std::unique_ptr<int[]> whole(make_runlist({5}));
    EXPECT_EQ(format_gerber(whole.get(), tiny, 0, out), d::ok);
}

// xmllint and rsvg-convert read the drawing, gerbv the outline alone and with each drill file,
// without a word on standard error: the known disk, a run over half the track and an empty
// code; three digit counts and drawing scales.
TEST(DiskFiles, RealReadersTakeThem) {
    ASSERT_EQ(run_command("command -v xmllint && command -v rsvg-convert && command -v gerbv"), 0)
        << "a reader is missing (scripts/deps.sh test installs them)";
    testing_support::TempDir dir;
    const std::string read = "cd '" + dir.path() + "' && xmllint --noout --nonet f.svg && " +
                             "rsvg-convert -o f.png f.svg && env -u DISPLAY gerbv -x png -o g.png";
    const std::string image = dir.file("f.svg"), board = dir.file("f.grb"),
                      holes = dir.file("f.drl");
    // Each code at the initial size, the known one at every size; every hole placement.
    const std::vector<int> known = testing_support::known_good, half = {5, 3}, none;
    const std::pair<const std::vector<int>*, const float*> disks[] = {
        {&known, initial}, {&half, initial}, {&none, initial}, {&known, tiny}, {&known, metre}};
    for (const auto& [code_runs, dims] : disks)
        for (int p = 0; p < 4; ++p) {
            const std::vector<int>& runs = *code_runs;
            std::unique_ptr<int[]> code(make_runlist(runs));
            ASSERT_EQ(convert_to_svg(code.get(), dims, image.c_str()), 0);
            ASSERT_EQ(convert_to_gerber(code.get(), dims, board.c_str(), holes.c_str(), p), 0);
            std::string said;
            EXPECT_EQ(run_command(read + (p ? " f.grb f.drl" : " f.grb"), &said), 0) << said;
            EXPECT_EQ(said, "") << runs.size() << " runs, " << dims[0] << " mm, " << p;
        }
}

} // namespace
