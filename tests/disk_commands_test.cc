// The disk commands: the SVG plot and Gerber/Excellon exports with their messages and the files
// they leave, in the C locale and a decimal-comma one; and with the faults of a user's file
// system, whichever of two files fails: a clear line, the current code and geometry kept, and
// no existing file lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <sstream>

#include "code/decoder.h"
#include "code/runlist.h"
#include "export/disk_commands.h"
#include "export/disk_geometry.h"
#include "tests/support/faults.h"

using testing_support::read_file;

namespace {

const float* const initial = testing_support::initial_geometry;

std::string code_and_geometry() {
    std::ostringstream out;
    out << format_runlist(global_stgc) << std::hexfloat;
    for (float d : geometry)
        out << ' ' << d;
    return out.str();
}

// The case's file is answered at prompt `faulty` (0 or 1); a one-prompt command leaves the
// second answer unread.
faults::write_command exporting(const char* name, void (*command)(), int faulty = 0) {
    return {name,
            [command, faulty](const std::string& path, const std::string& spare) {
                testing_support::ScriptedPrompts prompts;
                prompts.answer(faulty ? spare : path);
                prompts.answer(faulty ? path : spare);
                command();
            },
            [faulty](const std::string&, const std::string& failure) {
                // Both files are opened first: only a failed write comes after the Gerber file.
                if (failure.empty() || faulty == 0 || failure == faults::cant_open) return failure;
                return failure + "The Gerber file was written, the Excellon file was not.\n";
            }};
}

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
        std::string told;
        for (const auto& c : cases) {
            replace_global_stgc(c.runs ? make_runlist(*c.runs) : nullptr);
            geometry[0] = c.outer;
            told += run(c.command, c.names);
        }
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_EQ(told, golden("pane.txt"));
        const std::string left = testing_support::listing(dir.path());
        EXPECT_EQ(left, "empty.grb\nempty.svg\nknown_good.grb\nknown_good.svg\n"
                        "known_good_1.drl\nknown_good_1.grb\nknown_good_2.drl\nknown_good_2.grb\n"
                        "known_good_3.drl\nknown_good_3.grb\n");
        std::istringstream names(left);
        for (std::string name; names >> name;)
            EXPECT_EQ(read_file(dir.file(name)), golden(name));
    }
    const std::string asked = prompts.newly_asked(); // each name given, none without a code
    EXPECT_EQ(std::count(asked.begin(), asked.end(), '\n'), 2 * 22);
}

TEST_F(DiskCommand, EveryExportReportsEveryFaultAndKeepsTheFiles) {
    replace_global_stgc(make_runlist(testing_support::known_good));
    faults::expect_write_faults(exporting("SVG plot", sub_SVG), code_and_geometry);
    faults::expect_write_faults(exporting("Gerber only", do_Gerb_0), code_and_geometry);
    faults::expect_write_faults(exporting("Gerber of two", do_Gerb_3), code_and_geometry);
    faults::expect_write_faults(exporting("Excellon of two", do_Gerb_3, 1), code_and_geometry);
}

} // namespace
