// The decoder table (assembler and C++) and the text table: whole files, element widths,
// refusals, memory ceilings, and the three commands' prompts.
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "code/decoder.h"
#include "code/runlist.h"
#include "export/table_commands.h"
#include "export/table_decoder.h"
#include "export/table_text.h"
#include "tests/support/faults.h"
#include "tests/support/test_support.h"

using testing_support::file_exists;
using testing_support::read_file;
using testing_support::write_file;
using testing_support::known_good;

namespace {

using runs = std::vector<int>;
enum form { as_asm, as_cpp, as_txt };


// Written by the exporters; checked against a separate reading of the definitions, assembled
// by avra and compiled by g++.
std::string golden(const char* name) {
    return read_file(STGC_SOURCE_DIR "/tests/data/table/" + std::string(name));
}

std::string info(long long q, int r, int n) {
    return "Quality = " + std::to_string(q) + ", Number of cogs = " + std::to_string(r) +
           "\nNumber of heads = " + std::to_string(n) + "\n";
}

class Tables : public ::testing::Test {
  protected:
    // Writes the table of `list` in `f` to `path` and returns the file.
    std::string write(const runs& list, form f, const std::string& path) {
        int* runlist = make_runlist(list);
        if (f == as_txt)
            save_text(runlist, path.c_str());
        else
            save_assembler(runlist, path.c_str(), f == as_cpp);
        delete[] runlist;
        return read_file(path);
    }
    testing_support::TempDir dir;
    testing_support::MessageLog log;
};

TEST_F(Tables, WholeFiles) {
    const struct {
        runs list;
        form f;
        std::string messages, text;
    } cases[] = {
        {{3, 3}, as_asm, info(6, 2, 3), ".db 255,  0,  2,  1,  4,  5,  3,255 ;0\n"},
        {{3, 3},
         as_cpp,
         info(6, 2, 3),
         "unsigned char stgc_decoder[8]={\n\t255,  0,  2,  1,  4,  5,  3,255  //0\n};\n"},
        {{3, 3}, as_txt, info(6, 2, 3), "001  010  100\n011  110  101\n"},
        {{1, 1}, as_asm, info(2, 2, 1), ".db   0,  1 ;0\n"},
        {{1, 1}, as_cpp, info(2, 2, 1), "unsigned char stgc_decoder[2]={\n\t  0,  1  //0\n};\n"},
        {{1, 1}, as_txt, info(2, 2, 1), "0\n1\n"},
        {known_good, as_asm, info(224, 28, 8), golden("known_good.asm")},
        {known_good, as_cpp, info(224, 28, 8), golden("known_good.cpp")},
        {known_good, as_txt, info(224, 28, 8), golden("known_good.txt")},
        // The text table tests nothing: repeated readings, a step that changes no head, and
        // r not dividing Q (n rounded down, offsets while below Q, positions mod Q).
        {{1, 1, 1, 1}, as_txt, info(4, 4, 1), "0\n1\n0\n1\n"},
        {{2, 2}, as_txt, info(4, 2, 2), "01  10\n01  10\n"},
        {{1, 2, 3, 5},
         as_txt,
         info(11, 4, 2),
         "001  011  110\n101  011  111\n111  110  101\n010  100  001\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.list) + " form " + std::to_string(c.f));
        log.clear();
        EXPECT_EQ(write(c.list, c.f, dir.file("table")), c.text);
        EXPECT_EQ(log.body(), c.messages);
    }
    // The known code's quoted points: 16 and 18 lines, 256 entries, the first line, entry 84
    // (line 5, fifth entry) holds rotation 0, 32 entries are empty; a text table of 2,212 bytes
    // whose second group is the first with its first digit moved to the end.
    const std::string asm_text = golden("known_good.asm"), cpp_text = golden("known_good.cpp");
    const std::string txt = golden("known_good.txt");
    EXPECT_EQ(std::count(asm_text.begin(), asm_text.end(), '\n'), 16);
    EXPECT_EQ(std::count(cpp_text.begin(), cpp_text.end(), '\n'), 18);
    EXPECT_EQ(cpp_text.substr(0, 34), "unsigned char stgc_decoder[256]={\n");
    EXPECT_EQ(asm_text.substr(0, 71),
              ".db 255,255,255, 53,255,  9, 81, 80,255, 13, 37, 38,109,110,108, 79 ;0\n");
    EXPECT_EQ(asm_text.substr(5 * 71, 24), ".db 121, 56,120, 55,  0,");
    size_t empty = 0;
    for (size_t at = 0; (at = asm_text.find("255", at)) != std::string::npos; at += 3)
        ++empty;
    EXPECT_EQ(empty, 32u);
    EXPECT_EQ(txt.size(), 2212u);
    EXPECT_EQ(txt.substr(0, 20), "01010100  10101000  ");
}

TEST_F(Tables, ElementWidthFollowsTheQuality) {
    // No code with distinct readings has Q = 255, 65535 or 65536: tables of those qualities.
    auto format = [](int64_t quality, std::vector<int32_t> entries, bool cpp) {
        decoder_table table;
        table.quality = quality;
        table.entries = std::move(entries);
        return format_decoder_table(table, cpp);
    };
    EXPECT_EQ(format(255, {-1, 254}, false), ".db 255,254 ;0\n");
    EXPECT_EQ(format(256, {-1, 255}, false), ".dw 65535,  255 ;0\n");
    EXPECT_EQ(format(65535, {-1, 65534}, false), ".dw 65535,65534 ;0\n");
    EXPECT_EQ(format(65535, {-1, 7}, true),
              "unsigned short stgc_decoder[2]={\n\t65535,    7  //0\n};\n");
    EXPECT_EQ(format(65536, {-1, 65535}, false), ".dq 16777215,   65535 ;0\n");
    EXPECT_EQ(format(65536, {3, -1}, true),
              "unsigned int stgc_decoder[2]={\n\t       3,16777215  //0\n};\n");
    // Beyond 16777216 positions, where 16777215 is a rotation, empty entries take all 32 bits.
    EXPECT_EQ(format(16777216, {-1, 16777215}, false), ".dq 4294967295,16777215 ;0\n");
    // Lines of 16 entries and the rest.
    std::vector<int32_t> twenty(20);
    for (int i = 0; i < 20; ++i)
        twenty[static_cast<size_t>(i)] = i == 17 ? -1 : i;
    EXPECT_EQ(format(20, twenty, true),
              "unsigned char stgc_decoder[20]={\n"
              "\t  0,  1,  2,  3,  4,  5,  6,  7,  8,  9, 10, 11, 12, 13, 14, 15, //0\n"
              "\t 16,255, 18, 19  //1\n};\n");
    EXPECT_EQ(format(20, twenty, false).substr(71), ".db  16,255, 18, 19 ;1\n");
}

TEST_F(Tables, RefusalsWriteNothingAndKeepTheOldFile) {
    const std::string many = "Too many heads - maximum 2M\n", same = "ERROR: Same codes!!!\n";
    const std::string no_heads = "Can't calculate number of heads\n";
    const std::string negative = "ERROR: Run lengths must be positive!\n";
    const std::string big = "ERROR: Quality too big - maximum 2147483647\n";
    const std::string above30 = "ERROR: Too many heads for a table - maximum 30\n";
    const struct {
        runs list;
        std::string messages, decoder_refusal, text_refusal; // no text refusal: it is written
    } cases[] = {
        {{}, "Quality = 0, Number of cogs = 0\n", no_heads, no_heads},
        {{1, 2, 3, 5}, "Quality = 11, Number of cogs = 4\n", no_heads, ""},
        {{5, -3}, "Quality = 2, Number of cogs = 2\n", negative, negative},
        {{1, 1, 1, 1}, info(4, 4, 1), same, ""},
        {{3, 1}, info(4, 2, 2), same, ""}, // rotation 2 reads as rotation 0
        {{3, 59}, info(62, 2, 31) + many, above30, ""},
        {{INT_MAX},
         info(INT_MAX, 1, INT_MAX) + many,
         above30,
         "ERROR: Not enough memory for the table!\n"},
        {{1073741824, 1073741824}, info(2147483648, 2, 1073741824) + many, big, big},
        {{INT_MAX, INT_MAX}, info(4294967294, 2, INT_MAX) + many, big, big},
    };
    const std::string old = dir.file("old"), fresh = dir.file("fresh");
    write_file(old, "old contents\n");
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.list));
        for (form f : {as_asm, as_cpp, as_txt}) {
            const std::string& refusal = f == as_txt ? c.text_refusal : c.decoder_refusal;
            if (refusal.empty()) continue;
            log.clear();
            EXPECT_EQ(write(c.list, f, old), "old contents\n");
            write(c.list, f, fresh);
            EXPECT_FALSE(file_exists(fresh));
            EXPECT_EQ(log.body(), c.messages + refusal + c.messages + refusal);
        }
    }
}

TEST_F(Tables, ManyHeadsAndMemoryCeilings) {
    // 21 heads: the warning, then all 2^21 entries, 16 to a line.
    const std::string many = info(42, 2, 21) + "Too many heads - maximum 2M\n";
    const std::string text = write({3, 39}, as_asm, dir.file("21"));
    EXPECT_EQ(log.body(), many);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 131072);
    // A ceiling below what a table and its file take.
    const std::string refused = "ERROR: Not enough memory for the table!\n";
    log.clear();
    int* list = make_runlist({3, 39});
    export_decoder_table(list, dir.file("small").c_str(), false, 16u << 20);
    delete[] list;
    list = make_runlist({3, 3});
    export_text_table(list, dir.file("small").c_str(), 28);
    delete[] list;
    EXPECT_EQ(log.body(), many + refused + info(6, 2, 3) + refused);
    EXPECT_FALSE(file_exists(dir.file("small")));
#ifndef FAULTS_UNDER_ASAN
    // 256 MB more address space: a 27-head table takes 512 MB of entries, the text table of
    // 1, 39999 about 800 MB.
    faults::child_result r = faults::in_child(
        faults::privileges::kept, dir.path(), [] { return std::string(); },
        [&] {
            faults::limit_address_space(size_t{256} << 20);
            write({3, 51}, as_asm, "huge.asm");
            write({1, 39999}, as_txt, "huge.txt");
        });
    ASSERT_TRUE(r.ran);
    EXPECT_EQ(r.messages, info(54, 2, 27) + "Too many heads - maximum 2M\n" + refused +
                              info(40000, 2, 20000) + "Too many heads - maximum 2M\n" + refused);
    EXPECT_EQ(faults::listing(dir.path()), "21\n");
#endif
    // The size the ceiling is held against is the size of the text table.
    for (const runs& codes :
         {runs{3, 3}, known_good, runs{1, 2, 3, 5}, runs{7}, runs{2, 9, 4, 1, 1}}) {
        list = make_runlist(codes);
        EXPECT_EQ(text_table_size(shape_of(list)), format_text_table(list).size());
        delete[] list;
    }
    EXPECT_EQ(text_table_size(run_shape{INT_MAX, 1}), 4611686014132420609ull + 2ull * INT_MAX - 1);
}

TEST_F(Tables, CommandsOfferTheirDefaultsThenTheLastConfirmedName) {
    char buffer[4096];
    const std::string back = getcwd(buffer, sizeof buffer) ? buffer : ".";
    ASSERT_EQ(chdir(dir.path().c_str()), 0); // the default names are written here
    testing_support::ScriptedPrompts prompts;
    replace_global_stgc(nullptr);
    sub_ASM();
    sub_CPP();
    sub_TXT();
    EXPECT_EQ(log.body(),
              "STGC is not generated!\nSTGC is not generated!\nSTGC is not generated!\n");
    EXPECT_TRUE(prompts.asked().empty());

    replace_global_stgc(make_runlist({3, 3}));
    const struct {
        void (*run)();
        const char *prompt, *name, *buffer;
        form f;
    } commands[] = {{sub_ASM, "Ouput File (ASM):", "output.asm", asm_name, as_asm},
                    {sub_CPP, "Ouput File (CPP):", "output.cpp", cpp_name, as_cpp},
                    {sub_TXT, "Ouput File (TXT):", "output.txt", txt_name, as_txt}};
    for (const auto& c : commands) {
        SCOPED_TRACE(c.prompt);
        const size_t before = prompts.asked().size();
        log.clear();
        EXPECT_STREQ(c.buffer, c.name);
        prompts.answer(std::vector<std::string>{}); // the default, confirmed
        c.run();
        prompts.answer("renamed");
        c.run();
        const std::string expected = write({3, 3}, c.f, "expected");
        EXPECT_EQ(read_file(c.name), expected);
        EXPECT_EQ(read_file("renamed"), expected);
        EXPECT_EQ(unlink("renamed") + unlink(c.name) + unlink("expected"), 0);
        prompts.escape();
        c.run(); // offers the new name; Esc writes nothing
        EXPECT_EQ(faults::listing(dir.path()), "");
        EXPECT_STREQ(c.buffer, "renamed");
        EXPECT_EQ(log.body(), info(6, 2, 3) + info(6, 2, 3) + info(6, 2, 3));
        ASSERT_EQ(prompts.asked().size(), before + 3);
        for (size_t i = 0; i < 3; ++i) {
            const auto& asked = prompts.asked()[before + i];
            EXPECT_EQ(asked.labels, std::vector<std::string>{c.prompt});
            EXPECT_EQ(asked.offered, std::vector<std::string>{i < 2 ? c.name : "renamed"});
            EXPECT_EQ(asked.field, 50);
        }
    }
    replace_global_stgc(nullptr);
    EXPECT_EQ(chdir(back.c_str()), 0);
}

} // namespace
