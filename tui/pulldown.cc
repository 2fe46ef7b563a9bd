// The pull-down loop, in which the commands run.
#include <algorithm>

#include "tui/internal.h"

namespace {

// A pull-down's window, placed at the menu position or, when it would stick out of the
// screen, moved back onto it (and cut when the screen is smaller than the box).
struct PullDown {
    WINDOW* window = nullptr;
    int top = 0;
    int left = 0;
    int rows = 0;
    unsigned generation = 0;

    void open(const menu* mp, int y, int x, int count, int width) {
        close();
        generation = layout_generation();
        if (screen_too_small()) return;
        rows = count + 2;
        int cols = width + 2;
        top = std::max(0, std::min(y, LINES - rows));
        left = std::max(0, std::min(x, COLS - cols));
        rows = std::min(rows, LINES - top);
        cols = std::min(cols, COLS - left);
        window = newwin(rows, cols, top, left);
        set_overlay(window);
        if (!window) return;
        colorbox(window, color_pulldown, 1);
        repaintmenu(window, mp);
    }
    void close() {
        if (window) delwin(window);
        window = nullptr;
        set_overlay(nullptr);
    }
    bool stale() const { return generation != layout_generation(); }
};

} // namespace

void domenu(const menu* mp) {
    curs_set(0);
    int y = 0, x = 0, n = 0, w = 0;
    getmenupos(&y, &x);
    menudim(mp, &n, &w);
    key = -1;
    if (n == 0) return;
    WINDOW* outer_overlay = set_overlay(nullptr);
    PullDown box;
    box.open(mp, y, x, n, w);
    int selected = 0, highlighted = -1;
    bool stopped = false;
    while (!stopped && !quit) {
        if (box.stale()) {
            box.open(mp, y, x, n, w);
            highlighted = -1;
        }
        if (selected != highlighted) {
            WINDOW* win = box.window;
            if (highlighted != -1) draw_entry(win, highlighted + 1, 1, mp[highlighted].label, w, 1);
            setcolor(win, color_pulldown_hilite);
            draw_entry(win, selected + 1, 1, mp[selected].label, w, 1);
            setcolor(win, color_pulldown);
            statusmsg(mp[selected].description);
            highlighted = selected;
            if (win) wrefresh(win);
        }
        if (key == -1) key = waitforkey();
        switch (key) {
        case 10:
            set_overlay(nullptr); // the box is off the screen while its command runs
            if (box.window) uncover(box.top, box.rows);
            setmenupos(box.window ? box.top + 1 : y + 1, box.window ? box.left + 1 : x + 1);
            rmerror();
            key = -1;
            curs_set(1);
            run_action(mp[selected].action);
            curs_set(0);
            flush_body();
            if (box.stale()) {
                box.open(mp, y, x, n, w);
            } else {
                set_overlay(box.window);
                repaintmenu(box.window, mp);
            }
            highlighted = -1;
            break;
        case KEY_UP:
            selected = (selected + n - 1) % n;
            key = -1;
            break;
        case KEY_DOWN:
            selected = (selected + 1) % n;
            key = -1;
            break;
        case 27:
            key = -1;
            stopped = true;
            break;
        case KEY_LEFT:
        case KEY_RIGHT:
            stopped = true; // the key stays pending for the menu that opened this one
            break;
        case KEY_RESIZE:
            key = -1; // the next pass places the box for the new layout
            break;
        default: {
            int match = find_hotkey(mp, n, selected, key);
            if (match >= 0) {
                selected = match;
                key = 10;
            } else {
                key = -1;
            }
        }
        }
    }
    rmerror();
    bool shown = box.window != nullptr;
    box.close();
    set_overlay(outer_overlay);
    if (shown) uncover(box.top, box.rows);
}
