#include "CSuperclass.h"

#include <cstdint>

#include "CAppModule.h"

namespace kestrel {

// "KW:" and the record's address in hexadecimal: unique within the process.
CSuperclass::CSuperclass(const wchar_t* baseName) : baseClassName(baseName) {
    static const wchar_t kDigits[] = L"0123456789ABCDEF";
    auto address = reinterpret_cast<std::uintptr_t>(this);
    const size_t digits = 2 * sizeof(void*);
    name[0] = L'K';
    name[1] = L'W';
    name[2] = L':';
    for (size_t i = 0; i < digits; ++i) {
        name[3 + digits - 1 - i] = kDigits[address & 0xF];
        address >>= 4;
    }
    name[3 + digits] = L'\0';
}

bool CSuperclass::Register(WNDPROC windowProc) {
    CCritSecLock guard(appModule.Lock());
    const HINSTANCE instance = appModule.Instance();
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (baseProc && ::GetClassInfoExW(instance, name, &existing)) return true;

    WNDCLASSEXW description{};
    description.cbSize = sizeof(description);
    if (!::GetClassInfoExW(nullptr, baseClassName, &description) &&
        !::GetClassInfoExW(instance, baseClassName, &description)) {
        return false;
    }
    baseProc = description.lpfnWndProc;
    if (::GetClassInfoExW(instance, name, &existing)) return true;

    description.lpfnWndProc = windowProc;
    description.hInstance = instance;
    description.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
    description.lpszClassName = name;
    const ATOM atom = ::RegisterClassExW(&description);
    if (!atom) return false;
    if (!appModule.AddClassAtom(atom)) {
        ::UnregisterClassW(MAKEINTATOM(atom), instance);
        return false;
    }
    return true;
}

}  // namespace kestrel
