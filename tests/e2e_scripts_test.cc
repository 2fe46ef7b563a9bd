// Screen scripts: every tests/e2e/scripts/<name>.screen runs the real program in a pty as one
// test, E2e/Script.Runs/<name>. A script reads like the screen it expects, one step a line:
//
//   # comment
//   size 24 80 | env NAME=value ...        how the next `start` runs (TERM, LC_ALL, ...)
//   under FILE                             run scripts/FILE instead, with $STGC_UNDER_TEST
//   timeout MS                             of the checks that follow (default 5000)
//   write NAME "text"                      a file in the session's directory
//   reader NAME / close NAME               a FIFO there opened for reading (never read) / closed
//   start                                  start (again: a new session, same directory)
//   press KEY ...                          key names as in the harness; KEY*N repeats
//   type "text"                            bytes as typed
//   resize ROWS COLS | signal NAME (TERM, HUP, ...) | settle [MS]
//   snapshot / unchanged                   rows 1 to the last, texts and colours, as they were
//   storm KEYS SEED                        random keys and resizes, then back to the bar; an
//                                          exit on the way must be clean, then the script's
//                                          lines since `start` run again and the storm goes on
// Checks wait until they hold and fail with the screen after the timeout:
//   wait "text" / gone "text"              the screen shows / no longer shows the text
//   row N = "text" / ~ "text" / =~ "regex" the row, spaces at its end cut, is / contains the
//                                          text / matches the POSIX extended expression
//   at ROW COL "text"                      the text stands at the position
//   cell ROW COL fg=C bg=C bold -bold reverse -reverse   every attribute named holds
//   cursor ROW COL                         the visible cursor stands there
//   changes ROW COL LENGTH                 the text there changes (the clock runs)
//   file NAME = "text" / ~ "text" / =~ "regex"   the file's content, as for a row
//   files "text"                           the directory holds these names (ls -A), no others
//   restored                               the terminal is as the program found it
//   exit STATUS                            the program ended so, the terminal restored
// Rows and columns count from 0; a negative row counts from the bottom (-1 is the status
// line); `row` and `cell` take ranges such as 2-21. Strings take \n \r \t \e \\ \" and \xHH;
// any other backslash stays, for regular expressions.
#include <fcntl.h>
#include <regex.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/harness.h"
#include "tests/support/test_support.h"

using testing::AssertionFailure;
using testing::AssertionResult;
using testing::AssertionSuccess;
using testing_support::read_file;

namespace {

const std::string scripts_dir = STGC_SOURCE_DIR "/tests/e2e/scripts";

std::vector<std::string> script_names() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(scripts_dir))
        if (entry.path().extension() == ".screen") names.push_back(entry.path().stem());
    std::sort(names.begin(), names.end());
    return names;
}

// A line's words; a quoted string is one word, escapes resolved.
std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> words;
    bool quoted = false, apart = true;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (!quoted && (c == ' ' || c == '\t')) {
            apart = true;
            continue;
        }
        if (apart) words.emplace_back();
        apart = false;
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted || c != '\\' || i + 1 == line.size()) {
            words.back() += c;
        } else if (line[++i] == 'x' && i + 2 < line.size()) {
            words.back() += static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            static const std::string from = "nrte\\\"", to = "\n\r\t\x1b\\\"";
            const size_t k = from.find(line[i]);
            if (k == std::string::npos) words.back() += '\\'; // kept for regular expressions
            words.back() += k == std::string::npos ? line[i] : to[k];
        }
    }
    if (quoted) throw std::invalid_argument("unterminated string");
    return words;
}

std::string trim_end(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

size_t characters(const std::string& utf8) {
    return static_cast<size_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// `row` and `file`: "=" the same text, "~" containing it, "=~" matching it as a whole.
bool compare(const std::string& text, const std::string& op, const std::string& with) {
    if (op == "=") return text == with;
    if (op == "~") return text.find(with) != std::string::npos;
    if (op == "=~") {
        regex_t re;
        if (regcomp(&re, ("^(" + with + ")$").c_str(), REG_EXTENDED | REG_NOSUB) != 0)
            throw std::invalid_argument("bad regular expression");
        const bool found = regexec(&re, text.c_str(), 0, nullptr, 0) == 0;
        regfree(&re);
        return found;
    }
    throw std::invalid_argument("unknown comparison " + op);
}

// The words each step takes, its own included; 0 for any number.
const std::map<std::string, size_t> steps = {
    {"size", 3},      {"env", 0},    {"under", 2},   {"timeout", 2}, {"write", 3},
    {"reader", 2},    {"close", 2},  {"start", 1},   {"press", 0},   {"type", 2},
    {"resize", 3},    {"signal", 2}, {"settle", 0},  {"storm", 3},   {"snapshot", 1},
    {"unchanged", 1}, {"wait", 2},   {"gone", 2},    {"row", 4},     {"at", 4},
    {"cell", 0},      {"cursor", 3}, {"changes", 4}, {"file", 4},    {"files", 2},
    {"restored", 1},  {"exit", 2}};

// "N" or "FIRST-LAST"; a negative N counts back from `count`.
void span(const std::string& word, int count, int* first, int* last) {
    size_t dash = word.find('-', 1);
    *first = std::stoi(word);
    *last = dash == std::string::npos ? *first : std::stoi(word.substr(dash + 1));
    if (*first < 0) *first = *last = count + *first;
}

std::string describe(const e2e::Cell& c) {
    return "\"" + c.text + "\" fg=" + c.fg + " bg=" + c.bg + (c.bold ? " bold" : " -bold") +
           (c.reverse ? " reverse" : " -reverse");
}

class Runner {
  public:
    ~Runner() {
        for (const auto& reader : readers_)
            close(reader.second);
    }

    // Runs the script; failures are reported.
    void run(const std::string& name) {
        std::ifstream in(scripts_dir + "/" + name + ".screen");
        if (!in) ADD_FAILURE() << "cannot read the script " << name;
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            AssertionResult result = AssertionSuccess();
            try {
                w_ = split(line);
                if (w_.empty() || w_[0][0] == '#') continue;
                const size_t words = steps.count(w_[0]) ? steps.at(w_[0]) : 0;
                if (!steps.count(w_[0]) || (words && words != w_.size()))
                    throw std::invalid_argument("an unknown step or a wrong number of words");
                if (w_[0] == "start") since_start_.clear();
                since_start_.push_back(w_);
                result = step();
            } catch (const std::exception& e) {
                result = AssertionFailure() << "cannot read the line: " << e.what();
            }
            if (!result) {
                ADD_FAILURE() << name << ".screen:" << number << ": " << line << "\n"
                              << result.message();
                return;
            }
        }
    }

  private:
    int num(size_t i) const { return std::stoi(w_.at(i)); }
    AssertionResult wait(const std::function<bool()>& holds, const std::string& what) {
        return s_->wait_until(holds, what, timeout_);
    }

    AssertionResult step() {
        const std::string& c = w_[0];
        if (c == "size") {
            options_.rows = num(1);
            options_.cols = num(2);
        } else if (c == "env") {
            options_.env.insert(options_.env.end(), w_.begin() + 1, w_.end());
        } else if (c == "under") {
            options_.binary = scripts_dir + "/" + w_[1];
            options_.env.push_back(std::string("STGC_UNDER_TEST=") + STGC_BINARY);
        } else if (c == "timeout") {
            timeout_ = num(1);
        } else if (c == "write") {
            testing_support::write_file(dir_.file(w_[1]), w_[2]);
        } else if (c == "reader") {
            mkfifo(dir_.file(w_[1]).c_str(), 0666);
            readers_[w_[1]] = open(dir_.file(w_[1]).c_str(), O_RDONLY | O_NONBLOCK);
        } else if (c == "close") {
            close(readers_.at(w_[1]));
            readers_.erase(w_[1]);
        } else if (c == "start") {
            options_.cwd = dir_.path();
            s_.reset();
            s_.reset(new e2e::Session(options_));
        } else if (!s_) {
            return AssertionFailure() << "no session: `start` first";
        } else if (c == "press") {
            for (size_t i = 1; i < w_.size(); ++i) {
                size_t star = w_[i].rfind('*');
                bool repeat = star != std::string::npos && star > 0 && star + 1 < w_[i].size();
                for (int n = repeat ? std::stoi(w_[i].substr(star + 1)) : 1; n > 0; --n)
                    s_->press(w_[i].substr(0, repeat ? star : std::string::npos));
            }
        } else if (c == "type") {
            s_->type(w_[1]);
        } else if (c == "resize") {
            s_->resize(num(1), num(2));
        } else if (c == "signal") {
            int sig = 1;
            while (sig < NSIG && !(sigabbrev_np(sig) && w_[1] == sigabbrev_np(sig)))
                ++sig;
            if (sig == NSIG) throw std::invalid_argument("unknown signal " + w_[1]);
            s_->signal(sig);
        } else if (c == "settle") {
            return s_->settle(w_.size() > 1 ? num(1) : 150, timeout_);
        } else if (c == "storm") {
            // STGC_SOAK_KEYS and STGC_SOAK_SEED override the script's: a longer storm, a replay.
            const char* keys = getenv("STGC_SOAK_KEYS");
            const char* seed = getenv("STGC_SOAK_SEED");
            return storm(std::stoul(keys ? keys : w_[1]), std::stoul(seed ? seed : w_[2]));
        } else if (c == "snapshot" || c == "unchanged") {
            std::string screen; // texts and colours; not the clock's row, which runs on
            for (int r = 1; r < s_->rows(); ++r)
                for (int col = 0; col < s_->cols(); ++col)
                    screen += describe(s_->cell(r, col)) + (col + 1 < s_->cols() ? "|" : "\n");
            if (c == "snapshot") snapshot_ = screen;
            if (c == "unchanged" && screen != snapshot_)
                return AssertionFailure() << "the screen changed:\n" << s_->dump();
        } else {
            return check(*s_, c);
        }
        return AssertionSuccess();
    }

    // Random keys in bursts, typed ahead or one by one, and now and then a resize. Random typing
    // may reach File -> Exit: the program must have ended with status 0 and the pty's modes
    // restored (only the modes: a Ctrl-C in the storm may throw away output the emulator did
    // not read), and the storm goes on in a session started by the script's lines since `start`.
    AssertionResult storm(unsigned long keys, uint32_t seed) {
        std::cout << "storm: seed " << seed << ", " << keys << " keys" << std::endl;
        random_.seed(seed);
        for (unsigned long sent = 0; sent < keys;) {
            for (unsigned i = 1 + below(40); i > 0 && sent < keys; --i, ++sent) {
                random_key();
                if (below(60) == 0) random_resize();
                AssertionResult alive = carry_on();
                if (!alive) return alive << " (after " << sent << " keys)";
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(below(25)));
            s_->pump();
        }
        // Out of whatever form or pull-down the storm left open, back to the bar.
        s_->resize(24, 80);
        (void)s_->settle(300, 2000);
        for (int i = 0; i < 6; ++i) {
            AssertionResult alive = carry_on();
            if (!alive) return alive;
            s_->press("Esc");
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            s_->pump();
        }
        return carry_on();
    }

    AssertionResult carry_on() {
        if (!s_->exited()) return AssertionSuccess();
        s_->wait_exit(timeout_); // the end is expected
        if (s_->exit_status() != 0)
            return AssertionFailure() << "exit status " << s_->exit_status();
        AssertionResult result = s_->modes_restored();
        std::cout << "storm: File -> Exit reached, a new session" << std::endl;
        for (size_t i = 0; result && i + 1 < since_start_.size(); ++i) {
            w_ = since_start_[i];
            result = step();
        }
        return result;
    }

    // std::mt19937 is the same everywhere, the standard's distributions are not: plain remainders.
    unsigned below(unsigned n) { return static_cast<unsigned>(random_() % n); }

    // Printable, control, named and function keys, bytes above 127; now and then a phrase that
    // starts a generation.
    void random_key() {
        static const char* const named[] = {
            "Up",    "Down",   "Left",     "Right",     "Enter", "Esc",   "Esc",
            "Tab",   "Insert", "Delete",   "Home",      "End",   "Erase", "Kill",
            "Space", "PageUp", "PageDown", "Backspace", "Enter", "Down",  "Up"};
        static const char hot[] = "fFsSeEhHlLmMtTgGcCaAbBiI"; // hot keys somewhere in the tree
        const unsigned pick = below(100);
        if (pick < 3) {
            s_->type("sg" + std::to_string(3 + below(18)) + "\r\r");
        } else if (pick < 33) {
            char c = static_cast<char>(' ' + below(95));
            s_->type(std::string(1, c == '/' ? '.' : c)); // every file lands in the directory
        } else if (pick < 43) {
            s_->type(std::string(1, "0123456789,"[below(11)]));
        } else if (pick < 51) {
            s_->type(std::string(1, hot[below(sizeof hot - 1)]));
        } else if (pick < 82) {
            s_->press(named[below(sizeof named / sizeof named[0])]);
        } else if (pick < 87) {
            s_->press("F" + std::to_string(1 + below(12)));
        } else if (pick < 97) {
            // Not Ctrl-S and Ctrl-Q: while a Ctrl-Z hands the terminal back its own modes,
            // Ctrl-S stops the output as in any shell, until a Ctrl-Q.
            char c = static_cast<char>(below(30));
            c += c >= 0x11; // past Ctrl-Q
            c += c >= 0x13; // past Ctrl-S
            s_->type(std::string(1, c));
        } else {
            s_->type(std::string(1, static_cast<char>(0x80 + below(128))));
        }
    }

    // Below the smallest layout now and then, sometimes very wide.
    void random_resize() {
        const unsigned pick = below(10);
        const int rows = pick < 2 ? 1 + int(below(7)) : 8 + int(below(pick < 4 ? 20 : 50));
        const int cols = pick < 2   ? 1 + int(below(120))
                         : pick < 3 ? 250 + int(below(60))
                                    : 32 + int(below(170));
        s_->resize(rows, cols);
    }

    AssertionResult check(e2e::Session& s, const std::string& c) {
        if (c == "wait" || c == "gone") {
            bool shown = c == "wait";
            return wait([&] { return s.contains(w_[1]) == shown; },
                        "\"" + w_[1] + (shown ? "\" on the screen" : "\" gone"));
        }
        if (c == "row") {
            int first, last;
            span(w_[1], s.rows(), &first, &last);
            return wait(
                [&] {
                    for (int r = first; r <= last; ++r)
                        if (!compare(trim_end(s.row(r)), w_[2], w_[3])) return false;
                    return true;
                },
                "row " + w_[1] + " " + w_[2] + " \"" + w_[3] + "\"");
        }
        if (c == "file") {
            const std::string path = dir_.file(w_[1]);
            AssertionResult result = wait([&] { return compare(read_file(path), w_[2], w_[3]); },
                                          w_[1] + " " + w_[2] + " \"" + w_[3] + "\"");
            if (!result) result << w_[1] << " holds:\n" << read_file(path);
            return result;
        }
        if (c == "files")
            return wait([&] { return testing_support::listing(dir_.path()) == w_[1]; },
                        "the files \"" + w_[1] + "\"");
        if (c == "cell") return cells(s);
        if (c == "restored") return s.terminal_restored();
        if (c == "exit") {
            AssertionResult ended = s.wait_exit(timeout_);
            if (!ended) return ended;
            if (s.exit_status() != num(1))
                return AssertionFailure() << "exit status " << s.exit_status();
            return s.terminal_restored();
        }
        int r = 0;
        span(w_[1], s.rows(), &r, &r);
        const int col = num(2);
        if (c == "at") {
            const int length = static_cast<int>(characters(w_[3]));
            return wait([&] { return s.text_at(r, col, length) == w_[3]; },
                        "\"" + w_[3] + "\" at " + w_[1] + ", " + w_[2]);
        }
        if (c == "cursor")
            return wait(
                [&] { return s.cursor_visible() && s.cursor_row() == r && s.cursor_col() == col; },
                "the cursor at " + w_[1] + ", " + w_[2]);
        // changes
        const int length = num(3);
        const std::string before = s.text_at(r, col, length);
        return wait([&] { return s.text_at(r, col, length) != before; },
                    "\"" + before + "\" to change");
    }

    AssertionResult cells(e2e::Session& s) {
        if (w_.size() < 4) throw std::invalid_argument("a cell needs a position and attributes");
        int top, bottom, first, last;
        span(w_[1], s.rows(), &top, &bottom);
        span(w_[2], s.cols(), &first, &last);
        int r = top, col = first;
        // Every attribute named is a word of the cell's description.
        auto fits = [&] {
            const std::string words = describe(s.cell(r, col)) + " ";
            for (size_t i = 3; i < w_.size(); ++i)
                if (words.find(" " + w_[i] + " ") == std::string::npos) return false;
            return true;
        };
        AssertionResult result = wait(
            [&] {
                for (r = top; r <= bottom; ++r)
                    for (col = first; col <= last; ++col)
                        if (!fits()) return false;
                return true;
            },
            "the cells' attributes");
        if (!result)
            result << "row " << r << ", column " << col << ": " << describe(s.cell(r, col));
        return result;
    }

    std::vector<std::string> w_;                        // the words of the line being run
    std::vector<std::vector<std::string>> since_start_; // the lines from the last `start` on
    std::mt19937 random_;
    testing_support::TempDir dir_;
    e2e::Options options_;
    std::unique_ptr<e2e::Session> s_;
    int timeout_ = 5000;
    std::string snapshot_;
    std::map<std::string, int> readers_;
};

class Script : public testing::TestWithParam<std::string> {};

TEST_P(Script, Runs) {
    Runner().run(GetParam());
}

INSTANTIATE_TEST_SUITE_P(E2e, Script, testing::ValuesIn(script_names()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return info.param;
                         });

} // namespace
