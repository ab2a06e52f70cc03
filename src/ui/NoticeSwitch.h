// Whether the tray shows balloons: the user's choice, which a machine policy
// overrides. Read before each balloon, so that a change of either takes
// effect at once. The icon's warning look is the state and is never switched
// off.
#pragma once

#include <windows.h>

namespace kestrel {

// HKCU\Software\Norvane\Kestrel Control Panel, Notifications (REG_DWORD):
// 0 is off, anything else or no value on.
inline constexpr wchar_t kUserSettingsKey[] = L"Software\\Norvane\\Kestrel Control Panel";
// The same value under the panel's policy key in HKLM (kTrustPolicyKey), where
// it overrides the user's choice.
inline constexpr wchar_t kNotificationsValue[] = L"Notifications";

struct NoticeChoice {
    bool on = true;
    bool byPolicy = false;  // the policy decides; the user cannot change it
};

// The choice in force.
NoticeChoice ReadNoticeChoice();
// Stores the user's choice; false when it could not be written.
bool StoreUserNoticeChoice(bool on);

}  // namespace kestrel
