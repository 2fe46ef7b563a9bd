#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "tui/ui.h"

TEST(Padstr, CutsOrPadsToExactWidth) {
    EXPECT_EQ(std::string(padstr("File", 8)), "File    ");
    EXPECT_EQ(std::string(padstr("Generate STGC by Quality", 8)), "Generate");
    EXPECT_EQ(std::string(padstr("", 3)), "   ");
    EXPECT_EQ(std::string(padstr("abc", 0)), "");
    EXPECT_EQ(std::string(padstr(nullptr, 2)), "  ");
}

TEST(Padstr, WideTerminalsAreNeitherCutNorOverflowed) {
    std::string long_text(400, 'x');
    char* line = padstr(long_text.c_str(), 298);
    EXPECT_EQ(strlen(line), 298u);
    line = padstr("a", 1000);
    EXPECT_EQ(strlen(line), 1000u);
    EXPECT_EQ(line[0], 'a');
    EXPECT_EQ(line[999], ' ');
}

TEST(Prepad, MenuEntryFormIsOneSpaceThenPaddedLabel) {
    // A menu entry of width w is drawn as prepad(padstr(label, w - 1), 1).
    EXPECT_EQ(std::string(prepad(padstr("Load", 15), 1)), " Load" + std::string(11, ' '));
    EXPECT_EQ(std::string(prepad(padstr("Export", 7), 1)), " Export ");
    EXPECT_EQ(strlen(prepad(padstr("Gerber+Excellon for holes", 300), 1)), 301u);
}

TEST(Prepad, NonPositiveCountLeavesTextAlone) {
    char text[16] = "abc";
    EXPECT_EQ(std::string(prepad(text, 0)), "abc");
    EXPECT_EQ(std::string(prepad(text, -3)), "abc");
    EXPECT_EQ(std::string(prepad(text, 2)), "  abc");
}
