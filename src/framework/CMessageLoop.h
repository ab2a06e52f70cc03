// The message loop of a user-interface thread, with its message filters and
// idle handlers. Register a thread's loop with appModule.AddMessageLoop so that
// windows can find it (appModule.GetMessageLoop()).
#pragma once

#include <windows.h>

#include <vector>

namespace kestrel {

// Sees each message of the loop before it is translated and dispatched.
class CMessageFilter {
public:
    // True when the filter consumed the message; it is then not dispatched.
    virtual bool PreTranslateMessage(MSG* msg) = 0;

protected:
    ~CMessageFilter() = default;
};

// Called when the loop's queue has run empty.
class CIdleHandler {
public:
    // The loop ignores the result.
    virtual bool OnIdle() = 0;

protected:
    ~CIdleHandler() = default;
};

class CMessageLoop {
public:
    // A filter or handler is registered at most once. Removing is safe from
    // inside a filter or idle handler (even for itself); one added there takes
    // part from the next message or idle step on.
    bool AddMessageFilter(CMessageFilter* filter);
    bool RemoveMessageFilter(CMessageFilter* filter);
    bool AddIdleHandler(CIdleHandler* handler);
    bool RemoveIdleHandler(CIdleHandler* handler);

    // Runs until WM_QUIT and returns its wParam. While idle processing is armed
    // and no message waits, the idle step runs once and disarms it; every
    // message for which IsIdleMessage holds arms it again. A failed wait is ignored.
    int Run();

    // Offers the message to the filters, last registered first, until one consumes it.
    bool PreTranslateMessage(MSG* msg);
    // The idle step: every idle handler, in order of registration.
    void OnIdle();
    // Whether a message re-arms idle processing: all but mouse moves (client and
    // non-client), WM_PAINT and the system timer message 0x0118.
    static bool IsIdleMessage(const MSG& msg);

private:
    void Compact();

    std::vector<CMessageFilter*> filters;
    std::vector<CIdleHandler*> idleHandlers;
    // Depth of running offers and idle steps; while above 0, removal only blanks entries.
    int busy = 0;
};

}  // namespace kestrel
