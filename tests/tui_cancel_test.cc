// The cancel poll of the screen: never waits, sees Esc among typed keys, keeps other keys for
// the menus, and leaves the key reads as they were. Runs the real screen in a pty.
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "tui/tui.h"

namespace {

int to_parent = -1;
int from_parent = -1;

void say(const std::string& text) {
    if (write(to_parent, text.data(), text.size()) < 0) _exit(3);
}

void wait_word() {
    char c;
    if (read(from_parent, &c, 1) != 1) _exit(4);
}

void wait_for_input() {
    struct pollfd fd = {STDIN_FILENO, POLLIN, 0};
    while (poll(&fd, 1, -1) <= 0) {
    }
    usleep(50 * 1000); // let the rest of the same write arrive
}

void poll_action() {
    std::string report;
    report += user_cancelled() ? "idle:cancel " : "idle:none ";
    say("1");
    wait_word();
    wait_for_input();
    report += user_cancelled() ? "xy:cancel " : "xy:none ";
    int first = waitforkey();
    int second = waitforkey();
    report += "kept:" + std::string(1, static_cast<char>(first)) +
              std::string(1, static_cast<char>(second)) + " ";
    say("2");
    wait_word();
    wait_for_input();
    report += user_cancelled() ? "esc:cancel " : "esc:none ";
    report += keypressed() ? "left:key " : "left:none ";
    say("3");
    wait_word();
    report += "next:" + std::string(1, static_cast<char>(waitforkey()));
    say("\n" + report + "\n");
    DoExit();
}

menu poll_menu[] = {{"Run", poll_action, "cancel poll"}, {"", nullptr, ""}};

struct Child {
    pid_t pid = -1;
    int master = -1;
    int reports = -1;
    int commands = -1;
};

// Reads the child's next report byte, draining the terminal output meanwhile.
bool next_report(Child& child, std::string& all) {
    char buffer[4096];
    for (;;) {
        struct pollfd fds[2] = {{child.reports, POLLIN, 0}, {child.master, POLLIN, 0}};
        if (poll(fds, 2, 10000) <= 0) return false;
        if (fds[1].revents & POLLIN) {
            if (read(child.master, buffer, sizeof buffer) <= 0) fds[1].fd = -1;
        }
        if (fds[0].revents & (POLLIN | POLLHUP)) {
            ssize_t n = read(child.reports, buffer, sizeof buffer);
            if (n <= 0) return false;
            all.append(buffer, static_cast<size_t>(n));
            return true;
        }
    }
}

TEST(CancelPoll, SeesEscKeepsOtherKeysAndNeverWaits) {
    int up[2], down[2];
    ASSERT_EQ(pipe(up), 0);
    ASSERT_EQ(pipe(down), 0);
    struct winsize size = {24, 80, 0, 0};
    Child child;
    child.pid = forkpty(&child.master, nullptr, nullptr, &size);
    ASSERT_GE(child.pid, 0);
    if (child.pid == 0) {
        close(up[0]);
        close(down[1]);
        to_parent = up[1];
        from_parent = down[0];
        setenv("TERM", "xterm-256color", 1);
        startmenu(poll_menu, "cancel poll");
        _exit(0);
    }
    close(up[1]);
    close(down[0]);
    child.reports = up[0];
    child.commands = down[1];

    auto send_keys = [&](const char* keys) {
        ASSERT_EQ(write(child.master, keys, strlen(keys)), static_cast<ssize_t>(strlen(keys)));
        ASSERT_EQ(write(child.commands, "go", 1), 1);
    };
    std::string reports;
    ASSERT_EQ(write(child.master, "\r", 1), 1); // Enter on the bar runs the action
    ASSERT_TRUE(next_report(child, reports));
    send_keys("xy");
    ASSERT_TRUE(next_report(child, reports));
    send_keys("z\x1bw");
    ASSERT_TRUE(next_report(child, reports));
    send_keys("q");
    while (reports.find("next:") == std::string::npos || reports.back() != '\n')
        ASSERT_TRUE(next_report(child, reports)) << reports;
    int status = 0;
    // Drain the terminal until the child is gone.
    char buffer[4096];
    while (waitpid(child.pid, &status, WNOHANG) == 0) {
        struct pollfd fd = {child.master, POLLIN, 0};
        if (poll(&fd, 1, 100) > 0 && read(child.master, buffer, sizeof buffer) <= 0) break;
    }
    waitpid(child.pid, &status, 0);
    close(child.master);

    EXPECT_NE(reports.find("idle:none "), std::string::npos) << reports;
    EXPECT_NE(reports.find("xy:none "), std::string::npos) << reports;
    EXPECT_NE(reports.find("kept:xy "), std::string::npos) << reports;
    EXPECT_NE(reports.find("esc:cancel "), std::string::npos) << reports;
    EXPECT_NE(reports.find("left:none "), std::string::npos) << reports;
    EXPECT_NE(reports.find("next:q"), std::string::npos) << reports;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

} // namespace
