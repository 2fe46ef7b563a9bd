// Code generation: the code search on every offered quality, the commands with their prompts
// and refusals, generation when memory runs out, and the search for codes with long runs: every
// code it returns is a code of its size with the shortest run it claims; what it calls optimal
// or impossible agrees with a plain search.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <vector>

#include "code/decoder.h"
#include "code/runlist.h"
#include "code/verify.h"
#include "gen/commands.h"
#include "gen/run_search.h"
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
    // An attempt over its work limit is abandoned as bad; 0 sets no limit.
    std::vector<int> runs;
    build(5);
    EXPECT_EQ(attempt_cycle(perebor, {0, 1, 2}, {}, 1, runs), attempt_result::bad);
    EXPECT_EQ(attempt_cycle(perebor, {0, 1, 2}, {}, 0, runs), attempt_result::good);
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

// A repeatable search: bounded by its effort, not by the clock.
run_search_options sized(int n, int quality, int min_run = 0, long long effort = 50000000) {
    return {n, quality, min_run, 0, effort, 1, nullptr, nullptr};
}

void expect_code(const run_search_result& r, int n, int quality) {
    ASSERT_FALSE(r.runs.empty());
    EXPECT_EQ(std::accumulate(r.runs.begin(), r.runs.end(), 0), quality);
    EXPECT_EQ(static_cast<int>(r.runs.size()) * n, quality);
    EXPECT_EQ(*std::min_element(r.runs.begin(), r.runs.end()), r.shortest);
    EXPECT_GT(r.seconds_to_best, 0.0); // when the code was found, which the report shows
    std::vector<int> list(r.runs);
    list.push_back(0);
    EXPECT_EQ(check_code(list.data()), code_verdict::good);
}

// Plain search, sharing nothing with the one under test: a track is read by heads r = Q/n
// apart, so a step changes exactly one head when each class of positions mod r holds exactly
// one change of the track. Place the changes one by one, `shortest` or more apart, one per
// class, the first at 0 (any code can be turned so), and test each complete track.
bool plain_code_exists(int n, int quality, int shortest) {
    const int r = quality / n;
    std::vector<char> taken(static_cast<std::size_t>(r), 0);
    std::vector<int> gaps;
    taken[0] = 1;
    bool found = false;
    const auto place = [&](const auto& self, int at) -> void {
        if (found) return;
        if (static_cast<int>(gaps.size()) == r - 1) {
            if (quality - at < shortest) return;
            std::vector<int> list(gaps);
            list.push_back(quality - at);
            list.push_back(0);
            found = check_code(list.data()) == code_verdict::good;
            return;
        }
        const int left = r - 1 - static_cast<int>(gaps.size());
        for (int gap = shortest; at + gap + left * shortest <= quality; ++gap) {
            const int next = (at + gap) % r;
            if (taken[next]) continue;
            taken[next] = 1;
            gaps.push_back(gap);
            self(self, at + gap);
            gaps.pop_back();
            taken[next] = 0;
        }
    };
    place(place, 0);
    return found;
}

TEST(LongRuns, SmallSizesAreProvedOptimalAsAPlainSearchAgrees) {
    const int sizes[][2] = {{3, 6}, {5, 10}, {6, 12}, {5, 20}, {5, 30}, {6, 48}, {7, 126}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(size[1]);
        const run_search_result r = search_long_runs(sized(size[0], size[1]));
        EXPECT_EQ(r.status, run_search_status::optimal);
        expect_code(r, size[0], size[1]);
        EXPECT_TRUE(plain_code_exists(size[0], size[1], r.shortest));
        EXPECT_FALSE(plain_code_exists(size[0], size[1], r.shortest + 1));
    }
    // The largest proof of 8 heads takes some 4.4 million units of work: its pruning holds.
    const run_search_result r = search_long_runs(sized(8, 224, 0, 10000000));
    EXPECT_EQ(r.status, run_search_status::optimal);
    EXPECT_EQ(r.shortest, 6);
}

// Codes whose runs are all as long as asked, small and large, within a few hundredths of a
// second of work each. Published codes of the large sizes have runs of 2; for 9 x 360 and
// 10 x 360 the runs asked for are the longest the search has found at all.
TEST(LongRuns, MinRunFindsACodeOrProvesThereIsNone) {
    const int sizes[][3] = {{6, 48, 4},   {12, 1200, 8}, {9, 360, 7},   {9, 504, 5},
                            {10, 360, 8}, {10, 960, 6},  {16, 65024, 6}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(size[1]);
        const run_search_result r = search_long_runs(sized(size[0], size[1], size[2], 1000000));
        EXPECT_EQ(r.status, run_search_status::found);
        expect_code(r, size[0], size[1]);
        EXPECT_GE(r.shortest, size[2]);
    }
    for (int k : {5, 6, 40}) {
        const run_search_result r = search_long_runs(sized(6, 48, k));
        EXPECT_EQ(r.status, run_search_status::none_exists) << k;
        EXPECT_TRUE(r.runs.empty());
    }
    // Two runs (Q = 2n) are settled without a search: 5 + 5 has the shortest run asked for.
    EXPECT_EQ(search_long_runs(sized(5, 10, 5)).status, run_search_status::found);
    // Sizes without any code: more cogs than even necklaces, or not a multiple of 2n.
    EXPECT_EQ(search_long_runs(sized(5, 40)).status, run_search_status::none_exists);
    EXPECT_EQ(search_long_runs(sized(5, 35, 2)).status, run_search_status::none_exists);
    EXPECT_THROW(search_long_runs(sized(2, 4)), std::invalid_argument);
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
