// Menu tables, the entries' drawing, hot keys and the menu-bar loop.
#include <cctype>
#include <cstring>
#include <exception>
#include <new>

#include "tui/internal.h"

int nexty = 0;
int nextx = 0;
int key = -1;

namespace {

// The bar as the bar loop shows it, so that a new layout can draw it again.
struct BarState {
    const menu* table = nullptr;
    int width = 0;
    int selected = 0;
};
BarState bar;

} // namespace

void run_action(FUNC action) {
    // A command that runs out of memory (or fails in any other way that throws) is reported
    // and the menus go on; nothing may unwind through curses.
    try {
        action();
    } catch (const std::bad_alloc&) {
        bodymsg("Error: not enough memory for this command\n");
    } catch (const std::exception& error) {
        bodymsgf("Error: %s\n", error.what());
    }
}

void menudim(const menu* mp, int* count, int* width) {
    int n = 0, longest = 0;
    for (; mp && mp[n].action; ++n) {
        int length = static_cast<int>(strlen(mp[n].label));
        if (length > longest) longest = length;
    }
    if (count) *count = n;
    if (width) *width = longest + 2;
}

void setmenupos(int y, int x) {
    nexty = y;
    nextx = x;
}

void getmenupos(int* y, int* x) {
    if (y) *y = nexty;
    if (x) *x = nextx;
}

int hotkey(const char* label) {
    if (!label) return 0;
    for (const char* p = label; *p; ++p)
        if (isupper(static_cast<unsigned char>(*p))) return *p;
    return *label;
}

int find_hotkey(const menu* mp, int count, int selected, int c) {
    // Only single-byte keys can be hot keys; keypad codes and "no key" match nothing.
    if (count <= 0 || c < 0 || c > 255) return -1;
    int wanted = toupper(c);
    int i = selected;
    do {
        i = (i + 1) % count;
        if (hotkey(mp[i].label) == wanted) return i;
    } while (i != selected);
    return -1;
}

void draw_entry(WINDOW* win, int row, int col, const char* label, int width, int margin) {
    if (!win || wmove(win, row, col) == ERR) return;
    // Cut at the window's edge (less a border), so a narrow window never wraps an entry.
    int room = getmaxx(win) - col - margin;
    if (room > 0) waddnstr(win, prepad(padstr(label, width - 1), 1), room);
}

void repaintmenu(WINDOW* win, const menu* mp) {
    if (!win) return;
    int n = 0;
    menudim(mp, &n, nullptr);
    int room = getmaxx(win) - 3;
    for (int i = 0; i < n; ++i)
        if (room > 0 && wmove(win, i + 1, 2) != ERR) waddnstr(win, mp[i].label, room);
    touchwin(win);
    wrefresh(win);
}

void repaintmainmenu(int width, const menu* mp) {
    if (!wmain) return;
    int n = 0;
    menudim(mp, &n, nullptr);
    for (int i = 0; i < n; ++i)
        draw_entry(wmain, 0, i * width, mp[i].label, width, 0);
    touchwin(wmain);
    refresh_pane(wmain);
}

void mainhelp() {
    statusmsg("Use arrow keys and Enter to select");
}

void redraw_bar() {
    if (!bar.table || !wmain) return;
    repaintmainmenu(bar.width, bar.table);
    setcolor(wmain, color_bar_hilite);
    draw_entry(wmain, 0, bar.selected * bar.width, bar.table[bar.selected].label, bar.width, 0);
    setcolor(wmain, color_bar);
    refresh_pane(wmain);
}

void mainmenu(const menu* mp) {
    int n = 0, w = 0;
    menudim(mp, &n, &w);
    if (n == 0) return;
    bar = {mp, w, 0};
    repaintmainmenu(w, mp);
    int selected = 0, highlighted = -1;
    while (!quit) {
        bar.selected = selected;
        if (selected != highlighted) {
            if (highlighted != -1) {
                draw_entry(wmain, 0, highlighted * w, mp[highlighted].label, w, 0);
                statusmsg(mp[selected].description);
            } else {
                mainhelp();
            }
            setcolor(wmain, color_bar_hilite);
            draw_entry(wmain, 0, selected * w, mp[selected].label, w, 0);
            setcolor(wmain, color_bar);
            highlighted = selected;
            refresh_pane(wmain);
        }
        int c = key != -1 ? key : waitforkey();
        if (c == 10 || c == KEY_DOWN) {
            uncover(2, LINES - 4);
            rmerror();
            setmenupos(2, selected * w);
            curs_set(1);
            run_action(mp[selected].action);
            curs_set(0);
            flush_body();
            if (key == KEY_LEFT) {
                selected = (selected + n - 1) % n;
                key = 10;
            } else if (key == KEY_RIGHT) {
                selected = (selected + 1) % n;
                key = 10;
            } else {
                key = -1;
            }
            bar.selected = selected;
            repaintmainmenu(w, mp);
            highlighted = -1;
        } else if (c == KEY_LEFT) {
            selected = (selected + n - 1) % n;
        } else if (c == KEY_RIGHT) {
            selected = (selected + 1) % n;
        } else if (c == 27) {
            mainhelp();
        } else if (c == KEY_RESIZE) {
            // The new layout has drawn the bar already.
        } else {
            int match = find_hotkey(mp, n, selected, c);
            if (match >= 0) {
                selected = match;
                key = 10;
            }
        }
    }
    rmerror();
    uncover(2, LINES - 4);
    bar = BarState();
}
