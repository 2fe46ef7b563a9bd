// Message pane throughput: a generation at 20 heads appends about 52,000 one-word messages
// and some long lines. Runs the real screen in a pseudo-terminal, once as the program does it
// (refreshes batched) and once refreshing the pane after every message, and prints both.
//
//   build/bench/bench_screen_bodymsg [messages]
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tui/tui.h"

namespace {

int message_count = 52000;
int result_pipe = -1;

double run_messages(bool refresh_each) {
    auto start = std::chrono::steady_clock::now();
    char word[32];
    for (int i = 0; i < message_count; ++i) {
        snprintf(word, sizeof word, "%x,", i * 2654435761u >> 8);
        bodymsg(word);
        if (i % 1000 == 999) bodymsg(std::string(300, 'w').append("\n").c_str());
        if (refresh_each) wrefresh(bodywin());
    }
    // What the pane finally shows must be on the terminal: a key read flushes it (the key is
    // one put there, so the read does not wait).
    ungetch('x');
    keypressed();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

void bench_action() {
    double batched = run_messages(false);
    double each = run_messages(true);
    char line[128];
    int n = snprintf(line, sizeof line, "%.1f %.1f\n", batched, each);
    if (write(result_pipe, line, static_cast<size_t>(n)) < 0) perror("write");
    DoExit();
}

menu bench_menu[] = {{"Run", bench_action, "benchmark"}, {"", nullptr, ""}};

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) message_count = atoi(argv[1]);
    int fds[2];
    if (pipe(fds) != 0) return 1;
    struct winsize size = {24, 80, 0, 0};
    int master = -1;
    pid_t pid = forkpty(&master, nullptr, nullptr, &size);
    if (pid < 0) return 1;
    if (pid == 0) {
        close(fds[0]);
        result_pipe = fds[1];
        setenv("TERM", "xterm-256color", 1);
        startmenu(bench_menu, "benchmark");
        _exit(0);
    }
    close(fds[1]);
    if (write(master, "\r", 1) != 1) return 1; // Enter on the bar runs the benchmark
    long long bytes = 0;
    char chunk[65536];
    for (;;) {
        struct pollfd fd = {master, POLLIN, 0};
        if (poll(&fd, 1, 1000) <= 0) {
            if (waitpid(pid, nullptr, WNOHANG) == pid) break;
            continue;
        }
        ssize_t got = read(master, chunk, sizeof chunk);
        if (got <= 0) break;
        bytes += got;
    }
    waitpid(pid, nullptr, 0);
    char result[128] = {0};
    if (read(fds[0], result, sizeof result - 1) <= 0) {
        fprintf(stderr, "no result from the screen process\n");
        return 1;
    }
    double batched = 0, each = 0;
    sscanf(result, "%lf %lf", &batched, &each);
    printf("%d messages on a 24 x 80 pty (%lld bytes of terminal output in all)\n", message_count,
           bytes);
    printf("  batched refreshes:       %8.1f ms\n", batched);
    printf("  refresh after each call: %8.1f ms\n", each);
    return 0;
}
