// The exception crash_probe.exe lets escape; its exit code after the default handling.
#pragma once

#include <windows.h>

inline constexpr DWORD kProbeException = 0xE0C0FFEE;
// With "load": the DBGHELP.DLL beside the probe was loaded.
inline constexpr DWORD kDecoyLoaded = 3;
