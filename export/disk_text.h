// printf-style appending to a string, with no limit on the length of the text.
#pragma once

#include <string>

// Numbers with a decimal point whatever locale the user chose (file contents).
void append_c(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Numbers in the user's locale (messages and form texts).
void append_local(std::string& out, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
