// The refresh pass against the simulator over a real pipe, with a list that
// records what the pass hands it; which rows a list keeps of that is the port
// list's own tests' business.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "DmsValues.h"
#include "PipeName.h"
#include "RequestResults.h"
#include "ServiceMirror.h"
#include "SimServer.h"

namespace kestrel::test {

class RecordingList : public PortListView {
public:
    // Answers as the port list does: counters-only news of a port without a
    // row show nothing.
    bool UpdatePort(const PortRowInfo& info) override {
        updates.push_back(info);
        const bool hasRow = rows.count(info.name) != 0;
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
    void PassEnded() override { ++passesEnded; }

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
    int passesEnded = 0;
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
    // A mirror that is to meet silence waits the short budgets below.
    static void ShortenWaits(ServiceMirror& target) {
        target.SetExchangeBudget(kShortBudgetMs);
        target.SetStallTiming(kQuietMs, kAttemptBudgetMs);
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

}  // namespace kestrel::test
