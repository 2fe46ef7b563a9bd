// The text table: the head reading of every rotation as rows of 0s and 1s, for testing a
// built disk by hand.
#pragma once

#include <cstdint>
#include <string>

#include "export/table_common.h"

// The length in bytes of the text table of a code with `runs` runs and quality Q: r lines of
// h groups of h digits, where h counts the head offsets below Q. UINT64_MAX when it overflows.
uint64_t text_table_size(const run_shape& shape);

// The whole text table of `runs`: line k holds, two spaces apart, the readings at rotations
// k, k + r, k + 2r, ... below Q, head 0 first, every position taken mod Q. Empty when the run
// list has no runs or a length below 1. Throws std::bad_alloc when it does not fit memory.
// Counts the bytes done on `meter`, which may throw work_stopped.
std::string format_text_table(const int* runs, progress* meter = nullptr);

// save_text with an explicit memory ceiling in bytes.
table_result export_text_table(const int* runs, const char* path, uint64_t memory_limit);

// Writes the text table of `runs` to `path`. Prints the informational lines and any refusal
// or write failure in the message pane; on a refusal nothing is written.
void save_text(int* runs, const char* path);
