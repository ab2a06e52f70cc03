#include "CtlCommandLine.h"

#include <algorithm>
#include <string_view>

#include "CtlFormat.h"
#include "CtlTexts.h"
#include "DecimalText.h"
#include "DmsTexts.h"
#include "PortRecord.h"

namespace kestrel::ctl {

namespace {

// The options given that the request does not hold itself.
struct OptionsGiven {
    bool json = false;
    bool csv = false;
    bool help = false;
    bool version = false;
    bool threshold = false;
    bool timeout = false;
};

// A message that repeats what was given shows it as a value is shown.
std::wstring Format(const wchar_t* format, const std::wstring& word) {
    return FormatText(format, QuoteText(word).c_str());
}

CtlParse Fail(std::wstring error) {
    CtlParse parse;
    parse.error = std::move(error);
    return parse;
}

// A number of 1 to most in decimal digits.
bool ParseCount(const std::wstring& text, uint32_t most, uint32_t& count) {
    uint32_t value = 0;
    if (!ParseDecimal(text, value) || value == 0 || value > most) return false;
    count = value;
    return true;
}

// Whether the blank-separated list holds the key.
bool Lists(std::wstring_view keys, const std::wstring& key) {
    while (!keys.empty()) {
        const size_t blank = keys.find(L' ');
        if (keys.substr(0, blank) == key) return true;
        keys.remove_prefix(blank == std::wstring_view::npos ? keys.size() : blank + 1);
    }
    return false;
}

// Takes the options out of args into the request and given, and the rest into
// words; empty, or what is wrong with an option.
std::wstring ReadOptions(const std::vector<std::wstring>& args, CtlRequest& request,
                         OptionsGiven& given, std::vector<std::wstring>& words) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring option = AsciiLower(args[i]);
        if (option == L"--json") {
            given.json = true;
        } else if (option == L"--csv") {
            given.csv = true;
        } else if (option == L"--yes") {
            request.yes = true;
        } else if (option == L"--help" || option == L"-h" || option == L"-?" || option == L"/?") {
            given.help = true;
        } else if (option == L"--version") {
            given.version = true;
        } else if (option == L"--pipe" && i + 1 < args.size()) {
            request.pipe = args[++i];
            if (!PlainPipeName(request.pipe)) return Format(kInvalidPipeFormat, request.pipe);
        } else if (option == L"--critical-not-connected" && i + 1 < args.size()) {
            if (!ParseCount(args[++i], kMaxPortCount, request.criticalNotConnected))
                return FormatText(kInvalidCountFormat, QuoteText(args[i]).c_str(), kMaxPortCount);
            given.threshold = true;
        } else if (option == L"--timeout" && i + 1 < args.size()) {
            if (!ParseCount(args[++i], kMaxTimeoutSeconds, request.timeoutSeconds))
                return FormatText(kInvalidTimeoutFormat, QuoteText(args[i]).c_str(),
                                  kMaxTimeoutSeconds);
            given.timeout = true;
        } else if (option.size() > 1 && option[0] == L'-' && option[1] == L'-') {
            return Format(kUnexpectedFormat, args[i]);
        } else {
            words.push_back(args[i]);
        }
    }
    return std::wstring();
}

// Where the row's operands end in the words, after the name; 0 when the words
// do not have them (no port, or not the fixed word).
size_t OperandsEnd(const CtlCommandRow& row, const std::vector<std::wstring>& words) {
    size_t end = 1;
    if (row.operands == CtlOperands::Port || row.operands == CtlOperands::PortDefault) {
        if (words.size() <= end) return 0;
        ++end;
    }
    const wchar_t* fixed = row.operands == CtlOperands::PortDefault ? L"default"
                           : row.operands == CtlOperands::Set       ? L"set"
                                                                    : nullptr;
    if (fixed) {
        if (words.size() <= end || AsciiLower(words[end]) != fixed) return 0;
        ++end;
    }
    return end;
}

// The row for the words, and where its operands end. Of the rows of the
// command's name whose operands the words have, the one that takes what
// follows them (keys, or nothing) with the most operands; else the first, so
// that the words it does not take are named.
const CtlCommandRow* FindRow(const std::vector<std::wstring>& words, size_t& end,
                             std::wstring& error) {
    end = 0;
    const std::wstring name = AsciiLower(words[0]);
    const CtlCommandRow* found = nullptr;
    const CtlCommandRow* first = nullptr;
    size_t firstEnd = 0;
    bool named = false;
    for (const CtlCommandRow& row : kCtlCommands) {
        if (name != row.name) continue;
        named = true;
        const size_t rowEnd = OperandsEnd(row, words);
        if (rowEnd == 0) continue;
        if (!first) {
            first = &row;
            firstEnd = rowEnd;
        }
        const bool takesRest = row.keys[0] != L'\0' || rowEnd == words.size();
        if (takesRest && rowEnd > end) {
            found = &row;
            end = rowEnd;
        }
    }
    if (!named) {
        error = Format(kUnknownCommandFormat, words[0]);
    } else if (!first) {
        // Each command has a form without a fixed word: only its port can be missing.
        error = kMissingPort;
    } else if (!found) {
        found = first;
        end = firstEnd;
    }
    return found;
}

// The key=value words after the operands, into the request; empty, or what
// is wrong with them.
std::wstring ReadValues(const CtlCommandRow& row, const std::vector<std::wstring>& words,
                        size_t next, CtlRequest& request) {
    if (row.keys[0] != L'\0' && next == words.size()) return kMissingSettings;
    for (size_t i = next; i < words.size(); ++i) {
        const size_t equals = words[i].find(L'=');
        if (row.keys[0] == L'\0' || equals == std::wstring::npos)
            return Format(kUnexpectedFormat, words[i]);
        const std::wstring key = AsciiLower(words[i].substr(0, equals));
        if (!Lists(row.keys, key)) return Format(kUnknownKeyFormat, words[i].substr(0, equals));
        request.values[key] = words[i].substr(equals + 1);
    }
    return std::wstring();
}

// An option given to a command that does not take it; empty when there is none.
std::wstring CheckOptions(const CtlCommandRow& row, const CtlRequest& request,
                          const OptionsGiven& given) {
    if (given.json && given.csv) return Format(kUnexpectedFormat, L"--csv");
    if ((given.json || given.csv) && row.options != CtlOptions::Formats)
        return Format(kUnexpectedFormat, given.json ? L"--json" : L"--csv");
    if (request.yes && !row.Has(kMayAsk)) return Format(kUnexpectedFormat, L"--yes");
    if (given.threshold && row.options != CtlOptions::Threshold)
        return Format(kUnexpectedFormat, L"--critical-not-connected");
    return std::wstring();
}

}  // namespace

bool PlainPipeName(const std::wstring& name) {
    return !name.empty() && name.size() <= kMaxPipeNameChars &&
           name.find_first_of(L"\\/") == std::wstring::npos &&
           name.find(L"..") == std::wstring::npos && name.back() != L'.' && name.back() != L' ' &&
           std::none_of(name.begin(), name.end(), IsControlCharacter);
}

std::wstring AsciiLower(std::wstring text) {
    for (wchar_t& c : text)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return text;
}

CtlParse ParseCtlArguments(const std::vector<std::wstring>& args) {
    CtlParse parse;
    CtlRequest& request = parse.request;
    OptionsGiven given;
    std::vector<std::wstring> words;  // everything but the options
    std::wstring error = ReadOptions(args, request, given, words);
    if (!error.empty()) return Fail(error);
    if (given.help || given.version) {
        if (!words.empty()) return Fail(Format(kUnexpectedFormat, words.front()));
        request.command = given.help ? CtlCommand::Help : CtlCommand::Version;
        parse.ok = true;
        return parse;
    }
    if (words.empty()) return Fail(UsageText());

    size_t next = 0;
    const CtlCommandRow* row = FindRow(words, next, error);
    if (!row) return Fail(error);
    request.command = static_cast<CtlCommand>(row - kCtlCommands);
    if (row->operands == CtlOperands::Port || row->operands == CtlOperands::PortDefault)
        request.port = words[1];
    error = ReadValues(*row, words, next, request);
    if (error.empty()) error = CheckOptions(*row, request, given);
    if (!error.empty()) return Fail(error);
    if (!given.timeout && request.command == CtlCommand::Check)
        request.timeoutSeconds = kCheckTimeoutSeconds;
    request.format = given.json  ? PortsFormat::Json
                     : given.csv ? PortsFormat::Csv
                                 : PortsFormat::Table;
    parse.ok = true;
    return parse;
}

namespace {

// A command's line in --help, from its row.
std::wstring Synopsis(const CtlCommandRow& row) {
    std::wstring line = row.name;
    switch (row.operands) {
    case CtlOperands::None: break;
    case CtlOperands::Port: line += L" PORT"; break;
    case CtlOperands::PortDefault: line += L" PORT default"; break;
    case CtlOperands::Set: line += L" set"; break;
    }
    if (row.keys[0] != L'\0') line += L" key=value...";
    if (row.Has(kMayAsk)) line += L" [--yes]";
    if (row.options == CtlOptions::Formats) line += L" [--json | --csv]";
    if (row.options == CtlOptions::Threshold) line += L" [--critical-not-connected N]";
    return line;
}

}  // namespace

std::wstring UsageText() {
    size_t width = 0;
    for (const CtlCommandRow& row : kCtlCommands) width = std::max(width, Synopsis(row).size());
    std::wstring usage = kUsageHead;
    for (const CtlCommandRow& row : kCtlCommands) {
        const std::wstring synopsis = Synopsis(row);
        usage += kUsageLineStart + synopsis;
        if (row.note) usage += std::wstring(width + 2 - synopsis.size(), L' ') + row.note;
        usage += L"\n";
    }
    return usage + kUsageTail;
}

bool ParseFlag(const std::wstring& text, bool& value) {
    const std::wstring word = AsciiLower(text);
    if (word == L"1" || word == L"true") {
        value = true;
    } else if (word == L"0" || word == L"false") {
        value = false;
    } else {
        return false;
    }
    return true;
}

bool ParseLevel(const std::wstring& text, uint32_t& level) {
    constexpr uint32_t count = sizeof(kLogLevelTexts) / sizeof(kLogLevelTexts[0]);
    for (uint32_t i = 0; i < count; ++i) {
        if (text == std::to_wstring(i) || AsciiLower(text) == AsciiLower(kLogLevelTexts[i])) {
            level = i;
            return true;
        }
    }
    return false;
}

}  // namespace kestrel::ctl
