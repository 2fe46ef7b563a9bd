// Keys that begin with Escape. Curses turns the sequences its terminal description knows into
// key codes and hands out the bytes of any other sequence one by one, starting with an Esc:
// Home under tmux or screen with TERM=xterm-256color (ESC [ 1 ~) and every Alt chord (ESC e)
// would cancel a form and then type or run the rest. Curses has already waited ESCDELAY for the
// rest of a sequence, so whatever follows an Esc at once belongs to it.
#include "tui/internal.h"

namespace {
int immediate_depth = 0;
}

ImmediateReads::ImmediateReads(WINDOW* win) : win_(win), delay_(wgetdelay(win)) {
    if (immediate_depth++ == 0) cbreak();
    wtimeout(win_, 0);
}

ImmediateReads::~ImmediateReads() {
    wtimeout(win_, delay_);
    if (--immediate_depth == 0) halfdelay(key_wait_tenths);
}

namespace {

// Longest sequence taken in; anything longer is a burst of keys, not one key.
constexpr int longest_sequence = 16;

// The final letters of the cursor, Home and End keys, after ESC [ or ESC O.
int lettered_key(int c) {
    static const char letters[] = "ABCDHF";
    static const int keys[] = {KEY_UP, KEY_DOWN, KEY_RIGHT, KEY_LEFT, KEY_HOME, KEY_END};
    for (int i = 0; letters[i]; ++i)
        if (c == letters[i]) return keys[i];
    return ERR;
}

// ESC [ parameters final: the Home, End, Delete and Insert variants of xterm, rxvt, the Linux
// console, tmux and screen (ESC [ 1 ~ ... ESC [ 8 ~), and the lettered keys; modifiers (";5")
// change nothing.
int control_sequence(ImmediateReads& in) {
    int first = -1, c = ERR;
    bool in_first = true;
    for (int n = 0; n < longest_sequence; ++n) {
        c = in.get();
        if (c == 27) ungetch(c); // the next sequence began: this one was cut short
        if (c == ERR || c < 0x20 || c > 0x7e) return ERR;
        if (c >= 0x40) break; // the final byte
        if (c == ';') in_first = false;
        if (in_first && c >= '0' && c <= '9') first = (first < 0 ? 0 : first * 10) + (c - '0');
    }
    static const int numbered[] = {ERR, KEY_HOME, KEY_IC,   KEY_DC, KEY_END,
                                   ERR, ERR,      KEY_HOME, KEY_END};
    if (c == '~') return first >= 0 && first <= 8 ? numbered[first] : ERR;
    return lettered_key(c);
}

// ESC O final: the application-mode variants; anything else was Alt-O.
int single_shift(ImmediateReads& in) {
    int c = in.get();
    if (c == 27) ungetch(c); // Alt-O, then the next sequence
    return lettered_key(c);
}

} // namespace

int finish_escape(WINDOW* win) {
    ImmediateReads in(win);
    int next = in.get();
    if (next == ERR) return 27; // a lone Esc
    if (next == 27) {
        // Esc pressed twice in quick succession: two Escs.
        ungetch(27);
        return 27;
    }
    if (next == '[') return control_sequence(in);
    if (next == 'O') return single_shift(in);
    // Alt and any key: ignored. (Of an Alt chord on a UTF-8 character the first byte goes here;
    // the editor and the menus ignore the rest, which begins no character.)
    return ERR;
}

int read_key(WINDOW* win) {
    int c = wgetch(win);
    return c == 27 ? finish_escape(win) : c;
}
