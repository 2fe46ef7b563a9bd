// Key reading and the clock on the title line.
#include <cstdio>
#include <ctime>

#include "tui/internal.h"

bool keypressed() {
    handle_suspend();
    if (handle_resize()) {
        ch = KEY_RESIZE;
        return true;
    }
    flush_body();
    ch = read_key(wbody ? wbody : stdscr);
    // A resize interrupts the wait. A key that came with it is handed out first; the resize
    // is then taken at the next read.
    if (ch != ERR) return true;
    if (handle_resize()) {
        ch = KEY_RESIZE;
        return true;
    }
    return false;
}

int getkey() {
    int key = ch;
    ch = -1;
    return key;
}

int waitforkey() {
    do {
        idle();
    } while (!keypressed());
    return getkey();
}

void idle() {
    // Every loop that waits for keys calls this before each read.
    leave_if_input_ended();
    time_t now = time(nullptr);
    if (now == static_cast<time_t>(-1)) return;
    struct tm local;
    if (!localtime_r(&now, &local)) return;
    char text[256];
    int length =
        snprintf(text, sizeof text, " %.2d-%.2d-%.4d  %.2d:%.2d:%.2d", local.tm_mday,
                 local.tm_mon + 1, local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
    if (!wtitl || length < 0) return;
    if (wmove(wtitl, 0, COLS - length - 2) != ERR) waddstr(wtitl, text);
    refresh_pane(wtitl);
}
