#include "FaultPlan.h"

namespace kestrel::sim {

FaultAction FaultPlan::Take(uint32_t code) {
    FaultAction action;
    for (auto it = faults.begin(); it != faults.end();) {
        Fault& fault = *it;
        if (!fault.anyCode && fault.code != code) {
            ++it;
            continue;
        }
        if (fault.skip != 0) {
            --fault.skip;
            ++it;
            continue;
        }
        switch (fault.kind) {
        case FaultKind::kDelay: action.delayMs = fault.value; break;
        case FaultKind::kDrop: action.disconnect = Disconnect::kDrop; break;
        case FaultKind::kCrash: action.disconnect = Disconnect::kCrash; break;
        case FaultKind::kLength:
            action.overrideLength = true;
            action.length = fault.value;
            break;
        case FaultKind::kStale: action.staleCount = fault.value; break;
        case FaultKind::kFuture: action.sequenceShift = fault.value; break;
        case FaultKind::kVersion:
            action.overrideVersion = true;
            for (int i = 0; i < 3; ++i) action.version[i] = fault.version[i];
            break;
        case FaultKind::kRefuse: action.refuseStatus = fault.value; break;
        case FaultKind::kClaim:
            action.overrideCount = true;
            action.count = fault.value;
            break;
        case FaultKind::kNames: action.pastEnd = static_cast<PastEndNames>(fault.value); break;
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
