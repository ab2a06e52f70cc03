// KestrelSim.exe as a separate process, fed by a scenario file, its standard
// input and a control file, and reached over its pipe.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "Eventually.h"
#include "Frames.h"
#include "PipeName.h"
#include "RawPipeClient.h"

namespace kestrel::sim {
namespace {

using namespace kestrel::test;

// The port names the simulator reports, read as the panel enumerates them.
std::vector<std::wstring> PortNames(RawPipeClient& client) {
    std::vector<std::wstring> names;
    std::vector<uint8_t> r;
    if (client.Exchange(Request(kGetPortListInfo), &r) != 0) return names;
    const uint32_t stamp = GetU32(r.data(), kRspStampOffset);
    const uint32_t count = GetU32(r.data(), kRspCountOffset);
    for (uint32_t i = 0; i < count; ++i) {
        if (client.Exchange(NameRequest(stamp, i), &r) != 0) return {};
        names.push_back(GetWide(r.data(), 8, 262));
    }
    return names;
}

// Whether the simulator comes to report exactly these ports.
bool ComesToReport(RawPipeClient& client, const std::vector<std::wstring>& expected) {
    return Eventually([&] { return PortNames(client) == expected; }, 3000);
}

TEST(SimProcess, TakesCommandsFromScenarioStdinAndControlFile) {
    const std::wstring folder = BesideThisProgram(L"");
    const std::wstring pipe = UniquePipeName();
    const std::wstring scenario = folder + L"sim_process_scenario.txt";
    const std::wstring control = folder + L"sim_process_control.txt";
    std::ofstream(std::filesystem::path(scenario)) << "# starts with one port, which leaves later\n"
                               "port COM8 label=Scenario\n"
                               "sleep 300\n"
                               "remove COM8\n";
    std::ofstream(std::filesystem::path(control), std::ios::trunc).close();

    ChildProcess sim;
    ASSERT_TRUE(sim.Start(L"KestrelSim.exe",
                          L"--pipe " + pipe + L" --tick 0 --scenario \"" + scenario +
                              L"\" --control \"" + control + L"\"",
                          true));
    ASSERT_TRUE(sim.WaitForOutput("ready", 15000)) << sim.Output();

    RawPipeClient client;
    ASSERT_TRUE(client.Connect(PipePath(pipe)));
    EXPECT_EQ(PortNames(client), std::vector<std::wstring>{L"COM8"});  // set before ready
    EXPECT_TRUE(ComesToReport(client, {}));

    ASSERT_TRUE(sim.Send("port COM42 label=Child"));
    EXPECT_TRUE(ComesToReport(client, {L"COM42"}));

    std::ofstream(std::filesystem::path(control), std::ios::app) << "port COM43\n";
    EXPECT_TRUE(ComesToReport(client, {L"COM42", L"COM43"}));

    ASSERT_TRUE(sim.Send("bogus"));
    ASSERT_TRUE(sim.Send("counts"));
    EXPECT_TRUE(sim.WaitForOutput("stdin: unknown command: bogus", 3000)) << sim.Output();
    EXPECT_TRUE(sim.WaitForOutput("requests total=", 3000)) << sim.Output();
}

}  // namespace
}  // namespace kestrel::sim
