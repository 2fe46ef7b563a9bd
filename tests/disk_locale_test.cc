// Under a decimal-comma locale the files keep their decimal points while the geometry form
// speaks the user's language.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>

#include "code/runlist.h"
#include "export/disk_commands.h"
#include "export/disk_geometry.h"
#include "export/disk_gerber.h"
#include "export/disk_svg.h"
#include "tests/support/test_support.h"

using testing_support::MessageLog;
using testing_support::read_file;
using testing_support::run_command;
using testing_support::ScriptedPrompts;
using testing_support::TempDir;

namespace {

const std::vector<int> known_good = {10, 3, 5,  18, 14, 3, 4,  8, 6, 6,  5, 6,  10, 3,
                                     13, 4, 5,  12, 4,  13, 4, 4, 11, 4, 12, 5, 9, 23};
const float initial[5] = {180, 150, 24, 46, 12};

bool use_german_locale() {
    if (setlocale(LC_ALL, "de_DE.UTF-8")) return true;
    // The test set-up generates it; try once more here in case it was skipped.
    run_command("localedef -i de_DE -f UTF-8 de_DE.UTF-8");
    return setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
}

class DecimalComma : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!use_german_locale()) GTEST_SKIP() << "de_DE.UTF-8 cannot be created here";
        char probe[32];
        snprintf(probe, sizeof probe, "%f", 1.5);
        ASSERT_STREQ(probe, "1,500000"); // the locale really is in force
        for (int i = 0; i < 5; ++i) geometry[i] = initial[i];
    }
    void TearDown() override {
        setlocale(LC_ALL, "C");
        for (int i = 0; i < 5; ++i) geometry[i] = initial[i];
        replace_global_stgc(nullptr);
    }
};

std::string in_c_locale_svg(const int* runs, const float* dims) {
    const char* current = setlocale(LC_ALL, nullptr);
    std::string saved = current ? current : "C";
    setlocale(LC_ALL, "C");
    std::string out;
    EXPECT_EQ(format_svg(runs, dims, out), disk_status::ok);
    setlocale(LC_ALL, saved.c_str());
    return out;
}

TEST_F(DecimalComma, SvgNumbersKeepTheirDecimalPoint) {
    int* runs = make_runlist(known_good);
    std::string svg;
    ASSERT_EQ(format_svg(runs, initial, svg), disk_status::ok);
    EXPECT_NE(svg.find("  <path d=\"M 112.000000,83.500000\n"
                       "    A 37.500000,37.500000 0 0,1, 122.381332,84.965599\n"),
              std::string::npos);
    EXPECT_NE(svg.find("  <circle cx=\"112.000000\" cy=\"109.500000\" r=\"3.000000\"/>"),
              std::string::npos);
    EXPECT_EQ(svg, in_c_locale_svg(runs, initial));
    // A scale label with a decimal point stays as written too.
    float small[5] = {50, 40, 5, 10, 2};
    std::string enlarged;
    ASSERT_EQ(format_svg(runs, small, enlarged), disk_status::ok);
    EXPECT_NE(enlarged.find("\n    2.5:1\n"), std::string::npos);
    delete[] runs;
}

TEST_F(DecimalComma, ExcellonToolTableKeepsItsDecimalPoint) {
    std::string drill;
    ASSERT_EQ(format_drill(initial, 3, drill), disk_status::ok);
    EXPECT_NE(drill.find("T01C24.000000\nT02C12.000000\n"), std::string::npos);
    float fractional[5] = {180, 150, 2.5f, 46, 1.25f};
    ASSERT_EQ(format_drill(fractional, 3, drill), disk_status::ok);
    EXPECT_NE(drill.find("T01C2.500000\nT02C1.250000\n"), std::string::npos);
}

TEST_F(DecimalComma, WrittenFilesReadBackInAnyReader) {
    TempDir dir;
    int* runs = make_runlist(known_good);
    ASSERT_EQ(convert_to_svg(runs, initial, dir.file("d.svg").c_str()), 0);
    ASSERT_EQ(convert_to_gerber(runs, initial, dir.file("d.grb").c_str(),
                                dir.file("d.drl").c_str(), 3),
              0);
    setlocale(LC_ALL, "C");
    EXPECT_EQ(read_file(dir.file("d.svg")), in_c_locale_svg(runs, initial));
    std::string drill;
    ASSERT_EQ(format_drill(initial, 3, drill), disk_status::ok);
    EXPECT_EQ(read_file(dir.file("d.drl")), drill);
    delete[] runs;
}

TEST_F(DecimalComma, GeometryFormUsesTheUsersLocale) {
    ScriptedPrompts prompts;
    MessageLog log;
    prompts.answer({"46,5", "abc", "1e2", "-0,25", "7.5"});
    sub_ChangeGeometry();
    ASSERT_EQ(prompts.asked().size(), 1u);
    EXPECT_EQ(prompts.asked()[0].offered[0], "180,000000");
    EXPECT_EQ(prompts.asked()[0].offered[2], "24,000000");
    EXPECT_EQ(geometry[0], 46.5f);
    EXPECT_EQ(geometry[1], 150.0f);
    EXPECT_EQ(geometry[2], 100.0f);
    EXPECT_EQ(geometry[3], -0.25f);
    EXPECT_EQ(geometry[4], 7.0f); // a point ends the number here, as the locale says
    EXPECT_EQ(log.body(), "Ext Diameter with Cog : 46,500000 mm\n"
                          "Ext Diameter w/o Cog : 150,000000 mm\n"
                          "Diameter of center hole : 100,000000 mm\n"
                          "Distance between holes (far) : -0,250000 mm\n"
                          "Mount Hole Diameter : 7,000000 mm\n");
    // Untouched fields read back from their comma text keep their values.
    log.clear();
    prompts.answer(std::vector<std::string>{});
    sub_ChangeGeometry();
    EXPECT_EQ(geometry[0], 46.5f);
    EXPECT_EQ(geometry[3], -0.25f);
}

} // namespace
