// Registration record of a window class made from another class (a superclass
// such as one of "BUTTON"): the base class's description with the framework's
// window procedure, the module instance and a name unique to this record. Keep
// one record per superclass for the life of the process, e.g. a function-local
// static; CWindowBase::Create registers the class the first time it needs it.
#pragma once

#include <windows.h>

namespace kestrel {

class CSuperclass {
public:
    explicit CSuperclass(const wchar_t* baseName);
    CSuperclass(const CSuperclass&) = delete;
    CSuperclass& operator=(const CSuperclass&) = delete;

    // Makes sure the class exists in the module, under the module's lock: the
    // base class is looked up among the system classes, then in the module; an
    // existing class of this record's name is reused; a new one is registered
    // with windowProc and its atom handed to the module, which unregisters it.
    bool Register(WNDPROC windowProc);

    const wchar_t* Name() const { return name; }
    // The base class's procedure: the previous procedure of windows of this class.
    WNDPROC BaseProc() const { return baseProc; }

private:
    const wchar_t* baseClassName;
    wchar_t name[3 + 2 * sizeof(void*) + 1];
    WNDPROC baseProc = nullptr;
};

}  // namespace kestrel
