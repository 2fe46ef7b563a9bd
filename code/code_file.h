// Code files on disk: reading one whole for Load, writing a run list for Save.
#pragma once

#include <cstdint>
#include <string>

#include "code/output_file.h"

enum class read_status {
    ok,
    cant_open,   // no such file, no permission, ...
    not_regular, // a directory, FIFO, device or socket: may block or never end
    too_large,   // more bytes than a 32-bit signed count holds
    read_error,  // the read itself failed
    no_memory,   // the file does not fit memory
};

struct code_file_text {
    read_status status = read_status::cant_open;
    int64_t size = -1; // the bytes read; for a file refused unread, the size it reports
    int error = 0;     // errno of a failed open or read
    std::string text;  // the file's bytes (ok only)
};

// The largest code file Load accepts, in bytes.
constexpr int64_t max_code_file_size = 2147483647;

// Reads the regular file at `path` to its end, whatever size it reports, up to
// max_code_file_size bytes. Never blocks on a FIFO or device: they are refused after a
// non-blocking open.
code_file_text read_code_file(const char* path);

// Writes the run list in the code file form to `path` (see write_output_file).
output_result save_code_file(const int* runs, const char* path);
