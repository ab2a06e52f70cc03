// The main window: a modeless dialog with the port list, "Preferences..." and
// "Close". It owns the port list and the service mirror, drives the refresh
// with timer 1, is the notification-area icon, and alone ends the program.
// Closing it only hides it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "CDialogBase.h"
#include "DevListCtrl.h"
#include "MessageMap.h"
#include "RefreshCadence.h"
#include "ResponsiveWait.h"
#include "ServiceMirror.h"
#include "TNotifyIcon.h"
#include "TrayNotices.h"
#include "resource.h"

namespace kestrel {

inline constexpr UINT_PTR kRefreshTimerId = 1;
inline constexpr UINT kRefreshPeriodMs = 500;
// What the message loop returns after ID_APP_EXIT, the program's normal exit code.
inline constexpr int kQuitExitCode = 2;

class CMainDlg : public CDialogBase, public TNotifyIcon {
public:
    // Tests give a pipe of their own; the program talks to the service's. The
    // name must outlive the object.
    explicit CMainDlg(const wchar_t* pipeName = kServicePipeName);
    ~CMainDlg() override;

    // The dialog's Create(template, owner) and the icon's Create(icon, ...).
    using CDialogBase::Create;
    using TNotifyIcon::Create;

    BEGIN_MSG_MAP(CMainDlg)
        // Commands sent while a request waits run after it (OnCommandWhileWaiting).
        MESSAGE_HANDLER(WM_COMMAND, OnCommandWhileWaiting)
        MESSAGE_HANDLER(WM_SYSCOMMAND, OnCommandWhileWaiting)
        MESSAGE_HANDLER(WM_NOTIFYICON, OnCommandWhileWaiting)
        MESSAGE_HANDLER(WM_EDITPORT, OnCommandWhileWaiting)
        MESSAGE_HANDLER(WM_CONTEXTMENU, OnMenuWhileWaiting)
        MESSAGE_RANGE_HANDLER(WM_NCLBUTTONDOWN, WM_NCRBUTTONDBLCLK, OnMenuWhileWaiting)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(WM_SYSCOMMAND, OnSysCommand)
        MESSAGE_HANDLER(WM_NOTIFYICON, OnNotifyIcon)
        MESSAGE_HANDLER(taskbarCreated, OnTaskbarCreated)
        MESSAGE_HANDLER(WM_EDITPORT, OnEditPort)
        MESSAGE_HANDLER(WM_ENDSESSION, OnEndSession)
        COMMAND_ID_HANDLER(IDOK, OnHide)
        COMMAND_ID_HANDLER(IDCANCEL, OnHide)
        COMMAND_ID_HANDLER(ID_APP_EXIT, OnAppExit)
        COMMAND_ID_HANDLER(ID_VIEW_COMMPORTS, OnViewCommPorts)
        COMMAND_ID_HANDLER(ID_TRAY_NOTIFICATIONS, OnTrayNotifications)
        COMMAND_ID_HANDLER(ID_TRAY_QUIT, OnTrayQuit)
        COMMAND_HANDLER(IDC_PREFERENCES, BN_CLICKED, OnPreferences)
        NOTIFY_HANDLER(IDC_PORT_LIST, NM_CUSTOMDRAW, OnListCustomDraw)
        NOTIFY_HANDLER(IDC_PORT_LIST, LVN_ITEMCHANGING, OnListItemChanging)
        NOTIFY_HANDLER(IDC_PORT_LIST, LVN_ITEMCHANGED, OnListItemChanged)
    END_MSG_MAP()

    // A double click on the tray icon shows the window; a click on a balloon
    // shows it with the first port the balloon told of in focus.
    void OnLButtonDblClk(POINT point) override;
    void OnBalloonClick() override;
    // The menu shows whether balloons are on, and greys the item a policy decides.
    void TrackRButtonDownMenu(POINT point) override;
    // The shortest time between two balloons; tests shorten it.
    void SetNoticeInterval(uint32_t intervalMs) { notices.SetInterval(intervalMs); }

    // The two editing flows: a dialog over the records, then sending what it
    // stored, re-reading what the service refused, and one message. Both do
    // nothing while a refresh pass or another flow runs.
    void editPortFlow(int buttonId);
    void preferencesFlow();

    DevListCtrl& PortList() { return portList; }
    ServiceMirror& Service() { return service; }

private:
    LRESULT OnCommandWhileWaiting(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnMenuWhileWaiting(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnDestroy(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnTimer(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnSysCommand(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnNotifyIcon(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnTaskbarCreated(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnEditPort(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnEndSession(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnHide(WORD code, WORD id, HWND control, BOOL& handled);
    LRESULT OnAppExit(WORD code, WORD id, HWND control, BOOL& handled);
    LRESULT OnViewCommPorts(WORD code, WORD id, HWND control, BOOL& handled);
    LRESULT OnTrayNotifications(WORD code, WORD id, HWND control, BOOL& handled);
    LRESULT OnTrayQuit(WORD code, WORD id, HWND control, BOOL& handled);
    LRESULT OnPreferences(WORD code, WORD id, HWND control, BOOL& handled);
    LRESULT OnListCustomDraw(int idCtrl, LPNMHDR header, BOOL& handled);
    LRESULT OnListItemChanging(int idCtrl, LPNMHDR header, BOOL& handled);
    LRESULT OnListItemChanged(int idCtrl, LPNMHDR header, BOOL& handled);

    // The About box, modal, owned by whatever window is active.
    LRESULT OnAppAbout();
    void AddAboutItem();
    void ShowAndActivate();
    // Ends the program: timer, tray icon and window go, the loop ends with 2.
    void Quit();
    // Ends the process with 2 from under a waiting request, which may hold
    // the window and its records: only the tray icon goes first.
    [[noreturn]] void EndUnderRequest();
    void ShowLinkState();
    // What the tick saw goes to the balloons, and one is shown when due.
    void TellChanges();
    // Not while the user sees the window, nor while balloons are off.
    bool MayShowBalloon() const;
    // Adds the tray icon in the look of the state shown.
    void AddTrayIcon();

    DevListCtrl portList;
    // Every wait of the service link: it outlives the mirror, whose client uses it.
    ResponsiveWait wait;
    ServiceMirror service;
    RefreshCadence cadence{kRefreshPeriodMs};
    // Registered message of a restarted taskbar.
    const UINT taskbarCreated;
    // The link state that title, tooltip, tray icon and list show. The window
    // starts with the look of a connected link: the program title, the plain
    // tooltip and icon, and black rows.
    LinkState shownLink{LinkState::Kind::Connected};
    // Active ports not connected that the tooltip counts: none while the
    // service is not connected, whose state the tray shows instead.
    size_t shownPortsDown = 0;
    TrayNotices notices;
    // The port the last balloon told of first, which a click on it shows.
    std::wstring noticePort;
};

}  // namespace kestrel
