// The SVG drawing: fixed sheet, outline path, holes, refusals, and real readers.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "code/runlist.h"
#include "export/disk_svg.h"
#include "tests/support/test_support.h"

using testing_support::read_file;
using testing_support::run_command;
using testing_support::TempDir;

namespace {

const std::vector<int> known_good = {10, 3, 5,  18, 14, 3, 4,  8, 6, 6,  5, 6,  10, 3,
                                     13, 4, 5,  12, 4,  13, 4, 4, 11, 4, 12, 5, 9, 23};

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

std::string drawing(const std::vector<int>& runs, const float* dims) {
    runlist code(runs);
    std::string out;
    EXPECT_EQ(format_svg(code.list, dims, out), disk_status::ok);
    return out;
}

// Lines between the outline group's opening line and its "</g>".
std::vector<std::string> outline_lines(const std::vector<std::string>& lines) {
    std::vector<std::string> path;
    size_t i = 0;
    int groups = 0;
    for (; i < lines.size(); ++i) {
        if (lines[i] == "<g stroke=\"black\" fill=\"none\" stroke-width=\"0.8\">") {
            ++groups;
            break;
        }
    }
    for (++i; i < lines.size() && lines[i] != "</g>"; ++i) path.push_back(lines[i]);
    EXPECT_EQ(groups, 1);
    return path;
}

const float initial[5] = {180, 150, 24, 46, 12};

const char* const sheet =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
    "<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.1//EN\"\n"
    "  \"http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd\">\n"
    "<svg version=\"1.1\"\n"
    "    baseProfile=\"full\"\n"
    "    xmlns=\"http://www.w3.org/2000/svg\"\n"
    "    xmlns:xlink=\"http://www.w3.org/1999/xlink\"\n"
    "    xmlns:ev=\"http://www.w3.org/2001/xml-events\"\n"
    "    x=\"0\" y=\"0\" width=\"210mm\" height=\"297mm\" viewBox=\"0 0 210 297\">\n"
    "<g stroke=\"black\" stroke-width=\"0.8\" fill=\"none\">\n"
    "  <rect x=\"20\" y=\"5\" width=\"185\" height=\"287\"\n"
    "      fill=\"white\"/>\n"
    "  <line x1=\"20\" y1=\"237\" x2=\"205\" y2=\"237\"/>\n"
    "  <line x1=\"20\" y1=\"257\" x2=\"85\" y2=\"257\"/>\n"
    "  <line x1=\"20\" y1=\"262\" x2=\"85\" y2=\"262\"/>\n"
    "  <line x1=\"85\" y1=\"252\" x2=\"205\" y2=\"252\"/>\n"
    "  <line x1=\"85\" y1=\"277\" x2=\"205\" y2=\"277\"/>\n"
    "  <line x1=\"155\" y1=\"257\" x2=\"205\" y2=\"257\"/>\n"
    "  <line x1=\"155\" y1=\"272\" x2=\"205\" y2=\"272\"/>\n"
    "  <line x1=\"27\" y1=\"237\" x2=\"27\" y2=\"262\"/>\n"
    "  <line x1=\"37\" y1=\"237\" x2=\"37\" y2=\"292\"/>\n"
    "  <line x1=\"60\" y1=\"237\" x2=\"60\" y2=\"292\"/>\n"
    "  <line x1=\"75\" y1=\"237\" x2=\"75\" y2=\"292\"/>\n"
    "  <line x1=\"85\" y1=\"237\" x2=\"85\" y2=\"292\"/>\n"
    "  <line x1=\"155\" y1=\"252\" x2=\"155\" y2=\"292\"/>\n"
    "  <line x1=\"170\" y1=\"252\" x2=\"170\" y2=\"272\"/>\n"
    "  <line x1=\"187\" y1=\"252\" x2=\"187\" y2=\"272\"/>\n"
    "  <line x1=\"175\" y1=\"272\" x2=\"175\" y2=\"277\"/>\n"
    "  <path d=\"M 191,5 L 191,75 L 205,75\"/>\n"
    "</g>\n"
    "<g stroke=\"black\" stroke-width=\"0.4\">\n"
    "  <line x1=\"20\" y1=\"242\" x2=\"85\" y2=\"242\"/>\n"
    "  <line x1=\"20\" y1=\"247\" x2=\"85\" y2=\"247\"/>\n"
    "  <line x1=\"20\" y1=\"252\" x2=\"85\" y2=\"252\"/>\n"
    "  <line x1=\"20\" y1=\"267\" x2=\"85\" y2=\"267\"/>\n"
    "  <line x1=\"20\" y1=\"272\" x2=\"85\" y2=\"272\"/>\n"
    "  <line x1=\"20\" y1=\"277\" x2=\"85\" y2=\"277\"/>\n"
    "  <line x1=\"20\" y1=\"282\" x2=\"85\" y2=\"282\"/>\n"
    "  <line x1=\"20\" y1=\"287\" x2=\"85\" y2=\"287\"/>\n"
    "  <line x1=\"160\" y1=\"257\" x2=\"160\" y2=\"272\"/>\n"
    "  <line x1=\"165\" y1=\"257\" x2=\"165\" y2=\"272\"/>\n"
    "</g>\n"
    "<g font-family=\"Verdana\" fill=\"black\">\n"
    "  <text x=\"87\" y=\"268\" font-size=\"10\" >\n    Encoder Disk\n  </text>\n"
    "  <text x=\"162\" y=\"286\" font-size=\"5\" >\n    Ostrel Phys.Dep.\n  </text>\n"
    "  <text x=\"179\" y=\"275.5\" font-size=\"3\" >\n    Pages: 1\n  </text>\n"
    "  <text x=\"157\" y=\"255.5\" font-size=\"3\" >\n    Letter\n  </text>\n"
    "  <text x=\"172\" y=\"255.5\" font-size=\"3\" >\n    Mass\n  </text>\n"
    "  <text x=\"189\" y=\"255.5\" font-size=\"3\" >\n    Scale\n  </text>\n"
    "  <text x=\"189\" y=\"266.5\" font-size=\"5\" >\n    1:2\n  </text>\n"
    "  <text x=\"21\" y=\"260.5\" font-size=\"3\" >\n    Ch.\n  </text>\n"
    "  <text x=\"28\" y=\"260.5\" font-size=\"3\" >\n    Page\n  </text>\n"
    "  <text x=\"38\" y=\"260.5\" font-size=\"3\" >\n    Document N\n  </text>\n"
    "  <text x=\"62\" y=\"260.5\" font-size=\"3\" >\n    Signat.\n  </text>\n"
    "  <text x=\"76\" y=\"260.5\" font-size=\"3\" >\n    Date\n  </text>\n"
    "</g>\n"
    "<g stroke=\"black\" fill=\"none\" stroke-width=\"0.8\">\n";

const char* const initial_holes =
    "<g stroke=\"black\" fill=\"none\" stroke-width=\"0.8\">\n"
    "  <circle cx=\"112.000000\" cy=\"121.000000\" r=\"6.000000\"/>\n"
    "  <circle cx=\"112.000000\" cy=\"109.500000\" r=\"3.000000\"/>\n"
    "  <circle cx=\"123.500000\" cy=\"121.000000\" r=\"3.000000\"/>\n"
    "  <circle cx=\"112.000000\" cy=\"132.500000\" r=\"3.000000\"/>\n"
    "  <circle cx=\"100.500000\" cy=\"121.000000\" r=\"3.000000\"/>\n"
    "</g>\n"
    "</svg>\n";

bool ends_with(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(SvgDrawing, SheetAndHolesOfTheInitialDisk) {
    std::string svg = drawing(known_good, initial);
    EXPECT_EQ(svg.substr(0, std::string(sheet).size()), sheet);
    EXPECT_TRUE(ends_with(svg, initial_holes)) << svg.substr(svg.size() - 600);
}

TEST(SvgDrawing, OutlineOfTheKnownGoodCode) {
    std::vector<std::string> path = outline_lines(lines_of(drawing(known_good, initial)));
    // Opening, then per run an arc and its end point, and a radial step for all but the last.
    ASSERT_EQ(path.size(), 1 + 28 * 3 - 1 + 1);
    EXPECT_EQ(path[0], "  <path d=\"M 112.000000,83.500000");
    EXPECT_EQ(path[1], "    A 37.500000,37.500000 0 0,1, 122.381332,84.965599");
    EXPECT_EQ(path[2], "    L 122.381332,84.965599");
    EXPECT_EQ(path[3], "    L 124.457596,77.758720");
    EXPECT_EQ(path[4], "    A 45.000000,45.000000 0 0,1, 128.047974,78.958801");
    EXPECT_EQ(path[5], "    L 128.047974,78.958801");
    EXPECT_EQ(path[6], "    L 125.373306,85.965668");
    // The last run is a cog: arc to the top of the cog circle, its end point, then Z.
    const size_t n = path.size();
    EXPECT_EQ(path[n - 3].substr(0, 31), "    A 45.000000,45.000000 0 0,1");
    EXPECT_EQ(path[n - 2], "    L 112.000008,76.000000");
    EXPECT_EQ(path[n - 1], "  Z\"/>");
    float x = 0, y = 0;
    ASSERT_EQ(sscanf(path[n - 3].c_str(), "    A 45.000000,45.000000 0 0,1, %f,%f", &x, &y), 2);
    EXPECT_NEAR(x, 112.0, 1e-5);
    EXPECT_NEAR(y, 76.0, 1e-5);
    // Arcs alternate between the gap and the cog radius.
    int arcs = 0;
    for (const std::string& line : path) {
        if (line.rfind("    A ", 0) != 0) continue;
        const char* radius = arcs % 2 ? "    A 45.000000,45.000000 0 0,1, " : "    A 37.500000,37.500000 0 0,1, ";
        EXPECT_EQ(line.rfind(radius, 0), 0u) << line;
        ++arcs;
    }
    EXPECT_EQ(arcs, 28);
}

TEST(SvgDrawing, LargeArcFlagForARunOverHalfTheTrack) {
    // Runs 5 and 3 of 8: the gap covers more than half; runs 4 and 4: exactly half each.
    std::vector<std::string> over = outline_lines(lines_of(drawing({5, 3}, initial)));
    ASSERT_EQ(over.size(), 1 + 2 + 1 + 2 + 1u);
    // 5 of 8 positions: the gap ends at 225 degrees, down and left of the centre.
    EXPECT_EQ(over[1], "    A 37.500000,37.500000 0 1,1, 85.483490,147.516495");
    EXPECT_EQ(over[4].substr(0, 33), "    A 45.000000,45.000000 0 0,1, ");
    std::vector<std::string> half = outline_lines(lines_of(drawing({4, 4}, initial)));
    EXPECT_EQ(half[1], "    A 37.500000,37.500000 0 0,1, 112.000000,158.500000");
    // sin of the float nearest pi is not quite 0: the cog radius leaves a float step off.
    EXPECT_EQ(half[3], "    L 111.999992,166.000000");
    EXPECT_EQ(half[4].substr(0, 33), "    A 45.000000,45.000000 0 0,1, ");
}

TEST(SvgDrawing, ScaleFollowsTheOuterDiameter) {
    const struct {
        float outer;
        const char* label;
    } cases[] = {{180, "1:2"}, {1, "100:1"}, {1.5f, "50:1"}, {0, "100:1"}, {-5, "100:1"},
                 {149, "1:1"}, {150, "1:2"}, {149999, "1:1000"}};
    for (const auto& c : cases) {
        float dims[5] = {c.outer, 150, 24, 46, 12};
        std::string svg = drawing({2, 2}, dims);
        std::string line = std::string("  <text x=\"189\" y=\"266.5\" font-size=\"5\" >\n    ") +
                           c.label + "\n";
        EXPECT_NE(svg.find(line), std::string::npos) << c.outer;
    }
}

TEST(SvgDrawing, NegativeRadiiMirrorThroughTheCentre) {
    float dims[5] = {-180, -150, -24, -46, -12};
    std::vector<std::string> lines = lines_of(drawing({2, 2}, dims));
    // "100:1": a gap radius of -7500 puts the start below the centre.
    std::vector<std::string> path = outline_lines(lines);
    EXPECT_EQ(path[0], "  <path d=\"M 112.000000,7621.000000");
    EXPECT_EQ(path[1].rfind("    A -7500.000000,-7500.000000 0 0,1, ", 0), 0u) << path[1];
    std::string svg = drawing({2, 2}, dims);
    EXPECT_NE(svg.find("  <circle cx=\"112.000000\" cy=\"121.000000\" r=\"-1200.000000\"/>"),
              std::string::npos);
    EXPECT_NE(svg.find("  <circle cx=\"112.000000\" cy=\"2421.000000\" r=\"-600.000000\"/>"),
              std::string::npos);
}

TEST(SvgDrawing, EmptyCodeDrawsTheHolesWithoutAPath) {
    std::string svg = drawing({}, initial);
    std::vector<std::string> path = outline_lines(lines_of(svg));
    EXPECT_TRUE(path.empty());
    EXPECT_EQ(svg.find("Z\"/>"), std::string::npos);
    EXPECT_TRUE(ends_with(svg, initial_holes));
}

TEST(SvgDrawing, RefusalsLeaveNoFile) {
    TempDir dir;
    runlist code(known_good);
    const std::string path = dir.file("out.svg");
    float huge[5] = {150000, 150, 24, 46, 12}; // 150 m: not below 150 mm even at 1:1000
    EXPECT_EQ(export_svg(code.list, huge, path.c_str()).status, disk_status::no_scale);
    float nan_outer[5] = {std::nanf(""), 150, 24, 46, 12};
    EXPECT_EQ(export_svg(code.list, nan_outer, path.c_str()).status, disk_status::not_finite);
    float overflow[5] = {180, 3e38f, 24, 46, 12}; // 0.5 * 3e38 * 0.5 fits, at 100:1 not
    float small_outer[5] = {1, 3e38f, 24, 46, 12};
    EXPECT_EQ(export_svg(code.list, overflow, path.c_str()).status, disk_status::ok);
    EXPECT_EQ(export_svg(code.list, small_outer, path.c_str()).status, disk_status::too_large);
    runlist negative({3, -1, 2});
    EXPECT_EQ(export_svg(negative.list, initial, dir.file("neg.svg").c_str()).status,
              disk_status::bad_run);
    EXPECT_EQ(convert_to_svg(nullptr, initial, dir.file("null.svg").c_str()), -1);
    EXPECT_FALSE(testing_support::file_exists(dir.file("neg.svg")));
    EXPECT_FALSE(testing_support::file_exists(dir.file("null.svg")));
    // The one successful export above left a complete drawing, not a refused one.
    EXPECT_TRUE(ends_with(read_file(path), "</svg>\n"));
}

TEST(SvgDrawing, UnwritablePathIsReported) {
    TempDir dir;
    runlist code(known_good);
    disk_result r = export_svg(code.list, initial, dir.file("missing/out.svg").c_str());
    EXPECT_EQ(r.status, disk_status::write_failed);
    EXPECT_EQ(disk_result_message(r), "Can't open file!\n");
    EXPECT_EQ(convert_to_svg(code.list, initial, dir.path().c_str()), -1);
    EXPECT_EQ(convert_to_svg(code.list, initial, dir.file("ok.svg").c_str()), 0);
    EXPECT_EQ(read_file(dir.file("ok.svg")), drawing(known_good, initial));
}

// The drawings a reader must accept: the known good disk, an empty code, a single run over
// half the track, and an enlarged tiny disk.
TEST(SvgDrawing, WellFormedAndRenderable) {
    if (run_command("command -v xmllint && command -v rsvg-convert") != 0)
        GTEST_SKIP() << "xmllint or rsvg-convert missing (scripts/deps.sh test installs them)";
    TempDir dir;
    const std::vector<std::vector<int>> codes = {known_good, {}, {5, 3}, {1, 1}};
    float tiny[5] = {1, 0.8f, 0.2f, 0.5f, 0.1f};
    int n = 0;
    for (const auto& runs : codes) {
        for (const float* dims : {initial, static_cast<const float*>(tiny)}) {
            runlist code(runs);
            const std::string svg = dir.file("d" + std::to_string(n) + ".svg");
            const std::string png = dir.file("d" + std::to_string(n) + ".png");
            ++n;
            ASSERT_EQ(convert_to_svg(code.list, dims, svg.c_str()), 0);
            std::string out;
            EXPECT_EQ(run_command("xmllint --noout --nonet '" + svg + "'", &out), 0) << out;
            EXPECT_EQ(out, "");
            out.clear();
            EXPECT_EQ(run_command("rsvg-convert -o '" + png + "' '" + svg + "'", &out), 0) << out;
            EXPECT_EQ(out, "");
            EXPECT_GT(read_file(png).size(), 1000u);
        }
    }
}

} // namespace
