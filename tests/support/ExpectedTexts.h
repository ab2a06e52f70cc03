// What the user reads, written out here rather than taken from the program's
// headers, so that a text the program gets wrong fails the tests: the product,
// captions, the title and tooltip without a service, the copied table's header,
// the tray menu, the DMS checks' messages, the questions before running
// communication is cut, and the outcomes of sending a change.
// Portable: no windows.h.
#pragma once

#include <string>

namespace kestrel::test::texts {

// Also the main window's title and every message box's caption.
inline constexpr wchar_t kProductName[] = L"Norvane Docklet - Control Panel";
inline constexpr wchar_t kCompanyName[] = L"Norvane Diagnostics GmbH";
inline constexpr wchar_t kAboutNotice[] = L"Copyright (C) 2009-2014";

inline constexpr wchar_t kAboutCaption[] = L"About";
inline constexpr wchar_t kPreferencesCaption[] = L"Preferences";
inline std::wstring ConnectionCaption(const std::wstring& portLabel) {
    return portLabel + L" - Configuration";
}

// Title and tray tooltip while the rows are only the last known state.
inline constexpr wchar_t kTitleServiceNotRunning[] =
    L"Norvane Docklet - Control Panel - Kestrel service not running";
inline std::wstring TitleVersionNotSupported(const std::wstring& version) {
    return L"Norvane Docklet - Control Panel - Kestrel service version " + version +
           L" not supported";
}
inline constexpr wchar_t kTipServiceNotRunning[] =
    L"Norvane Docklet - Control Panel\nService not running";
inline constexpr wchar_t kTipVersionNotSupported[] =
    L"Norvane Docklet - Control Panel\nService version not supported";
inline constexpr wchar_t kTitleServiceNotResponding[] =
    L"Norvane Docklet - Control Panel - Kestrel service not responding";
inline constexpr wchar_t kTipServiceNotResponding[] =
    L"Norvane Docklet - Control Panel\nService not responding";
inline constexpr wchar_t kTitlePipeNotTrusted[] =
    L"Norvane Docklet - Control Panel - Kestrel service pipe held by an unknown program";
inline constexpr wchar_t kTipPipeNotTrusted[] =
    L"Norvane Docklet - Control Panel\nService pipe not trusted";

// The first line of the port table copied to the clipboard.
inline constexpr wchar_t kCopiedTableHeader[] =
    L"COM Port\tRX\tTX\tSerial Number\tMode\tStatus\tConnection\r\n";

inline constexpr wchar_t kTrayViewPorts[] = L"&View Comm Ports";
inline constexpr wchar_t kTrayNotifications[] = L"&Notifications";
inline constexpr wchar_t kTrayQuit[] = L"&Quit";

inline std::wstring HostInvalidChar(wchar_t c) {
    return L"Invalid character '" + std::wstring(1, c) + L"' in DMS host name.";
}
inline constexpr wchar_t kHostTooLong[] =
    L"DMS host name is too long. Maximum supported length is 299.";
inline constexpr wchar_t kPortInvalid[] = L"Invalid DMS port number.";
inline constexpr wchar_t kRetryInvalid[] =
    L"Invalid period to retry to connect to DMS. Must be > 0.";

// A port's connection dialog, and the preferences for the ports that follow
// the defaults ("currrently" is the text as the program shows it).
inline constexpr wchar_t kChangeQuestion[] =
    L"DMS configuration changed. Any communication between\n"
    L"the device and the current DMS will abort immediately.\n\n"
    L"Do you want to continue?";
inline constexpr wchar_t kDeactivationQuestion[] =
    L"COM port was deactivated. Any communication between\n"
    L"the device and the current DMS will abort immediately.\n\n"
    L"Do you want to continue?";
inline constexpr wchar_t kDefaultChangeQuestion[] =
    L"Default DMS configuration changed. This affects any devices which currrently using "
    L"default configuration\nparameters. Any communication between these devices and their "
    L"assigned DMS will abort immediately.\n\nDo you want to continue?";
inline constexpr wchar_t kDefaultDeactivationQuestion[] =
    L"COM ports will be deactivated by default. This affects any devices which currrently using "
    L"default configuration\nparameters. Any communication between these devices and their "
    L"assigned DMS will abort immediately.\n\nDo you want to continue?";

inline constexpr wchar_t kNotAccepted[] = L"Some parameters have not been accepted.";
inline constexpr wchar_t kServiceNotResponding[] =
    L"The service 'Kestrel service' is not responding. Parameters have not been accepted.";
inline constexpr wchar_t kServiceNotRunning[] =
    L"The service 'Kestrel service' is not running. Parameters have not been accepted.";
inline std::wstring PortGone(const std::wstring& portLabel) {
    return L"COM port '" + portLabel +
           L"' is not available anymore. Parameters have been rejected.";
}

}  // namespace kestrel::test::texts
