// The code commands through the real program: a code typed by hand, tested, saved, loaded
// back and tested again in one session.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/support/test_support.h"

using testing_support::read_file;
using testing_support::TempDir;

namespace {

std::string trimmed(const std::string& row) {
    size_t begin = row.find_first_not_of(' ');
    if (begin == std::string::npos) return "";
    size_t end = row.find_last_not_of(' ');
    return row.substr(begin, end - begin + 1);
}

// True when the message pane (rows 2 to rows - 3) holds exactly `lines`, from its top.
::testing::AssertionResult pane_shows(const e2e::Session& s,
                                      const std::vector<std::string>& lines) {
    const int first = 2, last = s.rows() - 3;
    for (int row = first; row <= last; ++row) {
        size_t i = static_cast<size_t>(row - first);
        std::string expected = i < lines.size() ? lines[i] : "";
        if (trimmed(s.row(row)) != expected)
            return ::testing::AssertionFailure()
                   << "row " << row << " should read \"" << expected << "\":\n"
                   << s.screen();
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(CodeSession, ManualInputTestSaveLoadTest) {
    TempDir dir;
    e2e::Options options;
    options.cwd = dir.path();
    e2e::Session s(options);
    ASSERT_TRUE(s.wait_for("Use arrow keys and Enter to select"));

    // File -> Manual input: a two-run code with 100 heads.
    s.press("f");
    ASSERT_TRUE(s.wait_for("Manual input"));
    s.press("m");
    ASSERT_TRUE(s.wait_for("STGC (manually):"));
    s.type("99,101");
    s.press("Enter");
    s.press("Esc");

    // STGC -> Test STGC.
    s.press("s");
    ASSERT_TRUE(s.wait_for("Test STGC"));
    s.press("t");
    s.press("Esc");
    ASSERT_TRUE(s.wait_for("STGC is good!"));

    // File -> Save under the offered name.
    s.press("f");
    ASSERT_TRUE(s.wait_for("Manual input"));
    s.press("s");
    ASSERT_TRUE(s.wait_for("Ouput Text File (STGC): output.stgc"));
    s.press("Enter");
    s.press("Esc");
    ASSERT_TRUE(s.wait_for("output.stgc...Opening..."));
    EXPECT_EQ(read_file(dir.file("output.stgc")), "99,101");

    // File -> Load: typing replaces the offered input.stgc.
    s.press("f");
    ASSERT_TRUE(s.wait_for("Manual input"));
    s.press("l");
    ASSERT_TRUE(s.wait_for("Ouput Text File (STGC): input.stgc"));
    s.type("output.stgc");
    s.press("Enter");
    s.press("Esc");
    ASSERT_TRUE(s.wait_for("Size of file:6 bytes"));

    // STGC -> Test STGC once more.
    s.press("s");
    ASSERT_TRUE(s.wait_for("Test STGC"));
    s.press("t");
    s.press("Esc");
    ASSERT_TRUE(s.wait_until(
        [&] { return s.screen().find("STGC is good!") != s.screen().rfind("STGC is good!"); },
        "the second verdict"));
    ASSERT_TRUE(s.settle());
    EXPECT_TRUE(pane_shows(
        s, {"Quality = 200, Number of cogs = 2", "Number of heads = 100", "STGC is good!",
            "output.stgc...Opening...", "output.stgc...Opening...", "Size of file:6 bytes",
            "Quality = 200, Number of cogs = 2", "Number of heads = 100", "STGC is good!"}));

    s.press("f");
    ASSERT_TRUE(s.wait_for("Manual input"));
    s.press("e");
    ASSERT_TRUE(s.wait_exit());
    EXPECT_EQ(s.exit_status(), 0);
}

TEST(CodeSession, BadCodesAndMissingFiles) {
    TempDir dir;
    e2e::Options options;
    options.cwd = dir.path();
    e2e::Session s(options);
    ASSERT_TRUE(s.wait_for("Use arrow keys and Enter to select"));

    s.press("s");
    ASSERT_TRUE(s.wait_for("Test STGC"));
    s.press("t");
    s.press("Esc");
    ASSERT_TRUE(s.wait_for("STGC is not generated!"));

    s.press("f");
    ASSERT_TRUE(s.wait_for("Manual input"));
    s.press("m");
    ASSERT_TRUE(s.wait_for("STGC (manually):"));
    s.type("1,3");
    s.press("Enter");
    s.press("l");
    ASSERT_TRUE(s.wait_for("Ouput Text File (STGC): input.stgc"));
    s.press("Enter"); // no such file in the fresh directory
    s.press("Esc");
    ASSERT_TRUE(s.wait_for("Can't open file!"));

    s.press("s");
    ASSERT_TRUE(s.wait_for("Test STGC"));
    s.press("t");
    s.press("Esc");
    ASSERT_TRUE(s.wait_for("Is not code: equal values for different angles"));
    ASSERT_TRUE(s.settle());
    EXPECT_TRUE(
        pane_shows(s, {"STGC is not generated!", "input.stgc...Opening...", "Can't open file!",
                       "Quality = 4, Number of cogs = 2", "Number of heads = 2", "Bad STGC !",
                       "Is not code: equal values for different angles"}));
}
