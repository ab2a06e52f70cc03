#include "CAppModule.h"

#include <algorithm>
#include <new>

namespace kestrel {

CAppModule appModule;

void CAppModule::Term() {
    CCritSecLock guard(lock);
    for (const ATOM atom : classAtoms) {
        ::UnregisterClassW(MAKEINTATOM(atom), instance);
    }
    classAtoms.clear();
}

bool CAppModule::AddMessageLoop(CMessageLoop* loop) {
    CCritSecLock guard(lock);
    if (!loop || messageLoop) return false;
    messageLoop = loop;
    return true;
}

bool CAppModule::RemoveMessageLoop() {
    CCritSecLock guard(lock);
    if (!messageLoop) return false;
    messageLoop = nullptr;
    return true;
}

CMessageLoop* CAppModule::GetMessageLoop() const {
    CCritSecLock guard(lock);
    return messageLoop;
}

bool CAppModule::AddClassAtom(ATOM atom) {
    CCritSecLock guard(lock);
    try {
        classAtoms.push_back(atom);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool CAppModule::AddCreatingObject(CWindowObject* object) {
    CCritSecLock guard(lock);
    try {
        creating.emplace_back(::GetCurrentThreadId(), object);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// The most recent entry of the calling thread: a window created while another
// is being created (from inside its first messages) gets its first message first.
CWindowObject* CAppModule::TakeCreatingObject() {
    CCritSecLock guard(lock);
    const DWORD thread = ::GetCurrentThreadId();
    const auto found = std::find_if(creating.rbegin(), creating.rend(),
                                    [thread](const auto& entry) { return entry.first == thread; });
    if (found == creating.rend()) return nullptr;
    CWindowObject* object = found->second;
    creating.erase(std::next(found).base());
    return object;
}

void CAppModule::RemoveCreatingObject(CWindowObject* object) {
    CCritSecLock guard(lock);
    const DWORD thread = ::GetCurrentThreadId();
    creating.erase(std::remove_if(creating.begin(), creating.end(),
                                  [thread, object](const auto& entry) {
                                      return entry.first == thread && entry.second == object;
                                  }),
                   creating.end());
}

}  // namespace kestrel
