#include <gtest/gtest.h>

#include "CWindowBase.h"
#include "MessageMap.h"
#include "TestWindows.h"

namespace kestrel {
namespace {

using test::CreatePlainWindow;
using test::PlainAnswer;
using test::plainSaw;

const UINT kHandled = WM_APP + 1;
const UINT kDeclined = WM_APP + 2;
const UINT kUnlisted = WM_APP + 3;
const UINT kNested = WM_APP + 4;
const UINT kDestroySelf = WM_APP + 5;
const UINT kPassOn = WM_APP + 6;

class Probe : public CWindowBase {
public:
    BEGIN_MSG_MAP(Probe)
        MESSAGE_HANDLER_EX(kHandled, OnHandled)
        MESSAGE_HANDLER_EX(kDeclined, OnDeclined)
        MESSAGE_HANDLER_EX(kNested, OnNested)
        MESSAGE_HANDLER_EX(kPassOn, OnPassOn)
        MESSAGE_HANDLER_EX(kDestroySelf, OnDestroySelf)
    END_MSG_MAP()

    LRESULT OnHandled(UINT, WPARAM wParam, LPARAM) { return 40 + wParam; }
    LRESULT OnDeclined(UINT, WPARAM, LPARAM) {
        SetMsgHandled(false);
        return 0;
    }
    // A nested message that declines leaves this one handled.
    LRESULT OnNested(UINT, WPARAM, LPARAM) {
        ::SendMessageW(Handle(), kDeclined, 0, 0);
        return ::SendMessageW(Handle(), kHandled, 2, 0) + 1000;
    }
    LRESULT OnPassOn(UINT, WPARAM, LPARAM) { return CallPreviousProc() + 1; }
    LRESULT OnDestroySelf(UINT, WPARAM, LPARAM) {
        ::DestroyWindow(Handle());
        boundAfterDestroy = Handle() != nullptr;
        finalsBeforeReturn = finals;
        return 5;
    }
    void OnFinalMessage(HWND hwnd) override {
        ++finals;
        boundAtFinal = Handle() != nullptr;
        procAtFinal = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    }

    int finals = 0;
    int finalsBeforeReturn = -1;
    bool boundAfterDestroy = false;
    bool boundAtFinal = true;
    WNDPROC procAtFinal = nullptr;
};

TEST(WindowBase, MapSeesMessagesFirstAndReleasesTheWindowAfterTheOutermostMessage) {
    const HWND window = CreatePlainWindow();
    Probe probe;
    ASSERT_TRUE(probe.SubclassWindow(window));
    plainSaw.clear();
    EXPECT_EQ(::SendMessageW(window, kHandled, 3, 0), 43);
    EXPECT_EQ(::SendMessageW(window, kDeclined, 0, 0), PlainAnswer(kDeclined));
    EXPECT_EQ(::SendMessageW(window, kUnlisted, 0, 0), PlainAnswer(kUnlisted));
    EXPECT_EQ(::SendMessageW(window, kNested, 0, 0), 1042);
    EXPECT_EQ(::SendMessageW(window, kPassOn, 0, 0), PlainAnswer(kPassOn) + 1);
    EXPECT_EQ(probe.CallPreviousProc(kHandled, 0, 0), PlainAnswer(kHandled));
    EXPECT_EQ(plainSaw, (std::vector<UINT>{kDeclined, kUnlisted, kDeclined, kPassOn, kHandled}));

    // Destroyed from inside one of its own handlers: unbound only once that returns.
    EXPECT_EQ(::SendMessageW(window, kDestroySelf, 0, 0), 5);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(plainSaw.back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_TRUE(probe.boundAfterDestroy);
    EXPECT_EQ(probe.finalsBeforeReturn, 0);
    EXPECT_EQ(probe.finals, 1);
    EXPECT_FALSE(probe.boundAtFinal);
    EXPECT_EQ(probe.Handle(), nullptr);
}

TEST(WindowBase, FailedSubclassBindsNothing) {
    const HWND window = CreatePlainWindow();
    const HWND other = CreatePlainWindow();
    Probe first;
    Probe second;
    EXPECT_FALSE(second.SubclassWindow(reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x7FF0))));
    EXPECT_FALSE(second.SubclassWindow(::GetDesktopWindow()));  // another process's window
    ASSERT_TRUE(first.SubclassWindow(window));
    EXPECT_FALSE(second.SubclassWindow(window));
    EXPECT_FALSE(first.SubclassWindow(other));
    EXPECT_EQ(second.Handle(), nullptr);
    EXPECT_EQ(first.Handle(), window);
    EXPECT_EQ(::SendMessageW(window, kHandled, 1, 0), 41);
    EXPECT_TRUE(second.SubclassWindow(other));
    ::DestroyWindow(window);
    ::DestroyWindow(other);
}

WNDPROC chainedProc = nullptr;
LRESULT CALLBACK LaterProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcW(chainedProc, hwnd, msg, wParam, lParam);
}

TEST(WindowBase, PreviousProcedureComesBackOnlyWhileOursIsOnTop) {
    const HWND window = CreatePlainWindow();
    {
        Probe gone;
        ASSERT_TRUE(gone.SubclassWindow(window));
    }
    EXPECT_EQ(::SendMessageW(window, kHandled, 0, 0), PlainAnswer(kHandled));
    Probe probe;
    ASSERT_TRUE(probe.SubclassWindow(window));
    ::DestroyWindow(window);
    EXPECT_EQ(probe.procAtFinal, &test::PlainProc);

    const HWND other = CreatePlainWindow();
    Probe covered;
    ASSERT_TRUE(covered.SubclassWindow(other));
    chainedProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(other, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LaterProc)));
    EXPECT_EQ(::SendMessageW(other, kHandled, 0, 0), 40);
    ::DestroyWindow(other);
    EXPECT_EQ(covered.finals, 1);
    EXPECT_EQ(covered.procAtFinal, &LaterProc);
}

}  // namespace
}  // namespace kestrel
