// Invariant checks shared by the fuzzers: a broken invariant aborts, so that
// libFuzzer stops and keeps the input that broke it as a reproducer.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace kestrel::fuzz {

inline void Check(bool holds, const char* invariant) {
    if (holds) return;
    std::fprintf(stderr, "invariant broken: %s\n", invariant);
    std::abort();
}

}  // namespace kestrel::fuzz
