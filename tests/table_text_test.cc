#include <sys/resource.h>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "code/runlist.h"
#include "export/table_text.h"
#include "tests/support/test_support.h"

using testing_support::file_exists;
using testing_support::MessageLog;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

const std::vector<int> known_good = {10, 3, 5, 18, 14, 3,  4, 8, 6,  6, 5,  6, 10, 3,
                                     13, 4, 5, 12, 4,  13, 4, 4, 11, 4, 12, 5, 9,  23};

std::string exported(const TempDir& dir, const std::vector<int>& runs) {
    int* list = make_runlist(runs);
    std::string path = dir.file("table.txt");
    save_text(list, path.c_str());
    delete[] list;
    return read_file(path);
}

std::string formatted(const std::vector<int>& runs) {
    int* list = make_runlist(runs);
    std::string text = format_text_table(list);
    delete[] list;
    return text;
}

// The reading at rotation k written head 0 first, straight from the definition.
std::string reading_digits(const std::vector<int>& runs, size_t k) {
    std::string track;
    for (size_t i = 0; i < runs.size(); ++i)
        track.append(size_t(runs[i]), char('0' + i % 2));
    const size_t q = track.size(), r = runs.size();
    std::string out;
    for (size_t b = 0; b < q; b += r)
        out += track[(k + b) % q];
    return out;
}

} // namespace

TEST(TextTable, SmallCodes) {
    TempDir dir;
    MessageLog log;
    EXPECT_EQ(exported(dir, {3, 3}), "001  010  100\n011  110  101\n");
    EXPECT_EQ(exported(dir, {1, 1}), "0\n1\n");
    EXPECT_EQ(log.body(), "Quality = 6, Number of cogs = 2\nNumber of heads = 3\n"
                          "Quality = 2, Number of cogs = 2\nNumber of heads = 1\n");
}

TEST(TextTable, KnownGoodCode) {
    TempDir dir;
    MessageLog log;
    std::string text = exported(dir, known_good);
    EXPECT_EQ(log.body(), "Quality = 224, Number of cogs = 28\nNumber of heads = 8\n");
    ASSERT_EQ(text.size(), 2212u);
    // 84 is 01010100; rotation 28 reads the same digits with the first moved to the end.
    EXPECT_EQ(text.substr(0, 20), "01010100  10101000  ");
    for (size_t line = 0; line < 28; ++line) {
        std::string expected;
        for (size_t group = 0; group < 8; ++group) {
            if (group) expected += "  ";
            expected += reading_digits(known_good, line + group * 28);
        }
        EXPECT_EQ(text.substr(line * 79, 79), expected + "\n") << "line " << line;
    }
}

TEST(TextTable, CodesThatAreNoGrayCodeAreWrittenAllTheSame) {
    TempDir dir;
    MessageLog log;
    // Repeated readings show as repeated groups.
    EXPECT_EQ(exported(dir, {1, 1, 1, 1}), "0\n1\n0\n1\n");
    // The step from rotation 0 to 1 changes no head.
    EXPECT_EQ(exported(dir, {2, 2}), "01  10\n01  10\n");
    // r does not divide Q: the offsets run while they are below Q, every position mod Q.
    EXPECT_EQ(exported(dir, {1, 2, 3, 5}), "001  011  110\n"
                                           "101  011  111\n"
                                           "111  110  101\n"
                                           "010  100  001\n");
    EXPECT_EQ(log.body(), "Quality = 4, Number of cogs = 4\nNumber of heads = 1\n"
                          "Quality = 4, Number of cogs = 2\nNumber of heads = 2\n"
                          "Quality = 11, Number of cogs = 4\nNumber of heads = 2\n");
}

TEST(TextTable, SizeMatchesTheTable) {
    const std::vector<std::vector<int>> codes = {{3, 3}, {1, 1},    known_good,      {1, 2, 3, 5},
                                                 {7},    {1, 1, 1}, {2, 9, 4, 1, 1}, {3, 39}};
    for (const std::vector<int>& runs : codes) {
        int* list = make_runlist(runs);
        EXPECT_EQ(text_table_size(shape_of(list)), formatted(runs).size());
        delete[] list;
    }
    EXPECT_EQ(formatted({}), "");
    EXPECT_EQ(formatted({4, -1}), "");
    run_shape one_run_of_max{2147483647, 1};
    EXPECT_EQ(text_table_size(one_run_of_max), 4611686014132420609ull + 2 * 2147483647ull - 1);
}

TEST(TextTable, ManyHeadsWarnAndTheFileIsWritten) {
    TempDir dir;
    MessageLog log;
    std::string text = exported(dir, {3, 39});
    EXPECT_EQ(log.body(), "Quality = 42, Number of cogs = 2\nNumber of heads = 21\n"
                          "Too many heads - maximum 2M\n");
    EXPECT_EQ(text.size(), 2u * (21 * 21 + 2 * 21 - 1));
    EXPECT_EQ(text.substr(0, 23), "00" + std::string(19, '1') + "  ");
}

TEST(TextTable, CodesWithoutATableAreRefused) {
    struct Case {
        std::vector<int> runs;
        std::string messages;
    };
    const Case cases[] = {
        {{}, "Quality = 0, Number of cogs = 0\nCan't calculate number of heads\n"},
        {{3, -3, 4}, "Quality = 4, Number of cogs = 3\nERROR: Run lengths must be positive!\n"},
        {{2147483647, 1},
         "Quality = 2147483648, Number of cogs = 2\nNumber of heads = 1073741824\n"
         "Too many heads - maximum 2M\nERROR: Quality too big - maximum 2147483647\n"},
        // One run of 2^31 - 1: a single line of as many groups of as many digits.
        {{2147483647},
         "Quality = 2147483647, Number of cogs = 1\nNumber of heads = 2147483647\n"
         "Too many heads - maximum 2M\nERROR: Not enough memory for the table!\n"},
    };
    TempDir dir;
    std::string path = dir.file("keep.txt");
    write_file(path, "old contents\n");
    for (const Case& c : cases) {
        MessageLog log;
        int* list = make_runlist(c.runs);
        save_text(list, path.c_str());
        delete[] list;
        EXPECT_EQ(log.body(), c.messages);
        EXPECT_EQ(read_file(path), "old contents\n");
    }

    // A ceiling below the file's size refuses a table that would otherwise be written.
    MessageLog log;
    int* list = make_runlist({3, 3});
    export_text_table(list, path.c_str(), 28);
    delete[] list;
    EXPECT_EQ(log.body(), "Quality = 6, Number of cogs = 2\nNumber of heads = 3\n"
                          "ERROR: Not enough memory for the table!\n");
    EXPECT_EQ(read_file(path), "old contents\n");
}

#if !defined(__SANITIZE_ADDRESS__)
// Run in a child held to 512 MB of address space: the table of 1, 39999 is about 800 MB.
void export_under_memory_limit(const std::string& path) {
    struct rlimit limit;
    limit.rlim_cur = limit.rlim_max = 512u << 20;
    setrlimit(RLIMIT_AS, &limit);
    MessageLog log;
    int* list = make_runlist({1, 39999});
    export_text_table(list, path.c_str(), UINT64_MAX);
    bool reported =
        log.body().find("ERROR: Not enough memory for the table!\n") != std::string::npos;
    exit(reported && !file_exists(path) ? 0 : 1);
}

TEST(TextTableDeathTest, FailedAllocationIsReported) {
    TempDir dir;
    EXPECT_EXIT(export_under_memory_limit(dir.file("huge.txt")), ::testing::ExitedWithCode(0), "");
}
#endif

TEST(TextTable, WriteFailuresAreReported) {
    TempDir dir;
    MessageLog log;
    int* list = make_runlist({3, 3});
    save_text(list, dir.file("missing/out.txt").c_str());
    save_text(list, "/dev/full");
    delete[] list;
    EXPECT_EQ(log.body(), "Quality = 6, Number of cogs = 2\nNumber of heads = 3\n"
                          "Can't open file!\n"
                          "Quality = 6, Number of cogs = 2\nNumber of heads = 3\n"
                          "Can't write file! (No space left on device)\n");
}
