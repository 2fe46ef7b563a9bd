// Runs the real stgc binary in a pseudo-terminal and reads its screen through libvterm, so
// end-to-end tests can press keys and look at what a user would see:
//
//   e2e::Options options;
//   options.cwd = dir.path();                  // files the program writes land here
//   e2e::Session s(options);                   // 24 x 80, xterm-256color, C.UTF-8
//   ASSERT_TRUE(s.wait_for("Use arrow keys and Enter to select"));
//   s.press("f");
//   s.press("e");
//   ASSERT_TRUE(s.wait_exit());
//   EXPECT_TRUE(s.terminal_restored());
//
// Every wait polls the pty until its condition holds or the timeout passes, then takes in the
// output that follows within 30 ms (the rest of the same screen update); on a timeout the
// returned AssertionResult carries a dump of the screen.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

struct VTerm;
struct VTermScreen;

namespace e2e {

struct Options {
    int rows = 24;
    int cols = 80;
    std::string cwd; // working directory of the program (empty: inherited)
    // "NAME=value" settings of the program's environment, over TERM=xterm-256color and
    // LANG=LC_ALL=C.UTF-8; a later setting of a name wins.
    std::vector<std::string> env;
    std::string binary = STGC_BINARY;
    int timeout_ms = 5000; // default timeout of the waits
};

struct Cell {
    std::string text; // the character (UTF-8), " " when empty
    // Colours: "black", "red", ... "white" (curses' first eight), "default" (none set), other
    // palette entries as their number.
    std::string fg = "default", bg = "default";
    bool bold = false;
    bool reverse = false;
};

class Session {
  public:
    explicit Session(const Options& options = Options());
    // Ends the program if it still runs; a program that ended on its own while the test did not
    // wait for it (a crash, a sanitizer report) fails the test.
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Sends a key by name: "Up", "Down", "Left", "Right", "Enter", "Esc", "Tab", "Insert",
    // "Delete", "Home", "End", "PageUp", "PageDown", "Backspace" (the key), "Space",
    // "F1".."F12", "C-a".."C-z", "Erase" and "Kill" (the erase and line-kill characters the
    // pty is given), or a single character. An unknown name fails the test. A lone Esc, pressed
    // or typed, reaches the program as a key of its own: what follows waits until it is taken.
    void press(const std::string& key);
    // Sends text as typed characters (raw bytes).
    void type(const std::string& text) { send_bytes(text); }
    void send_bytes(const std::string& bytes);

    // Waits until the screen shows `text`, or the condition holds.
    ::testing::AssertionResult wait_for(const std::string& text, int timeout_ms = -1);
    ::testing::AssertionResult wait_until(const std::function<bool()>& condition,
                                          const std::string& what, int timeout_ms = -1);
    // Waits until the screen has not changed for `quiet_ms` (bounded by the timeout).
    ::testing::AssertionResult settle(int quiet_ms = 150, int timeout_ms = -1);
    // Reads what arrived so far without waiting.
    void pump();

    int rows() const { return rows_; }
    int cols() const { return cols_; }
    // `length` characters of a row from `col`; row() is the full width, empty cells as spaces.
    std::string text_at(int row, int col, int length) const;
    std::string row(int row) const { return text_at(row, 0, cols_); }
    // The whole screen, one numbered line per row, end spaces cut; and what else is known.
    std::string dump() const;
    bool contains(const std::string& text) const;
    Cell cell(int row, int col) const;
    // The cursor's position and whether the program asked for it to be visible.
    int cursor_row() const { return cursor_row_; }
    int cursor_col() const { return cursor_col_; }
    bool cursor_visible() const { return cursor_visible_; }

    // Changes the pty's size (the program gets SIGWINCH) and the emulated screen's.
    void resize(int rows, int cols);
    // Sends a signal to the program.
    void signal(int sig);

    // Waits for the program to end; exit_status() is its exit code, or 128 + the signal.
    ::testing::AssertionResult wait_exit(int timeout_ms = -1);
    bool exited() const { return exited_; }
    int exit_status() const { return exit_status_; }
    // The program left the alternate screen, showed the cursor and left the pty canonical
    // with echo.
    ::testing::AssertionResult terminal_restored() const;
    // Only the pty's modes: for a program that ended while keys were still being sent, since
    // the line discipline's Ctrl-C throws away output the emulator has not read.
    ::testing::AssertionResult modes_restored() const;

  private:
    bool read_some(int wait_ms);
    void feed(const char* bytes, size_t length);
    void reap(bool block);
    // Waits (within the timeout) until the program has read everything sent; returns when.
    std::chrono::steady_clock::time_point when_input_read();
    // After an Esc, holds the next bytes back until the program has taken the Esc alone, so
    // that an Esc followed by a key is never read as an Alt chord or a key's sequence.
    void let_escape_stand_alone();
    void write_input(const std::string& bytes);

    Options options_;
    int rows_, cols_;
    pid_t pid_ = -1;
    int master_ = -1;
    int slave_ = -1; // kept open so the pty's modes can be read after the program ends
    VTerm* vt_ = nullptr;
    VTermScreen* screen_ = nullptr;
    bool exited_ = false;
    bool exit_expected_ = false; // the test waited for the end or sent a signal
    int exit_status_ = -1;
    bool altscreen_ = false;
    bool cursor_visible_ = true;
    int cursor_row_ = 0, cursor_col_ = 0;
    unsigned long changes_ = 0;
    // libvterm 0.1.4 leaves the cursor in the pending-wrap state after a repeat (REP) that
    // ends one column before the right edge, so the next character lands on the next line;
    // the harness expands repeats into plain characters before the emulator sees them.
    std::string escape_;    // an escape sequence still being received
    int last_graphic_ = -1; // the last printable byte, which REP repeats
    std::optional<std::chrono::steady_clock::time_point> escape_read_; // of a lone Esc sent
};

} // namespace e2e
