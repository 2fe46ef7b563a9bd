#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "cli/batch.h"
#include "code/code_file.h"
#include "code/decoder.h"
#include "code/output_file.h"
#include "code/runlist.h"
#include "tui/ui.h"

namespace {

volatile sig_atomic_t interrupts = 0;
bool verbose = false;
std::string said; // the message lines of the running job

void to_stdout(const char* text) {
    fputs(text, stdout);
}
void kept(const char* text) {
    said += text;
    if (verbose) fputs(text, stderr);
}
void status_line(const char* text) {
    if (verbose && *text) fprintf(stderr, "%s\n", text);
}
void nowhere(const char*) {}
int no_form(const char* const*, char**, int) {
    return 27;
}
bool cancel_poll() {
    return interrupts > 0;
}
void no_progress(const char* what, int percent) {
    if (verbose) fprintf(stderr, "%s: %i%%\n", what, percent);
}

ui_backend backend = {kept,    status_line, nowhere,     nowhere,
                      no_form, cancel_poll, no_progress, nullptr};

void die_cleanly(int sig) {
    remove_pending_output();
    signal(sig, SIG_DFL);
    raise(sig);
}

void on_interrupt(int sig) {
    if (++interrupts > 1) die_cleanly(sig);
}

} // namespace

const CLI::Validator positive_size(
    [](std::string& text) -> std::string {
        double value = 0;
        if (!CLI::detail::lexical_cast(text, value) || !std::isfinite(value) || value <= 0)
            return "must be a positive number of millimetres, not " + text;
        return "";
    },
    "MM");

std::string stream_name(const std::string& path, bool input) {
    if (path != "-") return path;
    return input ? "standard input" : "standard output";
}

int fail(int status, const std::string& what, const std::string& reason) {
    fflush(stdout);
    fprintf(stderr, "stgc-batch: %s: %s\n", what.c_str(), reason.c_str());
    return status;
}

void set_verbose(bool on) {
    verbose = on;
}

std::string last_message() {
    std::string text = said;
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    const size_t start = text.rfind('\n');
    text = start == std::string::npos ? text : text.substr(start + 1);
    for (const char* prefix : {"Error: ", "ERROR: "})
        if (text.compare(0, strlen(prefix), prefix) == 0) text.erase(0, strlen(prefix));
    return text;
}

void messages_to_stdout() {
    backend.body = to_stdout;
    set_ui_backend(&backend);
}

void install_batch_signals() {
    set_ui_backend(&backend);
    use_dash_for_standard_streams(true);
    // A reader that goes away is a write error of its own, not the end of the program.
    signal(SIGPIPE, SIG_IGN);
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    action.sa_handler = on_interrupt;
    sigaction(SIGINT, &action, nullptr);
    action.sa_handler = die_cleanly;
    for (int sig : {SIGTERM, SIGHUP, SIGQUIT})
        sigaction(sig, &action, nullptr);
}

void forget_interrupt() {
    interrupts = 0;
}

bool interrupted() {
    return interrupts > 0;
}

int load_code(const std::string& path, std::vector<int>& runs) {
    const std::string name = stream_name(path, true);
    code_file_text file = read_code_file(path.c_str());
    switch (file.status) {
    case read_status::ok:
        break;
    case read_status::cant_open:
        return fail(exit_usage, name, strerror(file.error));
    case read_status::not_regular:
        return fail(exit_usage, name, "not a regular file");
    case read_status::too_large:
        return fail(exit_usage, name, "too large for a code file");
    case read_status::read_error:
        return fail(exit_usage, name, strerror(file.error));
    case read_status::no_memory:
        return fail(exit_usage, name, "not enough memory");
    }
    int* list = nullptr;
    try {
        list = parse_runlist(file.text.c_str());
    } catch (const std::bad_alloc&) {
        return fail(exit_usage, name, "not enough memory");
    }
    if (!list) return fail(exit_usage, name, "a number above 2147483647 is no run length");
    runs = runs_of(list);
    delete[] list;
    return exit_done;
}

int check_distinct(const std::vector<std::string>& inputs,
                   const std::vector<std::string>& outputs) {
    for (size_t i = 0; i < outputs.size(); ++i) {
        if (outputs[i] == "-") continue;
        for (const std::string& input : inputs)
            if (input != "-" && same_file(outputs[i].c_str(), input.c_str()))
                return fail(exit_usage, outputs[i], "names the input file " + input);
        for (size_t j = 0; j < i; ++j)
            if (outputs[j] != "-" && same_file(outputs[i].c_str(), outputs[j].c_str()))
                return fail(exit_usage, outputs[i], "names the same file as " + outputs[j]);
    }
    return exit_done;
}
