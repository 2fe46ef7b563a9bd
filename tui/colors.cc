#include <cstdlib>

#include "tui/tui.h"

const unsigned long color_title = 1;
const unsigned long color_bar = 2 | A_BOLD;
const unsigned long color_bar_hilite = 3 | A_BOLD | A_REVERSE;
const unsigned long color_pulldown = 4 | A_BOLD;
const unsigned long color_pulldown_hilite = 5 | A_BOLD | A_REVERSE;
const unsigned long color_body = 6;
const unsigned long color_status = 7 | A_BOLD;
const unsigned long color_form = 8;
const unsigned long color_field = 9 | A_BOLD | A_REVERSE;

namespace {

constexpr unsigned long pair_mask = 0xff;

// Colours are used when the terminal has them and the user did not ask for none (NO_COLOR set
// and not empty). Without colours, reverse video is what shows a highlight.
bool use_colors = false;

short pair_of(unsigned long color) {
    return static_cast<short>(color & pair_mask);
}
attr_t attributes_of(unsigned long color) {
    return static_cast<attr_t>(color & ~pair_mask);
}

} // namespace

void initcolor() {
    const char* no_color = getenv("NO_COLOR");
    use_colors = has_colors() && !(no_color && *no_color);
    if (use_colors) start_color();
    init_pair(1, COLOR_BLACK, COLOR_CYAN);
    init_pair(2, COLOR_WHITE, COLOR_CYAN);
    init_pair(3, COLOR_WHITE, COLOR_BLACK);
    init_pair(4, COLOR_WHITE, COLOR_CYAN);
    init_pair(5, COLOR_WHITE, COLOR_BLACK);
    init_pair(6, COLOR_WHITE, COLOR_BLUE);
    init_pair(7, COLOR_WHITE, COLOR_CYAN);
    init_pair(8, COLOR_BLACK, COLOR_CYAN);
    init_pair(9, COLOR_WHITE, COLOR_BLACK);
}

void setcolor(WINDOW* win, unsigned long color) {
    if (!win) return;
    // Highlights are white on black in colour; reverse video would turn them back to black on
    // white, so with colours it is never used for text.
    wattrset(win, static_cast<int>(use_colors ? COLOR_PAIR(pair_of(color)) |
                                                    (attributes_of(color) & ~A_REVERSE)
                                              : attributes_of(color)));
}

void colorbox(WINDOW* win, unsigned long color, int boxed) {
    if (!win) return;
    setcolor(win, color);
    chtype background = use_colors
                            ? (COLOR_PAIR(pair_of(color)) | (attributes_of(color) & ~A_REVERSE))
                            : attributes_of(color);
    wbkgd(win, background);
    werase(win);
    int rows = getmaxy(win);
    if (boxed && rows > 2) box(win, 0, 0);
    wtouchln(win, 0, rows, 1);
    wrefresh(win);
}
