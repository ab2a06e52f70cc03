#include "TestWindows.h"

#include <windows.h>

#include "WindowsEnvironment.h"
#include "resource.h"

namespace kestrel::test {

std::vector<UINT> plainSaw;

LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    plainSaw.push_back(msg);
    if (msg >= WM_APP && msg < 0xC000) return PlainAnswer(msg);
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND CreatePlainWindow() {
    return ::CreateWindowExW(0, L"KestrelTestPlain", L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                             nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

namespace {
// The plain class, and the main window's class: a copy of the system dialog
// class under the instance identifier.
bool RegisterTestClasses(HINSTANCE instance) {
    WNDCLASSEXW dialog{};
    dialog.cbSize = sizeof(dialog);
    if (!::GetClassInfoExW(nullptr, L"#32770", &dialog)) return false;
    dialog.hInstance = instance;
    dialog.lpszClassName = L"" KESTREL_INSTANCE_ID;
    return ::RegisterClassExW(&dialog) && RegisterWindowClass(L"KestrelTestPlain", PlainProc);
}

[[maybe_unused]] ::testing::Environment* const environment =
    AddWindowsEnvironment({RegisterTestClasses});
}  // namespace

}  // namespace kestrel::test
