#include "CMainDlg.h"

#include "ActiveDmsLink.h"
#include "CAboutDlg.h"
#include "CAppModule.h"
#include "CenterWindow.h"
#include "ConfigMessages.h"
#include "ConnectionDlg.h"
#include "GlobalDlg.h"
#include "NoticeSwitch.h"
#include "PanelTexts.h"
#include "WindowIcons.h"

#include <cwchar>

namespace kestrel {

CMainDlg::CMainDlg(const wchar_t* pipeName)
    : service(pipeName), taskbarCreated(::RegisterWindowMessageW(kTaskbarCreatedMessage)) {
    service.SetWaitPolicy(&wait);
    portList.SetRequestWait(&wait);
}

CMainDlg::~CMainDlg() = default;

void CMainDlg::TrackTrayMenu(POINT point) {
    const NoticeChoice choice = ReadNoticeChoice();
    const HMENU menu = tray.RButtonDownMenu();
    ::CheckMenuItem(menu, ID_TRAY_NOTIFICATIONS,
                    MF_BYCOMMAND | (choice.on ? MF_CHECKED : MF_UNCHECKED));
    ::EnableMenuItem(menu, ID_TRAY_NOTIFICATIONS,
                     MF_BYCOMMAND | (choice.byPolicy ? MF_GRAYED : MF_ENABLED));
    tray.TrackRButtonDownMenu(point);
}

void CMainDlg::ShowAndActivate() {
    ::ShowWindow(Handle(), SW_SHOW);
    ::SetForegroundWindow(Handle());
}

namespace {

// What a message sent to the window while a request waits does. A request
// that waits answers the messages sent to the window, and a command among
// them (a menu, a dialog, a quit that destroys the window) would run inside
// the request, under what it holds: it runs after the request instead, in
// order with the other commands sent meanwhile. The caption's menus, the
// tracking of a mouse button on the frame and the window's destruction would
// run a modal loop or free what the request holds: they do nothing. Only the
// window's own thread destroys it, and never inside a request, so a
// WM_DESTROY that comes then was sent from elsewhere.
enum class WhileWaiting { AsEver, RunAfter, Ignore };

WhileWaiting WhileWaitingFor(UINT msg) {
    switch (msg) {
    case WM_COMMAND:
    case WM_SYSCOMMAND:
    case WM_NOTIFYICON:
    case WM_EDITPORT: return WhileWaiting::RunAfter;
    case WM_CONTEXTMENU:
    case WM_DESTROY: return WhileWaiting::Ignore;
    default:
        return msg >= WM_NCLBUTTONDOWN && msg <= WM_NCRBUTTONDBLCLK ? WhileWaiting::Ignore
                                                                    : WhileWaiting::AsEver;
    }
}

}  // namespace

// A request to quit (-exitall) is honoured there and then.
LRESULT CMainDlg::OnMessageWhileWaiting(UINT msg, WPARAM wParam, LPARAM lParam) {
    const WhileWaiting what = wait.Waiting() ? WhileWaitingFor(msg) : WhileWaiting::AsEver;
    if (what == WhileWaiting::RunAfter) {
        if (msg == WM_COMMAND && LOWORD(wParam) == ID_APP_EXIT) EndUnderRequest();
        wait.PostAfterWait(Handle(), msg, wParam, lParam);
    }
    SetMsgHandled(what != WhileWaiting::AsEver);
    return 0;
}

BOOL CMainDlg::OnInitDialog(HWND, LPARAM) {
    const HWND dialog = Handle();
    const HINSTANCE module = appModule.Instance();
    AddAboutItem();
    CenterWindow(dialog, nullptr);
    ::SetWindowTextW(dialog, kProgramTitle);
    portList.SubclassWindow(::GetDlgItem(dialog, IDC_PORT_LIST));
    SetWindowIcons(dialog, module, IDR_MAINFRAME);

    AddTrayIcon();
    tray.AppendRButtonDownMenuItem(ID_VIEW_COMMPORTS, kTrayViewPorts);
    tray.AppendRButtonDownMenuItem(ID_TRAY_NOTIFICATIONS, kTrayNotifications);
    tray.AppendRButtonDownMenuItem(ID_TRAY_QUIT, kTrayQuit);

    service.ConnectAtStartup();
    ::SetTimer(dialog, kRefreshTimerId, kRefreshPeriodMs, nullptr);
    // Filled before the window is first shown.
    service.RefreshPorts(portList);
    ShowLinkState();
    TellChanges();
    return TRUE;
}

void CMainDlg::AddAboutItem() {
    wchar_t text[64] = {};
    if (::LoadStringW(appModule.Instance(), IDS_ABOUT_MENU, text, 64) <= 0) return;
    HMENU systemMenu = ::GetSystemMenu(Handle(), FALSE);
    ::AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(systemMenu, MF_STRING, ID_APP_ABOUT, text);
}

void CMainDlg::OnDestroy() { service.Close(); }

void CMainDlg::OnTimer(UINT_PTR id) {
    if (id != kRefreshTimerId) return;
    service.RefreshWhenDue(portList);
    ShowLinkState();
    TellChanges();
}

namespace {

// What the window and the tray show for a link state and the active ports
// not connected. The title format takes the program title; the version's
// takes the version seen after it, and the others leave those arguments
// unused. The service's own state comes before the ports'.
struct LinkLook {
    const wchar_t* titleFormat;
    std::wstring stateLine;  // the tooltip's second line; empty: none
    int trayIcon;
};

LinkLook LookOf(LinkState::Kind kind, size_t portsDown) {
    switch (kind) {
    case LinkState::Kind::Connected: break;
    case LinkState::Kind::NotRunning:
        return {kTitleServiceNotRunning, kServiceNotRunning, IDI_TRAY_GREYED};
    case LinkState::Kind::WrongVersion:
        return {kTitleVersionNotSupported, kServiceVersionNotSupported, IDI_TRAY_WARNING};
    case LinkState::Kind::Untrusted:
        return {kTitlePipeNotTrusted, kServicePipeNotTrusted, IDI_TRAY_WARNING};
    case LinkState::Kind::NotResponding:
        return {kTitleServiceNotResponding, kServiceNotResponding, IDI_TRAY_WARNING};
    }
    if (portsDown == 0) return {L"%ls", L"", IDR_MAINFRAME};
    return {L"%ls", NotConnectedLine(portsDown), IDI_TRAY_WARNING};
}

// The tooltip of a look: the program title, and what is wrong.
struct TrayTip {
    explicit TrayTip(const LinkLook& look) {
        std::swprintf(text, kNotifyIconTipChars, look.stateLine.empty() ? L"%ls" : L"%ls\n%ls",
                      kProgramTitle, look.stateLine.c_str());
    }
    wchar_t text[kNotifyIconTipChars] = {};
};

size_t PortsDown(const PortTable& ports) {
    size_t down = 0;
    for (const auto& entry : ports)
        if (ActiveDmsLinkDown(entry.second)) ++down;
    return down;
}

}  // namespace

// Title, tooltip, tray icon and the rows' colour follow the link: the program
// title, icon and black rows while connected, otherwise they say that the
// rows are only the last known state and why. Only a connect attempt or a
// refresh time-out changes the state, so nothing flickers while a single
// request fails. While connected, the tray icon warns and the tooltip counts
// the active ports that are not connected. The icon changes once per change
// of what it shows, not on every tick.
void CMainDlg::ShowLinkState() {
    const LinkState link = service.Link();
    const size_t portsDown =
        link.kind == LinkState::Kind::Connected ? PortsDown(service.Ports()) : 0;
    if (link == shownLink && portsDown == shownPortsDown) return;
    const LinkLook look = LookOf(link.kind, portsDown);
    if (link != shownLink) {
        wchar_t title[128] = {};
        std::swprintf(title, 128, look.titleFormat, kProgramTitle, link.major, link.minor,
                      link.patch);
        ::SetWindowTextW(Handle(), title);
        portList.ShowAsLastKnown(link.kind != LinkState::Kind::Connected);
    }
    shownLink = link;
    shownPortsDown = portsDown;
    tray.Modify(LoadSmallIcon(appModule.Instance(), look.trayIcon), TrayTip(look).text);
}

void CMainDlg::TellChanges() {
    const LinkState link = service.Link();
    if (link.kind == LinkState::Kind::Connected && service.LastPassResult().Done()) {
        notices.PassSeen(service.Ports());
    } else {
        notices.LinkSeen(link.kind);
    }
    const std::optional<TrayNotice> notice =
        notices.Take(::GetTickCount(), [this] { return MayShowBalloon(); });
    if (notice && tray.ShowBalloon(kProgramTitle, notice->text.c_str(), notice->warning))
        noticePort = notice->firstPort;
}

bool CMainDlg::MayShowBalloon() const {
    const HWND front = ::GetForegroundWindow();
    const bool inFront = front && ::GetAncestor(front, GA_ROOTOWNER) == Handle();
    if (inFront && ::IsWindowVisible(Handle()) && !::IsIconic(Handle())) return false;
    return ReadNoticeChoice().on;
}

// A failed add is ignored: the program runs on without an icon until a
// taskbar starts.
void CMainDlg::AddTrayIcon() {
    const LinkLook look = LookOf(shownLink.kind, shownPortsDown);
    tray.Create(LoadSmallIcon(appModule.Instance(), look.trayIcon), TrayTip(look).text,
                WM_NOTIFYICON, Handle());
}

void CMainDlg::OnSysCommand(UINT command, POINT) {
    if (command != ID_APP_ABOUT) {
        SetMsgHandled(false);
        return;
    }
    OnAppAbout();
}

void CMainDlg::OnAppAbout() {
    CAboutDlg about;
    about.DoModal(IDD_ABOUTBOX, ::GetActiveWindow());
}

// A double click on the icon shows the window; a click on a balloon shows it
// with the first port the balloon told of in focus.
LRESULT CMainDlg::OnNotifyIcon(WPARAM iconId, LPARAM event) {
    POINT cursor{};
    switch (tray.EventOf(iconId, event)) {
    case TrayEvent::OtherIcon: SetMsgHandled(false); break;
    case TrayEvent::DoubleClick: ShowAndActivate(); break;
    case TrayEvent::RightButton:
        if (::GetCursorPos(&cursor)) TrackTrayMenu(cursor);
        break;
    case TrayEvent::BalloonClick:
        ShowAndActivate();
        ::SetFocus(portList.Handle());
        portList.FocusPort(noticePort);
        break;
    case TrayEvent::None: break;
    }
    return 0;
}

LRESULT CMainDlg::OnTaskbarCreated() {
    // A failed registration leaves 0, which must not claim WM_NULL.
    if (taskbarCreated == 0) {
        SetMsgHandled(false);
        return 0;
    }
    // The icon comes back as it last looked; one that could not be added at
    // start (no taskbar yet) is added now in the look of the current state.
    if (tray.IconWindow()) {
        tray.AddAgain();
    } else {
        AddTrayIcon();
    }
    return 0;
}

LRESULT CMainDlg::OnEditPort(WPARAM buttonId, LPARAM) {
    editPortFlow(static_cast<int>(buttonId));
    return 0;
}

// An installer that uses the Restart Manager closes the panel so, and starts
// it again afterwards as it registered itself at start-up: it ends as
// -exitall would end it.
void CMainDlg::OnEndSession(bool ending, UINT logOffFlags) {
    if (!ending || (logOffFlags & ENDSESSION_CLOSEAPP) == 0) {
        SetMsgHandled(false);
        return;
    }
    // At once: the session may end the process as soon as this returns. A
    // request waiting below would find its window and records gone.
    if (wait.Waiting()) EndUnderRequest();
    Quit();
}

void CMainDlg::OnPreferences(UINT, int, HWND) { preferencesFlow(); }

// A flow already running has its dialog open: a second one would share its
// records and end the hold on the refresh under it.
void CMainDlg::editPortFlow(int buttonId) {
    if (service.IsRefreshing() || service.IsEditing()) return;
    // No row has the button when the port went away before the click was handled.
    const std::wstring name = portList.GetPortOfButton(buttonId);
    ApplyOutcome outcome;
    bool applied = false;
    {
        ServiceMirror::EditingScope editing(service);
        const PortRecord* shown = service.FindPort(name);
        if (!shown) return;
        PortRecord edited = *shown;
        ConnectionDlg dialog(&edited, &service.DefaultDms());
        applied = dialog.Run(::GetActiveWindow()) == 1;
        if (applied) outcome = service.ChangePort(portList, name, edited);
    }
    if (applied) {
        // A service found silent shows so before the message does.
        ShowLinkState();
        ReportApplyOutcome(Handle(), outcome);
    }
    // Back where the keyboard left off, wherever the row is now.
    if (::IsWindowVisible(Handle())) {
        ::SetFocus(portList.Handle());
        portList.FocusPort(name);
    }
}

void CMainDlg::preferencesFlow() {
    if (service.IsRefreshing() || service.IsEditing()) return;
    ApplyOutcome outcome;
    {
        ServiceMirror::EditingScope editing(service);
        DmsConfig defaults = service.DefaultDms();
        LogSettings log = service.LogSettingsCache();
        GlobalDlg dialog(&defaults, &log);
        if (dialog.Run(::GetActiveWindow()) != 1) return;
        outcome = service.ChangePreferences(portList, defaults, log);
    }
    ShowLinkState();
    ReportApplyOutcome(Handle(), outcome);
}

void CMainDlg::OnHide(UINT, int, HWND) { ::ShowWindow(Handle(), SW_HIDE); }

void CMainDlg::OnAppExit(UINT, int, HWND) { Quit(); }

void CMainDlg::Quit() {
    ::KillTimer(Handle(), kRefreshTimerId);
    tray.Destroy();
    ::DestroyWindow(Handle());
    ::PostQuitMessage(kQuitExitCode);
}

void CMainDlg::EndUnderRequest() {
    tray.Destroy();
    ::ExitProcess(kQuitExitCode);
}

void CMainDlg::OnViewCommPorts(UINT, int, HWND) { ShowAndActivate(); }

// A choice the policy makes is not the user's to change.
void CMainDlg::OnTrayNotifications(UINT, int, HWND) {
    const NoticeChoice choice = ReadNoticeChoice();
    if (!choice.byPolicy) StoreUserNoticeChoice(!choice.on);
}

void CMainDlg::OnTrayQuit(UINT, int, HWND) { ::PostMessageW(Handle(), WM_COMMAND, ID_APP_EXIT, 0); }

LRESULT CMainDlg::OnListCustomDraw(LPNMHDR header) {
    return portList.OnCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(header));
}

LRESULT CMainDlg::OnListItemChanging(LPNMHDR header) {
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if (portList.VetoesItemChange(change->uOldState, change->uNewState)) return TRUE;
    SetMsgHandled(false);
    return 0;
}

LRESULT CMainDlg::OnListItemChanged(LPNMHDR header) {
    SetMsgHandled(portList.OnItemChanged(*reinterpret_cast<const NMLISTVIEW*>(header)));
    return 0;
}

}  // namespace kestrel
