// Pipe names for tests that serve a pipe of their own, in this process or in a
// child: no other test process, no other call in this one and no leftover of an
// earlier process with the same id shares one.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

namespace kestrel::test {

inline std::wstring UniquePipeName() {
    static std::atomic<unsigned> counter{0};
    return L"kestrel-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter) + L"-" + std::to_wstring(::GetTickCount());
}

// The path a client opens.
inline std::wstring PipePath(const std::wstring& name) { return L"\\\\.\\pipe\\" + name; }

}  // namespace kestrel::test
