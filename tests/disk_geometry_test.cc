// Disk dimensions, drawing scales, the Change Geometry form and the messages of disk exports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "export/disk_commands.h"
#include "export/disk_geometry.h"
#include "export/disk_model.h"
#include "tests/support/test_support.h"

using testing_support::MessageLog;
using testing_support::ScriptedPrompts;

namespace {

const float inf = std::numeric_limits<float>::infinity();

TEST(ScaleTable, LabelsInOrderAndFactorsTheirQuotients) {
    std::string labels;
    for (int i = 0; i < scale_count; ++i) {
        labels += std::string(i ? " " : "") + scale_name[i];
        const char* colon = strchr(scale_name[i], ':');
        ASSERT_NE(colon, nullptr) << scale_name[i];
        EXPECT_EQ(scale_float[i], strtof(scale_name[i], nullptr) / strtof(colon + 1, nullptr))
            << scale_name[i];
    }
    EXPECT_EQ(labels, "100:1 50:1 40:1 20:1 10:1 5:1 4:1 2.5:1 2:1 1:1 1:2 1:2.5 1:4 1:5 1:10 "
                      "1:15 1:20 1:25 1:40 1:50 1:75 1:100 1:200 1:400 1:500 1:800 1:1000");
}

TEST(ScaleTable, ChoiceKeepsTheDrawingBelow150mm) {
    const struct {
        float outer;
        const char* label;
    } cases[] = {{180, "1:2"},    {1, "100:1"}, {1.5f, "50:1"},  {0, "100:1"},      {-180, "100:1"},
                 {-inf, "100:1"}, {150, "1:2"}, {149.9f, "1:1"}, {149999, "1:1000"}};
    for (const auto& c : cases) {
        const int index = choose_scale(c.outer);
        ASSERT_GE(index, 0) << c.outer;
        EXPECT_STREQ(scale_name[index], c.label) << c.outer;
    }
    for (float none : {150000.0f, inf, std::nanf("")})
        EXPECT_EQ(choose_scale(none), -1) << none;
}

class GeometryForm : public ::testing::Test {
  protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset() {
        const float initial[5] = {180, 150, 24, 46, 12};
        std::copy(initial, initial + 5, geometry);
    }
    ScriptedPrompts prompts;
    MessageLog log;
};

// Confirming re-reads every field from its six-decimal text, untouched ones included.
TEST_F(GeometryForm, OffersSixDecimalsAndEchoesWhatItTook) {
    geometry[1] = 1.23456789f;
    geometry[2] = 0.0000004f;
    prompts.answer(std::vector<std::string>{});
    sub_ChangeGeometry();
    ASSERT_EQ(prompts.asked().size(), 1u);
    EXPECT_EQ(prompts.asked()[0].field, 20);
    EXPECT_EQ(prompts.asked()[0].labels,
              (std::vector<std::string>{"Ext Diameter with Cog", "Ext Diameter w/o Cog",
                                        "Diameter of center hole", "Distance between holes (far)",
                                        "Mount Hole Diameter"}));
    EXPECT_EQ(
        prompts.asked()[0].offered,
        (std::vector<std::string>{"180.000000", "1.234568", "0.000000", "46.000000", "12.000000"}));
    EXPECT_EQ(geometry[1], 1.234568f);
    EXPECT_EQ(geometry[2], 0.0f);
    EXPECT_EQ(log.body(), "Ext Diameter with Cog : 180.000000 mm\n"
                          "Ext Diameter w/o Cog : 1.234568 mm\n"
                          "Diameter of center hole : 0.000000 mm\n"
                          "Distance between holes (far) : 46.000000 mm\n"
                          "Mount Hole Diameter : 12.000000 mm\n");
}

TEST_F(GeometryForm, TakesNumbersKeepsTheRest) {
    prompts.answer({"46abc", "abc", "1e2", "-3", "0"});
    sub_ChangeGeometry();
    EXPECT_EQ(log.body(), "Ext Diameter with Cog : 46.000000 mm\n"
                          "Ext Diameter w/o Cog : 150.000000 mm\n"
                          "Diameter of center hole : 100.000000 mm\n"
                          "Distance between holes (far) : -3.000000 mm\n"
                          "Mount Hole Diameter : 0.000000 mm\n");
    EXPECT_EQ(std::vector<float>(geometry, geometry + 5),
              (std::vector<float>{46, 150, 100, -3, 0}));
    // Esc then changes and prints nothing.
    log.clear();
    prompts.escape();
    sub_ChangeGeometry();
    EXPECT_EQ(prompts.asked()[1].offered[0], "46.000000");
    EXPECT_EQ(log.body(), "");
    EXPECT_EQ(std::vector<float>(geometry, geometry + 5),
              (std::vector<float>{46, 150, 100, -3, 0}));
}

// A value whose "%f" text would not fit the 19 characters of the field, inf and nan are refused.
TEST_F(GeometryForm, RefusesValuesTheFieldCannotHold) {
    prompts.answer({"2e12", "inf", "nan", "-2e11", "99999999999"});
    sub_ChangeGeometry();
    EXPECT_EQ(std::vector<float>(geometry, geometry + 5),
              (std::vector<float>{180, 150, 24, 46, 99999997952.0f}));
    EXPECT_EQ(log.body(),
              "Error: Ext Diameter with Cog is too large to show in the form, value kept\n"
              "Ext Diameter with Cog : 180.000000 mm\n"
              "Error: Ext Diameter w/o Cog is not a finite number, value kept\n"
              "Ext Diameter w/o Cog : 150.000000 mm\n"
              "Error: Diameter of center hole is not a finite number, value kept\n"
              "Diameter of center hole : 24.000000 mm\n"
              "Error: Distance between holes (far) is too large to show in the form, value kept\n"
              "Distance between holes (far) : 46.000000 mm\n"
              "Mount Hole Diameter : 99999997952.000000 mm\n");
    float v = 0; // the largest that still fit
    EXPECT_EQ(parse_dimension("1e12", &v), dimension_parse::taken);
    EXPECT_EQ(dimension_text(v), "999999995904.000000");
    EXPECT_EQ(parse_dimension("-1e11", &v), dimension_parse::taken);
    EXPECT_EQ(dimension_text(v), "-99999997952.000000");
    // A value set elsewhere is offered in exponent form, and refused again when confirmed.
    geometry[0] = 1e20f;
    geometry[1] = inf;
    prompts.answer(std::vector<std::string>{});
    sub_ChangeGeometry();
    EXPECT_EQ(prompts.asked()[1].offered[0], "1.000000e+20");
    EXPECT_EQ(prompts.asked()[1].offered[1], "inf");
    EXPECT_EQ(geometry[0], 1e20f);
    EXPECT_NE(log.body().find("Ext Diameter with Cog : 100000002004087734272.000000 mm\n"),
              std::string::npos); // the echo has no width limit
}

TEST(DiskMessages, EveryRefusalSaysWhyAndSuccessSaysNothing) {
    EXPECT_EQ(disk_result_message(disk_result{}), "");
    for (disk_status s :
         {disk_status::no_code, disk_status::bad_run, disk_status::not_finite,
          disk_status::no_scale, disk_status::too_large, disk_status::gerber_range,
          disk_status::drill_too_large, disk_status::bad_placement, disk_status::same_file,
          disk_status::no_memory, disk_status::write_failed}) {
        disk_result r;
        r.status = s;
        const std::string m = disk_result_message(r);
        ASSERT_FALSE(m.empty());
        EXPECT_EQ(m.back(), '\n');
    }
    disk_result failed;
    failed.status = disk_status::write_failed;
    failed.file.opened = true;
    failed.file.error = 28; // ENOSPC
    failed.first_written = true;
    const std::string m = disk_result_message(failed);
    EXPECT_EQ(m.rfind("Can't write file! (", 0), 0u) << m;
    EXPECT_NE(m.find("\nThe Gerber file was written, the Excellon file was not.\n"),
              std::string::npos);
}

} // namespace
