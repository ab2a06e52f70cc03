// What the tray's balloons say, and when. A balloon tells what changed since
// the last one: an active port that lost its DMS link or has it again, and
// the service stopping, falling silent or answering again. Nothing is told
// before the first pass that goes through (at start-up the icon alone shows
// the state), and at most one balloon comes per interval: what changes
// meanwhile waits for the next one, as it stands then, so a port that dropped
// and came back in between is not told at all. Devices that come or go, and
// ports switched on or off, are the list's to show. Portable: no windows.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "LinkState.h"
#include "PortRecord.h"

namespace kestrel {

inline constexpr uint32_t kNoticeIntervalMs = 10000;
// A balloon's text holds 255 characters and its terminating zero.
inline constexpr size_t kNoticeMaxChars = 255;
// Ports a balloon names before it counts the rest.
inline constexpr size_t kNoticePortsNamed = 3;

struct TrayNotice {
    std::wstring text;       // a line each, without a line end after the last
    bool warning = false;    // something was lost: the warning icon, else the information icon
    std::wstring firstPort;  // the port the balloon tells of first; empty when none
};

// How many active ports are not connected, as the tooltip and a balloon say it.
std::wstring NotConnectedLine(size_t count);

class TrayNotices {
public:
    explicit TrayNotices(uint32_t intervalMs = kNoticeIntervalMs) : interval(intervalMs) {}

    // The shortest time from one balloon to the next; tests shorten it.
    void SetInterval(uint32_t intervalMs) { interval = intervalMs; }

    // A pass went through: the service answers, and its ports are as the table holds them.
    void PassSeen(const PortTable& ports);
    // A tick without a pass that went through, and how it left the link. Only
    // a service that stopped or stopped answering is told; the other states
    // (another version, an untrusted pipe) are the title's and the tooltip's.
    void LinkSeen(LinkState::Kind kind);

    // The balloon due at now (tick count), if any; what it tells counts as
    // told. mayShow is asked only when something changed: when the user may
    // not be shown a balloon (the window is in front, or balloons are off),
    // what changed counts as told all the same.
    std::optional<TrayNotice> Take(uint32_t now, const std::function<bool()>& mayShow);

private:
    enum class Watch : uint8_t { Unwatched, Up, Down };
    enum class Service : uint8_t { Running, NotRunning, NotResponding };
    struct Port {
        std::wstring label;
        uint32_t status = 0;
        Watch watch = Watch::Unwatched;
    };
    using Ports = std::map<std::wstring, Port, PortNameLess>;

    // The balloon for what differs between told and seen; empty text when nothing does.
    TrayNotice Compose() const;
    void MarkTold();

    uint32_t interval;
    bool started = false;  // a pass went through: what is seen from then on is told
    Ports seen, told;
    Service seenService = Service::Running, toldService = Service::Running;
    std::optional<uint32_t> lastShown;  // tick count of the last balloon
};

}  // namespace kestrel
