// Test host for the list controls: a visible top-level window with list-view
// controls made like the main window's, routing their notifications the way
// the main window does (custom draw, the two vetoes, item changes) and
// recording the WM_EDITPORT messages it gets.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "ListView.h"
#include "PortRowInfo.h"
#include "TListCtrl.h"

namespace kestrel::test {

// Styles of the main window's list control.
inline constexpr DWORD kListStyle = 0x50828885;
inline constexpr DWORD kListExStyle = 0x20;

class ListHost {
public:
    ListHost();
    ~ListHost();
    ListHost(const ListHost&) = delete;
    ListHost& operator=(const ListHost&) = delete;

    HWND Window() const { return window; }
    // A list control at a free place in the host.
    // Short, so that a few rows scroll and few buttons repaint.
    HWND AddList(int id, DWORD style = kListStyle);
    // Binds the object to that list control and routes the list's notifications
    // to it; false when the object cannot take the window.
    bool Attach(HWND list, TListCtrl& object) {
        if (!object.SubclassWindow(list)) return false;
        routes.push_back({list, &object});
        return true;
    }

    std::vector<WPARAM> editPorts;  // wParam of every WM_EDITPORT, in order

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    TListCtrl* RouteOf(HWND list) const;

    struct RouteEntry {
        HWND list;
        TListCtrl* object;
    };
    std::vector<RouteEntry> routes;
    UINT dpi;
    HWND window = nullptr;
    int lists = 0;
};

// Records what reaches a list's original procedure, starting a fresh record;
// install before attaching a list object, so that the recorder is the object's
// previous procedure.
struct Arrival {
    UINT msg;
    WPARAM wParam;
    UINT notifyCode;  // WM_NOTIFY only
};
void RecordPreviousProc(HWND list);
extern std::vector<Arrival> arrivals;
bool Arrived(UINT msg, WPARAM wParam);
bool ArrivedNotify(UINT code);

// Readers of the control's own state.
inline UINT TickState(HWND list, int item) { return ItemState(list, item, LVIS_STATEIMAGEMASK); }
RECT CellRect(HWND list, int item, int column);
RECT ChildRect(HWND child);  // in the parent's client coordinates

// A notification of the list's header, as the header sends it to the list.
LRESULT SendHeaderNotify(HWND list, UINT code, int item);

PortRowInfo FullRow(const std::wstring& name, uint32_t mode = kModePoct1A,
                    uint32_t status = kStatusConnected, bool active = true);

}  // namespace kestrel::test
