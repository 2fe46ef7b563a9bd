// Screen scripts: every tests/e2e/scripts/<name>.screen runs the real program in a pty as one
// test, E2e/Script.Runs/<name>. A script reads like the screen it expects, one step a line:
//
//   # comment
//   size 24 80 | locale NAME | term NAME | env NAME=value   how the next `start` runs
//   needs-locale NAME                      skip the script where the locale is missing
//   localedef NAME INPUT CHARMAP           build a locale for the script, skip if impossible
//   under FILE                             run scripts/FILE instead, with $STGC_UNDER_TEST
//   timeout MS                             of the checks that follow (default 5000)
//   write NAME "text"                      a file in the session's directory
//   reader NAME / close NAME               a FIFO there opened for reading (never read) / closed
//   start                                  start (again: a new session, same directory)
//   press KEY ...                          key names as in the harness; KEY*N repeats
//   type "text"                            bytes as typed
//   resize ROWS COLS | signal TERM|HUP|INT|QUIT|USR1|ALRM | settle [MS]
//   snapshot / unchanged                   rows 1 to the last, texts and colours, as they were
//   storm KEYS SEED                        random keys and resizes, then back to the bar
// Checks wait until they hold and fail with the screen after the timeout:
//   wait "text" / gone "text"              the screen shows / no longer shows the text
//   row N = "text"                         the row, spaces at its end cut, is the text
//   row N ~ "text" / row N !~ "text"       the row contains / does not contain the text
//   row N =~ "regex"                       the row, end spaces cut, matches (POSIX extended)
//   at ROW COL "text"                      the text stands at the position
//   cell ROW COL fg=C bg=C bold -bold reverse -reverse   every attribute named holds
//   cursor ROW COL                         the visible cursor stands there
//   changes ROW COL LENGTH                 the text there changes (the clock runs)
//   file NAME = "text" / file NAME ~ "text" / file NAME absent
//   files "text"                           the directory holds these names (ls -A), no others
//   restored                               the terminal is as the program found it
//   exit STATUS                            the program ended so, the terminal restored
// Rows and columns count from 0; a negative row counts from the bottom (-1 is the status
// line); `row` and `cell` take ranges such as 2-21. Strings take \n \r \t \e \\ \" and \xHH;
// any other backslash stays, for regular expressions.
#include <dirent.h>
#include <fcntl.h>
#include <regex.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdlib>
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
    if (DIR* dir = opendir(scripts_dir.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name.size() > 7 && name.compare(name.size() - 7, 7, ".screen") == 0)
                names.push_back(name.substr(0, name.size() - 7));
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A line's words; a quoted string is one word, escapes resolved.
std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> words;
    for (size_t i = 0; i < line.size();) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
        } else if (line[i] != '"') {
            size_t end = line.find_first_of(" \t", i);
            words.push_back(line.substr(i, end - i));
            i = end == std::string::npos ? line.size() : end;
        } else {
            std::string word;
            for (++i; i < line.size() && line[i] != '"'; ++i) {
                if (line[i] != '\\' || i + 1 == line.size()) {
                    word += line[i];
                    continue;
                }
                char e = line[++i];
                if (e == 'x' && i + 2 < line.size()) {
                    word += static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16));
                    i += 2;
                } else {
                    static const std::string from = "nrte\\\"", to = "\n\r\t\x1b\\\"";
                    size_t k = from.find(e);
                    if (k == std::string::npos) word += '\\'; // kept for regular expressions
                    word += k == std::string::npos ? e : to[k];
                }
            }
            if (i >= line.size()) throw std::invalid_argument("unterminated string");
            words.push_back(word);
            ++i;
        }
    }
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

bool matches(const std::string& text, const std::string& pattern) {
    regex_t re;
    if (regcomp(&re, ("^(" + pattern + ")$").c_str(), REG_EXTENDED | REG_NOSUB) != 0)
        throw std::invalid_argument("bad regular expression");
    bool found = regexec(&re, text.c_str(), 0, nullptr, 0) == 0;
    regfree(&re);
    return found;
}

// "N" or "FIRST-LAST"; a negative N counts back from `count`.
void span(const std::string& word, int count, int* first, int* last) {
    size_t dash = word.find('-', 1);
    *first = std::stoi(word);
    *last = dash == std::string::npos ? *first : std::stoi(word.substr(dash + 1));
    if (*first < 0) *first = *last = count + *first;
}

std::string describe(const e2e::Cell& c) {
    return "\"" + c.text + "\" fg=" + e2e::color_name(c.fg) + " bg=" + e2e::color_name(c.bg) +
           (c.bold ? " bold" : " -bold") + (c.reverse ? " reverse" : " -reverse");
}

class Runner {
  public:
    ~Runner() {
        for (const auto& reader : readers_)
            close(reader.second);
    }

    // Runs the script; failures are reported, a reason to skip is returned.
    std::string run(const std::string& name) {
        std::ifstream in(scripts_dir + "/" + name + ".screen");
        if (!in) ADD_FAILURE() << "cannot read the script " << name;
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            AssertionResult result = AssertionSuccess();
            try {
                w_ = split(line);
                if (w_.empty() || w_[0][0] == '#') continue;
                if (w_[0] == "start") since_start_.clear();
                since_start_.push_back(w_);
                result = step();
            } catch (const std::exception& e) {
                result = AssertionFailure() << "cannot read the line: " << e.what();
            }
            if (!skip_.empty()) return skip_;
            if (!result) {
                ADD_FAILURE() << name << ".screen:" << number << ": " << line << "\n"
                              << result.message();
                return "";
            }
        }
        return "";
    }

  private:
    void arity(size_t n) const {
        if (w_.size() != n) throw std::invalid_argument("wrong number of words");
    }
    int num(size_t i) const { return std::stoi(w_.at(i)); }
    AssertionResult wait(const std::function<bool()>& holds, const std::string& what) {
        return s_->wait_until(holds, what, timeout_);
    }

    AssertionResult step() {
        const std::string& c = w_[0];
        if (c == "size") {
            arity(3);
            options_.rows = num(1);
            options_.cols = num(2);
        } else if (c == "locale" || c == "term") {
            arity(2);
            (c == "locale" ? options_.locale : options_.term) = w_[1];
        } else if (c == "env") {
            arity(2);
            options_.env.push_back(w_[1]);
        } else if (c == "needs-locale") {
            arity(2);
            if (!setlocale(LC_ALL, w_[1].c_str())) skip_ = w_[1] + " is not installed";
            setlocale(LC_ALL, "C");
        } else if (c == "localedef") {
            arity(4);
            if (testing_support::run_command("localedef -f " + w_[3] + " -i " + w_[2] + " '" +
                                             locales_.file(w_[1]) + "'") != 0)
                skip_ = "localedef cannot build " + w_[1];
            options_.locale = w_[1];
            options_.env.push_back("LOCPATH=" + locales_.path());
        } else if (c == "under") {
            arity(2);
            options_.binary = scripts_dir + "/" + w_[1];
            options_.env.push_back(std::string("STGC_UNDER_TEST=") + STGC_BINARY);
        } else if (c == "timeout") {
            arity(2);
            timeout_ = num(1);
        } else if (c == "write") {
            arity(3);
            testing_support::write_file(dir_.file(w_[1]), w_[2]);
        } else if (c == "reader") {
            arity(2);
            mkfifo(dir_.file(w_[1]).c_str(), 0666);
            readers_[w_[1]] = open(dir_.file(w_[1]).c_str(), O_RDONLY | O_NONBLOCK);
        } else if (c == "close") {
            arity(2);
            close(readers_.at(w_[1]));
            readers_.erase(w_[1]);
        } else if (c == "start") {
            arity(1);
            options_.cwd = dir_.path();
            s_.reset();
            s_.reset(new e2e::Session(options_));
        } else if (!s_) {
            return AssertionFailure() << "no session: `start` first";
        } else if (c == "press") {
            for (size_t i = 1; i < w_.size(); ++i) {
                size_t star = w_[i].rfind('*');
                bool repeat = star != std::string::npos && star > 0 && star + 1 < w_[i].size();
                s_->press(w_[i].substr(0, repeat ? star : std::string::npos),
                          repeat ? std::stoi(w_[i].substr(star + 1)) : 1);
            }
        } else if (c == "type") {
            arity(2);
            s_->type(w_[1]);
        } else if (c == "resize") {
            arity(3);
            s_->resize(num(1), num(2));
        } else if (c == "signal") {
            arity(2);
            static const std::map<std::string, int> numbers = {
                {"TERM", SIGTERM}, {"HUP", SIGHUP},   {"INT", SIGINT},
                {"QUIT", SIGQUIT}, {"USR1", SIGUSR1}, {"ALRM", SIGALRM}};
            s_->signal(numbers.at(w_[1]));
        } else if (c == "settle") {
            return s_->settle(w_.size() > 1 ? num(1) : 150, timeout_);
        } else if (c == "storm") {
            // STGC_SOAK_KEYS and STGC_SOAK_SEED override the script's: a longer storm, a replay.
            arity(3);
            const char* keys = getenv("STGC_SOAK_KEYS");
            const char* seed = getenv("STGC_SOAK_SEED");
            return storm(std::stoul(keys ? keys : w_[1]), std::stoul(seed ? seed : w_[2]));
        } else if (c == "snapshot" || c == "unchanged") {
            arity(1);
            std::string screen; // texts and colours; not the clock's row, which runs on
            for (int r = 1; r < s_->rows(); ++r)
                for (int col = 0; col < s_->cols(); ++col)
                    screen += describe(s_->cell(r, col)) + (col + 1 < s_->cols() ? "|" : "\n");
            if (c == "snapshot") snapshot_ = screen;
            if (c == "unchanged" && screen != snapshot_)
                return AssertionFailure() << "the screen changed:\n" << s_->screen();
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
        AssertionResult result = s_->wait_exit(timeout_);
        if (s_->exit_status() != 0)
            return AssertionFailure() << "exit status " << s_->exit_status();
        result = s_->modes_restored();
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
            s_->press("s");
            s_->press("g");
            s_->type(std::to_string(3 + below(18)));
            s_->press("Enter", 2);
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
            char c;
            do
                c = static_cast<char>(below(32));
            while (c == 0x11 || c == 0x13);
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
            arity(2);
            bool shown = c == "wait";
            return wait([&] { return s.contains(w_[1]) == shown; },
                        "\"" + w_[1] + (shown ? "\" on the screen" : "\" gone"));
        }
        if (c == "row") {
            arity(4);
            int first, last;
            span(w_[1], s.rows(), &first, &last);
            const std::string &op = w_[2], &text = w_[3];
            if (op != "=" && op != "~" && op != "!~" && op != "=~")
                throw std::invalid_argument("unknown comparison " + op);
            auto holds = [&](const std::string& row) {
                if (op == "=") return trim_end(row) == text;
                if (op == "=~") return matches(trim_end(row), text);
                return (row.find(text) != std::string::npos) == (op == "~");
            };
            return wait(
                [&] {
                    for (int r = first; r <= last; ++r)
                        if (!holds(s.row(r))) return false;
                    return true;
                },
                "row " + w_[1] + " " + op + " \"" + text + "\"");
        }
        if (c == "cell") return cells(s);
        if (c == "file") return file();
        if (c == "files") {
            arity(2);
            std::string names;
            return wait(
                [&] {
                    testing_support::run_command("cd '" + dir_.path() + "' && LC_ALL=C ls -A",
                                                 &names);
                    return names == w_[1];
                },
                "the files \"" + w_[1] + "\"");
        }
        if (c == "restored") return s.terminal_restored();
        int r = 0;
        if (c == "at" || c == "cursor" || c == "changes") span(w_.at(1), s.rows(), &r, &r);
        if (c == "at") {
            arity(4);
            const int col = num(2), length = static_cast<int>(characters(w_[3]));
            return wait([&] { return s.text_at(r, col, length) == w_[3]; },
                        "\"" + w_[3] + "\" at " + w_[1] + ", " + w_[2]);
        }
        if (c == "cursor") {
            arity(3);
            const int col = num(2);
            return wait(
                [&] { return s.cursor_visible() && s.cursor_row() == r && s.cursor_col() == col; },
                "the cursor at " + w_[1] + ", " + w_[2]);
        }
        if (c == "changes") {
            arity(4);
            const int col = num(2), length = num(3);
            const std::string before = s.text_at(r, col, length);
            return wait([&] { return s.text_at(r, col, length) != before; },
                        "\"" + before + "\" to change");
        }
        if (c == "exit") {
            arity(2);
            AssertionResult ended = s.wait_exit(timeout_);
            if (!ended) return ended;
            if (s.exit_status() != num(1))
                return AssertionFailure() << "exit status " << s.exit_status();
            return s.terminal_restored();
        }
        throw std::invalid_argument("unknown command " + c);
    }

    AssertionResult cells(e2e::Session& s) {
        if (w_.size() < 4) throw std::invalid_argument("a cell needs a position and attributes");
        int top, bottom, first, last;
        span(w_[1], s.rows(), &top, &bottom);
        span(w_[2], s.cols(), &first, &last);
        auto fits = [&](const e2e::Cell& cell, const std::string& a) {
            if (a.compare(0, 3, "fg=") == 0) return e2e::color_name(cell.fg) == a.substr(3);
            if (a.compare(0, 3, "bg=") == 0) return e2e::color_name(cell.bg) == a.substr(3);
            bool want = a[0] != '-';
            if (a.substr(!want) == "bold") return cell.bold == want;
            if (a.substr(!want) == "reverse") return cell.reverse == want;
            throw std::invalid_argument("unknown attribute " + a);
        };
        int r = top, col = first;
        AssertionResult result = wait(
            [&] {
                for (r = top; r <= bottom; ++r)
                    for (col = first; col <= last; ++col)
                        for (size_t i = 3; i < w_.size(); ++i)
                            if (!fits(s.cell(r, col), w_[i])) return false;
                return true;
            },
            "the cells' attributes");
        if (!result)
            result << "row " << r << ", column " << col << ": " << describe(s.cell(r, col));
        return result;
    }

    AssertionResult file() {
        const std::string path = dir_.file(w_.at(1));
        if (w_.size() == 3 && w_[2] == "absent")
            return wait([&] { return !testing_support::file_exists(path); }, w_[1] + " absent");
        if (w_.size() != 4 || (w_[2] != "=" && w_[2] != "~"))
            throw std::invalid_argument("file NAME = \"text\", ~ \"text\" or absent");
        AssertionResult result = wait(
            [&] {
                std::string text = read_file(path);
                return w_[2] == "=" ? text == w_[3] : text.find(w_[3]) != std::string::npos;
            },
            w_[1] + " " + w_[2] + " \"" + w_[3] + "\"");
        if (!result) result << w_[1] << " holds:\n" << read_file(path);
        return result;
    }

    std::vector<std::string> w_;                        // the words of the line being run
    std::vector<std::vector<std::string>> since_start_; // the lines from the last `start` on
    std::mt19937 random_;
    testing_support::TempDir dir_, locales_;
    e2e::Options options_;
    std::unique_ptr<e2e::Session> s_;
    int timeout_ = 5000;
    std::string snapshot_, skip_;
    std::map<std::string, int> readers_;
};

class Script : public testing::TestWithParam<std::string> {};

TEST_P(Script, Runs) {
    std::string skip = Runner().run(GetParam());
    if (!skip.empty()) GTEST_SKIP() << skip;
}

INSTANTIATE_TEST_SUITE_P(E2e, Script, testing::ValuesIn(script_names()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return info.param;
                         });

} // namespace
