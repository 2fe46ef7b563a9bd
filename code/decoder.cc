#include "code/decoder.h"

#include <climits>
#include <cstddef>
#include <cstdio>
#include <new>

#include "code/runlist.h"

namespace {

bool is_separator(char c) {
    return c == ',' || c == ':' || c == ';';
}

// Adds one digit to a field's value, holding it at INT_MAX rather than overflowing: a value
// that wrapped could turn to 0 and end the run list where the user wrote a number.
int add_digit(int value, char digit) {
    int d = digit - '0';
    if (value > (INT_MAX - d) / 10) return INT_MAX;
    return value * 10 + d;
}

} // namespace

int* parse_runlist(const char* text) {
    if (!text) text = "";

    // Counting pass: a field counts when a separator closes it, the last one only when its
    // value is not 0.
    std::size_t count = 0;
    int value = 0;
    for (const char* p = text; *p; ++p) {
        if (is_separator(*p)) {
            ++count;
            value = 0;
        } else if (*p >= '0' && *p <= '9') {
            value = add_digit(value, *p);
        }
    }
    if (value != 0) ++count;

    // Filling pass: the field index never exceeds the count, so count + 1 entries hold every
    // store and the terminator.
    int* list = new int[count + 1];
    list[0] = 0;
    std::size_t field = 0;
    value = 0;
    for (const char* p = text; *p; ++p) {
        if (is_separator(*p)) {
            ++field;
            value = 0;
        } else if (*p >= '0' && *p <= '9') {
            value = add_digit(value, *p);
        }
        list[field] = value;
    }
    list[count] = 0;
    return list;
}

bool decoder(const char* text) {
    int* fresh;
    try {
        fresh = parse_runlist(text);
    } catch (const std::bad_alloc&) {
        return false;
    }
    replace_global_stgc(fresh);
    return true;
}

std::string format_runlist(const int* runs) {
    std::string out;
    if (!runs) return out;
    char number[16];
    for (const int* p = runs; *p != 0; ++p) {
        if (p != runs) out += ',';
        std::snprintf(number, sizeof number, "%i", *p);
        out += number;
    }
    return out;
}
