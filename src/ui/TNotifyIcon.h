// One icon with a tooltip in the notification area. Its mouse events become four
// virtual handlers, which by default show one of four popup menus at the cursor.
// A base class: the owner window passes itself as the window that receives the
// callback message and the menu commands; without one, a hidden window of the
// icon's own receives the callback message.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <cstdint>

#include "CMenu.h"

namespace kestrel {

// The first-version record: everything up to the end of a 64-character tooltip.
// Older shells know only this much of the record.
inline constexpr size_t kNotifyIconTipChars = 64;
inline constexpr DWORD kNotifyIconRecordSize =
    static_cast<DWORD>(offsetof(NOTIFYICONDATAW, szTip) + kNotifyIconTipChars * sizeof(WCHAR));
#ifndef _WIN64
static_assert(kNotifyIconRecordSize == 152, "first-version notification icon record");
#endif

inline constexpr wchar_t kNotifyIconWindowClass[] = L"TNotifyIconWndClass";
inline constexpr wchar_t kNotifyIconWindowTitle[] = L"TNotifyIcon Hidden Window";

// Menu alignments: the left-button menus centre on the cursor, the right-button
// menus open with their bottom-right corner at it.
inline constexpr UINT kLeftMenuAlignment = TPM_CENTERALIGN | TPM_RIGHTBUTTON;
inline constexpr UINT kRightMenuAlignment = TPM_RIGHTALIGN | TPM_BOTTOMALIGN | TPM_RIGHTBUTTON;

class TNotifyIcon {
public:
    static constexpr uint32_t kIconId = 0x42424242;

    TNotifyIcon() = default;
    TNotifyIcon(const TNotifyIcon&) = delete;
    TNotifyIcon& operator=(const TNotifyIcon&) = delete;
    virtual ~TNotifyIcon();

    // Adds the icon. owner may be null: then a hidden window receives the
    // callback messages (one such window per process at a time).
    virtual bool Create(HICON icon, const wchar_t* tooltip, UINT message, HWND owner,
                        HINSTANCE module);
    // Removes the icon and the hidden window; harmless when nothing was added.
    // The menus stay until the destructor.
    virtual void Destroy();
    // For the owner's callback message. Clears handled when the message is
    // about another icon.
    virtual LRESULT OnNotifyIconMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    virtual void OnLButtonDown(POINT point);
    virtual void OnLButtonDblClk(POINT point);
    virtual void OnRButtonDown(POINT point);
    virtual void OnRButtonDblClk(POINT point);

    virtual void TrackLButtonDownMenu(POINT point);
    virtual void TrackLButtonDblClkMenu(POINT point);
    virtual void TrackRButtonDownMenu(POINT point);
    virtual void TrackRButtonDblClkMenu(POINT point);

    virtual bool AppendLButtonDownMenuItem(UINT id, const wchar_t* text);
    virtual bool AppendLButtonDblClkMenuItem(UINT id, const wchar_t* text);
    virtual bool AppendRButtonDownMenuItem(UINT id, const wchar_t* text);
    virtual bool AppendRButtonDblClkMenuItem(UINT id, const wchar_t* text);

    // A restarted taskbar has forgotten every icon: add this one again with
    // the record it was added with. Does nothing while the icon is not added.
    bool AddAgain();
    // Replaces the image and the tooltip of the added icon in one change (the
    // same checks as Create's). AddAgain then brings back this look.
    bool Modify(HICON icon, const wchar_t* tooltip);

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
    HMENU RButtonDownMenu() const { return menus[kRButtonDown].Get(); }

private:
    // The mouse events that have a menu each, in the order the menus are kept.
    enum MenuEvent { kLButtonDown, kLButtonDblClk, kRButtonDown, kRButtonDblClk, kMenuEvents };

    static LRESULT CALLBACK HiddenWindowProc(HWND hidden, UINT message, WPARAM wParam,
                                             LPARAM lParam) noexcept;
    bool CreateHiddenWindow(HINSTANCE module);
    // What the four menu and the four append operations do, for one event's menu.
    void TrackMenu(MenuEvent event, POINT point);
    bool AppendMenuItem(MenuEvent event, UINT id, const wchar_t* text);

    HWND window = nullptr;
    bool ownsWindow = false;
    const uint32_t iconId = kIconId;
    CMenu menus[kMenuEvents];
    HINSTANCE instance = nullptr;
    UINT callbackMessage = 0;
    NOTIFYICONDATAW added{};  // the record as added, for AddAgain
};

}  // namespace kestrel
