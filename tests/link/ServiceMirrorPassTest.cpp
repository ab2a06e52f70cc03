// Refresh passes against a service that answers: what each pass reads and
// what it hands the list, and when a tick makes no pass.
#include "ServiceMirrorFixture.h"

namespace kestrel::test {

TEST_F(ServiceMirrorTest, FirstPassConnectsLoadsCachesAndListsPortsWithDevices) {
    Sim("defaults host=dms.local dmsport=4000 retry=30000 ssl=1 active=1");
    Sim("log folder=C:\\Logs level=2");
    Sim("port COM3 label=COM3 serial=SN-3 mode=0 status=1 default=0 host=10.1.2.3 dmsport=4000 "
        "retry=5000 ssl=0 active=1 traffic=off");
    Sim("port COM10 label=COM10 serial=SN-10 mode=1 status=0 default=1 traffic=off");
    Sim("port COM7 status=3 traffic=off");

    mirror.RefreshPorts(list);

    ASSERT_TRUE(mirror.IsConnected());
    EXPECT_TRUE(mirror.DefaultDmsLoaded());
    EXPECT_STREQ(mirror.DefaultDms().host, "dms.local");
    EXPECT_EQ(mirror.DefaultDms().retryMs, 30000u);
    EXPECT_TRUE(mirror.LogSettingsLoaded());
    EXPECT_EQ(mirror.LogSettingsCache().folder, L"C:\\Logs");
    EXPECT_EQ(mirror.LogSettingsCache().level, 2u);
    EXPECT_TRUE(mirror.ListStamp().has_value());

    // The table walks in code-unit order; a port without a device has a record but no row.
    std::vector<std::wstring> keys;
    for (const auto& entry : mirror.Ports()) keys.push_back(entry.first);
    EXPECT_EQ(keys, (std::vector<std::wstring>{L"COM10", L"COM3", L"COM7"}));
    EXPECT_EQ(list.Offered(), (std::vector<std::wstring>{L"COM10", L"COM3", L"COM7 no device"}));

    const PortRowInfo* com3 = list.Last(L"COM3");
    ASSERT_NE(com3, nullptr);
    EXPECT_FALSE(com3->countersOnly);
    EXPECT_TRUE(com3->comPortActive);
    EXPECT_EQ(com3->portLabel, L"COM3");
    EXPECT_EQ(com3->serialNumber, L"SN-3");
    EXPECT_EQ(com3->mode, 0u);
    EXPECT_EQ(com3->status, 1u);
    EXPECT_EQ(com3->connection, L"10.1.2.3:4000");
    // A port following the defaults shows them.
    const PortRowInfo* com10 = list.Last(L"COM10");
    ASSERT_NE(com10, nullptr);
    EXPECT_EQ(com10->connection, L"dms.local:4000");
    EXPECT_TRUE(mirror.Ports().at(L"COM10").useDefault);

    EXPECT_EQ(list.passesEnded, 1);
}

TEST_F(ServiceMirrorTest, UnchangedPortsCostOneCounterPollEachAndSendCountersOnlyRows) {
    AddPorts({"COM1", "COM2", "COM3", "COM4"});
    mirror.RefreshPorts(list);
    list.Forget();

    const uint64_t before = Requests();
    mirror.RefreshPorts(list);
    EXPECT_EQ(Requests() - before, 1u + 4u);  // GetPortListInfo + one GetPortCounters per port
    EXPECT_EQ(list.Offered(), (std::vector<std::wstring>{L"COM1 marks", L"COM2 marks",
                                                         L"COM3 marks", L"COM4 marks"}));
    EXPECT_EQ(list.passesEnded, 2);
}

TEST_F(ServiceMirrorTest, TrafficMarksShowMovementWithinTheLastTick) {
    Sim("port COM3 mode=0 status=0 active=1 traffic=off");
    mirror.RefreshPorts(list);
    const auto marks = [&] {
        const PortRowInfo& row = list.updates.back();
        return row.name + (row.rxChanged ? L" rx" : L"") + (row.txChanged ? L" tx" : L"");
    };
    Sim("port COM3 rx=+5");
    mirror.RefreshPorts(list);
    EXPECT_EQ(marks(), L"COM3 rx");
    Sim("port COM3 tx=+2");
    mirror.RefreshPorts(list);
    EXPECT_EQ(marks(), L"COM3 tx");
    mirror.RefreshPorts(list);
    EXPECT_EQ(marks(), L"COM3");
}

TEST_F(ServiceMirrorTest, MovedUpdateCounterRereadsThePort) {
    Sim("port COM3 label=COM3 mode=0 status=1 traffic=off");
    mirror.RefreshPorts(list);
    Sim("port COM3 label=Analyser status=0");
    const uint64_t devicesBefore = Requests(kGetPortDevice);
    mirror.RefreshPorts(list);
    EXPECT_EQ(Requests(kGetPortDevice) - devicesBefore, 1u);
    const PortRowInfo* row = list.Last(L"COM3");
    ASSERT_NE(row, nullptr);
    EXPECT_FALSE(row->countersOnly);
    EXPECT_EQ(row->portLabel, L"Analyser");
    EXPECT_EQ(row->status, 0u);
}

TEST_F(ServiceMirrorTest, StampChangeEnumeratesAddsNewAndRemovesVanishedPorts) {
    AddPorts({"COM3"});
    Sim("port COM4 mode=2 status=1 traffic=off");
    mirror.RefreshPorts(list);
    const std::optional<uint32_t> firstStamp = mirror.ListStamp();

    Sim("remove COM4");
    Sim("port COM5 mode=0 status=2 traffic=off");
    const uint64_t devicesBefore = Requests(kGetPortDevice);
    list.Forget();
    mirror.RefreshPorts(list);
    EXPECT_NE(mirror.ListStamp(), firstStamp);
    EXPECT_EQ(list.Offered(), (std::vector<std::wstring>{L"COM3 marks", L"COM5"}));
    EXPECT_EQ(list.deletes, std::vector<std::wstring>{L"COM4"});
    EXPECT_EQ(mirror.Ports().count(L"COM4"), 0u);
    // Only the new port was read in full; COM3 kept its row with a counters-only update.
    EXPECT_EQ(Requests(kGetPortDevice) - devicesBefore, 1u);

    // A new stamp with no ports empties table and list.
    Sim("remove COM3");
    Sim("remove COM5");
    list.Forget();
    mirror.RefreshPorts(list);
    EXPECT_TRUE(mirror.Ports().empty());
    EXPECT_EQ(list.deletes, (std::vector<std::wstring>{L"COM3", L"COM5"}));
}

// A new port is read in full whatever its update counter says; from then on
// an unchanged pass costs one counter poll per port.
TEST_F(ServiceMirrorTest, PortFirstSeenWithUpdateCounterZeroIsReadInFull) {
    Sim("port COM5 label=Dock mode=0 status=0 traffic=off update=0");
    mirror.RefreshPorts(list);
    EXPECT_EQ(list.Offered(), std::vector<std::wstring>{L"COM5"});
    const uint64_t before = Requests();
    mirror.RefreshPorts(list);
    EXPECT_EQ(Requests() - before, 1u + 1u);
    EXPECT_EQ(list.Offered(), (std::vector<std::wstring>{L"COM5", L"COM5 marks"}));
}

// Its marks find no row, yet a port without a device is shown as it should be.
TEST_F(ServiceMirrorTest, NoDeviceGetsNoRowUntilAFullReadFindsOne) {
    Sim("port COM7 mode=0 status=3 traffic=off");
    mirror.RefreshPorts(list);
    const uint64_t before = Requests();
    mirror.RefreshPorts(list);
    mirror.RefreshPorts(list);
    EXPECT_EQ(Requests() - before, 2u * (1u + 1u));
    Sim("port COM7 status=1");
    mirror.RefreshPorts(list);
    EXPECT_EQ(list.Offered(), (std::vector<std::wstring>{L"COM7 no device", L"COM7 marks",
                                                         L"COM7 marks", L"COM7"}));
}

TEST_F(ServiceMirrorTest, PortNameFailureAbandonsEnumerationWithoutRemovingOrSorting) {
    AddPorts({"COM1", "COM2", "COM3", "COM4", "COM5"});
    mirror.RefreshPorts(list);
    list.Forget();

    Sim("remove COM1");
    AddPorts({"COM6"});
    Sim("fault refuse 87 on=2 after=3");
    const int passesEndedBefore = list.passesEnded;
    mirror.RefreshPorts(list);
    EXPECT_FALSE(mirror.ListStamp().has_value());
    EXPECT_EQ(list.passesEnded, passesEndedBefore);
    EXPECT_EQ(mirror.Ports().count(L"COM1"), 1u);  // stays until an enumeration completes
    EXPECT_TRUE(list.updates.empty());
    EXPECT_TRUE(list.deletes.empty());

    mirror.RefreshPorts(list);
    EXPECT_TRUE(mirror.ListStamp().has_value());
    EXPECT_EQ(mirror.Ports().count(L"COM1"), 0u);
    EXPECT_EQ(list.deletes, std::vector<std::wstring>{L"COM1"});
    ASSERT_NE(list.Last(L"COM6"), nullptr);
    EXPECT_FALSE(list.Last(L"COM6")->countersOnly);
    EXPECT_EQ(list.passesEnded, passesEndedBefore + 1);
}

TEST_F(ServiceMirrorTest, TickWhileEditingOrRefreshingDoesNothing) {
    AddPorts({"COM3"});
    mirror.RefreshPorts(list);
    const uint64_t before = Requests();

    {
        ServiceMirror::EditingScope editing(mirror);
        mirror.RefreshPorts(list);
        EXPECT_EQ(Requests(), before);
        EXPECT_FALSE(mirror.IsRefreshing());
    }
    {
        ServiceMirror::RefreshingScope refreshing(mirror);
        mirror.RefreshPorts(list);
        EXPECT_EQ(Requests(), before);
    }

    mirror.RefreshPorts(list);
    EXPECT_EQ(Requests() - before, 2u);
}

}  // namespace kestrel::test
