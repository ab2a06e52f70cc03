// What a balloon tells, from the passes a tick sees, without a window; when
// balloons come is shown by the main window's tests.
#include <gtest/gtest.h>

#include <string>

#include "TrayNotices.h"

namespace kestrel {
namespace {

// Losses first, three ports by name, past that (or when the names do not fit
// the balloon's 255 characters) counted. Devices that come or go and ports
// switched off or to Serial are the list's news.
TEST(TrayNotices, WhatOneBalloonTells) {
    TrayNotices notices(0);
    PortTable ports;
    const std::wstring longName(200, L'N');
    for (const std::wstring& name : {std::wstring(L"COM1"), std::wstring(L"COM2"),
                                     std::wstring(L"COM3"), std::wstring(L"COM4"), longName}) {
        PortRecord& record = ports[name];
        record.portLabel = name == longName ? std::wstring(29, L'L') : name;
        record.mode = kModePoct1A;
        record.status = kStatusNotConnected;
        record.dms.comPortActive = 1;
    }
    const auto told = [&](std::initializer_list<std::pair<std::wstring, uint32_t>> changes) {
        for (const auto& [name, status] : changes) ports[name].status = status;
        notices.PassSeen(ports);
        const std::optional<TrayNotice> notice = notices.Take(0, [] { return true; });
        return notice ? notice->text + (notice->warning ? L" !" : L"") : L"-";
    };
    EXPECT_EQ(told({}), L"-") << "the state at start-up";
    EXPECT_EQ(told({{L"COM1", kStatusConnected}, {L"COM2", kStatusConnected}}),
              L"COM1: Connected\nCOM2: Connected");
    EXPECT_EQ(told({{L"COM1", kStatusNotAvailable}, {L"COM3", kStatusConnected}}),
              L"COM1: Not available\nCOM3: Connected !");
    EXPECT_EQ(told({{L"COM1", kStatusConnected},
                    {L"COM2", kStatusNotConnected},
                    {L"COM3", kStatusNotConnected},
                    {L"COM4", kStatusConnected}}),
              L"2 ports not connected\n2 ports connected !");
    EXPECT_EQ(told({{L"COM1", kStatusNotConnected}, {longName, kStatusConnected}}),
              L"1 port not connected\n1 port connected !");

    ports[L"COM1"].dms.comPortActive = 0;
    ports[L"COM4"].mode = kModeSerial;
    ports.erase(L"COM2");
    ports[L"COM5"] = ports[L"COM3"];
    EXPECT_EQ(told({{L"COM1", kStatusConnected}, {L"COM4", kStatusNotConnected}}), L"-");
}

}  // namespace
}  // namespace kestrel
