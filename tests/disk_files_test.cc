// The disk writers: whole files at their edges against golden copies, every code and size read
// by the tools of the trades that use them (xmllint, rsvg-convert, gerbv; ezdxf through
// disk_dxf_check.py; openscad and admesh), and the disks they refuse. The known disk in every
// placement is checked through the commands in disk_commands_test.cc.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <numeric>
#include <sstream>

#include "code/runlist.h"
#include "export/disk_dxf.h"
#include "export/disk_geometry.h"
#include "export/disk_gerber.h"
#include "export/disk_scad.h"
#include "export/disk_svg.h"
#include "tests/support/test_support.h"

using testing_support::read_file;
using testing_support::run_command;

namespace {

constexpr double pi = M_PI;
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

// What the drawing and the Gerber file refuse beyond the disks the table below refuses: a
// drawing whose outline readers would refuse, runs too short for Gerber coordinates (their arcs
// would read as full circles; a single run is one).
TEST(DiskFiles, OversizedDrawingsAndUnresolvableRunsAreRefused) {
    using d = disk_status;
    std::string out;
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

// The first number after `label` in admesh's report (its "Original" column), NAN if missing.
double admesh_value(const std::string& report, const std::string& label) {
    const size_t at = report.find(label);
    if (at == std::string::npos) return NAN;
    const size_t colon = report.find(':', at);
    return colon == std::string::npos ? NAN : strtod(report.c_str() + colon + 1, nullptr);
}

// The distance from (x, y) to the nearest vertex of an ASCII STL mesh.
double nearest_vertex(const std::string& stl, double x, double y) {
    std::istringstream mesh(stl);
    double best = INFINITY, vx, vy, vz;
    for (std::string word; mesh >> word;)
        if (word == "vertex" && mesh >> vx >> vy >> vz)
            best = std::min(best, std::hypot(vx - x, vy - y));
    return best;
}

// Every code and size, each file written in the German locale (a decimal comma would break
// them all), then read by the tools deps.sh installs: xmllint and rsvg-convert the drawing,
// gerbv the outline alone and with each drill file, all without a word on standard error;
// ezdxf the DXF drawing against the Gerber file of the same disk (disk_dxf_check.py); openscad
// renders the model without a warning, and admesh finds one closed manifold part of the disk's
// volume with the first cog and the holes where they belong; no chord strays 0.01 mm from its
// arc. The empty code and the 1 mm and 1 m disks (1 and 4 Gerber digits) are drawn and cut only.
TEST(DiskFiles, RealReadersTakeEveryCodeAndSize) {
    testing_support::TempDir dir;
    const std::string in = "cd '" + dir.path() + "' && ";
    const std::string check_dxf =
        in + "/usr/bin/python3 " STGC_SOURCE_DIR "/tests/disk_dxf_check.py f.dxf f0.grb f.png";
    const std::string dxf = dir.file("f.dxf"), scad = dir.file("f.scad");
    const float example[5] = {60, 50, 8, 20, 3.2f}, small[5] = {10, 8, 2, 3.5f, 0.8f};
    const std::vector<int> known = testing_support::known_good, half = {5, 3}, ones(10, 1), none;
    const struct {
        const std::vector<int>* runs;
        const float* dims;
        bool solid;
    } disks[] = {{&known, initial, true}, {&half, initial, true},  {&ones, initial, true},
                 {&none, initial, false}, {&known, example, true}, {&known, small, true},
                 {&known, tiny, false},   {&known, metre, false}};
    for (const auto& [code_runs, dims, solid] : disks) {
        const std::vector<int>& runs = *code_runs;
        SCOPED_TRACE(std::to_string(runs.size()) + " runs, " + std::to_string(dims[0]) + " mm");
        std::unique_ptr<int[]> code(make_runlist(runs));
        const float thickness = dims[0] / 50;
        auto named = [&](int p, const char* kind) {
            return dir.file("f" + std::to_string(p) + kind);
        };
        ASSERT_TRUE(setlocale(LC_ALL, "de_DE.UTF-8")) << "scripts/deps.sh test makes it";
        std::vector<int> written = {convert_to_svg(code.get(), dims, dir.file("f.svg").c_str())};
        for (int p = 0; p < 4; ++p)
            written.push_back(convert_to_gerber(code.get(), dims, named(p, ".grb").c_str(),
                                                named(p, ".drl").c_str(), p));
        const disk_status drawn =
            solid ? export_dxf(code.get(), dims, dxf.c_str()).status : disk_status::ok;
        const disk_status made =
            solid ? export_scad(code.get(), dims, thickness, scad.c_str()).status : disk_status::ok;
        setlocale(LC_ALL, "C");
        ASSERT_EQ(written, std::vector<int>(5, 0));
        ASSERT_EQ(drawn, disk_status::ok);
        ASSERT_EQ(made, disk_status::ok);
        for (int p = 0; p < 4; ++p) {
            std::string said;
            const std::string drawing =
                p ? "" : "xmllint --noout --nonet f.svg && rsvg-convert -o f.png f.svg && ";
            const std::string files = named(p, ".grb") + (p ? " " + named(p, ".drl") : "");
            EXPECT_EQ(
                run_command(in + drawing + "env -u DISPLAY gerbv -x png -o g.png " + files, &said),
                0)
                << said;
            EXPECT_EQ(said, "") << "placement " << p;
        }
        if (!solid) continue;
        std::string said, rendered, report;
        EXPECT_EQ(run_command(check_dxf, &said), 0) << said;
        EXPECT_EQ(run_command(in + "openscad -o f.stl f.scad", &rendered), 0) << rendered;
        EXPECT_EQ(rendered.find("WARNING"), std::string::npos) << rendered;
        EXPECT_EQ(run_command(in + "admesh f.stl", &report), 0);
        for (const char* zero : {"Total disconnected facets", "Degenerate facets", "Edges fixed",
                                 "Backwards edges", "Normals fixed"})
            EXPECT_EQ(admesh_value(report, zero), 0) << zero << "\n" << report;
        EXPECT_EQ(admesh_value(report, "Number of parts"), 1) << report;

        // Arcs and radial steps: the outline's area is the sum of its runs' sectors.
        const double outer = dims[0] / 2, inner = dims[1] / 2, c = dims[2] / 2, d = dims[3] / 2,
                     h = dims[4] / 2;
        const double quality = std::accumulate(runs.begin(), runs.end(), 0);
        double area = -pi * (c * c + 4 * h * h);
        for (size_t j = 0; j < runs.size(); ++j)
            area += std::pow(j % 2 ? outer : inner, 2) * pi * runs[j] / quality;
        EXPECT_NEAR(admesh_value(report, "Volume"), thickness * area, thickness * area / 200);
        const std::string stl = read_file(dir.file("f.stl"));
        const double cog = 2 * pi * runs[0] / quality; // where the first cog starts
        EXPECT_LT(nearest_vertex(stl, outer * std::sin(cog), outer * std::cos(cog)), 2e-3);
        for (auto at : {std::make_pair(c, 0.0), {d + h, 0.0}, {h, d}, {h, -d}, {h - d, 0.0}})
            EXPECT_LT(nearest_vertex(stl, at.first, at.second), 2e-3)
                << "no hole at " << at.first << ", " << at.second;

        // Rows [cog, from, to, chords] and the chords to the turn of each kind of hole.
        auto sagitta = [](double radius, double degrees) {
            return radius * (1 - std::cos(degrees * pi / 360));
        };
        std::istringstream model(read_file(scad));
        size_t rows = 0;
        for (std::string line; std::getline(model, line);) {
            int cog = 0, n = 0;
            double from = 0, to = 0, dip = 0;
            if (sscanf(line.c_str(), " [%d, %lf, %lf, %d]", &cog, &from, &to, &n) == 4)
                ++rows, dip = sagitta(cog ? outer : inner, (to - from) / n);
            else if (sscanf(line.c_str(), "centre_hole_chords = %d", &n) == 1)
                dip = sagitta(c, 360.0 / n);
            else if (sscanf(line.c_str(), "mount_hole_chords = %d", &n) == 1)
                dip = sagitta(h, 360.0 / n);
            EXPECT_LE(dip, 0.01 + 1e-9) << line;
        }
        EXPECT_EQ(rows, runs.size());
    }
}

// What cannot be made is refused with a message and no file; a hair's breadth inside each
// limit is taken. Thickness matters to the model alone.
TEST(DiskFiles, RefusesWhatCannotBeMade) {
    using s = disk_status;
    testing_support::TempDir dir;
    const std::string dxf = dir.file("f.dxf"), scad = dir.file("f.scad");
    auto expect = [&](std::vector<int> runs, const float* dims, float thickness, s want_dxf,
                      s want_scad) {
        SCOPED_TRACE(testing::PrintToString(std::vector<float>(dims, dims + 5)) + " " +
                     std::to_string(thickness));
        std::unique_ptr<int[]> code(runs == std::vector<int>{0} ? nullptr : make_runlist(runs));
        const disk_result d = export_dxf(code.get(), dims, dxf.c_str());
        const disk_result m = export_scad(code.get(), dims, thickness, scad.c_str());
        EXPECT_EQ(d.status, want_dxf) << disk_result_message(d);
        EXPECT_EQ(m.status, want_scad) << disk_result_message(m);
        EXPECT_EQ(testing_support::file_exists(dxf), want_dxf == s::ok);
        EXPECT_EQ(testing_support::file_exists(scad), want_scad == s::ok);
        EXPECT_EQ(disk_result_message(d).empty() + disk_result_message(m).empty(),
                  (want_dxf == s::ok) + (want_scad == s::ok));
        remove(dxf.c_str());
        remove(scad.c_str());
    };
    const float* good = testing_support::initial_geometry;
    const float nan = std::nanf("");
    // clang-format off
    const std::pair<std::vector<int>, s> codes[] = {{{0}, s::no_code}, {{}, s::no_runs},
        {{3}, s::odd_runs}, {{1, 2, 3}, s::odd_runs}, {{3, -1}, s::bad_run}};
    const std::pair<float, s> thicknesses[] = {{nan, s::not_finite}, {0, s::bad_thickness},
        {-1, s::bad_thickness}, {300000, s::too_large}};
    const struct { float dims[5]; s want; } sizes[] = {
        {{180, nan, 24, 46, 12}, s::not_finite}, {{300000, 250000, 24, 46, 12}, s::too_large},
        {{150, 150, 24, 46, 12}, s::gap_not_inside},
        {{150, 180, 24, 46, 12}, s::gap_not_inside},
        {{180, 150, 150, 46, 12}, s::hole_not_inside}, {{180, 150, 149.9f, 46, 12}, s::holes_overlap},
        {{180, 150, 20, 138, 12}, s::mounts_not_inside}, {{180, 150, 20, 137.98f, 12}, s::ok},
        {{180, 150, 24, 36, 12}, s::holes_overlap}, {{180, 150, 24, 36.02f, 12}, s::ok},
        {{180, 150, 4, 46, 33}, s::holes_overlap}, {{180, 150, 4, 46, 32.5f}, s::ok}};
    // clang-format on
    for (const auto& c : codes)
        expect(c.first, good, 2, c.second, c.second);
    for (const auto& c : thicknesses)
        expect({5, 3}, good, c.first, s::ok, c.second);
    for (const auto& c : sizes)
        expect({5, 3}, c.dims, 2, c.want, c.want);
    for (int i = 0; i < 10; ++i) { // each dimension 0, then -1
        float dims[5] = {180, 150, 24, 46, 12};
        dims[i / 2] = -(i % 2);
        expect({5, 3}, dims, 2, s::not_positive, s::not_positive);
    }
}

} // namespace
