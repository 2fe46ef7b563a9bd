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

extern WINDOW* wtitl;
extern WINDOW* wmain;
extern WINDOW* wbody;
extern WINDOW* wstat;

extern bool quit;
extern bool incurses;
extern int ch;

void initcolor();
void setcolor(WINDOW* win, unsigned long color);
void colorbox(WINDOW* win, unsigned long color, int boxed);
void rmline(WINDOW* win, int row);
void rmerror();
void rmstatus();
void clsbody();
int bodylen();
WINDOW* bodywin();

bool keypressed();
int getkey();
int waitforkey();
void idle();

void DoExit();
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
void repaintmenu(WINDOW* win, const menu* mp);
void repaintmainmenu(int width, const menu* mp);
void mainhelp();
void mainmenu(const menu* mp);
void domenu(const menu* mp);
void startmenu(const menu* mp, const char* title);

// ---- Line editor and forms -----------------------------------------------------------------

char wordchar();
void repainteditbox(WINDOW* win, int x, const char* text);
int weditstr(WINDOW* win, char* line, int field);
WINDOW* winputbox(WINDOW* win, int rows, int cols);
