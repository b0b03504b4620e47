// The entry point every fuzz target defines.  Built with clang's libFuzzer it
// is driven by the fuzzer; built as an ordinary program it is driven by
// standalone_main.cpp, which feeds it saved inputs (the regression tests).
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// Stops the run at once when a target finds a broken promise: the fuzzer
// keeps the input as a crash, the standalone driver dies with SIGILL.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition))                                                                          \
            __builtin_trap();                                                                      \
    } while (0)
