#include "CDialogLoopMember.h"

#include "CAppModule.h"

namespace kestrel {

bool CDialogLoopMember::PreTranslateMessage(MSG* msg) {
    return window && ::IsDialogMessageW(window, msg) != FALSE;
}

bool CDialogLoopMember::OnIdle() { return false; }

void CDialogLoopMember::JoinMessageLoop(HWND dialog) {
    window = dialog;
    appModule.AddToMessageLoop(this, this);
    UIAddChildWindowContainer(dialog);
}

void CDialogLoopMember::LeaveMessageLoop() { appModule.RemoveFromMessageLoop(this, this); }

}  // namespace kestrel
