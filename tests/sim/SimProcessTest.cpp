// KestrelSim.exe as a separate process, fed by a scenario file, its standard
// input and a control file, and reached over its pipe.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "RawPipeClient.h"
#include "SimFrames.h"

namespace kestrel::sim {
namespace {

using test::NameRequest;
using test::RawPipeClient;
using test::Request;
using kestrel::test::BesideThisProgram;
using kestrel::test::ChildProcess;

// The port names the simulator reports, read as the panel enumerates them.
std::vector<std::wstring> PortNames(RawPipeClient& client) {
    std::vector<std::wstring> names;
    std::vector<uint8_t> r;
    const RequestFrame info = Request(kGetPortListInfo);
    if (client.Write(info.data(), info.size()) != 0 || client.Read(&r) != 0) return names;
    const uint32_t stamp = GetU32(r.data(), kRspStampOffset);
    const uint32_t count = GetU32(r.data(), kRspCountOffset);
    for (uint32_t i = 0; i < count; ++i) {
        const RequestFrame name = NameRequest(stamp, i);
        if (client.Write(name.data(), name.size()) != 0 || client.Read(&r) != 0) return {};
        names.push_back(GetWide(r.data(), 8, 262));
    }
    return names;
}

bool WaitForPorts(RawPipeClient& client, const std::vector<std::wstring>& expected, std::vector<std::wstring>* last) {
    const ULONGLONG start = GetTickCount64();
    while ((*last = PortNames(client)) != expected) {
        if (GetTickCount64() - start > 3000) return false;
        Sleep(20);
    }
    return true;
}

TEST(SimProcess, TakesCommandsFromScenarioStdinAndControlFile) {
    const std::wstring folder = BesideThisProgram(L"");
    const std::wstring pipe = L"KestrelSimProcess-" + std::to_wstring(GetCurrentProcessId());
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
    ASSERT_TRUE(client.Connect(L"\\\\.\\pipe\\" + pipe));
    std::vector<std::wstring> names;
    EXPECT_EQ(PortNames(client), std::vector<std::wstring>{L"COM8"});  // set before ready
    EXPECT_TRUE(WaitForPorts(client, {}, &names));

    ASSERT_TRUE(sim.Send("port COM42 label=Child"));
    EXPECT_TRUE(WaitForPorts(client, {L"COM42"}, &names));

    std::ofstream(std::filesystem::path(control), std::ios::app) << "port COM43\n";
    EXPECT_TRUE(WaitForPorts(client, {L"COM42", L"COM43"}, &names));

    ASSERT_TRUE(sim.Send("bogus"));
    ASSERT_TRUE(sim.Send("counts"));
    EXPECT_TRUE(sim.WaitForOutput("stdin: unknown command: bogus", 3000)) << sim.Output();
    EXPECT_TRUE(sim.WaitForOutput("requests total=", 3000)) << sim.Output();
}

}  // namespace
}  // namespace kestrel::sim
