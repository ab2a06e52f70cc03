// Request results as the tests name and print them.
#pragma once

#include <ostream>

#include "RequestResult.h"

namespace kestrel {

// How GoogleTest prints a result that did not match.
inline void PrintTo(const RequestResult& result, std::ostream* out) {
    static constexpr const char* kKinds[] = {"Answer", "LinkFailed", "ClientFailed"};
    *out << kKinds[static_cast<int>(result.GetKind())] << "(" << result.Code() << ")";
}

namespace test {

inline constexpr RequestResult kDone{};
inline constexpr RequestResult kTimedOut = RequestResult::LinkFailed(kErrorTimeout);
inline constexpr RequestResult kGone = RequestResult::LinkFailed(kResultServiceGone);
inline constexpr RequestResult kNotConnected = RequestResult::LinkFailed(kResultNotConnected);

}  // namespace test
}  // namespace kestrel
