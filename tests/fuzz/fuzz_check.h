// What a fuzz target does when a property fails: says which, and aborts, which the fuzzer and the
// corpus replay both report with the input.
#pragma once

#include <cstdio>
#include <cstdlib>

inline void Check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "reader broken: %s\n", what);
        std::abort();
    }
}
