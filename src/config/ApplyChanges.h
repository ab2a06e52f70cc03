// Sending what a configuration dialog stored to the service, re-reading what
// the service refused, bringing the port list up to date, and the one message
// that reports the outcome. The main window's editing flows run these after
// their dialog ended with Apply, with the refresh held off.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "PortListView.h"
#include "ServiceMirror.h"

namespace kestrel {

struct ApplyOutcome {
    RequestResult firstError;
    // The edited port had gone: its row and record are removed, and its label
    // as it was before any re-read names it in the message.
    bool portGone = false;
    std::wstring goneLabel;
};

// Sends the port's record as its dialog stored it: only UseDefaultDmsConfig for
// a port following the defaults, else its own parameters. A link that is
// closed, or that the service left since it was last used, is opened again
// for it. A refusal re-reads the port; a port the service no longer has, on
// the request or on the re-read, leaves the list and the table. A time-out or
// a lost link ends the flow at once: the record keeps what the dialog stored
// and is read in full by the next pass that gets through, and a time-out
// makes the service not responding.
ApplyOutcome ApplyPortChange(ServiceMirror& service, PortListView& list, const std::wstring& name);

// Sends the log settings and then the defaults, re-reading each that is
// refused, and gives every port that follows the defaults the defaults now
// held. It ends at the first time-out or lost link as ApplyPortChange does.
ApplyOutcome ApplyPreferences(ServiceMirror& service, PortListView& list);

// Shows the outcome's message, if any, owned by the window given.
void ReportApplyOutcome(HWND owner, const ApplyOutcome& outcome);

}  // namespace kestrel
