#include "CWindowObject.h"

namespace kestrel {

namespace {
const wchar_t kObjectProperty[] = L"Kestrel.WindowObject";
}

CWindowObject::~CWindowObject() {
    Detach();
}

void CWindowObject::OnFinalMessage(HWND) {}

CWindowObject* CWindowObject::FromHandle(HWND window) {
    return static_cast<CWindowObject*>(::GetPropW(window, kObjectProperty));
}

bool CWindowObject::Attach(HWND window) {
    if (hwnd || !window || FromHandle(window)) return false;
    if (!::SetPropW(window, kObjectProperty, this)) return false;
    hwnd = window;
    return true;
}

void CWindowObject::Detach() {
    if (hwnd && FromHandle(hwnd) == this) ::RemovePropW(hwnd, kObjectProperty);
    hwnd = nullptr;
}

void CWindowObject::MarkFinalMessage() {
    if (hwnd) ::RemovePropW(hwnd, kObjectProperty);
    finalPending = true;
}

void CWindowObject::EndMessage(HWND window) {
    if (--depth > 0 || !finalPending) return;
    finalPending = false;
    hwnd = nullptr;
    OnFinalMessage(window);
}

}  // namespace kestrel
