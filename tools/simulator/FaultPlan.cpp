#include "FaultPlan.h"

namespace kestrel::sim {

FaultAction FaultPlan::Take(uint32_t code, const std::wstring& port) {
    FaultAction action;
    for (auto it = faults.begin(); it != faults.end();) {
        Fault& fault = *it;
        if ((!fault.anyCode && fault.code != code) || (!fault.port.empty() && fault.port != port)) {
            ++it;
            continue;
        }
        if (fault.skip != 0) {
            --fault.skip;
            ++it;
            continue;
        }
        switch (fault.kind) {
        case FaultKind::Delay: action.delayMs = fault.value; break;
        case FaultKind::Drop: action.disconnect = Disconnect::Drop; break;
        case FaultKind::Crash: action.disconnect = Disconnect::Crash; break;
        case FaultKind::Length:
            action.overrideLength = true;
            action.length = fault.value;
            break;
        case FaultKind::Stale: action.staleCount = fault.value; break;
        case FaultKind::Future: action.sequenceShift = fault.value; break;
        case FaultKind::Version:
            action.overrideVersion = true;
            for (int i = 0; i < 3; ++i) action.version[i] = fault.version[i];
            break;
        case FaultKind::Refuse: action.refuseStatus = fault.value; break;
        case FaultKind::Claim:
            action.overrideCount = true;
            action.count = fault.value;
            break;
        case FaultKind::Names: action.pastEnd = static_cast<PastEndNames>(fault.value); break;
        case FaultKind::Silence: action.silent = true; break;
        }
        if (!fault.always && --fault.remaining == 0) {
            it = faults.erase(it);
        } else {
            ++it;
        }
    }
    return action;
}

}  // namespace kestrel::sim
