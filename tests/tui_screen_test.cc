// The screen's own functions run inside the real screen in a pty: the cancel poll and the
// editor's refusals. Each scenario is the action of a one-entry menu bar; it asks the test for
// keys at its steps and reports what it saw.
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tui/tui.h"

namespace {

int to_parent = -1;
int from_parent = -1;
std::string report;

// Asks the test for the next keys and waits until they have been typed.
void step() {
    if (write(to_parent, "s", 1) != 1) _exit(3);
    char c;
    if (read(from_parent, &c, 1) != 1) _exit(4);
    // Let the whole of one write arrive before looking at it.
    struct pollfd fd = {STDIN_FILENO, POLLIN, 0};
    poll(&fd, 1, 1000);
    usleep(50 * 1000);
}

void finish() {
    std::string text = "R" + report;
    if (write(to_parent, text.data(), text.size()) < 0) _exit(3);
    DoExit();
}

// Runs `action` in the screen of a forked child on a 24 x 80 pty, types steps[i] at the
// action's i-th step, and returns the action's report (empty if it never finished).
std::string run_in_screen(void (*action)(), const std::vector<std::string>& steps, int* status) {
    int up[2], down[2];
    if (pipe(up) != 0 || pipe(down) != 0) return "";
    struct winsize size = {24, 80, 0, 0};
    int master = -1;
    pid_t pid = forkpty(&master, nullptr, nullptr, &size);
    if (pid < 0) return "";
    if (pid == 0) {
        close(up[0]);
        close(down[1]);
        to_parent = up[1];
        from_parent = down[0];
        setenv("TERM", "xterm-256color", 1);
        static menu bar[] = {{"Run", nullptr, ""}, {"", nullptr, ""}};
        bar[0].action = action;
        startmenu(bar, "scenario");
        _exit(0);
    }
    close(up[1]);
    close(down[0]);
    std::string received;
    size_t next_step = 0;
    if (write(master, "\r", 1) != 1) return ""; // Enter on the bar runs the action
    char buffer[4096];
    for (bool open = true; open;) {
        struct pollfd fds[2] = {{up[0], POLLIN, 0}, {master, POLLIN, 0}};
        if (poll(fds, 2, 10000) <= 0) break;
        if ((fds[1].revents & POLLIN) && read(master, buffer, sizeof buffer) < 0) fds[1].fd = -1;
        if (!(fds[0].revents & (POLLIN | POLLHUP))) continue;
        ssize_t n = read(up[0], buffer, sizeof buffer);
        if (n <= 0) break;
        for (ssize_t i = 0; i < n; ++i) {
            if (!received.empty() || buffer[i] == 'R') {
                received += buffer[i];
            } else if (buffer[i] == 's') {
                const std::string keys = next_step < steps.size() ? steps[next_step++] : "";
                if (!keys.empty() && write(master, keys.data(), keys.size()) < 0) open = false;
                if (write(down[1], "g", 1) != 1) open = false;
            }
        }
    }
    for (;;) { // drain the terminal until the child is gone
        if (waitpid(pid, status, WNOHANG) == pid) break;
        struct pollfd fd = {master, POLLIN, 0};
        if (poll(&fd, 1, 100) > 0 && read(master, buffer, sizeof buffer) <= 0) {
            waitpid(pid, status, 0);
            break;
        }
    }
    close(master);
    close(up[0]);
    close(down[1]);
    return received.empty() ? "" : received.substr(1);
}

void cancel_poll_scenario() {
    report += user_cancelled() ? "idle:cancel " : "idle:none ";
    step(); // "xy"
    report += user_cancelled() ? "xy:cancel " : "xy:none ";
    int first = waitforkey();
    int second = waitforkey();
    report += "kept:" + std::string(1, static_cast<char>(first)) +
              std::string(1, static_cast<char>(second)) + " ";
    step(); // "z", Esc, "w"
    report += user_cancelled() ? "esc:cancel " : "esc:none ";
    report += keypressed() ? "left:key " : "left:none ";
    step(); // "q"
    report += "next:" + std::string(1, static_cast<char>(waitforkey()));
    finish();
}

TEST(ScreenInPty, CancelPollSeesEscKeepsOtherKeysAndNeverWaits) {
    int status = -1;
    std::string seen = run_in_screen(cancel_poll_scenario, {"xy", "z\x1bw", "q"}, &status);
    EXPECT_NE(seen.find("idle:none "), std::string::npos) << seen;
    EXPECT_NE(seen.find("xy:none "), std::string::npos) << seen;
    EXPECT_NE(seen.find("kept:xy "), std::string::npos) << seen;
    EXPECT_NE(seen.find("esc:cancel "), std::string::npos) << seen;
    // Half-delay is back: with nothing typed the read times out instead of waiting forever.
    EXPECT_NE(seen.find("left:none "), std::string::npos) << seen;
    EXPECT_NE(seen.find("next:q"), std::string::npos) << seen;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

void refusal_scenario() {
    char line[300] = "abc";
    report += "wide:" + std::to_string(weditstr(wbody, line, 256)) + " ";
    report += "null:" + std::to_string(weditstr(wbody, nullptr, 20)) + " ";
    std::string long_text(30, 'x');
    memcpy(line, long_text.c_str(), long_text.size() + 1);
    report += "long:" + std::to_string(weditstr(wbody, line, 30)) + " ";
    report += std::string("kept:") + (long_text == line ? "yes " : "no ") + " ";
    // A form whose field cannot be edited ends at once, as if left with Esc.
    const char* labels[] = {"Number:", nullptr};
    char* values[] = {line};
    report += "form:" + std::to_string(getstrings(labels, values, 30)) + " ";
    report += std::string("unchanged:") + (long_text == line ? "yes " : "no ") + " ";
    // A field that fits is edited normally.
    char name[50] = "input";
    values[0] = name;
    step(); // "Z\r"
    report += "edit:" + std::to_string(getstrings(labels, values, 20)) + ":" + name + " ";
    finish();
}

TEST(ScreenInPty, RefusedFieldsEndTheFormInsteadOfRepeating) {
    int status = -1;
    std::string seen = run_in_screen(refusal_scenario, {"Z\r"}, &status);
    EXPECT_NE(seen.find("wide:-1 "), std::string::npos) << seen;
    EXPECT_NE(seen.find("null:-1 "), std::string::npos) << seen;
    EXPECT_NE(seen.find("long:-1 "), std::string::npos) << seen;
    EXPECT_NE(seen.find("kept:yes "), std::string::npos) << seen;
    EXPECT_NE(seen.find("form:27 "), std::string::npos) << seen;
    EXPECT_NE(seen.find("unchanged:yes "), std::string::npos) << seen;
    EXPECT_NE(seen.find("edit:10:Z "), std::string::npos) << seen;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

} // namespace
