// The program's fixed texts: title, instance identifier, command-line options,
// tray menu items and the About box lines. The texts the resources share come
// from resource.h. Portable: no windows.h.
#pragma once

#include "resource.h"

namespace kestrel {

// Main window title, tray tooltip, first About line and message box caption.
inline constexpr wchar_t kProgramTitle[] = L"" KESTREL_PRODUCT_NAME;

// Names the single-instance mutex and the main window's class; the stopper and
// a second instance find the running main window by this class.
inline constexpr wchar_t kInstanceId[] = L"" KESTREL_INSTANCE_ID;

// The system dialog class the main window class is copied from.
inline constexpr wchar_t kSystemDialogClass[] = L"#32770";

inline constexpr wchar_t kOptionHide[] = L"-hide";
inline constexpr wchar_t kOptionExitAll[] = L"-exitall";

// While there is no working link to the service, or it does not answer: the
// title's suffix, and the line that follows the program title in the tooltip
// (the whole tooltip holds 127 characters) and in a balloon.
inline constexpr wchar_t kTitleServiceNotRunning[] = L"%ls - Kestrel service not running";
inline constexpr wchar_t kTitleVersionNotSupported[] =
    L"%ls - Kestrel service version %u.%u.%u not supported";
inline constexpr wchar_t kTitleServiceNotResponding[] = L"%ls - Kestrel service not responding";
inline constexpr wchar_t kTitlePipeNotTrusted[] =
    L"%ls - Kestrel service pipe held by an unknown program";
inline constexpr wchar_t kServiceNotRunning[] = L"Service not running";
inline constexpr wchar_t kServiceVersionNotSupported[] = L"Service version not supported";
inline constexpr wchar_t kServiceNotResponding[] = L"Service not responding";
inline constexpr wchar_t kServicePipeNotTrusted[] = L"Service pipe not trusted";
// A balloon's line when the service answers again after it stopped or fell silent.
inline constexpr wchar_t kServiceRunning[] = L"Service running";

// How many active ports are not connected: the tooltip's second line while the
// service answers, and a balloon that counts the ports instead of naming them.
inline constexpr wchar_t kOnePortNotConnected[] = L"1 port not connected";
inline constexpr wchar_t kPortsNotConnected[] = L"%u ports not connected";
inline constexpr wchar_t kOnePortConnected[] = L"1 port connected";
inline constexpr wchar_t kPortsConnected[] = L"%u ports connected";
// A balloon that names three ports and counts the rest.
inline constexpr wchar_t kAndMorePorts[] = L"and %u more";

inline constexpr wchar_t kTrayViewPorts[] = L"&View Comm Ports";
inline constexpr wchar_t kTrayNotifications[] = L"&Notifications";
inline constexpr wchar_t kTrayQuit[] = L"&Quit";

// Broadcast by a restarted taskbar; the icon has to be added again.
inline constexpr wchar_t kTaskbarCreatedMessage[] = L"TaskbarCreated";

// About box: product, version with suffix, notice, company.
inline constexpr wchar_t kAboutFormat[] = L"%ls\n\nVersion %02u.%02u.%02u%ls\n\n%ls\n\n%ls";
inline constexpr wchar_t kAboutVersionSuffix[] = L"";
inline constexpr wchar_t kAboutNotice[] = L"Copyright (C) 2009-2014";
inline constexpr wchar_t kCompanyName[] = L"" KESTREL_COMPANY_NAME;

// Crash dumps are named after the program: <temp>\KestrelCpl_YYYYMMDDhhmmss.dmp.
inline constexpr wchar_t kDumpProgramName[] = L"KestrelCpl";

}  // namespace kestrel
