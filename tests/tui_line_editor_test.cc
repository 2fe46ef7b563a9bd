// The line editor's key handling, one row per rule: the keys typed from a starting text and
// the state they leave.
#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tui/line_editor.h"

namespace {

using Outcome = LineEditor::Outcome;

// Keys written as text; <name> stands for a key that has no character (curses codes).
const std::string names[] = {"R",     "L",  "Tab",  "Esc",  "Ins", "EIns", "W",    "Erase", "Kill",
                             "Enter", "Up", "Down", "none", "BS",  "Del",  "Home", "4000"};
const int codes[] = {0405, 0404, 9,    27, 0513, 0514, 23,   127, 21,
                     10,   0403, 0402, -1, 0407, 0512, 0406, 4000};

std::vector<int> keys_of(const std::string& script) {
    std::vector<int> out;
    for (size_t i = 0; i < script.size(); ++i) {
        size_t end = script.find('>', i);
        if (script[i] != '<' || end == std::string::npos) {
            out.push_back(static_cast<unsigned char>(script[i]));
            continue;
        }
        const std::string name = script.substr(i + 1, end - i - 1);
        out.push_back(codes[std::find(std::begin(names), std::end(names), name) - names]);
        i = end;
    }
    return out;
}

struct Case {
    std::string start, script, text;
    int cursor;
    bool replace_on_type, insert;
    Outcome last;
    int field = 50, erase = 127, kill = 21;
};

const std::string a60(60, 'a'), a48(48, 'a'), b48(48, 'b');
const auto keep = Outcome::keep_editing, mode = Outcome::mode_changed;

const Case cases[] = {
    // At the start: cursor 0, overwrite, replace-on-type.
    {"output.svg", "", "output.svg", 0, true, false, keep},
    {"output.svg", "disk.svg", "disk.svg", 8, false, false, keep},
    // Right, Tab, Insert or Exit-insert first keep the default.
    {"output.svg", "<R>X", "oXtput.svg", 2, false, false, keep},
    {"output.svg", "<Tab>X<Tab>Y", "XYutput.svg", 2, false, false, keep},
    {"output.svg", "<Ins>X<Ins>", "Xoutput.svg", 1, false, false, mode},
    {"output.svg", "<EIns>X<EIns>Y", "XYutput.svg", 2, false, false, keep},
    // Left and erase do nothing until the cursor moved, and leave replace-on-type on.
    {"abc", "<L><Erase>", "abc", 0, true, false, keep},
    {"abc", "<R><R><Erase><L><L>", "ac", 0, false, false, keep},
    {"abc", "<Erase>x", "x", 1, false, false, keep},
    {"abc", "<Kill>x", "x", 1, false, false, keep},
    {"abc", "<W>x", "x", 1, false, false, keep},
    {"abc", "<L>x", "x", 1, false, false, keep},
    {"ab", "<R><R><R><R><R>", "ab", 2, false, false, keep},
    // Overwrite at the end extends; insert in the middle moves the rest right.
    {"ab", "<R><R>cd", "abcd", 4, false, false, keep},
    {"abef", "<Tab><R><R>cd", "abcdef", 4, false, true, keep},
    // 49 characters in a 50-wide field, in both modes; field - 1 in any field.
    {"", a60, std::string(49, 'a'), 49, false, false, keep},
    {"", a60 + "<L>Z", a48 + "Z", 49, false, false, keep},
    {b48, "<Ins>cd", "c" + b48, 1, false, true, keep},
    {"", "123456789012345678901234", "1234567890123456789", 19, false, false, keep, 20},
    {"", "x", "", 0, false, false, keep, 1},
    {std::string(60, 'q'), "<Esc>", std::string(49, 'q'), 0, true, false, Outcome::cancelled},
    // Ctrl-W erases the word before the cursor (and the spaces after it), Kill the field.
    {"abc def  ", "<R><R><R><R><R><R><R><R><R><W>", "abc ", 4, false, false, keep},
    {"abc def ghi", "<R><R><R><R><R><R><R><W>", "abc  ghi", 4, false, false, keep},
    {"abc", "<W>", "abc", 0, true, false, keep},
    {"output.grb", "<R><R><Kill>", "", 0, false, false, keep},
    // Esc restores the starting text; Enter, Up and Down finish with the edited one.
    {"input.stgc", "other<Tab>more<Esc>", "input.stgc", 0, false, true, Outcome::cancelled},
    {"8", "12<Enter>", "12", 2, false, false, Outcome::finished},
    {"8", "12<Up>", "12", 2, false, false, Outcome::finished},
    {"8", "12<Down>", "12", 2, false, false, Outcome::finished},
    // Keys the editor does not know change nothing.
    {"abc", "<BS><Del><Home>\x01\x08\x1f\xc8<4000><none>", "abc", 0, true, false, keep},
    // Terminals with another erase character, or none.
    {"abc", "<R>\x08", "bc", 0, false, false, keep, 50, 8},
    {"abc", "<R><none>", "abc", 1, false, false, keep, 50, -1, -1},
};

TEST(LineEditor, KeysFollowTheEditingRules) {
    for (const Case& c : cases) {
        SCOPED_TRACE("start \"" + c.start + "\" keys \"" + c.script + "\"");
        LineEditor e(c.start, c.field, c.erase, c.kill);
        EXPECT_EQ(e.capacity(), c.field - 1);
        Outcome last = Outcome::keep_editing;
        for (int k : keys_of(c.script))
            last = e.handle(k);
        EXPECT_EQ(e.text(), c.text);
        EXPECT_EQ(e.cursor(), c.cursor);
        EXPECT_EQ(e.replace_on_type(), c.replace_on_type);
        EXPECT_EQ(e.insert_mode(), c.insert);
        EXPECT_EQ(last, c.last);
    }
}

} // namespace
