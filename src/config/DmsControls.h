// The five DMS controls a configuration dialog shares with the other one:
// showing a DmsConfig, reading and checking the entries, the COM-port check
// box's availability, and storing the entries. The rules are in DmsRules.
#pragma once

#include <windows.h>

#include "DmsConfig.h"
#include "DmsRules.h"

namespace kestrel {

// Host and port are ANSI code-page text; the retry edit shows whole seconds.
// The check boxes are set after the edits, so the COM-port box shows the
// stored state even where the edits' change notifications disabled it.
void ShowDmsConfig(HWND dialog, const DmsConfig& config);

// Checks the three edit texts; on a fault shows its message owned by the
// dialog and returns false, leaving input unchanged.
bool validateDmsInput(HWND dialog, DmsInput& input);

// Unchecks and disables the COM-port box unless host and port are both given;
// otherwise enables it and keeps its check state.
void updateComPortAvailability(HWND dialog);

// The question Apply asks before storing the validated entries over reference.
DmsConfirmation ConfirmationFor(HWND dialog, const DmsInput& input, const DmsConfig& reference);

// Stores the validated entries and the two check boxes into config.
void StoreDmsControls(HWND dialog, const DmsInput& input, DmsConfig& config);

}  // namespace kestrel
