// Walking the menu tree: arrows, wrap-around, nesting, Esc and hot keys.
#include <gtest/gtest.h>

#include "tests/e2e/harness.h"
#include "tests/support/test_support.h"

namespace {

const char help_line[] = "Use arrow keys and Enter to select";
const char corner[] = "\u250c"; // the pull-down's top-left border character

class Menus : public ::testing::Test {
  protected:
    Menus() : session(options()) {}
    e2e::Options options() {
        e2e::Options o;
        o.cwd = dir.path();
        return o;
    }
    void SetUp() override { ASSERT_TRUE(session.wait_for(help_line)); }

    // True when the cell shows the highlight: white on black, bold.
    bool highlighted(int row, int col) {
        e2e::Cell c = session.cell(row, col);
        return c.fg == e2e::white && c.bg == e2e::black && c.bold;
    }
    ::testing::AssertionResult wait_highlight(int row, int col) {
        return session.wait_until([&] { return highlighted(row, col); },
                                  "highlight at row " + std::to_string(row) + ", column " +
                                      std::to_string(col));
    }
    ::testing::AssertionResult wait_status(const std::string& text) {
        return session.wait_until(
            [&] { return session.text_at(23, 2, static_cast<int>(text.size()) + 1) == text + " "; },
            "status line \"" + text + "\"");
    }
    ::testing::AssertionResult wait_no_pulldown() {
        return session.wait_until([&] { return !session.contains(corner); }, "no pull-down");
    }

    testing_support::TempDir dir;
    e2e::Session session;
};

TEST_F(Menus, BarWrapsAroundAndShowsDescriptions) {
    e2e::Session& s = session;
    s.press("Left");
    ASSERT_TRUE(wait_highlight(1, 24));
    ASSERT_TRUE(wait_status("Information about program"));
    EXPECT_FALSE(highlighted(1, 0));
    s.press("Right");
    ASSERT_TRUE(wait_highlight(1, 0));
    ASSERT_TRUE(wait_status("File Open, Save, Input. +Exit"));
    s.press("Right");
    ASSERT_TRUE(wait_status("Sigle Track Gray Code generator"));
    EXPECT_TRUE(highlighted(1, 8));
    s.press("Right");
    ASSERT_TRUE(wait_status("SVG, Gerber, Excellon, Assembler, C++"));
    s.press("Right");
    ASSERT_TRUE(wait_status("Information about program"));
    s.press("Right");
    ASSERT_TRUE(wait_status("File Open, Save, Input. +Exit"));
    EXPECT_TRUE(highlighted(1, 0));
}

TEST_F(Menus, DownOpensUpDoesNothingOnTheBar) {
    e2e::Session& s = session;
    s.press("Up");
    ASSERT_TRUE(s.settle(300));
    EXPECT_FALSE(s.contains(corner));
    EXPECT_TRUE(highlighted(1, 0));
    EXPECT_TRUE(s.contains(help_line));
    s.press("Down");
    ASSERT_TRUE(s.wait_for_row(3, "Load"));
    EXPECT_EQ(s.cell(2, 0).text, corner);
    EXPECT_EQ(s.text_at(3, 0, 16), "\u2502 Load         \u2502");
    EXPECT_TRUE(highlighted(3, 1));
    EXPECT_TRUE(highlighted(3, 14));
    EXPECT_FALSE(highlighted(4, 1));
    EXPECT_EQ(s.cell(4, 2).bg, e2e::cyan);
    ASSERT_TRUE(wait_status("Load STGC from file"));
}

TEST_F(Menus, PullDownWrapsAround) {
    e2e::Session& s = session;
    s.press("Enter");
    ASSERT_TRUE(wait_highlight(3, 2));
    s.press("Up");
    ASSERT_TRUE(wait_highlight(6, 2));
    ASSERT_TRUE(wait_status("Terminate program"));
    EXPECT_FALSE(highlighted(3, 2));
    s.press("Down");
    ASSERT_TRUE(wait_highlight(3, 2));
    ASSERT_TRUE(wait_status("Load STGC from file"));
    s.press("Down", 2);
    ASSERT_TRUE(wait_status("Input STGC manually"));
    EXPECT_TRUE(highlighted(5, 2));
}

TEST_F(Menus, LeftAndRightMoveToTheNeighbouringPullDown) {
    e2e::Session& s = session;
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Manual input"));
    s.press("Right");
    ASSERT_TRUE(s.wait_for_row(3, "Generate STGC by Quality"));
    EXPECT_EQ(s.cell(2, 8).text, corner);
    EXPECT_FALSE(s.contains("Manual input"));
    EXPECT_TRUE(highlighted(1, 8));
    s.press("Left");
    ASSERT_TRUE(s.wait_for("Manual input"));
    s.press("Left");
    ASSERT_TRUE(s.wait_for_row(3, "Instruction Manual"));
    EXPECT_EQ(s.cell(2, 24).text, corner);
    EXPECT_TRUE(highlighted(1, 24));
    EXPECT_FALSE(s.contains("Manual input"));
}

TEST_F(Menus, NestedPullDownOpensInsideItsParentAndLeftGoesToStgc) {
    e2e::Session& s = session;
    s.press("Right", 2);
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Change Geometry"));
    EXPECT_EQ(s.cell(2, 16).text, corner);
    s.press("Down", 2);
    ASSERT_TRUE(wait_status("Files for CNC production"));
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Gerber only"));
    EXPECT_EQ(s.cell(3, 17).text, corner);
    EXPECT_EQ(s.text_at(4, 19, 11), "Gerber only");
    EXPECT_FALSE(s.contains("Change Geometry")); // the parent's box is hidden meanwhile
    s.press("Left");
    ASSERT_TRUE(s.wait_for_row(3, "Generate STGC by Quality"));
    EXPECT_EQ(s.cell(2, 8).text, corner);
    EXPECT_FALSE(s.contains("Gerber only"));
    EXPECT_FALSE(s.contains("Change Geometry"));
    EXPECT_TRUE(highlighted(1, 8));
}

TEST_F(Menus, EscClosesOnlyTheInnermostPullDown) {
    e2e::Session& s = session;
    s.press("Right", 2);
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Change Geometry"));
    s.press("g");
    ASSERT_TRUE(s.wait_for("Gerber only"));
    s.press("Esc");
    ASSERT_TRUE(
        s.wait_until([&] { return s.contains("Change Geometry") && !s.contains("Gerber only"); },
                     "the Export pull-down back"));
    EXPECT_EQ(s.cell(2, 16).text, corner);
    EXPECT_TRUE(highlighted(5, 17)); // "Gerber/Excellon plot" still selected
    ASSERT_TRUE(wait_status("Files for CNC production"));
    s.press("Esc");
    ASSERT_TRUE(wait_no_pulldown());
    ASSERT_TRUE(wait_status(help_line));
    EXPECT_TRUE(highlighted(1, 16));
    EXPECT_FALSE(s.exited());
}

TEST_F(Menus, SharedHotKeysRunTheNextMatchingEntry) {
    e2e::Session& s = session;
    // Export, then G: "Gerber/Excellon plot" is chosen and its pull-down opens at once.
    s.press("e");
    ASSERT_TRUE(s.wait_for("Change Geometry"));
    s.press("G");
    ASSERT_TRUE(s.wait_for("Gerber only"));
    ASSERT_TRUE(wait_highlight(4, 19));
    // G with the first entry highlighted runs the second; the pull-down stays open on it.
    s.press("G");
    ASSERT_TRUE(wait_status("Central in gerber, mount in Excellon"));
    ASSERT_TRUE(s.wait_for("STGC is not generated!"));
    ASSERT_TRUE(wait_highlight(5, 19));
    EXPECT_FALSE(highlighted(4, 19));
    EXPECT_TRUE(s.contains("Gerber only"));
}

TEST_F(Menus, HotKeyInStgcPullDownDependsOnTheSelection) {
    e2e::Session& s = session;
    s.press("s");
    ASSERT_TRUE(s.wait_for("Generate STGC by Quality"));
    ASSERT_TRUE(wait_highlight(3, 10));
    // From "by Quality", g runs "by Cog Number" (it asks for the heads; Esc leaves).
    s.press("g");
    ASSERT_TRUE(s.wait_for("Number of Heads (3..20):"));
    s.press("Esc");
    ASSERT_TRUE(wait_highlight(4, 10));
    EXPECT_FALSE(highlighted(3, 10));
    // From "Test STGC", g runs "by Quality".
    s.press("Down");
    ASSERT_TRUE(wait_highlight(5, 10));
    s.press("g");
    ASSERT_TRUE(s.wait_for("Number of Heads (3..20):"));
    s.press("Esc");
    ASSERT_TRUE(wait_highlight(3, 10));
    EXPECT_FALSE(highlighted(5, 10));
}

TEST_F(Menus, KeysMatchingNothingChangeNothing) {
    e2e::Session& s = session;
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Manual input"));
    s.press("Down");
    ASSERT_TRUE(wait_status("Save STGC to file"));
    ASSERT_TRUE(s.settle(200));
    std::string before = s.screen();
    s.press("x");
    s.press("7");
    s.press("F5");
    s.press("C-a");
    ASSERT_TRUE(s.settle(300));
    EXPECT_EQ(s.screen().substr(s.screen().find('\n')), before.substr(before.find('\n')));
    EXPECT_TRUE(highlighted(4, 2));
}

TEST_F(Menus, HelpTwiceShowsTheTextTwice) {
    e2e::Session& s = session;
    s.press("h");
    ASSERT_TRUE(s.wait_for("Instruction Manual"));
    s.press("Down");
    ASSERT_TRUE(wait_status("Information about Build"));
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Program STGC v.150419c"));
    s.press("Enter");
    ASSERT_TRUE(s.wait_until(
        [&] {
            int count = 0;
            for (int r = 2; r < 22; ++r)
                if (s.row(r).find("Program STGC v.150419c") != std::string::npos) ++count;
            return count == 2;
        },
        "the build information twice"));
    // After the action the pull-down is back with the same entry highlighted.
    ASSERT_TRUE(s.wait_for("Authors Info"));
    ASSERT_TRUE(wait_highlight(4, 26));
    ASSERT_TRUE(wait_status("Information about Build"));
}

TEST_F(Menus, FileExitFromAnywhereInTheTree) {
    e2e::Session& s = session;
    s.press("e");
    ASSERT_TRUE(s.wait_for("Change Geometry"));
    s.press("g");
    ASSERT_TRUE(s.wait_for("Gerber only"));
    s.press("Right"); // out of both pull-downs, on to Help
    ASSERT_TRUE(s.wait_for("Instruction Manual"));
    s.press("Right"); // on to File
    ASSERT_TRUE(s.wait_for("Manual input"));
    s.press("e");
    ASSERT_TRUE(s.wait_exit());
    EXPECT_EQ(s.exit_status(), 0);
    EXPECT_TRUE(s.terminal_restored());
}

} // namespace
