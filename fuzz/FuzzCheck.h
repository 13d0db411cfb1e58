#pragma once

#include <cstdio>
#include <cstdlib>

// A property that must hold for every input. When it does not, the input is a finding: say
// which property broke and abort, so that libFuzzer keeps the input and the replay test fails.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition);  \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
