// Fuzzes the number reading of the generation prompts against a reading of its own: blanks,
// an optional sign, then a hexadecimal ("0x"), octal (leading "0") or decimal number, the rest
// ignored. Both must agree on whether the text holds a number that fits an int, and on its
// value.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>

#include "gen/commands.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

int digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// The number at the start of `text`: false when there is none or it does not fit an int.
bool reference_number(const std::string& text, int* value) {
    size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    if (at >= text.size() || digit_value(text[at]) > 9) return false;
    int base = 10;
    if (text[at] == '0') {
        base = 8;
        if (at + 2 < text.size() && (text[at + 1] == 'x' || text[at + 1] == 'X') &&
            digit_value(text[at + 2]) < 16) {
            base = 16;
            at += 2;
        }
    }
    int64_t magnitude = 0;
    bool too_large = false;
    for (; at < text.size() && digit_value(text[at]) < base; ++at) {
        magnitude = magnitude * base + digit_value(text[at]);
        if (magnitude > int64_t{INT_MAX} + 1) {
            too_large = true;
            magnitude = int64_t{INT_MAX} + 1;
        }
    }
    const int64_t signed_value = negative ? -magnitude : magnitude;
    if (too_large || signed_value > INT_MAX || signed_value < INT_MIN) return false;
    *value = static_cast<int>(signed_value);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    // The prompts' field holds 19 characters and no NUL.
    const std::string text = input.substr(0, input.find('\0')).substr(0, 19);
    int expected = 0, value = 0;
    const bool expected_read = reference_number(text, &expected);
    const bool read = read_number(text.c_str(), &value);
    fuzz_check(read == expected_read, "a number is found exactly when the text starts with one",
               input);
    if (read) fuzz_check(value == expected, "the number read is the number typed", input);
    return 0;
}
