// Writing a finished output file without ever leaving a half-written one where the user's
// file was. Every writer formats its whole file into a string and hands it here.
#pragma once

#include <string>

struct output_result {
    bool ok = false;
    bool opened = false; // false: the file could not be opened or created
    int error = 0;       // errno of the failure
};

// Writes `contents` to `path`. A regular file (or a new one) is written to a temporary file
// beside it and renamed into place only after a successful close, keeping the old file's
// permissions; a symbolic link keeps pointing where it pointed and its target is replaced;
// a FIFO or a device is written as it is (a FIFO without a reader fails instead of hanging).
output_result write_output_file(const char* path, const std::string& contents);

// True when the two paths name one file, whether or not it exists yet: symbolic links are
// followed (also a link to a file not yet created), "." and ".." resolved, existing files
// compared by identity.
bool same_file(const char* a, const char* b);
// Removes the temporary file of a write in progress, if any. Async-signal-safe: signal
// handlers call it before the program ends.
void remove_pending_output();

// Lets a front end name the standard streams "-": write_output_file then writes "-" to
// standard output and read_code_file reads it from standard input. Off by default, so that
// in the interactive program "-" is a file name like any other.
void use_dash_for_standard_streams(bool on);
bool dash_is_standard_stream(const char* path);

// The message-pane line for a failed write: "Can't open file!\n" when it could not be opened,
// otherwise "Can't write file! (<reason>)\n". Empty when the write succeeded.
std::string output_failure_message(const output_result& result);
