// The generation commands: prompts and defaults, the echo line, the checks and the refusals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "code/runlist.h"
#include "code/track.h"
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
    std::string asked() { return prompts.newly_asked(); }
    testing_support::ScriptedPrompts prompts;
};

const std::string heads_prompt = "Number of Heads (3..20): [8] 20\n";

TEST_F(GenCommand, PromptsOfferEightHeadsThenTheLargestValue) {
    run(0, {"8", nullptr});
    EXPECT_EQ(asked(), heads_prompt + "Quality (16,32,...,224): [224] 20\n");
    run(0, {"3", nullptr});
    EXPECT_EQ(asked(), heads_prompt + "Quality (6,12,...,6): [6] 20\n");
    run(0, {"4", nullptr});
    EXPECT_EQ(asked(), heads_prompt + "Quality (8,16,...,8): [8] 20\n");
    EXPECT_NE(run(1, {"8", "4"}).find("\nHeads = 8, Quality = 64 \n"), std::string::npos);
    EXPECT_EQ(asked(), heads_prompt + "Cog number (1,2,...,14): [14] 20\n");
    EXPECT_EQ(shape_of(global_stgc).quality, 64);
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
}

TEST_F(GenCommand, OneCogGivesTheTwoRunCode) {
    replace_global_stgc(nullptr);
    EXPECT_EQ(run(1, {"3", "1"}), "...Generating step 1...\nsize: 1,1\n<3,>\n<1,>\n"
                                  "Heads = 3, Quality = 6 \nSimple algorithm...\n"
                                  "GENERATED GRAY CODE:\n<3,3>\n");
}

// Each check echoes the quality first (a cog number whose quality leaves the int range stays a
// large quality); refused head counts build no table; Esc at the first prompt is silent, at the
// second it ends the command after the listing. The current code stays, the tables are released.
TEST_F(GenCommand, ChecksRefusalsAndEscapeKeepTheCode) {
    const std::string too_low = "Error: Too low quality\n", too_high = "Error: Too high quality\n";
    const std::string no_heads = "Error: The number of heads is not a number\n";
    const std::string out_of_range = "Error: Number of heads must be from 3 to 20\n";
    const struct {
        int mode;
        std::vector<const char*> answers;
        std::string messages;
    } cases[] = {
        // clang-format off
        {0, {"5", "8"}, five_heads + "Heads = 5, Quality = 8 \n" + too_low},
        {0, {"5", "40"}, five_heads + "Heads = 5, Quality = 40 \n" + too_high},
        {0, {"5", "25"}, five_heads + "Heads = 5, Quality = 25 \n"
                                      "Error: (2*Heads) must be divisor of Quality\n"},
        {0, {"5", "-30"}, five_heads + "Heads = 5, Quality = -30 \n" + too_low},
        {1, {"5", "0"}, five_heads + "Heads = 5, Quality = 0 \n" + too_low},
        {1, {"5", "4"}, five_heads + "Heads = 5, Quality = 40 \n" + too_high},
        {1, {"5", "2147483647"}, five_heads + "Heads = 5, Quality = 21474836470 \n" + too_high},
        {1, {"5", "-2147483648"}, five_heads + "Heads = 5, Quality = -21474836480 \n" + too_low},
        {0, {"5", "lots"}, five_heads + "Error: The answer is not a number\n"},
        {1, {"5", ""}, five_heads + "Error: The answer is not a number\n"},
        {0, {"abc"}, no_heads}, {0, {""}, no_heads}, {1, {"99999999999"}, no_heads},
        {0, {"2"}, out_of_range}, {1, {"21"}, out_of_range}, {0, {"-8"}, out_of_range},
        {0, {nullptr}, ""},
        {1, {"6", nullptr}, "...Generating step 1...\nsize: 4,5\n<3,5,f,17,>\n<1,7,b,d,1f,>\n"},
        // clang-format on
    };
    size_t prompts_asked = 0; // one per answer, no more
    for (const auto& c : cases) {
        EXPECT_EQ(run(c.mode, c.answers), c.messages);
        EXPECT_EQ(prompts.asked().size(), prompts_asked += c.answers.size()) << c.messages;
        EXPECT_EQ(runs_of(global_stgc), old_code);
        EXPECT_EQ(perebor.even_necklaces, nullptr);
    }
}

} // namespace
