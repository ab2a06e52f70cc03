// KestrelSim.exe as a separate process, fed by a scenario file, its standard
// input and a control file, and reached over its pipe.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "RawPipeClient.h"
#include "SimFrames.h"

namespace kestrel::sim {
namespace {

using test::NameRequest;
using test::RawPipeClient;
using test::Request;

std::wstring BesideThisProgram(const wchar_t* file) {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1) + file;
}

class SimProcess {
public:
    ~SimProcess() {
        if (process_.hProcess) {
            TerminateProcess(process_.hProcess, 1);
            WaitForSingleObject(process_.hProcess, 5000);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
        for (HANDLE h : {stdinWrite_, stdoutRead_}) {
            if (h) CloseHandle(h);
        }
    }

    bool Start(const std::wstring& arguments) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE stdinRead = nullptr;
        HANDLE stdoutWrite = nullptr;
        if (!CreatePipe(&stdinRead, &stdinWrite_, &inherit, 0) ||
            !CreatePipe(&stdoutRead_, &stdoutWrite, &inherit, 0)) {
            return false;
        }
        SetHandleInformation(stdinWrite_, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(stdoutRead_, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = stdinRead;
        startup.hStdOutput = stdoutWrite;
        startup.hStdError = stdoutWrite;
        std::wstring commandLine = L"\"" + BesideThisProgram(L"KestrelSim.exe") + L"\" " + arguments;
        const BOOL created = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE,
                                            CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process_);
        CloseHandle(stdinRead);
        CloseHandle(stdoutWrite);
        return created != FALSE;
    }

    // Collects standard output until it holds text, or the time is up.
    bool WaitForOutput(const std::string& text, DWORD timeoutMs) {
        const ULONGLONG start = GetTickCount64();
        while (output_.find(text) == std::string::npos) {
            DWORD available = 0;
            if (!PeekNamedPipe(stdoutRead_, nullptr, 0, nullptr, &available, nullptr)) return false;
            if (available == 0) {
                if (GetTickCount64() - start > timeoutMs) return false;
                Sleep(10);
                continue;
            }
            char buffer[512];
            DWORD read = 0;
            if (!ReadFile(stdoutRead_, buffer, sizeof buffer, &read, nullptr)) return false;
            output_.append(buffer, read);
        }
        return true;
    }

    bool Send(const std::string& line) {
        const std::string text = line + "\n";
        DWORD written = 0;
        return WriteFile(stdinWrite_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
               written == text.size();
    }

    const std::string& Output() const { return output_; }

private:
    PROCESS_INFORMATION process_{};
    HANDLE stdinWrite_ = nullptr;
    HANDLE stdoutRead_ = nullptr;
    std::string output_;
};

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

    SimProcess sim;
    ASSERT_TRUE(sim.Start(L"--pipe " + pipe + L" --tick 0 --scenario \"" + scenario +
                          L"\" --control \"" + control + L"\""));
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
