// The main window: a modeless dialog with the port list, "Preferences..." and
// "Close". It owns the port list and the service mirror, ticks the refresh
// with timer 1, has the notification-area icon, and alone ends the program.
// Closing it only hides it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "CDialogBase.h"
#include "DevListCtrl.h"
#include "MessageMap.h"
#include "ResponsiveWait.h"
#include "ServiceMirror.h"
#include "TNotifyIcon.h"
#include "TrayNotices.h"
#include "resource.h"

namespace kestrel {

inline constexpr UINT_PTR kRefreshTimerId = 1;
// What the message loop returns after ID_APP_EXIT, the program's normal exit code.
inline constexpr int kQuitExitCode = 2;

class CMainDlg : public CDialogBase {
public:
    // Tests give a pipe of their own; the program talks to the service's. The
    // name must outlive the object.
    explicit CMainDlg(const wchar_t* pipeName = kServicePipeName);
    ~CMainDlg() override;

    BEGIN_MSG_MAP(CMainDlg)
        // While a request waits, the messages of WhileWaiting wait for it or
        // are ignored; every other message goes on to the entries below.
        ANY_MESSAGE_HANDLER_EX(OnMessageWhileWaiting)
        MSG_WM_INITDIALOG(OnInitDialog)
        MSG_WM_DESTROY(OnDestroy)
        MSG_WM_TIMER(OnTimer)
        MSG_WM_SYSCOMMAND(OnSysCommand)
        MSG_WM_ENDSESSION(OnEndSession)
        MESSAGE_HANDLER_PARAMS(WM_NOTIFYICON, OnNotifyIcon)
        MESSAGE_HANDLER_NOPARAMS(taskbarCreated, OnTaskbarCreated)
        MESSAGE_HANDLER_PARAMS(WM_EDITPORT, OnEditPort)
        COMMAND_ID_HANDLER_EX(IDOK, OnHide)
        COMMAND_ID_HANDLER_EX(IDCANCEL, OnHide)
        COMMAND_ID_HANDLER_EX(ID_APP_EXIT, OnAppExit)
        COMMAND_ID_HANDLER_EX(ID_VIEW_COMMPORTS, OnViewCommPorts)
        COMMAND_ID_HANDLER_EX(ID_TRAY_NOTIFICATIONS, OnTrayNotifications)
        COMMAND_ID_HANDLER_EX(ID_TRAY_QUIT, OnTrayQuit)
        COMMAND_HANDLER_EX(IDC_PREFERENCES, BN_CLICKED, OnPreferences)
        NOTIFY_HANDLER_EX(IDC_PORT_LIST, NM_CUSTOMDRAW, OnListCustomDraw)
        NOTIFY_HANDLER_EX(IDC_PORT_LIST, LVN_ITEMCHANGING, OnListItemChanging)
        NOTIFY_HANDLER_EX(IDC_PORT_LIST, LVN_ITEMCHANGED, OnListItemChanged)
    END_MSG_MAP()

    // The shortest time between two balloons; tests shorten it.
    void SetNoticeInterval(uint32_t intervalMs) { notices.SetInterval(intervalMs); }

    // The two editing flows: a dialog over copies of the records, the
    // mirror's change with what it stored, and one message. Both do nothing
    // while a refresh pass or another flow runs.
    void editPortFlow(int buttonId);
    void preferencesFlow();

    DevListCtrl& PortList() { return portList; }
    ServiceMirror& Service() { return service; }
    TNotifyIcon& Tray() { return tray; }

private:
    // Takes the whole message, since it holds some back to post them again.
    LRESULT OnMessageWhileWaiting(UINT msg, WPARAM wParam, LPARAM lParam);
    BOOL OnInitDialog(HWND focus, LPARAM initParam);
    void OnDestroy();
    void OnTimer(UINT_PTR id);
    void OnSysCommand(UINT command, POINT point);
    void OnEndSession(bool ending, UINT logOffFlags);
    LRESULT OnNotifyIcon(WPARAM iconId, LPARAM event);
    LRESULT OnTaskbarCreated();
    LRESULT OnEditPort(WPARAM buttonId, LPARAM unused);
    void OnHide(UINT code, int id, HWND control);
    void OnAppExit(UINT code, int id, HWND control);
    void OnViewCommPorts(UINT code, int id, HWND control);
    void OnTrayNotifications(UINT code, int id, HWND control);
    void OnTrayQuit(UINT code, int id, HWND control);
    void OnPreferences(UINT code, int id, HWND control);
    LRESULT OnListCustomDraw(LPNMHDR header);
    LRESULT OnListItemChanging(LPNMHDR header);
    LRESULT OnListItemChanged(LPNMHDR header);

    // The tray menu at the point, showing whether balloons are on and greying
    // the item a policy decides.
    void TrackTrayMenu(POINT point);
    // The About box, modal, owned by whatever window is active.
    void OnAppAbout();
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
    TNotifyIcon tray;
    // Every wait of the service link: it outlives the mirror, whose client uses it.
    ResponsiveWait wait;
    ServiceMirror service;
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
