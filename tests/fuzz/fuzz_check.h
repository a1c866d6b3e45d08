// The fuzz targets' assertion: a broken invariant says which, then stops the
// run as a crash does, so libFuzzer keeps the input that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define check(condition)                                                                                              \
    do {                                                                                                              \
        if (!(condition)) {                                                                                           \
            std::fprintf(stderr, "invariant broken: %s\n", #condition);                                               \
            std::abort();                                                                                             \
        }                                                                                                             \
    } while (0)
