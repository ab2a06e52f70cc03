#include <gtest/gtest.h>

#include "CAppModule.h"
#include "CWindowBase.h"
#include "MessageMap.h"
#include "TestWindows.h"

namespace kestrel {
namespace {

class ButtonProbe : public CWindowBase {
public:
    BEGIN_MSG_MAP(ButtonProbe)
        MESSAGE_HANDLER_EX(WM_APP, OnPing)
        MESSAGE_HANDLER_EX(WM_NCCREATE, OnCreation)
        MESSAGE_HANDLER_EX(WM_CREATE, OnCreation)
    END_MSG_MAP()

    LRESULT OnPing(UINT, WPARAM, LPARAM) { return 9; }
    LRESULT OnCreation(UINT msg, WPARAM, LPARAM) {
        seen.push_back(msg);
        SetMsgHandled(false);
        return 0;
    }
    void OnFinalMessage(HWND) override { ++finals; }

    std::vector<UINT> seen;
    int finals = 0;
};

bool ModuleHasClass(const wchar_t* name) {
    WNDCLASSEXW info{};
    info.cbSize = sizeof(info);
    return ::GetClassInfoExW(appModule.Instance(), name, &info) != FALSE;
}

const RECT cell{10, 10, 90, 30};
const DWORD checkBox = WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX;

TEST(Superclass, WindowsShareOneClassBasedOnTheSystemButton) {
    static CSuperclass buttonClass(L"BUTTON");
    const HWND parent = test::CreatePlainWindow();
    ButtonProbe first;
    ButtonProbe second;
    const HWND one = first.Create(buttonClass, parent, cell, L"Edit...", checkBox, 0, 2000);
    const HWND two = second.Create(buttonClass, parent, cell, L"Edit...", checkBox, 0, 2001);
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(first.Handle(), one);
    EXPECT_EQ(second.Handle(), two);
    EXPECT_EQ(first.seen, (std::vector<UINT>{WM_NCCREATE, WM_CREATE}));
    EXPECT_EQ(::GetClassLongPtrW(one, GCW_ATOM), ::GetClassLongPtrW(two, GCW_ATOM));
    EXPECT_EQ(::GetClassLongPtrW(one, GCL_STYLE) & CS_GLOBALCLASS, 0u);
    EXPECT_EQ(::GetClassLongPtrW(one, GCLP_HMODULE),
              reinterpret_cast<ULONG_PTR>(appModule.Instance()));

    // The map first, the button's own procedure for the rest.
    EXPECT_EQ(::SendMessageW(one, WM_APP, 0, 0), 9);
    ::SendMessageW(one, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(::SendMessageW(one, BM_GETCHECK, 0, 0), BST_CHECKED);

    ::DestroyWindow(parent);
    EXPECT_EQ(first.finals, 1);
    EXPECT_EQ(second.Handle(), nullptr);
    // The module unregisters the class; the next window registers it again.
    appModule.Term();
    EXPECT_FALSE(ModuleHasClass(buttonClass.Name()));
    ButtonProbe third;
    EXPECT_NE(third.Create(buttonClass, nullptr, cell, L"", WS_POPUP), nullptr);
    ::DestroyWindow(third.Handle());
}

TEST(Superclass, FailedCreationLeavesNoObjectWaiting) {
    static CSuperclass missingBase(L"KestrelNoSuchClass");
    static CSuperclass buttonClass(L"BUTTON");
    ButtonProbe orphan;
    EXPECT_EQ(orphan.Create(missingBase, nullptr, cell, L"", WS_POPUP), nullptr);
    EXPECT_FALSE(ModuleHasClass(missingBase.Name()));
    // An invalid parent is refused before the window's first message.
    const HWND noWindow = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x7FF0));
    EXPECT_EQ(orphan.Create(buttonClass, noWindow, cell, L"", WS_CHILD), nullptr);

    // A window of the class made without an object must not pick up the failed one.
    const HWND stray = ::CreateWindowExW(0, buttonClass.Name(), L"", WS_POPUP, 0, 0, 50, 20,
                                         nullptr, nullptr, appModule.Instance(), nullptr);
    EXPECT_NE(stray, nullptr);
    EXPECT_EQ(orphan.Handle(), nullptr);
    ::DestroyWindow(stray);
}

}  // namespace
}  // namespace kestrel
