#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>

#include "CAppModule.h"
#include "CDialogBase.h"
#include "CMessageLoop.h"
#include "ListView.h"
#include "MessageMap.h"
#include "resource.h"

namespace kestrel {
namespace {

const UINT kReportFocus = WM_APP + 1;
const UINT kSideMessage = WM_APP + 2;

class DialogProbe : public CDialogBase {
public:
    enum class Init { DefaultFocus, OwnFocus, Unhandled };

    BEGIN_MSG_MAP(DialogProbe)
        MSG_WM_INITDIALOG(OnInitDialog)
        MESSAGE_HANDLER_EX(kReportFocus, OnReportFocus)
        MESSAGE_HANDLER_EX(kSideMessage, OnSideMessage)
        MESSAGE_HANDLER_EX(WM_CTLCOLORDLG, OnCtlColorDlg)
        NOTIFY_HANDLER_EX(IDC_PORT_LIST, NM_CUSTOMDRAW, OnCustomDraw)
        NOTIFY_HANDLER_EX(IDC_PORT_LIST, LVN_ITEMCHANGING, OnItemChanging)
        COMMAND_ID_HANDLER_EX(IDCANCEL, OnCancel)
    END_MSG_MAP()

    BOOL OnInitDialog(HWND, LPARAM) {
        if (modal) ::PostMessageW(Handle(), kReportFocus, 0, 0);
        if (init == Init::Unhandled) SetMsgHandled(false);
        if (init != Init::OwnFocus) return TRUE;
        ::SetFocus(::GetDlgItem(Handle(), IDCANCEL));
        return FALSE;
    }
    LRESULT OnReportFocus(UINT, WPARAM, LPARAM) {
        focusId = ::GetDlgCtrlID(::GetFocus());
        ::SendMessageW(Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return 0;
    }
    LRESULT OnSideMessage(UINT, WPARAM, LPARAM) { return 5; }
    LRESULT OnCtlColorDlg(UINT, WPARAM, LPARAM) {
        return reinterpret_cast<LRESULT>(::GetStockObject(GRAY_BRUSH));
    }
    // A nested message with a result of its own must not replace this one.
    LRESULT OnCustomDraw(LPNMHDR) {
        return ::SendMessageW(Handle(), kSideMessage, 0, 0) == 5 ? CDRF_NOTIFYITEMDRAW : 0;
    }
    LRESULT OnItemChanging(LPNMHDR header) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
        SetMsgHandled(noSelection && (change->uNewState & LVIS_SELECTED) != 0);
        return TRUE;
    }
    void OnCancel(UINT, int id, HWND) { EndDialog(70 + focusId + id - IDCANCEL); }
    void OnFinalMessage(HWND) override { ++finals; }

    Init init = Init::DefaultFocus;
    bool modal = false;
    bool noSelection = true;
    int focusId = 0;
    int finals = 0;
};

TEST(DialogBase, ModelessDialogResultsReachTheSender) {
    DialogProbe missing;
    EXPECT_EQ(missing.Create(4242, nullptr), nullptr);
    EXPECT_EQ(missing.DoModal(4242, nullptr), -1);
    DialogProbe probe;
    const HWND dialog = probe.Create(IDD_MAINDLG, nullptr);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(probe.Handle(), dialog);
    const HWND list = ::GetDlgItem(dialog, IDC_PORT_LIST);

    NMHDR draw{list, IDC_PORT_LIST, static_cast<UINT>(NM_CUSTOMDRAW)};
    EXPECT_EQ(::SendMessageW(dialog, WM_NOTIFY, IDC_PORT_LIST, reinterpret_cast<LPARAM>(&draw)),
              CDRF_NOTIFYITEMDRAW);
    EXPECT_EQ(::SendMessageW(dialog, WM_CTLCOLORDLG, 0, reinterpret_cast<LPARAM>(dialog)),
              reinterpret_cast<LRESULT>(::GetStockObject(GRAY_BRUSH)));

    // The list itself asks the dialog whether a row may be selected.
    LVITEMW row{};
    row.mask = LVIF_TEXT;
    row.pszText = const_cast<wchar_t*>(L"COM3");
    ASSERT_EQ(::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row)), 0);
    test::SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(test::ItemState(list, 0, LVIS_SELECTED), 0u);
    probe.noSelection = false;
    test::SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(test::ItemState(list, 0, LVIS_SELECTED), static_cast<UINT>(LVIS_SELECTED));

    ::DestroyWindow(dialog);
    EXPECT_EQ(probe.finals, 1);
    EXPECT_EQ(probe.Handle(), nullptr);
    EXPECT_EQ(missing.Handle(), nullptr);
}

// Tab moves the focus only through the dialog manager's keyboard handling,
// which the loop's filter gives a modeless dialog until its window is gone.
TEST(DialogBase, ModelessDialogFiltersTheLoopWhileItsWindowExists) {
    CMessageLoop loop;
    ASSERT_TRUE(appModule.AddMessageLoop(&loop));
    auto probe = std::make_unique<DialogProbe>();
    const HWND dialog = probe->Create(IDD_MAINDLG, nullptr);
    ASSERT_NE(dialog, nullptr);
    ::ShowWindow(dialog, SW_SHOW);
    ::SetForegroundWindow(dialog);
    const HWND first = ::GetNextDlgTabItem(dialog, nullptr, FALSE);
    ::SetFocus(first);
    MSG tab{::GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_TRUE(loop.PreTranslateMessage(&tab));
    EXPECT_NE(::GetFocus(), first);

    // A WM_DESTROY sent from outside leaves the window, and so its keys.
    ::SendMessageW(dialog, WM_DESTROY, 0, 0);
    tab.hwnd = ::GetFocus();
    EXPECT_TRUE(loop.PreTranslateMessage(&tab));

    ::DestroyWindow(dialog);
    tab.hwnd = nullptr;
    EXPECT_FALSE(loop.PreTranslateMessage(&tab));
    probe.reset();
    EXPECT_TRUE(appModule.RemoveMessageLoop());
}

TEST(DialogBase, ModalDialogEndsWithItsResultAndInitDialogDecidesTheFocus) {
    const struct {
        DialogProbe::Init init;
        int focusId;
    } cases[] = {
        {DialogProbe::Init::DefaultFocus, IDC_PREFERENCES},
        {DialogProbe::Init::OwnFocus, IDCANCEL},
        {DialogProbe::Init::Unhandled, IDC_PREFERENCES},
    };
    for (const auto& c : cases) {
        DialogProbe probe;
        probe.modal = true;
        probe.init = c.init;
        EXPECT_EQ(probe.DoModal(IDD_MAINDLG, nullptr), 70 + c.focusId);
        EXPECT_EQ(probe.focusId, c.focusId);
        EXPECT_EQ(probe.finals, 1);
        EXPECT_EQ(probe.Handle(), nullptr);
    }
}

}  // namespace
}  // namespace kestrel
