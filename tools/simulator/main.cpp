// KestrelSim: a stand-in for the Kestrel service, serving its named pipe from an
// in-memory model. Commands (see CommandInterpreter.h) come from a scenario
// file, from standard input and from a control file; "ready" on standard
// output tells scripts that the pipe is served.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TLocalMemory.h"
#include "CommandParser.h"
#include "ControlFile.h"
#include "DecimalText.h"
#include "SimServer.h"
#include "WideText.h"

namespace {

using kestrel::sim::CommandParser;
using kestrel::sim::ControlFile;
using kestrel::sim::SimServer;
using kestrel::sim::SimServerOptions;

constexpr uint32_t kControlPollMs = 100;

constexpr const char* kUsage =
    "usage: KestrelSim [--pipe NAME] [--scenario FILE] [--control FILE] [--empty]\n"
    "                  [--instances N] [--tick MS] [--owner SID]\n"
    "Without --scenario or --empty it starts with a demo set of ports.\n"
    "Commands are read from standard input, one per line; type help for the list.\n";

// Several threads report; each line is written and flushed whole.
class Console {
public:
    void Out(const std::string& text) { Write(stdout, text); }
    void Err(const std::string& text) { Write(stderr, text); }

private:
    void Write(FILE* stream, const std::string& text) {
        std::lock_guard<std::mutex> lock(mutex);
        std::fputs(text.c_str(), stream);
        std::fputc('\n', stream);
        std::fflush(stream);
    }
    std::mutex mutex;
};

struct Arguments {
    std::wstring pipe = kestrel::kServicePipeName;
    std::filesystem::path scenario;
    std::filesystem::path control;
    bool empty = false;
    SimServerOptions options;
};

bool ParseArguments(const std::vector<std::wstring>& args, Arguments& parsed) {
    for (size_t i = 1; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (arg == L"--empty") {
            parsed.empty = true;
            continue;
        }
        if (i + 1 == args.size()) return false;
        const std::wstring& value = args[++i];
        uint32_t number = 0;
        if (arg == L"--pipe" && !value.empty()) {
            parsed.pipe = value;
        } else if (arg == L"--scenario") {
            parsed.scenario = value;
        } else if (arg == L"--control") {
            parsed.control = value;
        } else if (arg == L"--instances" && kestrel::ParseDecimal(value, number) && number > 0) {
            parsed.options.instances = number;
        } else if (arg == L"--tick" && kestrel::ParseDecimal(value, number)) {
            parsed.options.tickMs = number;
        } else if (arg == L"--owner" && !value.empty()) {
            parsed.options.owner = value;
        } else {
            return false;
        }
    }
    return true;
}

std::vector<std::wstring> CommandLineArguments() {
    std::vector<std::wstring> args;
    int count = 0;
    const kestrel::TLocalMemory<LPWSTR> argv(::CommandLineToArgvW(::GetCommandLineW(), &count));
    if (!argv.IsValid()) return args;
    for (int i = 0; i < count; ++i) args.emplace_back(argv.Get()[i]);
    return args;
}

bool IsSleep(const std::string& line) {
    std::vector<std::string> words;
    std::string ignored;
    return CommandParser::Split(line, words, ignored) && !words.empty() && words[0] == "sleep";
}

bool RunLine(SimServer& server, Console& console, const std::string& line,
             const std::string& where) {
    std::string reply;
    if (!server.Execute(line, &reply)) {
        console.Err(where + ": " + reply);
        return false;
    }
    if (!reply.empty()) console.Out(reply);
    return true;
}

}  // namespace

int main() {
    Console console;
    Arguments args;
    if (!ParseArguments(CommandLineArguments(), args)) {
        console.Err(kUsage);
        return 2;
    }
    SimServer server(args.pipe, args.options);

    // The scenario up to its first sleep sets the scene before the pipe is
    // served; the rest plays out while it is.
    std::vector<std::string> scenario;
    if (!args.scenario.empty()) {
        std::ifstream file(args.scenario);
        if (!file) {
            console.Err("cannot read scenario " + args.scenario.u8string());
            return 2;
        }
        for (std::string line; std::getline(file, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            scenario.push_back(line);
        }
    } else if (!args.empty) {
        server.Execute("demo");
    }
    const std::string scenarioName = args.scenario.u8string();
    size_t first = 0;
    for (; first < scenario.size() && !IsSleep(scenario[first]); ++first) {
        if (!RunLine(server, console, scenario[first],
                     scenarioName + ":" + std::to_string(first + 1)))
            return 2;
    }

    std::string error;
    if (!server.Start(&error)) {
        console.Err("cannot serve " + kestrel::WideToUtf8(server.PipePath()) + ": " + error);
        return 1;
    }
    console.Out("ready");

    // These threads may block in a sleep or a read of standard input when the
    // program ends; ExitProcess below ends them.
    std::thread([&server, &console, &scenario, &scenarioName, first] {
        for (size_t i = first; i < scenario.size(); ++i)
            RunLine(server, console, scenario[i], scenarioName + ":" + std::to_string(i + 1));
    }).detach();
    // Ends at once when there is no standard input, and at its end.
    std::thread([&server, &console] {
        for (std::string line; std::getline(std::cin, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            RunLine(server, console, line, "stdin");
        }
    }).detach();

    ControlFile control(args.control);
    while (!server.WaitForQuit(kControlPollMs)) {
        if (args.control.empty()) continue;
        for (const std::string& line : control.ReadNewLines())
            RunLine(server, console, line, "control");
    }
    server.Stop();
    ::ExitProcess(0);
}
