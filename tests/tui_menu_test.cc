// Text padding, menu measurements, hot keys and the screen's state before it starts.
#include <string>

#include <gtest/gtest.h>

#include "tui/tui.h"

namespace {

void nothing() {}

TEST(Padstr, CutsOrPadsToExactlyTheWidthOnAnyTerminal) {
    EXPECT_EQ(std::string(padstr("File", 8)), "File    ");
    EXPECT_EQ(std::string(padstr("Generate STGC by Quality", 8)), "Generate");
    EXPECT_EQ(std::string(padstr(nullptr, 2)), "  ");
    EXPECT_EQ(std::string(padstr("abc", 0)), "");
    // Wider than the 257 columns of a fixed buffer: neither cut nor overflowed.
    EXPECT_EQ(std::string(padstr(std::string(400, 'x').c_str(), 298)), std::string(298, 'x'));
    EXPECT_EQ(std::string(padstr("a", 1000)), "a" + std::string(999, ' '));
    // A menu entry of width w is prepad(padstr(label, w - 1), 1).
    EXPECT_EQ(std::string(prepad(padstr("Export", 7), 1)), " Export ");
    EXPECT_EQ(std::string(prepad(padstr("Gerber+Excellon for holes", 300), 1)),
              " Gerber+Excellon for holes" + std::string(275, ' '));
    char text[16] = "abc";
    EXPECT_EQ(std::string(prepad(text, 0)), "abc");
    EXPECT_EQ(std::string(prepad(text, -3)), "abc");
    EXPECT_EQ(std::string(prepad(text, 2)), "  abc");
}

TEST(Menu, HotKeysAndSizes) {
    const struct {
        const char* label;
        int key;
    } cases[] = {{"File", 'F'},       {"C++ code", 'C'}, {"lower Case", 'C'},
                 {"lower case", 'l'}, {"3d View", 'V'},  {"", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(hotkey(c.label), c.key) << c.label;
    menu entries[] = {{"lower case", nothing, ""},
                      {"Test", nothing, ""},
                      {"", nullptr, ""},
                      {"After the terminator, longer", nothing, ""}};
    // A lower-case hot key is compared upper-cased, so no key reaches it; keys that match
    // nothing select nothing.
    EXPECT_EQ(find_hotkey(entries, 2, 1, 'l'), -1);
    for (int k : {int{'x'}, -1, KEY_UP, KEY_RESIZE, 27})
        EXPECT_EQ(find_hotkey(entries, 2, 1, k), -1) << k;
    EXPECT_EQ(find_hotkey(entries, 0, 0, 'T'), -1);
    int count = -1, width = -1; // up to the first null action
    menudim(entries, &count, &width);
    EXPECT_EQ(count * 100 + width, 212);
}

TEST(Screen, StateBeforeTheScreenStarts) {
    cleanup(); // before start-up, and again: nothing happens
    cleanup();
    EXPECT_FALSE(incurses);
    EXPECT_EQ(bodylen(), -1);
    EXPECT_EQ(bodywin(), nullptr);
    EXPECT_EQ(wordchar(), 23);
    ch = 'q';
    EXPECT_EQ(getkey(), 'q');
    EXPECT_EQ(getkey(), -1);
}

} // namespace
