// Generation when memory runs out. A process of its own: memory that other tests freed and the
// allocator kept would let the tables fit under the limit.
#include <gtest/gtest.h>

#include "code/decoder.h"
#include "code/runlist.h"
#include "gen/commands.h"
#include "gen/necklace.h"
#include "tests/support/faults.h"
#include "tests/support/test_support.h"

// Address-space limits and the address sanitizer's shadow memory do not mix.
#ifndef FAULTS_UNDER_ASAN
// 20 heads and the largest quality: the tables take 4 MB, the search several more. Out of
// memory the error stands on its own line, the code stays, the tables are released, and a later
// generation (quality in hex) searches and installs its code.
TEST(GenFaults, GenerationWithoutMemoryKeepsTheCodeAndReleasesTheTables) {
    const auto state = [] {
        return format_runlist(global_stgc) +
               (perebor.even_necklaces || perebor.odd_necklaces ? " tables held" : "");
    };
    const auto generate = [](const char* heads, const char* quality) {
        testing_support::ScriptedPrompts prompts; // drops an answer left over
        prompts.answer(heads);
        prompts.answer(quality);
        sub_GenQual();
    };
    replace_global_stgc(make_runlist({10, 3, 5, 18}));
    for (const auto& limit :
         {std::make_pair(size_t{1} << 20, "tables"), std::make_pair(size_t{7} << 20, "search")}) {
        const faults::child_result r = faults::in_child(faults::privileges::kept, "", state, [&] {
            faults::limit_address_space(limit.first);
            generate("20", "1046520");
            if (state() != "10,3,5,18") _exit(4);
            generate("5", "0x1e");
        });
        ASSERT_TRUE(r.ran) << "exit code " << r.exit_code;
        EXPECT_NE(r.messages.find(std::string("\nError: Not enough memory for the ") +
                                  limit.second + "; the current code is unchanged.\n"),
                  std::string::npos);
        EXPECT_NE(r.messages.find("\nHeads = 5, Quality = 30 \nHamilton:<"), std::string::npos);
        EXPECT_NE(r.messages.find("\nGENERATED GRAY CODE:\n<" + r.state + ">\n"),
                  std::string::npos);
    }
    replace_global_stgc(nullptr);
}
#endif
