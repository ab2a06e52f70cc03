// The DMS controls on real edits and check boxes, and the message boxes as
// the user meets them.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "ConfigMessages.h"
#include "DmsControls.h"
#include "MessageBoxAnswer.h"
#include "resource.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

LRESULT CALLBACK DmsWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && HIWORD(wp) == EN_CHANGE &&
        (LOWORD(wp) == IDC_DMS_HOST || LOWORD(wp) == IDC_DMS_PORT))
        updateComPortAvailability(hwnd);
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// Stands in for a configuration dialog: the five controls, with the edits'
// change notifications running the availability rule as the dialogs do.
struct DmsWindow {
    DmsWindow() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DmsWindowProc;
        wc.lpszClassName = L"KestrelDmsTestWindow";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, wc.lpszClassName, L"DMS", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                               nullptr, nullptr, nullptr, nullptr);
        const struct { const wchar_t* cls; int id; } controls[] = {
            {L"EDIT", IDC_DMS_HOST}, {L"EDIT", IDC_DMS_PORT}, {L"EDIT", IDC_DMS_RETRY},
            {L"BUTTON", IDC_USE_SSL}, {L"BUTTON", IDC_COM_ACTIVE}};
        for (const auto& c : controls)
            CreateWindowExW(0, c.cls, L"", WS_CHILD | (c.cls[0] == L'B' ? BS_AUTOCHECKBOX : 0), 0,
                            0, 300, 24, hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                            nullptr, nullptr);
    }
    ~DmsWindow() { DestroyWindow(hwnd); }

    std::wstring Text(int id) const {
        wchar_t text[512] = {};
        GetDlgItemTextW(hwnd, id, text, 512);
        return text;
    }
    void SetText(int id, const std::wstring& text) const { SetDlgItemTextW(hwnd, id, text.c_str()); }
    bool Checked(int id) const { return IsDlgButtonChecked(hwnd, id) == BST_CHECKED; }
    bool ComPortEnabled() const { return IsWindowEnabled(GetDlgItem(hwnd, IDC_COM_ACTIVE)) != 0; }

    HWND hwnd = nullptr;
};

DmsConfig config(const char* host, const char* port, uint32_t retryMs, bool active) {
    DmsConfig c;
    std::strcpy(c.host, host);
    std::strcpy(c.port, port);
    c.retryMs = retryMs;
    c.useSsl = 1;
    c.comPortActive = active;
    return c;
}

}  // namespace

TEST(DmsControls, ShowReadAndStoreRoundTrip) {
    DmsWindow w;
    const DmsConfig stored = config("dms.example", " 8080", 1500, true);
    ShowDmsConfig(w.hwnd, stored);
    EXPECT_EQ(w.Text(IDC_DMS_PORT), L" 8080");
    EXPECT_EQ(w.Text(IDC_DMS_RETRY), L"1");

    DmsInput input;
    ASSERT_TRUE(validateDmsInput(w.hwnd, input));
    EXPECT_EQ(ConfirmationFor(w.hwnd, input, stored), DmsConfirmation::None);
    DmsConfig back;
    StoreDmsControls(w.hwnd, input, back);
    EXPECT_STREQ(back.host, "dms.example");
    EXPECT_STREQ(back.port, " 8080");
    EXPECT_EQ(back.retryMs, 1000u);
    EXPECT_EQ(back.useSsl, 1);
    EXPECT_EQ(back.comPortActive, 1);

    w.SetText(IDC_DMS_PORT, L"08080");
    ASSERT_TRUE(validateDmsInput(w.hwnd, input));
    EXPECT_EQ(ConfirmationFor(w.hwnd, input, stored), DmsConfirmation::Change);
    CheckDlgButton(w.hwnd, IDC_COM_ACTIVE, BST_UNCHECKED);
    EXPECT_EQ(ConfirmationFor(w.hwnd, input, stored), DmsConfirmation::Deactivation);
}

TEST(DmsControls, ComPortBoxFollowsHostAndPort) {
    DmsWindow w;
    // The stored check state is shown even though the empty host disabled the box.
    ShowDmsConfig(w.hwnd, config("", "80", 5000, true));
    EXPECT_TRUE(w.Checked(IDC_COM_ACTIVE));
    EXPECT_FALSE(w.ComPortEnabled());
    w.SetText(IDC_DMS_HOST, L"dms");
    EXPECT_TRUE(w.ComPortEnabled());
    EXPECT_TRUE(w.Checked(IDC_COM_ACTIVE));

    w.SetText(IDC_DMS_PORT, L"");
    EXPECT_FALSE(w.ComPortEnabled());
    EXPECT_FALSE(w.Checked(IDC_COM_ACTIVE));
    w.SetText(IDC_DMS_PORT, L"80");
    EXPECT_TRUE(w.ComPortEnabled());
    EXPECT_FALSE(w.Checked(IDC_COM_ACTIVE));
}

TEST(ConfigMessages, ErrorsAndQuestions) {
    DmsWindow w;
    ShowDmsConfig(w.hwnd, config("h", "80", 1000, false));
    DmsInput input{"untouched", "1", 7};
    w.SetText(IDC_DMS_HOST, L"h\u00e9\u00fc");
    AnswerNextBox(w.hwnd, IDOK);
    EXPECT_FALSE(validateDmsInput(w.hwnd, input));
    EXPECT_EQ(seen.text, L"Invalid character '\u00e9' in DMS host name.");
    EXPECT_EQ(seen.icon, ErrorIcon());
    EXPECT_EQ(seen.defaultId, IDOK);
    EXPECT_FALSE(seen.hasYes);
    EXPECT_EQ(input.host, "untouched");

    w.SetText(IDC_DMS_HOST, std::wstring(300, L'a'));
    AnswerNextBox(w.hwnd, IDOK);
    EXPECT_FALSE(validateDmsInput(w.hwnd, input));
    EXPECT_EQ(seen.text, L"DMS host name is too long. Maximum supported length is 299.");

    w.SetText(IDC_DMS_HOST, L"h");
    w.SetText(IDC_DMS_PORT, L"65536");
    AnswerNextBox(w.hwnd, IDOK);
    EXPECT_FALSE(validateDmsInput(w.hwnd, input));
    EXPECT_EQ(seen.text, L"Invalid DMS port number.");
    EXPECT_EQ(seen.icon, ErrorIcon());

    AnswerNextBox(w.hwnd, IDYES);
    EXPECT_TRUE(confirmChange(w.hwnd, L"Cut the connection?"));
    EXPECT_EQ(seen.text, L"Cut the connection?");
    EXPECT_EQ(seen.icon, QuestionIcon());
    EXPECT_TRUE(seen.hasYes);
    EXPECT_EQ(seen.defaultId, IDNO);
    AnswerNextBox(w.hwnd, IDNO);
    EXPECT_FALSE(confirmChange(w.hwnd, L"Cut the connection?"));
}
