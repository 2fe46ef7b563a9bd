// Fuzzes the code text parser behind Load and Manual input: any bytes must give a run list
// whose readers see the positive fields before the first empty or zero one, or be refused when
// a number passes INT_MAX, and the code file text of that list must read back to the same list.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "code/decoder.h"
#include "code/runlist.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

// The fields between separators, each the number its digits spell, cut before the first field
// that is 0; false when any number passes INT_MAX (the text is refused).
bool expected_runs(const std::string& text, std::vector<int>& runs) {
    int64_t value = 0;
    bool cut = false;
    for (char c : text) {
        if (c == ',' || c == ':' || c == ';') {
            if (value == 0) cut = true;
            if (!cut) runs.push_back(static_cast<int>(value));
            value = 0;
        } else if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
            if (value > INT_MAX) return false;
        }
    }
    if (value != 0 && !cut) runs.push_back(static_cast<int>(value));
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The text ends at a NUL byte, as a loaded file's does.
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string text = input.substr(0, input.find('\0'));
    std::vector<int> expected;
    if (!expected_runs(text, expected)) {
        fuzz_check(parse_runlist(text.c_str()) == nullptr, "a number above INT_MAX is refused",
                   input);
        // Held or wrapped it would be another code (4294967296 would wrap to 0 and cut the
        // list): the text is refused and the current code stays.
        const std::string before = format_runlist(global_stgc);
        fuzz_check(decoder(text.c_str()) == decode_status::number_too_large &&
                       format_runlist(global_stgc) == before,
                   "a refused text keeps the current code", input);
        return 0;
    }

    int* list = parse_runlist(text.c_str());
    fuzz_check(runs_of(list) == expected, "the parsed run list is the fields before a zero", input);

    int* reread = parse_runlist(format_runlist(list).c_str());
    fuzz_check(runs_of(reread) == expected, "a saved run list loads back unchanged", input);
    delete[] reread;
    delete[] list;

    fuzz_check(decoder(text.c_str()) == decode_status::ok, "the parser installs a code", input);
    fuzz_check(global_stgc != nullptr && runs_of(global_stgc) == expected,
               "the installed code is the parsed run list", input);
    return 0;
}
