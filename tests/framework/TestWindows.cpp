#include "TestWindows.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "CAppModule.h"
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
// The module, the common controls, the plain class, and the main window's
// class: a copy of the system dialog class under the instance identifier.
class FrameworkEnvironment : public ::testing::Environment {
    void SetUp() override {
        const HINSTANCE instance = ::GetModuleHandleW(nullptr);
        ASSERT_TRUE(appModule.Init(instance));
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
        ASSERT_TRUE(::InitCommonControlsEx(&controls));
        WNDCLASSEXW plain{};
        plain.cbSize = sizeof(plain);
        plain.lpfnWndProc = PlainProc;
        plain.hInstance = instance;
        plain.lpszClassName = L"KestrelTestPlain";
        ASSERT_TRUE(::RegisterClassExW(&plain));
        WNDCLASSEXW dialog{};
        dialog.cbSize = sizeof(dialog);
        ASSERT_TRUE(::GetClassInfoExW(nullptr, L"#32770", &dialog));
        dialog.hInstance = instance;
        dialog.lpszClassName = L"" KESTREL_INSTANCE_ID;
        ASSERT_TRUE(::RegisterClassExW(&dialog));
    }
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new FrameworkEnvironment);
}  // namespace

}  // namespace kestrel::test
