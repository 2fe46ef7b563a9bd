// The panes' globals, the fixed-position messages and the end of the screen.
#include <cstdio>
#include <new>
#include <string>

#include "tui/internal.h"

WINDOW* wtitl = nullptr;
WINDOW* wmain = nullptr;
WINDOW* wbody = nullptr;
WINDOW* wstat = nullptr;

bool quit = false;
bool incurses = false;
int ch = -1;

namespace {

std::string title_text;
std::string status_text;
std::string error_text;

// Keeps a copy of a pane's text for the next layout; without memory for it the text is
// simply not shown again after a resize.
void remember(std::string& copy, const char* text) {
    try {
        copy = text;
    } catch (const std::bad_alloc&) {
        copy.clear();
    }
}

// Writes a line of a pane at (row, 2), cut or padded to the screen width less three.
void put_line(WINDOW* win, int row, const char* text) {
    if (!win) return;
    if (wmove(win, row, 2) != ERR) waddstr(win, padstr(text, COLS - 3));
    refresh_pane(win);
}

} // namespace

void rmline(WINDOW* win, int row) {
    if (!win) return;
    if (wmove(win, row, 1) != ERR) waddstr(win, padstr(" ", COLS - 2));
    refresh_pane(win);
}

void rmerror() {
    error_text.clear();
    rmline(wstat, 0);
}

void rmstatus() {
    status_text.clear();
    rmline(wstat, 1);
}

void show_error_line(const char* text) {
    put_line(wstat, 0, text);
}

pane_texts last_pane_texts() {
    return {title_text, status_text, error_text};
}

namespace {

void curses_title(const char* text) {
    remember(title_text, text);
    put_line(wtitl, 0, text);
}

void curses_status(const char* text) {
    remember(status_text, text);
    put_line(wstat, 1, text);
}

void curses_error(const char* text) {
    remember(error_text, text);
    beep();
    put_line(wstat, 0, text);
}

} // namespace

void clsbody() {
    forget_body_text();
    if (!wbody) return;
    werase(wbody);
    wmove(wbody, 0, 0);
}

int bodylen() {
    return wbody ? getmaxy(wbody) : -1;
}

WINDOW* bodywin() {
    return wbody;
}

void DoExit() {
    quit = true;
}

// Some terminals (those built on libvterm, as in Vim and Neovim) store the cursor's visibility
// with the saved cursor. Curses saves the cursor around scrolling-region changes while it is
// hidden, and leaving the alternate screen restores that saved state: a hidden cursor at the
// shell prompt. Showing it once more after the main screen is back settles that.
void show_cursor_again() {
    const char* normal = tigetstr("cnorm");
    if (!normal || normal == reinterpret_cast<const char*>(-1)) return;
    fputs(normal, stdout);
    fflush(stdout);
}

void cleanup() {
    if (!incurses) return;
    flush_body();
    WINDOW** panes[] = {&wtitl, &wmain, &wbody, &wstat};
    for (WINDOW** pane : panes) {
        if (*pane) delwin(*pane);
        *pane = nullptr;
    }
    curs_set(1);
    endwin();
    show_cursor_again();
    incurses = false;
    remove_curses_backend();
}

namespace {

const ui_backend curses_backend = {curses_body,     curses_status,   curses_error,
                                   curses_title,    curses_form,     curses_cancel_poll,
                                   curses_progress, curses_long_form};
const ui_backend* previous_backend = nullptr;

} // namespace

void install_curses_backend() {
    previous_backend = set_ui_backend(&curses_backend);
}

void remove_curses_backend() {
    set_ui_backend(previous_backend);
    previous_backend = nullptr;
}
