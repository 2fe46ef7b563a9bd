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

// The message-pane line for a failed write: "Can't open file!\n" when it could not be opened,
// otherwise "Can't write file! (<reason>)\n". Empty when the write succeeded.
std::string output_failure_message(const output_result& result);
