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
using testing_support::known_good;

namespace {


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
    write_file(dir.file("unreadable.stgc"), "3,3");
    ASSERT_EQ(chmod(dir.file("unreadable.stgc").c_str(), 0200), 0);
    ASSERT_EQ(mkdir(dir.file("hidden").c_str(), 0700), 0);
    write_file(dir.file("hidden/code.stgc"), "3,3");

    struct fault {
        const char* what;
        const char* path;
        privileges drop;
        const char* report;
    };
    const fault faults[] = {
        {"a file without read permission", "unreadable.stgc", privileges::dropped,
         "Can't open file!\n"},
        {"a directory that may not be entered", "hidden/code.stgc", privileges::dropped,
         "Can't open file!\n"},
        {"an empty name", "", privileges::kept, "Can't open file!\n"},
        {"a device", "/dev/full", privileges::kept, "Not a regular file!\n"},
        {"a missing directory", "no/such.stgc", privileges::kept, "Can't open file!\n"},
    };
    const std::string before = current_code();
    for (const fault& f : faults) {
        SCOPED_TRACE(f.what);
        child_result r = faults::in_child(f.drop, dir.path(), current_code, [&] { load(f.path); });
        if (r.skipped) continue;
        ASSERT_TRUE(r.ran);
        EXPECT_EQ(r.messages, std::string(f.path) + "...Opening...\n" + f.report);
        EXPECT_EQ(r.state, before);
    }
}

TEST_F(CodeFaults, LoadTakesANameOfFortyNineCharactersWhole) {
    // The longest name the 50-wide prompt takes.
    const std::string name = std::string(44, 'n') + ".stgc";
    ASSERT_EQ(name.size(), 49u);
    TempDir dir;
    write_file(dir.file(name), "3,3");
    child_result r = faults::in_child(privileges::kept, dir.path(), current_code, [&] {
        load(name);
        if (std::strcmp(in_txt_name, name.c_str()) != 0) _exit(2);
    });
    ASSERT_TRUE(r.ran);
    EXPECT_EQ(r.messages, name + "...Opening...\nSize of file:3 bytes\n");
    EXPECT_EQ(r.state, "3,3");
}
