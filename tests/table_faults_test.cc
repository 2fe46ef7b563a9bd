// File-system faults for the decoder and text table exports: a clear line after the code's
// informational lines, the current code kept, and no existing file lost.
#include <malloc.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "code/decoder.h"
#include "code/runlist.h"
#include "export/table_commands.h"
#include "tests/support/faults.h"
#include "tests/support/test_support.h"

using testing_support::known_good;

namespace {

const char* const informational = "Quality = 224, Number of cogs = 28\nNumber of heads = 8\n";

std::string current_code() {
    return format_runlist(global_stgc);
}

faults::write_command table_command(const char* name, void (*command)()) {
    return {name,
            [command](const std::string& path, const std::string&) {
                testing_support::ScriptedPrompts prompts;
                prompts.answer(path);
                command();
            },
            [](const std::string&, const std::string& failure) { return informational + failure; }};
}

} // namespace

TEST(TableFaults, EveryExportReportsEveryFaultAndKeepsTheFiles) {
    replace_global_stgc(make_runlist(known_good));
    faults::expect_write_faults(table_command("Assembler code", sub_ASM), current_code);
    faults::expect_write_faults(table_command("C++ code", sub_CPP), current_code);
    faults::expect_write_faults(table_command("Text table", sub_TXT), current_code);
    replace_global_stgc(nullptr);
}

#ifndef FAULTS_UNDER_ASAN
TEST(TableFaults, TwentyHeadTableWithoutMemoryIsReportedAndReleased) {
    // 20 heads 2 runs apart: a table of 2^20 entries and a file of about 4 MB each.
    const std::vector<int> twenty_heads = {3, 37};
    replace_global_stgc(make_runlist(twenty_heads));
    testing_support::TempDir dir;
    const std::string big = "twenty.asm", small = "small.asm";
    faults::child_result r =
        faults::in_child(faults::privileges::kept, dir.path(), current_code, [&] {
            faults::limit_address_space(size_t{6} << 20);
            for (int attempt = 0; attempt < 3; ++attempt) {
                size_t before = mallinfo2().uordblks;
                testing_support::ScriptedPrompts prompts;
                prompts.answer(big);
                sub_ASM();
                // What the table took is given back.
                if (mallinfo2().uordblks > before + (size_t{64} << 10)) _exit(4);
            }
            // The program goes on: a smaller table still fits.
            int* twenty = global_stgc;
            global_stgc = make_runlist(known_good);
            {
                testing_support::ScriptedPrompts prompts;
                prompts.answer(small);
                sub_ASM();
            }
            replace_global_stgc(twenty);
        });
    ASSERT_TRUE(r.ran) << "exit code " << r.exit_code;
    const std::string refused = "Quality = 40, Number of cogs = 2\nNumber of heads = 20\n"
                                "ERROR: Not enough memory for the table!\n";
    EXPECT_EQ(r.messages, refused + refused + refused + informational);
    EXPECT_EQ(r.state, "3,37");
    EXPECT_FALSE(testing_support::file_exists(dir.file(big)));
    EXPECT_EQ(testing_support::read_file(dir.file(small)).substr(0, 4), ".db ");
    replace_global_stgc(nullptr);
}
#endif
