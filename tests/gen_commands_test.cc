// Code generation: the code search on every offered quality, the commands with their prompts
// and refusals, and generation when memory runs out.
#include <gtest/gtest.h>

#include "code/decoder.h"
#include "code/runlist.h"
#include "code/verify.h"
#include "gen/commands.h"
#include "gen/search.h"
#include "tests/support/faults.h"

using testing_support::MessageLog;

namespace {

const std::string data = STGC_SOURCE_DIR "/tests/data/gen/";
const std::vector<int> old_code = {10, 3, 5, 18};

int build(int n) {
    MessageLog log;
    int max = -1;
    algorithm1(n, &max);
    return max;
}

// Runs the command of `mode` answering its prompts in turn (null: Esc); returns the prompts
// asked and the pane. Answers left over are dropped.
std::string run(int mode, std::vector<const char*> answers) {
    testing_support::ScriptedPrompts prompts;
    MessageLog log;
    for (const char* text : answers)
        text ? prompts.answer(text) : prompts.escape();
    mode ? sub_GenCog() : sub_GenQual();
    return prompts.newly_asked() + log.body();
}

class GenCommand : public ::testing::Test {
    void SetUp() override { replace_global_stgc(make_runlist(old_code)); }
    void TearDown() override { replace_global_stgc(nullptr); }
};

// Every quality offered for 3 to 12 heads, and the two-run code up to 20 heads, gives a code of
// that quality which passes the code test; the tables are released.
TEST(Search, EveryOfferedQuality) {
    for (int n = 3; n <= 20; ++n) {
        const int max = n <= 12 ? build(n) : 2 * n;
        for (int q = 2 * n; q <= max; q += 2 * n) {
            build(n);
            MessageLog log;
            ASSERT_TRUE(perebor.process(q) && global_stgc) << "n=" << n << " Q=" << q;
            EXPECT_EQ(shape_of(global_stgc).quality, q);
            EXPECT_EQ(check_code(global_stgc), code_verdict::good) << "n=" << n << " Q=" << q;
            EXPECT_EQ(perebor.even_necklaces, nullptr);
        }
    }
    replace_global_stgc(nullptr);
    // The search itself refuses what the prompts would not offer.
    const int max = build(5);
    MessageLog log;
    EXPECT_FALSE(perebor.process(max + 10));
    EXPECT_EQ(log.body(), "Too high Quality\n");
    EXPECT_EQ(global_stgc, nullptr);
}

// Per answer (quality, then cog number): the offers, the listing, the echo in 64 bits, each
// refusal, Esc; numbers take C base prefixes. The code stays and the tables are released. Then
// one cog gives the two-run code without a search.
TEST_F(GenCommand, PromptsRefusalsAndTheTwoRunCode) {
    // clang-format off
    const std::vector<std::vector<const char*>> cases[2] = {
        {{"010", nullptr}, {"3", nullptr}, {"4", nullptr}, {"5", "8"}, {"5", "40"}, {"5", "0x28"},
         {"5", "25"}, {"5", "-30"}, {"5", "lots"}, {"abc"}, {""}, {"2"}, {"-8"}, {nullptr}},
        {{"8", nullptr}, {"5", "0"}, {"5", "4"}, {"5", "2147483647"}, {"5", "-2147483648"},
         {"5", ""}, {"99999999999"}, {"21"}, {"6", nullptr}}};
    // clang-format on
    std::string transcript;
    for (int mode : {0, 1})
        for (const auto& answers : cases[mode]) {
            transcript += run(mode, answers) + "--\n";
            EXPECT_EQ(runs_of(global_stgc), old_code) << transcript;
            EXPECT_EQ(perebor.even_necklaces, nullptr);
        }
    transcript += run(1, {"3", "1"});
    EXPECT_EQ(transcript, testing_support::read_file(data + "commands.txt"));
    EXPECT_EQ(format_runlist(global_stgc), "3,3");
}

} // namespace

#ifndef FAULTS_UNDER_ASAN
// 20 heads and the largest quality: the tables take 4 MB, the search several more. Out of
// memory the error stands on its own line, the code stays, the tables are released, and a later
// generation (quality in hex) searches and installs its code.
TEST(GenFaults, GenerationWithoutMemoryKeepsTheCodeAndReleasesTheTables) {
    const auto state = [] {
        return format_runlist(global_stgc) +
               (perebor.even_necklaces || perebor.odd_necklaces ? " tables held" : "");
    };
    const auto generate = [](const char* heads, const char* quality) {
        testing_support::ScriptedPrompts prompts; // drops an answer left over
        prompts.answer(heads);
        prompts.answer(quality);
        sub_GenQual();
    };
    replace_global_stgc(make_runlist({10, 3, 5, 18}));
    for (const auto& limit :
         {std::make_pair(size_t{1} << 20, "tables"), std::make_pair(size_t{7} << 20, "search")}) {
        const faults::child_result r = faults::in_child(faults::privileges::kept, "", state, [&] {
            faults::limit_address_space(limit.first);
            generate("20", "1046520");
            if (state() != "10,3,5,18") _exit(4);
            generate("5", "0x1e");
        });
        ASSERT_TRUE(r.ran) << "exit code " << r.exit_code;
        EXPECT_NE(r.messages.find(std::string("\nError: Not enough memory for the ") +
                                  limit.second + "; the current code is unchanged.\n"),
                  std::string::npos);
        EXPECT_NE(r.messages.find("\nHeads = 5, Quality = 30 \nHamilton:<"), std::string::npos);
        EXPECT_NE(r.messages.find("\nGENERATED GRAY CODE:\n<" + r.state + ">\n"),
                  std::string::npos);
    }
    replace_global_stgc(nullptr);
}
#endif
