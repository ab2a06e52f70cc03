#include "CommandInterpreter.h"

#include "CommandOptions.h"
#include "CommandParser.h"
#include "StateDescription.h"

namespace kestrel::sim {

namespace {

constexpr const char* kHelp =
    "port NAME [label=T] [serial=T] [mode=N] [status=N] [default=B] [host=T] [dmsport=T]\n"
    "          [retry=MS] [ssl=B] [active=B] [traffic=B] [tx=[+]N] [rx=[+]N] [update=[+]N]\n"
    "remove NAME\n"
    "defaults [host=T] [dmsport=T] [retry=MS] [ssl=B] [active=B]\n"
    "log [folder=T] [level=N]\n"
    "traffic on|off [NAME...]\n"
    "fault delay MS|drop|crash|length N|stale [N]|future [N]|version A.B.C|refuse STATUS\n"
    "      |claim N|names refuse|repeat|invent|silence [on=CODE|any] [port=NAME] [after=N]\n"
    "      [count=N|always]\n"
    "clear-faults | reset | demo | state | counts | drop-all | crash-all | sleep MS | quit | help";

// The demo the simulator starts with when given nothing else to do.
constexpr const char* kDemoLines[] = {
    "port COM3 label=COM3 serial=PX-20931 mode=0 status=0 default=0 host=10.1.2.3 "
    "dmsport=4000 retry=30000 ssl=0 active=1 traffic=on",
    "port COM4 label=COM4 serial=VM-7781-B mode=2 status=1 default=0 host=10.1.2.4 "
    "dmsport=4100 retry=15000 ssl=1 active=1 traffic=on",
    "port COM10 label=COM10 serial=SR-0042 mode=1 status=0 default=0 "
    "host=lab-dms.example.local dmsport=5000 retry=60000 ssl=0 active=1 traffic=on",
    "port COM7 label=COM7 mode=1 status=3 default=1",
    "port COM5 label=COM5 serial=PX-11873 mode=0 status=2 default=1 traffic=on",
};

bool ReadDmsOptions(const CommandOptions& options, SimDms& dms, std::string& error) {
    return options.Narrow("host", kMaxDmsHostBytes, dms.host, error) &&
           options.Narrow("dmsport", kMaxDmsPortBytes, dms.port, error) &&
           options.Number("retry", dms.retryMs, error) && options.Flag("ssl", dms.useSsl, error) &&
           options.Flag("active", dms.comPortActive, error);
}

}  // namespace

const CommandInterpreter::Verb CommandInterpreter::kVerbs[] = {
    {"port", true, &CommandInterpreter::Port},
    {"remove", true, &CommandInterpreter::Remove},
    {"defaults", true, &CommandInterpreter::Defaults},
    {"log", true, &CommandInterpreter::Log},
    {"traffic", true, &CommandInterpreter::Traffic},
    {"fault", true, &CommandInterpreter::AddFault},
    {"clear-faults", false, &CommandInterpreter::ClearFaults},
    {"reset", false, &CommandInterpreter::Reset},
    {"demo", false, &CommandInterpreter::Demo},
    {"state", false, &CommandInterpreter::ShowState},
    {"counts", false, &CommandInterpreter::ShowCounts},
    {"drop-all", false, &CommandInterpreter::HandOver<ServerAction::DropAll>},
    {"crash-all", false, &CommandInterpreter::HandOver<ServerAction::CrashAll>},
    {"quit", false, &CommandInterpreter::HandOver<ServerAction::Quit>},
    {"sleep", true, &CommandInterpreter::Sleep},
    {"help", false, &CommandInterpreter::ShowHelp},
};

CommandResult CommandInterpreter::Execute(const std::string& line) {
    CommandResult result;
    // Any other line gives Split at least one word.
    if (CommandParser::IsBlankOrComment(line)) return result;

    std::vector<std::string> words;
    if (!CommandParser::Split(line, words, result.text)) {
        result.ok = false;
        return result;
    }
    const std::string& verb = words[0];
    const Arguments args(words.begin() + 1, words.end());
    for (const Verb& candidate : kVerbs) {
        if (verb != candidate.name) continue;
        if (!candidate.takesArguments && !args.empty()) {
            result.ok = Fail(result.text, verb + " takes no arguments");
        } else {
            result.ok = (this->*candidate.run)(args, result);
        }
        return result;
    }
    result.ok = Fail(result.text, "unknown command: " + verb);
    return result;
}

bool CommandInterpreter::Port(const Arguments& args, CommandResult& result) {
    std::string& error = result.text;
    if (args.empty()) return Fail(error, "usage: port NAME [key=value...]");
    std::wstring name;
    if (!CommandParser::ParsePortName(args[0], name, error)) return false;
    CommandOptions options;
    if (!options.Parse(args, 1,
                       {"label", "serial", "mode", "status", "default", "host", "dmsport", "retry",
                        "ssl", "active", "traffic", "tx", "rx", "update"},
                       error)) {
        return false;
    }
    SimModel& model = state.model;
    const SimPort* existing = model.FindPort(name);
    SimPort port = existing ? *existing : model.NewPort(name);
    // Everything is checked before anything changes.
    if (!options.Wide("label", kMaxPortLabelChars, port.label, error) ||
        !options.Wide("serial", kMaxSerialNumberChars, port.serial, error) ||
        !options.Number("mode", port.mode, error) ||
        !options.Number("status", port.status, error) ||
        !options.Flag("default", port.useDefault, error) ||
        !ReadDmsOptions(options, port.own, error) ||
        !options.Flag("traffic", port.traffic, error) || !options.Counter("tx", port.tx, error) ||
        !options.Counter("rx", port.rx, error) || !options.Counter("update", port.update, error)) {
        return false;
    }
    const bool dmsGiven = options.AnyGiven({"host", "dmsport", "retry", "ssl", "active"});
    // Parameters given for a port are its own, as SetPortDmsConfig makes them.
    if (dmsGiven && !options.Given("default")) port.useDefault = false;
    const bool dataGiven =
        dmsGiven || options.AnyGiven({"label", "serial", "mode", "status", "default"});
    if (existing && dataGiven && !options.Given("update")) SimModel::MoveUpdate(port);
    model.PutPort(name, port);
    return true;
}

bool CommandInterpreter::Remove(const Arguments& args, CommandResult& result) {
    if (args.size() != 1) return Fail(result.text, "usage: remove NAME");
    std::wstring name;
    if (!CommandParser::ParsePortName(args[0], name, result.text)) return false;
    if (!state.model.RemovePort(name)) return Fail(result.text, "no such port: " + args[0]);
    return true;
}

bool CommandInterpreter::Defaults(const Arguments& args, CommandResult& result) {
    CommandOptions options;
    SimDms dms = state.model.DefaultDms();
    if (!options.Parse(args, 0, {"host", "dmsport", "retry", "ssl", "active"}, result.text) ||
        !ReadDmsOptions(options, dms, result.text)) {
        return false;
    }
    state.model.SetDefaultDms(dms);
    return true;
}

bool CommandInterpreter::Log(const Arguments& args, CommandResult& result) {
    CommandOptions options;
    std::wstring folder = state.model.LogFolder();
    uint32_t level = state.model.LogLevel();
    if (!options.Parse(args, 0, {"folder", "level"}, result.text) ||
        !options.Wide("folder", kMaxLogFolderChars, folder, result.text) ||
        !options.Number("level", level, result.text)) {
        return false;
    }
    state.model.SetLogSettings(folder, level);
    return true;
}

bool CommandInterpreter::Traffic(const Arguments& args, CommandResult& result) {
    bool on = false;
    if (args.empty() || !CommandParser::ParseFlag(args[0], on))
        return Fail(result.text, "usage: traffic on|off [NAME...]");
    std::vector<SimPort*> ports;
    for (size_t i = 1; i < args.size(); ++i) {
        std::wstring name;
        if (!CommandParser::ParsePortName(args[i], name, result.text)) return false;
        SimPort* port = state.model.FindPort(name);
        if (!port) return Fail(result.text, "no such port: " + args[i]);
        ports.push_back(port);
    }
    if (args.size() == 1) {
        for (const auto& entry : state.model.Ports())
            ports.push_back(state.model.FindPort(entry.first));
    }
    for (SimPort* port : ports) port->traffic = on;
    return true;
}

bool CommandInterpreter::AddFault(const Arguments& args, CommandResult& result) {
    std::string& error = result.text;
    if (args.empty())
        return Fail(error,
                    "usage: fault KIND [ARG] [on=CODE|any] [port=NAME] [after=N] [count=N|always]");
    Fault fault;
    if (!CommandParser::ParseFaultKind(args[0], fault.kind))
        return Fail(error, "unknown fault: " + args[0]);
    const std::string kindName = args[0];

    const bool takesValue = fault.kind != FaultKind::Drop && fault.kind != FaultKind::Crash &&
                            fault.kind != FaultKind::Silence;
    const bool valueOptional = fault.kind == FaultKind::Stale || fault.kind == FaultKind::Future;
    const bool hasValue = takesValue && args.size() > 1 && args[1].find('=') == std::string::npos;
    if (takesValue && !hasValue && !valueOptional)
        return Fail(error, "fault " + kindName + " needs a value");
    if (!hasValue) {
        fault.value = 1;
    } else if (fault.kind == FaultKind::Version) {
        if (!CommandParser::ParseVersion(args[1], fault.version))
            return Fail(error, "version: expected A.B.C");
    } else if (fault.kind == FaultKind::Names) {
        if (!CommandParser::ParsePastEndNames(args[1], fault.value))
            return Fail(error, "names: expected refuse, repeat or invent");
    } else if (!CommandParser::ParseNumber(args[1], fault.value)) {
        return Fail(error, kindName + ": expected a number");
    }
    if (fault.kind == FaultKind::Length && fault.value > kMaxFaultResponseBytes)
        return Fail(error, "length: at most " + std::to_string(kMaxFaultResponseBytes) + " bytes");
    if (fault.kind == FaultKind::Stale && (fault.value == 0 || fault.value > kMaxStaleResponses))
        return Fail(error, "stale: 1 to " + std::to_string(kMaxStaleResponses) + " responses");
    if ((fault.kind == FaultKind::Future || fault.kind == FaultKind::Refuse) && fault.value == 0)
        return Fail(error, kindName + ": must not be 0");

    CommandOptions options;
    if (!options.Parse(args, hasValue ? 2 : 1, {"on", "port", "after", "count"}, error) ||
        !options.Number("after", fault.skip, error) ||
        !options.Wide("port", kPortNameChars - 1, fault.port, error)) {
        return false;
    }
    const std::string on = options.Raw("on", "any");
    const std::string count = options.Raw("count", "1");
    if (on != "any") {
        fault.anyCode = false;
        if (!CommandParser::ParseRequestCode(on, fault.code))
            return Fail(error, "on: unknown request " + on);
    }
    // Some faults change one answer's payload, so they belong to its request.
    const uint32_t ownCode = fault.kind == FaultKind::Version ? kQueryVersion
                             : fault.kind == FaultKind::Claim ? kGetPortListInfo
                             : fault.kind == FaultKind::Names ? kGetPortName
                                                              : kRequestCodeCount;
    if (ownCode != kRequestCodeCount) {
        if (!fault.anyCode && fault.code != ownCode)
            return Fail(error,
                        kindName + ": applies to " + CommandParser::RequestName(ownCode) + " only");
        fault.anyCode = false;
        fault.code = ownCode;
    }
    if (count == "always") {
        fault.always = true;
    } else if (!CommandParser::ParseNumber(count, fault.remaining) || fault.remaining == 0) {
        return Fail(error, "count: expected a positive number or always");
    }
    state.faults.Add(fault);
    return true;
}

bool CommandInterpreter::ClearFaults(const Arguments&, CommandResult&) {
    state.faults.Clear();
    return true;
}

bool CommandInterpreter::Reset(const Arguments&, CommandResult&) {
    state.model.Reset();
    state.faults.Clear();
    return true;
}

bool CommandInterpreter::Demo(const Arguments&, CommandResult& result) {
    for (const char* line : kDemoLines) {
        std::vector<std::string> words;
        if (!CommandParser::Split(line, words, result.text) ||
            !Port(Arguments(words.begin() + 1, words.end()), result)) {
            return false;
        }
    }
    return true;
}

bool CommandInterpreter::ShowState(const Arguments&, CommandResult& result) {
    result.text = StateDescription::Describe(state);
    return true;
}

bool CommandInterpreter::ShowCounts(const Arguments&, CommandResult& result) {
    result.text = StateDescription::DescribeCounts(state.counts);
    return true;
}

bool CommandInterpreter::ShowHelp(const Arguments&, CommandResult& result) {
    result.text = kHelp;
    return true;
}

bool CommandInterpreter::Sleep(const Arguments& args, CommandResult& result) {
    if (args.size() != 1 || !CommandParser::ParseNumber(args[0], result.sleepMs))
        return Fail(result.text, "usage: sleep MS");
    result.action = ServerAction::Sleep;
    return true;
}

}  // namespace kestrel::sim
