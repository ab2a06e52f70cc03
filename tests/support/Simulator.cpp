#include "Simulator.h"

#include <windows.h>

#include "CHandle.h"

namespace kestrel::test {

namespace {

// A file of its own in the temporary folder, for a simulator's commands.
std::wstring NewControlFile() {
    static unsigned counter = 0;
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + L"kestrel-sim-" + std::to_wstring(::GetCurrentProcessId()) +
           L"-" + std::to_wstring(++counter) + L"-" + std::to_wstring(::GetTickCount()) + L".txt";
}

}  // namespace

Simulator::Simulator() : controlFile(NewControlFile()) {}

Simulator::~Simulator() {
    process.Kill();
    ::DeleteFileW(controlFile.c_str());
}

bool Simulator::Start(const std::wstring& options) {
    // Empty, so that the simulator reads only what is appended from now on.
    CHandle file(::CreateFileW(controlFile.c_str(), GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS, 0,
                               nullptr));
    if (!file.IsValid()) return false;
    file.Reset();
    return process.Start(L"KestrelSim.exe",
                         L"--empty --tick 0 --control \"" + controlFile + L"\" " + options, true) &&
           process.WaitForOutput("ready", 10000);
}

bool Simulator::Execute(const std::string& command) {
    // Done once the simulator has answered a command written after it.
    return !Reply(command + "\ncounts", " malformed=").empty();
}

bool Simulator::Append(const std::string& command) {
    const CHandle file(::CreateFileW(controlFile.c_str(), FILE_APPEND_DATA,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                     nullptr));
    if (!file.IsValid()) return false;
    const std::string lines = command + "\n";
    DWORD written = 0;
    const BOOL wrote =
        ::WriteFile(file.Get(), lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
    return wrote && written == lines.size();
}

std::string Simulator::Reply(const std::string& command, const std::string& last) {
    const size_t from = process.Output().size();
    if (!Append(command) || !process.WaitForOutput(last, 10000, from)) return std::string();
    return process.Output().substr(from);
}

std::string Simulator::State() { return Reply("state", "# stamp="); }

std::string Simulator::Counts() { return Reply("counts", " malformed="); }

bool Simulator::Quit() { return Append("quit") && process.Wait(10000) == 0; }

}  // namespace kestrel::test
