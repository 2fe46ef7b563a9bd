#include "tests/e2e/harness.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <thread>

#include <vterm.h>

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;

// The program waits 100 ms (its ESCDELAY) for the rest of a sequence that starts with Esc; a
// key sent later than that after the Esc was read is a key of its own.
constexpr auto escape_gap = std::chrono::milliseconds(150);

std::string utf8(uint32_t c) {
    static const unsigned char lead[] = {0, 0xC0, 0xE0, 0xF0};
    if (c < 0x80) return std::string(1, static_cast<char>(c));
    int extra = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    std::string out(1, static_cast<char>(lead[extra] | (c >> (6 * extra))));
    for (int i = extra - 1; i >= 0; --i)
        out += static_cast<char>(0x80 | ((c >> (6 * i)) & 0x3F));
    return out;
}

struct winsize window(int rows, int cols) {
    struct winsize size {};
    size.ws_row = static_cast<unsigned short>(rows);
    size.ws_col = static_cast<unsigned short>(cols);
    return size;
}

std::string color_name(const VTermColor& color, bool foreground) {
    static const char* const names[] = {"black", "red",     "green", "yellow",
                                        "blue",  "magenta", "cyan",  "white"};
    const bool unset =
        foreground ? VTERM_COLOR_IS_DEFAULT_FG(&color) : VTERM_COLOR_IS_DEFAULT_BG(&color);
    if (unset || !VTERM_COLOR_IS_INDEXED(&color)) return "default";
    const int index = color.indexed.idx;
    return index < 8 ? names[index] : std::to_string(index);
}

// clang-format off
const std::map<std::string, VTermKey> named_keys = {
    {"Up", VTERM_KEY_UP}, {"Down", VTERM_KEY_DOWN}, {"Left", VTERM_KEY_LEFT},
    {"Right", VTERM_KEY_RIGHT}, {"Enter", VTERM_KEY_ENTER}, {"Esc", VTERM_KEY_ESCAPE},
    {"Tab", VTERM_KEY_TAB}, {"Insert", VTERM_KEY_INS}, {"Delete", VTERM_KEY_DEL},
    {"Home", VTERM_KEY_HOME}, {"End", VTERM_KEY_END}, {"PageUp", VTERM_KEY_PAGEUP},
    {"PageDown", VTERM_KEY_PAGEDOWN}, {"Backspace", VTERM_KEY_BACKSPACE}};
// The erase and line-kill characters are the ones the child's line discipline is given.
const std::map<std::string, std::string> byte_keys = {
    {"Space", " "}, {"Erase", "\x7f"}, {"Kill", "\x15"}};
// clang-format on

} // namespace

Session::Session(const Options& options)
    : options_(options), rows_(options.rows), cols_(options.cols) {
    struct winsize size = window(rows_, cols_);
    pid_ = forkpty(&master_, nullptr, nullptr, &size);
    if (pid_ < 0) {
        ADD_FAILURE() << "forkpty failed: " << strerror(errno);
        return;
    }
    if (pid_ == 0) {
        // Child: a known line discipline, a clean environment, then the program.
        struct termios modes;
        if (tcgetattr(0, &modes) == 0) {
            modes.c_lflag |= ICANON | ECHO | ISIG;
            modes.c_iflag |= ICRNL | IXON;
            modes.c_cc[VINTR] = 0x03;
            modes.c_cc[VQUIT] = 0x1c;
            modes.c_cc[VERASE] = byte_keys.at("Erase")[0];
            modes.c_cc[VKILL] = byte_keys.at("Kill")[0];
            tcsetattr(0, TCSANOW, &modes);
        }
        if (!options_.cwd.empty() && chdir(options_.cwd.c_str()) != 0) _exit(126);
        for (const char* name : {"LINES", "COLUMNS", "ESCDELAY", "TMUX"})
            unsetenv(name);
        setenv("TERM", "xterm-256color", 1);
        setenv("LANG", "C.UTF-8", 1);
        setenv("LC_ALL", "C.UTF-8", 1);
        for (const std::string& setting : options_.env)
            putenv(const_cast<char*>(setting.c_str()));
        execl(options_.binary.c_str(), options_.binary.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    if (const char* name = ptsname(master_)) slave_ = open(name, O_RDWR | O_NOCTTY);

    vt_ = vterm_new(rows_, cols_);
    vterm_set_utf8(vt_, 1);
    // Answers of the emulated terminal (cursor reports, key presses) go to the program.
    vterm_output_set_callback(
        vt_,
        [](const char* bytes, size_t length, void* user) {
            static_cast<Session*>(user)->write_input(std::string(bytes, length));
        },
        this);
    screen_ = vterm_obtain_screen(vt_);
    static VTermScreenCallbacks callbacks{};
    callbacks.damage = [](VTermRect, void* user) {
        ++static_cast<Session*>(user)->changes_;
        return 1;
    };
    callbacks.movecursor = [](VTermPos pos, VTermPos, int, void* user) {
        static_cast<Session*>(user)->cursor_row_ = pos.row;
        static_cast<Session*>(user)->cursor_col_ = pos.col;
        return 1;
    };
    callbacks.settermprop = [](VTermProp prop, VTermValue* value, void* user) {
        auto* s = static_cast<Session*>(user);
        if (prop == VTERM_PROP_ALTSCREEN) s->altscreen_ = value->boolean != 0;
        if (prop == VTERM_PROP_CURSORVISIBLE) s->cursor_visible_ = value->boolean != 0;
        return 1;
    };
    vterm_screen_set_callbacks(screen_, &callbacks, this);
    vterm_screen_enable_altscreen(screen_, 1);
    vterm_screen_reset(screen_, 1);
}

Session::~Session() {
    if (pid_ > 0) pump();
    if (exited_ && !exit_expected_)
        ADD_FAILURE() << "the program ended unexpectedly with status " << exit_status_ << "\n"
                      << dump();
    if (pid_ > 0 && !exited_) {
        kill(pid_, SIGKILL);
        reap(true);
    }
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
    if (vt_) vterm_free(vt_);
}

std::chrono::steady_clock::time_point Session::when_input_read() {
    // Bytes written now are read by the program once the pty's input queue is empty.
    auto deadline = Clock::now() + std::chrono::milliseconds(options_.timeout_ms);
    int queued = 0;
    while (slave_ >= 0 && !exited_ && Clock::now() < deadline &&
           ioctl(slave_, FIONREAD, &queued) == 0 && queued > 0) {
        read_some(1); // the program may have to write before it reads
        reap(false);
    }
    return Clock::now();
}

void Session::let_escape_stand_alone() {
    if (!escape_read_) return;
    std::this_thread::sleep_until(*escape_read_ + escape_gap);
    escape_read_.reset();
}

void Session::send_bytes(const std::string& bytes) {
    write_input(bytes);
    pump();
}

void Session::write_input(const std::string& bytes) {
    let_escape_stand_alone();
    for (size_t sent = 0; sent < bytes.size() && master_ >= 0;) {
        ssize_t n = write(master_, bytes.data() + sent, bytes.size() - sent);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
    }
    if (bytes == "\x1b") escape_read_ = when_input_read();
}

void Session::press(const std::string& key) {
    auto named = named_keys.find(key);
    const int function = key.size() >= 2 && key[0] == 'F' ? atoi(key.c_str() + 1) : 0;
    if (named != named_keys.end())
        vterm_keyboard_key(vt_, named->second, VTERM_MOD_NONE);
    else if (function > 0)
        vterm_keyboard_key(vt_, static_cast<VTermKey>(VTERM_KEY_FUNCTION(function)),
                           VTERM_MOD_NONE);
    else if (byte_keys.count(key))
        write_input(byte_keys.at(key));
    else if (key.size() == 3 && key.compare(0, 2, "C-") == 0 && isalpha(key[2]))
        write_input(std::string(1, static_cast<char>(tolower(key[2]) - 'a' + 1)));
    else if (key.size() == 1)
        write_input(key);
    else
        ADD_FAILURE() << "unknown key name \"" << key << "\"";
    pump();
}

bool Session::read_some(int wait_ms) {
    struct pollfd fd = {master_, POLLIN, 0};
    if (master_ < 0 || poll(&fd, 1, wait_ms) <= 0) return false;
    char chunk[8192];
    bool got = false;
    // Until EAGAIN (drained), or EIO or 0 (the program closed the terminal).
    for (ssize_t n; (n = read(master_, chunk, sizeof chunk)) > 0 || (n < 0 && errno == EINTR);) {
        if (n > 0) feed(chunk, static_cast<size_t>(n));
        got = got || n > 0;
    }
    if (got) vterm_screen_flush_damage(screen_);
    return got;
}

void Session::feed(const char* bytes, size_t length) {
    std::string out;
    for (size_t i = 0; i < length; ++i) {
        const char c = bytes[i];
        if (escape_.empty() && c != '\x1b') {
            const unsigned char u = static_cast<unsigned char>(c);
            last_graphic_ = u >= 0x20 && u < 0x7f ? u : -1;
            out += c;
            continue;
        }
        escape_ += c;
        const bool csi = escape_.size() >= 2 && escape_[1] == '[';
        if (escape_.size() == 2 && !csi) {
            out += escape_; // a two-byte or charset sequence: passed on as it comes
            escape_.clear();
        } else if (csi && escape_.size() > 2 && c >= 0x40 && c <= 0x7e) {
            if (c == 'b' && last_graphic_ >= 0) // REP: the last printable byte, count times
                escape_ = std::string(static_cast<size_t>(std::max(atoi(escape_.c_str() + 2), 1)),
                                      static_cast<char>(last_graphic_));
            out += escape_;
            escape_.clear();
        }
    }
    vterm_input_write(vt_, out.data(), out.size());
}

void Session::pump() {
    while (read_some(0)) {
    }
    reap(false);
}

void Session::reap(bool block) {
    if (pid_ <= 0 || exited_) return;
    int status = 0;
    pid_t r = waitpid(pid_, &status, block ? 0 : WNOHANG);
    if (r == pid_) {
        exited_ = true;
        exit_status_ = WIFEXITED(status) ? WEXITSTATUS(status)
                                         : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    }
}

::testing::AssertionResult Session::wait_until(const std::function<bool()>& condition,
                                               const std::string& what, int timeout_ms) {
    if (timeout_ms < 0) timeout_ms = options_.timeout_ms;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        pump();
        if (condition()) {
            // The rest of the same update usually follows within a few milliseconds; take it
            // in too, so what the test looks at next is a whole screen.
            for (int reads = 0; reads < 50 && read_some(30);)
                ++reads;
            reap(false);
            return ::testing::AssertionSuccess();
        }
        if (Clock::now() >= deadline) break;
        read_some(20);
    }
    return ::testing::AssertionFailure()
           << "timed out after " << timeout_ms << " ms waiting for " << what << "\n"
           << dump();
}

::testing::AssertionResult Session::wait_for(const std::string& text, int timeout_ms) {
    return wait_until([&] { return contains(text); }, "\"" + text + "\" on the screen", timeout_ms);
}

::testing::AssertionResult Session::settle(int quiet_ms, int timeout_ms) {
    unsigned long seen = changes_;
    auto quiet_since = Clock::now();
    return wait_until(
        [&] {
            if (changes_ != seen) quiet_since = Clock::now();
            seen = changes_;
            return Clock::now() - quiet_since >= std::chrono::milliseconds(quiet_ms);
        },
        "the screen to keep still for " + std::to_string(quiet_ms) + " ms", timeout_ms);
}

std::string Session::text_at(int row_index, int col, int length) const {
    std::string out;
    for (int c = col; c < col + length && c < cols_; ++c)
        out += cell(row_index, c).text;
    return out;
}

bool Session::contains(const std::string& text) const {
    for (int r = 0; r < rows_; ++r)
        if (row(r).find(text) != std::string::npos) return true;
    return false;
}

Cell Session::cell(int row_index, int col) const {
    Cell out;
    out.text = " ";
    VTermScreenCell c;
    if (!vterm_screen_get_cell(screen_, VTermPos{row_index, col}, &c)) return out; // off screen
    if (c.chars[0]) {
        out.text.clear();
        for (int i = 0; i < VTERM_MAX_CHARS_PER_CELL && c.chars[i]; ++i)
            out.text += utf8(c.chars[i]);
    }
    out.fg = color_name(c.fg, true);
    out.bg = color_name(c.bg, false);
    out.bold = c.attrs.bold;
    out.reverse = c.attrs.reverse;
    return out;
}

void Session::resize(int rows, int cols) {
    rows_ = rows;
    cols_ = cols;
    vterm_set_size(vt_, rows, cols);
    // A resize resets the scrolling region, as in xterm. libvterm 0.1.4 keeps the old one, and
    // a scroll the program sent for the old size then runs off the screen inside libvterm (a
    // negative memmove). The region's reset homes the cursor, so it is put back.
    std::string reset = "\033[r\033[" + std::to_string(std::min(cursor_row_, rows - 1) + 1) + ";" +
                        std::to_string(std::min(cursor_col_, cols - 1) + 1) + "H";
    vterm_input_write(vt_, reset.data(), reset.size());
    struct winsize size = window(rows, cols);
    ioctl(master_, TIOCSWINSZ, &size); // the pty signals SIGWINCH to its foreground
    pump();
}

void Session::signal(int sig) {
    exit_expected_ = true;
    if (pid_ > 0 && !exited_) kill(pid_, sig);
}

::testing::AssertionResult Session::wait_exit(int timeout_ms) {
    exit_expected_ = true;
    return wait_until([&] { return exited_; }, "the program to exit", timeout_ms);
}

::testing::AssertionResult Session::terminal_restored() const {
    if (altscreen_) return ::testing::AssertionFailure() << "the alternate screen is still on";
    if (!cursor_visible_) return ::testing::AssertionFailure() << "the cursor is left hidden";
    return modes_restored();
}

::testing::AssertionResult Session::modes_restored() const {
    struct termios modes;
    if (tcgetattr(slave_ >= 0 ? slave_ : master_, &modes) != 0)
        return ::testing::AssertionFailure() << "cannot read the pty modes: " << strerror(errno);
    if ((modes.c_lflag & (ICANON | ECHO)) != (ICANON | ECHO))
        return ::testing::AssertionFailure() << "the pty is not canonical with echo";
    if (!(modes.c_lflag & ISIG) || modes.c_cc[VINTR] != 0x03 || modes.c_cc[VQUIT] != 0x1c)
        return ::testing::AssertionFailure() << "Ctrl-C and Ctrl-\\ do not signal any more";
    if (!(modes.c_iflag & IXON))
        return ::testing::AssertionFailure() << "output flow control is left off";
    return ::testing::AssertionSuccess();
}

std::string Session::dump() const {
    std::string out = "screen " + std::to_string(rows_) + " x " + std::to_string(cols_) +
                      (exited_ ? ", program exited with " + std::to_string(exit_status_) : "") +
                      ":\n";
    char label[16];
    for (int r = 0; r < rows_; ++r) {
        snprintf(label, sizeof label, "%3d|", r);
        std::string line = row(r);
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out += label + line + "\n";
    }
    return out;
}

} // namespace e2e
