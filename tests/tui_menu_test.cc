// Menu measurements and hot-key selection.
#include <gtest/gtest.h>

#include "tui/tui.h"

namespace {

void nothing() {}

menu entries[] = {
    {"Gerber only", nothing, ""},
    {"Gerber+Excellon for mount", nothing, ""},
    {"lower case", nothing, ""},
    {"Test", nothing, ""},
    {"", nullptr, ""},
    {"After the terminator", nothing, ""},
};

TEST(Menu, MenudimCountsUpToTheFirstNullActionAndAddsTwoToTheLongestLabel) {
    int count = -1, width = -1;
    menudim(entries, &count, &width);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(width, 27); // "Gerber+Excellon for mount" is 25 characters

    menu empty[] = {{"", nullptr, ""}};
    menudim(empty, &count, &width);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(width, 2);
}

TEST(Menu, HotkeyIsTheFirstUpperCaseLetterElseTheFirstCharacter) {
    EXPECT_EQ(hotkey("File"), 'F');
    EXPECT_EQ(hotkey("C++ code"), 'C');
    EXPECT_EQ(hotkey("lower Case"), 'C');
    EXPECT_EQ(hotkey("lower case"), 'l');
    EXPECT_EQ(hotkey("3d View"), 'V');
    EXPECT_EQ(hotkey(""), 0);
}

TEST(Menu, HotKeySearchStartsAfterTheSelectedEntryAndTestsItLast) {
    // Two entries share G: from the first, G selects the second; from the second, the first.
    EXPECT_EQ(find_hotkey(entries, 4, 0, 'G'), 1);
    EXPECT_EQ(find_hotkey(entries, 4, 1, 'g'), 0);
    // From elsewhere the search wraps to the start of the table.
    EXPECT_EQ(find_hotkey(entries, 4, 3, 'g'), 0);
    EXPECT_EQ(find_hotkey(entries, 4, 2, 'G'), 0);
    // The selected entry is found when it is the only match.
    EXPECT_EQ(find_hotkey(entries, 4, 3, 't'), 3);
    // Without an upper-case letter the first character is the hot key, compared upper-cased.
    EXPECT_EQ(find_hotkey(entries, 4, 0, 'l'), -1);
}

TEST(Menu, KeysThatMatchNothingSelectNothing) {
    EXPECT_EQ(find_hotkey(entries, 4, 1, 'x'), -1);
    EXPECT_EQ(find_hotkey(entries, 4, 1, -1), -1);
    EXPECT_EQ(find_hotkey(entries, 4, 1, KEY_UP), -1);
    EXPECT_EQ(find_hotkey(entries, 4, 1, KEY_RESIZE), -1);
    EXPECT_EQ(find_hotkey(entries, 4, 1, 27), -1);
    EXPECT_EQ(find_hotkey(entries, 0, 0, 'G'), -1);
}

TEST(Menu, MenuPositionIsStoredAndRead) {
    setmenupos(3, 17);
    int y = 0, x = 0;
    getmenupos(&y, &x);
    EXPECT_EQ(y, 3);
    EXPECT_EQ(x, 17);
}

TEST(Screen, CleanupBeforeStartDoesNothing) {
    EXPECT_FALSE(incurses);
    cleanup();
    cleanup();
    EXPECT_FALSE(incurses);
    EXPECT_EQ(bodylen(), -1);
    EXPECT_EQ(bodywin(), nullptr);
    EXPECT_EQ(wordchar(), 23);
}

TEST(Screen, KeyStateHandsOutTheLastKeyOnce) {
    ch = 'q';
    EXPECT_EQ(getkey(), 'q');
    EXPECT_EQ(getkey(), -1);
}

} // namespace
