// The start screen, its colours and clock, leaving the program, and signals.
#include <signal.h>

#include <gtest/gtest.h>

#include "tests/e2e/harness.h"
#include "tests/support/test_support.h"

namespace {

const char title[] = "Single Track Gray Code Generator.";
const char help_line[] = "Use arrow keys and Enter to select";

struct Started {
    testing_support::TempDir dir;
    e2e::Session session;
    explicit Started(int rows = 24, int cols = 80) : session(options(dir, rows, cols)) {}
    static e2e::Options options(const testing_support::TempDir& dir, int rows, int cols) {
        e2e::Options o;
        o.cwd = dir.path();
        o.rows = rows;
        o.cols = cols;
        return o;
    }
};

void exit_through_file_menu(e2e::Session& s) {
    s.press("f");
    ASSERT_TRUE(s.wait_for("Manual input"));
    s.press("e");
}

TEST(StartScreen, PanesTextsAndColours) {
    Started started;
    e2e::Session& s = started.session;
    ASSERT_TRUE(s.wait_for_row(0, title));
    ASSERT_TRUE(s.wait_for_row(23, help_line));
    EXPECT_EQ(s.text_at(0, 2, 33), title);
    EXPECT_EQ(s.text_at(1, 0, 32), " File    STGC    Export  Help   ");
    EXPECT_EQ(s.text_at(23, 2, 34), help_line);

    // Title line black on cyan.
    EXPECT_EQ(s.cell(0, 2).fg, e2e::black);
    EXPECT_EQ(s.cell(0, 2).bg, e2e::cyan);
    // "File" highlighted: white on black, bold, no reverse video.
    for (int col = 0; col < 8; ++col) {
        e2e::Cell c = s.cell(1, col);
        EXPECT_EQ(e2e::color_name(c.fg), "white") << "column " << col;
        EXPECT_EQ(e2e::color_name(c.bg), "black") << "column " << col;
        EXPECT_TRUE(c.bold);
        EXPECT_FALSE(c.reverse);
    }
    // The other bar entries: white on cyan, bold.
    EXPECT_EQ(s.cell(1, 9).fg, e2e::white);
    EXPECT_EQ(s.cell(1, 9).bg, e2e::cyan);
    EXPECT_TRUE(s.cell(1, 9).bold);
    // The body pane is blue from row 2 to row 21, the status area cyan.
    for (int row : {2, 10, 21}) {
        EXPECT_EQ(s.cell(row, 0).bg, e2e::blue) << "row " << row;
        EXPECT_EQ(s.cell(row, 79).bg, e2e::blue) << "row " << row;
    }
    EXPECT_EQ(s.cell(22, 5).bg, e2e::cyan);
    EXPECT_EQ(s.cell(23, 5).bg, e2e::cyan);
    EXPECT_EQ(s.cell(23, 5).fg, e2e::white);
    EXPECT_TRUE(s.cell(23, 5).bold);
}

TEST(StartScreen, ClockSitsInColumns57To77AndAdvances) {
    Started started;
    e2e::Session& s = started.session;
    ASSERT_TRUE(s.wait_until([&] { return s.text_at(0, 60, 1) == "-"; }, "the clock"));
    std::string clock = s.text_at(0, 57, 21);
    // " dd-mm-yyyy  hh:mm:ss": a space, the date, two spaces, the time; then two free columns.
    EXPECT_EQ(clock[0], ' ');
    EXPECT_EQ(clock.substr(3, 1), "-");
    EXPECT_EQ(clock.substr(6, 1), "-");
    EXPECT_EQ(clock.substr(11, 2), "  ");
    EXPECT_EQ(clock.substr(15, 1), ":");
    EXPECT_EQ(clock.substr(18, 1), ":");
    EXPECT_NE(s.text_at(0, 76, 2), "  ");
    EXPECT_EQ(s.text_at(0, 78, 2), "  ");
    EXPECT_EQ(s.text_at(0, 55, 2), "  ");
    EXPECT_TRUE(
        s.wait_until([&] { return s.text_at(0, 57, 21) != clock; }, "the clock to advance", 4000));
}

TEST(StartScreen, FileExitRestoresTheTerminal) {
    Started started;
    e2e::Session& s = started.session;
    ASSERT_TRUE(s.wait_for(help_line));
    EXPECT_TRUE(s.in_alternate_screen());
    s.press("Enter");
    ASSERT_TRUE(s.wait_for_row(6, "Exit"));
    s.press("Up");
    ASSERT_TRUE(s.wait_for_row(23, "Terminate program"));
    s.press("Enter");
    ASSERT_TRUE(s.wait_exit());
    EXPECT_EQ(s.exit_status(), 0);
    EXPECT_TRUE(s.terminal_restored());
}

TEST(StartScreen, EscNeverEndsTheProgram) {
    Started started;
    e2e::Session& s = started.session;
    ASSERT_TRUE(s.wait_for(help_line));
    s.press("Esc", 3);
    ASSERT_TRUE(s.settle(300));
    EXPECT_FALSE(s.exited());
    EXPECT_TRUE(s.contains(help_line));
    exit_through_file_menu(s);
    ASSERT_TRUE(s.wait_exit());
    EXPECT_EQ(s.exit_status(), 0);
}

TEST(StartScreen, TerminalWithoutColours) {
    testing_support::TempDir dir;
    e2e::Options options;
    options.cwd = dir.path();
    options.term = "xterm-mono";
    e2e::Session s(options);
    ASSERT_TRUE(s.wait_for(help_line));
    EXPECT_EQ(s.cell(1, 1).bg, e2e::default_color);
    EXPECT_TRUE(s.cell(1, 1).bold);
    EXPECT_FALSE(s.cell(1, 1).reverse) << "highlights never use reverse video";
    s.press("f");
    ASSERT_TRUE(s.wait_for("Manual input"));
    s.press("l");
    ASSERT_TRUE(s.wait_for("Ouput Text File (STGC):"));
    // Only the edit field's background shows in reverse video.
    EXPECT_TRUE(s.cell(11, 27).reverse);
    EXPECT_FALSE(s.cell(11, 3).reverse);
    s.press("Esc");
    ASSERT_TRUE(
        s.wait_until([&] { return !s.contains("Ouput Text File (STGC):"); }, "the form closed"));
    s.press("e");
    ASSERT_TRUE(s.wait_exit());
    EXPECT_EQ(s.exit_status(), 0);
    EXPECT_TRUE(s.terminal_restored());
}

TEST(StartScreen, TerminationSignalsRestoreTheTerminal) {
    for (int sig : {SIGTERM, SIGHUP}) {
        Started started;
        e2e::Session& s = started.session;
        ASSERT_TRUE(s.wait_for(help_line));
        s.press("Enter"); // a pull-down open, the cursor hidden
        ASSERT_TRUE(s.wait_for("Manual input"));
        s.signal(sig);
        ASSERT_TRUE(s.wait_exit());
        EXPECT_EQ(s.exit_status(), 128 + sig);
        EXPECT_TRUE(s.terminal_restored()) << "signal " << sig;
    }
}

TEST(StartScreen, InterruptKeysAndSignalsDoNotEndTheProgram) {
    Started started;
    e2e::Session& s = started.session;
    ASSERT_TRUE(s.wait_for(help_line));
    s.press("f");
    ASSERT_TRUE(s.wait_for("Manual input"));
    s.press("m");
    ASSERT_TRUE(s.wait_for("STGC (manually):"));
    // Typed into a form, Ctrl-C and Ctrl-\ are neither characters nor an end.
    s.type("3,");
    s.press("C-c");
    s.send_bytes("\x1c");
    s.type("5");
    ASSERT_TRUE(s.wait_for("STGC (manually): 3,5 "));
    s.signal(SIGINT);
    s.signal(SIGQUIT);
    ASSERT_TRUE(s.settle(300));
    ASSERT_FALSE(s.exited());
    // The code typed before them is the current code.
    s.press("Enter");
    s.press("Esc");
    s.press("s");
    ASSERT_TRUE(s.wait_for("Test STGC"));
    s.press("t");
    s.press("Esc"); // the pull-down covers the message pane
    ASSERT_TRUE(s.wait_for("STGC is good!"));
    exit_through_file_menu(s);
    ASSERT_TRUE(s.wait_exit());
    EXPECT_EQ(s.exit_status(), 0);
    EXPECT_TRUE(s.terminal_restored());
}

} // namespace
