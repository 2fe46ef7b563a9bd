// The SVG plot and Gerber/Excellon commands: prompts, Esc, messages and the files they leave.
#include <gtest/gtest.h>

#include "code/runlist.h"
#include "export/disk_commands.h"
#include "export/disk_geometry.h"
#include "export/disk_gerber.h"
#include "export/disk_svg.h"
#include "tests/support/test_support.h"

using testing_support::file_exists;
using testing_support::MessageLog;
using testing_support::read_file;
using testing_support::ScriptedPrompts;
using testing_support::TempDir;

namespace {

const std::vector<int> known_good = {10, 3, 5,  18, 14, 3, 4,  8, 6, 6,  5, 6,  10, 3,
                                     13, 4, 5,  12, 4,  13, 4, 4, 11, 4, 12, 5, 9, 23};

class DiskCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        const float initial[5] = {180, 150, 24, 46, 12};
        for (int i = 0; i < 5; ++i) geometry[i] = initial[i];
        snprintf(svg_name, sizeof svg_name, "%s", "output.svg");
        snprintf(gerb_name, sizeof gerb_name, "%s", "output.grb");
        snprintf(drill_name, sizeof drill_name, "%s", "output.drl");
        replace_global_stgc(make_runlist(known_good));
    }
    void TearDown() override {
        replace_global_stgc(nullptr);
        const float initial[5] = {180, 150, 24, 46, 12};
        for (int i = 0; i < 5; ++i) geometry[i] = initial[i];
    }
    static std::string svg_of_current() {
        std::string out;
        EXPECT_EQ(format_svg(global_stgc, geometry, out), disk_status::ok);
        return out;
    }
    static std::string gerber_of_current(int placement) {
        std::string out;
        EXPECT_EQ(format_gerber(global_stgc, geometry, placement, out), disk_status::ok);
        return out;
    }
    static std::string drill_of_current(int placement) {
        std::string out;
        EXPECT_EQ(format_drill(geometry, placement, out), disk_status::ok);
        return out;
    }
    TempDir dir;
};

void (*const gerber_commands[4])() = {do_Gerb_0, do_Gerb_1, do_Gerb_2, do_Gerb_3};

TEST_F(DiskCommand, WithoutACodeNothingIsAsked) {
    replace_global_stgc(nullptr);
    ScriptedPrompts prompts;
    MessageLog log;
    sub_SVG();
    for (auto command : gerber_commands) command();
    EXPECT_TRUE(prompts.asked().empty());
    EXPECT_EQ(log.body(), "STGC is not generated!\n"
                          "STGC is not generated!\n"
                          "STGC is not generated!\n"
                          "STGC is not generated!\n"
                          "STGC is not generated!\n");
}

TEST_F(DiskCommand, SvgPlotWritesTheDrawingSilently) {
    ScriptedPrompts prompts;
    MessageLog log;
    const std::string path = dir.file("disk.svg");
    prompts.answer(path);
    sub_SVG();
    ASSERT_EQ(prompts.asked().size(), 1u);
    EXPECT_EQ(prompts.asked()[0].labels, std::vector<std::string>{"Ouput File (SVG):"});
    EXPECT_EQ(prompts.asked()[0].offered, std::vector<std::string>{"output.svg"});
    EXPECT_EQ(prompts.asked()[0].field, 50);
    EXPECT_EQ(log.body(), "");
    EXPECT_EQ(read_file(path), svg_of_current());
    // The next export offers the name just used; Esc then writes nothing.
    prompts.escape();
    sub_SVG();
    EXPECT_EQ(prompts.asked()[1].offered, std::vector<std::string>{path});
    EXPECT_EQ(log.body(), "");
}

TEST_F(DiskCommand, SvgPlotEscapeWritesNothing) {
    ScriptedPrompts prompts;
    MessageLog log;
    const std::string path = dir.file("kept.svg");
    snprintf(svg_name, sizeof svg_name, "%s", path.c_str());
    prompts.escape();
    sub_SVG();
    EXPECT_EQ(prompts.asked().size(), 1u);
    EXPECT_EQ(log.body(), "");
    EXPECT_FALSE(file_exists(path));
}

TEST_F(DiskCommand, SvgPlotReportsFailuresAndRefusals) {
    ScriptedPrompts prompts;
    MessageLog log;
    prompts.answer(dir.file("no/such/dir.svg"));
    sub_SVG();
    EXPECT_EQ(log.body(), "Can't open file!\n");
    log.clear();
    geometry[0] = 150000;
    prompts.answer(dir.file("big.svg"));
    sub_SVG();
    EXPECT_EQ(log.body(), "Error: no drawing scale fits an outer diameter of 150 m or more; "
                          "nothing written\n");
    EXPECT_FALSE(file_exists(dir.file("big.svg")));
}

TEST_F(DiskCommand, EmptyCodeDrawsHolesAndSaysSo) {
    replace_global_stgc(make_runlist({}));
    ScriptedPrompts prompts;
    MessageLog log;
    prompts.answer(dir.file("empty.svg"));
    prompts.answer(dir.file("empty.grb"));
    sub_SVG();
    do_Gerb_0();
    EXPECT_EQ(log.body(), "The code has no runs: only the holes are drawn.\n"
                          "The code has no runs: only the holes are drawn.\n");
    EXPECT_EQ(read_file(dir.file("empty.svg")), svg_of_current());
    EXPECT_EQ(read_file(dir.file("empty.grb")), gerber_of_current(0));
}

TEST_F(DiskCommand, GerberOnlyAsksOneName) {
    ScriptedPrompts prompts;
    MessageLog log;
    const std::string grb = dir.file("disk.grb");
    prompts.answer(grb);
    do_Gerb_0();
    ASSERT_EQ(prompts.asked().size(), 1u);
    EXPECT_EQ(prompts.asked()[0].labels, std::vector<std::string>{"Ouput File (GRB):"});
    EXPECT_EQ(prompts.asked()[0].offered, std::vector<std::string>{"output.grb"});
    EXPECT_EQ(prompts.asked()[0].field, 50);
    EXPECT_EQ(log.body(), "");
    EXPECT_EQ(read_file(grb), gerber_of_current(0));
    EXPECT_FALSE(file_exists("output.drl"));
}

TEST_F(DiskCommand, GerberWithExcellonAsksTwoNames) {
    for (int placement = 1; placement < 4; ++placement) {
        ScriptedPrompts prompts;
        MessageLog log;
        const std::string grb = dir.file("p" + std::to_string(placement) + ".grb");
        const std::string drl = dir.file("p" + std::to_string(placement) + ".drl");
        prompts.answer(grb);
        prompts.answer(drl);
        gerber_commands[placement]();
        ASSERT_EQ(prompts.asked().size(), 2u);
        EXPECT_EQ(prompts.asked()[0].labels, std::vector<std::string>{"Ouput Gerber File (GRB):"});
        EXPECT_EQ(prompts.asked()[1].labels,
                  std::vector<std::string>{"Ouput Excellon File (DRL):"});
        EXPECT_EQ(prompts.asked()[1].field, 50);
        EXPECT_EQ(log.body(), "");
        EXPECT_EQ(read_file(grb), gerber_of_current(placement));
        EXPECT_EQ(read_file(drl), drill_of_current(placement));
        EXPECT_STREQ(gerb_name, grb.c_str());
        EXPECT_STREQ(drill_name, drl.c_str());
    }
}

TEST_F(DiskCommand, EscapeAtEitherPromptWritesNeitherFile) {
    const std::string grb = dir.file("esc.grb");
    const std::string drl = dir.file("esc.drl");
    for (int placement = 0; placement < 4; ++placement) {
        ScriptedPrompts prompts;
        MessageLog log;
        prompts.escape();
        gerber_commands[placement]();
        EXPECT_EQ(prompts.asked().size(), 1u);
        if (placement > 0) {
            prompts.answer(grb);
            prompts.escape();
            gerber_commands[placement]();
            EXPECT_EQ(prompts.asked().size(), 3u);
        }
        EXPECT_EQ(log.body(), "");
        EXPECT_FALSE(file_exists(grb));
        EXPECT_FALSE(file_exists(drl));
    }
}

TEST_F(DiskCommand, LargeDiskGoesToThePaneNotStandardOutput) {
    geometry[0] = 10000;
    ScriptedPrompts prompts;
    MessageLog log;
    prompts.answer(dir.file("big.grb"));
    prompts.answer(dir.file("big.drl"));
    testing::internal::CaptureStdout();
    do_Gerb_3();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(log.body(), "Error: can't show more then 9 meters\n"
                          "Nothing written: the Excellon file holds outer diameters up to 9900 mm; "
                          "\"Gerber only\" writes larger disks\n");
    EXPECT_FALSE(file_exists(dir.file("big.grb")));
    EXPECT_FALSE(file_exists(dir.file("big.drl")));
    log.clear();
    prompts.answer(dir.file("big.grb"));
    do_Gerb_0();
    EXPECT_EQ(log.body(), "");
    EXPECT_NE(read_file(dir.file("big.grb")).find("%FSLAX54Y54*%\n"), std::string::npos);
}

TEST_F(DiskCommand, GerberWriteFailuresAreReported) {
    ScriptedPrompts prompts;
    MessageLog log;
    prompts.answer(dir.file("no/such.grb"));
    prompts.answer(dir.file("fine.drl"));
    do_Gerb_1();
    EXPECT_EQ(log.body(), "Can't open file!\n");
    EXPECT_FALSE(file_exists(dir.file("fine.drl")));
    log.clear();
    prompts.answer(dir.file("fine.grb"));
    prompts.answer(dir.path()); // a directory
    do_Gerb_2();
    EXPECT_EQ(log.body(),
              "Can't open file!\nThe Gerber file was written, the Excellon file was not.\n");
    EXPECT_EQ(read_file(dir.file("fine.grb")), gerber_of_current(2));
    log.clear();
    prompts.answer(dir.file("same.out"));
    prompts.answer(dir.file("same.out"));
    do_Gerb_3();
    EXPECT_EQ(log.body(),
              "Error: the Gerber and Excellon files need different names; nothing written\n");
    EXPECT_FALSE(file_exists(dir.file("same.out")));
}

TEST_F(DiskCommand, ChangedGeometryReachesTheFiles) {
    ScriptedPrompts prompts;
    MessageLog log;
    prompts.answer({"1000", "900", "30", "100", "8"});
    sub_ChangeGeometry();
    prompts.answer(dir.file("m.grb"));
    prompts.answer(dir.file("m.drl"));
    do_Gerb_3();
    prompts.answer(dir.file("m.svg"));
    sub_SVG();
    EXPECT_EQ(read_file(dir.file("m.drl")),
              ";Drill File\nM48\nMETRIC,0000.00\nT01C30.000000\nT02C8.000000\n%\nG05\nG90\n"
              "T01\nX000000Y000000\nT02\nX000000Y005000\nX005000Y000000\nX000000Y-005000\n"
              "X-005000Y000000\nM30\n");
    EXPECT_NE(read_file(dir.file("m.grb")).find("%FSLAX44Y44*%\n"), std::string::npos);
    EXPECT_NE(read_file(dir.file("m.grb")).find("G01*\nX0Y5000000D02*\n"), std::string::npos);
    EXPECT_NE(read_file(dir.file("m.svg")).find("\n    1:10\n"), std::string::npos);
}

} // namespace
