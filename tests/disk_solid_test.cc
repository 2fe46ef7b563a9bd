// The DXF drawing and the OpenSCAD model, read by the tools of the trades that use them, and
// the disks they refuse. The DXF check itself is disk_dxf_check.py (ezdxf).
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
#include "export/disk_gerber.h"
#include "export/disk_scad.h"
#include "tests/support/test_support.h"

using testing_support::read_file;
using testing_support::run_command;

namespace {

constexpr double pi = M_PI;

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

// Every disk written in the German locale (a decimal comma would break both files), then
// read by the tools deps.sh installs: ezdxf against the Gerber file of the same disk
// (disk_dxf_check.py); openscad renders the model without a warning, admesh finds one closed
// manifold part of the disk's volume with the first cog and the holes where they belong, and no
// chord strays 0.01 mm from its arc.
TEST(SolidDisk, RealReadersTakeEveryCodeAndSize) {
    testing_support::TempDir dir;
    const std::string in = "cd '" + dir.path() + "' && ";
    const std::string check_dxf =
        in + "/usr/bin/python3 " STGC_SOURCE_DIR "/tests/disk_dxf_check.py f.dxf f.grb f.png";
    const std::string dxf = dir.file("f.dxf"), scad = dir.file("f.scad"), grb = dir.file("f.grb");
    const float example[5] = {60, 50, 8, 20, 3.2f}, tiny[5] = {10, 8, 2, 3.5f, 0.8f};
    // Each code at the initial size, the known one at every size.
    const std::vector<int> known = testing_support::known_good, half = {5, 3}, ones(10, 1);
    const std::pair<const std::vector<int>*, const float*> disks[] = {
        {&known, testing_support::initial_geometry},
        {&half, testing_support::initial_geometry},
        {&ones, testing_support::initial_geometry},
        {&known, example},
        {&known, tiny}};
    for (const auto& [code_runs, dims] : disks) {
        const std::vector<int>& runs = *code_runs;
        SCOPED_TRACE(std::to_string(runs.size()) + " runs, " + std::to_string(dims[0]) + " mm");
        std::unique_ptr<int[]> code(make_runlist(runs));
        const float thickness = dims[0] / 50;
        ASSERT_EQ(convert_to_gerber(code.get(), dims, grb.c_str(), nullptr, 0), 0);
        ASSERT_TRUE(setlocale(LC_ALL, "de_DE.UTF-8")) << "scripts/deps.sh test makes it";
        const disk_status drawn = export_dxf(code.get(), dims, dxf.c_str()).status;
        const disk_status made = export_scad(code.get(), dims, thickness, scad.c_str()).status;
        setlocale(LC_ALL, "C");
        ASSERT_EQ(drawn, disk_status::ok);
        ASSERT_EQ(made, disk_status::ok);
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
TEST(SolidDisk, RefusesWhatCannotBeMade) {
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
