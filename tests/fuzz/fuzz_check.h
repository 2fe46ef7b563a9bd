// Checks for the fuzz targets: a broken property is reported with the input's text and ends
// the run, so libFuzzer keeps the input as a crash.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

inline void fuzz_check(bool holds, const char* property, const std::string& input) {
    if (holds) return;
    std::fprintf(stderr, "property broken: %s\ninput (%zu bytes): \"", property, input.size());
    for (unsigned char c : input) {
        if (c >= 32 && c < 127 && c != '"' && c != '\\')
            std::fputc(c, stderr);
        else
            std::fprintf(stderr, "\\x%02x", c);
    }
    std::fprintf(stderr, "\"\n");
    std::abort();
}
