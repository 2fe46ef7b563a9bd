// File-system faults for the table exports, and a table that does not fit memory: a clear line
// after the code's informational lines, the current code kept, and no existing file lost.
// Apart from the other table tests, whose freed memory would let the big table fit.
#include <malloc.h>

#include <string>

#include <gtest/gtest.h>

#include "code/decoder.h"
#include "code/runlist.h"
#include "export/table_commands.h"
#include "tests/support/faults.h"
#include "tests/support/test_support.h"

using namespace testing_support;

namespace {

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
    EXPECT_EQ(faults::listing(dir.path()), "small.asm\n");
    EXPECT_EQ(read_file(dir.file("small.asm")).substr(0, 4), ".db ");
    replace_global_stgc(nullptr);
}
#endif

} // namespace
