// KestrelSim.exe as a child process, started from the folder of the test
// program, commanded through its control file.
#pragma once

#include <string>

#include "ChildProcess.h"

namespace kestrel::test {

// KestrelSim.exe without ports (unless a scenario sets some) and without
// background traffic, on the service's pipe unless --pipe says otherwise; fed
// with commands through its control file, which it reads every 100 ms; its
// answers come on its standard output.
class Simulator {
public:
    Simulator();
    // Removes the control file.
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // options: more of the simulator's options, such as --owner, --pipe or --scenario.
    bool Start(const std::wstring& options = std::wstring());
    // One command, or several on lines of their own; returns once the
    // simulator has done them, false when it has not after 10 s.
    bool Execute(const std::string& command);
    // The model as the state command describes it, or empty after 10 s.
    std::string State();
    // The requests it was sent, as the counts command tells them, or empty after 10 s.
    std::string Counts();
    // A service that stops: its pipe closes in order.
    bool Quit();
    // A service that crashes: its pipe ends without a disconnect.
    void Kill() { process.Kill(); }
    // Its standard output and error so far.
    const std::string& Output() const { return process.Output(); }

private:
    // Writes the command into the control file.
    bool Append(const std::string& command);
    // What the command printed, once the text that ends its output came.
    std::string Reply(const std::string& command, const std::string& last);

    const std::wstring controlFile;
    ChildProcess process;
};

}  // namespace kestrel::test
