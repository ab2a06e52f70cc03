#include "CommandInterpreter.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <initializer_list>
#include <map>
#include <sstream>

#include "TextCodec.h"

namespace kestrel::sim {

namespace {

constexpr const char* kRequestNames[kRequestCodeCount] = {
    "QueryVersion",        "GetPortListInfo",     "GetPortName",     "GetPortDevice",
    "GetPortDmsConfig",    "SetPortDmsConfig",    "UseDefaultDmsConfig",
    "GetDefaultDmsConfig", "SetDefaultDmsConfig", "GetLogSettings",  "SetLogSettings",
    "GetPortCounters"};

constexpr const char* kHelp =
    "port NAME [label=T] [serial=T] [mode=N] [status=N] [default=B] [host=T] [dmsport=T]\n"
    "          [retry=MS] [ssl=B] [active=B] [traffic=B] [tx=[+]N] [rx=[+]N] [update=[+]N]\n"
    "remove NAME\n"
    "defaults [host=T] [dmsport=T] [retry=MS] [ssl=B] [active=B]\n"
    "log [folder=T] [level=N]\n"
    "traffic on|off [NAME...]\n"
    "fault delay MS|drop|crash|length N|stale [N]|future [N]|version A.B.C|refuse STATUS\n"
    "      [on=CODE|any] [after=N] [count=N|always]\n"
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

bool Fail(std::string* error, const std::string& message) {
    *error = message;
    return false;
}

bool ParseU32(const std::string& text, uint32_t* value) {
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return false;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = text.c_str() + (hex ? 2 : 0);
    if (!std::isxdigit(static_cast<unsigned char>(*digits))) return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long parsed = std::strtoull(digits, &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || parsed > 0xFFFFFFFFull) return false;
    *value = static_cast<uint32_t>(parsed);
    return true;
}

bool ParseFlag(const std::string& text, bool* value) {
    if (text == "1" || text == "on") {
        *value = true;
    } else if (text == "0" || text == "off") {
        *value = false;
    } else {
        return false;
    }
    return true;
}

bool ParseName(const std::string& text, std::wstring* name, std::string* error) {
    if (!Utf8ToWide(text, name)) return Fail(error, "port name is not valid UTF-8");
    if (name->empty()) return Fail(error, "port name is empty");
    if (name->size() > kMaxPortNameChars) return Fail(error, "port name is longer than 200 characters");
    if (name->find(L'\0') != std::wstring::npos) return Fail(error, "port name holds a NUL");
    return true;
}

bool ParseRequestCode(const std::string& text, uint32_t* code) {
    if (ParseU32(text, code)) return *code < kRequestCodeCount;
    for (uint32_t i = 0; i < kRequestCodeCount; ++i) {
        const std::string name = kRequestNames[i];
        if (name.size() != text.size()) continue;
        bool same = true;
        for (size_t k = 0; k < name.size() && same; ++k)
            same = std::tolower(static_cast<unsigned char>(name[k])) ==
                   std::tolower(static_cast<unsigned char>(text[k]));
        if (same) {
            *code = i;
            return true;
        }
    }
    return false;
}

// key=value words of a command. Each getter leaves its output alone when the
// key was not given.
class Options {
public:
    bool Parse(const std::vector<std::string>& words, size_t first,
               std::initializer_list<const char*> allowed, std::string* error) {
        for (size_t i = first; i < words.size(); ++i) {
            const std::string& word = words[i];
            const size_t eq = word.find('=');
            if (eq == std::string::npos) return Fail(error, "expected key=value: " + word);
            const std::string key = word.substr(0, eq);
            bool known = false;
            for (const char* name : allowed) known = known || key == name;
            if (!known) return Fail(error, "unknown key: " + key);
            if (!values_.emplace(key, word.substr(eq + 1)).second)
                return Fail(error, "key given twice: " + key);
        }
        return true;
    }

    bool Given(const char* key) const { return values_.count(key) != 0; }

    std::string Raw(const char* key, const char* fallback) const {
        const auto it = values_.find(key);
        return it == values_.end() ? fallback : it->second;
    }

    bool Number(const char* key, uint32_t* out, std::string* error) const {
        const auto it = values_.find(key);
        if (it == values_.end()) return true;
        if (!ParseU32(it->second, out)) return Fail(error, std::string(key) + ": expected a number");
        return true;
    }

    // N sets the counter, +N advances it (wrapping like the service's counters).
    bool Counter(const char* key, uint32_t* out, std::string* error) const {
        const auto it = values_.find(key);
        if (it == values_.end()) return true;
        const bool relative = !it->second.empty() && it->second[0] == '+';
        uint32_t value = 0;
        if (!ParseU32(it->second.substr(relative ? 1 : 0), &value))
            return Fail(error, std::string(key) + ": expected N or +N");
        *out = relative ? *out + value : value;
        return true;
    }

    bool Flag(const char* key, bool* out, std::string* error) const {
        const auto it = values_.find(key);
        if (it == values_.end()) return true;
        if (!ParseFlag(it->second, out))
            return Fail(error, std::string(key) + ": expected 0, 1, on or off");
        return true;
    }

    bool Wide(const char* key, size_t maxChars, std::wstring* out, std::string* error) const {
        const auto it = values_.find(key);
        if (it == values_.end()) return true;
        std::wstring text;
        if (!Utf8ToWide(it->second, &text)) return Fail(error, std::string(key) + ": not valid UTF-8");
        if (text.size() > maxChars || text.find(L'\0') != std::wstring::npos)
            return Fail(error, std::string(key) + ": longer than " + std::to_string(maxChars) +
                                   " characters");
        *out = text;
        return true;
    }

    bool Narrow(const char* key, size_t maxBytes, std::string* out, std::string* error) const {
        const auto it = values_.find(key);
        if (it == values_.end()) return true;
        if (it->second.size() > maxBytes || it->second.find('\0') != std::string::npos)
            return Fail(error, std::string(key) + ": longer than " + std::to_string(maxBytes) +
                                   " bytes");
        *out = it->second;
        return true;
    }

private:
    std::map<std::string, std::string> values_;
};

bool ReadDmsOptions(const Options& options, SimDms* dms, std::string* error) {
    return options.Narrow("host", kMaxDmsHostBytes, &dms->host, error) &&
           options.Narrow("dmsport", kMaxDmsPortBytes, &dms->port, error) &&
           options.Number("retry", &dms->retryMs, error) &&
           options.Flag("ssl", &dms->useSsl, error) &&
           options.Flag("active", &dms->comPortActive, error);
}

// Quotes every text that Split would not give back as one word: empty, or
// holding a quote or any blank Split separates words at.
std::string Quote(const std::string& text) {
    const bool plain = !text.empty() && std::none_of(text.begin(), text.end(), [](char c) {
        return c == '"' || std::isspace(static_cast<unsigned char>(c));
    });
    if (plain) return text;
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"') quoted += '"';
    }
    return quoted + "\"";
}

std::string DescribeDms(const SimDms& dms) {
    std::ostringstream out;
    out << "host=" << Quote(dms.host) << " dmsport=" << Quote(dms.port) << " retry=" << dms.retryMs
        << " ssl=" << dms.useSsl << " active=" << dms.comPortActive;
    return out.str();
}

std::string DescribeFault(const Fault& fault) {
    static constexpr const char* kKinds[] = {"delay", "drop",   "crash",   "length",
                                             "stale", "future", "version", "refuse"};
    std::ostringstream out;
    out << "fault " << kKinds[static_cast<int>(fault.kind)];
    switch (fault.kind) {
    case FaultKind::kDrop:
    case FaultKind::kCrash: break;
    case FaultKind::kVersion:
        out << ' ' << fault.version[0] << '.' << fault.version[1] << '.' << fault.version[2];
        break;
    default: out << ' ' << fault.value; break;
    }
    out << " on=" << (fault.anyCode ? "any" : kRequestNames[fault.code]);
    if (fault.skip != 0) out << " after=" << fault.skip;
    out << " count=";
    if (fault.always) {
        out << "always";
    } else {
        out << fault.remaining;
    }
    return out.str();
}

std::string DescribeCounts(const RequestCounts& counts) {
    std::ostringstream out;
    out << "requests total=" << counts.total;
    for (uint32_t i = 0; i < kRequestCodeCount; ++i)
        out << ' ' << kRequestNames[i] << '=' << counts.byCode[i];
    out << " unknown=" << counts.unknownCode << " malformed=" << counts.malformed;
    return out.str();
}

}  // namespace

bool CommandInterpreter::Split(const std::string& line, std::vector<std::string>* words,
                               std::string* error) {
    words->clear();
    size_t i = 0;
    while (true) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        if (i == line.size()) return true;
        std::string word;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) {
            if (line[i] != '"') {
                word += line[i++];
                continue;
            }
            ++i;
            while (true) {
                if (i == line.size()) return Fail(error, "unterminated quote");
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        word += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                word += line[i++];
            }
        }
        words->push_back(word);
    }
}

CommandResult CommandInterpreter::Execute(const std::string& line) {
    CommandResult result;
    // The same blanks as Split, so that a line passing this test has a first word.
    size_t start = 0;
    while (start < line.size() && std::isspace(static_cast<unsigned char>(line[start]))) ++start;
    if (start == line.size() || line[start] == '#') return result;

    std::vector<std::string> words;
    if (!Split(line, &words, &result.text)) {
        result.ok = false;
        return result;
    }
    const std::string verb = words[0];
    const std::vector<std::string> args(words.begin() + 1, words.end());
    const auto noArgs = [&]() {
        if (args.empty()) return true;
        result.text = verb + " takes no arguments";
        return false;
    };

    if (verb == "port") {
        result.ok = Port(args, &result.text);
    } else if (verb == "remove") {
        result.ok = Remove(args, &result.text);
    } else if (verb == "defaults") {
        result.ok = Defaults(args, &result.text);
    } else if (verb == "log") {
        result.ok = Log(args, &result.text);
    } else if (verb == "traffic") {
        result.ok = Traffic(args, &result.text);
    } else if (verb == "fault") {
        result.ok = AddFault(args, &result.text);
    } else if (verb == "clear-faults") {
        if ((result.ok = noArgs())) state_.faults.Clear();
    } else if (verb == "reset") {
        if ((result.ok = noArgs())) {
            state_.model.Reset();
            state_.faults.Clear();
        }
    } else if (verb == "demo") {
        result.ok = noArgs() && Demo(&result.text);
    } else if (verb == "state") {
        if ((result.ok = noArgs())) result.text = Describe(state_);
    } else if (verb == "counts") {
        if ((result.ok = noArgs())) result.text = DescribeCounts(state_.counts);
    } else if (verb == "drop-all" || verb == "crash-all" || verb == "quit") {
        if ((result.ok = noArgs())) {
            result.action = verb == "quit"       ? ServerAction::kQuit
                            : verb == "drop-all" ? ServerAction::kDropAll
                                                 : ServerAction::kCrashAll;
        }
    } else if (verb == "sleep") {
        if (args.size() != 1 || !ParseU32(args[0], &result.sleepMs)) {
            result.ok = false;
            result.text = "usage: sleep MS";
        } else {
            result.action = ServerAction::kSleep;
        }
    } else if (verb == "help") {
        if ((result.ok = noArgs())) result.text = kHelp;
    } else {
        result.ok = false;
        result.text = "unknown command: " + verb;
    }
    return result;
}

bool CommandInterpreter::Port(const std::vector<std::string>& args, std::string* error) {
    if (args.empty()) return Fail(error, "usage: port NAME [key=value...]");
    std::wstring name;
    if (!ParseName(args[0], &name, error)) return false;
    Options options;
    if (!options.Parse(args, 1,
                       {"label", "serial", "mode", "status", "default", "host", "dmsport",
                        "retry", "ssl", "active", "traffic", "tx", "rx", "update"},
                       error)) {
        return false;
    }
    SimModel& model = state_.model;
    const SimPort* existing = model.FindPort(name);
    SimPort port = existing ? *existing : model.NewPort(name);
    // Everything is checked before anything changes.
    if (!options.Wide("label", kMaxPortLabelChars, &port.label, error) ||
        !options.Wide("serial", kMaxSerialNumberChars, &port.serial, error) ||
        !options.Number("mode", &port.mode, error) ||
        !options.Number("status", &port.status, error) ||
        !options.Flag("default", &port.useDefault, error) ||
        !ReadDmsOptions(options, &port.own, error) ||
        !options.Flag("traffic", &port.traffic, error) ||
        !options.Counter("tx", &port.tx, error) || !options.Counter("rx", &port.rx, error) ||
        !options.Counter("update", &port.update, error)) {
        return false;
    }
    bool dmsGiven = false;
    for (const char* key : {"host", "dmsport", "retry", "ssl", "active"}) dmsGiven = dmsGiven || options.Given(key);
    // Parameters given for a port are its own, as SetPortDmsConfig makes them.
    if (dmsGiven && !options.Given("default")) port.useDefault = false;
    bool dataGiven = dmsGiven;
    for (const char* key : {"label", "serial", "mode", "status", "default"}) dataGiven = dataGiven || options.Given(key);
    if (existing && dataGiven && !options.Given("update")) SimModel::MoveUpdate(port);
    model.PutPort(name, port);
    return true;
}

bool CommandInterpreter::Remove(const std::vector<std::string>& args, std::string* error) {
    if (args.size() != 1) return Fail(error, "usage: remove NAME");
    std::wstring name;
    if (!ParseName(args[0], &name, error)) return false;
    if (!state_.model.RemovePort(name)) return Fail(error, "no such port: " + args[0]);
    return true;
}

bool CommandInterpreter::Defaults(const std::vector<std::string>& args, std::string* error) {
    Options options;
    if (!options.Parse(args, 0, {"host", "dmsport", "retry", "ssl", "active"}, error)) return false;
    SimDms dms = state_.model.DefaultDms();
    if (!ReadDmsOptions(options, &dms, error)) return false;
    state_.model.SetDefaultDms(dms);
    return true;
}

bool CommandInterpreter::Log(const std::vector<std::string>& args, std::string* error) {
    Options options;
    if (!options.Parse(args, 0, {"folder", "level"}, error)) return false;
    std::wstring folder = state_.model.LogFolder();
    uint32_t level = state_.model.LogLevel();
    if (!options.Wide("folder", kMaxLogFolderChars, &folder, error) ||
        !options.Number("level", &level, error)) {
        return false;
    }
    state_.model.SetLogSettings(folder, level);
    return true;
}

bool CommandInterpreter::Traffic(const std::vector<std::string>& args, std::string* error) {
    bool on = false;
    if (args.empty() || !ParseFlag(args[0], &on)) return Fail(error, "usage: traffic on|off [NAME...]");
    std::vector<SimPort*> ports;
    for (size_t i = 1; i < args.size(); ++i) {
        std::wstring name;
        if (!ParseName(args[i], &name, error)) return false;
        SimPort* port = state_.model.FindPort(name);
        if (!port) return Fail(error, "no such port: " + args[i]);
        ports.push_back(port);
    }
    if (args.size() == 1) {
        for (const auto& entry : state_.model.Ports()) ports.push_back(state_.model.FindPort(entry.first));
    }
    for (SimPort* port : ports) port->traffic = on;
    return true;
}

bool CommandInterpreter::AddFault(const std::vector<std::string>& args, std::string* error) {
    struct KindInfo {
        const char* name;
        FaultKind kind;
        bool takesValue;
        bool valueOptional;
    };
    static constexpr KindInfo kKinds[] = {
        {"delay", FaultKind::kDelay, true, false},     {"drop", FaultKind::kDrop, false, false},
        {"crash", FaultKind::kCrash, false, false},    {"length", FaultKind::kLength, true, false},
        {"stale", FaultKind::kStale, true, true},      {"future", FaultKind::kFuture, true, true},
        {"version", FaultKind::kVersion, true, false}, {"refuse", FaultKind::kRefuse, true, false},
    };
    const char* usage = "usage: fault KIND [ARG] [on=CODE|any] [after=N] [count=N|always]";
    if (args.empty()) return Fail(error, usage);
    const KindInfo* info = nullptr;
    for (const KindInfo& candidate : kKinds) {
        if (args[0] == candidate.name) info = &candidate;
    }
    if (!info) return Fail(error, "unknown fault: " + args[0]);

    Fault fault;
    fault.kind = info->kind;
    size_t next = 1;
    const bool hasValue = info->takesValue && args.size() > 1 && args[1].find('=') == std::string::npos;
    if (info->takesValue && !hasValue && !info->valueOptional)
        return Fail(error, std::string("fault ") + info->name + " needs a value");
    if (hasValue) {
        ++next;
        const std::string& text = args[1];
        if (fault.kind == FaultKind::kVersion) {
            std::vector<std::string> parts(1);
            for (char c : text) {
                if (c == '.') {
                    parts.emplace_back();
                } else {
                    parts.back() += c;
                }
            }
            if (parts.size() != 3 || !ParseU32(parts[0], &fault.version[0]) ||
                !ParseU32(parts[1], &fault.version[1]) || !ParseU32(parts[2], &fault.version[2])) {
                return Fail(error, "version: expected A.B.C");
            }
        } else if (!ParseU32(text, &fault.value)) {
            return Fail(error, std::string(info->name) + ": expected a number");
        }
    } else {
        fault.value = 1;
    }
    if (fault.kind == FaultKind::kLength && fault.value > kMaxFaultResponseBytes)
        return Fail(error, "length: at most " + std::to_string(kMaxFaultResponseBytes) + " bytes");
    if (fault.kind == FaultKind::kStale && (fault.value == 0 || fault.value > kMaxStaleResponses))
        return Fail(error, "stale: 1 to " + std::to_string(kMaxStaleResponses) + " responses");
    if ((fault.kind == FaultKind::kFuture || fault.kind == FaultKind::kRefuse) && fault.value == 0)
        return Fail(error, std::string(info->name) + ": must not be 0");

    Options options;
    if (!options.Parse(args, next, {"on", "after", "count"}, error)) return false;
    if (!options.Number("after", &fault.skip, error)) return false;
    const std::string on = options.Raw("on", "any");
    const std::string count = options.Raw("count", "1");
    if (on != "any") {
        fault.anyCode = false;
        if (!ParseRequestCode(on, &fault.code)) return Fail(error, "on: unknown request " + on);
    }
    if (fault.kind == FaultKind::kVersion) {
        // Only QueryVersion carries a version.
        if (!fault.anyCode && fault.code != kQueryVersion)
            return Fail(error, "version: applies to QueryVersion only");
        fault.anyCode = false;
        fault.code = kQueryVersion;
    }
    if (count == "always") {
        fault.always = true;
    } else if (!ParseU32(count, &fault.remaining) || fault.remaining == 0) {
        return Fail(error, "count: expected a positive number or always");
    }
    state_.faults.Add(fault);
    return true;
}

bool CommandInterpreter::Demo(std::string* error) {
    for (const char* line : kDemoLines) {
        std::vector<std::string> words;
        if (!Split(line, &words, error)) return false;
        const std::vector<std::string> args(words.begin() + 1, words.end());
        if (!Port(args, error)) return false;
    }
    return true;
}

std::string CommandInterpreter::Describe(const SimState& state) {
    const SimModel& model = state.model;
    std::ostringstream out;
    out << "defaults " << DescribeDms(model.DefaultDms()) << '\n';
    out << "log folder=" << Quote(WideToUtf8(model.LogFolder())) << " level=" << model.LogLevel()
        << '\n';
    for (const auto& [name, port] : model.Ports()) {
        out << "port " << Quote(WideToUtf8(name)) << " label=" << Quote(WideToUtf8(port.label))
            << " serial=" << Quote(WideToUtf8(port.serial)) << " mode=" << port.mode
            << " status=" << port.status << " default=" << port.useDefault << ' '
            << DescribeDms(port.own) << " traffic=" << (port.traffic ? "on" : "off")
            << " tx=" << port.tx << " rx=" << port.rx << " update=" << port.update << '\n';
    }
    for (const Fault& fault : state.faults.Faults()) out << DescribeFault(fault) << '\n';
    out << "# stamp=" << model.Stamp() << " ports=" << model.Ports().size();
    return out.str();
}

}  // namespace kestrel::sim
