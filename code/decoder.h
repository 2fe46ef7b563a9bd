// The text form of a code: decimal run lengths joined by ",", ":" or ";".
#pragma once

#include <string>

// Parses `text` into a new zero-terminated run list (array new). Separators end a field; digits
// accumulate; every other byte is skipped, so digits on both sides of it join into one number.
// A number above the largest int is held at 2147483647. An empty field stores 0, which ends
// the run list for its readers. Throws std::bad_alloc when the list does not fit memory.
int* parse_runlist(const char* text);

// Parses `text` and installs the result as the current code. Returns false, leaving the
// current code as it was, only when memory runs out.
bool decoder(const char* text);

// The code file form of a run list: its entries up to the first 0 as "%i" joined by ",",
// without a line end; empty for an empty or null list. Throws std::bad_alloc.
std::string format_runlist(const int* runs);
