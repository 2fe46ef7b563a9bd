#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "code/cogwheel.h"
#include "code/commands.h"
#include "code/runlist.h"
#include "tests/support/test_support.h"

using testing_support::MessageLog;
using testing_support::read_file;
using testing_support::ScriptedPrompts;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

using lines = std::vector<std::string>;
using runs = std::vector<int>;

const runs known_good = {10, 3, 5, 18, 14, 3,  4, 8, 6,  6, 5,  6, 10, 3,
                         13, 4, 5, 12, 4,  13, 4, 4, 11, 4, 12, 5, 9,  23};
const char* const known_good_text =
    "10,3,5,18,14,3,4,8,6,6,5,6,10,3,13,4,5,12,4,13,4,4,11,4,12,5,9,23";

// Each test starts without a current code and with the default file names.
class Commands : public ::testing::Test {
  protected:
    void SetUp() override {
        replace_global_stgc(nullptr);
        std::strcpy(in_txt_name, "input.stgc");
        std::strcpy(out_txt_name, "output.stgc");
    }
    void TearDown() override { replace_global_stgc(nullptr); }

    void install(const runs& list) { replace_global_stgc(make_runlist(list)); }

    // Runs Load on `path` and returns the message lines it appended.
    lines load(const std::string& path) {
        ScriptedPrompts prompts;
        MessageLog log;
        prompts.answer(path);
        sub_Load();
        return log.lines();
    }
    lines save(const std::string& path) {
        ScriptedPrompts prompts;
        MessageLog log;
        prompts.answer(path);
        sub_Save();
        return log.lines();
    }
    lines test() {
        MessageLog log;
        sub_Test();
        return log.lines();
    }
    lines manual(const std::string& text) {
        ScriptedPrompts prompts;
        MessageLog log;
        prompts.answer(text);
        sub_Manual();
        return log.lines();
    }
};

} // namespace

TEST_F(Commands, WithoutACodeSaveAndTestSayItIsNotGenerated) {
    ScriptedPrompts prompts;
    MessageLog log;
    sub_Save();
    sub_Test();
    EXPECT_EQ(log.lines(), (lines{"STGC is not generated!", "STGC is not generated!"}));
    EXPECT_TRUE(prompts.asked().empty()); // no prompt without a code
}

TEST_F(Commands, SaveThenLoadTheKnownCode) {
    TempDir dir;
    std::string path = dir.file("known.stgc");
    install(known_good);
    EXPECT_EQ(save(path), (lines{path + "...Opening..."}));
    EXPECT_EQ(read_file(path), known_good_text);
    EXPECT_EQ(read_file(path).size(), 65u);

    install({1, 1});
    EXPECT_EQ(load(path), (lines{path + "...Opening...", "Size of file:65 bytes"}));
    EXPECT_EQ(runs_of(global_stgc), known_good);
    EXPECT_EQ(test(), (lines{"Quality = 224, Number of cogs = 28", "Number of heads = 8",
                             "STGC is good!"}));
}

TEST_F(Commands, LoadIgnoresLineEndsAndSpacesButJoinsSplitNumbers) {
    TempDir dir;
    std::string path = dir.file("code.stgc");
    write_file(path, std::string(known_good_text) + "\n");
    EXPECT_EQ(load(path)[1], "Size of file:66 bytes");
    EXPECT_EQ(runs_of(global_stgc), known_good);

    write_file(path, "10,\r\n3, 5,\r\n18\r\n");
    load(path);
    EXPECT_EQ(runs_of(global_stgc), (runs{10, 3, 5, 18}));

    write_file(path, "10,3\n5");
    load(path);
    EXPECT_EQ(runs_of(global_stgc), (runs{10, 35}));

    write_file(path, std::string("3,3\0,7", 6)); // a NUL ends the text
    EXPECT_EQ(load(path)[1], "Size of file:6 bytes");
    EXPECT_EQ(runs_of(global_stgc), (runs{3, 3}));
}

TEST_F(Commands, EmptyFieldsAndEmptyFiles) {
    TempDir dir;
    std::string path = dir.file("code.stgc");
    EXPECT_TRUE(manual("10,,3").empty());
    save(path);
    EXPECT_EQ(read_file(path), "10");

    write_file(path, "");
    EXPECT_EQ(load(path), (lines{path + "...Opening...", "Size of file:0 bytes"}));
    ASSERT_NE(global_stgc, nullptr);
    EXPECT_TRUE(runs_of(global_stgc).empty());
    // An empty run list is a code: Save writes an empty file, Test says it is empty.
    std::string out = dir.file("empty.stgc");
    write_file(out, "old contents");
    EXPECT_EQ(save(out), (lines{out + "...Opening..."}));
    EXPECT_TRUE(testing_support::file_exists(out));
    EXPECT_EQ(read_file(out), "");
    EXPECT_EQ(test(), (lines{"Quality = 0, Number of cogs = 0", "Bad STGC !",
                             "Empty code: there are no runs"}));
}

TEST_F(Commands, LoadOfWhatCannotBeReadKeepsTheCode) {
    TempDir dir;
    install({3, 3});
    std::string missing = dir.file("missing.stgc");
    EXPECT_EQ(load(missing), (lines{missing + "...Opening...", "Can't open file!"}));
    EXPECT_EQ(load(dir.path()), (lines{dir.path() + "...Opening...", "Not a regular file!"}));
    std::string fifo = dir.file("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(load(fifo), (lines{fifo + "...Opening...", "Not a regular file!"}));
    EXPECT_EQ(load("/dev/zero"), (lines{"/dev/zero...Opening...", "Not a regular file!"}));

    std::string huge = dir.file("huge.stgc");
    write_file(huge, "");
    ASSERT_EQ(truncate(huge.c_str(), int64_t{3} << 30), 0);
    EXPECT_EQ(load(huge),
              (lines{huge + "...Opening...", "Size of file:3221225472 bytes", "File too large!"}));
    if (geteuid() != 0) {
        std::string locked = dir.file("locked.stgc");
        write_file(locked, "1,1");
        ASSERT_EQ(chmod(locked.c_str(), 0), 0);
        EXPECT_EQ(load(locked), (lines{locked + "...Opening...", "Can't open file!"}));
    }
    EXPECT_EQ(runs_of(global_stgc), (runs{3, 3}));
}

TEST_F(Commands, SaveFailuresAreReported) {
    install({3, 3});
    EXPECT_EQ(save("/dev/full"),
              (lines{"/dev/full...Opening...", "Can't write file! (No space left on device)"}));
    TempDir dir;
    std::string bad = dir.file("no/such/out.stgc");
    EXPECT_EQ(save(bad), (lines{bad + "...Opening...", "Can't open file!"}));
    EXPECT_EQ(save(dir.path()), (lines{dir.path() + "...Opening...", "Can't open file!"}));
}

TEST_F(Commands, PromptsOfferTheirOwnLastNames) {
    TempDir dir;
    std::string in = dir.file("in.stgc"), out = dir.file("out.stgc");
    write_file(in, "3,3");
    ScriptedPrompts prompts;
    MessageLog log;
    prompts.answer(in);
    sub_Load();
    prompts.answer(out);
    sub_Save();
    prompts.escape();
    sub_Load();
    prompts.escape();
    sub_Save();
    prompts.answer("1,1");
    sub_Manual();
    prompts.answer("5,5");
    sub_Manual();
    const auto& asked = prompts.asked();
    ASSERT_EQ(asked.size(), 6u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(asked[i].labels, (lines{"Ouput Text File (STGC):"}));
        EXPECT_EQ(asked[i].field, 50);
    }
    EXPECT_EQ(asked[0].offered[0], "input.stgc");
    EXPECT_EQ(asked[1].offered[0], "output.stgc");
    EXPECT_EQ(asked[2].offered[0], in);
    EXPECT_EQ(asked[3].offered[0], out);
    EXPECT_EQ(asked[4].labels, (lines{"STGC (manually):"}));
    EXPECT_EQ(asked[4].field, 50);
    EXPECT_EQ(asked[4].offered[0], ""); // every manual input starts empty
    EXPECT_EQ(asked[5].offered[0], "");
    EXPECT_EQ(runs_of(global_stgc), (runs{5, 5}));
    // The cancelled Load and Save printed nothing.
    EXPECT_EQ(log.lines(),
              (lines{in + "...Opening...", "Size of file:3 bytes", out + "...Opening..."}));
}

TEST_F(Commands, ManualInputReplacesTheCodeUnlessCancelled) {
    install({3, 3});
    {
        ScriptedPrompts prompts;
        MessageLog log;
        prompts.escape();
        sub_Manual();
        EXPECT_TRUE(log.body().empty());
    }
    EXPECT_EQ(runs_of(global_stgc), (runs{3, 3}));
    EXPECT_TRUE(manual("").empty());
    ASSERT_NE(global_stgc, nullptr);
    EXPECT_TRUE(runs_of(global_stgc).empty());
    // The field keeps 49 characters, as the line editor does.
    manual(std::string(60, '1'));
    EXPECT_EQ(runs_of(global_stgc), (runs{2147483647}));
}

TEST_F(Commands, TestGivesTheFirstReasonThatApplies) {
    install({1, 2, 3});
    EXPECT_EQ(test(), (lines{"Quality = 6, Number of cogs = 3", "Bad STGC !",
                             "Non-integer number of cogs"}));
    install({1, 2, 3, 5});
    EXPECT_EQ(test(), (lines{"Quality = 11, Number of cogs = 4", "Bad STGC !",
                             "Can't calculate number of heads"}));
    install({2, 2});
    EXPECT_EQ(test(), (lines{"Quality = 4, Number of cogs = 2", "Number of heads = 2", "Bad STGC !",
                             "Is not Gray Code: not only the one light change"}));
    install({2, 2, 2, 2});
    EXPECT_EQ(test()[3], "Is not Gray Code: not only the one light change");
    install({1, 1, 1, 1});
    EXPECT_EQ(test(), (lines{"Quality = 4, Number of cogs = 4", "Number of heads = 1", "Bad STGC !",
                             "Is not code: equal values for different angles"}));
    install({1, 3});
    EXPECT_EQ(test()[3], "Is not code: equal values for different angles");
    install({3, 3});
    EXPECT_EQ(test(),
              (lines{"Quality = 6, Number of cogs = 2", "Number of heads = 3", "STGC is good!"}));
    install({1, 1});
    EXPECT_EQ(test().back(), "STGC is good!");
    // The test never changes the code.
    EXPECT_EQ(runs_of(global_stgc), (runs{1, 1}));
}

TEST_F(Commands, TestPrintsQualitiesAboveTheLargestIntAsTheyAre) {
    EXPECT_TRUE(manual("2147483647,2147483647").empty());
    EXPECT_EQ(test(), (lines{"Quality = 4294967294, Number of cogs = 2",
                             "Number of heads = 2147483647", "STGC is good!"}));
    manual("99999999999,99999999999"); // held at the largest int, like the line above
    EXPECT_EQ(test()[0], "Quality = 4294967294, Number of cogs = 2");
}

TEST(Cogwheel, VerdictTextsAreFreshArrays) {
    char* result = nullptr;
    ans("Non-integer number of cogs", result);
    ASSERT_NE(result, nullptr);
    EXPECT_STREQ(result, "Non-integer number of cogs");
    delete[] result;

    MessageLog log;
    int good[] = {3, 3, 0};
    char* verdict = nullptr;
    EXPECT_TRUE(test_cogwheel(good, verdict));
    EXPECT_EQ(verdict, nullptr);
    int odd[] = {1, 2, 3, 0};
    EXPECT_TRUE(test_cogwheel(odd, verdict));
    ASSERT_NE(verdict, nullptr);
    EXPECT_STREQ(verdict, "Non-integer number of cogs");
    delete[] verdict;
    EXPECT_EQ(log.lines(), (lines{"Quality = 6, Number of cogs = 2", "Number of heads = 3",
                                  "Quality = 6, Number of cogs = 3"}));
}

// Address space limits and the address sanitizer's shadow memory do not mix.
#if defined(__SANITIZE_ADDRESS__)
#define UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define UNDER_ASAN 1
#endif
#endif

#ifndef UNDER_ASAN
namespace {

// Runs `body` in a child whose address space may grow by `extra` bytes at most; true when
// the child ran it and it returned true.
bool in_limited_child(size_t extra, const std::function<bool()>& body) {
    pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        long pages = 0;
        FILE* statm = std::fopen("/proc/self/statm", "r");
        if (!statm || std::fscanf(statm, "%ld", &pages) != 1) _exit(2);
        std::fclose(statm);
        rlim_t limit =
            static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + extra;
        struct rlimit rl = {limit, limit};
        if (setrlimit(RLIMIT_AS, &rl) != 0) _exit(2);
        _exit(body() ? 0 : 1);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Compares in the child, where gtest's assertions would not reach the parent.
bool same_lines(const lines& got, const lines& want) {
    if (got == want) return true;
    for (const std::string& line : got)
        std::fprintf(stderr, "  got | %s\n", line.c_str());
    return false;
}

} // namespace

TEST_F(Commands, LoadOfAFileThatDoesNotFitMemoryKeepsTheCode) {
    TempDir dir;
    std::string path = dir.file("big.stgc");
    write_file(path, "");
    ASSERT_EQ(truncate(path.c_str(), int64_t{1536} << 20), 0); // sparse
    install({3, 3});
    EXPECT_TRUE(in_limited_child(size_t{256} << 20, [&] {
        return same_lines(load(path), {path + "...Opening...", "Size of file:1610612736 bytes",
                                       "Not enough memory!"}) &&
               runs_of(global_stgc) == runs{3, 3};
    }));
}

TEST_F(Commands, TestThatRunsOutOfMemorySaysSo) {
    // 2^22 runs with one start in every residue class and 64 heads: the step test passes and
    // the reading comparison needs more room than the child has.
    const int r = 1 << 22, n = 64;
    runs list(r, 1);
    list.back() = r * (n - 1) + 1;
    install(list);
    EXPECT_TRUE(in_limited_child(size_t{4} << 20, [&] {
        return same_lines(test(), {"Quality = 268435456, Number of cogs = 4194304",
                                   "Number of heads = 64", "Can't test STGC: not enough memory!"});
    }));
}
#endif
