// The screen's own functions inside the real screen in a pty: the editor's refusals and the
// cancel poll. The scenario is the action of a one-entry menu bar; it asks the test for keys
// at its steps and reports what it saw.
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

int to_parent = -1, from_parent = -1;

// Asks the test for the next keys and waits until they have been typed.
void step() {
    char c;
    if (write(to_parent, "s", 1) != 1 || read(from_parent, &c, 1) != 1) _exit(3);
    struct pollfd fd = {STDIN_FILENO, POLLIN, 0}; // let the whole write arrive
    poll(&fd, 1, 1000);
    usleep(50 * 1000);
}

std::string flag(const char* name, bool value) {
    return std::string(name) + (value ? "+ " : "- ");
}

void scenario() {
    std::string seen;
    char line[300] = "abc";
    seen += std::to_string(weditstr(wbody, line, 256)) + " " +
            std::to_string(weditstr(wbody, nullptr, 20)) + " ";
    const std::string long_text(30, 'x');
    memcpy(line, long_text.c_str(), long_text.size() + 1);
    seen += std::to_string(weditstr(wbody, line, 30)) + " ";
    // A form whose field cannot be edited ends at once, as if left with Esc.
    const char* labels[] = {"Number:", nullptr};
    char* values[] = {line};
    seen += std::to_string(getstrings(labels, values, 30)) + " " + flag("kept", long_text == line);
    char name[50] = "input";
    values[0] = name;
    step(); // "Z\r"
    seen += std::to_string(getstrings(labels, values, 20)) + ":" + name + " ";
    // The cancel poll: never waits, sees Esc, keeps other keys for the menus.
    seen += flag("idle", user_cancelled());
    step(); // "xy"
    seen += flag("xy", user_cancelled());
    seen += std::string(1, static_cast<char>(waitforkey()));
    seen += std::string(1, static_cast<char>(waitforkey())) + " ";
    step(); // "z", Esc, "w"
    seen += flag("esc", user_cancelled());
    seen += flag("left", keypressed()); // half-delay is back: the read times out
    step();                             // "q"
    seen += std::string(1, static_cast<char>(waitforkey()));
    seen = "R" + seen;
    if (write(to_parent, seen.data(), seen.size()) < 0) _exit(3);
    DoExit();
}

// Runs the scenario in the screen of a forked child on a 24 x 80 pty, typing steps[i] at its
// i-th step; returns its report (empty if it never finished).
std::string run_in_screen(const std::vector<std::string>& steps, int* status) {
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
        static menu bar[] = {{"Run", scenario, ""}, {"", nullptr, ""}};
        startmenu(bar, "scenario");
        _exit(0);
    }
    close(up[1]);
    close(down[0]);
    std::string received;
    size_t next_step = 0;
    char buffer[4096];
    bool open = write(master, "\r", 1) == 1; // Enter on the bar runs the scenario
    while (open) {
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

TEST(ScreenInPty, RefusedFieldsAndTheCancelPoll) {
    int status = -1;
    // weditstr refuses a field above 255, a null line and a text longer than the field; the
    // form then ends with Esc's 27 and keeps the text; a field that fits is edited.
    EXPECT_EQ(run_in_screen({"Z\r", "xy", "z\x1bw", "q"}, &status),
              "-1 -1 -1 27 kept+ 10:Z idle- xy- xy esc+ left- q");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

} // namespace
