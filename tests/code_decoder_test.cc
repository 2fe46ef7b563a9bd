#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "code/decoder.h"
#include "code/runlist.h"

namespace {

// What the readers of a parsed run list see: the entries before the first 0.
std::vector<int> parsed(const std::string& text) {
    int* list = parse_runlist(text.c_str());
    std::vector<int> runs = runs_of(list);
    delete[] list;
    return runs;
}

using runs = std::vector<int>;

} // namespace

TEST(Decoder, TextFormsGiveTheirRunLists) {
    EXPECT_EQ(parsed("10,3,5"), (runs{10, 3, 5}));
    EXPECT_EQ(parsed("10,3,5,"), (runs{10, 3, 5}));
    EXPECT_EQ(parsed("10:3;5"), (runs{10, 3, 5}));
    EXPECT_EQ(parsed("10,\n 3,\n 5\n"), (runs{10, 3, 5}));
    EXPECT_EQ(parsed("10,3,5\r\n"), (runs{10, 3, 5}));
    EXPECT_EQ(parsed("10 3"), (runs{103}));
    EXPECT_EQ(parsed("1\n0,3"), (runs{10, 3}));
    EXPECT_EQ(parsed("-5,3"), (runs{5, 3}));
    EXPECT_EQ(parsed("+5,x3y"), (runs{5, 3}));
    EXPECT_EQ(parsed("007,3"), (runs{7, 3}));
    EXPECT_EQ(parsed("\xc3\xa9"
                     "4,\xff"
                     "2"),
              (runs{4, 2}));
}

TEST(Decoder, ZeroFieldsEndTheRunList) {
    EXPECT_EQ(parsed("10,3,0"), (runs{10, 3}));
    EXPECT_EQ(parsed("10,,3"), (runs{10}));
    EXPECT_EQ(parsed("10,3,0,5"), (runs{10, 3}));
    EXPECT_EQ(parsed(",10,3"), (runs{}));
    EXPECT_EQ(parsed(""), (runs{}));
    EXPECT_EQ(parsed("abc"), (runs{}));
    EXPECT_EQ(parsed(",,,"), (runs{}));
    EXPECT_EQ(parsed("0"), (runs{}));
}

TEST(Decoder, StoresTheFieldsBehindAZeroAndTheTerminator) {
    // 10,,3 stores 10, 0, 3 and the terminator: the 3 stays behind the 0.
    int* list = parse_runlist("10,,3");
    EXPECT_EQ(list[0], 10);
    EXPECT_EQ(list[1], 0);
    EXPECT_EQ(list[2], 3);
    EXPECT_EQ(list[3], 0);
    delete[] list;
    list = parse_runlist(nullptr);
    EXPECT_EQ(list[0], 0);
    delete[] list;
}

TEST(Decoder, NumbersAboveTheLargestIntAreHeldAtIt) {
    EXPECT_EQ(parsed("2147483647,1"), (runs{INT_MAX, 1}));
    EXPECT_EQ(parsed("2147483648,1"), (runs{INT_MAX, 1}));
    EXPECT_EQ(parsed("99999999999999999999999,7"), (runs{INT_MAX, 7}));
    // 4294967296 would wrap to 0 in 32 bits and end the list; held, it stays a run.
    EXPECT_EQ(parsed("4294967296,5"), (runs{INT_MAX, 5}));
    EXPECT_EQ(parsed("5,4294967296"), (runs{5, INT_MAX}));
    EXPECT_EQ(parsed("214748364,7"), (runs{214748364, 7}));
}

TEST(Decoder, InstallsTheCurrentCode) {
    replace_global_stgc(nullptr);
    ASSERT_TRUE(decoder("3,3"));
    ASSERT_NE(global_stgc, nullptr);
    EXPECT_EQ(runs_of(global_stgc), (runs{3, 3}));
    ASSERT_TRUE(decoder(""));
    ASSERT_NE(global_stgc, nullptr); // an empty run list is still a current code
    EXPECT_EQ(runs_of(global_stgc), (runs{}));
}

TEST(Decoder, FormatJoinsTheEntriesWithCommas) {
    int* list = make_runlist({10, 3, 5});
    EXPECT_EQ(format_runlist(list), "10,3,5");
    delete[] list;
    int stored[] = {10, 0, 3, 0};
    EXPECT_EQ(format_runlist(stored), "10");
    EXPECT_EQ(format_runlist(nullptr), "");
    int big[] = {INT_MAX, 1, 0};
    EXPECT_EQ(format_runlist(big), "2147483647,1");
}

TEST(Decoder, FormatThenParseGivesTheSameRunList) {
    // Every list the parser or the generator can install has positive int entries.
    unsigned state = 12345;
    auto next = [&state]() {
        state = state * 1103515245u + 12345u;
        return state >> 8;
    };
    for (int trial = 0; trial < 300; ++trial) {
        runs original;
        int count = static_cast<int>(next() % 40);
        for (int i = 0; i < count; ++i) {
            unsigned kind = next() % 4;
            int value = kind == 0   ? INT_MAX - static_cast<int>(next() % 3)
                        : kind == 1 ? 1 + static_cast<int>(next() % 9)
                                    : 1 + static_cast<int>(next() % 100000);
            original.push_back(value);
        }
        int* list = make_runlist(original);
        std::string text = format_runlist(list);
        delete[] list;
        ASSERT_EQ(parsed(text), original) << text;
    }
}

TEST(Decoder, AnyBytesParseAsTheirFieldsUpToTheFirstZero) {
    // A second reading of the rules: split at the separators, keep each field's digits, and
    // stop at the first field worth 0.
    auto by_fields = [](const std::string& text) {
        runs out;
        long long value = 0;
        for (size_t i = 0; i <= text.size(); ++i) {
            char c = i < text.size() ? text[i] : ',';
            if (c == ',' || c == ':' || c == ';') {
                if (value == 0) break;
                out.push_back(static_cast<int>(value));
                value = 0;
            } else if (c >= '0' && c <= '9') {
                value = std::min<long long>(value * 10 + (c - '0'), INT_MAX);
            }
        }
        return out;
    };
    const char alphabet[] = "0123456789,,::;; \t\r\n-+aZ\x80\xff";
    unsigned state = 99;
    for (int trial = 0; trial < 5000; ++trial) {
        std::string text;
        state = state * 1664525u + 1013904223u;
        size_t length = (state >> 10) % 40;
        for (size_t i = 0; i < length; ++i) {
            state = state * 1664525u + 1013904223u;
            text += alphabet[(state >> 12) % (sizeof alphabet - 1)];
        }
        runs got = parsed(text);
        ASSERT_EQ(got, by_fields(text)) << "text \"" << text << "\"";
        for (int v : got)
            ASSERT_GT(v, 0);
    }
}
