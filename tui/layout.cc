// The four panes' layout, laid out again when the terminal changes size.
#include <signal.h>
#include <stdio.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "tui/internal.h"

namespace {

volatile sig_atomic_t resized = 0;
unsigned generation = 0;
bool too_small = false;
WINDOW* covering = nullptr;

void on_window_change(int) {
    resized = 1;
}

// The body pane's cells and cursor, kept across a new layout (and while the terminal is too
// small to show the pane at all).
struct BodySnapshot {
    std::vector<std::vector<chtype>> rows;
    int cursor_y = 0;
    int cursor_x = 0;
    bool valid = false;
};
BodySnapshot snapshot;

// Body text written while there is no body pane; bounded, keeping the newest lines.
std::string held_text;
constexpr size_t held_limit = 256 * 1024;

void take_snapshot() {
    if (snapshot.valid || !wbody) return;
    int rows = getmaxy(wbody), cols = getmaxx(wbody);
    getyx(wbody, snapshot.cursor_y, snapshot.cursor_x);
    try {
        snapshot.rows.assign(static_cast<size_t>(rows),
                             std::vector<chtype>(static_cast<size_t>(cols) + 1, 0));
    } catch (const std::bad_alloc&) {
        snapshot = BodySnapshot(); // the new pane starts empty
        return;
    }
    for (int r = 0; r < rows; ++r)
        mvwinchnstr(wbody, r, 0, snapshot.rows[static_cast<size_t>(r)].data(), cols);
    wmove(wbody, snapshot.cursor_y, snapshot.cursor_x);
    snapshot.valid = true;
}

// Puts the snapshot back, keeping the rows up to the cursor (the newest text) when the pane
// is now shorter, and cutting rows that are now too wide.
void restore_snapshot() {
    if (!snapshot.valid || !wbody) return;
    int height = getmaxy(wbody), width = getmaxx(wbody);
    int first = std::max(0, snapshot.cursor_y + 1 - height);
    int count = static_cast<int>(snapshot.rows.size());
    for (int r = first; r < count && r - first < height; ++r) {
        std::vector<chtype>& row = snapshot.rows[static_cast<size_t>(r)];
        int length = 0;
        while (length < static_cast<int>(row.size()) && row[static_cast<size_t>(length)] != 0)
            ++length;
        mvwaddchnstr(wbody, r - first, 0, row.data(), std::min(length, width));
    }
    wmove(wbody, snapshot.cursor_y - first, std::min(snapshot.cursor_x, width - 1));
    snapshot = BodySnapshot();
}

void delete_panes() {
    WINDOW** panes[] = {&wtitl, &wmain, &wbody, &wstat};
    for (WINDOW** pane : panes) {
        if (*pane) delwin(*pane);
        *pane = nullptr;
    }
}

void show_notice() {
    wattrset(stdscr, A_NORMAL);
    wbkgdset(stdscr, ' ');
    werase(stdscr);
    char size[64];
    snprintf(size, sizeof size, "(needs %dx%d)", min_screen_cols, min_screen_rows);
    const char* lines[] = {"Terminal too small", size, "Exit: Esc Esc Esc f e"};
    int row = 0;
    for (const char* line : lines)
        if (wmove(stdscr, row++, 0) != ERR) waddnstr(stdscr, line, COLS);
    wrefresh(stdscr);
}

} // namespace

void watch_resizes() {
    struct sigaction action {};
    action.sa_handler = on_window_change;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no restart: a resize ends the wait for a key at once
    sigaction(SIGWINCH, &action, nullptr);
}

bool resize_pending() {
    return resized != 0;
}

bool screen_too_small() {
    return too_small;
}

unsigned layout_generation() {
    return generation;
}

void forget_body_snapshot() {
    snapshot = BodySnapshot();
    held_text.clear();
}

void hold_body_text(const char* text) {
    try {
        held_text += text;
    } catch (const std::bad_alloc&) {
        held_text.clear(); // older text goes first
        return;
    }
    if (held_text.size() > held_limit) {
        size_t cut = held_text.find('\n', held_text.size() - held_limit);
        held_text.erase(0, cut == std::string::npos ? held_text.size() - held_limit : cut + 1);
    }
}

void layout_panes() {
    take_snapshot();
    delete_panes();
    ++generation;
    too_small = LINES < min_screen_rows || COLS < min_screen_cols;
    if (!too_small) {
        wtitl = subwin(stdscr, 1, COLS, 0, 0);
        wmain = subwin(stdscr, 1, COLS, 1, 0);
        wbody = subwin(stdscr, LINES - 4, COLS, 2, 0);
        wstat = subwin(stdscr, 2, COLS, LINES - 2, 0);
        too_small = !wtitl || !wmain || !wbody || !wstat;
    }
    keypad(stdscr, TRUE);
    nodelay(stdscr, TRUE);
    if (too_small) {
        delete_panes();
        show_notice();
        return;
    }
    colorbox(wtitl, color_title, 0);
    colorbox(wmain, color_bar, 0);
    colorbox(wbody, color_body, 0);
    colorbox(wstat, color_status, 0);
    leaveok(stdscr, TRUE);
    leaveok(wtitl, TRUE);
    leaveok(wmain, TRUE);
    leaveok(wstat, TRUE);
    nodelay(wbody, TRUE);
    keypad(wbody, TRUE);
    scrollok(wbody, TRUE);

    restore_snapshot();
    if (!held_text.empty()) {
        waddstr(wbody, held_text.c_str());
        held_text.clear();
    }
    wrefresh(wbody);
    pane_texts texts = last_pane_texts();
    if (!texts.title.empty()) titlemsg(texts.title.c_str());
    if (!texts.status.empty()) statusmsg(texts.status.c_str());
    if (!texts.error.empty()) show_error_line(texts.error.c_str());
    redraw_bar();
}

bool terminal_size(struct winsize& size) {
    size = winsize{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 && ioctl(STDIN_FILENO, TIOCGWINSZ, &size) != 0)
        return false;
    return size.ws_row > 0 && size.ws_col > 0;
}

bool handle_resize() {
    if (!resized) return false;
    resized = 0;
    if (!incurses) return false;
    take_snapshot();
    delete_panes();
    struct winsize size;
    if (terminal_size(size)) resize_term(size.ws_row, size.ws_col);
    clearok(curscr, TRUE);
    layout_panes();
    return true;
}

void uncover(int top, int rows) {
    struct Pane {
        WINDOW* window;
        int top;
        int rows;
    } panes[] = {{wtitl, 0, 1}, {wmain, 1, 1}, {wstat, LINES - 2, 2}};
    for (const Pane& pane : panes) {
        if (pane.window && top < pane.top + pane.rows && pane.top < top + rows) {
            touchwin(pane.window);
            wnoutrefresh(pane.window);
        }
    }
    if (wbody) {
        touchwin(wbody);
        wnoutrefresh(wbody);
    }
    doupdate();
}

WINDOW* set_overlay(WINDOW* window) {
    WINDOW* previous = covering;
    covering = window;
    return previous;
}

void refresh_pane(WINDOW* pane) {
    if (!pane) return;
    wnoutrefresh(pane);
    if (covering) {
        int top = getbegy(covering), rows = getmaxy(covering);
        int pane_top = getbegy(pane), pane_rows = getmaxy(pane);
        if (top < pane_top + pane_rows && pane_top < top + rows) {
            touchwin(covering);
            wnoutrefresh(covering);
        }
    }
    doupdate();
}
