// Screen internals shared by the files of the text user interface: the pane layout and its
// reaction to terminal resizes, the batched body output and the curses back end of ui.h.
#pragma once

#include <curses.h>
#include <sys/ioctl.h>

#include <string>

#include "tui/tui.h"

// Key reads wait at most this many tenths of a second, so the clock goes on.
constexpr int key_wait_tenths = 10;

// Smallest terminal the layout is drawn on: the menu bar (4 entries of 8 columns) and every
// pull-down fit. Below it the screen shows a notice until the terminal grows; keys still work.
constexpr int min_screen_rows = 8;
constexpr int min_screen_cols = 32;

// Creates (or re-creates, writing the body text again) the four panes for the current
// terminal size, or shows the too-small notice.
void layout_panes();
// True while the terminal is below the minimum size (the panes are then null).
bool screen_too_small();
// While alive, reads from the window take only keys already waiting (in curses' queue or the
// terminal's) and never wait; half-delay mode, which would override the window's delay, is off
// meanwhile.
class ImmediateReads {
  public:
    explicit ImmediateReads(WINDOW* win);
    ~ImmediateReads();
    ImmediateReads(const ImmediateReads&) = delete;
    ImmediateReads& operator=(const ImmediateReads&) = delete;
    int get() { return wgetch(win_); }

  private:
    WINDOW* win_;
    int delay_;
};
// Reads a key like wgetch, taking in an Escape sequence curses does not know: Home, End,
// Delete and Insert variants become their key codes, other sequences and Alt chords ERR (as if
// no key came); a lone Esc stays 27.
int read_key(WINDOW* win);
// The same after wgetch gave an Esc.
int finish_escape(WINDOW* win);

// Catches terminal resizes from now on.
void watch_resizes();
// True when the terminal was resized and the layout has not caught up yet.
bool resize_pending();
// The terminal's size, from standard output or else standard input; false when unknown.
bool terminal_size(struct winsize& size);
// If a resize is pending: resizes curses, lays the panes out again and returns true.
bool handle_resize();
// Counts layouts; a window placed for an older layout must be placed again.
unsigned layout_generation();
// Keeps body text for the next layout (also while the terminal is too small to show it), and
// forgets it when the pane is cleared.
void remember_body_text(const char* text);
void forget_body_text();

// The window drawn over the panes (an open pull-down or form), or null. Pane refreshes draw it
// again where they overlap it, so a status line or the clock never cuts into a box.
WINDOW* set_overlay(WINDOW* window);
// Refreshes a pane, and the overlay above it.
void refresh_pane(WINDOW* pane);

// Writes out body text that bodymsg has not refreshed yet.
void flush_body();
// Remembers the last title, status and error texts, so a new layout can show them again.
struct pane_texts {
    std::string title;
    std::string status;
    std::string error;
};
pane_texts last_pane_texts();
// Draws the error line without the bell (used to restore it after a resize).
void show_error_line(const char* text);

// Runs a menu entry's action; anything it throws is reported in the message pane.
void run_action(FUNC action);
// Draws a menu entry in full (one space, the label cut or padded to width - 1) at (row, col),
// cut `margin` columns before the window's right edge.
void draw_entry(WINDOW* win, int row, int col, const char* label, int width, int margin);
// After a window covering screen rows [top, top + rows) went away: the panes under it are
// drawn again (the body pane always).
void uncover(int top, int rows);

// The menu bar as the bar loop shows it, drawn again after a new layout (no-op outside it).
void redraw_bar();

// The line editor's parts that the form uses: the argument check of weditstr, an editor for
// a field with the terminal's erase and kill characters and the locale's encoding, and the
// editing loop, which returns KEY_RESIZE (leaving the text as edited so far) when asked to stop
// on a resize. A capacity below 0 is field - 1 bytes; a width of 0 is the field's.
class LineEditor;
bool edit_arguments_ok(const char* line, int field, int capacity);
LineEditor start_editor(const char* line, int field, int capacity);
int run_editor(WINDOW* win, LineEditor& editor, char* line, bool stop_on_resize, int width);
// Writes text at the window's cursor, cut to whole characters within `width` columns and
// padded with spaces to them.
void put_columns(WINDOW* win, const char* text, int width);

// The curses back end of ui.h: installed while the screen runs.
void install_curses_backend();
void remove_curses_backend();
void curses_body(const char* text);
int curses_form(const char* const* labels, char** values, int field);
int curses_long_form(const char* const* labels, char** values, int field, int capacity);
bool curses_cancel_poll();
void curses_progress(const char* what, int percent);

// On termination and crash signals, puts the terminal back the way it was found first.
void install_fatal_signal_handlers();

// The descriptor of the terminal whose modes curses sets: standard output, or standard error
// when standard output is not a terminal.
int terminal_fd();
// True when the terminal's type (TERM) is known and can place the cursor; otherwise says why on
// standard error. Asked before curses starts, which would end the program itself.
bool terminal_known();
// When standard input can give no more keys (end of file, the terminal gone): restores the
// terminal, says so on standard error and ends the program with status 1.
void leave_if_input_ended();

// Ctrl-Z: install before curses starts (curses then leaves it alone), remove after the screen
// is gone. handle_suspend, called where keys are read, puts the screen away, stops the program
// and brings the screen back when it resumes; false when no Ctrl-Z came.
void install_suspend_handling();
void remove_suspend_handling();
bool handle_suspend();
// After leaving the screen: the terminal's cursor made visible once more.
void show_cursor_again();
