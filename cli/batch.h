// The stgc-batch front end: a table of subcommands over the library calls the menus use.
// This layer parses options and reports; the jobs themselves live in code/, gen/ and export/.
#pragma once

#include <string>
#include <vector>

#include <CLI/CLI.hpp>

// Exit statuses, as grep and diff use them.
constexpr int exit_done = 0;
constexpr int exit_no = 1;    // a clean "no": a bad code, no code found
constexpr int exit_usage = 2; // a usage or file error

// Prints "stgc-batch: <what>: <reason>" on standard error and returns `status`.
int fail(int status, const std::string& what, const std::string& reason);

// A path as messages name it: "-" is standard input or output.
std::string stream_name(const std::string& path, bool input = false);

// Message lines (search lines, informational lines, refusals) and progress: kept for
// last_message(), and shown on standard error with --verbose.
void set_verbose(bool on);
// The last message line, without its "Error: " lead: the reason of a refusal.
std::string last_message();
// Test verdicts and the like go to standard output instead.
void messages_to_stdout();

// Ctrl-C: the first asks the running job to stop (it polls the cancel hook); a second one, or
// a termination signal, ends the program at once, leaving no temporary file behind.
void install_batch_signals();
bool interrupted();
// A job that turned a Ctrl-C into a clean ending of its own (it kept its best result).
void forget_interrupt();

// Reads and parses a code file ("-": standard input). Returns exit_done and fills `runs`, or
// reports the failure, naming the file, and returns its exit status.
int load_code(const std::string& path, std::vector<int>& runs);

// Refuses (exit_usage) an output that names the same file as an input or another output.
int check_distinct(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs);

// Accepts a finite number above zero (a size in millimetres).
extern const CLI::Validator positive_size;

// One subcommand: its name, what --help says of it, the options it adds, and the job.
struct batch_command {
    const char* name;
    const char* help;
    void (*setup)(CLI::App& sub);
    int (*run)();
};
extern const batch_command generate_command;
extern const batch_command test_command;
extern const batch_command info_command;
extern const batch_command export_command;
