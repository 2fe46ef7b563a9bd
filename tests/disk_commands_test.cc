// The disk commands: the SVG plot and Gerber/Excellon exports with their messages and the files
// they leave, and the Change Geometry form; in the C locale and a decimal-comma one.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>

#include "code/runlist.h"
#include "export/disk_commands.h"
#include "export/disk_geometry.h"
#include "tests/support/test_support.h"

using testing_support::read_file;

namespace {

const float* const initial = testing_support::initial_geometry;
const char* const locales[] = {"C", "de_DE.UTF-8"}; // the test set-up generates the second

std::string golden(const std::string& name) {
    return read_file(STGC_SOURCE_DIR "/tests/data/disk/" + name);
}

class DiskCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        std::copy(initial, initial + 5, geometry);
        replace_global_stgc(make_runlist(testing_support::known_good));
    }
    void TearDown() override {
        replace_global_stgc(nullptr);
        setlocale(LC_ALL, "C");
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
    std::string file(const std::string& name) const { return dir.file(name); }
    testing_support::TempDir dir;
    testing_support::ScriptedPrompts prompts;
};

// Every command writes the known disk silently, byte for byte as the golden files, with a
// decimal point in every locale; placement 0 writes no drill file.
TEST_F(DiskCommand, WritesTheGoldenFiles) {
    void (*const gerber_commands[4])() = {do_Gerb_0, do_Gerb_1, do_Gerb_2, do_Gerb_3};
    for (const char* locale : locales) {
        if (!setlocale(LC_ALL, locale)) GTEST_SKIP() << "no " << locale;
        EXPECT_EQ(run(sub_SVG, {"d.svg"}), "");
        EXPECT_EQ(read_file(file("d.svg")), golden("known_good.svg"));
        for (int placement = 0; placement < 4; ++placement) {
            const std::string number = placement ? "_" + std::to_string(placement) : "";
            const std::string grb = locale + number + ".grb", drl = locale + number + ".drl";
            std::vector<const char*> names = {grb.c_str(), drl.c_str()};
            names.resize(placement ? 2 : 1);
            EXPECT_EQ(run(gerber_commands[placement], names), "");
            EXPECT_EQ(read_file(file(grb)), golden("known_good" + number + ".grb"));
            EXPECT_EQ(read_file(file(drl)),
                      placement ? golden("known_good" + number + ".drl") : "");
        }
    }
}

// Refusals and failures, in the pane of tests/data/disk/refusals.txt, leave no file: not even
// a message on standard output for a disk too large for the drill file.
TEST_F(DiskCommand, RefusalsAndFailuresAreToldInThePane) {
    const std::vector<int> none, known = testing_support::known_good;
    const struct {
        const std::vector<int>* runs; // null: no code, nothing asked
        void (*command)();
        std::vector<const char*> names;
        float outer;
    } cases[] = {
        {nullptr, sub_SVG, {}, 180},
        {nullptr, do_Gerb_3, {}, 180},
        {&none, sub_SVG, {"e.svg"}, 180},
        {&none, do_Gerb_0, {"e.grb"}, 180}, // holes only
        {&known, sub_SVG, {"no/such.svg"}, 180},
        {&known, sub_SVG, {"big.svg"}, 150000},
        {&known, sub_SVG, {"nan.svg"}, NAN},
        {&known, do_Gerb_0, {"big.grb"}, 250000},
        {&known, do_Gerb_2, {"a.grb", "."}, 180},
        {&known, do_Gerb_3, {"same", "same"}, 180},
        {&known, do_Gerb_3, {"big.grb", "big.drl"}, 10000},
    };
    testing::internal::CaptureStdout();
    std::string told;
    for (const auto& c : cases) {
        replace_global_stgc(c.runs ? make_runlist(*c.runs) : nullptr);
        geometry[0] = c.outer;
        told += run(c.command, c.names);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(told, golden("refusals.txt"));
    EXPECT_EQ(prompts.asked().size(), 12u); // each name given, none without a code
    EXPECT_EQ(read_file(file("e.svg")), golden("empty.svg"));
    EXPECT_EQ(read_file(file("e.grb")), golden("empty.grb"));
    std::string left; // and the Gerber file of the pair whose drill file failed
    testing_support::run_command("ls '" + dir.path() + "'", &left);
    EXPECT_EQ(left, "a.grb\ne.grb\ne.svg\n");
}

// The form in the user's locale, as tests/data/disk/geometry_form.txt shows: each case's echo
// of the typed texts, nothing for Esc, then the echo of the offered texts confirmed. It takes a
// number's leading part ("46abc", and "7.5" under a decimal comma); text without one keeps the
// field; values whose "%f" text would not fit the 19 characters of the field, inf and nan are
// refused.
TEST_F(DiskCommand, GeometryForm) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"C", {"46abc", "abc", "1e2", "-3", "0"}},
        {"de_DE.UTF-8", {"46,5", "abc", "1e2", "-0,25", "7.5"}},
        {"C", {"2e12", "inf", "nan", "-2e11", "1e12"}},
    };
    std::string echoed;
    for (const auto& c : cases) {
        if (!setlocale(LC_ALL, c.first)) GTEST_SKIP() << "no " << c.first;
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
