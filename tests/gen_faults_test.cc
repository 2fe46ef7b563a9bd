// Generation when memory runs out: a clear line, the tables released, the current code kept,
// and the next generation works.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "code/decoder.h"
#include "code/runlist.h"
#include "gen/commands.h"
#include "gen/necklace.h"
#include "tests/support/faults.h"
#include "tests/support/test_support.h"

using testing_support::ScriptedPrompts;
using testing_support::known_good;

// Address-space limits and the address sanitizer's shadow memory do not mix.
#ifndef FAULTS_UNDER_ASAN
namespace {


// The current code and whether generation tables are still held.
std::string code_and_tables() {
    return format_runlist(global_stgc) +
           (perebor.even_necklaces || perebor.odd_necklaces ? " tables held" : "");
}

// Generates with `heads` heads and the largest quality offered.
void generate(const std::string& heads) {
    ScriptedPrompts prompts;
    prompts.answer(heads);
    prompts.answer(std::vector<std::string>{});
    sub_GenQual();
}

} // namespace

TEST(GenFaults, GenerationWithoutMemoryKeepsTheCodeAndReleasesTheTables) {
    // 20 heads: the tables take 4 MB, the search for the largest quality several more.
    struct limit {
        size_t extra;
        const char* error;
    };
    const limit limits[] = {
        {size_t{1} << 20,
         "Error: Not enough memory for the tables; the current code is unchanged."},
        {size_t{7} << 20,
         "Error: Not enough memory for the search; the current code is unchanged."},
    };
    for (const limit& l : limits) {
        SCOPED_TRACE(l.error);
        replace_global_stgc(make_runlist(known_good));
        const std::string before = code_and_tables();
        faults::child_result r =
            faults::in_child(faults::privileges::kept, "", code_and_tables, [&] {
                faults::limit_address_space(l.extra);
                generate("20");
                // Then the program goes on: a smaller code is generated and installed.
                if (code_and_tables() != before) _exit(4);
                generate("4");
            });
        ASSERT_TRUE(r.ran) << "exit code " << r.exit_code;
        // The error stands on a line of its own; the next generation lists its code.
        EXPECT_NE(r.messages.find(std::string("\n") + l.error + "\n"), std::string::npos);
        EXPECT_NE(r.messages.find("\nGENERATED GRAY CODE:\n<"), std::string::npos);
        EXPECT_NE(r.state, before);
        EXPECT_EQ(r.state.find("tables held"), std::string::npos);
    }
    replace_global_stgc(nullptr);
}
#endif
