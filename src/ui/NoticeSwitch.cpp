#include "NoticeSwitch.h"

#include "AccountSids.h"
#include "CRegKey.h"

namespace kestrel {

namespace {

// The value as a number; false when the key or a value of that type is missing.
bool ReadDword(HKEY root, const wchar_t* path, REGSAM view, DWORD& value) {
    CRegKey key;
    if (::RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE | view, key.Put()) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD bytes = sizeof(value);
    return ::RegQueryValueExW(key.Get(), kNotificationsValue, nullptr, &type,
                              reinterpret_cast<BYTE*>(&value), &bytes) == ERROR_SUCCESS &&
           type == REG_DWORD && bytes == sizeof(value);
}

}  // namespace

NoticeChoice ReadNoticeChoice() {
    DWORD value = 0;
    // Policy lands in the 64-bit view, which a 32-bit program must ask for.
    if (ReadDword(HKEY_LOCAL_MACHINE, kTrustPolicyKey, KEY_WOW64_64KEY, value))
        return {value != 0, true};
    if (ReadDword(HKEY_CURRENT_USER, kUserSettingsKey, 0, value)) return {value != 0, false};
    return {};
}

bool StoreUserNoticeChoice(bool on) {
    HKEY created = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kUserSettingsKey, 0, nullptr, 0, KEY_SET_VALUE,
                          nullptr, &created, nullptr) != ERROR_SUCCESS)
        return false;
    const CRegKey key(created);
    const DWORD value = on ? 1 : 0;
    return ::RegSetValueExW(key.Get(), kNotificationsValue, 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&value), sizeof(value)) == ERROR_SUCCESS;
}

}  // namespace kestrel
