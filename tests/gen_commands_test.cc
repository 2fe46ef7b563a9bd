// The generation commands: prompts and defaults, the echo line, the checks and the refusals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "code/runlist.h"
#include "code/track.h"
#include "code/verify.h"
#include "gen/commands.h"
#include "gen/necklace.h"
#include "tests/support/test_support.h"

using testing_support::MessageLog;
using testing_support::ScriptedPrompts;

namespace {

const std::vector<int> kOldCode = {10, 3, 5, 18};

struct old_code {
    old_code() { replace_global_stgc(make_runlist(kOldCode)); }
    ~old_code() { replace_global_stgc(nullptr); }
};

bool has_line(const MessageLog& log, const std::string& line) {
    for (const std::string& l : log.lines())
        if (l == line) return true;
    return false;
}

TEST(ReadNumber, BasePrefixesAndTrailingText) {
    int v = -1;
    EXPECT_TRUE(read_number("0x1e", &v));
    EXPECT_EQ(v, 30);
    EXPECT_TRUE(read_number("  0X1E", &v));
    EXPECT_EQ(v, 30);
    EXPECT_TRUE(read_number("010", &v));
    EXPECT_EQ(v, 8);
    EXPECT_TRUE(read_number("12 cogs", &v));
    EXPECT_EQ(v, 12);
    EXPECT_TRUE(read_number("-5", &v));
    EXPECT_EQ(v, -5);
    EXPECT_TRUE(read_number("0", &v));
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(read_number("2147483647", &v));
    EXPECT_EQ(v, 2147483647);
    v = 77;
    EXPECT_FALSE(read_number("", &v));
    EXPECT_FALSE(read_number("   ", &v));
    EXPECT_FALSE(read_number("abc", &v));
    EXPECT_FALSE(read_number("2147483648", &v));
    EXPECT_FALSE(read_number("-99999999999999999999", &v));
    EXPECT_FALSE(read_number(nullptr, &v));
    EXPECT_EQ(v, 77);
}

TEST(GenerationCommands, PromptsOfferEightHeadsThenTheLargestValue) {
    old_code code;
    {
        ScriptedPrompts prompts;
        prompts.answer("8");
        prompts.escape();
        MessageLog log;
        sub_GenQual();
        ASSERT_EQ(prompts.asked().size(), 2u);
        EXPECT_EQ(prompts.asked()[0].labels[0], "Number of Heads (3..20):");
        EXPECT_EQ(prompts.asked()[0].offered[0], "8");
        EXPECT_EQ(prompts.asked()[0].field, 20);
        EXPECT_EQ(prompts.asked()[1].labels[0], "Quality (16,32,...,224):");
        EXPECT_EQ(prompts.asked()[1].offered[0], "224");
        EXPECT_EQ(prompts.asked()[1].field, 20);
        EXPECT_TRUE(has_line(log, "size: 14,16"));
    }
    {
        ScriptedPrompts prompts;
        prompts.answer("8");
        prompts.answer("4");
        MessageLog log;
        sub_GenCog();
        ASSERT_EQ(prompts.asked().size(), 2u);
        EXPECT_EQ(prompts.asked()[1].labels[0], "Cog number (1,2,...,14):");
        EXPECT_EQ(prompts.asked()[1].offered[0], "14");
        EXPECT_TRUE(has_line(log, "Heads = 8, Quality = 64 "));
        EXPECT_EQ(check_code(global_stgc), code_verdict::good);
        EXPECT_EQ(shape_of(global_stgc).quality, 64);
        EXPECT_EQ(shape_of(global_stgc).runs, 8);
    }
    for (int n : {3, 4}) {
        ScriptedPrompts prompts;
        prompts.answer(std::to_string(n));
        prompts.escape();
        MessageLog log;
        sub_GenQual();
        ASSERT_EQ(prompts.asked().size(), 2u);
        EXPECT_EQ(prompts.asked()[1].labels[0], n == 3 ? "Quality (6,12,...,6):"
                                                       : "Quality (8,16,...,8):");
    }
}

TEST(GenerationCommands, FiveHeadsQualityThirty) {
    old_code code;
    ScriptedPrompts prompts;
    prompts.answer("5");
    prompts.answer("0x1e");
    MessageLog log;
    sub_GenQual();
    const std::vector<std::string> lines = log.lines();
    ASSERT_GE(lines.size(), 11u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5),
              (std::vector<std::string>{"...Generating step 1...", "size: 3,3", "<3,5,f,>",
                                        "<1,7,b,>", "Heads = 5, Quality = 30 "}));
    const std::size_t end = lines.size();
    EXPECT_EQ(lines[5].rfind("Hamilton:<", 0), 0u);
    EXPECT_EQ(lines[end - 6].substr(lines[end - 6].size() - 5), ">GOOD");
    EXPECT_EQ(lines[end - 5].front(), '{');
    EXPECT_EQ(lines[end - 4].rfind("Gray Code found (Sh=", 0), 0u);
    EXPECT_EQ(lines[end - 3], "First COG detected (3)");
    EXPECT_EQ(lines[end - 2], "GENERATED GRAY CODE:");
    std::string listed = "<";
    const std::vector<int> runs = runs_of(global_stgc);
    for (std::size_t i = 0; i < runs.size(); ++i) listed += (i ? "," : "") + std::to_string(runs[i]);
    EXPECT_EQ(lines[end - 1], listed + ">");
    EXPECT_EQ(runs.size(), 6u);
    EXPECT_EQ(check_code(global_stgc), code_verdict::good);
    EXPECT_EQ(perebor.even_necklaces, nullptr);
}

TEST(GenerationCommands, QualityChecksKeepTheCode) {
    old_code code;
    const struct {
        int mode;
        const char* answer;
        const char* echo;
        const char* error;
    } cases[] = {
        {0, "8", "Heads = 5, Quality = 8 ", "Error: Too low quality"},
        {0, "40", "Heads = 5, Quality = 40 ", "Error: Too high quality"},
        {0, "25", "Heads = 5, Quality = 25 ", "Error: (2*Heads) must be divisor of Quality"},
        {0, "-30", "Heads = 5, Quality = -30 ", "Error: Too low quality"},
        {1, "0", "Heads = 5, Quality = 0 ", "Error: Too low quality"},
        {1, "4", "Heads = 5, Quality = 40 ", "Error: Too high quality"},
        // A cog number whose quality leaves the int range stays a large quality.
        {1, "2147483647", "Heads = 5, Quality = 21474836470 ", "Error: Too high quality"},
        {1, "-2147483648", "Heads = 5, Quality = -21474836480 ", "Error: Too low quality"},
    };
    for (const auto& c : cases) {
        ScriptedPrompts prompts;
        prompts.answer("5");
        prompts.answer(c.answer);
        MessageLog log;
        sub_GenQualCog(c.mode);
        const std::vector<std::string> lines = log.lines();
        ASSERT_EQ(lines.size(), 6u) << c.answer;
        EXPECT_EQ(lines[4], c.echo);
        EXPECT_EQ(lines[5], c.error);
        EXPECT_EQ(runs_of(global_stgc), kOldCode);
        EXPECT_EQ(perebor.even_necklaces, nullptr);
    }
}

TEST(GenerationCommands, OneCogGivesTheTwoRunCode) {
    old_code code;
    ScriptedPrompts prompts;
    prompts.answer("3");
    prompts.answer("1");
    MessageLog log;
    sub_GenCog();
    EXPECT_TRUE(has_line(log, "Heads = 3, Quality = 6 "));
    EXPECT_TRUE(has_line(log, "Simple algorithm..."));
    EXPECT_TRUE(has_line(log, "GENERATED GRAY CODE:"));
    EXPECT_TRUE(has_line(log, "<3,3>"));
    EXPECT_EQ(runs_of(global_stgc), (std::vector<int>{3, 3}));
}

TEST(GenerationCommands, EscapeLeavesEverything) {
    old_code code;
    {
        ScriptedPrompts prompts;
        prompts.escape();
        MessageLog log;
        sub_GenQual();
        EXPECT_EQ(log.body(), "");
        EXPECT_EQ(prompts.asked().size(), 1u);
    }
    {
        ScriptedPrompts prompts;
        prompts.answer("6");
        prompts.escape();
        MessageLog log;
        sub_GenCog();
        EXPECT_EQ(log.lines(), (std::vector<std::string>{"...Generating step 1...", "size: 4,5",
                                                         "<3,5,f,17,>", "<1,7,b,d,1f,>"}));
        EXPECT_EQ(perebor.even_necklaces, nullptr);
    }
    EXPECT_EQ(runs_of(global_stgc), kOldCode);
}

TEST(GenerationCommands, RefusedAnswers) {
    old_code code;
    const struct {
        const char* heads;
        const char* quality; // null: not asked
        const char* message;
    } cases[] = {
        {"abc", nullptr, "Error: The number of heads is not a number"},
        {"", nullptr, "Error: The number of heads is not a number"},
        {"99999999999", nullptr, "Error: The number of heads is not a number"},
        {"2", nullptr, "Error: Number of heads must be from 3 to 20"},
        {"21", nullptr, "Error: Number of heads must be from 3 to 20"},
        {"0", nullptr, "Error: Number of heads must be from 3 to 20"},
        {"-8", nullptr, "Error: Number of heads must be from 3 to 20"},
        {"5", "lots", "Error: The answer is not a number"},
        {"5", "", "Error: The answer is not a number"},
    };
    for (const auto& c : cases) {
        ScriptedPrompts prompts;
        prompts.answer(c.heads);
        if (c.quality) prompts.answer(c.quality);
        MessageLog log;
        sub_GenQual();
        const std::vector<std::string> lines = log.lines();
        ASSERT_FALSE(lines.empty()) << c.heads;
        EXPECT_EQ(lines.back(), c.message) << c.heads;
        // Refused heads build no table at all.
        EXPECT_EQ(c.quality == nullptr, log.body().find("Generating") == std::string::npos);
        EXPECT_EQ(prompts.asked().size(), c.quality ? 2u : 1u);
        EXPECT_EQ(runs_of(global_stgc), kOldCode);
        EXPECT_EQ(perebor.even_necklaces, nullptr);
    }
}

TEST(GenerationCommands, NoCodeBeforeIsFine) {
    replace_global_stgc(nullptr);
    ScriptedPrompts prompts;
    prompts.answer("7");
    prompts.answer("14");
    MessageLog log;
    sub_GenQual();
    ASSERT_NE(global_stgc, nullptr);
    EXPECT_EQ(shape_of(global_stgc).quality, 14);
    EXPECT_EQ(check_code(global_stgc), code_verdict::good);
    replace_global_stgc(nullptr);
}

} // namespace
