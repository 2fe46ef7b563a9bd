// Checks for the fuzz targets: a broken property is reported and ends the run, so libFuzzer
// keeps the input as a crash (its file holds the input).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

inline void fuzz_check(bool holds, const char* property, const std::string& input) {
    if (holds) return;
    std::fprintf(stderr, "property broken: %s (input of %zu bytes)\n", property, input.size());
    std::abort();
}
