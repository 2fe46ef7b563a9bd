// The code test as the menu knows it: informational lines, then a verdict text.
#pragma once

// Reason texts, in the order in which the test decides them.
extern const char* const reason_empty;
extern const char* const reason_odd_runs;
extern const char* const reason_no_heads;
extern const char* const reason_not_gray;
extern const char* const reason_not_distinct;
extern const char* const reason_no_memory;

// Stores into `result` a new array (array new) holding a copy of `message`.
void ans(const char* message, char*& result);

// Tests the zero-terminated run list `runs` (null counts as empty): appends "Quality = ...,
// Number of cogs = ..." and, when the runs divide the quality, "Number of heads = ...", then
// leaves null in `result` for a good code or a reason (array new) for a bad one. Returns false
// when memory ran out before a verdict; `result` then holds reason_no_memory.
bool test_cogwheel(int* runs, char*& result);

// Tests `runs` and prints the lines of Test STGC: the informational lines, then "STGC is
// good!" or "Bad STGC !" and the reason on a line of its own.
enum class test_report { good, bad, no_memory };
test_report report_code_test(int* runs);
