// What the tray's balloons say and when, from the passes and link states a
// tick sees, without a window.
#include <gtest/gtest.h>

#include <string>

#include "TrayNotices.h"

namespace kestrel {
namespace {

PortRecord Port(const std::wstring& label, uint32_t status, bool active = true,
                uint32_t mode = kModePoct1A) {
    PortRecord record;
    record.portLabel = label;
    record.status = status;
    record.mode = mode;
    record.dms.comPortActive = active ? 1 : 0;
    return record;
}

const auto kAlways = [] { return true; };

// The text of the balloon due at now, or "-" when none is.
std::wstring Told(TrayNotices& notices, uint32_t now = 0) {
    const std::optional<TrayNotice> notice = notices.Take(now, kAlways);
    return notice ? notice->text : L"-";
}

TEST(TrayNotices, TellsChangesOfWatchedPortsAfterTheFirstPassOnly) {
    TrayNotices notices(0);
    PortTable ports{{L"COM3", Port(L"Analyzer 3", kStatusNotConnected)},
                    {L"COM4", Port(L"COM4", kStatusConnected)}};
    notices.LinkSeen(LinkState::Kind::NotRunning);
    EXPECT_EQ(Told(notices), L"-") << "nothing before a pass went through";
    notices.PassSeen(ports);
    EXPECT_EQ(Told(notices), L"-") << "the state at start-up is the icon's to show";

    ports[L"COM3"].status = kStatusConnected;
    ports[L"COM4"].status = kStatusNotAvailable;
    notices.PassSeen(ports);
    const std::optional<TrayNotice> notice = notices.Take(0, kAlways);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->text, L"COM4: Not available\nCOM3 (Analyzer 3): Connected");
    EXPECT_TRUE(notice->warning);
    EXPECT_EQ(notice->firstPort, L"COM4") << "losses first";
    EXPECT_EQ(Told(notices), L"-") << "told once";

    // Devices that come or go, and ports switched off or to Serial, are the list's news.
    ports[L"COM5"] = Port(L"COM5", kStatusNotConnected);
    ports[L"COM3"].dms.comPortActive = 0;
    ports[L"COM3"].status = kStatusNotConnected;
    ports[L"COM4"].mode = kModeSerial;
    notices.PassSeen(ports);
    EXPECT_EQ(Told(notices), L"-");
    ports.erase(L"COM5");
    notices.PassSeen(ports);
    EXPECT_EQ(Told(notices), L"-");
}

TEST(TrayNotices, TheServiceStoppingFallingSilentAndAnsweringAgain) {
    TrayNotices notices(0);
    const PortTable ports{{L"COM3", Port(L"COM3", kStatusConnected)}};
    notices.PassSeen(ports);
    for (const auto& [kind, text] :
         {std::pair{LinkState::Kind::NotResponding, L"Service not responding"},
          std::pair{LinkState::Kind::NotRunning, L"Service not running"}}) {
        notices.LinkSeen(kind);
        const std::optional<TrayNotice> notice = notices.Take(0, kAlways);
        ASSERT_TRUE(notice);
        EXPECT_EQ(notice->text, text);
        EXPECT_TRUE(notice->warning);
    }
    notices.LinkSeen(LinkState::Kind::WrongVersion);
    EXPECT_EQ(Told(notices), L"-") << "the title's and the tooltip's";
    notices.PassSeen(ports);
    const std::optional<TrayNotice> back = notices.Take(0, kAlways);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->text, L"Service running");
    EXPECT_FALSE(back->warning);
}

// Changes within the interval wait for the next balloon, as they stand then.
TEST(TrayNotices, OneBalloonAnIntervalWithTheLastStateWinning) {
    TrayNotices notices(10000);
    PortTable ports{{L"COM3", Port(L"COM3", kStatusConnected)},
                    {L"COM4", Port(L"COM4", kStatusConnected)}};
    notices.PassSeen(ports);
    ports[L"COM3"].status = kStatusNotConnected;
    notices.PassSeen(ports);
    EXPECT_EQ(Told(notices, 1000), L"COM3: Not connected");

    ports[L"COM4"].status = kStatusNotConnected;
    notices.PassSeen(ports);
    EXPECT_EQ(Told(notices, 5000), L"-");
    ports[L"COM3"].status = kStatusConnected;
    notices.PassSeen(ports);
    ports[L"COM3"].status = kStatusNotConnected;
    notices.PassSeen(ports);
    EXPECT_EQ(Told(notices, 10999), L"-");
    EXPECT_EQ(Told(notices, 11000), L"COM4: Not connected") << "COM3 dropped and came back";

    // Not shown to the user: taken as told.
    ports[L"COM4"].status = kStatusConnected;
    notices.PassSeen(ports);
    int asked = 0;
    EXPECT_FALSE(notices.Take(30000, [&] { return ++asked, false; }));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Told(notices, 30000), L"-");
    notices.Take(30000, [&] { return ++asked, false; });
    EXPECT_EQ(asked, 1) << "asked only when something changed";
    ports[L"COM3"].status = kStatusConnected;
    notices.PassSeen(ports);
    EXPECT_EQ(Told(notices, 30001), L"COM3: Connected");
}

// Three ports are named; past that the shorter of names and counts.
TEST(TrayNotices, ManyChangesInOnePassMakeOneBalloon) {
    TrayNotices notices(0);
    PortTable ports;
    for (const wchar_t* name : {L"COM1", L"COM2", L"COM3", L"COM4", L"COM5", L"COM6"})
        ports[name] = Port(name, kStatusConnected);
    notices.PassSeen(ports);
    const auto drop = [&](std::initializer_list<const wchar_t*> names) {
        for (const wchar_t* name : names) ports[name].status = kStatusNotConnected;
        notices.PassSeen(ports);
        return Told(notices);
    };
    EXPECT_EQ(drop({L"COM1", L"COM2", L"COM3"}),
              L"COM1: Not connected\nCOM2: Not connected\nCOM3: Not connected");
    ports[L"COM1"].status = kStatusConnected;
    EXPECT_EQ(drop({L"COM4", L"COM5", L"COM6"}), L"3 ports not connected\n1 port connected");

    // Names that would not fit the balloon's 255 characters are counted.
    const std::wstring longName(200, L'N');
    ports = {{longName + L"1", Port(L"", kStatusConnected)},
             {longName + L"2", Port(L"", kStatusConnected)}};
    notices.PassSeen(ports);
    EXPECT_EQ(Told(notices), L"-") << "devices that came";
    for (auto& entry : ports) entry.second.status = kStatusNotConnected;
    notices.PassSeen(ports);
    EXPECT_EQ(Told(notices), L"2 ports not connected");
    EXPECT_EQ(NotConnectedLine(1), L"1 port not connected");
}

}  // namespace
}  // namespace kestrel
