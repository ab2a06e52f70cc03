// Runs a function when the scope ends, on every way out: for a call that must
// be undone (a clipboard opened, a device context borrowed, memory that a
// system call handed over) where an owning type would serve one place only.
// Neither copied nor moved, so the function runs exactly once.
//
//   const TScopeGuard closeClipboard([]() noexcept { ::CloseClipboard(); });
#pragma once

#include <utility>

namespace kestrel {

template <class Function>
class TScopeGuard {
public:
    explicit TScopeGuard(Function function) : atExit(std::move(function)) {}
    ~TScopeGuard() { atExit(); }
    TScopeGuard(const TScopeGuard&) = delete;
    TScopeGuard& operator=(const TScopeGuard&) = delete;

private:
    Function atExit;
};

}  // namespace kestrel
