// One icon with a tooltip in the notification area, its popup menu, and the
// balloons it shows. The owner window receives the callback message, asks
// EventOf what it says, and acts on it; the menu's commands go to it too.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <cstdint>

#include "CMenu.h"

namespace kestrel {

// The second-version record: a 128-character tooltip and the balloon's text,
// title and flags, and nothing a shell older than the program's could refuse.
inline constexpr size_t kNotifyIconTipChars = 128;
inline constexpr size_t kBalloonTextChars = 256;
inline constexpr size_t kBalloonTitleChars = 64;
inline constexpr DWORD kNotifyIconRecordSize = static_cast<DWORD>(NOTIFYICONDATAW_V2_SIZE);
#ifndef _WIN64
static_assert(kNotifyIconRecordSize == 936, "second-version notification icon record");
#endif

// The menu opens with its bottom-right corner at the cursor.
inline constexpr UINT kRightMenuAlignment = TPM_RIGHTALIGN | TPM_BOTTOMALIGN | TPM_RIGHTBUTTON;

// What the owner's callback message says happened to the icon.
enum class TrayEvent {
    OtherIcon,     // the message is about another icon
    None,          // single left clicks, button-ups and moves
    DoubleClick,   // a left double click
    RightButton,   // the right button went down: the place for the menu
    BalloonClick,  // the user clicked the balloon
};

class TNotifyIcon {
public:
    static constexpr uint32_t kIconId = 0x42424242;

    TNotifyIcon() = default;
    TNotifyIcon(const TNotifyIcon&) = delete;
    TNotifyIcon& operator=(const TNotifyIcon&) = delete;
    ~TNotifyIcon();

    // Adds the icon; owner receives the callback messages and the menu's
    // commands (none: false).
    bool Create(HICON icon, const wchar_t* tooltip, UINT message, HWND owner);
    // Removes the icon; harmless when nothing was added. The menu stays until
    // the destructor.
    void Destroy();
    // The callback message's wParam and lParam, read.
    TrayEvent EventOf(WPARAM iconId, LPARAM event) const;

    // Shows the right-button menu at the point; nothing while it is empty or
    // the icon is not added.
    void TrackRButtonDownMenu(POINT point);
    bool AppendRButtonDownMenuItem(UINT id, const wchar_t* text);

    // A restarted taskbar has forgotten every icon: add this one again with
    // the record it was added with. Does nothing while the icon is not added.
    bool AddAgain();
    // Replaces the image and the tooltip of the added icon in one change (the
    // same checks as Create's). AddAgain then brings back this look.
    bool Modify(HICON icon, const wchar_t* tooltip);
    // Shows a balloon from the added icon, with the warning or the information
    // icon, cut to what the record holds. The system holds it back in the
    // user's quiet time, presentations and full-screen programs. A taskbar
    // that restarts does not show it again.
    bool ShowBalloon(const wchar_t* title, const wchar_t* text, bool warning);

    // The x at which a menu opens for a cursor at (x, y): unchanged on a
    // monitor, else moved into the nearest monitor's work area.
    static int ClampToWorkArea(int x, int y);
    // The arithmetic of the above for a point off every monitor.
    static int ClampToRange(int x, const RECT& workArea);

    // Whether Create takes this icon and tooltip: an icon is needed, and the
    // tooltip must fit its field with the terminating zero.
    static bool Accepts(HICON icon, const wchar_t* tooltip);
    // The record added to the notification area (all other bytes zero).
    static NOTIFYICONDATAW MakeRecord(HWND target, HICON icon, const wchar_t* tooltip,
                                      UINT message);

    HWND IconWindow() const { return window; }
    // The image and tooltip the icon was last added or modified with.
    HICON Icon() const { return added.hIcon; }
    const wchar_t* Tooltip() const { return added.szTip; }
    HMENU RButtonDownMenu() const { return rButtonDownMenu.Get(); }

private:
    HWND window = nullptr;
    const uint32_t iconId = kIconId;
    CMenu rButtonDownMenu;
    NOTIFYICONDATAW added{};  // the record as added, for AddAgain
};

}  // namespace kestrel
