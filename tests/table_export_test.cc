// The table writers: every form of a set of codes (refusals included) and the element widths
// against a golden transcript, and the decoder tables through the real tools. The exports with
// the faults of a user's file system, and a table that does not fit memory: a clear line after
// the code's informational lines, the current code kept, and no existing file lost.
#include <malloc.h>
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

using namespace testing_support;

namespace {

using runs = std::vector<int>;

// Each code in each form, written over an existing file and to a new name: the messages, the
// new file (only its size when large) and the existing file when it differs from the new one.
TEST(Tables, EveryFormAndWidthMatchesTheGoldenTranscript) {
    TempDir dir;
    MessageLog log;
    const std::string old = dir.file("old"), fresh = dir.file("fresh");
    // clang-format off
    const runs codes[] = {{3, 3}, {1, 1}, known_good, {1, 1, 1, 1}, {2, 2}, {1, 2, 3, 5}, {3, 1},
                          {}, {5, -3}, {3, 39}, {29, 31}, {3, 59}, {INT_MAX}, {1073741824, 1073741824},
                          {INT_MAX, INT_MAX}};
    // clang-format on
    std::string out;
    for (const runs& list : codes)
        for (const char* form : {"asm", "cpp", "txt"}) {
            write_file(old, "old contents\n");
            unlink(fresh.c_str());
            log.clear();
            int* runlist = make_runlist(list);
            for (const std::string& path : {old, fresh})
                form[0] == 't' ? save_text(runlist, path.c_str())
                               : save_assembler(runlist, path.c_str(), form[0] == 'c');
            delete[] runlist;
            const std::string written = read_file(fresh);
            out += "== " + ::testing::PrintToString(list) + " " + form + "\n" + log.body();
            const auto lines = std::count(written.begin(), written.end(), '\n');
            out += !file_exists(fresh)     ? "-- no file\n"
                   : written.size() > 4096 ? "-- " + std::to_string(lines) + " lines\n"
                                           : "-- written\n" + written;
            if (read_file(old) != written) out += "-- old file\n" + read_file(old);
        }
    // Element widths at their thresholds; from 16777216 positions on, empty entries take 32 bits.
    const decoder_table widths[] = {{255, {-1, 254}},     {256, {-1, 255}},
                                    {65535, {-1, 65534}}, {65536, {-1, 65535}},
                                    {65536, {3, -1}},     {16777216, {-1, 16777215}}};
    for (const decoder_table& table : widths)
        for (bool cpp : {false, true})
            out += "== Q = " + std::to_string(table.quality) + (cpp ? " cpp\n" : " asm\n") +
                   format_decoder_table(table, cpp);
    EXPECT_EQ(out, read_file(STGC_SOURCE_DIR "/tests/data/table/transcript.txt"));
}

// For the real tools: rotation k's reading, head 0 first: the bits at (k + h*r) mod Q. Entries no
// rotation reads have every bit set. Little-endian entries of `width` bytes, as the AVR and x86
// store them.
std::string expected_bytes(const runs& list, size_t width) {
    std::string track;
    for (size_t i = 0; i < list.size(); ++i)
        track.append(static_cast<size_t>(list[i]), static_cast<char>('0' + i % 2));
    const size_t q = track.size(), r = list.size(), n = q / r;
    std::string out(width << n, '\xff');
    for (size_t k = 0; k < q; ++k) {
        size_t reading = 0;
        for (size_t h = 0; h < n; ++h)
            reading = reading * 2 + static_cast<size_t>(track[(k + h * r) % q] - '0');
        for (size_t b = 0; b < width; ++b)
            out[reading * width + b] = static_cast<char>(k >> (8 * b) & 0xff);
    }
    return out;
}

// g++ compiles the C++ array and avra assembles the data directives; the bytes of both must
// be, entry by entry, the table the readings define.
TEST(TableToolchain, GppAndAvraReadTheTableOfTheReadings) {
    // Q = 270, 9 heads: two-byte entries in a table small enough for any AVR.
    const runs nine_heads = {6, 20, 13, 3, 10, 3, 2,  11, 24, 8, 8,  3, 3, 5,  6,
                             9, 17, 12, 6, 26, 5, 13, 4,  10, 6, 11, 7, 5, 12, 2};
    const std::pair<runs, size_t> codes[] = {{known_good, 1}, {nine_heads, 2}};
    for (const auto& c : codes) {
        SCOPED_TRACE(::testing::PrintToString(c.first));
        TempDir dir;
        MessageLog log;
        int* list = make_runlist(c.first);
        save_assembler(list, dir.file("table.cpp").c_str(), true);
        save_assembler(list, dir.file("table.asm").c_str(), false);
        delete[] list;
        write_file(dir.file("main.cc"),
                   "#include \"table.cpp\"\n#include <cstdio>\nint main() {\n"
                   "    std::fwrite(stgc_decoder, 1, sizeof stgc_decoder, stdout);\n}\n");
        write_file(dir.file("wrap.asm"),
                   ".device ATmega128\n.cseg\n.org 0\n.include \"table.asm\"\n");
        // The C++ array compiled with warnings as errors; the assembled words out of the hex file.
        const std::string tools = "cd '" + dir.path() +
                                  "' && g++ -std=c++17 -Wall -Wextra -Werror -o main main.cc && "
                                  "./main > cpp.bin && avra wrap.asm && "
                                  "objcopy -I ihex -O binary wrap.hex asm.bin";
        std::string output;
        EXPECT_EQ(run_command(tools, &output), 0) << output;
        EXPECT_NE(output.find("Assembly complete with no errors."), std::string::npos) << output;
        EXPECT_EQ(read_file(dir.file("cpp.bin")), expected_bytes(c.first, c.second));
        EXPECT_EQ(read_file(dir.file("asm.bin")), expected_bytes(c.first, c.second));
    }
}

const std::string informational = "Quality = 224, Number of cogs = 28\nNumber of heads = 8\n";

std::string current_code() {
    return format_runlist(global_stgc);
}

TEST(TableFaults, EveryExportReportsEveryFaultAndKeepsTheFiles) {
    replace_global_stgc(make_runlist(known_good));
    const std::pair<const char*, void (*)()> commands[] = {
        {"Assembler code", sub_ASM}, {"C++ code", sub_CPP}, {"Text table", sub_TXT}};
    for (const auto& c : commands)
        faults::expect_write_faults({c.first,
                                     [&c](const std::string& path, const std::string&) {
                                         ScriptedPrompts prompts;
                                         prompts.answer(path);
                                         c.second();
                                     },
                                     [](const std::string&, const std::string& failure) {
                                         return informational + failure;
                                     }},
                                    current_code);
    replace_global_stgc(nullptr);
}

#ifndef FAULTS_UNDER_ASAN
TEST(TableFaults, TwentyHeadTableWithoutMemoryIsReportedAndReleased) {
    // 20 heads 2 runs apart: a table of 2^20 entries and a file of about 4 MB each.
    replace_global_stgc(make_runlist({3, 37}));
    TempDir dir;
    faults::child_result r =
        faults::in_child(faults::privileges::kept, dir.path(), current_code, [] {
            faults::limit_address_space(size_t{6} << 20);
            ScriptedPrompts prompts;
            const size_t before = mallinfo2().uordblks;
            prompts.answer("twenty.asm");
            sub_ASM();
            if (mallinfo2().uordblks > before + (size_t{64} << 10)) _exit(4); // not given back
            int* twenty = global_stgc; // the program goes on: a smaller table still fits
            global_stgc = make_runlist(known_good);
            prompts.answer("small.asm");
            sub_ASM();
            replace_global_stgc(twenty);
        });
    ASSERT_TRUE(r.ran) << "exit code " << r.exit_code;
    EXPECT_EQ(r.messages, "Quality = 40, Number of cogs = 2\nNumber of heads = 20\n"
                          "ERROR: Not enough memory for the table!\n" +
                              informational);
    EXPECT_EQ(r.state, "3,37");
    EXPECT_EQ(listing(dir.path()), "small.asm\n");
    EXPECT_EQ(read_file(dir.file("small.asm")).substr(0, 4), ".db ");
    replace_global_stgc(nullptr);
}
#endif

} // namespace
