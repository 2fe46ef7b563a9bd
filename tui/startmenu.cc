// Start-up of the screen, the terminal's restoration on fatal signals and the interrupt keys.
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "code/output_file.h"
#include "tui/internal.h"

namespace {

struct termios original_modes;
bool have_original_modes = false;
int modes_fd = -1; // the terminal whose modes are restored
// The terminal's own strings that end curses' screen: plain attributes, normal cursor,
// keypad off, main screen. Kept ready so the signal handler only has to write them.
char restore_sequence[512];
size_t restore_length = 0;

// Escape sequences from a lone Esc key are told apart by time; curses' default second makes
// Esc feel sluggish, a tenth of a second is ample on a local or remote terminal.
constexpr int esc_delay_ms = 100;

void remember_restore_sequence() {
    restore_length = 0;
    // The cursor is shown again after the main screen is back (see cleanup).
    const char* names[] = {"sgr0", "cnorm", "rmkx", "rmcup", "cnorm"};
    for (const char* name : names) {
        char* value = tigetstr(name);
        if (!value || value == reinterpret_cast<char*>(-1)) continue;
        size_t length = strlen(value);
        if (restore_length + length >= sizeof restore_sequence) break;
        memcpy(restore_sequence + restore_length, value, length);
        restore_length += length;
    }
}

void on_fatal_signal(int sig) {
    // Only async-signal-safe calls: the screen's strings and the saved modes, the temporary
    // file of a write in progress, then the default action, so the exit status still names
    // the signal.
    if (incurses) {
        if (restore_length > 0 && write(STDOUT_FILENO, restore_sequence, restore_length) < 0) {
            // The terminal is gone; nothing more to restore on it.
        }
        if (have_original_modes) tcsetattr(modes_fd, TCSANOW, &original_modes);
    }
    remove_pending_output();
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(sig, &fallback, nullptr);
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, sig);
    sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
    raise(sig);
}

// Ctrl-C and Ctrl-\ are ignored: a stray key must not end the program and lose the current
// code; File -> Exit is the way out. They stay ignored after the screen is gone, so a Ctrl-C
// typed while the program ends after Exit cannot turn a clean end into a killed one. A FIFO
// whose reader went away, or a file-size limit, makes a write fail with a message instead of
// ending the program.
void ignore_stray_signals() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    for (int sig : {SIGINT, SIGQUIT, SIGPIPE, SIGXFSZ})
        sigaction(sig, &ignore, nullptr);
}

// The terminal's interrupt and quit characters are switched off as well: a terminal that
// raises the signal also throws away the keys typed ahead and the screen output still on its
// way, which would leave the screen differing from what curses believes it shows. So is output
// flow control: a stray Ctrl-S would freeze the screen until Ctrl-Q, which looks like a hang.
void switch_off_interrupt_characters() {
    struct termios modes;
    if (tcgetattr(terminal_fd(), &modes) != 0) return;
    modes.c_cc[VINTR] = _POSIX_VDISABLE;
    modes.c_cc[VQUIT] = _POSIX_VDISABLE;
    modes.c_iflag &= ~static_cast<tcflag_t>(IXON);
    // Curses' later mode changes (half-delay, resuming after Ctrl-Z) start from the program
    // mode it saved, so that mode is saved again; leaving curses restores the user's modes.
    if (tcsetattr(terminal_fd(), TCSANOW, &modes) == 0) def_prog_mode();
}

void catch_signal(int sig, bool only_if_default) {
    struct sigaction current {};
    if (only_if_default) {
        // Leave handlers that are already there (a sanitizer's, for instance) in place.
        if (sigaction(sig, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) return;
    }
    struct sigaction action {};
    action.sa_handler = on_fatal_signal;
    sigemptyset(&action.sa_mask);
    sigaction(sig, &action, nullptr);
}

} // namespace

void install_fatal_signal_handlers() {
    modes_fd = terminal_fd();
    have_original_modes = tcgetattr(modes_fd, &original_modes) == 0;
    for (int sig : {SIGTERM, SIGHUP})
        catch_signal(sig, false);
    // Every other signal whose default action ends the program, unless it is ignored or has a
    // handler already (a sanitizer's, for instance).
    for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM,
                    SIGPROF, SIGXCPU, SIGSYS, SIGTRAP, SIGSTKFLT, SIGIO, SIGPWR})
        catch_signal(sig, true);
    for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig)
        catch_signal(sig, true);
}

void startmenu(const menu* mp, const char* title) {
    if (!terminal_known()) exit(1);
    // Installed before curses starts, so curses keeps its hands off these signals.
    install_fatal_signal_handlers();
    ignore_stray_signals();
    install_suspend_handling();
    watch_resizes();
    initscr();
    incurses = true;
    if (!getenv("ESCDELAY")) set_escdelay(esc_delay_ms);
    remember_restore_sequence();
    install_curses_backend();
    initcolor();
    layout_panes();
    if (title) titlemsg(title);
    cbreak();
    noecho();
    curs_set(0);
    if (wbody) nodelay(wbody, TRUE);
    halfdelay(key_wait_tenths);
    if (wbody) keypad(wbody, TRUE);
    if (wbody) scrollok(wbody, TRUE);
    leaveok(stdscr, TRUE);
    if (wtitl) leaveok(wtitl, TRUE);
    if (wmain) leaveok(wmain, TRUE);
    if (wstat) leaveok(wstat, TRUE);
    switch_off_interrupt_characters();
    mainmenu(mp);
    cleanup();
    remove_suspend_handling();
}
