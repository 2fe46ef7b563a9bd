// Input forms: labelled fields in a box centred in the body pane.
#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "tui/internal.h"
#include "tui/line_editor.h"

WINDOW* winputbox(WINDOW* win, int rows, int cols) {
    if (!win) return nullptr;
    int top = 0, left = 0, y = 0, x = 0;
    getbegyx(win, top, left);
    getyx(win, y, x);
    WINDOW* box = newwin(rows, cols, top + y, left + x);
    if (box) colorbox(box, color_form, 1);
    return box;
}

namespace {

// Waits while the terminal is too small for any form; false when the user gave up with Esc.
// Other keys typed meanwhile are kept for the field.
bool wait_for_room() {
    std::vector<int> typed;
    while (screen_too_small()) {
        idle();
        if (!keypressed()) continue;
        int k = getkey();
        if (k == 27) return false;
        if (k != KEY_RESIZE) typed.push_back(k);
    }
    for (auto it = typed.rbegin(); it != typed.rend(); ++it)
        ungetch(*it);
    return true;
}

// Where a form goes in the body pane. A form that fits is a box of n + 2 rows and
// field + L + 4 columns. On a smaller pane the box takes the pane's size: it shows as many
// fields as it has rows for, scrolling to the one being edited, and labels give way to the
// fields, which scroll sideways.
struct Layout {
    int rows = 0, cols = 0;
    int shown = 0;      // fields shown at a time
    int label_room = 0; // columns for a label
    int field_column = 0;
    int field_width = 0; // columns of a field shown
};

Layout plan(int count, int longest, int field) {
    Layout f;
    f.rows = std::min(count + 2, getmaxy(wbody));
    f.cols = std::min(field + longest + 4, getmaxx(wbody));
    f.shown = f.rows - 2;
    const int least_field = std::min(field, 10);
    f.label_room = std::clamp(f.cols - 4 - least_field, 0, longest);
    f.field_column = f.label_room + 3;
    f.field_width = std::min(field, f.cols - 1 - f.field_column);
    return f;
}

WINDOW* open_box(const Layout& f) {
    if (wmove(wbody, (getmaxy(wbody) - f.rows) / 2, (getmaxx(wbody) - f.cols) / 2) == ERR)
        return nullptr;
    return winputbox(wbody, f.rows, f.cols);
}

// Draws the rows of the fields from `top` on: labels, and the texts of the fields edited
// before (the one edited next is drawn by the editor). Arrows on the border tell of fields
// scrolled out of the box.
void draw_fields(WINDOW* form, const Layout& f, const char* const* labels, char** values,
                 const std::vector<bool>& edited, int top) {
    const int count = static_cast<int>(edited.size());
    for (int row = 1; row <= f.shown; ++row) {
        const int i = top + row - 1;
        if (wmove(form, row, 1) != ERR) put_columns(form, "", f.cols - 2);
        if (i >= count) continue;
        if (wmove(form, row, 2) != ERR) put_columns(form, labels[i], f.label_room);
        if (edited[static_cast<size_t>(i)] && wmove(form, row, f.field_column) != ERR)
            put_columns(form, values[i], f.field_width);
    }
    if (count > f.shown) {
        mvwaddch(form, 0, f.cols - 3, top > 0 ? ACS_UARROW : ACS_HLINE);
        mvwaddch(form, f.rows - 1, f.cols - 3, top + f.shown < count ? ACS_DARROW : ACS_HLINE);
    }
}

const char* refusal_message(const char* value, int field, int capacity) {
    if (edit_arguments_ok(value, field, capacity))
        return "Error: the terminal is too small for this input\n";
    if (!value || field < 1 || field > 255) return "Error: this input field cannot be edited\n";
    return "Error: the text is too long for this input field\n";
}

void close_form(WINDOW* form, int body_y, int body_x) {
    int top = getbegy(form), rows = getmaxy(form);
    delwin(form);
    wmove(wbody, body_y, body_x);
    uncover(top, rows);
    wrefresh(wbody);
}

int run_form(const char* const* labels, char** values, int field, int capacity) {
    if (!incurses) return 27;
    int count = 0, longest = 0;
    for (; labels[count]; ++count)
        longest = std::max(longest, static_cast<int>(strlen(labels[count])));
    if (count == 0) return 10;
    flush_body();

    int i = 0, c = -1, top = 0;
    std::vector<bool> edited(static_cast<size_t>(count), false);
    std::optional<LineEditor> resumed; // the field being edited when the terminal was resized
    for (;;) {
        if (!wait_for_room()) return 27;
        int body_y = 0, body_x = 0;
        getyx(wbody, body_y, body_x);
        const Layout f = plan(count, longest, field);
        WINDOW* form = f.shown > 0 && f.field_width > 0 ? open_box(f) : nullptr;
        if (!form) {
            beep();
            bodymsg(f.shown > 0 && f.field_width > 0
                        ? "Error: not enough memory for the input form\n"
                        : "Error: the terminal is too small for this input\n");
            return 27;
        }
        WINDOW* outer_overlay = set_overlay(form);
        bool relayout = false;
        for (;;) {
            top = std::clamp(top, i - f.shown + 1, i);
            draw_fields(form, f, labels, values, edited, top);
            c = -1;
            if (edit_arguments_ok(values[i], field, capacity) &&
                wmove(form, i - top + 1, f.field_column) != ERR) {
                LineEditor editor = resumed ? *resumed : start_editor(values[i], field, capacity);
                resumed.reset();
                c = run_editor(form, editor, values[i], true, f.field_width);
                if (c == KEY_RESIZE) resumed = editor;
            }
            if (c == KEY_RESIZE) {
                relayout = true;
                break;
            }
            if (c == 27) break;
            edited[static_cast<size_t>(i)] = true;
            if (c == KEY_UP) {
                i = (i + count - 1) % count;
            } else if (c == 10 || c == KEY_DOWN) {
                if (++i == count) break;
            } else {
                // The field cannot be edited (its text is too long for it); offering it again
                // would never end.
                set_overlay(outer_overlay);
                close_form(form, body_y, body_x);
                // In the message pane, where it stays after the pull-down closes.
                beep();
                bodymsg(refusal_message(values[i], field, capacity));
                return 27;
            }
        }
        set_overlay(outer_overlay);
        close_form(form, body_y, body_x);
        if (!relayout) return c;
        handle_resize();
    }
}

} // namespace

int curses_form(const char* const* labels, char** values, int field) {
    return run_form(labels, values, field, -1);
}

int curses_long_form(const char* const* labels, char** values, int field, int capacity) {
    return run_form(labels, values, field, capacity);
}
