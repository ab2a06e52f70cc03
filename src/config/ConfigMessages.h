// The message boxes of configuration editing, captioned with the program
// title: an error with OK, a question that would cut running communication,
// and the one message that reports how an applied change went.
#pragma once

#include <windows.h>

#include "ApplyOutcome.h"

namespace kestrel {

// Formats with vswprintf (wide text arguments as %ls and %lc) and shows the
// message with OK and the error icon; returns when it is closed.
void showError(HWND owner, const wchar_t* format, ...);

// Yes and No with No as default, so that a hasty Enter keeps things running.
// True only for Yes.
bool confirmChange(HWND owner, const wchar_t* text);

// Shows the outcome's message, if any (ApplyMessageFor chooses it, as for
// KestrelCtl), owned by the window given.
void ReportApplyOutcome(HWND owner, const ApplyOutcome& outcome);

}  // namespace kestrel
