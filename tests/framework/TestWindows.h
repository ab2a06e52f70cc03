// Shared by the framework tests: a plain window whose own procedure records
// the messages that reach it and answers 100 + (msg - WM_APP) from WM_APP on.
// TestWindows.cpp also sets the process up as the program does at start-up,
// with the main window's class.
#pragma once

#include <windows.h>

#include <vector>

namespace kestrel::test {

extern std::vector<UINT> plainSaw;
LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
inline LRESULT PlainAnswer(UINT msg) { return 100 + static_cast<LRESULT>(msg - WM_APP); }
HWND CreatePlainWindow();

}  // namespace kestrel::test
