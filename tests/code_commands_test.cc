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
#include "code/output_file.h"
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

// Save writes through a link to a new file beside the target and renames it over the target:
// the link stays, the file keeps its permissions, and no temporary file is left.
TEST_F(Commands, SaveThenLoadGiveBackTheRunList) {
    EXPECT_EQ(run(sub_Save) + run(sub_Test), "STGC is not generated!\nSTGC is not generated!\n");
    EXPECT_EQ(prompts.newly_asked(), "");
    const std::string path = dir.file("known.stgc"), link = dir.file("link");
    write_file(path, "the old code");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_EQ(symlink("known.stgc", link.c_str()), 0);
    install(known_good);
    EXPECT_EQ(run(sub_Save, link), link + "...Opening...\n");
    EXPECT_EQ(read_file(path), "10,3,5,18,14,3,4,8,6,6,5,6,10,3,13,4,5,12,4,13,4,4,11,4,12,5,9,23");
    std::string files; // with their modes and link targets
    run_command("cd '" + dir.path() +
                    "' && find . -mindepth 1 -printf '%M %f %l\\n' | LC_ALL=C sort",
                &files);
    EXPECT_EQ(files, "-rw-r----- known.stgc \nlrwxrwxrwx link known.stgc\n");
    install({1, 1});
    EXPECT_EQ(run(sub_Load, path), path + "...Opening...\nSize of file:65 bytes\n");
    EXPECT_EQ(runs_of(global_stgc), known_good);
    // The empty run list is a code: Save writes an empty file and Load installs it.
    install({});
    run(sub_Save, path);
    EXPECT_EQ(run(sub_Load, path), path + "...Opening...\nSize of file:0 bytes\n");
    ASSERT_NE(global_stgc, nullptr);
    EXPECT_EQ(runs_of(global_stgc), runs{});
}

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

// Two paths name one file when they resolve to it, whether or not it exists yet.
TEST(OutputFile, SameFileFollowsLinksAndDots) {
    TempDir dir;
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    ASSERT_EQ(mkdir("sub", 0755), 0);
    ASSERT_EQ(symlink("../new.grb", "sub/link"), 0); // to a file not yet created
    ASSERT_EQ(symlink(dir.path().c_str(), "here"), 0);
    write_file("old.grb", "x");
    ASSERT_EQ(link("old.grb", "hard.grb"), 0);
    // clang-format off
    const struct { const char* a; const char* b; bool same; } cases[] = {
        {"new.grb", "./new.grb", true}, {"new.grb", "sub/../new.grb", true},
        {"new.grb", "sub/link", true}, {"here/new.grb", "new.grb", true},
        {"old.grb", "hard.grb", true}, {"old.grb", "sub/../old.grb", true},
        {"new.grb", "new.drl", false}, {"new.grb", "sub/new.grb", false}, {"old.grb", "new.grb", false}};
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(same_file(c.a, c.b), c.same) << c.a << " " << c.b;
        EXPECT_EQ(same_file(c.b, c.a), c.same) << c.b << " " << c.a;
    }
    ASSERT_EQ(chdir("/"), 0);
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
