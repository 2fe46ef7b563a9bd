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

// The window the form is drawn in: a box centred in the body pane, or, when the box does not
// fit there, a copy of the body pane itself, so the pane's text is intact when the form ends.
WINDOW* open_form(const char* const* labels, int count, int longest, int field) {
    int rows = count + 2, cols = field + longest + 4;
    WINDOW* form = nullptr;
    if (wmove(wbody, (getmaxy(wbody) - rows) / 2, (getmaxx(wbody) - cols) / 2) != ERR)
        form = winputbox(wbody, rows, cols);
    if (!form) form = dupwin(wbody);
    if (!form) return nullptr;
    for (int i = 0; i < count; ++i)
        if (wmove(form, i + 1, 2) != ERR) wprintw(form, "%s", labels[i]);
    return form;
}

const char* refusal_message(const char* value, int field) {
    if (edit_arguments_ok(value, field)) return "Error: the terminal is too small for this input\n";
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

} // namespace

int curses_form(const char* const* labels, char** values, int field) {
    if (!incurses) return 27;
    int count = 0, longest = 0;
    for (; labels[count]; ++count)
        longest = std::max(longest, static_cast<int>(strlen(labels[count])));
    if (count == 0) return 10;
    flush_body();

    int i = 0, c = -1;
    std::optional<LineEditor> resumed; // the field being edited when the terminal was resized
    for (;;) {
        if (!wait_for_room()) return 27;
        int body_y = 0, body_x = 0;
        getyx(wbody, body_y, body_x);
        WINDOW* form = open_form(labels, count, longest, field);
        if (!form) {
            beep();
            bodymsg("Error: not enough memory for the input form\n");
            return 27;
        }
        WINDOW* outer_overlay = set_overlay(form);
        bool relayout = false;
        for (;;) {
            c = -1;
            if (edit_arguments_ok(values[i], field) && wmove(form, i + 1, longest + 3) != ERR) {
                LineEditor editor = resumed ? *resumed : start_editor(values[i], field);
                resumed.reset();
                c = run_editor(form, editor, values[i], true);
                if (c == KEY_RESIZE) resumed = editor;
            }
            if (c == KEY_RESIZE) {
                relayout = true;
                break;
            }
            if (c == 27) break;
            if (c == KEY_UP) {
                i = (i + count - 1) % count;
            } else if (c == 10 || c == KEY_DOWN) {
                if (++i == count) break;
            } else {
                // The field cannot be edited (it does not fit, or its text is too long for
                // it); offering it again would never end.
                set_overlay(outer_overlay);
                close_form(form, body_y, body_x);
                // In the message pane, where it stays after the pull-down closes.
                beep();
                bodymsg(refusal_message(values[i], field));
                return 27;
            }
        }
        set_overlay(outer_overlay);
        close_form(form, body_y, body_x);
        if (!relayout) return c;
        handle_resize();
    }
}
