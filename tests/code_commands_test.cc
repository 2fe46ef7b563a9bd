// Load, Save and Test STGC as the message pane shows them with the faults a user's file system
// brings, and the fast code test against the definitions. The text form of a code is the
// decoder fuzz target's, whose corpus every build replays.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "code/commands.h"
#include "code/decoder.h"
#include "code/runlist.h"
#include "code/verify.h"
#include "tests/support/faults.h"
#include "tests/support/test_support.h"

namespace {

using namespace testing_support;
using faults::privileges;
using runs = std::vector<int>;
using v = code_verdict;

std::string current_code() {
    return format_runlist(global_stgc);
}

// Each test starts without a current code; prompts are answered from a script (Esc when
// nothing is left) and messages collected.
class Commands : public ::testing::Test {
  protected:
    void SetUp() override { replace_global_stgc(nullptr); }
    void TearDown() override { replace_global_stgc(nullptr); }
    void install(const runs& list) { replace_global_stgc(make_runlist(list)); }
    std::string run(void (*command)(), const std::string& answer = "\x1b") {
        log.clear();
        if (answer != "\x1b") prompts.answer(answer);
        command();
        return log.body();
    }
    TempDir dir;
    ScriptedPrompts prompts;
    MessageLog log;
};

// The verdicts' file holds each code after "> " and what Test STGC shows for it.
TEST_F(Commands, TestGivesTheFirstReasonThatAppliesAndKeepsTheCode) {
    const std::string golden = read_file(STGC_SOURCE_DIR "/tests/data/code/verdicts.txt");
    ASSERT_NE(golden, "");
    std::istringstream in(golden);
    std::string out;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("> ", 0) != 0) continue;
        ASSERT_EQ(decoder(line.c_str() + 2), decode_status::ok);
        out += line + "\n" + run(sub_Test);
        EXPECT_EQ(current_code(), line.substr(2));
    }
    EXPECT_EQ(out, golden);
}

TEST_F(Commands, LoadOfWhatCannotBeReadIsReportedAndKeepsTheCode) {
    install({3, 3});
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0666), 0); // no writer: must not hang
    write_file(dir.file("unreadable"), "1,1");
    ASSERT_EQ(chmod(dir.file("unreadable").c_str(), 0200), 0);
    for (const char* name : {"huge", "big"})
        write_file(dir.file(name), "");
    write_file(dir.file("overflow"), "2147483648,3");
    ASSERT_EQ(truncate(dir.file("huge").c_str(), int64_t{3} << 30), 0); // sparse
    ASSERT_EQ(truncate(dir.file("big").c_str(), int64_t{1536} << 20), 0);
    const privileges kept = privileges::kept;
    const std::string cant_open = faults::cant_open, irregular = "Not a regular file!\n";
    // clang-format off
    const struct { const char* path; privileges drop; size_t mib; std::string report; } cases[] = {
        {"missing", kept, 0, cant_open}, {"", kept, 0, cant_open},
        {"unreadable", privileges::dropped, 0, cant_open},
        {".", kept, 0, irregular}, {"pipe", kept, 0, irregular}, {"/dev/full", kept, 0, irregular},
        {"huge", kept, 0, "Size of file:3221225472 bytes\nFile too large!\n"},
        {"overflow", kept, 0, "Size of file:12 bytes\n" + std::string(decode_message(decode_status::number_too_large))},
        // With 256 MiB of room left to the child.
        {"big", kept, 256, "Size of file:1610612736 bytes\nNot enough memory!\n"}};
    // clang-format on
    for (const auto& c : cases) {
#ifdef FAULTS_UNDER_ASAN
        if (c.mib) continue;
#endif
        faults::child_result r = faults::in_child(c.drop, dir.path(), current_code, [&] {
            if (c.mib) faults::limit_address_space(c.mib << 20);
            run(sub_Load, c.path);
        });
        if (r.skipped) continue;
        ASSERT_TRUE(r.ran) << c.path;
        EXPECT_EQ(r.messages, c.path + ("...Opening...\n" + c.report));
        EXPECT_EQ(r.state, "3,3") << c.path;
    }
    // A file that reports a size of 0 and has content is read to its end all the same.
    const std::string proc = "/proc/sys/kernel/pid_max", digits = read_file(proc);
    ASSERT_GT(digits.size(), 1u);
    EXPECT_EQ(run(sub_Load, proc),
              proc + "...Opening...\nSize of file:" + std::to_string(digits.size()) + " bytes\n");
    EXPECT_EQ(current_code() + "\n", digits);
}

TEST_F(Commands, SaveReportsEveryFaultAndKeepsTheFiles) {
    install(known_good);
    faults::expect_write_faults(
        {"Save", [this](const std::string& path, const std::string&) { run(sub_Save, path); },
         [](const std::string& path, const std::string& failure) {
             return path + "...Opening...\n" + failure;
         }},
        current_code);
}

// The test as the definitions state it, for an even run count that divides Q: readings
// written head 0 first. Quadratic.
code_verdict reference_verdict(const runs& list) {
    std::string track;
    for (size_t i = 0; i < list.size(); ++i)
        track.append(static_cast<size_t>(list[i]), static_cast<char>('0' + i % 2));
    const size_t q = track.size(), r = list.size();
    std::vector<std::string> readings(q);
    for (size_t k = 0; k < q; ++k)
        for (size_t b = 0; b < q; b += r)
            readings[k] += track[(b + k) % q];
    for (size_t k = 0; k < q; ++k) {
        size_t changed = 0;
        for (size_t h = 0; h < q / r; ++h)
            changed += readings[k][h] != readings[(k + 1) % q][h];
        if (changed != 1) return v::not_gray;
    }
    const bool distinct = std::set<std::string>(readings.begin(), readings.end()).size() == q;
    return distinct ? v::good : v::not_distinct;
}

TEST_F(Commands, FastVerdictsAgreeWithTheDefinition) {
    // One run start in every residue class mod r passes the step test; whether the readings
    // differ is left to chance. Every fourth list has one position moved between two runs.
    // Fewer heads than runs, and more (up to 80).
    std::mt19937 rng(20150419);
    int seen[6] = {};
    for (int trial = 0; trial < 4000; ++trial) {
        const unsigned r = 2 * (1 + rng() % 12), n = 1 + rng() % (trial % 3 ? 12 : 80);
        std::vector<unsigned> starts{0, n * r};
        for (unsigned residue = 1; residue < r; ++residue)
            starts.push_back(residue + r * (rng() % n));
        std::sort(starts.begin(), starts.end());
        runs list;
        for (size_t i = 0; i + 1 < starts.size(); ++i)
            list.push_back(static_cast<int>(starts[i + 1] - starts[i]));
        const size_t from = rng() % list.size(), to = rng() % list.size();
        if (trial % 4 == 0 && list[from] > 1) --list[from], ++list[to];
        const code_verdict expected = reference_verdict(list);
        ++seen[static_cast<int>(expected)];
        install(list);
        ASSERT_EQ(check_code(global_stgc), expected) << ::testing::PrintToString(list);
    }
    EXPECT_GT(*std::min_element(seen + 3, seen + 6), 100); // each verdict aimed at came up
}

} // namespace
