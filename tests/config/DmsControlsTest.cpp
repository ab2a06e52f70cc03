// The DMS controls on real edits and check boxes, and the message boxes as
// the user meets them.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ConfigMessages.h"
#include "DialogDriver.h"
#include "DmsControls.h"
#include "DmsValues.h"
#include "MessageBoxAnswer.h"
#include "WindowsEnvironment.h"
#include "resource.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

const wchar_t kDmsWindowClass[] = L"KestrelDmsTestWindow";

LRESULT CALLBACK DmsWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && HIWORD(wp) == EN_CHANGE &&
        (LOWORD(wp) == IDC_DMS_HOST || LOWORD(wp) == IDC_DMS_PORT))
        updateComPortAvailability(hwnd);
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

bool RegisterDmsWindowClass(HINSTANCE) {
    return RegisterWindowClass(kDmsWindowClass, DmsWindowProc);
}

// For every test of the program: the dialogs the other sources run join the
// main thread's message loop.
[[maybe_unused]] ::testing::Environment* const environment =
    AddWindowsEnvironment({RegisterDmsWindowClass, true});

// Stands in for a configuration dialog: the five controls, with the edits'
// change notifications running the availability rule as the dialogs do.
struct DmsWindow {
    DmsWindow() {
        const HINSTANCE instance = ::GetModuleHandleW(nullptr);
        hwnd = ::CreateWindowExW(0, kDmsWindowClass, L"DMS", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                 nullptr, nullptr, instance, nullptr);
        const struct {
            const wchar_t* cls;
            int id;
        } controls[] = {{L"EDIT", IDC_DMS_HOST},
                        {L"EDIT", IDC_DMS_PORT},
                        {L"EDIT", IDC_DMS_RETRY},
                        {L"BUTTON", IDC_USE_SSL},
                        {L"BUTTON", IDC_COM_ACTIVE}};
        for (const auto& c : controls)
            ::CreateWindowExW(0, c.cls, L"", WS_CHILD | (c.cls[0] == L'B' ? BS_AUTOCHECKBOX : 0), 0,
                              0, 300, 24, hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                              instance, nullptr);
    }
    ~DmsWindow() { ::DestroyWindow(hwnd); }

    HWND hwnd = nullptr;
};

}  // namespace

TEST(DmsControls, ShowReadAndStoreRoundTrip) {
    DmsWindow w;
    const DmsConfig stored = Dms("dms.example", " 8080", 1500, true, true);
    ShowDmsConfig(w.hwnd, stored);
    EXPECT_EQ(Text(w.hwnd, IDC_DMS_PORT), L" 8080");
    EXPECT_EQ(Text(w.hwnd, IDC_DMS_RETRY), L"1");

    DmsInput input;
    ASSERT_TRUE(validateDmsInput(w.hwnd, input));
    EXPECT_EQ(ConfirmationFor(w.hwnd, input, stored), DmsConfirmation::None);
    DmsConfig back;
    StoreDmsControls(w.hwnd, input, back);
    EXPECT_PRED2(SameDms, back, Dms("dms.example", " 8080", 1000, true, true));

    SetText(w.hwnd, IDC_DMS_PORT, L"08080");
    ASSERT_TRUE(validateDmsInput(w.hwnd, input));
    EXPECT_EQ(ConfirmationFor(w.hwnd, input, stored), DmsConfirmation::Change);
    ::CheckDlgButton(w.hwnd, IDC_COM_ACTIVE, BST_UNCHECKED);
    EXPECT_EQ(ConfirmationFor(w.hwnd, input, stored), DmsConfirmation::Deactivation);
}

TEST(DmsControls, ComPortBoxFollowsHostAndPort) {
    DmsWindow w;
    // The stored check state is shown even though the empty host disabled the box.
    ShowDmsConfig(w.hwnd, Dms("", "80", 5000, true, true));
    EXPECT_TRUE(Checked(w.hwnd, IDC_COM_ACTIVE));
    EXPECT_FALSE(Enabled(w.hwnd, IDC_COM_ACTIVE));
    SetText(w.hwnd, IDC_DMS_HOST, L"dms");
    EXPECT_TRUE(Enabled(w.hwnd, IDC_COM_ACTIVE));
    EXPECT_TRUE(Checked(w.hwnd, IDC_COM_ACTIVE));

    SetText(w.hwnd, IDC_DMS_PORT, L"");
    EXPECT_FALSE(Enabled(w.hwnd, IDC_COM_ACTIVE));
    EXPECT_FALSE(Checked(w.hwnd, IDC_COM_ACTIVE));
    SetText(w.hwnd, IDC_DMS_PORT, L"80");
    EXPECT_TRUE(Enabled(w.hwnd, IDC_COM_ACTIVE));
    EXPECT_FALSE(Checked(w.hwnd, IDC_COM_ACTIVE));
}

TEST(ConfigMessages, ErrorsAndQuestions) {
    DmsWindow w;
    ShowDmsConfig(w.hwnd, Dms("h", "80", 1000, true, false));
    DmsInput input{"untouched", "1", 7};
    // Each refusal shows one error box with OK only, and leaves the input alone.
    const auto refused = [&](const wchar_t* host, const wchar_t* port) {
        SetText(w.hwnd, IDC_DMS_HOST, host);
        SetText(w.hwnd, IDC_DMS_PORT, port);
        AnswerNextBox(w.hwnd, IDOK);
        EXPECT_FALSE(validateDmsInput(w.hwnd, input));
        EXPECT_EQ(seen.icon, ErrorIcon());
        EXPECT_EQ(seen.defaultId, IDOK);
        EXPECT_FALSE(seen.hasYes);
        EXPECT_EQ(input.host, "untouched");
        return seen.text;
    };
    EXPECT_EQ(refused(L"h\u00e9\u00fc", L"80"), texts::HostInvalidChar(L'\u00e9'));
    EXPECT_EQ(refused(std::wstring(300, L'a').c_str(), L"80"), texts::kHostTooLong);
    EXPECT_EQ(refused(L"h", L"65536"), texts::kPortInvalid);

    AnswerNextBox(w.hwnd, IDYES);
    EXPECT_TRUE(confirmChange(w.hwnd, L"Cut the connection?"));
    EXPECT_EQ(seen.text, L"Cut the connection?");
    EXPECT_EQ(seen.icon, QuestionIcon());
    EXPECT_TRUE(seen.hasYes);
    EXPECT_EQ(seen.defaultId, IDNO);
    AnswerNextBox(w.hwnd, IDNO);
    EXPECT_FALSE(confirmChange(w.hwnd, L"Cut the connection?"));
}
