#include "ListHost.h"

#include "Dpi.h"
#include "WindowsEnvironment.h"
#include "resource.h"

namespace kestrel::test {

namespace {

const wchar_t kHostClass[] = L"KestrelTestListHost";
const wchar_t kPreviousProp[] = L"KestrelTest.PreviousProc";

bool RegisterHostClass(HINSTANCE) {
    return RegisterWindowClass(kHostClass, ListHost::Proc,
                               reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
}

[[maybe_unused]] ::testing::Environment* const environment =
    AddWindowsEnvironment({RegisterHostClass});

LRESULT CALLBACK RecorderProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const UINT code = msg == WM_NOTIFY ? reinterpret_cast<NMHDR*>(lParam)->code : 0;
    arrivals.push_back({msg, wParam, code});
    const auto previous = reinterpret_cast<WNDPROC>(::GetPropW(hwnd, kPreviousProp));
    if (msg == WM_NCDESTROY) ::RemovePropW(hwnd, kPreviousProp);
    return ::CallWindowProcW(previous, hwnd, msg, wParam, lParam);
}

}  // namespace

std::vector<Arrival> arrivals;

// Sizes are given at 96 DPI and scaled, as the main window's template scales.
ListHost::ListHost() : dpi(WindowDpi(nullptr)) {
    window = ::CreateWindowExW(WS_EX_NOACTIVATE, kHostClass, L"Port list", WS_POPUP, 0, 0,
                               ScaleForDpi(760, dpi), ScaleForDpi(520, dpi), nullptr, nullptr,
                               ::GetModuleHandleW(nullptr), this);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::ShowWindow(window, SW_SHOWNA);
}

ListHost::~ListHost() {
    if (::IsWindow(window)) ::DestroyWindow(window);
}

HWND ListHost::AddList(int id, DWORD style) {
    const int top = 10 + 130 * lists++;
    return ::CreateWindowExW(kListExStyle, WC_LISTVIEWW, L"", style, ScaleForDpi(18, dpi),
                             ScaleForDpi(top, dpi), ScaleForDpi(680, dpi), ScaleForDpi(110, dpi),
                             window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             ::GetModuleHandleW(nullptr), nullptr);
}

TListCtrl* ListHost::RouteOf(HWND list) const {
    for (const RouteEntry& r : routes)
        if (r.list == list) return r.object;
    return nullptr;
}

LRESULT CALLBACK ListHost::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ListHost*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_EDITPORT && self) {
        self->editPorts.push_back(wParam);
        return 0;
    }
    if (msg == WM_NOTIFY) {
        auto* nm = reinterpret_cast<NMHDR*>(lParam);
        TListCtrl* list = self ? self->RouteOf(nm->hwndFrom) : nullptr;
        if (list) {
            auto* change = reinterpret_cast<NMLISTVIEW*>(lParam);
            switch (nm->code) {
            case NM_CUSTOMDRAW:
                return list->OnCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
            case LVN_ITEMCHANGING:
                return list->VetoesItemChange(change->uOldState, change->uNewState) ? 1 : 0;
            case LVN_ITEMCHANGED: list->OnItemChanged(*change); return 0;
            default: break;
            }
        }
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

void RecordPreviousProc(HWND list) {
    arrivals.clear();
    const LONG_PTR previous =
        ::SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecorderProc));
    ::SetPropW(list, kPreviousProp, reinterpret_cast<HANDLE>(previous));
}

bool Arrived(UINT msg, WPARAM wParam) {
    for (const Arrival& a : arrivals)
        if (a.msg == msg && a.wParam == wParam) return true;
    return false;
}

bool ArrivedNotify(UINT code) {
    for (const Arrival& a : arrivals)
        if (a.msg == WM_NOTIFY && a.notifyCode == code) return true;
    return false;
}

RECT CellRect(HWND list, int item, int column) {
    RECT rect{LVIR_BOUNDS, column, 0, 0};
    ::SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(item),
                   reinterpret_cast<LPARAM>(&rect));
    return rect;
}

RECT ChildRect(HWND child) {
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

LRESULT SendHeaderNotify(HWND list, UINT code, int item) {
    NMHEADERW nm{};
    nm.hdr.hwndFrom = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
    nm.hdr.code = code;
    nm.iItem = item;
    return ::SendMessageW(list, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&nm));
}

PortRowInfo FullRow(const std::wstring& name, uint32_t mode, uint32_t status, bool active) {
    PortRowInfo row;
    row.name = name;
    row.portLabel = name;
    row.serialNumber = L"SN-" + name;
    row.mode = mode;
    row.status = status;
    row.comPortActive = active;
    row.connection = L"dms.example:4000";
    return row;
}

}  // namespace kestrel::test
