// The program's one module object: instance handle, the user-interface
// thread's message loop, the window classes registered for superclasses, and
// the window objects whose windows are being created. The tables are guarded
// by the module's critical section, since tests create windows on other threads.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

#include "CCriticalSection.h"

namespace kestrel {

class CMessageFilter;
class CMessageLoop;
class CWindowObject;

class CAppModule {
public:
    CAppModule() = default;
    CAppModule(const CAppModule&) = delete;
    CAppModule& operator=(const CAppModule&) = delete;

    // Records the instance (where dialog templates and window classes live).
    // Call before any window of the framework is created.
    void Init(HINSTANCE moduleInstance) { instance = moduleInstance; }
    // Unregisters the window classes of superclasses. Call once every window
    // of those classes is gone.
    void Term();

    HINSTANCE Instance() const { return instance; }

    // The one loop, run by the user-interface thread. Adding fails while
    // another is registered; removing fails when none is.
    [[nodiscard]] bool AddMessageLoop(CMessageLoop* loop);
    bool RemoveMessageLoop();
    CMessageLoop* GetMessageLoop() const;

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
    CMessageLoop* messageLoop = nullptr;
    std::vector<ATOM> classAtoms;
    std::vector<std::pair<DWORD, CWindowObject*>> creating;
};

// The module object of the process, constructed by static initialisation.
extern CAppModule appModule;

}  // namespace kestrel
