// Refresh passes against a service that goes away, falls silent, fails a
// request or claims what the list cannot hold.
#include "ServiceMirrorFixture.h"

namespace kestrel::test {

TEST_F(ServiceMirrorTest, ServiceAwayKeepsRowsAndReturnReloadsCachesAndEnumerates) {
    Sim("port COM3 label=COM3 mode=0 status=0 traffic=off");
    Sim("defaults host=old.host dmsport=1 retry=1000 ssl=0 active=0");
    mirror.RefreshPorts(list);

    sim.Stop();
    mirror.RefreshPorts(list);  // finds the pipe gone
    mirror.RefreshPorts(list);  // connect attempt fails
    EXPECT_FALSE(mirror.IsConnected());
    EXPECT_TRUE(list.deletes.empty());

    Sim("defaults host=new.host dmsport=2 retry=2000 ssl=0 active=0");
    Sim("port COM3 label=Renamed");
    const uint64_t namesBefore = Requests(kGetPortName);
    const uint64_t logReadsBefore = Requests(kGetLogSettings);
    ASSERT_TRUE(sim.Start());
    mirror.RefreshPorts(list);
    ASSERT_TRUE(mirror.IsConnected());
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
    const int passesEndedBefore = list.passesEnded;
    mirror.RefreshPorts(list);
    EXPECT_FALSE(mirror.IsConnected());
    EXPECT_EQ(list.Offered(), std::vector<std::wstring>{L"COM1 marks"});
    EXPECT_EQ(list.passesEnded, passesEndedBefore);
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
    ShortenWaits(mirror);
    AddPorts({"COM1", "COM2"});
    mirror.RefreshPorts(list);

    Sim("fault delay 3000 on=GetPortCounters count=always");
    EXPECT_LT(PassMs(), kShortBudgetMs + kMarginMs);
    EXPECT_EQ(mirror.Link().kind, LinkState::Kind::NotResponding);
    EXPECT_FALSE(mirror.IsConnected());
    EXPECT_TRUE(list.deletes.empty());

    const uint64_t before = Requests();
    mirror.RefreshPorts(list);
    EXPECT_EQ(Requests(), before) << "left alone during the quiet period";

    ::Sleep(kQuietMs + kMarginMs);
    const DWORD attempt = PassMs();
    EXPECT_GT(Requests(), before);
    EXPECT_LT(attempt, kAttemptBudgetMs + kMarginMs) << "the attempt waits the short budget only";
    EXPECT_EQ(mirror.Link().kind, LinkState::Kind::NotResponding);
    EXPECT_EQ(mirror.ExchangeBudgetMs(), kShortBudgetMs) << "the flows keep theirs";

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
    ShortenWaits(busy);
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
    ShortenWaits(mirror);
    AddPorts({"COM1", "COM2"});
    mirror.RefreshPorts(list);

    Sim("remove COM1");
    AddPorts({"COM3"});
    Sim("fault delay 3000 on=GetPortDevice");
    const uint64_t dmsReads = Requests(kGetPortDmsConfig);
    const int passesEnded = list.passesEnded;
    list.Forget();
    EXPECT_LT(PassMs(), kShortBudgetMs + kMarginMs);
    EXPECT_EQ(Requests(kGetPortDmsConfig), dmsReads);
    EXPECT_EQ(list.Offered(), std::vector<std::wstring>{L"COM2 marks"});
    EXPECT_TRUE(list.deletes.empty());
    EXPECT_EQ(list.passesEnded, passesEnded);

    ::Sleep(kQuietMs + kMarginMs);
    list.Forget();
    mirror.RefreshPorts(list);
    EXPECT_EQ(list.Offered(), (std::vector<std::wstring>{L"COM2 marks", L"COM3"}));
    EXPECT_EQ(list.deletes, std::vector<std::wstring>{L"COM1"});
}

// Silence while a changed port is re-read in a poll: one budget, no further
// request in that pass, no sort.
TEST_F(ServiceMirrorTest, SilenceWhileAChangedPortIsRereadEndsThePoll) {
    mirror.SetExchangeBudget(kShortBudgetMs);
    AddPorts({"COM1", "COM2", "COM3"});
    mirror.RefreshPorts(list);

    Sim("port COM2 label=Changed");
    Sim("fault delay 3000 on=GetPortDevice");
    const uint64_t before = Requests();
    const int passesEnded = list.passesEnded;
    list.Forget();
    EXPECT_LT(PassMs(), kShortBudgetMs + kMarginMs);
    // GetPortListInfo, the counters of COM1 and COM2, COM2's device data.
    EXPECT_EQ(Requests() - before, 4u);
    EXPECT_EQ(list.passesEnded, passesEnded);
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
    const int passesEnded = list.passesEnded;
    list.Forget();
    const std::vector<std::vector<const char*>> lies{
        {"fault claim 1001"},
        {"fault claim 4294967295"},
        {"fault claim 4", "fault names repeat count=always"}};
    for (const auto& lie : lies) {
        for (const char* command : lie) Sim(command);
        mirror.RefreshPorts(list);
        EXPECT_FALSE(mirror.IsConnected()) << lie.back();
        EXPECT_TRUE(list.updates.empty() && list.deletes.empty()) << lie.back();
        EXPECT_EQ(mirror.Ports().size(), 2u) << lie.back();
        EXPECT_EQ(list.passesEnded, passesEnded) << lie.back();
        Sim("clear-faults");
    }

    Sim("fault claim 1000");
    mirror.RefreshPorts(list);
    EXPECT_TRUE(mirror.IsConnected()) << "a refused index is no lie";

    // Made-up names beyond the list are asked about, get no row and end nothing.
    Sim("fault claim 4");
    Sim("fault names invent count=always");
    mirror.RefreshPorts(list);
    EXPECT_EQ(list.Offered(), (std::vector<std::wstring>{L"COM1 marks", L"COM3"}));
    EXPECT_EQ(list.deletes, std::vector<std::wstring>{L"COM2"});
    EXPECT_EQ(list.passesEnded, passesEnded + 1);
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

// The service's statuses are refusals, whatever their number, also those
// that look like the link's own codes: one port's counters refused with them,
// the pass goes on to the next port and the link stays as it was.
TEST_F(ServiceMirrorTest, StatusesLikeTheLinksOwnCodesAreRefusals) {
    AddPorts({"COM1", "COM3", "COM4"});
    mirror.RefreshPorts(list);
    for (const char* status : {"1460", "0xEEEE0001", "0xEEEE0009"}) {
        Sim(std::string("fault refuse ") + status + " on=GetPortCounters after=1");
        list.Forget();
        mirror.RefreshPorts(list);
        EXPECT_EQ(mirror.LastPassResult(), kDone) << status;
        EXPECT_EQ(mirror.Link().kind, LinkState::Kind::Connected) << status;
        EXPECT_TRUE(mirror.IsConnected()) << status;
        EXPECT_NE(list.Last(L"COM4"), nullptr) << status << ": the pass went on";
    }
}

// While the service answers, a pass keeps the full budget: an answer slower
// than a silent service's attempt may take is shown.
TEST_F(ServiceMirrorTest, SlowAnswerWithinTheBudgetIsShown) {
    ShortenWaits(mirror);
    AddPorts({"COM1"});
    mirror.RefreshPorts(list);
    Sim("port COM1 label=Slow");
    Sim("fault delay 1000 on=GetPortDevice");
    mirror.RefreshPorts(list);
    EXPECT_EQ(mirror.Link().kind, LinkState::Kind::Connected);
    ASSERT_NE(list.Last(L"COM1"), nullptr);
    EXPECT_EQ(list.Last(L"COM1")->portLabel, L"Slow");
}

}  // namespace kestrel::test
