// The program's one module object: instance handle, the table of
// message loops by thread, the window classes registered for superclasses, and
// the window objects whose windows are being created. Every table is guarded by
// the module's critical section.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "CCriticalSection.h"

namespace kestrel {

class CIdleHandler;
class CMessageFilter;
class CMessageLoop;
class CWindowObject;

class CAppModule {
public:
    CAppModule() = default;
    CAppModule(const CAppModule&) = delete;
    CAppModule& operator=(const CAppModule&) = delete;

    // Records the instance (where dialog templates and window classes live) and
    // creates the empty loop table.
    // Call before any window of the framework is created.
    [[nodiscard]] bool Init(HINSTANCE moduleInstance);
    // Frees the loop table and unregisters the window classes of superclasses.
    // Call once every window of those classes is gone.
    void Term();

    HINSTANCE Instance() const { return instance; }

    // One loop per thread. Adding fails before Init, after Term, or when the
    // calling thread already has a loop; removing fails when it has none.
    [[nodiscard]] bool AddMessageLoop(CMessageLoop* loop);
    bool RemoveMessageLoop();
    CMessageLoop* GetMessageLoop(DWORD threadId = ::GetCurrentThreadId()) const;
    // A dialog joins the calling thread's loop, when it has one, as message
    // filter and idle handler on WM_INITDIALOG, and leaves it on WM_DESTROY.
    void AddToMessageLoop(CMessageFilter* filter, CIdleHandler* idle) const;
    void RemoveFromMessageLoop(CMessageFilter* filter, CIdleHandler* idle) const;

    // Window classes that Term unregisters.
    [[nodiscard]] bool AddClassAtom(ATOM atom);

    // A window object waits here, per thread, from just before its window is
    // created until that window's first message binds it.
    [[nodiscard]] bool AddCreatingObject(CWindowObject* object);
    CWindowObject* TakeCreatingObject();
    void RemoveCreatingObject(CWindowObject* object);

    CCriticalSection& Lock() { return lock; }

private:
    mutable CCriticalSection lock;
    HINSTANCE instance = nullptr;
    std::unique_ptr<std::map<DWORD, CMessageLoop*>> loops;
    std::vector<ATOM> classAtoms;
    std::vector<std::pair<DWORD, CWindowObject*>> creating;
};

// The module object of the process, constructed by static initialisation.
extern CAppModule appModule;

}  // namespace kestrel
