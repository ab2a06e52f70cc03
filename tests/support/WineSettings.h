// Settings of the Wine prefix that the tests run in, each a no-op on Windows.
#pragma once

#include <windows.h>

#include <string>

#include "CRegKey.h"

namespace kestrel::test {

inline bool OnWine() {
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

inline void SetUserValue(const wchar_t* keyPath, const wchar_t* name, DWORD type, const void* value,
                         DWORD size) {
    CRegKey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          key.Put(), nullptr) != ERROR_SUCCESS)
        return;
    ::RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(value), size);
}

// Wine's default handling of a crash starts its debugger, which would wait on
// a crash dialog; with the dialog off it reports and ends the process as
// Windows does.
inline void QuietWineDebugger() {
    if (!OnWine()) return;
    const DWORD off = 0;
    SetUserValue(L"Software\\Wine\\WineDbg", L"ShowCrashDialog", REG_DWORD, &off, sizeof off);
}

// Wine prefers its own DLLs to others of the same name; this makes one program
// take a DLL found by the search path first, as Windows would.
inline void PreferFoundDll(const wchar_t* program, const wchar_t* dll) {
    if (!OnWine()) return;
    constexpr wchar_t kNativeFirst[] = L"native,builtin";
    const std::wstring key =
        std::wstring(L"Software\\Wine\\AppDefaults\\") + program + L"\\DllOverrides";
    SetUserValue(key.c_str(), dll, REG_SZ, kNativeFirst, sizeof kNativeFirst);
}

}  // namespace kestrel::test
