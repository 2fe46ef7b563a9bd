#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "code/runlist.h"
#include "export/table_commands.h"
#include "tests/support/test_support.h"

using testing_support::file_exists;
using testing_support::MessageLog;
using testing_support::read_file;
using testing_support::run_command;
using testing_support::ScriptedPrompts;
using testing_support::TempDir;

namespace {

// Runs the test inside a fresh directory, so that typed names stay short and relative.
class InTempDir {
  public:
    InTempDir() {
        char buffer[4096];
        if (getcwd(buffer, sizeof buffer)) previous_ = buffer;
        EXPECT_EQ(chdir(dir_.path().c_str()), 0);
    }
    ~InTempDir() {
        if (!previous_.empty() && chdir(previous_.c_str()) != 0) ADD_FAILURE() << "chdir back";
    }
    std::string listing() const {
        std::string out;
        run_command("ls -A '" + dir_.path() + "'", &out);
        return out;
    }

  private:
    TempDir dir_;
    std::string previous_;
};

const char* const info_3_3 = "Quality = 6, Number of cogs = 2\nNumber of heads = 3\n";

} // namespace

// Runs first: the names still hold their defaults.
TEST(TableCommands, PromptsOfferDefaultsThenTheLastConfirmedName) {
    InTempDir here;
    replace_global_stgc(make_runlist({3, 3}));
    MessageLog log;
    ScriptedPrompts prompts;

    struct Command {
        void (*run)();
        const char* prompt;
        const char* default_name;
        char* buffer;
        std::string expected;
    };
    const Command commands[] = {
        {sub_ASM, "Ouput File (ASM):", "output.asm", asm_name,
         ".db 255,  0,  2,  1,  4,  5,  3,255 ;0\n"},
        {sub_CPP, "Ouput File (CPP):", "output.cpp", cpp_name,
         "unsigned char stgc_decoder[8]={\n\t255,  0,  2,  1,  4,  5,  3,255  //0\n};\n"},
        {sub_TXT, "Ouput File (TXT):", "output.txt", txt_name, "001  010  100\n011  110  101\n"},
    };
    for (const Command& c : commands) {
        SCOPED_TRACE(c.prompt);
        EXPECT_STREQ(c.buffer, c.default_name);
        size_t asked = prompts.asked().size();

        // The default as offered, confirmed unchanged.
        prompts.answer(std::vector<std::string>{});
        c.run();
        ASSERT_EQ(prompts.asked().size(), asked + 1);
        const ScriptedPrompts::Asked& first = prompts.asked()[asked];
        EXPECT_EQ(first.labels, std::vector<std::string>{c.prompt});
        EXPECT_EQ(first.offered, std::vector<std::string>{c.default_name});
        EXPECT_EQ(first.field, 50);
        EXPECT_EQ(read_file(c.default_name), c.expected);

        // A new name is written and offered next time; Esc then writes nothing.
        prompts.answer("renamed");
        c.run();
        EXPECT_EQ(read_file("renamed"), c.expected);
        EXPECT_STREQ(c.buffer, "renamed");
        ASSERT_EQ(unlink("renamed"), 0);
        prompts.escape();
        c.run();
        ASSERT_EQ(prompts.asked().size(), asked + 3);
        EXPECT_EQ(prompts.asked()[asked + 2].offered, std::vector<std::string>{"renamed"});
        EXPECT_FALSE(file_exists("renamed"));
        EXPECT_STREQ(c.buffer, "renamed");
        ASSERT_EQ(unlink(c.default_name), 0);
    }
    EXPECT_EQ(here.listing(), "");
    // Two writes per command, each with its informational lines; Esc prints nothing.
    std::string expected;
    for (int i = 0; i < 6; ++i)
        expected += info_3_3;
    EXPECT_EQ(log.body(), expected);
    EXPECT_EQ(prompts.pending(), 0u);
}

TEST(TableCommands, WithoutACodeNothingIsAsked) {
    InTempDir here;
    replace_global_stgc(nullptr);
    MessageLog log;
    ScriptedPrompts prompts;
    prompts.answer("never");
    sub_ASM();
    sub_CPP();
    sub_TXT();
    EXPECT_EQ(log.body(), "STGC is not generated!\nSTGC is not generated!\n"
                          "STGC is not generated!\n");
    EXPECT_TRUE(prompts.asked().empty());
    EXPECT_EQ(here.listing(), "");
}

TEST(TableCommands, RefusalsAndFailuresReachTheMessagePane) {
    InTempDir here;
    MessageLog log;
    ScriptedPrompts prompts;

    // Repeated readings: the decoder table refuses, the text table is written.
    replace_global_stgc(make_runlist({1, 3}));
    prompts.answer("same.asm");
    sub_ASM();
    prompts.answer("same.cpp");
    sub_CPP();
    prompts.answer("same.txt");
    sub_TXT();
    EXPECT_EQ(here.listing(), "same.txt\n");
    EXPECT_EQ(read_file("same.txt"), "01  10\n11  11\n");

    // An empty code is a code, but it has no heads.
    replace_global_stgc(make_runlist({}));
    prompts.answer("empty.asm");
    sub_ASM();
    prompts.answer("empty.txt");
    sub_TXT();

    // A name that cannot be opened.
    replace_global_stgc(make_runlist({3, 3}));
    prompts.answer("no/such/dir.cpp");
    sub_CPP();
    EXPECT_EQ(here.listing(), "same.txt\n");

    const std::string same = "Quality = 4, Number of cogs = 2\nNumber of heads = 2\n";
    const std::string empty = "Quality = 0, Number of cogs = 0\nCan't calculate number of heads\n";
    EXPECT_EQ(log.body(), same + "ERROR: Same codes!!!\n" + same + "ERROR: Same codes!!!\n" + same +
                              empty + empty + info_3_3 + "Can't open file!\n");
}
