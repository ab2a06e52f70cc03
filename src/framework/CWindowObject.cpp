#include "CWindowObject.h"

namespace kestrel {

namespace {
const wchar_t kObjectProperty[] = L"Kestrel.WindowObject";
}

CWindowObject::~CWindowObject() { Detach(); }

void CWindowObject::OnFinalMessage(HWND) {}

CWindowObject* CWindowObject::FromHandle(HWND window) {
    return static_cast<CWindowObject*>(::GetPropW(window, kObjectProperty));
}

bool CWindowObject::Attach(HWND window) {
    if (boundWindow || !window || FromHandle(window)) return false;
    if (!::SetPropW(window, kObjectProperty, this)) return false;
    boundWindow = window;
    return true;
}

void CWindowObject::Detach() {
    if (boundWindow && FromHandle(boundWindow) == this) {
        ::RemovePropW(boundWindow, kObjectProperty);
    }
    boundWindow = nullptr;
}

void CWindowObject::MarkFinalMessage() {
    if (boundWindow) ::RemovePropW(boundWindow, kObjectProperty);
    finalPending = true;
}

void CWindowObject::EndMessage(HWND window) {
    if (--depth > 0 || !finalPending) return;
    finalPending = false;
    boundWindow = nullptr;
    OnFinalMessage(window);
}

}  // namespace kestrel
