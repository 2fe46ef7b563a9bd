// The text form of a code: decimal run lengths joined by ",", ":" or ";".
#pragma once

#include <string>

// Parses `text` into a new zero-terminated run list (array new). Separators end a field; digits
// accumulate; every other byte is skipped, so digits on both sides of it join into one number.
// An empty field stores 0, which ends the run list for its readers. Returns null when a number
// is above the largest int: no run list holds it, and any stand-in would be another code.
// Throws std::bad_alloc when the list does not fit memory.
int* parse_runlist(const char* text);

enum class decode_status {
    ok,
    no_memory,
    number_too_large, // a number above 2147483647
};

// Parses `text` and installs the result as the current code. On a refusal the current code is
// left as it was.
decode_status decoder(const char* text);

// The message-pane line for a refusal of decoder(); empty for ok.
const char* decode_message(decode_status status);

// The code file form of a run list: its entries up to the first 0 as "%i" joined by ",",
// without a line end; empty for an empty or null list. Throws std::bad_alloc.
std::string format_runlist(const int* runs);
