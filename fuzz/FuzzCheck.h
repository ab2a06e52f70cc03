// What the fuzzers share: invariant checks, where a broken invariant aborts so
// that libFuzzer stops and keeps the input that broke it as a reproducer, and
// the reading of an input as texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace kestrel::fuzz {

inline void Check(bool holds, const char* invariant) {
    if (holds) return;
    std::fprintf(stderr, "invariant broken: %s\n", invariant);
    std::abort();
}

// The input as UTF-16LE code units, split into texts at each NUL; an odd last
// byte is ignored.
inline std::vector<std::wstring> SplitTexts(const uint8_t* data, size_t size) {
    std::vector<std::wstring> texts(1);
    for (size_t i = 0; i + 1 < size; i += 2) {
        const auto unit = static_cast<wchar_t>(data[i] | data[i + 1] << 8);
        if (unit == L'\0') {
            texts.emplace_back();
        } else {
            texts.back().push_back(unit);
        }
    }
    return texts;
}

}  // namespace kestrel::fuzz
