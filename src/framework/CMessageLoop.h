// The message loop of the user-interface thread, with its message filters.
// Register it with appModule.AddMessageLoop so that windows can find it
// (appModule.GetMessageLoop()).
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

class CMessageLoop {
public:
    // A filter is registered at most once. Removing is safe from inside a
    // filter (even for itself); one added there takes part from the next
    // message on.
    bool AddMessageFilter(CMessageFilter* filter);
    bool RemoveMessageFilter(CMessageFilter* filter);

    // Runs until WM_QUIT and returns its wParam. A failed wait is ignored.
    int Run();

    // Offers the message to the filters, last registered first, until one consumes it.
    bool PreTranslateMessage(MSG* msg);

private:
    std::vector<CMessageFilter*> filters;
    // Depth of running offers; while above 0, removal only blanks entries.
    int busy = 0;
};

}  // namespace kestrel
