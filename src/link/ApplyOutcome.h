// What became of a change the user applied: the first failure of its
// requests, and whether the edited port turned out gone. Portable: no
// windows.h.
#pragma once

#include <string>

#include "RequestResult.h"

namespace kestrel {

struct ApplyOutcome {
    RequestResult firstError;
    // The edited port had gone: its row and record are removed, and its label
    // as it was before any re-read names it in the message.
    bool portGone = false;
    std::wstring goneLabel;
};

}  // namespace kestrel
