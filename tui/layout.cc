// The four panes' layout, laid out again when the terminal changes size.
#include <signal.h>
#include <stdio.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <new>
#include <string>

#include "tui/internal.h"

namespace {

volatile sig_atomic_t resized = 0;
unsigned generation = 0;
bool too_small = false;
WINDOW* covering = nullptr;

void on_window_change(int) {
    resized = 1;
}

// The message pane's recent text as it was written. Every new layout writes the pane afresh
// from it, so lines wrap for the new width as a terminal's do and nothing shown is lost to a
// narrower or shorter pane on the way. Bounded, keeping the newest lines.
std::string history;
constexpr size_t history_limit = 256 * 1024;

// Writes the newest text into the new pane: as many lines as it has rows (each takes one row at
// least) and no more bytes than its cells could hold.
void replay_history() {
    const int rows = getmaxy(wbody), cols = getmaxx(wbody);
    size_t start = history.size();
    for (int lines = 0; start > 0; --start)
        if (history[start - 1] == '\n' && ++lines == rows) break;
    const size_t room = static_cast<size_t>(rows) * static_cast<size_t>(cols) * 4;
    if (history.size() - start > room) {
        start = history.size() - room;
        while (start < history.size() &&
               (static_cast<unsigned char>(history[start]) & 0xc0) == 0x80)
            ++start;
    }
    waddstr(wbody, history.c_str() + start);
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

void forget_body_text() {
    history.clear();
}

void remember_body_text(const char* text) {
    try {
        history += text;
    } catch (const std::bad_alloc&) {
        history.clear(); // older text goes first
        return;
    }
    if (history.size() > history_limit) {
        // Half at a time, so that long runs of messages do not move the text for each one.
        size_t cut = history.find('\n', history.size() - history_limit / 2);
        history.erase(0, cut == std::string::npos ? history.size() - history_limit / 2 : cut + 1);
    }
}

void layout_panes() {
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

    replay_history();
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
    delete_panes();
    // A pull-down or form placed for the old size is no longer drawn; its owner places it
    // again for the new one.
    set_overlay(nullptr);
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
