// Disk dimensions, drawing scales and the Change Geometry form.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "export/disk_commands.h"
#include "export/disk_geometry.h"
#include "tests/support/test_support.h"

using testing_support::MessageLog;
using testing_support::ScriptedPrompts;

namespace {

class GeometryForm : public ::testing::Test {
  protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset() {
        const float initial[5] = {180, 150, 24, 46, 12};
        for (int i = 0; i < 5; ++i) geometry[i] = initial[i];
    }
};

TEST(ScaleTable, FactorsAreTheQuotientsOfTheirLabels) {
    for (int i = 0; i < scale_count; ++i) {
        const char* label = scale_name[i];
        ASSERT_LT(strlen(label), 10u);
        const char* colon = strchr(label, ':');
        ASSERT_NE(colon, nullptr) << label;
        const float a = strtof(label, nullptr);
        const float b = strtof(colon + 1, nullptr);
        EXPECT_EQ(scale_float[i], a / b) << label;
        if (i > 0) {
            EXPECT_LT(scale_float[i], scale_float[i - 1]) << label;
        }
    }
    EXPECT_STREQ(scale_name[0], "100:1");
    EXPECT_STREQ(scale_name[9], "1:1");
    EXPECT_STREQ(scale_name[10], "1:2");
    EXPECT_STREQ(scale_name[15], "1:15");
    EXPECT_STREQ(scale_name[20], "1:75");
    EXPECT_STREQ(scale_name[26], "1:1000");
    EXPECT_FLOAT_EQ(scale_float[15], 0.06666667f);
    EXPECT_FLOAT_EQ(scale_float[20], 0.013333333f);
}

TEST(ScaleTable, ChoiceKeepsTheDrawingBelow150mm) {
    EXPECT_EQ(choose_scale(180), 10);      // 1:2, drawn 90 mm across
    EXPECT_EQ(choose_scale(1), 0);         // 100:1
    EXPECT_EQ(choose_scale(1.5f), 1);      // exactly 150 at 100:1 is not below 150
    EXPECT_EQ(choose_scale(0), 0);
    EXPECT_EQ(choose_scale(-180), 0);
    EXPECT_EQ(choose_scale(150), 10);      // 1:1 gives 150
    EXPECT_EQ(choose_scale(149.9f), 9);
    EXPECT_EQ(choose_scale(149999), 26);   // 1:1000
    EXPECT_EQ(choose_scale(150000), -1);   // 150 m: no scale left
    EXPECT_EQ(choose_scale(std::numeric_limits<float>::quiet_NaN()), -1);
    EXPECT_EQ(choose_scale(std::numeric_limits<float>::infinity()), -1);
    EXPECT_EQ(choose_scale(-std::numeric_limits<float>::infinity()), 0);
}

TEST(DimensionText, ParsesLikeScanfAndRefusesWhatTheFormCannotShow) {
    float v = 7;
    EXPECT_EQ(parse_dimension("46abc", &v), dimension_parse::taken);
    EXPECT_EQ(v, 46.0f);
    EXPECT_EQ(parse_dimension("1e2", &v), dimension_parse::taken);
    EXPECT_EQ(v, 100.0f);
    EXPECT_EQ(parse_dimension("  -2.5", &v), dimension_parse::taken);
    EXPECT_EQ(v, -2.5f);
    v = 7;
    for (const char* text : {"abc", "", "   ", "-", ".", "mm 5"}) {
        EXPECT_EQ(parse_dimension(text, &v), dimension_parse::not_a_number) << text;
        EXPECT_EQ(v, 7.0f);
    }
    for (const char* text : {"inf", "-inf", "nan", "1e39"}) {
        EXPECT_EQ(parse_dimension(text, &v), dimension_parse::not_finite) << text;
        EXPECT_EQ(v, 7.0f);
    }
    for (const char* text : {"2e12", "-2e11", "3e38"}) {
        EXPECT_EQ(parse_dimension(text, &v), dimension_parse::too_large) << text;
        EXPECT_EQ(v, 7.0f);
    }
    // The largest that still fit: 19 characters of "%f" text (1e12 is 999999995904 as float).
    EXPECT_EQ(parse_dimension("1e12", &v), dimension_parse::taken);
    EXPECT_EQ(dimension_text(v), "999999995904.000000");
    EXPECT_EQ(parse_dimension("-1e11", &v), dimension_parse::taken);
    EXPECT_EQ(dimension_text(v), "-99999997952.000000");
    EXPECT_EQ(parse_dimension("-9e10", &v), dimension_parse::taken);
    EXPECT_EQ(dimension_text(v), "-89999998976.000000");

    EXPECT_EQ(dimension_text(180), "180.000000");
    EXPECT_EQ(dimension_text(-0.5f), "-0.500000");
    // Values from elsewhere that the form could not show come in exponent form, and read back.
    EXPECT_EQ(dimension_text(2e12f), "2.000000e+12");
    EXPECT_EQ(dimension_text(-3e38f), "-3.000000e+38");
    EXPECT_EQ(parse_dimension(dimension_text(-2e11f).c_str(), &v), dimension_parse::too_large);
}

// Whatever is typed (at most 19 characters), a taken value is finite and fits the field again.
TEST(DimensionText, AnyTypedTextLeavesAValueTheFormCanShow) {
    const char alphabet[] = "0123456789.,eE+-xpinfaINFAN ";
    unsigned state = 12345;
    auto next = [&state] { return state = state * 1103515245u + 12345u; };
    int taken = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const size_t length = (next() >> 16) % 20;
        for (size_t i = 0; i < length; ++i)
            text += alphabet[(next() >> 16) % (sizeof alphabet - 1)];
        float v = 1;
        if (parse_dimension(text.c_str(), &v) != dimension_parse::taken) {
            ASSERT_EQ(v, 1.0f) << text;
            continue;
        }
        ++taken;
        ASSERT_TRUE(std::isfinite(v)) << text;
        const std::string shown = dimension_text(v);
        ASSERT_LE(shown.size(), 19u) << text;
        float again = 0;
        ASSERT_EQ(parse_dimension(shown.c_str(), &again), dimension_parse::taken) << text;
    }
    EXPECT_GT(taken, 1000);
}

TEST_F(GeometryForm, OffersTheDimensionsAndEchoesThem) {
    ScriptedPrompts prompts;
    MessageLog log;
    prompts.answer(std::vector<std::string>{});
    sub_ChangeGeometry();
    ASSERT_EQ(prompts.asked().size(), 1u);
    const auto& asked = prompts.asked()[0];
    EXPECT_EQ(asked.field, 20);
    const std::vector<std::string> labels = {"Ext Diameter with Cog", "Ext Diameter w/o Cog",
                                             "Diameter of center hole",
                                             "Distance between holes (far)", "Mount Hole Diameter"};
    EXPECT_EQ(asked.labels, labels);
    const std::vector<std::string> offered = {"180.000000", "150.000000", "24.000000",
                                              "46.000000", "12.000000"};
    EXPECT_EQ(asked.offered, offered);
    EXPECT_EQ(log.body(), "Ext Diameter with Cog : 180.000000 mm\n"
                          "Ext Diameter w/o Cog : 150.000000 mm\n"
                          "Diameter of center hole : 24.000000 mm\n"
                          "Distance between holes (far) : 46.000000 mm\n"
                          "Mount Hole Diameter : 12.000000 mm\n");
}

TEST_F(GeometryForm, TakesNumbersKeepsTheRest) {
    ScriptedPrompts prompts;
    MessageLog log;
    prompts.answer({"46abc", "abc", "1e2", "-3", "0"});
    sub_ChangeGeometry();
    EXPECT_EQ(geometry[0], 46.0f);
    EXPECT_EQ(geometry[1], 150.0f);
    EXPECT_EQ(geometry[2], 100.0f);
    EXPECT_EQ(geometry[3], -3.0f);
    EXPECT_EQ(geometry[4], 0.0f);
    EXPECT_EQ(log.body(), "Ext Diameter with Cog : 46.000000 mm\n"
                          "Ext Diameter w/o Cog : 150.000000 mm\n"
                          "Diameter of center hole : 100.000000 mm\n"
                          "Distance between holes (far) : -3.000000 mm\n"
                          "Mount Hole Diameter : 0.000000 mm\n");
    // The next form offers what was taken.
    prompts.escape();
    sub_ChangeGeometry();
    EXPECT_EQ(prompts.asked()[1].offered[0], "46.000000");
    EXPECT_EQ(prompts.asked()[1].offered[3], "-3.000000");
}

TEST_F(GeometryForm, EscapeChangesAndPrintsNothing) {
    ScriptedPrompts prompts;
    MessageLog log;
    prompts.escape();
    sub_ChangeGeometry();
    EXPECT_EQ(prompts.asked().size(), 1u);
    EXPECT_EQ(log.body(), "");
    EXPECT_EQ(geometry[0], 180.0f);
    EXPECT_EQ(geometry[4], 12.0f);
}

TEST_F(GeometryForm, ConfirmingRoundsToSixDecimals) {
    geometry[1] = 1.23456789f;
    geometry[2] = 0.0000004f;
    ScriptedPrompts prompts;
    MessageLog log;
    prompts.answer(std::vector<std::string>{});
    sub_ChangeGeometry();
    EXPECT_EQ(geometry[0], 150.0f + 30.0f);
    EXPECT_EQ(geometry[1], 1.234568f);
    EXPECT_EQ(geometry[2], 0.0f);
}

TEST_F(GeometryForm, RefusesValuesTheFieldCannotHold) {
    ScriptedPrompts prompts;
    MessageLog log;
    prompts.answer({"2e12", "inf", "nan", "-2e11", "99999999999"});
    sub_ChangeGeometry();
    EXPECT_EQ(geometry[0], 180.0f);
    EXPECT_EQ(geometry[1], 150.0f);
    EXPECT_EQ(geometry[2], 24.0f);
    EXPECT_EQ(geometry[3], 46.0f);
    EXPECT_EQ(geometry[4], 99999997952.0f);
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
    // Everything still fits the next form.
    prompts.escape();
    sub_ChangeGeometry();
    for (const std::string& text : prompts.asked()[1].offered) EXPECT_LE(text.size(), 19u);
}

TEST_F(GeometryForm, ValueSetElsewhereStillFitsTheField) {
    geometry[0] = 1e20f;
    geometry[1] = std::numeric_limits<float>::infinity();
    ScriptedPrompts prompts;
    MessageLog log;
    prompts.answer(std::vector<std::string>{});
    sub_ChangeGeometry();
    ASSERT_EQ(prompts.asked().size(), 1u);
    EXPECT_EQ(prompts.asked()[0].offered[0], "1.000000e+20");
    EXPECT_EQ(prompts.asked()[0].offered[1], "inf");
    // Read back unchanged, the huge value is refused and kept; the echo may be long.
    EXPECT_EQ(geometry[0], 1e20f);
    EXPECT_NE(log.body().find("Ext Diameter with Cog : 100000002004087734272.000000 mm\n"),
              std::string::npos)
        << log.body();
}

} // namespace
