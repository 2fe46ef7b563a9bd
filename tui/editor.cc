// The one-line editor: draws a LineEditor in a field window and feeds it keys.
#include <langinfo.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

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

bool utf8_locale() {
    return strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
}

// With keypad translation on, the Backspace key arrives as KEY_BACKSPACE even when what the
// user typed is the terminal's erase character; it is that character, so it erases.
bool backspace_sends_erase() {
    const char* backspace = tigetstr("kbs");
    if (!backspace || backspace == reinterpret_cast<const char*>(-1)) return false;
    return backspace[0] != 0 && backspace[1] == 0 && backspace[0] == erasechar();
}

// The bytes and screen columns of the character at the start of `text` (in the locale's
// encoding; a byte that is no character counts as one column).
struct Glyph {
    size_t bytes;
    int columns;
};
Glyph glyph(const char* text, size_t length) {
    mbstate_t state{};
    wchar_t wide = 0;
    size_t bytes = mbrtowc(&wide, text, length, &state);
    if (bytes == 0 || bytes > length) return {1, 1};
    int columns = wcwidth(wide);
    return {bytes, columns < 0 ? 1 : columns};
}

// The byte offset of the character before `at`.
size_t previous_start(const std::string& text, size_t at, bool utf8) {
    if (at == 0) return 0;
    --at;
    while (utf8 && at > 0 && (static_cast<unsigned char>(text[at]) & 0xc0) == 0x80)
        --at;
    return at;
}

// Columns from byte `from` to byte `to`, counted no further than `limit` + 1.
int columns_between(const std::string& text, size_t from, size_t to, int limit) {
    int columns = 0;
    while (from < to && columns <= limit) {
        Glyph g = glyph(text.data() + from, text.size() - from);
        columns += g.columns;
        from += g.bytes;
    }
    return columns;
}

// Moves `offset`, the first byte shown, so that the cursor stays inside a field `width`
// columns wide, and returns the cursor's column.
int scroll_to_cursor(const LineEditor& editor, size_t& offset, int width) {
    const std::string& text = editor.text();
    const size_t cursor = static_cast<size_t>(editor.cursor());
    offset = std::min({offset, cursor, text.size()});
    const int last = std::max(0, width - 1);
    if (columns_between(text, offset, cursor, last) > last) {
        // Back from the cursor until the field is full: the cursor in its last column.
        int columns = 0;
        offset = cursor;
        while (offset > 0) {
            size_t before = previous_start(text, offset, editor.utf8());
            int more = glyph(text.data() + before, text.size() - before).columns;
            if (columns + more > last) break;
            columns += more;
            offset = before;
        }
    }
    return columns_between(text, offset, cursor, last);
}

} // namespace

void put_columns(WINDOW* win, const char* text, int width) {
    if (!win || !text) return;
    const size_t length = strlen(text);
    size_t end = 0;
    int columns = 0;
    while (end < length) {
        Glyph g = glyph(text + end, length - end);
        if (columns + g.columns > width) break;
        columns += g.columns;
        end += g.bytes;
    }
    waddnstr(win, text, static_cast<int>(end));
    for (; columns < width; ++columns)
        waddch(win, ' ');
}

char wordchar() {
    return 23;
}

void repainteditbox(WINDOW* win, int x, const char* text) {
    if (!win) return;
    werase(win);
    if (wmove(win, 0, 0) != ERR) put_columns(win, text, getmaxx(win));
    wmove(win, 0, x);
    wrefresh(win);
}

bool edit_arguments_ok(const char* line, int field, int capacity) {
    if (field > 255 || field < 1 || !line) return false;
    if (capacity < 0) capacity = field - 1;
    return strnlen(line, static_cast<size_t>(capacity) + 1) <= static_cast<size_t>(capacity);
}

int run_editor(WINDOW* win, LineEditor& editor, char* line, bool stop_on_resize, int width) {
    if (!win) return -1;
    wrefresh(win);
    int y = 0, x = 0;
    getyx(win, y, x);
    // A field wider than the room shows the part of the text around the cursor.
    width = std::min(width > 0 ? width : editor.field(), getmaxx(win) - x);
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
    size_t offset = 0;
    int c = -1;
    for (;;) {
        idle();
        handle_suspend();
        if (stop_on_resize && resize_pending()) {
            c = KEY_RESIZE;
            break;
        }
        int column = scroll_to_cursor(editor, offset, width);
        repainteditbox(field, column, editor.text().c_str() + offset);
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
    if (!win || !edit_arguments_ok(line, field, -1)) return -1;
    LineEditor editor = start_editor(line, field, -1);
    return run_editor(win, editor, line, false, 0);
}

LineEditor start_editor(const char* line, int field, int capacity) {
    return LineEditor(line, field, erase_key(), kill_key(), capacity, utf8_locale());
}
