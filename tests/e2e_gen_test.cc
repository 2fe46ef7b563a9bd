// Code generation through the real program: five heads at quality 30, then Test STGC; and a
// search stopped with Esc.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/support/test_support.h"

using testing_support::TempDir;

namespace {

std::string trimmed(const std::string& row) {
    size_t begin = row.find_first_not_of(' ');
    if (begin == std::string::npos) return "";
    size_t end = row.find_last_not_of(' ');
    return row.substr(begin, end - begin + 1);
}

// The message pane's rows (2 to rows - 3), trimmed, without the empty ones at the end.
std::vector<std::string> pane(const e2e::Session& s) {
    std::vector<std::string> lines;
    for (int row = 2; row <= s.rows() - 3; ++row) lines.push_back(trimmed(s.row(row)));
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

bool starts_with(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool ends_with(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::vector<int> numbers_in(const std::string& list) {
    std::vector<int> out;
    std::stringstream in(list);
    std::string item;
    while (std::getline(in, item, ',')) out.push_back(atoi(item.c_str()));
    return out;
}

TEST(GenerationSession, FiveHeadsQualityThirtyThenTest) {
    TempDir dir;
    e2e::Options options;
    options.cwd = dir.path();
    e2e::Session s(options);
    ASSERT_TRUE(s.wait_for("Use arrow keys and Enter to select"));

    s.press("s");
    ASSERT_TRUE(s.wait_for("Generate STGC by Quality"));
    s.press("Enter"); // the first entry is selected
    ASSERT_TRUE(s.wait_for("Number of Heads (3..20): 8"));
    s.type("5");
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Quality (10,20,...,30): 30"));
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("GENERATED GRAY CODE:"));
    s.press("Esc"); // close the pull-down, which covers the top of the pane
    ASSERT_TRUE(s.wait_until([&] { return !s.contains("Test STGC"); }, "the pull-down closed"));
    ASSERT_TRUE(s.settle());

    const std::vector<std::string> lines = pane(s);
    ASSERT_EQ(lines.size(), 11u) << s.screen();
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5),
              (std::vector<std::string>{"...Generating step 1...", "size: 3,3", "<3,5,f,>",
                                        "<1,7,b,>", "Heads = 5, Quality = 30"}));
    EXPECT_TRUE(starts_with(lines[5], "Hamilton:<")) << lines[5];
    EXPECT_TRUE(ends_with(lines[5], ">GOOD")) << lines[5];
    EXPECT_TRUE(starts_with(lines[6], "{") && ends_with(lines[6], "}")) << lines[6];
    EXPECT_EQ(numbers_in(lines[6].substr(1, lines[6].size() - 2)).size(), 3u);
    EXPECT_TRUE(starts_with(lines[7], "Gray Code found (Sh=")) << lines[7];
    EXPECT_EQ(lines[8], "First COG detected (3)");
    EXPECT_EQ(lines[9], "GENERATED GRAY CODE:");
    ASSERT_TRUE(starts_with(lines[10], "<") && ends_with(lines[10], ">")) << lines[10];
    const std::vector<int> runs = numbers_in(lines[10].substr(1, lines[10].size() - 2));
    ASSERT_EQ(runs.size(), 6u);
    int quality = 0;
    for (int r : runs) quality += r;
    EXPECT_EQ(quality, 30);

    s.press("s");
    ASSERT_TRUE(s.wait_for("Test STGC"));
    s.press("t");
    ASSERT_TRUE(s.wait_for("STGC is good!"));
    ASSERT_TRUE(s.settle());
    const std::vector<std::string> after = pane(s);
    ASSERT_GE(after.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(after.end() - 3, after.end()),
              (std::vector<std::string>{"Quality = 30, Number of cogs = 6",
                                        "Number of heads = 5", "STGC is good!"}));
}

TEST(GenerationSession, EscapeStopsTheSearch) {
    TempDir dir;
    e2e::Options options;
    options.cwd = dir.path();
    options.timeout_ms = 20000;
    e2e::Session s(options);
    ASSERT_TRUE(s.wait_for("Use arrow keys and Enter to select"));

    s.press("s");
    ASSERT_TRUE(s.wait_for("Generate STGC by Quality"));
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Number of Heads (3..20): 8"));
    s.type("20");
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Quality (40,80,...,1046520): 1046520"));
    // Enter and Esc in one write: the Esc is waiting before the search starts.
    s.send_bytes("\r\x1b");
    ASSERT_TRUE(s.wait_for("Search cancelled: the current code is unchanged."));
    ASSERT_TRUE(s.settle());
    EXPECT_FALSE(s.contains("GENERATED GRAY CODE:"));

    s.press("t");
    ASSERT_TRUE(s.wait_for("STGC is not generated!"));
}

} // namespace
