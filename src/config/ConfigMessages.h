// The two message boxes of configuration editing, captioned with the program
// title: an error with OK, and a question that would cut running communication.
#pragma once

#include <windows.h>

namespace kestrel {

// Formats with vswprintf (wide text arguments as %ls and %lc) and shows the
// message with OK and the error icon; returns when it is closed.
void showError(HWND owner, const wchar_t* format, ...);

// Yes and No with No as default, so that a hasty Enter keeps things running.
// True only for Yes.
bool confirmChange(HWND owner, const wchar_t* text);

}  // namespace kestrel
