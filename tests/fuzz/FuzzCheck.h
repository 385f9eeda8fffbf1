#pragma once

// A property the fuzzed code must keep: its breach stops the run where it
// happened, so that the fuzzer keeps the input that broke it.
inline void Check(bool condition) {
    if (!condition) __builtin_trap();
}
