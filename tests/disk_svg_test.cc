// The SVG drawing: the scales, the whole sheet of a known disk, arcs, refusals, and real readers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "code/runlist.h"
#include "export/disk_geometry.h"
#include "export/disk_svg.h"
#include "tests/support/test_support.h"

using testing_support::file_exists;
using testing_support::read_file;
using testing_support::run_command;
using testing_support::TempDir;
using testing_support::known_good;

namespace {

const float* const initial = testing_support::initial_geometry;

// Written by this exporter, then checked byte for byte against an independent rendering of the
// drawing rules (float angles, double sines), with xmllint and rsvg-convert, and by eye.
const std::string golden = read_file(STGC_SOURCE_DIR "/tests/data/disk/known_good.svg");

std::string drawing(const std::vector<int>& runs, const float* dims) {
    std::unique_ptr<int[]> code(make_runlist(runs));
    std::string out;
    EXPECT_EQ(format_svg(code.get(), dims, out), disk_status::ok);
    return out;
}

// The lines of the outline group, without its opening line and its "</g>".
std::string outline(const std::string& svg) {
    const std::string open = "<g stroke=\"black\" fill=\"none\" stroke-width=\"0.8\">\n";
    const size_t from = svg.find(open) + open.size();
    return svg.substr(from, svg.find("</g>\n", from) - from);
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The first scale that draws the outer diameter below 150 mm, if any.
TEST(ScaleTable, Choice) {
    // clang-format off
    const std::pair<float, const char*> cases[] = {
        {180, "1:2"}, {1, "100:1"}, {1.5f, "50:1"}, {0, "100:1"}, {-180, "100:1"},
        {-INFINITY, "100:1"}, {150, "1:2"}, {149.9f, "1:1"}, {149999, "1:1000"},
        {150000, "none"}, {INFINITY, "none"}, {std::nanf(""), "none"}};
    // clang-format on
    for (const auto& c : cases) {
        const int index = choose_scale(c.first);
        EXPECT_STREQ(index < 0 ? "none" : scale_name[index], c.second) << c.first;
    }
    for (int i = 0; i < scale_count; ++i) // each factor the quotient of its label's numbers
        EXPECT_EQ(scale_float[i],
                  strtof(scale_name[i], nullptr) / strtof(strchr(scale_name[i], ':') + 1, nullptr))
            << scale_name[i];
}

TEST(SvgDrawing, KnownGoodDisk) {
    const std::string svg = drawing(known_good, initial);
    EXPECT_EQ(svg, golden);
    const std::string path = outline(svg);
    EXPECT_EQ(path.rfind("  <path d=\"M 112.000000,83.500000\n"
                         "    A 37.500000,37.500000 0 0,1, 122.381332,84.965599\n"
                         "    L 122.381332,84.965599\n"
                         "    L 124.457596,77.758720\n",
                         0),
              0u);
    // The last arc ends at the top of the cog circle; "Z" then draws the last radial step.
    float x = 0, y = 0;
    const size_t last = path.rfind("    A ");
    ASSERT_EQ(sscanf(path.c_str() + last, "    A 45.000000,45.000000 0 0,1, %f,%f", &x, &y), 2);
    EXPECT_NEAR(x, 112.0, 1e-5);
    EXPECT_NEAR(y, 76.0, 1e-5);
    EXPECT_EQ(path.substr(path.size() - 7), "  Z\"/>\n");
    EXPECT_TRUE(contains(svg, "  <circle cx=\"112.000000\" cy=\"121.000000\" r=\"6.000000\"/>\n"
                              "  <circle cx=\"112.000000\" cy=\"109.500000\" r=\"3.000000\"/>\n"
                              "  <circle cx=\"123.500000\" cy=\"121.000000\" r=\"3.000000\"/>\n"
                              "  <circle cx=\"112.000000\" cy=\"132.500000\" r=\"3.000000\"/>\n"
                              "  <circle cx=\"100.500000\" cy=\"121.000000\" r=\"3.000000\"/>\n"
                              "</g>\n</svg>\n"));
    EXPECT_TRUE(contains(svg, "font-size=\"5\" >\n    1:2\n"));
}

TEST(SvgDrawing, LargeArcFlagOnlyForARunOverHalfTheTrack) {
    // 5 of 8 positions: the gap ends at 225 degrees; the cog after it is a small arc.
    const std::string over = drawing({5, 3}, initial);
    EXPECT_TRUE(contains(over, "    A 37.500000,37.500000 0 1,1, 85.483490,147.516495\n"));
    EXPECT_TRUE(contains(over, "    A 45.000000,45.000000 0 0,1, "));
    EXPECT_TRUE(contains(drawing({4, 4}, initial),
                         "    A 37.500000,37.500000 0 0,1, 112.000000,158.500000\n"));
}

TEST(SvgDrawing, EmptyCodeDrawsTheSheetAndHolesWithoutAPath) {
    std::string expected = golden;
    const std::string path = outline(golden);
    expected.erase(expected.find(path), path.size());
    EXPECT_EQ(drawing({}, initial), expected);
}

TEST(SvgDrawing, RefusalsWriteNothing) {
    TempDir dir;
    std::unique_ptr<int[]> code(make_runlist(known_good)), negative(make_runlist({3, -1, 2}));
    const std::string path = dir.file("out.svg");
    auto status = [&](const int* runs, float outer, float gap) {
        const float dims[5] = {outer, gap, 24, 46, 12};
        return export_svg(runs, dims, path.c_str()).status;
    };
    EXPECT_EQ(status(code.get(), 150000, 150), disk_status::no_scale); // 150 m even at 1:1000
    EXPECT_EQ(status(code.get(), std::nanf(""), 150), disk_status::not_finite);
    EXPECT_EQ(status(code.get(), 1, 3e38f), disk_status::too_large); // at 100:1, not at 1:2
    EXPECT_EQ(status(negative.get(), 180, 150), disk_status::bad_run);
    EXPECT_EQ(convert_to_svg(nullptr, initial, path.c_str()), -1);
    EXPECT_FALSE(file_exists(path));
    EXPECT_EQ(status(code.get(), 180, 3e38f), disk_status::ok);
    EXPECT_EQ(convert_to_svg(code.get(), initial, path.c_str()), 0);
    EXPECT_EQ(read_file(path), golden);
}

// The known disk, an empty code, a run over half the track and an enlarged tiny disk.
TEST(SvgDrawing, WellFormedAndRenderable) {
    if (run_command("command -v xmllint && command -v rsvg-convert") != 0)
        GTEST_SKIP() << "xmllint or rsvg-convert missing (scripts/deps.sh test installs them)";
    TempDir dir;
    const float tiny[5] = {1, 0.8f, 0.2f, 0.5f, 0.1f};
    int n = 0;
    for (const std::vector<int>& runs : {known_good, std::vector<int>{}, std::vector<int>{5, 3}})
        for (const float* dims : {initial, tiny}) {
            std::unique_ptr<int[]> code(make_runlist(runs));
            const std::string svg = dir.file(std::to_string(n) + ".svg");
            const std::string png = dir.file(std::to_string(n++) + ".png");
            ASSERT_EQ(convert_to_svg(code.get(), dims, svg.c_str()), 0);
            std::string out;
            EXPECT_EQ(run_command("xmllint --noout --nonet '" + svg + "'", &out), 0) << out;
            EXPECT_EQ(run_command("rsvg-convert -o '" + png + "' '" + svg + "'", &out), 0) << out;
            EXPECT_EQ(out, "") << svg;
        }
}

} // namespace
