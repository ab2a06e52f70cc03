// Exit codes, usage and the tool's own messages. The messages the tool shares
// with the panel (the dialogs' checks and questions, the outcomes of sending a
// change) come from the panel's headers. Portable: no windows.h.
#pragma once

namespace kestrel::ctl {

enum ExitCode : int {
    kExitOk = 0,
    kExitUsage = 1,  // unknown command or key, a missing argument
    kExitInvalid =
        2,  // a value the panel would refuse, or a question left unanswered; nothing sent
    kExitUnreachable = 3,  // not running, not responding, another version, an untrusted pipe
    kExitRefused = 4,      // the service refused the change
    kExitNoPort = 5,       // the service has no such port
    kExitOutput = 6,       // the output could not be written whole
    kExitUnreadable = 7,   // ports: some ports could not be read; the others were printed
};

// --help: the head, a line for each command of the table, then the tail.
inline constexpr wchar_t kUsageHead[] =
    L"KestrelCtl: the Kestrel service's ports and settings from a script.\n"
    L"\n";
inline constexpr wchar_t kUsageLineStart[] = L"  KestrelCtl ";
inline constexpr wchar_t kUsageTail[] =
    L"  KestrelCtl --help | --version\n"
    L"\n"
    L"Every command also takes --pipe NAME, a simulator's pipe instead of the\n"
    L"service's, and --timeout SECONDS (1 to 3600): the run ends within that time,\n"
    L"the service taken for not responding. check has 10 by default, the others\n"
    L"no limit.\n"
    L"\n"
    L"ssl and active take 0 or 1; a level is 0 to 3 or its text (\"Disabled\",\n"
    L"\"Global events and errors\", \"Number of bytes sent/received\", \"Text dump of\n"
    L"transferred data\"). Keys left out keep their values. A change that would cut\n"
    L"running communication is sent only with --yes. Options and keys are\n"
    L"case-insensitive.\n"
    L"\n"
    L"Exit codes: 0 success, 1 usage error, 2 invalid value (nothing sent),\n"
    L"3 service not reachable, not responding or of another version, 4 change\n"
    L"refused by the service, 5 no such port, 6 output failed, 7 some ports could\n"
    L"not be read (ports prints the others).\n"
    L"\n"
    L"check prints one line for a monitoring system and exits with its own codes:\n"
    L"0 OK (every active port with a DMS link is connected), 1 WARNING (one is\n"
    L"not), 2 CRITICAL (the service cannot be asked or did not answer in time, or\n"
    L"N or more are not connected), 3 UNKNOWN (a usage error, a port that could\n"
    L"not be read, or the check could not be made).\n";

// status
inline constexpr wchar_t kStatusRunningFormat[] = L"running %u.%u.%u";
inline constexpr wchar_t kStatusNotRunning[] = L"not running";
inline constexpr wchar_t kStatusVersionFormat[] = L"version %u.%u.%u not supported";
inline constexpr wchar_t kStatusNotResponding[] = L"not responding";
// The run's deadline came first: the seconds given.
inline constexpr wchar_t kStatusNotRespondingWithinFormat[] = L"not responding within %u s";
inline constexpr wchar_t kStatusUntrusted[] = L"pipe held by an unknown program";

// Usage errors.
inline constexpr wchar_t kUnknownCommandFormat[] = L"Unknown command '%ls'.";
inline constexpr wchar_t kUnknownKeyFormat[] = L"Unknown key '%ls'.";
inline constexpr wchar_t kUnexpectedFormat[] = L"Unexpected '%ls'.";
inline constexpr wchar_t kMissingPort[] = L"A port name is missing.";
inline constexpr wchar_t kMissingSettings[] = L"Nothing to set.";
inline constexpr wchar_t kInvalidPipeFormat[] =
    L"Invalid pipe name '%ls': a plain name of at most 247 characters, without \\, / or .., "
    L"control characters or a dot or blank at the end";
// The count given and the most ports there can be.
inline constexpr wchar_t kInvalidCountFormat[] =
    L"Invalid count '%ls' for --critical-not-connected: 1 to %u.";
inline constexpr wchar_t kInvalidTimeoutFormat[] =
    L"Invalid time-out '%ls' for --timeout: 1 to %u seconds.";

// Values the dialogs have no message for, since their controls cannot hold them.
inline constexpr wchar_t kInvalidFlagFormat[] = L"Invalid value '%ls' for %ls: 0 or 1.";
inline constexpr wchar_t kComPortUnavailable[] =
    L"Connect to COM port requires DMS IP-address/hostname and port number.";
inline constexpr wchar_t kInvalidLevelFormat[] = L"Invalid log level '%ls'.";
inline constexpr wchar_t kFolderNotLocal[] = L"The log folder must be on a local fixed drive.";
inline constexpr wchar_t kFolderInvalidCharFormat[] = L"Invalid character '%lc' in the log folder.";

inline constexpr wchar_t kNoSuchPortFormat[] = L"No port '%ls'.";
inline constexpr wchar_t kPortListUnreadableFormat[] =
    L"The service's port list could not be read (error %lu).";
inline constexpr wchar_t kPortUnreadableFormat[] = L"Port '%ls' could not be read (error %lu).";
// A port the list names whose read the service refused, and its status.
inline constexpr wchar_t kPortRefusedFormat[] = L"Port '%ls' could not be read (status 0x%lx).";
inline constexpr wchar_t kSettingsUnreadableFormat[] =
    L"The service's settings could not be read (error %lu).";

inline constexpr wchar_t kVersionFormat[] = L"KestrelCtl %u.%u.%u\r\n";

// The output stream refused a write or took only part of it.
inline constexpr wchar_t kOutputFailedFormat[] = L"The output could not be written (error %lu).";

}  // namespace kestrel::ctl
