// The text form of a code: every rule of the parser, the overflow rule, and formatting back.
#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "code/decoder.h"
#include "code/runlist.h"

namespace {

using runs = std::vector<int>;

// What the readers of a parsed run list see: the entries before the first 0.
runs parsed(const std::string& text) {
    int* list = parse_runlist(text.c_str());
    runs out = runs_of(list);
    delete[] list;
    return out;
}

TEST(Decoder, TextFormsGiveTheirRunListsAndFormatBack) {
    const struct {
        std::string text;
        runs expected;
    } cases[] = {
        {"10,3,5", {10, 3, 5}},
        {"10,3,5,", {10, 3, 5}},
        {"10:3;5", {10, 3, 5}},
        {"10, \n3, \n5\n", {10, 3, 5}},
        {"10 3", {103}}, // other bytes do not separate: the digits join
        {"-5,3", {5, 3}},
        {"+5,x3y", {5, 3}},
        {"007,3", {7, 3}},
        {"\xc3\xa9"
         "4,\xff"
         "2",
         {4, 2}},
        {"10,3,0", {10, 3}}, // a 0 field ends the run list
        {"10,,3", {10}},
        {"10,3,0,5", {10, 3}},
        {",10,3", {}},
        {"", {}},
        {"abc", {}},
        // Numbers above the largest int are held at it; 4294967296 must not wrap to 0.
        {"2147483647,1", {INT_MAX, 1}},
        {"2147483648,1", {INT_MAX, 1}},
        {"99999999999999999999999,7", {INT_MAX, 7}},
        {"4294967296,5", {INT_MAX, 5}},
        {"5,4294967296", {5, INT_MAX}},
        {"214748364,7", {214748364, 7}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("\"" + c.text + "\"");
        EXPECT_EQ(parsed(c.text), c.expected);
        int* list = make_runlist(c.expected);
        EXPECT_EQ(parsed(format_runlist(list)), c.expected); // Save then Load gives it back
        delete[] list;
    }
}

TEST(Decoder, StoresTheFieldsBehindAZero) {
    // 10,,3 stores 10, 0, 3 and the terminator; the code file form stops at the 0.
    int* list = parse_runlist("10,,3");
    EXPECT_EQ(std::vector<int>(list, list + 4), (runs{10, 0, 3, 0}));
    EXPECT_EQ(format_runlist(list), "10");
    delete[] list;
}

} // namespace
