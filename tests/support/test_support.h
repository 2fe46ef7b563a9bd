// Fixtures shared by the unit tests: temporary directories, file helpers, captured messages
// and scripted answers to prompts.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "tui/ui.h"

namespace testing_support {

// The good 8-head code of 28 runs that the tests use throughout, and the initial disk dimensions.
extern const std::vector<int> known_good;
extern const float initial_geometry[5];

// A fresh directory under $TMPDIR (or /tmp), removed with its contents on destruction.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Whole-file helpers; read_file returns an empty string for a missing file.
std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& contents);
bool file_exists(const std::string& path);
// The names in a directory, hidden ones included, sorted, one per line.
std::string listing(const std::string& dir);

// Compares `actual` with the golden file tests/data/<name>. With STGC_UPDATE_GOLDEN=1 in the
// environment the golden file is rewritten instead (review the difference before committing).
void expect_golden(const std::string& actual, const std::string& name);

// Runs a shell command and returns its exit status (-1 if it could not run); stdout and stderr
// are collected into `output` when it is given.
int run_command(const std::string& command, std::string* output = nullptr);

// While alive, headless messages are collected here instead of going to standard output.
class MessageLog {
  public:
    MessageLog();
    ~MessageLog();
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;
    const std::string& body() const { return log_.body; }
    void clear() { log_ = headless_log{}; }

  private:
    headless_log log_;
    headless_log* previous_;
};

// While alive, prompts (getstrings/getfname) are answered from a queue. Each answer gives the
// texts of the form's fields in order (a missing text leaves the field as it is), or Esc.
// The prompts asked and the texts they offered are recorded.
class ScriptedPrompts {
  public:
    ScriptedPrompts();
    ~ScriptedPrompts();
    ScriptedPrompts(const ScriptedPrompts&) = delete;
    ScriptedPrompts& operator=(const ScriptedPrompts&) = delete;

    void answer(std::vector<std::string> fields);
    void answer(const std::string& field) { answer(std::vector<std::string>{field}); }
    void escape();

    // The prompts asked since the last call, one line each: first label, offered text, width.
    std::string newly_asked();

  private:
    struct Answer {
        bool escape = false;
        std::vector<std::string> fields;
    };
    static int form(const char* const* labels, char** values, int field);
    static ScriptedPrompts* current_;
    std::deque<Answer> queue_;
    std::string asked_; // not yet reported
    ui_backend backend_{};
    const ui_backend* previous_;
};

} // namespace testing_support
