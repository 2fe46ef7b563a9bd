// The text user interface: screen panes, colours, keys and clock, menus and the main loop,
// the line editor and forms. The only header besides the entry point that brings in curses.
#pragma once

#include <curses.h>

#include "tui/ui.h"

// ---- Screen and messages -------------------------------------------------------------------

// Colour codes: a colour pair number in the low 8 bits, curses attribute bits above.
extern const unsigned long color_title;
extern const unsigned long color_bar;
extern const unsigned long color_bar_hilite;
extern const unsigned long color_pulldown;
extern const unsigned long color_pulldown_hilite;
extern const unsigned long color_body;
extern const unsigned long color_status;
extern const unsigned long color_form;
extern const unsigned long color_field;

// The four panes: title line, menu bar, message pane, status area (error line, status line).
// Null while the terminal is too small; replaced when the terminal changes size, so keep no
// copies across a key read or a prompt.
extern WINDOW* wtitl;
extern WINDOW* wmain;
extern WINDOW* wbody;
extern WINDOW* wstat;

// Set by DoExit: every menu loop ends. True while curses runs. The last key read (-1: none).
extern bool quit;
extern bool incurses;
extern int ch;

// Starts colours when the terminal has them and defines the nine colour pairs.
void initcolor();
// Sets a window's drawing attributes to a colour code, never with reverse video.
void setcolor(WINDOW* win, unsigned long color);
// Paints a whole window in a colour code, with a border when `boxed` and it has room, and
// refreshes it.
void colorbox(WINDOW* win, unsigned long color, int boxed);
// Blanks a row of a window between its edge columns.
void rmline(WINDOW* win, int row);
// Clear the error line and the status line.
void rmerror();
void rmstatus();
// Empties the message pane (without refreshing it); its rows (-1 without a pane); the pane.
void clsbody();
int bodylen();
WINDOW* bodywin();

// Reads one key into `ch`, waiting at most a second; false when none came. A terminal
// resize is handled here and reported as KEY_RESIZE.
bool keypressed();
// Hands out `ch` once.
int getkey();
// Runs the clock until a key comes and returns it.
int waitforkey();
// Draws the clock on the title line.
void idle();

// The action of File -> Exit.
void DoExit();
// Restores the terminal; does nothing unless curses runs.
void cleanup();

// ---- Menus and main loop -------------------------------------------------------------------

typedef void (*FUNC)();

struct menu {
    const char* label;
    FUNC action;
    const char* description;
};

// Where the next pull-down opens (screen row and column) and the pending key (-1: none).
extern int nexty;
extern int nextx;
extern int key;

// Stores the number of entries before the terminator and the entry width (longest label + 2).
void menudim(const menu* mp, int* count, int* width);
void setmenupos(int y, int x);
void getmenupos(int* y, int* x);
// The first upper-case letter of the label, else its first character.
int hotkey(const char* label);
// The entry that key `c` selects by hot key, searching from the entry after `selected` and
// testing `selected` last, letters without regard to case; -1 when none matches.
int find_hotkey(const menu* mp, int count, int selected, int c);
// Write a pull-down's labels / the bar's entries and refresh.
void repaintmenu(WINDOW* win, const menu* mp);
void repaintmainmenu(int width, const menu* mp);
// The bar's help text on the status line.
void mainhelp();
// The menu-bar loop: the program's main loop, until `quit`.
void mainmenu(const menu* mp);
// Opens a pull-down at the menu position and runs it until Esc, Left, Right or `quit`.
void domenu(const menu* mp);
// Starts the screen, runs the menu bar, restores the terminal.
void startmenu(const menu* mp, const char* title);

// ---- Line editor and forms -----------------------------------------------------------------

// The word-erase key (Ctrl-W).
char wordchar();
// Redraws a field window with the text padded to its width and the cursor at column x.
void repainteditbox(WINDOW* win, int x, const char* text);
// Edits `line` in place in a field `field` columns wide at the window's cursor; returns the
// key that ended the edit (10, KEY_UP, KEY_DOWN or 27, after which the text is as it was), or
// -1 at once when field > 255, line is null or its text is longer than field - 1 bytes. Text
// is taken and shown in the locale's encoding (UTF-8 by characters).
int weditstr(WINDOW* win, char* line, int field);
// A bordered form window of rows x cols at the window's cursor (null when it does not fit);
// the caller deletes it.
WINDOW* winputbox(WINDOW* win, int rows, int cols);
