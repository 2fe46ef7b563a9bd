// Faults a user's machine brings: cases run in a forked child, so that a case cannot disturb
// the next, and report the message-pane text and the state they left.
// - File-system faults for the commands that write files: every command is run against the
//   same list of bad destinations (a missing directory, a directory, a FIFO, no permission, a
//   full disk, an empty name, a loop of links) and must report one clear line, keep the code and
//   geometry, and leave every existing file as it was. Cases about permissions run as the
//   unprivileged user "nobody" when the tests run as root, for whom permission bits stop
//   nothing.
// - Memory: a child's address space can be held to what it uses now plus a little.
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <malloc.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

// Address-space limits and the address sanitizer's shadow memory do not mix.
#if defined(__SANITIZE_ADDRESS__)
#define FAULTS_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FAULTS_UNDER_ASAN 1
#endif
#endif

namespace faults {

// A command that writes one file: `run` answers its prompts so that `path` is the file the
// case is about (other files go to `spare`) and runs it; `report` is the message-pane text
// expected when that file fails with the line `failure`.
struct write_command {
    const char* name;
    std::function<void(const std::string& path, const std::string& spare)> run;
    std::function<std::string(const std::string& path, const std::string& failure)> report;
};

// What the command must not change, as text (the current code, the geometry).
using state_of = std::function<std::string()>;

enum class privileges { kept, dropped };

struct child_result {
    bool ran = false;     // false: the child could not be started or did not finish
    bool skipped = false; // as nobody the child could not run (see in_child)
    int exit_code = -1;   // the child's exit code, or 128 + the signal that ended it
    std::string messages; // the message-pane text of the command
    std::string state;    // state_of() after the command
};

// Runs `body` in a child (as nobody when `drop` is set and we are root), in directory `cwd`
// when one is given, and returns the message-pane text it produced and the state after it.
// Names relative to `cwd` keep the typed names short whatever $TMPDIR is. A child that
// cannot become nobody, or as nobody cannot enter `cwd` (a private $TMPDIR), reports itself
// skipped.
inline child_result in_child(privileges drop, const std::string& cwd, const state_of& state,
                             const std::function<void()>& body) {
    int channel[2];
    child_result result;
    if (pipe(channel) != 0) return result;
    pid_t child = fork();
    if (child < 0) return result;
    if (child == 0) {
        close(channel[0]);
        const bool dropped = drop == privileges::dropped && geteuid() == 0;
        if (dropped && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(dropped ? 3 : 2);
        std::string out;
        {
            testing_support::MessageLog log;
            body();
            out = log.body() + '\0' + state();
        }
        for (size_t done = 0; done < out.size();) {
            ssize_t n = write(channel[1], out.data() + done, out.size() - done);
            if (n <= 0) _exit(2);
            done += static_cast<size_t>(n);
        }
        _exit(0);
    }
    close(channel[1]);
    std::string out;
    char chunk[4096];
    ssize_t n;
    while ((n = read(channel[0], chunk, sizeof chunk)) > 0)
        out.append(chunk, static_cast<size_t>(n));
    close(channel[0]);
    int status = 0;
    if (waitpid(child, &status, 0) != child) return result;
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (result.exit_code == 3) {
        std::fprintf(stderr, "note: a case for an unprivileged user was skipped\n");
        result.skipped = true;
        return result;
    }
    size_t split = out.find('\0');
    if (result.exit_code != 0 || split == std::string::npos) return result;
    result.ran = true;
    result.messages = out.substr(0, split);
    result.state = out.substr(split + 1);
    return result;
}

inline const char* const cant_open = "Can't open file!\n";

// Runs every fault case against `command` and checks the report, the state and the files.
inline void expect_write_faults(const write_command& command, const state_of& state) {
    SCOPED_TRACE(command.name);
    testing_support::TempDir dir;
    // Every user may enter and write it: the cases run as nobody make their files here.
    ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);
    // A second file that some commands write goes where it always succeeds.
    const std::string spare = "/dev/null";
    const std::string before = state();

    // Runs the command with `path` (relative to the directory) in a child.
    auto run = [&](privileges drop, const std::string& path) {
        child_result r = in_child(drop, dir.path(), state, [&] { command.run(path, spare); });
        EXPECT_TRUE(r.ran || r.skipped) << "the command did not finish for " << path;
        if (r.ran) {
            EXPECT_EQ(r.state, before) << "the code or geometry changed for " << path;
        }
        return r;
    };
    auto file = [&](const std::string& name) { return testing_support::read_file(dir.file(name)); };

    // A regular file: the contents every other destination is compared with.
    EXPECT_EQ(run(privileges::kept, "regular.out").messages, command.report("regular.out", ""));
    const std::string contents = file("regular.out");
    ASSERT_FALSE(contents.empty());
    testing_support::write_file(dir.file("read-only.out"), "the user's file");
    ASSERT_EQ(chmod(dir.file("read-only.out").c_str(), 0444), 0);
    ASSERT_EQ(mkdir(dir.file("locked").c_str(), 0555), 0);
    ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0666), 0);
    ASSERT_EQ(symlink("loop-back", dir.file("loop").c_str()), 0);
    ASSERT_EQ(symlink("loop", dir.file("loop-back").c_str()), 0);
    struct refusal {
        const char* what;
        const char* path;
        privileges drop;
    };
    const refusal refusals[] = {
        {"a missing directory", "no/such/dir.out", privileges::kept},
        {"a directory", ".", privileges::kept},
        {"a FIFO nobody reads", "pipe", privileges::kept},
        {"an empty name", "", privileges::kept},
        {"a loop of symbolic links", "loop", privileges::kept},
        {"a file without write permission", "read-only.out", privileges::dropped},
        {"a directory without write permission", "locked/new.out", privileges::dropped},
    };
    const std::string files = testing_support::listing(dir.path());
    for (const refusal& c : refusals) {
        SCOPED_TRACE(c.what);
        child_result r = run(c.drop, c.path);
        if (r.skipped) continue;
        EXPECT_EQ(r.messages, command.report(c.path, cant_open));
        EXPECT_EQ(testing_support::listing(dir.path()), files);
    }
    EXPECT_EQ(file("read-only.out"), "the user's file");
    EXPECT_EQ(testing_support::listing(dir.file("locked")), "");

    // A full device.
    EXPECT_EQ(run(privileges::kept, "/dev/full").messages,
              command.report("/dev/full", "Can't write file! (No space left on device)\n"));

    // The disk fills up while an existing file is rewritten: the old file stays whole, with
    // its permissions, and the temporary file is gone.
    testing_support::write_file(dir.file("existing.out"), "the user's old file");
    ASSERT_EQ(chmod(dir.file("existing.out").c_str(), 0640), 0);
    child_result full = in_child(privileges::kept, dir.path(), state, [&] {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {8, 8};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(2);
        command.run("existing.out", spare);
    });
    ASSERT_TRUE(full.ran);
    EXPECT_EQ(full.messages,
              command.report("existing.out", "Can't write file! (File too large)\n"));
    EXPECT_EQ(full.state, before);
    EXPECT_EQ(file("existing.out"), "the user's old file");
    struct stat st;
    ASSERT_EQ(stat(dir.file("existing.out").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(testing_support::listing(dir.path()),
              "existing.out\nlocked\nloop\nloop-back\npipe\nread-only.out\nregular.out\n");

    // A FIFO that is read, and a writable file in a directory where no temporary file can
    // be made, are written as they are. The pipe holds the whole file until it is read.
    int reader = open(dir.file("pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_GE(fcntl(reader, F_SETPIPE_SZ, 1 << 20), static_cast<int>(contents.size()));
    EXPECT_EQ(run(privileges::kept, "pipe").messages, command.report("pipe", ""));
    std::string piped;
    char chunk[4096];
    ssize_t n;
    while ((n = read(reader, chunk, sizeof chunk)) > 0)
        piped.append(chunk, static_cast<size_t>(n));
    close(reader);
    EXPECT_EQ(piped, contents);

    // Another user's file that we may write is written in place and keeps its owner: in a
    // directory where no temporary file can be made, in a sticky shared one (where no rename
    // over it is allowed) and in a plain shared one (where a rename would hand it to us).
    const std::pair<const char*, mode_t> shared[] = {
        {"locked", 0555}, {"sticky", 01777}, {"plain", 0777}};
    for (const auto& d : shared) {
        const std::string name = std::string(d.first) + "/theirs.out";
        mkdir(dir.file(d.first).c_str(), 0700);
        testing_support::write_file(dir.file(name), "their old file");
        ASSERT_EQ(chmod(dir.file(name).c_str(), 0666), 0);
        ASSERT_EQ(chmod(dir.file(d.first).c_str(), d.second), 0);
        child_result r = run(privileges::dropped, name);
        if (r.skipped) continue;
        EXPECT_EQ(r.messages, command.report(name, "")) << name;
        EXPECT_EQ(file(name), contents) << name;
        struct stat theirs;
        ASSERT_EQ(stat(dir.file(name).c_str(), &theirs), 0);
        EXPECT_EQ(theirs.st_uid, geteuid()) << name;
        EXPECT_EQ(testing_support::listing(dir.file(d.first)), "theirs.out\n") << name;
    }
}

// In a child: lets the address space grow by `extra` bytes at most (ends the child if the
// limit cannot be set). Free memory the allocator holds on to would count as room: it goes first.
inline void limit_address_space(size_t extra) {
    malloc_trim(0);
    size_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t bytes = pages * static_cast<size_t>(sysconf(_SC_PAGESIZE)) + extra;
    const struct rlimit limit = {bytes, bytes};
    if (pages == 0 || setrlimit(RLIMIT_AS, &limit) != 0) _exit(2);
}

} // namespace faults
