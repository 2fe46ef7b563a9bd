// Under a decimal-comma locale the files keep their decimal points while the geometry form
// speaks the user's language.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <memory>

#include "code/runlist.h"
#include "export/disk_commands.h"
#include "export/disk_geometry.h"
#include "export/disk_gerber.h"
#include "export/disk_svg.h"
#include "tests/support/test_support.h"

using testing_support::read_file;

namespace {

const float initial[5] = {180, 150, 24, 46, 12};

class DecimalComma : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!setlocale(LC_ALL, "de_DE.UTF-8")) {
            // The test set-up generates it; try once more here in case it was skipped.
            testing_support::run_command("localedef -i de_DE -f UTF-8 de_DE.UTF-8");
            if (!setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE.UTF-8 here";
        }
        char probe[32];
        snprintf(probe, sizeof probe, "%f", 1.5);
        ASSERT_STREQ(probe, "1,500000"); // the locale really is in force
        std::copy(initial, initial + 5, geometry);
    }
    void TearDown() override {
        setlocale(LC_ALL, "C");
        std::copy(initial, initial + 5, geometry);
    }
};

TEST_F(DecimalComma, FilesKeepTheirDecimalPoint) {
    testing_support::TempDir dir;
    const std::string svg = dir.file("d.svg"), grb = dir.file("d.grb"), drl = dir.file("d.drl");
    std::unique_ptr<int[]> runs(make_runlist({10, 3, 5, 18, 14, 3,  4, 8, 6,  6, 5,  6, 10, 3,
                                              13, 4, 5, 12, 4,  13, 4, 4, 11, 4, 12, 5, 9,  23}));
    ASSERT_EQ(convert_to_svg(runs.get(), initial, svg.c_str()), 0);
    EXPECT_EQ(read_file(svg), read_file(STGC_SOURCE_DIR "/tests/data/disk/known_good.svg"));
    ASSERT_EQ(convert_to_gerber(runs.get(), initial, grb.c_str(), drl.c_str(), 3), 0);
    EXPECT_NE(read_file(drl).find("T01C24.000000\nT02C12.000000\n"), std::string::npos);
}

TEST_F(DecimalComma, GeometryFormUsesTheUsersLocale) {
    testing_support::ScriptedPrompts prompts;
    testing_support::MessageLog log;
    prompts.answer({"46,5", "abc", "1e2", "-0,25", "7.5"});
    sub_ChangeGeometry();
    ASSERT_EQ(prompts.asked().size(), 1u);
    EXPECT_EQ(prompts.asked()[0].offered[0], "180,000000");
    EXPECT_EQ(std::vector<float>(geometry, geometry + 5),
              (std::vector<float>{46.5f, 150, 100, -0.25f, 7})); // a point ends the number here
    EXPECT_EQ(log.body(), "Ext Diameter with Cog : 46,500000 mm\n"
                          "Ext Diameter w/o Cog : 150,000000 mm\n"
                          "Diameter of center hole : 100,000000 mm\n"
                          "Distance between holes (far) : -0,250000 mm\n"
                          "Mount Hole Diameter : 7,000000 mm\n");
    // Untouched fields read back from their comma text keep their values.
    prompts.answer(std::vector<std::string>{});
    sub_ChangeGeometry();
    EXPECT_EQ(prompts.asked()[1].offered[3], "-0,250000");
    EXPECT_EQ(std::vector<float>(geometry, geometry + 5),
              (std::vector<float>{46.5f, 150, 100, -0.25f, 7}));
}

} // namespace
