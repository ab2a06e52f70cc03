// The part a dialog of the program plays in its thread's message loop: as
// message filter it gives its window the dialog manager's keyboard handling
// (Tab, Enter, Escape, mnemonics) also where the system's modal loop does not
// run; as idle handler it has no idle work; and it is its own child-window
// container for the update-UI base. A dialog joins on WM_INITDIALOG and leaves
// on WM_DESTROY.
#pragma once

#include <windows.h>

#include "CMessageLoop.h"
#include "CUpdateUI.h"

namespace kestrel {

class CDialogLoopMember : public CUpdateUI, public CMessageFilter, public CIdleHandler {
public:
    bool PreTranslateMessage(MSG* msg) override;
    // Registered for the loop's idle step like every dialog; there is nothing
    // to bring up to date when the queue runs empty.
    bool OnIdle() override;

protected:
    ~CDialogLoopMember() = default;

    // Joins the calling thread's loop, when it has one, for this dialog window.
    void JoinMessageLoop(HWND dialog);
    void LeaveMessageLoop();

private:
    HWND window = nullptr;
};

}  // namespace kestrel
