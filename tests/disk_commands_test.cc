// The disk commands: the Change Geometry form, and the SVG plot and Gerber/Excellon exports with
// their prompts, Esc, messages and the files they leave; also under a decimal-comma locale.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>

#include "code/runlist.h"
#include "export/disk_commands.h"
#include "export/disk_geometry.h"
#include "export/disk_gerber.h"
#include "export/disk_svg.h"
#include "tests/support/test_support.h"

using testing_support::file_exists;
using testing_support::read_file;

namespace {

const float* const initial = testing_support::initial_geometry;
const std::string svg_golden = read_file(STGC_SOURCE_DIR "/tests/data/disk/known_good.svg");
void (*const gerber_commands[4])() = {do_Gerb_0, do_Gerb_1, do_Gerb_2, do_Gerb_3};

class DiskCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        std::copy(initial, initial + 5, geometry);
        snprintf(svg_name, sizeof svg_name, "%s", "output.svg");
        snprintf(gerb_name, sizeof gerb_name, "%s", "output.grb");
        snprintf(drill_name, sizeof drill_name, "%s", "output.drl");
        replace_global_stgc(make_runlist({10, 3, 5, 18, 14, 3,  4, 8, 6,  6, 5,  6, 10, 3,
                                          13, 4, 5, 12, 4,  13, 4, 4, 11, 4, 12, 5, 9,  23}));
    }
    void TearDown() override {
        replace_global_stgc(nullptr);
        std::copy(initial, initial + 5, geometry);
    }
    // Runs a command that answers its prompts with these files of the temporary directory
    // (null: Esc); returns what it wrote in the message pane.
    std::string run(void (*command)(), std::vector<const char*> answers) {
        testing_support::MessageLog log;
        for (const char* name : answers)
            name ? prompts.answer(file(name)) : prompts.escape();
        command();
        return log.body();
    }
    std::string asked() { return prompts.newly_asked(); }
    std::string file(const std::string& name) const { return dir.file(name); }
    testing_support::TempDir dir;
    testing_support::ScriptedPrompts prompts;
};

// Without a code nothing is asked; a code without runs gets its holes drawn, and a note.
TEST_F(DiskCommand, WithoutACodeOrItsRuns) {
    replace_global_stgc(nullptr);
    for (auto command : {sub_SVG, do_Gerb_0, do_Gerb_1, do_Gerb_2, do_Gerb_3})
        EXPECT_EQ(run(command, {}), "STGC is not generated!\n");
    EXPECT_EQ(asked(), "");
    replace_global_stgc(make_runlist({}));
    EXPECT_EQ(run(sub_SVG, {"e.svg"}) + run(do_Gerb_0, {"e.grb"}),
              "The code has no runs: only the holes are drawn.\n"
              "The code has no runs: only the holes are drawn.\n");
    EXPECT_NE(read_file(file("e.svg")).find("<circle"), std::string::npos);
    EXPECT_NE(read_file(file("e.grb")).find("M02*"), std::string::npos);
}

TEST_F(DiskCommand, PromptsAndEscape) {
    EXPECT_EQ(run(sub_SVG, {nullptr}), "");
    EXPECT_EQ(asked(), "Ouput File (SVG): [output.svg] 50\n");
    EXPECT_EQ(run(do_Gerb_0, {nullptr}), "");
    EXPECT_EQ(asked(), "Ouput File (GRB): [output.grb] 50\n");
    for (int placement = 1; placement < 4; ++placement) {
        EXPECT_EQ(run(gerber_commands[placement], {nullptr}), "");
        EXPECT_EQ(run(gerber_commands[placement], {"esc.grb", nullptr}), "");
        const std::string gerber_prompt = "Ouput Gerber File (GRB): [" +
                                          (placement == 1 ? "output.grb" : file("esc.grb")) +
                                          "] 50\n";
        EXPECT_EQ(asked(),
                  gerber_prompt + gerber_prompt + "Ouput Excellon File (DRL): [output.drl] 50\n");
    }
    EXPECT_FALSE(file_exists(file("esc.grb")));
}

TEST_F(DiskCommand, WritesSilentlyAndKeepsTheNamesUsed) {
    EXPECT_EQ(run(sub_SVG, {"d.svg"}), "");
    EXPECT_EQ(read_file(file("d.svg")), svg_golden);
    for (int placement = 0; placement < 4; ++placement) {
        const std::string grb = std::to_string(placement) + ".grb", drl = grb + ".drl";
        std::vector<const char*> names = {grb.c_str(), drl.c_str()};
        names.resize(placement ? 2 : 1);
        EXPECT_EQ(run(gerber_commands[placement], names), "");
        std::string gerber, drill; // no drill file for placement 0
        ASSERT_EQ(format_gerber(global_stgc, geometry, placement, gerber), disk_status::ok);
        format_drill(geometry, placement, drill);
        EXPECT_EQ(read_file(file(grb)), gerber);
        EXPECT_EQ(read_file(file(drl)), drill);
    }
    EXPECT_EQ(svg_name, file("d.svg"));
    EXPECT_EQ(gerb_name, file("3.grb"));
    EXPECT_EQ(drill_name, file("3.grb.drl"));
}

TEST_F(DiskCommand, FailuresAreReportedInThePane) {
    const struct {
        void (*command)();
        std::vector<const char*> names;
        float outer;
        const char* message;
    } cases[] = {
        // clang-format off
        {sub_SVG, {"no/such.svg"}, 180, "Can't open file!\n"},
        {sub_SVG, {"big.svg"}, 150000,
         "Error: no drawing scale fits an outer diameter of 150 m or more; nothing written\n"},
        {sub_SVG, {"nan.svg"}, std::nanf(""),
         "Error: a disk dimension is not a finite number; nothing written\n"},
        {do_Gerb_0, {"big.grb"}, 250000,
         "Error: Gerber coordinates hold dimensions up to 200000 mm; nothing written\n"},
        {do_Gerb_1, {"no/such.grb", "a.drl"}, 180, "Can't open file!\n"},
        {do_Gerb_2, {"a.grb", "."}, 180,
         "Can't open file!\nThe Gerber file was written, the Excellon file was not.\n"},
        {do_Gerb_3, {"same", "same"}, 180,
         "Error: the Gerber and Excellon files need different names; nothing written\n"},
        // Too large for the drill file: told in the pane, not on standard output.
        {do_Gerb_3, {"big.grb", "big.drl"}, 10000,
         "Error: can't show more then 9 meters\nNothing written: the Excellon file holds outer "
         "diameters up to 9900 mm; \"Gerber only\" writes larger disks\n"},
        // clang-format on
    };
    testing::internal::CaptureStdout();
    for (const auto& c : cases) {
        geometry[0] = c.outer;
        EXPECT_EQ(run(c.command, c.names), c.message);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(file_exists(file("a.grb")));
    for (const char* name : {"big.svg", "nan.svg", "a.drl", "same", "big.grb", "big.drl"})
        EXPECT_FALSE(file_exists(file(name))) << name;
}

// Confirming re-reads every field from its six-decimal text, untouched ones included.
TEST_F(DiskCommand, GeometryFormOffersSixDecimalsAndEchoesWhatItTook) {
    geometry[1] = 1.23456789f;
    geometry[2] = 0.0000004f;
    prompts.answer(std::vector<std::string>{});
    EXPECT_EQ(run(sub_ChangeGeometry, {}), "Ext Diameter with Cog : 180.000000 mm\n"
                                           "Ext Diameter w/o Cog : 1.234568 mm\n"
                                           "Diameter of center hole : 0.000000 mm\n"
                                           "Distance between holes (far) : 46.000000 mm\n"
                                           "Mount Hole Diameter : 12.000000 mm\n");
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
}

TEST_F(DiskCommand, GeometryFormTakesNumbersKeepsTheRest) {
    prompts.answer({"46abc", "abc", "1e2", "-3", "0"});
    EXPECT_EQ(run(sub_ChangeGeometry, {}), "Ext Diameter with Cog : 46.000000 mm\n"
                                           "Ext Diameter w/o Cog : 150.000000 mm\n"
                                           "Diameter of center hole : 100.000000 mm\n"
                                           "Distance between holes (far) : -3.000000 mm\n"
                                           "Mount Hole Diameter : 0.000000 mm\n");
    const std::vector<float> taken = {46, 150, 100, -3, 0};
    EXPECT_EQ(std::vector<float>(geometry, geometry + 5), taken);
    EXPECT_EQ(run(sub_ChangeGeometry, {nullptr}), ""); // Esc changes and prints nothing
    EXPECT_EQ(prompts.asked()[1].offered[0], "46.000000");
    EXPECT_EQ(std::vector<float>(geometry, geometry + 5), taken);
    // The new dimensions reach the files.
    run(do_Gerb_3, {"m.grb", "m.drl"});
    EXPECT_NE(read_file(file("m.drl")).find("T01C100.000000\nT02C0.000000\n"), std::string::npos);
}

// A value whose "%f" text would not fit the 19 characters of the field, inf and nan are refused.
TEST_F(DiskCommand, GeometryFormRefusesValuesTheFieldCannotHold) {
    prompts.answer({"2e12", "inf", "nan", "-2e11", "99999999999"});
    EXPECT_EQ(run(sub_ChangeGeometry, {}),
              "Error: Ext Diameter with Cog is too large to show in the form, value kept\n"
              "Ext Diameter with Cog : 180.000000 mm\n"
              "Error: Ext Diameter w/o Cog is not a finite number, value kept\n"
              "Ext Diameter w/o Cog : 150.000000 mm\n"
              "Error: Diameter of center hole is not a finite number, value kept\n"
              "Diameter of center hole : 24.000000 mm\n"
              "Error: Distance between holes (far) is too large to show in the form, value kept\n"
              "Distance between holes (far) : 46.000000 mm\n"
              "Mount Hole Diameter : 99999997952.000000 mm\n");
    EXPECT_EQ(std::vector<float>(geometry, geometry + 5),
              (std::vector<float>{180, 150, 24, 46, 99999997952.0f}));
    float v = 0; // the largest that still fit
    EXPECT_EQ(parse_dimension("1e12", &v), dimension_parse::taken);
    EXPECT_EQ(dimension_text(v), "999999995904.000000");
}

// Under a decimal-comma locale the files keep their decimal points while the geometry form
// speaks the user's language.
class DecimalComma : public DiskCommand {
  protected:
    void SetUp() override {
        DiskCommand::SetUp();
        if (!setlocale(LC_ALL, "de_DE.UTF-8")) {
            // The test set-up generates it; try once more here in case it was skipped.
            testing_support::run_command("localedef -i de_DE -f UTF-8 de_DE.UTF-8");
            if (!setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE.UTF-8 here";
        }
        char probe[32];
        snprintf(probe, sizeof probe, "%f", 1.5);
        ASSERT_STREQ(probe, "1,500000"); // the locale really is in force
    }
    void TearDown() override {
        setlocale(LC_ALL, "C");
        DiskCommand::TearDown();
    }
};

TEST_F(DecimalComma, FilesKeepTheirDecimalPoint) {
    EXPECT_EQ(run(sub_SVG, {"d.svg"}) + run(do_Gerb_3, {"d.grb", "d.drl"}), "");
    EXPECT_EQ(read_file(file("d.svg")), svg_golden);
    EXPECT_NE(read_file(file("d.drl")).find("T01C24.000000\nT02C12.000000\n"), std::string::npos);
}

TEST_F(DecimalComma, GeometryFormUsesTheUsersLocale) {
    prompts.answer({"46,5", "abc", "1e2", "-0,25", "7.5"});
    EXPECT_EQ(run(sub_ChangeGeometry, {}), "Ext Diameter with Cog : 46,500000 mm\n"
                                           "Ext Diameter w/o Cog : 150,000000 mm\n"
                                           "Diameter of center hole : 100,000000 mm\n"
                                           "Distance between holes (far) : -0,250000 mm\n"
                                           "Mount Hole Diameter : 7,000000 mm\n");
    EXPECT_EQ(prompts.asked()[0].offered[0], "180,000000");
    const std::vector<float> taken = {46.5f, 150, 100, -0.25f, 7}; // a point ends the number here
    EXPECT_EQ(std::vector<float>(geometry, geometry + 5), taken);
    // Untouched fields read back from their comma text keep their values.
    prompts.answer(std::vector<std::string>{});
    run(sub_ChangeGeometry, {});
    EXPECT_EQ(prompts.asked()[1].offered[3], "-0,250000");
    EXPECT_EQ(std::vector<float>(geometry, geometry + 5), taken);
}

} // namespace
