#pragma once
// A broken promise of the code under fuzzing ends the run as a crash, so
// libFuzzer keeps the input that caused it.

#include <cstdlib>

namespace fuzz {

inline void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace fuzz
