// File-system faults for Save and Load: a clear line for each, the current code kept, and no
// existing file lost.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "code/commands.h"
#include "code/decoder.h"
#include "code/runlist.h"
#include "tests/support/faults.h"
#include "tests/support/test_support.h"

using faults::child_result;
using faults::privileges;
using testing_support::ScriptedPrompts;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

const std::vector<int> known_good = {10, 3, 5, 18, 14, 3,  4, 8, 6,  6, 5,  6, 10, 3,
                                     13, 4, 5, 12, 4,  13, 4, 4, 11, 4, 12, 5, 9,  23};

std::string current_code() {
    return format_runlist(global_stgc);
}

void load(const std::string& path) {
    ScriptedPrompts prompts;
    prompts.answer(path);
    sub_Load();
}

void save(const std::string& path) {
    ScriptedPrompts prompts;
    prompts.answer(path);
    sub_Save();
}

class CodeFaults : public ::testing::Test {
  protected:
    void SetUp() override { replace_global_stgc(make_runlist(known_good)); }
    void TearDown() override { replace_global_stgc(nullptr); }
};

} // namespace

TEST_F(CodeFaults, SaveReportsEveryFaultAndKeepsTheFiles) {
    faults::write_command command{"Save",
                                  [](const std::string& path, const std::string&) { save(path); },
                                  [](const std::string& path, const std::string& failure) {
                                      return path + "...Opening...\n" + failure;
                                  }};
    faults::expect_write_faults(command, current_code);
}

TEST_F(CodeFaults, LoadReportsWhatCannotBeReadAndKeepsTheCode) {
    TempDir dir;
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    const std::string unreadable = dir.file("unreadable.stgc");
    write_file(unreadable, "3,3");
    ASSERT_EQ(chmod(unreadable.c_str(), 0200), 0);
    const std::string hidden_dir = dir.file("hidden");
    ASSERT_EQ(mkdir(hidden_dir.c_str(), 0700), 0);
    write_file(hidden_dir + "/code.stgc", "3,3");

    struct fault {
        const char* what;
        std::string path;
        privileges drop;
        std::string report;
    };
    const fault faults[] = {
        {"a file without read permission", unreadable, privileges::dropped, "Can't open file!\n"},
        {"a directory that may not be entered", hidden_dir + "/code.stgc", privileges::dropped,
         "Can't open file!\n"},
        {"an empty name", "", privileges::kept, "Can't open file!\n"},
        {"a device", "/dev/full", privileges::kept, "Not a regular file!\n"},
        {"a missing directory", dir.file("no/such.stgc"), privileges::kept, "Can't open file!\n"},
    };
    const std::string before = current_code();
    for (const fault& f : faults) {
        SCOPED_TRACE(f.what);
        child_result r = faults::in_child(f.drop, current_code, [&] { load(f.path); });
        if (r.skipped) continue;
        ASSERT_TRUE(r.ran);
        EXPECT_EQ(r.messages, f.path + "...Opening...\n" + f.report);
        EXPECT_EQ(r.state, before);
    }
}

TEST_F(CodeFaults, NamesOfFortyNineCharactersAreUsedWhole) {
    // The longest name the 50-wide prompt takes.
    const std::string name = std::string(44, 'n') + ".stgc";
    ASSERT_EQ(name.size(), 49u);
    TempDir dir;
    child_result r = faults::in_directory(dir.path(), current_code, [&] {
        save(name);
        replace_global_stgc(make_runlist({3, 3}));
        load(name);
        if (std::strcmp(in_txt_name, name.c_str()) != 0 ||
            std::strcmp(out_txt_name, name.c_str()) != 0)
            _exit(2);
    });
    ASSERT_TRUE(r.ran);
    EXPECT_EQ(r.messages,
              name + "...Opening...\n" + name + "...Opening...\nSize of file:65 bytes\n");
    EXPECT_EQ(r.state, current_code());
    EXPECT_EQ(faults::listing(dir.path()), name + "\n");
}
