// Polls a condition until it holds or the time is up, for what another thread
// or process brings about in its own time.
#pragma once

#include <windows.h>

namespace kestrel::test {

template <typename Condition>
bool Eventually(Condition condition, DWORD timeoutMs, DWORD pauseMs = 20) {
    const ULONGLONG start = ::GetTickCount64();
    while (!condition()) {
        if (::GetTickCount64() - start > timeoutMs) return false;
        ::Sleep(pauseMs);
    }
    return true;
}

}  // namespace kestrel::test
