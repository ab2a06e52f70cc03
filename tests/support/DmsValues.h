// DMS parameter sets as the tests write them: one line each, compared field by
// field (EXPECT_PRED2(SameDms, ...)) and printed whole when they differ.
// Portable: no windows.h.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ostream>

#include "DmsConfig.h"

namespace kestrel::test {

inline DmsConfig Dms(const char* host, const char* port, uint32_t retryMs, bool ssl, bool active) {
    DmsConfig dms;
    std::snprintf(dms.host, sizeof dms.host, "%s", host);
    std::snprintf(dms.port, sizeof dms.port, "%s", port);
    dms.retryMs = retryMs;
    dms.useSsl = ssl ? 1 : 0;
    dms.comPortActive = active ? 1 : 0;
    return dms;
}

inline bool SameDms(const DmsConfig& a, const DmsConfig& b) {
    return std::strcmp(a.host, b.host) == 0 && std::strcmp(a.port, b.port) == 0 &&
           a.retryMs == b.retryMs && a.useSsl == b.useSsl && a.comPortActive == b.comPortActive;
}

}  // namespace kestrel::test

namespace kestrel {

// Found by GoogleTest beside the type.
inline void PrintTo(const DmsConfig& dms, std::ostream* out) {
    *out << "{\"" << dms.host << "\", \"" << dms.port << "\", " << dms.retryMs << " ms, ssl "
         << int{dms.useSsl} << ", active " << int{dms.comPortActive} << "}";
}

}  // namespace kestrel
