// Ctrl-Z: the screen is put away, the program stops, and on resume the screen comes back.
//
// Curses' own handler does all of this inside the signal handler, wherever the program happens
// to be: in the middle of an allocation (where its redraw can deadlock) or in its own handler
// for an earlier Ctrl-Z, after which it keeps the program's raw modes as the user's modes and
// leaves the shell raw at the end. Here the handler only takes note; the key reads and the
// cancel poll of a long computation do the suspending, at points where nothing is half done.
#include <signal.h>
#include <unistd.h>

#include "tui/internal.h"

namespace {

volatile sig_atomic_t suspend_requested = 0;
struct sigaction before_screen;
bool handling = false;

void on_suspend_key(int) {
    suspend_requested = 1;
}

// True when the terminal's size differs from the one the panes were laid out for.
bool size_changed() {
    struct winsize size;
    return terminal_size(size) && (size.ws_row != LINES || size.ws_col != COLS);
}

} // namespace

void install_suspend_handling() {
    if (sigaction(SIGTSTP, nullptr, &before_screen) != 0) return;
    // Started without job control (Ctrl-Z ignored): nothing to do, and curses stays out too.
    if (before_screen.sa_handler == SIG_IGN) return;
    struct sigaction action {};
    action.sa_handler = on_suspend_key;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no restart: the wait for a key ends at once
    handling = sigaction(SIGTSTP, &action, nullptr) == 0;
}

void remove_suspend_handling() {
    if (!handling) return;
    // From here on a Ctrl-Z simply stops the program as it ends.
    sigaction(SIGTSTP, &before_screen, nullptr);
    handling = false;
    suspend_requested = 0;
}

bool handle_suspend() {
    if (!suspend_requested) return false;
    suspend_requested = 0;
    if (!incurses || !handling) return false;
    endwin();
    show_cursor_again();
    // Stop with the default action, as a program without a handler would; a process group that
    // no shell controls is not stopped, and the screen simply comes back.
    struct sigaction stop {};
    struct sigaction mine {};
    stop.sa_handler = SIG_DFL;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGTSTP, &stop, &mine);
    raise(SIGTSTP);
    sigaction(SIGTSTP, &mine, nullptr);
    // Resumed. Modes the user set meanwhile become the ones restored at the end.
    def_shell_mode();
    if (size_changed()) raise(SIGWINCH); // laid out again at the next key read
    clearok(curscr, TRUE);
    doupdate();
    return true;
}
