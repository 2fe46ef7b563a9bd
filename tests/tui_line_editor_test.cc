// The line editor's key handling, one row per rule: the keys typed from a starting text and
// the state they leave. What a user sees of it in the 50-wide File -> Load field (typing over
// the offered text, Right, erase, Ctrl-W, kill, the 49-character limit, Esc, Enter, Up and
// Down) the screen scripts editor.screen and long_input.screen check; here are the states
// behind the screen and the rules it cannot show.
#include <string>

#include <gtest/gtest.h>

#include "tui/line_editor.h"

namespace {

using Outcome = LineEditor::Outcome;
const auto keep = Outcome::keep_editing, esc = Outcome::cancelled, done = Outcome::finished;

struct Case {
    std::string start, keys, text;
    int cursor;
    bool replace_on_type, insert;
    Outcome last;
    int field = 50, erase = 127, kill = 21, capacity = -1;
};

// Keys as text: these characters stand for the curses codes of Right, Left, Insert, Exit-insert,
// Up, Down, no key, Backspace, Delete and Home. Tab, Esc, Enter, Ctrl-W, erase (\x7f) and kill
// (\x15) are themselves.
const std::string named = "><^|{}#~`@";
const int codes[] = {0405, 0404, 0513, 0514, 0403, 0402, -1, 0407, 0512, 0406};

const Case cases[] = {
    // Right, Tab, Insert or Exit-insert first keep the text; Tab and Insert toggle insert mode.
    {"output.svg", "\tX\tY", "XYutput.svg", 2, false, false, keep},
    {"output.svg", "^X^", "Xoutput.svg", 1, false, false, Outcome::mode_changed},
    {"output.svg", "|X|Y", "XYutput.svg", 2, false, false, keep},
    // field - 1 characters at most, in both modes and any field; a longer start is cut.
    {"", std::string(60, 'a') + "<Z", std::string(48, 'a') + "Z", 49, false, false, keep},
    {"", "123456789012345678901234", "1234567890123456789", 19, false, false, keep, 20},
    {"", std::string(60, 'a'), std::string(55, 'a'), 55, false, false, keep, 10, 127, 21, 55},
    {std::string(60, 'q'), "\x1b", std::string(49, 'q'), 0, true, false, esc},
    // Ctrl-W in the middle erases the word and spaces before the cursor, keeps what follows.
    {"abc def ghi", ">>>>>>>\x17", "abc  ghi", 4, false, false, keep},
    // Up finishes with the edited text.
    {"8", "12{", "12", 2, false, false, done},
    // Other keys change nothing; terminals with another erase character, or none.
    {"abc", "~`@#\x01\x08\x1f\xc8", "abc", 0, true, false, keep},
    {"abc", ">\x08", "bc", 0, false, false, keep, 50, 8},
    {"abc", ">#", "abc", 1, false, false, keep, 50, -1, -1},
};

// UTF-8: a character is typed once whole, and only if it is a printable one; the cursor moves
// and erases by characters; the capacity counts bytes. (é is \xc3\xa9, à \xc3\xa0, € \xe2\x82\xac)
const Case utf8_cases[] = {
    {"", "d\xc3\xa9j\xc3\xa0<\x7f", "d\xc3\xa9\xc3\xa0", 3, false, false, keep},
    {"\xc3\xa9t\xc3\xa9", ">>X", "\xc3\xa9tX", 4, false, false, keep},
    {"ab d\xc3\xa9j\xc3\xa0", ">>>>>>>\x17", "ab ", 3, false, false, keep},
    // A stray continuation byte, a character cut short, an overlong form, a C1 control and a
    // surrogate are dropped; £, € and an emoji are typed.
    {"", "a\xa9\xc3x\xa9\xe0\x80\xaf\xc2\x85\xed\xa0\x80\xc2\xa3\xe2\x82\xac\xf0\x9f\x98\x80",
     "ax\xc2\xa3\xe2\x82\xac\xf0\x9f\x98\x80", 11, false, false, keep},
    {"", "\xc3\xa9\xc3\xa9\xc3\xa9", "\xc3\xa9\xc3\xa9", 4, false, false, keep, 5},
    {"abcd", ">\xe2\x82\xac", "abcd", 1, false, false, keep, 5},
    {"\xc3\xa9\xc3\xa9\xc3\xa9", "", "\xc3\xa9\xc3\xa9", 0, true, false, keep, 5},
};

void run(const Case& c, bool utf8) {
    SCOPED_TRACE("start \"" + c.start + "\" keys \"" + c.keys + "\"");
    LineEditor e(c.start, c.field, c.erase, c.kill, c.capacity, utf8);
    Outcome last = keep;
    for (char k : c.keys)
        last = e.handle(named.find(k) == std::string::npos ? static_cast<unsigned char>(k)
                                                           : codes[named.find(k)]);
    EXPECT_EQ(e.text(), c.text);
    EXPECT_EQ(e.cursor(), c.cursor);
    EXPECT_EQ(e.replace_on_type(), c.replace_on_type);
    EXPECT_EQ(e.insert_mode(), c.insert);
    EXPECT_EQ(last, c.last);
}

TEST(LineEditor, KeysFollowTheEditingRules) {
    for (const Case& c : cases)
        run(c, false);
    for (const Case& c : utf8_cases)
        run(c, true);
}

} // namespace
