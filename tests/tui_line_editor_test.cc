// The line editor's key handling, rule by rule.
#include <string>

#include <gtest/gtest.h>

#include "tui/line_editor.h"

namespace {

using Outcome = LineEditor::Outcome;
namespace keys = editor_keys;

constexpr int erase = 127; // the pty's usual erase character
constexpr int kill = 21;   // Ctrl-U
constexpr int backspace_keypad = 0407;
constexpr int delete_keypad = 0512;
constexpr int home_keypad = 0406;

LineEditor editor(const std::string& text, int field = 50) {
    return LineEditor(text, field, erase, kill);
}

void type(LineEditor& e, const std::string& text) {
    for (char c : text)
        e.handle(static_cast<unsigned char>(c));
}

TEST(LineEditor, StartsAtTheStartInOverwriteModeWithReplaceOnType) {
    LineEditor e = editor("output.svg");
    EXPECT_EQ(e.text(), "output.svg");
    EXPECT_EQ(e.cursor(), 0);
    EXPECT_FALSE(e.insert_mode());
    EXPECT_TRUE(e.replace_on_type());
    EXPECT_EQ(e.capacity(), 49);
}

TEST(LineEditor, FirstPrintableKeyReplacesTheWholeDefault) {
    LineEditor e = editor("output.svg");
    EXPECT_EQ(e.handle('d'), Outcome::keep_editing);
    EXPECT_EQ(e.text(), "d");
    EXPECT_EQ(e.cursor(), 1);
    EXPECT_FALSE(e.replace_on_type());
    type(e, "isk.svg");
    EXPECT_EQ(e.text(), "disk.svg");
}

TEST(LineEditor, RightTabOrInsertFirstKeepsTheDefault) {
    LineEditor right = editor("output.svg");
    right.handle(keys::right);
    EXPECT_FALSE(right.replace_on_type());
    right.handle('X'); // overwrite at offset 1
    EXPECT_EQ(right.text(), "oXtput.svg");

    for (int toggle : {keys::tab, keys::insert_char, keys::exit_insert}) {
        LineEditor e = editor("output.svg");
        EXPECT_EQ(e.handle(toggle), Outcome::mode_changed);
        EXPECT_TRUE(e.insert_mode());
        EXPECT_FALSE(e.replace_on_type());
        e.handle('X'); // inserted at the start
        EXPECT_EQ(e.text(), "Xoutput.svg") << "toggle key " << toggle;
        EXPECT_EQ(e.handle(toggle), Outcome::mode_changed);
        EXPECT_FALSE(e.insert_mode());
        e.handle('Y'); // overwrites the 'o'
        EXPECT_EQ(e.text(), "XYutput.svg");
    }
}

TEST(LineEditor, LeftAndEraseDoNothingUntilTheCursorMoved) {
    LineEditor e = editor("abc");
    EXPECT_EQ(e.handle(keys::left), Outcome::keep_editing);
    EXPECT_EQ(e.handle(erase), Outcome::keep_editing);
    EXPECT_EQ(e.text(), "abc");
    EXPECT_EQ(e.cursor(), 0);
    EXPECT_TRUE(e.replace_on_type());
    e.handle(keys::right);
    e.handle(keys::right);
    e.handle(erase);
    EXPECT_EQ(e.text(), "ac");
    EXPECT_EQ(e.cursor(), 1);
    e.handle(keys::left);
    EXPECT_EQ(e.cursor(), 0);
    e.handle(keys::left);
    EXPECT_EQ(e.cursor(), 0);
}

TEST(LineEditor, RightStopsAtTheEndOfTheText) {
    LineEditor e = editor("ab");
    for (int i = 0; i < 5; ++i)
        e.handle(keys::right);
    EXPECT_EQ(e.cursor(), 2);
}

TEST(LineEditor, EraseKillWordAndLeftLeaveReplaceOnTypeOn) {
    for (int k : {erase, kill, static_cast<int>(keys::word_erase), keys::left}) {
        LineEditor e = editor("abc");
        e.handle(k);
        EXPECT_TRUE(e.replace_on_type()) << "key " << k;
        e.handle('x');
        EXPECT_EQ(e.text(), "x") << "key " << k;
    }
}

TEST(LineEditor, OverwriteAtTheEndExtendsTheText) {
    LineEditor e = editor("ab");
    e.handle(keys::right);
    e.handle(keys::right);
    type(e, "cd");
    EXPECT_EQ(e.text(), "abcd");
    EXPECT_EQ(e.cursor(), 4);
}

TEST(LineEditor, InsertInTheMiddleMovesTheRestRight) {
    LineEditor e = editor("abef");
    e.handle(keys::tab);
    e.handle(keys::right);
    e.handle(keys::right);
    type(e, "cd");
    EXPECT_EQ(e.text(), "abcdef");
    EXPECT_EQ(e.cursor(), 4);
}

TEST(LineEditor, TextStopsAt49CharactersInA50WideField) {
    // Overwrite mode: keys are ignored once the cursor is at offset 49.
    LineEditor over = editor("");
    type(over, std::string(60, 'a'));
    EXPECT_EQ(over.text(), std::string(49, 'a'));
    EXPECT_EQ(over.cursor(), 49);
    // ... but a full text can still be overwritten before that column.
    over.handle(keys::left);
    over.handle('Z');
    EXPECT_EQ(over.text(), std::string(48, 'a') + "Z");

    // Insert mode: keys are ignored once the text has 49 characters, wherever the cursor is.
    LineEditor ins = editor(std::string(48, 'b'));
    ins.handle(keys::insert_char);
    ins.handle('c');
    EXPECT_EQ(ins.text().size(), 49u);
    EXPECT_EQ(ins.text()[0], 'c');
    ins.handle('d');
    EXPECT_EQ(ins.text(), "c" + std::string(48, 'b'));
    EXPECT_EQ(ins.cursor(), 1);
}

TEST(LineEditor, SmallFieldsHoldFieldMinusOneCharacters) {
    LineEditor e = editor("", 20);
    type(e, "123456789012345678901234");
    EXPECT_EQ(e.text(), "1234567890123456789");
    LineEditor one = editor("", 1);
    type(one, "x");
    EXPECT_EQ(one.text(), "");
}

TEST(LineEditor, CtrlWErasesTheWordBeforeTheCursor) {
    LineEditor e = editor("abc def  ");
    for (int i = 0; i < 9; ++i)
        e.handle(keys::right);
    e.handle(keys::word_erase);
    EXPECT_EQ(e.text(), "abc ");
    EXPECT_EQ(e.cursor(), 4);
    e.handle(keys::word_erase);
    EXPECT_EQ(e.text(), "");
    EXPECT_EQ(e.cursor(), 0);

    // In the middle: the rest of the text moves left.
    LineEditor mid = editor("abc def ghi");
    for (int i = 0; i < 7; ++i)
        mid.handle(keys::right);
    mid.handle(keys::word_erase);
    EXPECT_EQ(mid.text(), "abc  ghi");
    EXPECT_EQ(mid.cursor(), 4);

    // At the start nothing goes.
    LineEditor start = editor("abc");
    start.handle(keys::word_erase);
    EXPECT_EQ(start.text(), "abc");
}

TEST(LineEditor, KillEmptiesTheField) {
    LineEditor e = editor("output.grb");
    e.handle(keys::right);
    e.handle(keys::right);
    e.handle(kill);
    EXPECT_EQ(e.text(), "");
    EXPECT_EQ(e.cursor(), 0);
}

TEST(LineEditor, EscRestoresTheStartingText) {
    LineEditor e = editor("input.stgc");
    type(e, "other");
    e.handle(keys::tab);
    type(e, "more");
    EXPECT_EQ(e.handle(keys::esc), Outcome::cancelled);
    EXPECT_EQ(e.text(), "input.stgc");
}

TEST(LineEditor, EnterUpAndDownFinishWithTheEditedText) {
    for (int k : {keys::enter, keys::up, keys::down}) {
        LineEditor e = editor("8");
        type(e, "12");
        EXPECT_EQ(e.handle(k), Outcome::finished);
        EXPECT_EQ(e.text(), "12");
    }
}

TEST(LineEditor, UnknownKeysAreIgnored) {
    LineEditor e = editor("abc");
    for (int k : {backspace_keypad, delete_keypad, home_keypad, 1, 8, 31, 200, 4000, keys::none}) {
        EXPECT_EQ(e.handle(k), Outcome::keep_editing) << "key " << k;
        EXPECT_EQ(e.text(), "abc") << "key " << k;
        EXPECT_TRUE(e.replace_on_type()) << "key " << k;
        EXPECT_EQ(e.cursor(), 0);
    }
}

TEST(LineEditor, TerminalsWithoutEraseOrKillCharacters) {
    LineEditor e("abc", 50, -1, -1);
    e.handle(keys::right);
    e.handle(keys::none);
    EXPECT_EQ(e.text(), "abc");
    // Another erase character: ^H.
    LineEditor h("abc", 50, 8, 21);
    h.handle(keys::right);
    h.handle(8);
    EXPECT_EQ(h.text(), "bc");
}

TEST(LineEditor, TooLongStartingTextIsCutToTheField) {
    LineEditor e = editor(std::string(60, 'q'));
    EXPECT_EQ(e.text().size(), 49u);
    e.handle(keys::esc);
    EXPECT_EQ(e.text().size(), 49u);
}

} // namespace
