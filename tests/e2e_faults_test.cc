// The real program against a full address space and a bad file name: each failure is one line
// in the message pane, the program goes on working and gives the terminal back at the end.
#include <dirent.h>
#include <sys/resource.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/harness.h"
#include "tests/support/faults.h"
#include "tests/support/test_support.h"

using testing_support::file_exists;
using testing_support::TempDir;

// Address-space limits and the address sanitizer's shadow memory do not mix.
#ifndef FAULTS_UNDER_ASAN
namespace {

std::string link_target(const std::string& path) {
    char buffer[PATH_MAX];
    ssize_t n = readlink(path.c_str(), buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

// The process running `binary` in directory `cwd` (0 if there is none).
pid_t find_program(const std::string& binary, const std::string& cwd) {
    char* real = realpath(binary.c_str(), nullptr);
    const std::string exe = real ? real : binary;
    free(real);
    pid_t found = 0;
    DIR* proc = opendir("/proc");
    if (!proc) return 0;
    while (dirent* entry = readdir(proc)) {
        pid_t pid = static_cast<pid_t>(atoi(entry->d_name));
        if (pid <= 0) continue;
        const std::string base = std::string("/proc/") + entry->d_name;
        if (link_target(base + "/exe") == exe && link_target(base + "/cwd") == cwd) found = pid;
    }
    closedir(proc);
    return found;
}

// The address space of a process in bytes (0 if unknown).
size_t address_space_of(pid_t pid) {
    std::string statm = testing_support::read_file("/proc/" + std::to_string(pid) + "/statm");
    return static_cast<size_t>(atol(statm.c_str())) * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

// Chooses the entry `down` places below the first of the pull-down `move` places right (left
// when negative) of the bar's current entry.
void choose(e2e::Session& s, int move, const std::string& shown, int down) {
    if (move != 0) s.press(move > 0 ? "Right" : "Left", move > 0 ? move : -move);
    s.press("Enter");
    ASSERT_TRUE(s.wait_for(shown));
    s.press("Down", down);
    s.press("Enter");
}

// Waits until consecutive rows of the screen begin with `lines`.
::testing::AssertionResult wait_lines(e2e::Session& s, const std::vector<std::string>& lines) {
    return s.wait_until(
        [&] {
            for (int top = 0; top + static_cast<int>(lines.size()) <= s.rows(); ++top) {
                size_t i = 0;
                while (i < lines.size() && s.row(top + static_cast<int>(i)).rfind(lines[i], 0) == 0)
                    ++i;
                if (i == lines.size()) return true;
            }
            return false;
        },
        "the lines \"" + lines.front() + "\" ... \"" + lines.back() + "\"");
}

} // namespace

TEST(ProgramFaults, WhatDoesNotFitMemoryLeavesTheProgramWorking) {
    TempDir dir;
    e2e::Options options;
    options.cwd = dir.path();
    e2e::Session s(options);
    ASSERT_TRUE(s.wait_for("Use arrow keys and Enter to select"));

    // From here on the program may grow by 4 MB: a 20-head decoder table takes 8.
    pid_t pid = find_program(options.binary, dir.path());
    ASSERT_GT(pid, 0);
    const rlim_t limit = address_space_of(pid) + (rlim_t{4} << 20);
    const struct rlimit held = {limit, limit};
    ASSERT_EQ(prlimit(pid, RLIMIT_AS, &held, nullptr), 0);

    choose(s, 0, "Manual input", 2);
    ASSERT_TRUE(s.wait_for("STGC (manually):"));
    s.type("3,37");
    s.press("Enter");
    s.press("Esc");

    // Generation for 20 heads needs 4 MB for its tables alone.
    choose(s, 1, "Generate STGC by Quality", 0);
    ASSERT_TRUE(s.wait_for("Number of Heads (3..20): 8"));
    s.type("20");
    s.press("Enter");
    s.press("Esc");
    ASSERT_TRUE(
        wait_lines(s, {"...Generating step 1...", "Error: Not enough memory for the tables; "
                                                  "the current code is unchanged."}));

    choose(s, 1, "Change Geometry", 3);
    ASSERT_TRUE(s.wait_for("Ouput File (ASM): output.asm"));
    s.press("Enter");
    s.press("Esc");
    ASSERT_TRUE(wait_lines(s, {"Quality = 40, Number of cogs = 2", "Number of heads = 20",
                               "ERROR: Not enough memory for the table!"}));
    EXPECT_FALSE(file_exists(dir.file("output.asm")));

    // A name that is a directory, then the code's test: both answer, the program lives on.
    choose(s, -2, "Manual input", 1);
    ASSERT_TRUE(s.wait_for("Ouput Text File (STGC): output.stgc"));
    s.press("Kill");
    s.type(dir.path());
    s.press("Enter");
    s.press("Esc");
    ASSERT_TRUE(wait_lines(s, {dir.path() + "...Opening...", "Can't open file!"}));
    // The typed code is still the current code.
    choose(s, 1, "Test STGC", 2);
    s.press("Esc");
    ASSERT_TRUE(wait_lines(s, {"Can't open file!", "Quality = 40, Number of cogs = 2",
                               "Number of heads = 20", "STGC is good!"}));

    choose(s, -1, "Manual input", 3);
    ASSERT_TRUE(s.wait_exit());
    EXPECT_EQ(s.exit_status(), 0);
    EXPECT_TRUE(s.terminal_restored());
}
#endif
