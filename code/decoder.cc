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

// Adds one digit to a field's value; false when the value would pass the largest int.
bool add_digit(int& value, char digit) {
    int d = digit - '0';
    if (value > (INT_MAX - d) / 10) return false;
    value = value * 10 + d;
    return true;
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
            if (!add_digit(value, *p)) return nullptr;
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
            add_digit(value, *p);
        }
        list[field] = value;
    }
    list[count] = 0;
    return list;
}

decode_status decoder(const char* text) {
    int* fresh;
    try {
        fresh = parse_runlist(text);
    } catch (const std::bad_alloc&) {
        return decode_status::no_memory;
    }
    if (!fresh) return decode_status::number_too_large;
    replace_global_stgc(fresh);
    return decode_status::ok;
}

const char* decode_message(decode_status status) {
    switch (status) {
    case decode_status::ok:
        return "";
    case decode_status::no_memory:
        return "Not enough memory!\n";
    case decode_status::number_too_large:
        return "Number too large - maximum 2147483647! The code was not changed.\n";
    }
    return "";
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
