// Messages of the DMS parameter checks, as printf formats for showError, and
// the texts of the preferences dialog.
// Wide text arguments take %ls and %lc, which mean the same under every
// C library the program is built with. Portable: no windows.h.
#pragma once

#include "DmsRules.h"

namespace kestrel {

inline constexpr wchar_t kHostTooLongFormat[] =
    L"DMS host name is too long. Maximum supported length is %d.";
inline constexpr wchar_t kHostInvalidCharFormat[] = L"Invalid character '%lc' in DMS host name.";
inline constexpr wchar_t kPortInvalidText[] = L"Invalid DMS port number.";
inline constexpr wchar_t kRetryInvalidText[] =
    L"Invalid period to retry to connect to DMS. Must be > 0.";

// The port connection dialog's caption is the port's label followed by this.
inline constexpr wchar_t kConnectionCaptionSuffix[] = L" - Configuration";
// Its questions before storing over a port whose COM port is active.
inline constexpr wchar_t kConnectionDeactivateQuestion[] =
    L"COM port was deactivated. Any communication between\n"
    L"the device and the current DMS will abort immediately.\n\n"
    L"Do you want to continue?";
inline constexpr wchar_t kConnectionChangeQuestion[] =
    L"DMS configuration changed. Any communication between\n"
    L"the device and the current DMS will abort immediately.\n\n"
    L"Do you want to continue?";

// The preferences dialog's questions before its new defaults cut running
// communication of the ports that follow them.
inline constexpr wchar_t kDefaultDeactivationQuestion[] =
    L"COM ports will be deactivated by default. This affects any devices which currrently using "
    L"default configuration\n"
    L"parameters. Any communication between these devices and their assigned DMS will abort "
    L"immediately.\n\n"
    L"Do you want to continue?";
inline constexpr wchar_t kDefaultChangeQuestion[] =
    L"Default DMS configuration changed. This affects any devices which currrently using default "
    L"configuration\n"
    L"parameters. Any communication between these devices and their assigned DMS will abort "
    L"immediately.\n\n"
    L"Do you want to continue?";

// Title of the log folder browser.
inline constexpr wchar_t kLogFolderBrowseTitle[] = L"Log Folder";

// The service's log levels; a level is its index, and the level combo box
// lists the texts in this order.
inline constexpr const wchar_t* kLogLevelTexts[] = {L"Disabled", L"Global events and errors",
                                                    L"Number of bytes sent/received",
                                                    L"Text dump of transferred data"};

// Outcomes of sending a change to the service.
inline constexpr wchar_t kServiceNotRunningFormat[] =
    L"The service '%ls' is not running. Parameters have not been accepted.";
inline constexpr wchar_t kServiceNotRespondingFormat[] =
    L"The service '%ls' is not responding. Parameters have not been accepted.";
inline constexpr wchar_t kServiceDisplayName[] = L"Kestrel service";
inline constexpr wchar_t kPortGoneFormat[] =
    L"COM port '%ls' is not available anymore. Parameters have been rejected.";
inline constexpr wchar_t kNotAcceptedText[] = L"Some parameters have not been accepted.";

// The format for an error; it takes the check's argument as its only value.
const wchar_t* DmsErrorFormat(DmsInputError error);

}  // namespace kestrel
