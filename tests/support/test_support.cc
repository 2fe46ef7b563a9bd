#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testing_support {

const std::vector<int> known_good = {10, 3, 5, 18, 14, 3,  4, 8, 6,  6, 5,  6, 10, 3,
                                     13, 4, 5, 12, 4,  13, 4, 4, 11, 4, 12, 5, 9,  23};
const float initial_geometry[5] = {180, 150, 24, 46, 12};

TempDir::TempDir() {
    const char* base = getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/stgc-test-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
    path_ = buf.data();
}

TempDir::~TempDir() {
    // Tests may leave read-only files and directories behind; make them removable first.
    std::string cmd = "chmod -R u+rwx '" + path_ + "' 2>/dev/null; rm -rf '" + path_ + "'";
    if (system(cmd.c_str()) != 0) {
        // Nothing to do: a leftover temporary directory is harmless.
    }
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void write_file(const std::string& path, const std::string& contents) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
}

bool file_exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

std::string listing(const std::string& dir) {
    std::string out;
    run_command("LC_ALL=C ls -A '" + dir + "'", &out);
    return out;
}

void expect_golden(const std::string& actual, const std::string& name) {
    const std::string path = std::string(STGC_SOURCE_DIR) + "/tests/data/" + name;
    const char* update = getenv("STGC_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") write_file(path, actual);
    EXPECT_EQ(actual, read_file(path)) << "golden file " << name;
}

int run_command(const std::string& command, std::string* output) {
    std::string full = command + " 2>&1";
    FILE* pipe = popen(full.c_str(), "r");
    if (!pipe) return -1;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0)
        if (output) output->append(chunk, got);
    int status = pclose(pipe);
    if (status == -1) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

MessageLog::MessageLog() : previous_(set_headless_log(&log_)) {}

MessageLog::~MessageLog() { set_headless_log(previous_); }

ScriptedPrompts* ScriptedPrompts::current_ = nullptr;

ScriptedPrompts::ScriptedPrompts() {
    backend_.form = &ScriptedPrompts::form;
    previous_ = set_ui_backend(&backend_);
    current_ = this;
}

ScriptedPrompts::~ScriptedPrompts() {
    set_ui_backend(previous_);
    current_ = nullptr;
}

void ScriptedPrompts::answer(std::vector<std::string> fields) {
    queue_.push_back(Answer{false, std::move(fields)});
}

void ScriptedPrompts::escape() { queue_.push_back(Answer{true, {}}); }

int ScriptedPrompts::form(const char* const* labels, char** values, int field) {
    ScriptedPrompts* self = current_;
    if (self)
        self->asked_ += std::string(labels[0]) + " [" + (values[0] ? values[0] : "") + "] " +
                        std::to_string(field) + "\n";
    if (!self || self->queue_.empty()) return 27; // nobody answers: as if Esc was pressed
    Answer a = self->queue_.front();
    self->queue_.pop_front();
    if (a.escape) return 27;
    for (size_t i = 0; i < a.fields.size() && labels[i]; ++i) {
        // The line editor keeps at most field - 1 characters; so does the script.
        std::string text = a.fields[i].substr(0, field > 0 ? static_cast<size_t>(field - 1) : 0);
        memcpy(values[i], text.c_str(), text.size() + 1);
    }
    return 10;
}

std::string ScriptedPrompts::newly_asked() {
    std::string lines;
    lines.swap(asked_);
    return lines;
}

} // namespace testing_support
