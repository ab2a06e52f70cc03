#include "CWindowBase.h"

#include "CAppModule.h"

namespace kestrel {

namespace {
WNDPROC CurrentProc(HWND window) {
    return reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window, GWLP_WNDPROC));
}
}  // namespace

CWindowBase::~CWindowBase() {
    if (Handle()) RestorePreviousProc(Handle());
}

WNDPROC CWindowBase::GetWindowProc() { return WindowProc; }

bool CWindowBase::SubclassWindow(HWND window) {
    if (!::IsWindow(window)) return false;
    const WNDPROC proc = GetWindowProc();
    // Bound first: the new procedure must find the object from its first call on.
    if (!Attach(window)) return false;
    const LONG_PTR old =
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
    if (!old) {
        Detach();
        return false;
    }
    previousProc = reinterpret_cast<WNDPROC>(old);
    installedProc = proc;
    return true;
}

HWND CWindowBase::Create(CSuperclass& windowClass, HWND parent, const RECT& rect,
                         const wchar_t* text, DWORD style, DWORD exStyle, UINT id) {
    if (Handle() || !windowClass.Register(StartWindowProc)) return nullptr;
    previousProc = windowClass.BaseProc();
    if (!appModule.AddCreatingObject(this)) return nullptr;
    const HWND window = ::CreateWindowExW(
        exStyle, windowClass.Name(), text, style, rect.left, rect.top, rect.right - rect.left,
        rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
        appModule.Instance(), nullptr);
    // Still waiting when the system refused the window before its first message.
    appModule.RemoveCreatingObject(this);
    return window;
}

LRESULT CWindowBase::CallPreviousProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcW(previousProc, Handle(), msg, wParam, lParam);
}

LRESULT CALLBACK CWindowBase::StartWindowProc(HWND hwnd, UINT msg, WPARAM wParam,
                                              LPARAM lParam) noexcept {
    auto* self = dynamic_cast<CWindowBase*>(appModule.TakeCreatingObject());
    if (!self || !self->Attach(hwnd)) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    self->installedProc = self->GetWindowProc();
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self->installedProc));
    return self->Dispatch(hwnd, msg, wParam, lParam);
}

// A window whose object is gone (destroyed while another procedure sat on top
// of ours, so ours could not be taken out) gets the default handling.
LRESULT CALLBACK CWindowBase::WindowProc(HWND hwnd, UINT msg, WPARAM wParam,
                                         LPARAM lParam) noexcept {
    auto* self = dynamic_cast<CWindowBase*>(FromHandle(hwnd));
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    return self->Dispatch(hwnd, msg, wParam, lParam);
}

LRESULT CWindowBase::Dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    BeginMessage();
    LRESULT result = 0;
    if (!ProcessWindowMessage(hwnd, msg, wParam, lParam, result, 0)) {
        result = ::CallWindowProcW(previousProc, hwnd, msg, wParam, lParam);
    }
    if (msg == WM_NCDESTROY) {
        RestorePreviousProc(hwnd);
        MarkFinalMessage();
    }
    EndMessage(hwnd);
    return result;
}

// Only while ours is on top: a procedure installed later keeps its own chain,
// and a window left with the default procedure needs nothing put back.
void CWindowBase::RestorePreviousProc(HWND window) {
    if (previousProc != ::DefWindowProcW && CurrentProc(window) == installedProc) {
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc));
    }
}

}  // namespace kestrel
