// The table exports through the real program: a code typed by hand, the decoder table in both
// forms and the text table written from the Export pull-down, and the refusals on screen.
#include <gtest/gtest.h>

#include <memory>

#include "tests/e2e/harness.h"
#include "tests/support/test_support.h"

using testing_support::file_exists;
using testing_support::read_file;
using testing_support::TempDir;

namespace {

class TableExport : public ::testing::Test {
  protected:
    void SetUp() override {
        e2e::Options o;
        o.cwd = dir.path();
        session.reset(new e2e::Session(o));
        ASSERT_TRUE(session->wait_for("Use arrow keys and Enter to select"));
    }
    // File -> Manual input with `code`; the pull-down is closed afterwards.
    void type_code(const std::string& code) {
        e2e::Session& s = *session;
        s.press("Enter");
        ASSERT_TRUE(s.wait_for("Manual input"));
        s.press("Down", 2);
        s.press("Enter");
        ASSERT_TRUE(s.wait_for("STGC (manually):"));
        s.type(code);
        s.press("Enter");
        s.press("Esc");
        ASSERT_TRUE(s.settle());
    }
    // Opens the Export pull-down (the bar moves there from File unless it stands on Export
    // already) and chooses the entry `down` places below the first.
    void export_entry(int down, bool bar_on_file = true) {
        e2e::Session& s = *session;
        if (bar_on_file) s.press("Right", 2);
        s.press("Enter");
        ASSERT_TRUE(s.wait_for("Change Geometry"));
        s.press("Down", down);
        s.press("Enter");
    }
    ::testing::AssertionResult wait_file(const std::string& name, const std::string& ending) {
        const std::string path = dir.file(name);
        return session->wait_until(
            [&] {
                const std::string text = read_file(path);
                return text.size() >= ending.size() &&
                       text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
            },
            name + " written");
    }

    TempDir dir;
    std::unique_ptr<e2e::Session> session;
};

const int assembler_entry = 3, cpp_entry = 4, text_entry = 5;

} // namespace

TEST_F(TableExport, AssemblerCppAndTextOfATypedCode) {
    type_code("3,3");
    e2e::Session& s = *session;

    export_entry(assembler_entry);
    ASSERT_TRUE(s.wait_for("Ouput File (ASM): output.asm"));
    s.press("Kill");
    s.type("disk.asm");
    s.press("Enter");
    ASSERT_TRUE(wait_file("disk.asm", " ;0\n"));
    EXPECT_EQ(read_file(dir.file("disk.asm")), ".db 255,  0,  2,  1,  4,  5,  3,255 ;0\n");

    // The pull-down stays open: C++ code is the next entry.
    s.press("Down");
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Ouput File (CPP): output.cpp"));
    s.press("Enter");
    ASSERT_TRUE(wait_file("output.cpp", "};\n"));
    EXPECT_EQ(read_file(dir.file("output.cpp")),
              "unsigned char stgc_decoder[8]={\n\t255,  0,  2,  1,  4,  5,  3,255  //0\n};\n");

    s.press("Down");
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Ouput File (TXT): output.txt"));
    s.press("Enter");
    ASSERT_TRUE(wait_file("output.txt", "101\n"));
    EXPECT_EQ(read_file(dir.file("output.txt")), "001  010  100\n011  110  101\n");

    // The assembler prompt offers the name confirmed last; Esc writes nothing.
    s.press("Up", 2);
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Ouput File (ASM): disk.asm"));
    s.press("Esc");
    s.press("Esc");
    ASSERT_TRUE(s.settle());
    EXPECT_TRUE(s.contains("Quality = 6, Number of cogs = 2"));
    EXPECT_TRUE(s.contains("Number of heads = 3"));
    EXPECT_FALSE(s.contains("ERROR"));
    EXPECT_FALSE(s.contains("Can't"));
    EXPECT_FALSE(file_exists(dir.file("output.asm")));
}

TEST_F(TableExport, WithoutACodeNothingIsAsked) {
    export_entry(cpp_entry);
    e2e::Session& s = *session;
    s.press("Esc");
    ASSERT_TRUE(s.wait_for("STGC is not generated!"));
    EXPECT_FALSE(s.contains("Ouput File (CPP):"));
    EXPECT_FALSE(file_exists(dir.file("output.cpp")));
}

TEST_F(TableExport, RepeatedReadingsWriteNoDecoderTable) {
    type_code("1,3");
    export_entry(assembler_entry);
    e2e::Session& s = *session;
    ASSERT_TRUE(s.wait_for("Ouput File (ASM): output.asm"));
    s.press("Enter");
    s.press("Esc");
    ASSERT_TRUE(s.wait_for("ERROR: Same codes!!!"));
    EXPECT_TRUE(s.contains("Quality = 4, Number of cogs = 2"));
    EXPECT_FALSE(file_exists(dir.file("output.asm")));

    // The text table shows the repeated readings all the same.
    export_entry(text_entry, false);
    ASSERT_TRUE(s.wait_for("Ouput File (TXT): output.txt"));
    s.press("Enter");
    ASSERT_TRUE(wait_file("output.txt", "11\n"));
    EXPECT_EQ(read_file(dir.file("output.txt")), "01  10\n11  11\n");
}
