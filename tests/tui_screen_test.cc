// The screen's own functions inside the real screen: the editor's refusals and the cancel poll.
// A child runs the screen on a pty of its own, with a one-entry menu bar whose action is the
// scenario; the scenario types its keys into the pty and reports what it saw.
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "tui/tui.h"

namespace {

int keyboard = -1; // the pty's master side: what is written there is typed
int report = -1;

void type(const char* keys) {
    if (write(keyboard, keys, strlen(keys)) < 0) _exit(3);
    struct pollfd fd = {STDIN_FILENO, POLLIN, 0};
    poll(&fd, 1, 1000);
    usleep(50 * 1000); // let the whole write arrive
}

std::string flag(const char* name, bool value) {
    return name + std::string(value ? "+ " : "- ");
}
std::string key() {
    return std::string(1, static_cast<char>(waitforkey()));
}

void scenario() {
    char line[300] = "abc";
    std::string seen = std::to_string(weditstr(wbody, line, 256)) + " " +
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
    type("Z\r");
    seen += std::to_string(getstrings(labels, values, 20)) + ":" + name + " ";
    // The cancel poll never waits, sees Esc, and leaves other keys for the menus.
    seen += flag("idle", user_cancelled());
    type("xy");
    seen += flag("xy", user_cancelled());
    seen += key();
    seen += key() + " ";
    type("z\x1bw");
    seen += flag("esc", user_cancelled());
    seen += flag("left", keypressed()); // the read comes back without a key, not waiting
    type("q");
    seen += key();
    if (write(report, seen.data(), seen.size()) < 0) _exit(3);
    DoExit();
}

TEST(ScreenInPty, RefusedFieldsAndTheCancelPoll) {
    int channel[2];
    ASSERT_EQ(pipe(channel), 0);
    const pid_t child = fork();
    if (child == 0) {
        alarm(60);
        struct winsize size = {24, 80, 0, 0};
        int terminal = -1;
        if (openpty(&keyboard, &terminal, nullptr, nullptr, &size) != 0) _exit(2);
        dup2(terminal, STDIN_FILENO);
        dup2(terminal, STDOUT_FILENO);
        report = channel[1];
        std::thread([] { // the screen's output, read and dropped
            char buffer[4096];
            while (read(keyboard, buffer, sizeof buffer) > 0) {
            }
        })
            .detach();
        setenv("TERM", "xterm-256color", 1);
        static menu bar[] = {{"Run", scenario, ""}, {"", nullptr, ""}};
        type("\r"); // Enter on the bar runs the scenario
        startmenu(bar, "scenario");
        _exit(0);
    }
    close(channel[1]);
    std::string seen;
    char buffer[256];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;)
        seen.append(buffer, static_cast<size_t>(n));
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    // weditstr refuses a field above 255, a null line and a text longer than the field; the
    // form then returns Esc's 27 and keeps the text; a field that fits is edited.
    EXPECT_EQ(seen, "-1 -1 -1 27 kept+ 10:Z idle- xy- xy esc+ left- q");
}

} // namespace
