// The one-line editor: draws a LineEditor in a field window and feeds it keys.
#include <algorithm>
#include <cstring>

#include "tui/internal.h"
#include "tui/line_editor.h"

static_assert(editor_keys::down == KEY_DOWN && editor_keys::up == KEY_UP &&
                  editor_keys::left == KEY_LEFT && editor_keys::right == KEY_RIGHT &&
                  editor_keys::insert_char == KEY_IC && editor_keys::exit_insert == KEY_EIC,
              "the editor's key codes must be curses' codes");

namespace {

int erase_key() {
    return static_cast<signed char>(erasechar());
}

int kill_key() {
    return static_cast<signed char>(killchar());
}

// With keypad translation on, the Backspace key arrives as KEY_BACKSPACE even when what the
// user typed is the terminal's erase character; it is that character, so it erases.
bool backspace_sends_erase() {
    const char* backspace = tigetstr("kbs");
    if (!backspace || backspace == reinterpret_cast<const char*>(-1)) return false;
    return backspace[0] != 0 && backspace[1] == 0 && backspace[0] == erasechar();
}

} // namespace

char wordchar() {
    return 23;
}

void repainteditbox(WINDOW* win, int x, const char* text) {
    if (!win) return;
    werase(win);
    if (wmove(win, 0, 0) != ERR) wprintw(win, "%s", padstr(text, getmaxx(win)));
    wmove(win, 0, x);
    wrefresh(win);
}

bool edit_arguments_ok(const char* line, int field) {
    if (field > 255 || field < 1 || !line) return false;
    return static_cast<int>(strnlen(line, 256)) <= field - 1;
}

int run_editor(WINDOW* win, LineEditor& editor, char* line, bool stop_on_resize) {
    if (!win) return -1;
    wrefresh(win);
    int y = 0, x = 0;
    getyx(win, y, x);
    // A field wider than the room left in the window shows a part of the text around the
    // cursor; the text's limit stays field - 1.
    int width = std::min(editor.field(), getmaxx(win) - x);
    WINDOW* field = width > 0 ? derwin(win, 1, width, y, x) : nullptr;
    if (!field) return -1;
    attr_t attributes = 0;
    short pair = 0;
    wattr_get(field, &attributes, &pair, nullptr);
    chtype background = getbkgd(win);
    colorbox(field, color_field, 0);
    keypad(field, TRUE);
    curs_set(editor.insert_mode() ? 2 : 1);
    bool backspace_erases = backspace_sends_erase();
    int offset = 0;
    int c = -1;
    for (;;) {
        idle();
        handle_suspend();
        if (stop_on_resize && resize_pending()) {
            c = KEY_RESIZE;
            break;
        }
        offset = std::min(offset, editor.cursor());
        offset = std::max(offset, editor.cursor() - width + 1);
        repainteditbox(field, editor.cursor() - offset, editor.text().c_str() + offset);
        c = read_key(field);
        int effective = c == KEY_BACKSPACE && backspace_erases ? erase_key() : c;
        LineEditor::Outcome outcome = editor.handle(effective);
        if (outcome == LineEditor::Outcome::mode_changed) curs_set(editor.insert_mode() ? 2 : 1);
        if (outcome == LineEditor::Outcome::finished || outcome == LineEditor::Outcome::cancelled)
            break;
    }
    memcpy(line, editor.text().c_str(), editor.text().size() + 1);
    curs_set(0);
    // The finished text shows in the colours of the window it belongs to.
    wattr_set(field, attributes, pair, nullptr);
    wbkgdset(field, background);
    repainteditbox(field, 0, editor.text().c_str());
    delwin(field);
    return c;
}

int weditstr(WINDOW* win, char* line, int field) {
    if (!win || !edit_arguments_ok(line, field)) return -1;
    LineEditor editor(line, field, erase_key(), kill_key());
    return run_editor(win, editor, line, false);
}

LineEditor start_editor(const char* line, int field) {
    return LineEditor(line, field, erase_key(), kill_key());
}
