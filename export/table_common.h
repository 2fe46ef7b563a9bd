// What the decoder table and the text table share: the checks a run list must pass before a
// table is made (with the informational lines they print), the refusal lines, the writing of
// the file and the right-aligned number layout.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "code/output_file.h"
#include "code/progress.h"
#include "code/track.h"

// Why a table was not written; ok when it was made.
enum class table_status {
    ok,
    bad_runs,        // a run length below 1
    no_heads,        // no runs, or (decoder table) r does not divide Q
    quality_too_big, // Q above the largest int
    too_many_heads,  // the reading does not fit the index of a decoder table
    same_codes,      // two rotations read alike
    no_memory,       // the table does not fit the memory of the machine
    too_large,       // more than any target holds; the check prints why, with the sizes
    write_failed,    // the file could not be written, or the user stopped it (see `file`)
};

// What became of a table export.
struct table_result {
    table_status status = table_status::ok;
    output_result file; // for write_failed
};

// The message-pane line that reports a refusal; empty for ok, too_large and write_failed.
const char* table_status_message(table_status status);

// A code as the table writers see it.
struct table_code {
    run_shape shape;
    int64_t heads = 0; // Q / r rounded down; 0 without runs
};

// Appends "Quality = ..., Number of cogs = ...", then, when the heads can be formed,
// "Number of heads = ..." and beyond 20 heads the warning "Too many heads - maximum 2M".
// Refuses (without printing the refusal) run lengths below 1, an empty run list, a run count
// that does not divide Q when `exact_heads` is set, and Q above the largest int.
table_status announce_code(const int* runs, bool exact_heads, table_code& code);

// Appends `value` right-aligned in `width` columns; a wider number takes the room it needs.
void append_right_aligned(std::string& out, uint64_t value, int width);

// Writes a table that passed its checks: opens `path` first, so that a destination that cannot
// be written is reported before the long work, lets `format` fill the text while it counts
// `rows` on the progress line, and writes it. A failed allocation, a stop by the user or a
// failed write is reported in the message pane; the file is then left as it was.
table_result write_table_file(const char* path, uint64_t rows,
                              const std::function<void(std::string&, progress&)>& format);
