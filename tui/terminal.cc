// The terminal itself: whether its type is known before the screen starts, and whether keys
// can still come from it while the screen runs.
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include <term.h>

#include "code/output_file.h"
#include "tui/internal.h"

int terminal_fd() {
    return isatty(STDOUT_FILENO) ? STDOUT_FILENO : STDERR_FILENO;
}

// Curses ends the program on a terminal type it does not know, leaving its allocations behind;
// the terminal database asked directly lets the program say so in its own words and go.
bool terminal_known() {
    const char* name = getenv("TERM");
    int error = 0;
    if (setupterm(nullptr, terminal_fd(), &error) != OK) {
        if (!name || !*name)
            fputs("stgc: TERM is not set, so the terminal's type is unknown\n", stderr);
        else if (error == -1)
            fputs("stgc: no terminal database (terminfo) found\n", stderr);
        else
            fprintf(stderr,
                    "stgc: unknown terminal type \"%s\": set TERM to your terminal's type\n", name);
        return false;
    }
    const char* move = tigetstr("cup");
    const bool can_move = move && move != reinterpret_cast<const char*>(-1);
    del_curterm(cur_term);
    if (!can_move)
        fprintf(stderr,
                "stgc: the terminal type \"%s\" cannot place the cursor, as a full-screen "
                "program needs\n",
                name ? name : "");
    return can_move;
}

namespace {

// True when no key can come any more: a terminal that hung up, or a file, /dev/null or pipe
// that is readable and yet holds nothing. A terminal is judged by its hang-up alone: a Ctrl-C
// flushes its queue between the poll and the count, which must not read as an end.
bool input_ended() {
    struct pollfd input = {STDIN_FILENO, POLLIN, 0};
    if (poll(&input, 1, 0) <= 0) return false;
    if (isatty(STDIN_FILENO)) return input.revents & (POLLHUP | POLLERR | POLLNVAL);
    int waiting = 0;
    return ioctl(STDIN_FILENO, FIONREAD, &waiting) != 0 || waiting == 0;
}

} // namespace

void leave_if_input_ended() {
    if (!incurses || !input_ended()) return;
    remove_pending_output();
    cleanup();
    fputs("stgc: no more keys can be read: standard input has ended or its terminal is gone\n",
          stderr);
    exit(1);
}
