// KestrelSim.exe as a separate process, fed by a scenario file, a control file
// and its standard input, and reached over its pipe.
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
#include "Simulator.h"

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

// Whether the simulator comes to report exactly these ports, as its scenario
// plays out in its own time.
bool ComesToReport(RawPipeClient& client, const std::vector<std::wstring>& expected) {
    return Eventually([&] { return PortNames(client) == expected; }, 10000);
}

TEST(SimProcess, TakesCommandsFromScenarioAndControlFile) {
    const std::wstring pipe = UniquePipeName();
    const std::wstring scenario = BesideThisProgram(L"sim_process_scenario.txt");
    std::ofstream(std::filesystem::path(scenario)) << "# starts with one port, which leaves later\n"
                                                      "port COM8 label=Scenario\n"
                                                      "sleep 1500\n"
                                                      "remove COM8\n";

    Simulator sim;
    ASSERT_TRUE(sim.Start(L"--pipe " + pipe + L" --scenario \"" + scenario + L"\""))
        << sim.Output();
    RawPipeClient client;
    ASSERT_TRUE(client.Connect(PipePath(pipe)));
    // Set before ready, and kept long enough to be seen on a loaded machine.
    EXPECT_EQ(PortNames(client), std::vector<std::wstring>{L"COM8"});
    EXPECT_TRUE(ComesToReport(client, {}));

    ASSERT_TRUE(sim.Execute("port COM43"));
    EXPECT_EQ(PortNames(client), std::vector<std::wstring>{L"COM43"});
    ASSERT_TRUE(sim.Execute("bogus"));
    EXPECT_NE(sim.Output().find("control: unknown command: bogus"), std::string::npos)
        << sim.Output();
}

// Commands typed while the pipe is served; each is done before the next line
// is read, so the answer to counts comes after the others took effect.
TEST(SimProcess, TakesCommandsFromStandardInput) {
    const std::wstring pipe = UniquePipeName();
    ChildProcess sim;
    ASSERT_TRUE(sim.Start(L"KestrelSim.exe", L"--empty --tick 0 --pipe " + pipe, true));
    ASSERT_TRUE(sim.WaitForOutput("ready", 10000)) << sim.Output();

    ASSERT_TRUE(sim.Send("port COM42 label=Child"));
    ASSERT_TRUE(sim.Send("bogus"));
    ASSERT_TRUE(sim.Send("counts"));
    ASSERT_TRUE(sim.WaitForOutput(" malformed=", 10000)) << sim.Output();
    EXPECT_NE(sim.Output().find("stdin: unknown command: bogus"), std::string::npos)
        << sim.Output();
    RawPipeClient client;
    ASSERT_TRUE(client.Connect(PipePath(pipe)));
    EXPECT_EQ(PortNames(client), std::vector<std::wstring>{L"COM42"});
}

}  // namespace
}  // namespace kestrel::sim
