// Terminal edge cases: every pull-down and a form on a very wide and on a 10 x 40 terminal,
// typed bytes above 127 in a non-UTF-8 locale, and Ctrl-Z under a shell with job control.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "tests/e2e/harness.h"
#include "tests/support/test_support.h"

using testing_support::file_exists;
using testing_support::read_file;
using testing_support::TempDir;

namespace {

const char help_line[] = "Use arrow keys and Enter to select";
const char title[] = "Single Track Gray Code Generator.";
const char corner[] = "\u250c";

e2e::Options options_for(const TempDir& dir, int rows, int cols) {
    e2e::Options o;
    o.cwd = dir.path();
    o.rows = rows;
    o.cols = cols;
    return o;
}

// Nothing scrolled or drawn past the edges: the title still on row 0, the bar on row 1, the
// status area's colour on the last row up to the last column.
void expect_frame(e2e::Session& s) {
    const int shown = std::min(17, s.cols() - 25);
    EXPECT_EQ(s.text_at(0, 2, shown), std::string(title).substr(0, static_cast<size_t>(shown)));
    EXPECT_EQ(s.text_at(1, 0, 29), " File    STGC    Export  Help");
    EXPECT_EQ(s.cell(s.rows() - 1, s.cols() - 1).bg, e2e::cyan);
    EXPECT_EQ(s.cell(0, s.cols() - 1).bg, e2e::cyan);
}

// Opens each pull-down from the bar by its hot key and closes it with Esc, the Gerber/Excellon
// one from inside Export; checks the frame each time.
void walk_every_pulldown(e2e::Session& s) {
    const struct {
        const char* key;
        const char* entry;
    } bar[] = {
        {"f", "Manual input"}, {"s", "Test STGC"}, {"e", "Text file"}, {"h", "Authors Info"}};
    for (const auto& menu : bar) {
        s.press(menu.key);
        ASSERT_TRUE(s.wait_for(menu.entry)) << menu.key;
        expect_frame(s);
        if (std::string(menu.key) == "e") {
            s.press("g");
            ASSERT_TRUE(s.wait_for("Gerber+Excellon for holes"));
            expect_frame(s);
            s.press("Esc");
            ASSERT_TRUE(s.wait_until([&] { return !s.contains("Gerber only"); }, "Gerber closed"));
        }
        s.press("Esc");
        ASSERT_TRUE(s.wait_until([&] { return !s.contains(corner); }, "the pull-down closed"));
        ASSERT_TRUE(s.wait_for_row(s.rows() - 1, help_line));
    }
}

// File -> Manual input with `code`, then STGC -> Test STGC: the result line appears.
void type_and_test(e2e::Session& s, const std::string& code, const std::string& result) {
    s.press("f");
    ASSERT_TRUE(s.wait_for("Manual input"));
    s.press("m");
    ASSERT_TRUE(s.wait_for("STGC (manually):"));
    s.type(code);
    s.press("Enter");
    s.press("Esc");
    s.press("s");
    ASSERT_TRUE(s.wait_for("Test STGC"));
    s.press("t");
    s.press("Esc"); // the pull-down covers the message pane
    ASSERT_TRUE(s.wait_for(result));
}

void exit_cleanly(e2e::Session& s) {
    s.press("f");
    ASSERT_TRUE(s.wait_for("Manual input"));
    s.press("e");
    ASSERT_TRUE(s.wait_exit());
    EXPECT_EQ(s.exit_status(), 0);
    EXPECT_TRUE(s.terminal_restored());
}

TEST(Terminal, ThreeHundredColumnsEveryPullDownAndTheGeometryForm) {
    TempDir dir;
    e2e::Session s(options_for(dir, 30, 300));
    ASSERT_TRUE(s.wait_for_row(29, help_line));
    walk_every_pulldown(s);
    // The five-field form is centred in the 26 x 300 body: 7 x 52 at row 9, column 124.
    s.press("e");
    ASSERT_TRUE(s.wait_for("Change Geometry"));
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Ext Diameter with Cog        180.000000"));
    EXPECT_EQ(s.cell(2 + 9, 124).text, corner);
    EXPECT_EQ(s.cell(2 + 9 + 6, 124 + 51).text, "\u2518");
    s.type("200");
    s.press("Enter", 5);
    s.press("Esc");
    ASSERT_TRUE(s.wait_for("Ext Diameter with Cog : 200.000000 mm"));
    expect_frame(s);
    // A status line of 297 columns: wider than 257, padded to the end, nothing wrapped.
    s.press("Right");
    ASSERT_TRUE(s.wait_for_row(29, "Information about program"));
    EXPECT_EQ(s.text_at(29, 260, 38), std::string(38, ' '));
    EXPECT_EQ(s.cell(29, 299).bg, e2e::cyan);
    EXPECT_EQ(s.row(28), std::string(300, ' ')) << "the error line stays empty";
    exit_cleanly(s);
}

TEST(Terminal, TenByFortyEveryPullDownAndATypedCode) {
    TempDir dir;
    e2e::Session s(options_for(dir, 10, 40));
    ASSERT_TRUE(s.wait_for_row(9, help_line));
    walk_every_pulldown(s);
    // The 70-column box cannot be shown: the form is drawn in the pane itself and the field
    // shows the part of the text around the cursor.
    type_and_test(s, "10,3,5,18,14,3,4,8,6,6,5,6,10,3,13,4,5,12,4,13,4", "Bad STGC !");
    type_and_test(s, "3,5", "STGC is good!");
    expect_frame(s);
    exit_cleanly(s);
}

// Saves the current code under a name typed with a byte above 127 (é in Latin-1).
void save_as_cafe(e2e::Session& s) {
    s.press("f");
    ASSERT_TRUE(s.wait_for("Manual input"));
    s.press("s");
    ASSERT_TRUE(s.wait_for("Ouput Text File (STGC): output.stgc"));
    s.type("caf\xe9.stgc");
    s.press("Enter");
    s.press("Esc");
    ASSERT_TRUE(s.wait_for("...Opening..."));
}

TEST(Terminal, CLocaleIgnoresBytesAbove127) {
    TempDir dir;
    e2e::Options o = options_for(dir, 24, 80);
    o.locale = "C";
    e2e::Session s(o);
    ASSERT_TRUE(s.wait_for(help_line));
    const std::string typed = std::string("3,") + "\xb5\xff" + "5";
    type_and_test(s, typed, "STGC is good!");
    save_as_cafe(s);
    // Not a printable character here: left out, not turned into another one.
    EXPECT_EQ(read_file(dir.file("caf.stgc")), "3,5");
    expect_frame(s);
    exit_cleanly(s);
}

TEST(Terminal, Latin1LocaleTakesBytesAbove127) {
    TempDir locales;
    const std::string name = "de_DE.ISO-8859-1";
    if (testing_support::run_command("localedef -f ISO-8859-1 -i de_DE '" + locales.file(name) +
                                     "'") != 0 ||
        !file_exists(locales.file(name)))
        GTEST_SKIP() << "localedef cannot build " << name;
    TempDir dir;
    e2e::Options o = options_for(dir, 24, 80);
    o.locale = name;
    o.env.push_back("LOCPATH=" + locales.path());
    e2e::Session s(o);
    ASSERT_TRUE(s.wait_for(help_line));
    type_and_test(s, "3,5", "STGC is good!");
    save_as_cafe(s);
    EXPECT_EQ(read_file(dir.file("caf\xe9.stgc")), "3,5");
    expect_frame(s);
    exit_cleanly(s);
}

// A shell with job control that runs the program, waits for a line after it stopped, and
// brings it back to the foreground.
const char job_shell[] = R"(#!/bin/bash
set -m
"$STGC_UNDER_TEST"
status=$?
if [ $status -eq 148 ]; then
    echo "stopped by Ctrl-Z"
    read -r answer
    fg >/dev/null
    status=$?
fi
exit $status
)";

TEST(Terminal, CtrlZSuspendsAndTheScreenComesBack) {
    if (!file_exists("/bin/bash")) GTEST_SKIP() << "no /bin/bash";
    TempDir dir;
    testing_support::write_file(dir.file("job-shell"), job_shell);
    ASSERT_EQ(chmod(dir.file("job-shell").c_str(), 0700), 0);
    e2e::Options o = options_for(dir, 24, 80);
    o.binary = dir.file("job-shell");
    o.env.push_back(std::string("STGC_UNDER_TEST=") + STGC_BINARY);
    e2e::Session s(o);
    ASSERT_TRUE(s.wait_for(help_line));
    s.press("f");
    ASSERT_TRUE(s.wait_for("Manual input"));
    s.press("m");
    ASSERT_TRUE(s.wait_for("STGC (manually):"));
    s.type("3,");
    // Keys typed ahead of a Ctrl-Z are dropped by the terminal: wait until they are taken.
    ASSERT_TRUE(s.wait_for("STGC (manually): 3,"));

    s.press("C-z");
    ASSERT_TRUE(s.wait_for("stopped by Ctrl-Z"));
    EXPECT_TRUE(s.terminal_restored()) << "the shell gets its terminal back";
    s.type("\n");

    // Back where it stopped: the form, its text, the editor's state.
    ASSERT_TRUE(s.wait_for("STGC (manually): 3,"));
    EXPECT_TRUE(s.in_alternate_screen());
    s.type("5");
    s.press("Enter");
    s.press("Esc");
    s.press("s");
    ASSERT_TRUE(s.wait_for("Test STGC"));
    s.press("t");
    s.press("Esc");
    ASSERT_TRUE(s.wait_for("STGC is good!"));
    exit_cleanly(s);
}

} // namespace
