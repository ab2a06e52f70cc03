// The refresh pass against the simulator over a real pipe, with a list that
// records what the pass hands it; which rows a list keeps of that is the port
// list's own tests' business.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "DmsValues.h"
#include "PipeName.h"
#include "ServiceMirror.h"
#include "SimServer.h"

namespace kestrel {
namespace {

class RecordingList : public PortListView {
public:
    // Answers as the port list does: counters-only news of a port without a
    // row show nothing.
    bool UpdatePort(const PortRowInfo& info, bool* added) override {
        updates.push_back(info);
        const bool hasRow = rows.count(info.name) != 0;
        if (added)
            *added = accept && !hasRow && !info.countersOnly && info.status != kStatusNoDevice;
        if (!accept) return false;
        if (info.countersOnly) return hasRow;
        if (info.status == kStatusNoDevice) {
            rows.erase(info.name);
        } else {
            rows.insert(info.name);
        }
        return true;
    }
    void DeletePort(const std::wstring& name) override {
        deletes.push_back(name);
        rows.erase(name);
    }
    bool SortItems(int column, int sortType) override {
        ++sorts;
        lastSortColumn = column;
        lastSortType = sortType;
        return true;
    }

    // The updates in order: "COM3" a full row, "COM3 marks" the traffic marks
    // only, "COM3 no device" a full row that removes the port's row.
    std::vector<std::wstring> Offered() const {
        std::vector<std::wstring> offered;
        for (const auto& row : updates) {
            offered.push_back(row.name + (row.countersOnly                ? L" marks"
                                          : row.status == kStatusNoDevice ? L" no device"
                                                                          : L""));
        }
        return offered;
    }
    // The last update of a port, or null.
    const PortRowInfo* Last(const std::wstring& name) const {
        for (auto it = updates.rbegin(); it != updates.rend(); ++it)
            if (it->name == name) return &*it;
        return nullptr;
    }
    void Forget() {
        updates.clear();
        deletes.clear();
    }

    std::vector<PortRowInfo> updates;
    std::vector<std::wstring> deletes;
    std::set<std::wstring> rows;  // the ports the list shows a row for
    bool accept = true;           // false: as a list that cannot make or change a row
    int sorts = 0;
    int lastSortColumn = -1;
    int lastSortType = -1;
};

class ServiceMirrorTest : public ::testing::Test {
protected:
    ServiceMirrorTest() : sim(pipeName, kNoBackgroundTraffic), mirror(pipeName.c_str()) {}

    void SetUp() override {
        Sim("reset");
        ASSERT_TRUE(sim.Start());
    }

    void Sim(const std::string& command) {
        std::string error;
        ASSERT_TRUE(sim.Execute(command, &error)) << command << ": " << error;
    }
    // Ports with a device that is connected, and no traffic of their own.
    void AddPorts(std::initializer_list<const char*> names) {
        for (const char* name : names)
            Sim(std::string("port ") + name + " mode=0 status=0 traffic=off");
    }

    uint64_t Requests() const { return sim.TotalRequests(); }
    uint64_t Requests(uint32_t code) const { return sim.RequestCount(code); }
    // How long one refresh pass took.
    DWORD PassMs() {
        const DWORD start = ::GetTickCount();
        mirror.RefreshPorts(list);
        return ::GetTickCount() - start;
    }
    // Budgets and quiet period shorter than the product's, so that silences
    // cost little here, yet far enough apart that a pass descheduled for a few
    // hundred milliseconds still tells them apart.
    static constexpr DWORD kShortBudgetMs = 1500;
    static constexpr DWORD kAttemptBudgetMs = 500;
    static constexpr DWORD kQuietMs = 1000;
    static constexpr DWORD kMarginMs = 500;
    inline static const sim::SimServerOptions kNoBackgroundTraffic{4, 0, {}};

    const std::wstring pipeName = test::UniquePipeName();
    sim::SimServer sim;
    ServiceMirror mirror;
    RecordingList list;
};

TEST_F(ServiceMirrorTest, FirstPassConnectsLoadsCachesAndListsPortsWithDevices) {
    Sim("defaults host=dms.local dmsport=4000 retry=30000 ssl=1 active=1");
    Sim("log folder=C:\\Logs level=2");
    Sim("port COM3 label=COM3 serial=SN-3 mode=0 status=1 default=0 host=10.1.2.3 dmsport=4000 "
        "retry=5000 ssl=0 active=1 traffic=off");
    Sim("port COM10 label=COM10 serial=SN-10 mode=1 status=0 default=1 traffic=off");
    Sim("port COM7 status=3 traffic=off");

    mirror.RefreshPorts(list);

    ASSERT_TRUE(mirror.Client().IsConnected());
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

    EXPECT_EQ(list.sorts, 1);
    EXPECT_EQ(list.lastSortColumn, 1);
    EXPECT_EQ(list.lastSortType, 0);
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
    EXPECT_EQ(list.sorts, 2);
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
    const int sortsBefore = list.sorts;
    mirror.RefreshPorts(list);
    EXPECT_FALSE(mirror.ListStamp().has_value());
    EXPECT_EQ(list.sorts, sortsBefore);
    EXPECT_EQ(mirror.Ports().count(L"COM1"), 1u);  // stays until an enumeration completes
    EXPECT_TRUE(list.updates.empty());
    EXPECT_TRUE(list.deletes.empty());

    mirror.RefreshPorts(list);
    EXPECT_TRUE(mirror.ListStamp().has_value());
    EXPECT_EQ(mirror.Ports().count(L"COM1"), 0u);
    EXPECT_EQ(list.deletes, std::vector<std::wstring>{L"COM1"});
    ASSERT_NE(list.Last(L"COM6"), nullptr);
    EXPECT_FALSE(list.Last(L"COM6")->countersOnly);
    EXPECT_EQ(list.sorts, sortsBefore + 1);
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

TEST_F(ServiceMirrorTest, ServiceAwayKeepsRowsAndReturnReloadsCachesAndEnumerates) {
    Sim("port COM3 label=COM3 mode=0 status=0 traffic=off");
    Sim("defaults host=old.host dmsport=1 retry=1000 ssl=0 active=0");
    mirror.RefreshPorts(list);

    sim.Stop();
    mirror.RefreshPorts(list);  // finds the pipe gone
    mirror.RefreshPorts(list);  // connect attempt fails
    EXPECT_FALSE(mirror.Client().IsConnected());
    EXPECT_TRUE(list.deletes.empty());

    Sim("defaults host=new.host dmsport=2 retry=2000 ssl=0 active=0");
    Sim("port COM3 label=Renamed");
    const uint64_t namesBefore = Requests(kGetPortName);
    const uint64_t logReadsBefore = Requests(kGetLogSettings);
    ASSERT_TRUE(sim.Start());
    mirror.RefreshPorts(list);
    ASSERT_TRUE(mirror.Client().IsConnected());
    EXPECT_STREQ(mirror.DefaultDms().host, "new.host");
    EXPECT_EQ(Requests(kGetLogSettings) - logReadsBefore, 1u);
    // The service kept its stamp, yet the ports are enumerated afresh.
    EXPECT_EQ(Requests(kGetPortName) - namesBefore, 1u);
    EXPECT_TRUE(mirror.ListStamp().has_value());
    const PortRowInfo* row = list.Last(L"COM3");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->portLabel, L"Renamed");
}

TEST_F(ServiceMirrorTest, PortWhoseFullReadFailedComesBackOnTheNextPass) {
    AddPorts({"COM3"});
    Sim("port COM4 mode=0 status=1 traffic=off");
    Sim("fault refuse 31 on=3");  // the first GetPortDevice of the enumeration
    mirror.RefreshPorts(list);
    EXPECT_EQ(list.Offered(), std::vector<std::wstring>{L"COM4"});

    // Its update counter did not move, yet it is read in full again and listed.
    list.Forget();
    mirror.RefreshPorts(list);
    EXPECT_EQ(list.Offered(), (std::vector<std::wstring>{L"COM3", L"COM4 marks"}));
    mirror.RefreshPorts(list);
    EXPECT_FALSE(mirror.Ports().at(L"COM3").fullReadOwed);

    // The same in a poll: a refused read removes the row, the next pass restores it.
    Sim("fault refuse 31 on=3");
    Sim("port COM4 status=0");  // moves COM4's counter so that its read meets the fault
    list.Forget();
    mirror.RefreshPorts(list);
    mirror.RefreshPorts(list);
    EXPECT_EQ(list.Offered(), (std::vector<std::wstring>{L"COM3 marks", L"COM4 no device",
                                                         L"COM3 marks", L"COM4"}));
    EXPECT_EQ(list.Last(L"COM4")->status, 0u);
}

TEST_F(ServiceMirrorTest, LinkFailureEndsThePassAndLeavesEveryRow) {
    AddPorts({"COM1", "COM2", "COM3"});
    mirror.RefreshPorts(list);
    list.Forget();

    // A poll: the service dies while COM2's counters are asked for.
    Sim("fault crash on=11 after=1");
    const int sortsBefore = list.sorts;
    mirror.RefreshPorts(list);
    EXPECT_FALSE(mirror.Client().IsConnected());
    EXPECT_EQ(list.Offered(), std::vector<std::wstring>{L"COM1 marks"});
    EXPECT_EQ(list.sorts, sortsBefore);
    EXPECT_EQ(mirror.Link().kind, LinkState::Kind::Connected) << "gone is not the same as silent";
    mirror.RefreshPorts(list);  // reconnects and enumerates afresh
    EXPECT_EQ(list.Offered(), (std::vector<std::wstring>{L"COM1 marks", L"COM1 marks",
                                                         L"COM2 marks", L"COM3 marks"}));
    EXPECT_TRUE(list.deletes.empty());
}

// A service that stops answering costs the panel one exchange; then it is
// left alone for the quiet period, and each attempt after it costs at most
// the short budget. Answers end the state; the editing flows keep the normal
// budget throughout.
TEST_F(ServiceMirrorTest, SilentServiceIsNotRespondingUntilAnAttemptIsAnswered) {
    mirror.Client().SetExchangeBudget(kShortBudgetMs);
    mirror.SetStallTiming(kQuietMs, kAttemptBudgetMs);
    AddPorts({"COM1", "COM2"});
    mirror.RefreshPorts(list);

    Sim("fault delay 3000 on=GetPortCounters count=always");
    EXPECT_LT(PassMs(), kShortBudgetMs + kMarginMs);
    EXPECT_EQ(mirror.Link().kind, LinkState::Kind::NotResponding);
    EXPECT_FALSE(mirror.Client().IsConnected());
    EXPECT_TRUE(list.deletes.empty());

    const uint64_t before = Requests();
    mirror.RefreshPorts(list);
    EXPECT_EQ(Requests(), before) << "left alone during the quiet period";

    ::Sleep(kQuietMs + kMarginMs);
    const DWORD attempt = PassMs();
    EXPECT_GT(Requests(), before);
    EXPECT_LT(attempt, kAttemptBudgetMs + kMarginMs) << "the attempt waits the short budget only";
    EXPECT_EQ(mirror.Link().kind, LinkState::Kind::NotResponding);
    EXPECT_EQ(mirror.Client().ExchangeBudgetMs(), kShortBudgetMs) << "the flows keep theirs";

    Sim("clear-faults");
    Sim("port COM2 label=Back");
    ::Sleep(kQuietMs + kMarginMs);
    mirror.RefreshPorts(list);
    EXPECT_EQ(mirror.Link().kind, LinkState::Kind::Connected);
    EXPECT_EQ(list.Last(L"COM2")->portLabel, L"Back");
}

// A silent service that takes no new client meanwhile (its one pipe instance
// still busy with the request it lets lie) stays not responding; a pipe that
// has gone is a service that is not running.
TEST_F(ServiceMirrorTest, BusyPipeKeepsTheServiceNotResponding) {
    const std::wstring name = test::UniquePipeName();
    sim::SimServer single(name, sim::SimServerOptions{1, 0, {}});
    ASSERT_TRUE(single.Execute("port COM1 mode=0 status=0 traffic=off"));
    ASSERT_TRUE(single.Start());
    ServiceMirror busy(name.c_str());
    busy.Client().SetExchangeBudget(kShortBudgetMs);
    busy.SetStallTiming(kQuietMs, kAttemptBudgetMs);
    busy.RefreshPorts(list);
    ASSERT_TRUE(single.Execute("fault delay 10000 on=GetPortCounters"));
    busy.RefreshPorts(list);
    ASSERT_EQ(busy.Link().kind, LinkState::Kind::NotResponding);

    ::Sleep(kQuietMs + kMarginMs);
    busy.RefreshPorts(list);
    EXPECT_EQ(busy.Link().kind, LinkState::Kind::NotResponding);

    single.Stop();
    ::Sleep(kQuietMs + kMarginMs);
    busy.RefreshPorts(list);
    EXPECT_EQ(busy.Link().kind, LinkState::Kind::NotRunning);
}

// Silence while a new port is read in full: one budget, no DMS read after the
// device read, nothing removed; the next attempt enumerates afresh, so the
// new port comes and the vanished one goes without another change of the list.
TEST_F(ServiceMirrorTest, SilenceWhileANewPortIsReadCostsOneBudgetAndTheNextAttemptEnumerates) {
    mirror.Client().SetExchangeBudget(kShortBudgetMs);
    mirror.SetStallTiming(kQuietMs, kAttemptBudgetMs);
    AddPorts({"COM1", "COM2"});
    mirror.RefreshPorts(list);

    Sim("remove COM1");
    AddPorts({"COM3"});
    Sim("fault delay 3000 on=GetPortDevice");
    const uint64_t dmsReads = Requests(kGetPortDmsConfig);
    const int sorts = list.sorts;
    list.Forget();
    EXPECT_LT(PassMs(), kShortBudgetMs + kMarginMs);
    EXPECT_EQ(Requests(kGetPortDmsConfig), dmsReads);
    EXPECT_EQ(list.Offered(), std::vector<std::wstring>{L"COM2 marks"});
    EXPECT_TRUE(list.deletes.empty());
    EXPECT_EQ(list.sorts, sorts);

    ::Sleep(kQuietMs + kMarginMs);
    list.Forget();
    mirror.RefreshPorts(list);
    EXPECT_EQ(list.Offered(), (std::vector<std::wstring>{L"COM2 marks", L"COM3"}));
    EXPECT_EQ(list.deletes, std::vector<std::wstring>{L"COM1"});
}

// Silence while a changed port is re-read in a poll: one budget, no further
// request in that pass, no sort.
TEST_F(ServiceMirrorTest, SilenceWhileAChangedPortIsRereadEndsThePoll) {
    mirror.Client().SetExchangeBudget(kShortBudgetMs);
    AddPorts({"COM1", "COM2", "COM3"});
    mirror.RefreshPorts(list);

    Sim("port COM2 label=Changed");
    Sim("fault delay 3000 on=GetPortDevice");
    const uint64_t before = Requests();
    const int sorts = list.sorts;
    list.Forget();
    EXPECT_LT(PassMs(), kShortBudgetMs + kMarginMs);
    // GetPortListInfo, the counters of COM1 and COM2, COM2's device data.
    EXPECT_EQ(Requests() - before, 4u);
    EXPECT_EQ(list.sorts, sorts);
    EXPECT_EQ(list.Offered(), std::vector<std::wstring>{L"COM1 marks"});
}

// More ports than the list can hold, or a name given twice, is a malformed
// answer: nothing is added or removed, the link closes, and the next pass
// starts afresh. A list of 1000 is still taken at its word.
TEST_F(ServiceMirrorTest, ClaimsTheListCannotHoldEndThePassWithoutTouchingIt) {
    AddPorts({"COM1", "COM2"});
    mirror.RefreshPorts(list);
    Sim("remove COM2");
    AddPorts({"COM3"});
    const int sorts = list.sorts;
    list.Forget();
    const std::vector<std::vector<const char*>> lies{
        {"fault claim 1001"},
        {"fault claim 4294967295"},
        {"fault claim 4", "fault names repeat count=always"}};
    for (const auto& lie : lies) {
        for (const char* command : lie) Sim(command);
        mirror.RefreshPorts(list);
        EXPECT_FALSE(mirror.Client().IsConnected()) << lie.back();
        EXPECT_TRUE(list.updates.empty() && list.deletes.empty()) << lie.back();
        EXPECT_EQ(mirror.Ports().size(), 2u) << lie.back();
        EXPECT_EQ(list.sorts, sorts) << lie.back();
        Sim("clear-faults");
    }

    Sim("fault claim 1000");
    mirror.RefreshPorts(list);
    EXPECT_TRUE(mirror.Client().IsConnected()) << "a refused index is no lie";

    // Made-up names beyond the list are asked about, get no row and end nothing.
    Sim("fault claim 4");
    Sim("fault names invent count=always");
    mirror.RefreshPorts(list);
    EXPECT_EQ(list.Offered(), (std::vector<std::wstring>{L"COM1 marks", L"COM3"}));
    EXPECT_EQ(list.deletes, std::vector<std::wstring>{L"COM2"});
    EXPECT_EQ(list.sorts, sorts + 1);
}

// A row the list cannot make leaves the port not present: the next pass
// reads it in full and offers it again.
TEST_F(ServiceMirrorTest, PortTheListCouldNotShowIsOfferedAgain) {
    AddPorts({"COM1"});
    list.accept = false;
    mirror.RefreshPorts(list);
    EXPECT_FALSE(mirror.Ports().at(L"COM1").present);
    list.accept = true;
    mirror.RefreshPorts(list);
    EXPECT_EQ(list.Offered(), (std::vector<std::wstring>{L"COM1", L"COM1"}));
    EXPECT_TRUE(mirror.Ports().at(L"COM1").present);
}

TEST_F(ServiceMirrorTest, RefusedCounterPollDuringAnEnumerationSkipsOnlyThatPort) {
    AddPorts({"COM1", "COM2"});
    mirror.RefreshPorts(list);
    AddPorts({"COM3"});
    Sim("fault refuse 31 on=11 after=1");
    list.Forget();
    mirror.RefreshPorts(list);
    EXPECT_EQ(list.Offered(), (std::vector<std::wstring>{L"COM1 marks", L"COM3"}));
    EXPECT_TRUE(list.deletes.empty());
    EXPECT_EQ(mirror.Ports().count(L"COM2"), 1u);
}

// A service of the test's own making, for answers the simulator never gives:
// one stamp, the names given, every port connected, nothing else set.
class MadeUpService : public PortRequests {
public:
    uint32_t GetPortListInfo(uint32_t* listStamp, uint32_t* count) override {
        *listStamp = stamp;
        *count = static_cast<uint32_t>(names.size());
        return kResultOk;
    }
    uint32_t GetPortName(uint32_t, uint32_t index, std::wstring& name) override {
        name = names.at(index);
        return kResultOk;
    }
    uint32_t GetPortDevice(const std::wstring&, std::wstring&, std::wstring&, uint32_t&,
                           uint32_t& status, bool&) override {
        status = kStatusConnected;
        return kResultOk;
    }
    uint32_t GetPortDmsConfig(const std::wstring&, DmsConfig&) override { return kResultOk; }
    uint32_t GetPortCounters(const std::wstring&, uint32_t&, uint32_t&, uint32_t&) override {
        return kResultOk;
    }

    uint32_t stamp = 0;
    std::vector<std::wstring> names;
};

TEST(RefreshPassTest, StampZeroIsEnumeratedLikeAnyOther) {
    MadeUpService service;
    service.names = {L"COM1"};
    RecordingList list;
    PortTable ports;
    std::optional<uint32_t> listStamp;
    EXPECT_EQ(RefreshPass(service, list, ports, listStamp).Run(), kResultOk);
    EXPECT_EQ(list.Offered(), std::vector<std::wstring>{L"COM1"});
    EXPECT_EQ(listStamp, std::optional<uint32_t>(0));
}

// A name longer than a request carries would reach the port of its first 200
// characters; an empty one names none. Either is malformed: nothing changes.
TEST(RefreshPassTest, NamesARequestCannotCarryEndThePassAsMalformed) {
    MadeUpService service;
    const std::wstring longest(kPortNameChars - 1, L'C');
    service.names = {L"COM1", longest};
    RecordingList list;
    PortTable ports;
    std::optional<uint32_t> listStamp;
    ASSERT_EQ(RefreshPass(service, list, ports, listStamp).Run(), kResultOk);
    for (const std::wstring& name : {longest + L"2", std::wstring()}) {
        service.names = {L"COM1", name};
        ++service.stamp;
        list.Forget();
        RefreshPass pass(service, list, ports, listStamp);
        EXPECT_EQ(pass.Run(), kErrorGeneric);
        EXPECT_TRUE(pass.Malformed());
        EXPECT_TRUE(list.updates.empty() && list.deletes.empty());
        EXPECT_EQ(ports.size(), 2u);
        EXPECT_FALSE(listStamp.has_value());
    }
}

TEST(MakePortRowTest, ConnectionTextJoinsHostAndPort) {
    PortRecord record;
    record.rxPrev = 1;
    record.rxCount = 2;
    auto connection = [&](const char* host, const char* port) {
        record.dms = test::Dms(host, port, 0, false, false);
        return MakePortRow(record, L"COM1").connection;
    };
    EXPECT_EQ(connection("H", "4000"), L"H:4000");
    EXPECT_EQ(connection("", "4000"), L":4000");
    EXPECT_EQ(connection("H", ""), L"H:");
    EXPECT_EQ(connection("", ""), L"");
    const PortRowInfo row = MakePortRow(record, L"COM1");
    EXPECT_TRUE(row.rxChanged);
    EXPECT_FALSE(row.txChanged);
    EXPECT_FALSE(row.countersOnly);
    EXPECT_EQ(row.status, kStatusNoDevice);
    EXPECT_EQ(row.mode, kModeSerial);
}

}  // namespace
}  // namespace kestrel
