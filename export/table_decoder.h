// The decoder table: for every possible head reading, the rotation that reads it, written as
// AVR assembler data directives or as a C++ array definition.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/table_common.h"

// Entry v holds the rotation whose reading is v, or -1 when no rotation reads v.
struct decoder_table {
    int64_t quality = 0;
    std::vector<int32_t> entries;
};

// Bytes per entry for a code of quality Q: 1 up to 255, 2 up to 65535, 4 beyond.
int decoder_element_width(int64_t quality);

// The value written for an entry that no rotation reads: every bit of the width set, but only
// 24 bits for four-byte entries; from 16777216 positions on, where 16777215 is a rotation,
// all 32 bits, so that an empty entry never names a position.
uint64_t decoder_empty_value(int64_t quality);

// Checks the code, printing the informational lines, and builds its table. Returns ok or the
// reason for refusing (the refusal line is printed only for too_large, with the sizes).
// Refuses beforehand a table whose data (entries times their width) exceeds 8 MiB, the most
// program memory an AVR addresses, and one whose table and file would take more than
// `memory_limit` bytes; may still throw std::bad_alloc.
table_status make_decoder_table(const int* runs, uint64_t memory_limit, decoder_table& table);

// The whole file: assembler data directives, or (cpp) a C++ array definition. Counts the entries
// done on `meter`, which may throw work_stopped.
std::string format_decoder_table(const decoder_table& table, bool cpp, progress* meter = nullptr);

// save_assembler with an explicit memory ceiling in bytes.
table_result export_decoder_table(const int* runs, const char* path, bool cpp,
                                  uint64_t memory_limit);

// Builds the decoder table of `runs` and writes it to `path`, as assembler data or (cpp) as a
// C++ array. Prints the informational lines and any refusal or write failure in the message
// pane; on a refusal no file is opened, so an existing file is left as it was.
void save_assembler(int* runs, const char* path, bool cpp);
