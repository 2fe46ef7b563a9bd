// Terminal sizes: wide, small, too small, and resizes while running.
#include <algorithm>

#include <gtest/gtest.h>

#include "tests/e2e/harness.h"
#include "tests/support/test_support.h"

namespace {

const char help_line[] = "Use arrow keys and Enter to select";
const char title[] = "Single Track Gray Code Generator.";
const char corner[] = "\u250c";

struct Program {
    testing_support::TempDir dir;
    e2e::Session s;
    Program(int rows, int cols) : s(options(dir, rows, cols)) {}
    static e2e::Options options(const testing_support::TempDir& dir, int rows, int cols) {
        e2e::Options o;
        o.cwd = dir.path();
        o.rows = rows;
        o.cols = cols;
        return o;
    }
};

// The four panes of a rows x cols layout: title and bar, blue body, status line.
void expect_layout(e2e::Session& s, int rows, int cols) {
    EXPECT_TRUE(s.settle(100));
    // The title, up to where the clock covers it on narrow terminals.
    int shown = std::min(33, cols - 25);
    EXPECT_EQ(s.text_at(0, 2, shown), std::string(title).substr(0, static_cast<size_t>(shown)));
    EXPECT_EQ(s.cell(0, cols - 1).bg, e2e::cyan);
    EXPECT_EQ(s.text_at(0, cols - 20, 1), "-") << "the clock ends two columns before the edge";
    EXPECT_EQ(s.text_at(1, 0, 29), " File    STGC    Export  Help");
    EXPECT_EQ(s.cell(1, cols - 1).bg, e2e::cyan);
    EXPECT_EQ(s.cell(2, 0).bg, e2e::blue);
    EXPECT_EQ(s.cell(rows - 3, cols - 1).bg, e2e::blue);
    EXPECT_EQ(s.cell(rows - 2, 0).bg, e2e::cyan);
    EXPECT_EQ(s.cell(rows - 1, cols - 1).bg, e2e::cyan);
}

::testing::AssertionResult wait_layout(e2e::Session& s, int rows, int cols) {
    return s.wait_until(
        [&] {
            return s.text_at(0, cols - 20, 1) == "-" &&
                   s.row(rows - 1).find(help_line) != std::string::npos &&
                   s.cell(rows - 3, 0).bg == e2e::blue;
        },
        "the layout for " + std::to_string(rows) + " x " + std::to_string(cols));
}

void show_manual(e2e::Session& s) {
    s.press("h");
    ASSERT_TRUE(s.wait_for("Instruction Manual"));
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("3.6. Text file = Text file with STGC table"));
    s.press("Esc");
    ASSERT_TRUE(s.wait_until([&] { return !s.contains(corner); }, "the pull-down closed"));
}

TEST(Layout, ThreeHundredColumns) {
    Program p(30, 300);
    e2e::Session& s = p.s;
    ASSERT_TRUE(wait_layout(s, 30, 300));
    expect_layout(s, 30, 300);
    EXPECT_EQ(s.text_at(0, 277, 1), " ") << "the clock starts at column COLS - 23";
    EXPECT_NE(s.text_at(0, 297, 1), " ");
    EXPECT_EQ(s.text_at(0, 298, 2), "  ") << "and ends two columns before the edge";
    show_manual(s);
    s.press("Right", 2); // from Help round to STGC
    ASSERT_TRUE(s.wait_for_row(29, "Sigle Track Gray Code generator"));
    EXPECT_EQ(s.cell(29, 297).bg, e2e::cyan);
    s.press("Enter");
    ASSERT_TRUE(s.wait_for_row(4, "Generate STGC by Cog Number"));
    s.press("Esc");
    s.press("f");
    ASSERT_TRUE(s.wait_for("Manual input"));
    s.press("e");
    ASSERT_TRUE(s.wait_exit());
    EXPECT_EQ(s.exit_status(), 0);
    EXPECT_TRUE(s.terminal_restored());
}

TEST(Layout, TenByFortyKeepsMenusOnScreen) {
    Program p(10, 40);
    e2e::Session& s = p.s;
    ASSERT_TRUE(wait_layout(s, 10, 40));
    expect_layout(s, 10, 40);
    // Export's 8-row pull-down fits below the bar; Gerber/Excellon (31 wide at column 17)
    // is moved left onto the screen.
    s.press("e");
    ASSERT_TRUE(s.wait_for_row(8, "Text file"));
    EXPECT_EQ(s.cell(2, 16).text, corner);
    s.press("g");
    ASSERT_TRUE(s.wait_for("Gerber+Excellon for holes"));
    EXPECT_EQ(s.cell(3, 9).text, corner);
    EXPECT_EQ(s.text_at(4, 11, 11), "Gerber only");
    s.press("Up");
    ASSERT_TRUE(s.wait_for_row(9, "All holes in Excellon"));
    s.press("Esc");
    s.press("Esc");
    ASSERT_TRUE(s.wait_until([&] { return !s.contains(corner); }, "the pull-downs closed"));
    expect_layout(s, 10, 40);
}

TEST(Layout, ResizeBiggerAndSmallerKeepsTheNewestBodyText) {
    Program p(24, 80);
    e2e::Session& s = p.s;
    ASSERT_TRUE(wait_layout(s, 24, 80));
    show_manual(s);

    s.resize(30, 100);
    ASSERT_TRUE(wait_layout(s, 30, 100));
    expect_layout(s, 30, 100);
    EXPECT_TRUE(s.contains("*** Single Track Gray Code (STGC) )Generator ***"));
    EXPECT_TRUE(s.contains("3.6. Text file = Text file with STGC table"));

    s.resize(12, 60);
    ASSERT_TRUE(wait_layout(s, 12, 60));
    expect_layout(s, 12, 60);
    // Eight body rows: the last lines written are the ones kept.
    EXPECT_TRUE(s.contains("3.6. Text file = Text file with STGC table"));
    EXPECT_FALSE(s.contains("1. File."));

    // The menus work in the new layout (the bar is still on Help).
    s.press("Enter");
    ASSERT_TRUE(s.wait_for_row(3, "Instruction Manual"));
    EXPECT_EQ(s.cell(2, 24).text, corner);
}

TEST(Layout, OpenPullDownIsPlacedAgainAfterAResize) {
    Program p(24, 80);
    e2e::Session& s = p.s;
    ASSERT_TRUE(wait_layout(s, 24, 80));
    s.press("e");
    ASSERT_TRUE(s.wait_for("Change Geometry"));
    s.press("g");
    ASSERT_TRUE(s.wait_for("Gerber only"));
    s.resize(9, 40);
    ASSERT_TRUE(s.wait_until([&] { return s.text_at(0, 20, 1) == "-"; }, "the new layout"));
    ASSERT_TRUE(s.wait_for("Gerber+Excellon for holes"));
    EXPECT_EQ(s.cell(3, 9).text, corner);
    EXPECT_EQ(s.cell(1, 17).bg, e2e::black) << "Export stays highlighted on the bar";
    // Esc goes back to the Export pull-down, placed for the new size too.
    s.press("Esc");
    ASSERT_TRUE(s.wait_for("Change Geometry"));
    EXPECT_EQ(s.cell(1, 16).text, corner) << "eight rows moved up by one to fit nine";
}

TEST(Layout, TooSmallShowsANoticeUntilTheTerminalGrows) {
    Program p(24, 80);
    e2e::Session& s = p.s;
    ASSERT_TRUE(wait_layout(s, 24, 80));
    show_manual(s);
    s.resize(6, 30);
    ASSERT_TRUE(s.wait_for_row(0, "Terminal too small"));
    EXPECT_TRUE(s.contains("Exit: Esc Esc Esc f e"));
    // Keys still work meanwhile: open File, move, close again.
    s.press("Enter");
    s.press("Down");
    s.press("Esc");
    ASSERT_TRUE(s.settle(200));
    EXPECT_TRUE(s.contains("Terminal too small"));
    s.resize(24, 80);
    ASSERT_TRUE(wait_layout(s, 24, 80));
    expect_layout(s, 24, 80);
    EXPECT_TRUE(s.contains("3.6. Text file = Text file with STGC table"));
    EXPECT_FALSE(s.contains("Terminal too small"));
    s.press("Enter"); // the bar is still on Help
    ASSERT_TRUE(s.wait_for_row(3, "Instruction Manual"));
}

TEST(Layout, StartingTooSmallAndLeavingThroughTheMenus) {
    Program p(5, 20);
    e2e::Session& s = p.s;
    ASSERT_TRUE(s.wait_for_row(0, "Terminal too small"));
    s.press("Esc", 3);
    s.press("f");
    s.press("e");
    ASSERT_TRUE(s.wait_exit());
    EXPECT_EQ(s.exit_status(), 0);
    EXPECT_TRUE(s.terminal_restored());
}

TEST(Layout, HelpWrittenWhileTooSmallShowsWhenTheTerminalGrows) {
    Program p(24, 80);
    e2e::Session& s = p.s;
    ASSERT_TRUE(wait_layout(s, 24, 80));
    s.resize(4, 20);
    ASSERT_TRUE(s.wait_for_row(0, "Terminal too small"));
    s.press("h");
    s.press("a"); // Authors Info, written while there is no body pane
    s.press("Esc");
    ASSERT_TRUE(s.settle(300));
    s.resize(24, 80);
    ASSERT_TRUE(wait_layout(s, 24, 80));
    ASSERT_TRUE(s.wait_for("Programmer: "));
}

} // namespace
