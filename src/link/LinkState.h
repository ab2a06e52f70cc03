// How the panel stands with the service: connected, not running (no working
// link), running with a protocol version the panel does not speak (with the
// version it reported), its pipe held by an owner the panel does not trust,
// or not responding (an exchange timed out, or the pipe's instances all
// stayed busy). A connect attempt sets the first four, or not responding
// when the pipe was busy; requests that fail on an open link change
// nothing, except a time-out.
// Portable: no windows.h.
#pragma once

#include <cstdint>

namespace kestrel {

struct LinkState {
    enum class Kind { Connected, NotRunning, WrongVersion, Untrusted, NotResponding };

    Kind kind = Kind::NotRunning;
    // The version the service reported, for WrongVersion.
    uint32_t major = 0, minor = 0, patch = 0;

    bool operator==(const LinkState& other) const {
        return kind == other.kind && major == other.major && minor == other.minor &&
               patch == other.patch;
    }
    bool operator!=(const LinkState& other) const { return !(*this == other); }
};

}  // namespace kestrel
