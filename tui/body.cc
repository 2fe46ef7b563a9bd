// Output to the body pane, the cancel poll and the progress line: the paths a long command
// drives hardest.
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "tui/internal.h"

namespace {

using Clock = std::chrono::steady_clock;

// A generation writes tens of thousands of short messages; refreshing the terminal for each
// would cost far more than the search. The pane's contents are always up to date in curses'
// memory; only the refresh is held back, and it is forced before any key is read.
constexpr auto refresh_interval = std::chrono::milliseconds(30);

bool body_dirty = false;
Clock::time_point last_refresh;

} // namespace

void flush_body() {
    if (!body_dirty) return;
    body_dirty = false;
    last_refresh = Clock::now();
    refresh_pane(wbody);
}

void curses_body(const char* text) {
    if (!incurses) return;
    remember_body_text(text);
    if (!wbody) return;
    waddstr(wbody, text);
    body_dirty = true;
    if (Clock::now() - last_refresh >= refresh_interval) flush_body();
}

bool curses_cancel_poll() {
    if (!incurses) return false;
    handle_suspend();
    if (resize_pending()) handle_resize();
    flush_body();
    // Nothing typed: done without a single curses call. Otherwise read every pending key
    // without waiting.
    struct pollfd fd = {STDIN_FILENO, POLLIN, 0};
    if (poll(&fd, 1, 0) <= 0 || !(fd.revents & POLLIN)) return false;
    WINDOW* input = wbody ? wbody : stdscr;
    std::vector<int> others;
    bool cancelled = false;
    {
        ImmediateReads in(input);
        for (int key; (key = in.get()) != ERR;) {
            if (key == 27) key = finish_escape(input); // Home or Alt-x is no cancel
            if (key == 27)
                cancelled = true;
            else if (key != KEY_RESIZE && key != ERR)
                others.push_back(key);
        }
    }
    // Keys typed ahead stay for the menus, in their order.
    if (!cancelled)
        for (auto it = others.rbegin(); it != others.rend(); ++it)
            ungetch(*it);
    return cancelled;
}

void curses_progress(const char* what, int percent) {
    char text[320];
    snprintf(text, sizeof text, "%.280s: %i%% (Esc stops)", what, percent);
    statusmsg(text);
}
