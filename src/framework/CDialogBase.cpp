#include "CDialogBase.h"

#include "CAppModule.h"

namespace kestrel {

namespace {
// Messages whose result is the dialog procedure's own return value.
bool ReturnsResultDirectly(UINT msg) {
    switch (msg) {
    case WM_INITDIALOG:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: return true;
    default: return false;
    }
}
}  // namespace

CDialogBase::~CDialogBase() { LeaveMessageLoop(); }

bool CDialogBase::KeyboardFilter::PreTranslateMessage(MSG* msg) {
    return ::IsDialogMessageW(window, msg) != FALSE;
}

void CDialogBase::LeaveMessageLoop() {
    if (!keyboard.window) return;
    if (CMessageLoop* loop = appModule.GetMessageLoop()) loop->RemoveMessageFilter(&keyboard);
    keyboard.window = nullptr;
}

HWND CDialogBase::Create(UINT templateId, HWND owner) {
    if (Handle() || !appModule.AddCreatingObject(this)) return nullptr;
    modeless = true;
    const HWND window = ::CreateDialogParamW(appModule.Instance(), MAKEINTRESOURCEW(templateId),
                                             owner, DialogProc, 0);
    appModule.RemoveCreatingObject(this);
    return window;
}

INT_PTR CDialogBase::DoModal(UINT templateId, HWND owner) {
    if (Handle() || !appModule.AddCreatingObject(this)) return -1;
    modeless = false;
    const INT_PTR result =
        ::DialogBoxParamW(appModule.Instance(), MAKEINTRESOURCEW(templateId), owner, DialogProc, 0);
    appModule.RemoveCreatingObject(this);
    return result;
}

bool CDialogBase::EndDialog(INT_PTR result) { return ::EndDialog(Handle(), result) != FALSE; }

INT_PTR CALLBACK CDialogBase::DialogProc(HWND hwnd, UINT msg, WPARAM wParam,
                                         LPARAM lParam) noexcept {
    CDialogBase* self = nullptr;
    if (CWindowObject* bound = FromHandle(hwnd)) {
        self = dynamic_cast<CDialogBase*>(bound);
    } else {
        self = dynamic_cast<CDialogBase*>(appModule.TakeCreatingObject());
        if (self && !self->Attach(hwnd)) self = nullptr;
    }
    return self ? self->Dispatch(hwnd, msg, wParam, lParam) : FALSE;
}

INT_PTR CDialogBase::Dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG && modeless && !keyboard.window) {
        if (CMessageLoop* loop = appModule.GetMessageLoop()) {
            if (loop->AddMessageFilter(&keyboard)) keyboard.window = hwnd;
        }
    }
    BeginMessage();
    LRESULT result = 0;
    INT_PTR answer = FALSE;
    if (ProcessWindowMessage(hwnd, msg, wParam, lParam, result, 0)) {
        if (ReturnsResultDirectly(msg)) {
            answer = static_cast<INT_PTR>(result);
        } else {
            // Set after the handler ran, so results of nested messages cannot replace it.
            ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
            answer = TRUE;
        }
    } else if (msg == WM_INITDIALOG) {
        answer = TRUE;
    }
    if (msg == WM_NCDESTROY) {
        LeaveMessageLoop();
        MarkFinalMessage();
    }
    EndMessage(hwnd);
    return answer;
}

}  // namespace kestrel
