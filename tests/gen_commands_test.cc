// The generation commands: prompts and defaults, the echo line, the checks and the refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "code/runlist.h"
#include "code/track.h"
#include "code/verify.h"
#include "gen/commands.h"
#include "gen/necklace.h"
#include "tests/support/test_support.h"

namespace {

const std::vector<int> old_code = {10, 3, 5, 18};
const std::string five_heads = "...Generating step 1...\nsize: 3,3\n<3,5,f,>\n<1,7,b,>\n";

class GenCommand : public ::testing::Test {
  protected:
    void SetUp() override { replace_global_stgc(make_runlist(old_code)); }
    void TearDown() override { replace_global_stgc(nullptr); }
    // Runs the command of `mode` answering its prompts in turn (null: Esc); returns the pane.
    std::string run(int mode, std::vector<const char*> answers) {
        testing_support::MessageLog log;
        for (const char* text : answers)
            text ? prompts.answer(text) : prompts.escape();
        mode ? sub_GenCog() : sub_GenQual();
        return log.body();
    }
    // The prompts asked since the last call, one line each: label, offered text, field width.
    std::string asked() {
        std::string lines;
        for (; seen < prompts.asked().size(); ++seen) {
            const auto& a = prompts.asked()[seen];
            lines += a.labels[0] + " [" + a.offered[0] + "] " + std::to_string(a.field) + "\n";
        }
        return lines;
    }
    testing_support::ScriptedPrompts prompts;
    size_t seen = 0;
};

const std::string heads_prompt = "Number of Heads (3..20): [8] 20\n";

TEST_F(GenCommand, PromptsOfferEightHeadsThenTheLargestValue) {
    EXPECT_NE(run(0, {"8", nullptr}).find("\nsize: 14,16\n"), std::string::npos);
    EXPECT_EQ(asked(), heads_prompt + "Quality (16,32,...,224): [224] 20\n");
    run(0, {"3", nullptr});
    EXPECT_EQ(asked(), heads_prompt + "Quality (6,12,...,6): [6] 20\n");
    run(0, {"4", nullptr});
    EXPECT_EQ(asked(), heads_prompt + "Quality (8,16,...,8): [8] 20\n");
    EXPECT_NE(run(1, {"8", "4"}).find("\nHeads = 8, Quality = 64 \n"), std::string::npos);
    EXPECT_EQ(asked(), heads_prompt + "Cog number (1,2,...,14): [14] 20\n");
    EXPECT_EQ(shape_of(global_stgc).quality, 64);
    EXPECT_EQ(shape_of(global_stgc).runs, 8);
    EXPECT_EQ(check_code(global_stgc), code_verdict::good);
}

TEST_F(GenCommand, FiveHeadsQualityThirty) {
    const std::string pane = run(0, {"5", "0x1e"});
    EXPECT_EQ(pane.rfind(five_heads + "Heads = 5, Quality = 30 \nHamilton:<", 0), 0u) << pane;
    EXPECT_NE(pane.find(">GOOD\n{"), std::string::npos);
    std::string listed;
    for (int r : runs_of(global_stgc))
        listed += (listed.empty() ? "" : ",") + std::to_string(r);
    const std::string tail = "\nFirst COG detected (3)\nGENERATED GRAY CODE:\n<" + listed + ">\n";
    EXPECT_EQ(pane.substr(pane.size() - tail.size()), tail);
    EXPECT_EQ(shape_of(global_stgc).runs, 6);
    EXPECT_EQ(check_code(global_stgc), code_verdict::good);
}

TEST_F(GenCommand, OneCogGivesTheTwoRunCode) {
    replace_global_stgc(nullptr);
    EXPECT_EQ(run(1, {"3", "1"}), "...Generating step 1...\nsize: 1,1\n<3,>\n<1,>\n"
                                  "Heads = 3, Quality = 6 \nSimple algorithm...\n"
                                  "GENERATED GRAY CODE:\n<3,3>\n");
    EXPECT_EQ(runs_of(global_stgc), (std::vector<int>{3, 3}));
}

// Each check echoes the quality first, keeps the current code and releases the tables; a cog
// number whose quality leaves the int range stays a large quality.
TEST_F(GenCommand, QualityChecksKeepTheCode) {
    const struct {
        int mode;
        const char* answer;
        const char* messages;
    } cases[] = {
        {0, "8", "Heads = 5, Quality = 8 \nError: Too low quality\n"},
        {0, "40", "Heads = 5, Quality = 40 \nError: Too high quality\n"},
        {0, "25", "Heads = 5, Quality = 25 \nError: (2*Heads) must be divisor of Quality\n"},
        {0, "-30", "Heads = 5, Quality = -30 \nError: Too low quality\n"},
        {1, "0", "Heads = 5, Quality = 0 \nError: Too low quality\n"},
        {1, "4", "Heads = 5, Quality = 40 \nError: Too high quality\n"},
        {1, "2147483647", "Heads = 5, Quality = 21474836470 \nError: Too high quality\n"},
        {1, "-2147483648", "Heads = 5, Quality = -21474836480 \nError: Too low quality\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run(c.mode, {"5", c.answer}), five_heads + c.messages);
        EXPECT_EQ(runs_of(global_stgc), old_code);
        EXPECT_EQ(perebor.even_necklaces, nullptr);
    }
}

// Refused head counts build no table; Esc at the first prompt is silent, at the second it ends
// the command after the listing.
TEST_F(GenCommand, RefusalsAndEscapeKeepTheCode) {
    const struct {
        std::vector<const char*> answers;
        std::string messages;
    } cases[] = {
        {{"abc"}, "Error: The number of heads is not a number\n"},
        {{""}, "Error: The number of heads is not a number\n"},
        {{"99999999999"}, "Error: The number of heads is not a number\n"},
        {{"2"}, "Error: Number of heads must be from 3 to 20\n"},
        {{"21"}, "Error: Number of heads must be from 3 to 20\n"},
        {{"-8"}, "Error: Number of heads must be from 3 to 20\n"},
        {{"5", "lots"}, five_heads + "Error: The answer is not a number\n"},
        {{"5", ""}, five_heads + "Error: The answer is not a number\n"},
        {{nullptr}, ""},
        {{"6", nullptr}, "...Generating step 1...\nsize: 4,5\n<3,5,f,17,>\n<1,7,b,d,1f,>\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run(0, c.answers), c.messages);
        const std::string prompted = asked(); // as many prompts as answers
        EXPECT_EQ(static_cast<size_t>(std::count(prompted.begin(), prompted.end(), '\n')),
                  c.answers.size())
            << prompted;
        EXPECT_EQ(runs_of(global_stgc), old_code);
        EXPECT_EQ(perebor.even_necklaces, nullptr);
    }
}

} // namespace
