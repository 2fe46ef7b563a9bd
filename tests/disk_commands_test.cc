// The disk commands: the SVG plot and Gerber/Excellon exports with their messages and the files
// they leave, and the Change Geometry form; in the C locale and a decimal-comma one.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <sstream>

#include "code/runlist.h"
#include "export/disk_commands.h"
#include "export/disk_geometry.h"
#include "tests/support/test_support.h"

using testing_support::read_file;

namespace {

const float* const initial = testing_support::initial_geometry;

std::string golden(const std::string& name) {
    return read_file(STGC_SOURCE_DIR "/tests/data/disk/" + name);
}

class DiskCommand : public ::testing::Test {
  protected:
    void SetUp() override { std::copy(initial, initial + 5, geometry); }
    void TearDown() override { setlocale(LC_ALL, "C"); }
    // Runs a command that answers its prompts with these files of the temporary directory;
    // returns what it wrote in the message pane.
    std::string run(void (*command)(), std::vector<const char*> answers) {
        testing_support::MessageLog log;
        for (const char* name : answers)
            prompts.answer(dir.file(name));
        command();
        return log.body();
    }
    testing_support::TempDir dir;
    testing_support::ScriptedPrompts prompts;
};

// Every command, in the C and a decimal-comma locale: the pane text of all of them is
// tests/data/disk/pane.txt; the files they leave are the golden files of the same names (with
// decimal points); refusals write nothing, not even to standard output, nor does a command
// whose second file cannot be opened.
TEST_F(DiskCommand, PaneTextAndFilesOfEveryCommand) {
    const std::vector<int> none, known = testing_support::known_good;
    // clang-format off
    const struct { const std::vector<int>* runs; void (*command)(); std::vector<const char*> names;
                   float outer; } cases[] = { // runs null: no code, nothing asked
        {&known, sub_SVG, {"known_good.svg"}, 180}, {&known, do_Gerb_0, {"known_good.grb"}, 180},
        {&known, do_Gerb_1, {"known_good_1.grb", "known_good_1.drl"}, 180},
        {&known, do_Gerb_2, {"known_good_2.grb", "known_good_2.drl"}, 180},
        {&known, do_Gerb_3, {"known_good_3.grb", "known_good_3.drl"}, 180},
        {nullptr, sub_SVG, {}, 180},                {nullptr, do_Gerb_3, {}, 180},
        {&none, sub_SVG, {"empty.svg"}, 180},       {&none, do_Gerb_0, {"empty.grb"}, 180},
        {&known, sub_SVG, {"no/such.svg"}, 180},    {&known, sub_SVG, {"big.svg"}, 150000},
        {&known, sub_SVG, {"nan.svg"}, NAN},        {&known, do_Gerb_0, {"big.grb"}, 250000},
        {&known, do_Gerb_2, {"a.grb", "."}, 180},   {&known, do_Gerb_3, {"same", "./same"}, 180},
        {&known, do_Gerb_3, {"big.grb", "big.drl"}, 10000}, {&known, sub_SVG, {"flat.svg"}, 0},
        {&known, do_Gerb_0, {"thin.grb"}, 150}};
    // clang-format on
    for (const char* locale : {"C", "de_DE.UTF-8"}) {
        ASSERT_TRUE(setlocale(LC_ALL, locale)) << locale << ": scripts/deps.sh test makes it";
        testing::internal::CaptureStdout();
        std::string told, left;
        for (const auto& c : cases) {
            replace_global_stgc(c.runs ? make_runlist(*c.runs) : nullptr);
            geometry[0] = c.outer;
            told += run(c.command, c.names);
        }
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_EQ(told, golden("pane.txt"));
        testing_support::run_command("cd '" + dir.path() + "' && LC_ALL=C ls", &left);
        EXPECT_EQ(left, "empty.grb\nempty.svg\nknown_good.grb\nknown_good.svg\n"
                        "known_good_1.drl\nknown_good_1.grb\nknown_good_2.drl\nknown_good_2.grb\n"
                        "known_good_3.drl\nknown_good_3.grb\n");
        std::istringstream names(left);
        for (std::string name; names >> name;)
            EXPECT_EQ(read_file(dir.file(name)), golden(name));
    }
    EXPECT_EQ(prompts.asked().size(), 2 * 22u); // each name given, none without a code
}

// The form in the user's locale, as tests/data/disk/geometry_form.txt shows: each case's echo
// of the typed texts, nothing for Esc, then the echo of the offered texts confirmed. It takes a
// number's leading part ("46abc", and "7.5" under a decimal comma); text without one keeps the
// field; values whose "%f" text would not fit the 19 characters of the field, inf and nan are
// refused.
TEST_F(DiskCommand, GeometryForm) {
    // clang-format off
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"C", {"46abc", "abc", "1e2", "-3", "0"}}, {"de_DE.UTF-8", {"46,5", "abc", "1e2", "-0,25", "7.5"}},
        {"C", {"2e12", "inf", "nan", "-2e11", "1e12"}}};
    // clang-format on
    std::string echoed;
    for (const auto& c : cases) {
        ASSERT_TRUE(setlocale(LC_ALL, c.first)) << c.first << ": scripts/deps.sh test makes it";
        std::copy(initial, initial + 5, geometry);
        prompts.answer(c.second);
        prompts.escape();
        prompts.answer(std::vector<std::string>{});
        for (int i = 0; i < 3; ++i)
            echoed += run(sub_ChangeGeometry, {});
    }
    EXPECT_EQ(echoed, golden("geometry_form.txt"));
}

} // namespace
