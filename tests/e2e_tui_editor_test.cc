// The line editor and forms as a user meets them: File -> Load ("Ouput Text File (STGC):"),
// File -> Manual input, Export -> SVG plot and Export -> Change Geometry.
#include <string>

#include <gtest/gtest.h>

#include "tests/e2e/harness.h"
#include "tests/support/test_support.h"

namespace {

const char help_line[] = "Use arrow keys and Enter to select";
const char load_prompt[] = "Ouput Text File (STGC):";
// The Load box: 3 x 77 (field 50, label of 23) centred in the 20-row body of 24 x 80.
constexpr int field_row = 11;
constexpr int field_col = 1 + 23 + 3;

class Editor : public ::testing::Test {
  protected:
    Editor() : s(options()) {}
    e2e::Options options() {
        e2e::Options o;
        o.cwd = dir.path();
        return o;
    }
    void SetUp() override { ASSERT_TRUE(s.wait_for(help_line)); }

    void open_load() {
        s.press("f");
        ASSERT_TRUE(s.wait_for("Manual input"));
        s.press("l");
        ASSERT_TRUE(s.wait_for(load_prompt));
    }
    // The field's 50 columns as shown.
    std::string field() { return s.text_at(field_row, field_col, 50); }
    ::testing::AssertionResult wait_field(const std::string& text) {
        std::string padded = text + std::string(50 - text.size(), ' ');
        return s.wait_until([&] { return field() == padded; }, "field \"" + text + "\"");
    }
    // Confirms the form, closes the pull-down that comes back over the messages, and waits
    // for the text that the command wrote.
    ::testing::AssertionResult confirm_and_expect(const std::string& text) {
        s.press("Enter");
        ::testing::AssertionResult back = s.wait_until(
            [&] { return s.contains("\u250c") && !s.contains(load_prompt); }, "the pull-down back");
        if (!back) return back;
        s.press("Esc");
        return s.wait_for(text);
    }

    testing_support::TempDir dir;
    e2e::Session s;
};

TEST_F(Editor, LoadBoxSitsCentredWithItsFieldInFieldColours) {
    open_load();
    ASSERT_TRUE(wait_field("input.stgc"));
    EXPECT_EQ(s.cell(10, 1).text, "\u250c");
    EXPECT_EQ(s.cell(12, 77).text, "\u2518");
    EXPECT_EQ(s.text_at(11, 3, 23), load_prompt);
    // Box black on cyan; field white on black, bold; the cursor at the start of the text.
    EXPECT_EQ(s.cell(11, 3).fg, e2e::black);
    EXPECT_EQ(s.cell(11, 3).bg, e2e::cyan);
    EXPECT_EQ(s.cell(11, field_col).fg, e2e::white);
    EXPECT_EQ(s.cell(11, field_col).bg, e2e::black);
    EXPECT_TRUE(s.cell(11, field_col).bold);
    EXPECT_EQ(s.cell(11, field_col + 49).bg, e2e::black);
    EXPECT_EQ(s.cell(11, field_col + 50).text, "\u2502");
    EXPECT_TRUE(s.cursor_visible());
    EXPECT_EQ(s.cursor_row(), field_row);
    EXPECT_EQ(s.cursor_col(), field_col);
    // The clock keeps running while the editor waits.
    std::string clock = s.text_at(0, 57, 21);
    EXPECT_TRUE(s.wait_until([&] { return s.text_at(0, 57, 21) != clock; }, "the clock", 4000));
    s.press("Esc");
    ASSERT_TRUE(s.wait_until([&] { return !s.contains(load_prompt); }, "the form closed"));
}

TEST_F(Editor, SeventeenCharacterLabelBoxAtRowTenColumnFour) {
    // A current code first, so the SVG command asks for its file.
    s.press("f");
    ASSERT_TRUE(s.wait_for("Manual input"));
    s.press("m");
    ASSERT_TRUE(s.wait_for("STGC (manually):"));
    EXPECT_EQ(s.cell(10, 5).text, "\u250c") << "a 70-column box for a 16-character label";
    s.type("3,3");
    s.press("Enter");
    ASSERT_TRUE(s.wait_until([&] { return !s.contains("STGC (manually):"); }, "the form closed"));
    s.press("Esc");
    s.press("e");
    ASSERT_TRUE(s.wait_for("Change Geometry"));
    s.press("s");
    ASSERT_TRUE(s.wait_for("Ouput File (SVG):"));
    EXPECT_EQ(s.cell(10, 4).text, "\u250c");
    EXPECT_EQ(s.cell(12, 74).text, "\u2518");
    EXPECT_EQ(s.text_at(11, 6, 17), "Ouput File (SVG):");
    EXPECT_EQ(s.text_at(11, 24, 10), "output.svg");
    s.press("Esc");
    ASSERT_TRUE(s.wait_until([&] { return !s.contains("Ouput File (SVG):"); }, "the form closed"));
}

TEST_F(Editor, FirstKeyReplacesTheDefaultRightFirstEditsIt) {
    open_load();
    s.type("x.stgc");
    ASSERT_TRUE(wait_field("x.stgc"));
    EXPECT_EQ(s.cursor_col(), field_col + 6);
    ASSERT_TRUE(confirm_and_expect("x.stgc...Opening..."));
    ASSERT_TRUE(s.wait_for("Can't open file!"));

    // The confirmed name is offered next time; Right first keeps it and overwrites.
    open_load();
    ASSERT_TRUE(wait_field("x.stgc"));
    s.press("Right");
    s.type("YZ");
    ASSERT_TRUE(wait_field("xYZtgc"));
    // At the end of the text overwrite mode extends it.
    s.press("Right", 5);
    s.type("!!");
    ASSERT_TRUE(wait_field("xYZtgc!!"));
    ASSERT_TRUE(confirm_and_expect("xYZtgc!!...Opening..."));
}

TEST_F(Editor, TabAndInsertToggleInsertModeAndKeepTheDefault) {
    open_load();
    s.press("Tab");
    s.type("ab");
    ASSERT_TRUE(wait_field("abinput.stgc"));
    s.press("Insert"); // back to overwrite
    s.type("X");
    ASSERT_TRUE(wait_field("abXnput.stgc"));
    s.press("Insert");
    s.type("Y");
    ASSERT_TRUE(wait_field("abXYnput.stgc"));
    ASSERT_TRUE(confirm_and_expect("abXYnput.stgc...Opening..."));
}

TEST_F(Editor, EraseDeletesBeforeTheCursorOnlyAfterItMoved) {
    open_load();
    s.press("Erase");
    s.press("Left");
    ASSERT_TRUE(s.settle(150));
    EXPECT_EQ(field(), "input.stgc" + std::string(40, ' '));
    s.press("Right", 2);
    s.press("Erase");
    ASSERT_TRUE(wait_field("iput.stgc"));
    // The Backspace key sends the same character.
    s.press("Backspace");
    ASSERT_TRUE(wait_field("put.stgc"));
    // Erase did not end replace-on-type: a printable key still replaces everything.
    ASSERT_TRUE(confirm_and_expect("put.stgc...Opening..."));
    open_load();
    ASSERT_TRUE(wait_field("put.stgc"));
    s.press("Erase");
    s.type("z");
    ASSERT_TRUE(wait_field("z"));
    s.press("Esc");
}

TEST_F(Editor, CtrlWAndKill) {
    open_load();
    s.type("abc def  ");
    ASSERT_TRUE(wait_field("abc def  "));
    s.press("C-w");
    ASSERT_TRUE(wait_field("abc "));
    EXPECT_EQ(s.cursor_col(), field_col + 4);
    s.type("ghi");
    ASSERT_TRUE(wait_field("abc ghi"));
    s.press("Kill");
    ASSERT_TRUE(wait_field(""));
    EXPECT_EQ(s.cursor_col(), field_col);
    s.type("k.stgc");
    ASSERT_TRUE(confirm_and_expect("k.stgc...Opening..."));
}

TEST_F(Editor, FortyNineCharactersInAFiftyWideField) {
    open_load();
    s.type(std::string(60, 'a'));
    ASSERT_TRUE(wait_field(std::string(49, 'a')));
    EXPECT_EQ(s.cursor_col(), field_col + 49);
    ASSERT_TRUE(confirm_and_expect(std::string(49, 'a') + "...Opening..."));
    EXPECT_FALSE(s.contains(std::string(50, 'a')));

    // Insert mode: the text stops at 49 characters wherever the cursor is.
    open_load();
    s.press("Kill");
    s.type("0123456789");
    s.press("Tab");
    s.press("Left", 10);
    s.type(std::string(45, 'b'));
    ASSERT_TRUE(wait_field(std::string(39, 'b') + "0123456789"));
    ASSERT_TRUE(confirm_and_expect(std::string(39, 'b') + "0123456789...Opening..."));
}

TEST_F(Editor, EscRestoresTheTextAndCancelsTheCommand) {
    open_load();
    s.type("changed");
    s.press("Tab");
    s.type("more");
    ASSERT_TRUE(wait_field("changedmore"));
    s.press("Esc");
    ASSERT_TRUE(s.wait_until([&] { return !s.contains(load_prompt); }, "the form closed"));
    ASSERT_TRUE(s.wait_for("Load STGC from file"));
    EXPECT_FALSE(s.contains("...Opening..."));
    EXPECT_TRUE(s.contains("Manual input")) << "the File pull-down is back";
    // Nothing was kept: the name offered is still the default.
    s.press("l");
    ASSERT_TRUE(wait_field("input.stgc"));
    s.press("Esc");
}

TEST_F(Editor, UpInAOneFieldFormEditsTheSameFieldAfresh) {
    open_load();
    s.type("abc");
    s.press("Up");
    // Same field again: the cursor back at the start, replace-on-type on again.
    ASSERT_TRUE(
        s.wait_until([&] { return s.cursor_col() == field_col; }, "the cursor at the start"));
    EXPECT_EQ(field(), "abc" + std::string(47, ' '));
    s.type("q");
    ASSERT_TRUE(wait_field("q"));
    s.press("Down"); // Down ends the last field like Enter
    ASSERT_TRUE(s.wait_until([&] { return !s.contains(load_prompt); }, "the form closed"));
    s.press("Esc");
    ASSERT_TRUE(s.wait_for("q...Opening..."));
}

TEST_F(Editor, FormOfFiveFieldsMovesWithUpDownAndEnter) {
    s.press("e");
    ASSERT_TRUE(s.wait_for("Change Geometry"));
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("180.000000"));
    int first_row = s.cursor_row();
    // Up in the first field goes to the last.
    s.press("Up");
    ASSERT_TRUE(s.wait_until([&] { return s.cursor_row() == first_row + 4; }, "the last field"));
    s.type("9");
    // Enter in the last field ends the form; the first four keep their values.
    s.press("Enter");
    ASSERT_TRUE(s.wait_until([&] { return !s.contains("180.000000 "); }, "the form closed"));
    s.press("Esc");
    ASSERT_TRUE(s.wait_for(": 9.000000 mm"));
    EXPECT_TRUE(s.contains("Ext Diameter with Cog : 180.000000 mm"));
    // Tab never moves to another field; Down does.
    s.press("e");
    ASSERT_TRUE(s.wait_for("Change Geometry"));
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("180.000000"));
    first_row = s.cursor_row();
    s.press("Tab");
    ASSERT_TRUE(s.settle(150));
    EXPECT_EQ(s.cursor_row(), first_row);
    s.press("Down");
    ASSERT_TRUE(s.wait_until([&] { return s.cursor_row() == first_row + 1; }, "the second field"));
    s.press("Esc");
    ASSERT_TRUE(s.wait_until([&] { return s.contains("Change Geometry"); }, "the form closed"));
}

TEST_F(Editor, NarrowTerminalScrollsTheFieldInsteadOfRefusingIt) {
    s.resize(12, 40);
    ASSERT_TRUE(
        s.wait_until([&] { return s.row(11).find(help_line) != std::string::npos; }, "40 columns"));
    open_load();
    s.press("Kill");
    s.type(std::string(30, 'n') + ".stgc");
    ASSERT_TRUE(confirm_and_expect("Can't open file!"));
    // The whole name was taken, though the field shows only part of it.
    EXPECT_TRUE(s.contains(std::string(30, 'n').substr(0, 10)));
    EXPECT_TRUE(s.contains(std::string(30, 'n') + ".stgc...Op"));
}

TEST_F(Editor, FieldThatCannotBeShownEndsTheFormInsteadOfRepeating) {
    // Nine rows leave a body of five: the geometry form's fifth field has no row to go to.
    s.resize(9, 80);
    ASSERT_TRUE(
        s.wait_until([&] { return s.row(8).find(help_line) != std::string::npos; }, "9 rows"));
    s.press("e");
    ASSERT_TRUE(s.wait_for("Change Geometry"));
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("180.000000"));
    s.press("Enter", 4);
    ASSERT_TRUE(s.wait_for("Change Geometry")) << "back in the Export pull-down";
    EXPECT_GE(s.bells(), 1);
    s.press("Esc");
    ASSERT_TRUE(s.wait_for("Error: the terminal is too small for this input"));
    EXPECT_FALSE(s.contains(" mm")) << "the form counts as left with Esc: nothing echoed";
    // The menus go on.
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Change Geometry"));
    s.press("Down");
    ASSERT_TRUE(s.wait_for_row(8, "Technical plot")); // the rest lies under the box
}

TEST_F(Editor, ResizeWhileEditingKeepsTheTextAndTheEditorsState) {
    open_load();
    s.press("Right", 2);
    s.type("AB");
    ASSERT_TRUE(wait_field("inABt.stgc"));
    s.resize(30, 100);
    // The box is centred again: 3 x 77 in a 26 x 100 body.
    ASSERT_TRUE(s.wait_until([&] { return s.cell(2 + 11, 11).text == "\u250c"; }, "the box moved"));
    ASSERT_TRUE(
        s.wait_until([&] { return s.text_at(14, 37, 10) == "inABt.stgc"; }, "the text kept"));
    // Still overwriting at offset 4, no replace-on-type.
    s.type("C");
    ASSERT_TRUE(
        s.wait_until([&] { return s.text_at(14, 37, 10) == "inABC.stgc"; }, "the edit goes on"));
    s.press("Enter");
    ASSERT_TRUE(s.wait_until([&] { return !s.contains(load_prompt); }, "the form closed"));
    s.press("Esc");
    ASSERT_TRUE(s.wait_for("inABC.stgc...Opening..."));
}

TEST_F(Editor, TooSmallWhileEditingWaitsAndEscStillCancels) {
    open_load();
    s.type("kept");
    ASSERT_TRUE(wait_field("kept"));
    s.resize(6, 20);
    ASSERT_TRUE(s.wait_for_row(0, "Terminal too small"));
    s.resize(24, 80);
    ASSERT_TRUE(wait_field("kept"));
    s.resize(6, 20);
    ASSERT_TRUE(s.wait_for_row(0, "Terminal too small"));
    s.press("Esc");
    s.resize(24, 80);
    ASSERT_TRUE(
        s.wait_until([&] { return s.row(23).find("Load STGC from file") != std::string::npos; },
                     "back in the File pull-down"));
    EXPECT_FALSE(s.contains(load_prompt));
    EXPECT_FALSE(s.contains("...Opening..."));
}

} // namespace
