#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "code/runlist.h"
#include "export/table_decoder.h"
#include "tests/support/test_support.h"

using testing_support::file_exists;
using testing_support::MessageLog;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

const std::vector<int> known_good = {10, 3, 5, 18, 14, 3,  4, 8, 6,  6, 5,  6, 10, 3,
                                     13, 4, 5, 12, 4,  13, 4, 4, 11, 4, 12, 5, 9,  23};
// Q = 256, 16 heads, readings distinct: the smallest quality with two-byte entries.
const std::vector<int> quality_256 = {20, 5, 13, 23, 4, 2, 2, 3, 18, 8, 29, 13, 11, 52, 51, 2};

// The readings straight from the definition: head h sees position (k + h*r) mod Q.
std::vector<uint32_t> direct_readings(const std::vector<int>& runs) {
    std::vector<int> track;
    for (size_t i = 0; i < runs.size(); ++i)
        track.insert(track.end(), runs[i], int(i % 2));
    const size_t q = track.size(), r = runs.size(), n = q / r;
    std::vector<uint32_t> out;
    for (size_t k = 0; k < q; ++k) {
        uint32_t v = 0;
        for (size_t h = 0; h < n; ++h)
            v = v * 2 + uint32_t(track[(k + h * r) % q]);
        out.push_back(v);
    }
    return out;
}

// Writes the table of `runs` to a file in `dir` and returns the file's contents.
std::string exported(const TempDir& dir, const std::vector<int>& runs, bool cpp) {
    int* list = make_runlist(runs);
    std::string path = dir.file(cpp ? "table.cpp" : "table.asm");
    save_assembler(list, path.c_str(), cpp);
    delete[] list;
    return read_file(path);
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        out.push_back(text.substr(start, end - start));
    return out;
}

// The numbers of an assembler file, in order.
std::vector<long long> asm_values(const std::string& text) {
    std::vector<long long> out;
    for (const std::string& line : lines_of(text)) {
        std::string body = line.substr(4, line.find(" ;") - 4);
        size_t start = 0;
        while (start <= body.size()) {
            size_t comma = body.find(',', start);
            if (comma == std::string::npos) comma = body.size();
            out.push_back(std::stoll(body.substr(start, comma - start)));
            start = comma + 1;
        }
    }
    return out;
}

decoder_table synthetic(int64_t quality, std::vector<int32_t> entries) {
    decoder_table t;
    t.quality = quality;
    t.entries = std::move(entries);
    return t;
}

} // namespace

TEST(DecoderTable, SmallCodesInBothForms) {
    TempDir dir;
    MessageLog log;
    EXPECT_EQ(exported(dir, {3, 3}, false), ".db 255,  0,  2,  1,  4,  5,  3,255 ;0\n");
    EXPECT_EQ(exported(dir, {3, 3}, true), "unsigned char stgc_decoder[8]={\n"
                                           "\t255,  0,  2,  1,  4,  5,  3,255  //0\n"
                                           "};\n");
    EXPECT_EQ(exported(dir, {1, 1}, false), ".db   0,  1 ;0\n");
    EXPECT_EQ(exported(dir, {1, 1}, true), "unsigned char stgc_decoder[2]={\n"
                                           "\t  0,  1  //0\n"
                                           "};\n");
    EXPECT_EQ(log.body(), "Quality = 6, Number of cogs = 2\nNumber of heads = 3\n"
                          "Quality = 6, Number of cogs = 2\nNumber of heads = 3\n"
                          "Quality = 2, Number of cogs = 2\nNumber of heads = 1\n"
                          "Quality = 2, Number of cogs = 2\nNumber of heads = 1\n");
}

TEST(DecoderTable, KnownGoodCodeAssembler) {
    TempDir dir;
    MessageLog log;
    std::string text = exported(dir, known_good, false);
    EXPECT_EQ(log.body(), "Quality = 224, Number of cogs = 28\nNumber of heads = 8\n");
    std::vector<std::string> lines = lines_of(text);
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(lines[0], ".db 255,255,255, 53,255,  9, 81, 80,255, 13, 37, 38,109,110,108, 79 ;0");
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].substr(0, 4), ".db ");
        EXPECT_EQ(lines[i].size(), 4 + 16 * 4 - 1 + 2 + std::to_string(i).size()) << i;
        EXPECT_EQ(lines[i].substr(lines[i].size() - 2 - std::to_string(i).size()),
                  " ;" + std::to_string(i));
    }

    std::vector<long long> values = asm_values(text);
    ASSERT_EQ(values.size(), 256u);
    EXPECT_EQ(values[84], 0);
    int empty = 0;
    for (long long v : values)
        empty += v == 255;
    EXPECT_EQ(empty, 32);
    std::vector<uint32_t> readings = direct_readings(known_good);
    for (size_t k = 0; k < readings.size(); ++k)
        EXPECT_EQ(values[readings[k]], (long long)k) << "rotation " << k;
}

TEST(DecoderTable, KnownGoodCodeCpp) {
    TempDir dir;
    MessageLog log;
    std::string asm_text = exported(dir, known_good, false);
    std::string text = exported(dir, known_good, true);
    std::vector<std::string> lines = lines_of(text);
    ASSERT_EQ(lines.size(), 18u);
    EXPECT_EQ(lines[0], "unsigned char stgc_decoder[256]={");
    EXPECT_EQ(lines[1], "\t255,255,255, 53,255,  9, 81, 80,255, 13, 37, 38,109,110,108, 79, //0");
    // Full lines end in a comma, a space and the comment; the last in two spaces.
    std::vector<std::string> asm_lines = lines_of(asm_text);
    for (int i = 0; i < 16; ++i) {
        const std::string& line = lines[size_t(i) + 1];
        std::string values = asm_lines[size_t(i)].substr(4, 16 * 4 - 1);
        std::string tail = i < 15 ? ", //" : "  //";
        EXPECT_EQ(line, "\t" + values + tail + std::to_string(i));
    }
    EXPECT_EQ(lines[17], "};");
    EXPECT_EQ(text.back(), '\n');
}

TEST(DecoderTable, ElementWidthFollowsQuality) {
    // One real code at the two-byte threshold...
    TempDir dir;
    MessageLog log;
    std::string text = exported(dir, quality_256, false);
    EXPECT_EQ(log.body(), "Quality = 256, Number of cogs = 16\nNumber of heads = 16\n");
    std::vector<std::string> lines = lines_of(text);
    ASSERT_EQ(lines.size(), 4096u);
    EXPECT_EQ(lines[4095].substr(0, 4), ".dw ");
    EXPECT_EQ(lines[4095].substr(lines[4095].size() - 6), " ;4095");
    std::vector<long long> values = asm_values(text);
    ASSERT_EQ(values.size(), 65536u);
    std::vector<uint32_t> readings = direct_readings(quality_256);
    for (size_t k = 0; k < readings.size(); ++k)
        ASSERT_EQ(values[readings[k]], (long long)k);
    int empty = 0;
    for (long long v : values)
        empty += v == 65535;
    EXPECT_EQ(empty, 65536 - 256);
    std::string cpp = exported(dir, quality_256, true);
    EXPECT_EQ(cpp.substr(0, cpp.find('\n') + 1), "unsigned short stgc_decoder[65536]={\n");

    // ...and tables at every threshold. No code with distinct readings has Q = 255, 65535 or
    // 65536 (an odd run count or a power of two of heads always repeats a reading).
    EXPECT_EQ(format_decoder_table(synthetic(255, {-1, 254}), false), ".db 255,254 ;0\n");
    EXPECT_EQ(format_decoder_table(synthetic(255, {-1, 254}), true),
              "unsigned char stgc_decoder[2]={\n\t255,254  //0\n};\n");
    EXPECT_EQ(format_decoder_table(synthetic(256, {-1, 255}), false), ".dw 65535,  255 ;0\n");
    EXPECT_EQ(format_decoder_table(synthetic(65535, {-1, 65534}), false), ".dw 65535,65534 ;0\n");
    EXPECT_EQ(format_decoder_table(synthetic(65535, {-1, 7}), true),
              "unsigned short stgc_decoder[2]={\n\t65535,    7  //0\n};\n");
    EXPECT_EQ(format_decoder_table(synthetic(65536, {-1, 65535}), false),
              ".dq 16777215,   65535 ;0\n");
    EXPECT_EQ(format_decoder_table(synthetic(65536, {3, -1}), true),
              "unsigned int stgc_decoder[2]={\n\t       3,16777215  //0\n};\n");
    // 16777215 stays the empty value while it cannot be a rotation; beyond, all 32 bits.
    EXPECT_EQ(format_decoder_table(synthetic(16777215, {-1, 16777214}), false),
              ".dq 16777215,16777214 ;0\n");
    EXPECT_EQ(format_decoder_table(synthetic(16777216, {-1, 16777215}), false),
              ".dq 4294967295,16777215 ;0\n");
    EXPECT_EQ(format_decoder_table(synthetic(200000000, {-1, 123456789}), false),
              ".dq 4294967295,123456789 ;0\n");
}

TEST(DecoderTable, LinesHoldSixteenEntriesAndTheRest) {
    std::vector<int32_t> entries(20);
    for (int i = 0; i < 20; ++i)
        entries[size_t(i)] = i;
    entries[17] = -1;
    EXPECT_EQ(format_decoder_table(synthetic(20, entries), false),
              ".db   0,  1,  2,  3,  4,  5,  6,  7,  8,  9, 10, 11, 12, 13, 14, 15 ;0\n"
              ".db  16,255, 18, 19 ;1\n");
    EXPECT_EQ(format_decoder_table(synthetic(20, entries), true),
              "unsigned char stgc_decoder[20]={\n"
              "\t  0,  1,  2,  3,  4,  5,  6,  7,  8,  9, 10, 11, 12, 13, 14, 15, //0\n"
              "\t 16,255, 18, 19  //1\n"
              "};\n");
}

TEST(DecoderTable, RepeatedReadingsWriteNothing) {
    TempDir dir;
    MessageLog log;
    std::string existing = dir.file("keep.asm");
    write_file(existing, "old contents\n");
    // 1,1,1,1 has more rotations than readings; 1,3 repeats a reading within the table.
    int* list = make_runlist({1, 1, 1, 1});
    save_assembler(list, existing.c_str(), false);
    delete[] list;
    list = make_runlist({1, 3});
    save_assembler(list, existing.c_str(), true);
    std::string fresh = dir.file("fresh.cpp");
    save_assembler(list, fresh.c_str(), true);
    delete[] list;
    EXPECT_EQ(read_file(existing), "old contents\n");
    EXPECT_FALSE(file_exists(fresh));
    EXPECT_EQ(log.body(), "Quality = 4, Number of cogs = 4\nNumber of heads = 1\n"
                          "ERROR: Same codes!!!\n"
                          "Quality = 4, Number of cogs = 2\nNumber of heads = 2\n"
                          "ERROR: Same codes!!!\n"
                          "Quality = 4, Number of cogs = 2\nNumber of heads = 2\n"
                          "ERROR: Same codes!!!\n");
}

TEST(DecoderTable, CodesWithoutATableAreRefused) {
    struct Case {
        std::vector<int> runs;
        std::string messages;
    };
    const Case cases[] = {
        {{}, "Quality = 0, Number of cogs = 0\nCan't calculate number of heads\n"},
        {{1, 2, 3, 5}, "Quality = 11, Number of cogs = 4\nCan't calculate number of heads\n"},
        {{5, -3}, "Quality = 2, Number of cogs = 2\nERROR: Run lengths must be positive!\n"},
        {{3, 59},
         "Quality = 62, Number of cogs = 2\nNumber of heads = 31\n"
         "Too many heads - maximum 2M\nERROR: Too many heads for a table - maximum 30\n"},
        {{2147483647, 2147483647},
         "Quality = 4294967294, Number of cogs = 2\nNumber of heads = 2147483647\n"
         "Too many heads - maximum 2M\nERROR: Quality too big - maximum 2147483647\n"},
        {{1073741824, 1073741824},
         "Quality = 2147483648, Number of cogs = 2\nNumber of heads = 1073741824\n"
         "Too many heads - maximum 2M\nERROR: Quality too big - maximum 2147483647\n"},
    };
    TempDir dir;
    std::string path = dir.file("never.asm");
    for (const Case& c : cases) {
        MessageLog log;
        int* list = make_runlist(c.runs);
        save_assembler(list, path.c_str(), false);
        save_assembler(list, path.c_str(), true);
        delete[] list;
        EXPECT_EQ(log.body(), c.messages + c.messages);
        EXPECT_FALSE(file_exists(path));
    }
}

TEST(DecoderTable, ManyHeadsWarnAndGoOnWhereMemoryAllows) {
    TempDir dir;
    MessageLog log;
    // Two runs 3 and 2n - 3 give a code of n heads: here 21 heads, 2^21 entries.
    std::string text = exported(dir, {3, 39}, false);
    EXPECT_EQ(log.body(), "Quality = 42, Number of cogs = 2\nNumber of heads = 21\n"
                          "Too many heads - maximum 2M\n");
    EXPECT_EQ(lines_of(text).size(), 131072u);
    std::vector<long long> values = asm_values(text);
    ASSERT_EQ(values.size(), size_t(1) << 21);
    std::vector<uint32_t> readings = direct_readings({3, 39});
    for (size_t k = 0; k < readings.size(); ++k)
        EXPECT_EQ(values[readings[k]], (long long)k);

    // The same code against a ceiling below what the table and its file take.
    log.clear();
    std::string path = dir.file("small.asm");
    int* list = make_runlist({3, 39});
    export_decoder_table(list, path.c_str(), false, 16u << 20);
    delete[] list;
    EXPECT_EQ(log.body(), "Quality = 42, Number of cogs = 2\nNumber of heads = 21\n"
                          "Too many heads - maximum 2M\n"
                          "ERROR: Not enough memory for the table!\n");
    EXPECT_FALSE(file_exists(path));
}

#if !defined(__SANITIZE_ADDRESS__)
#include <sys/resource.h>

// Run in a child held to 512 MB of address space: a 27-head table takes 512 MB of entries
// alone. Exits 0 when the failure was reported and no file was made.
void export_under_memory_limit(const std::string& path) {
    struct rlimit limit;
    limit.rlim_cur = limit.rlim_max = 512u << 20;
    setrlimit(RLIMIT_AS, &limit);
    MessageLog log;
    int* list = make_runlist({3, 51});
    export_decoder_table(list, path.c_str(), false, UINT64_MAX);
    bool reported =
        log.body().find("ERROR: Not enough memory for the table!\n") != std::string::npos;
    exit(reported && !file_exists(path) ? 0 : 1);
}

TEST(DecoderTableDeathTest, FailedAllocationIsReported) {
    TempDir dir;
    EXPECT_EXIT(export_under_memory_limit(dir.file("huge.asm")), ::testing::ExitedWithCode(0), "");
}
#endif

TEST(DecoderTable, WriteFailuresAreReported) {
    TempDir dir;
    MessageLog log;
    int* list = make_runlist({3, 3});
    save_assembler(list, dir.file("missing/out.asm").c_str(), false);
    save_assembler(list, "/dev/full", true);
    delete[] list;
    EXPECT_EQ(log.body(), "Quality = 6, Number of cogs = 2\nNumber of heads = 3\n"
                          "Can't open file!\n"
                          "Quality = 6, Number of cogs = 2\nNumber of heads = 3\n"
                          "Can't write file! (No space left on device)\n");
}
