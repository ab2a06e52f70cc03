#include "CtlCommandLine.h"

#include "CtlFormat.h"
#include "CtlTexts.h"
#include "DmsTexts.h"
#include "PortRecord.h"

namespace kestrel::ctl {

namespace {

// The keys of a DMS parameter set.
const std::vector<std::wstring> kDmsKeys = {L"host", L"port", L"retry", L"ssl", L"active"};

std::wstring Format(const wchar_t* format, const std::wstring& word) {
    return FormatText(format, word.c_str());
}

CtlParse Fail(std::wstring error) {
    CtlParse parse;
    parse.error = std::move(error);
    return parse;
}

// A count of 1 or more in decimal digits, at most the most ports there can be.
bool ParseCount(const std::wstring& text, uint32_t& count) {
    if (text.empty() || text.size() > 4) return false;
    uint32_t value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + static_cast<uint32_t>(c - L'0');
    }
    if (value == 0 || value > kMaxPortCount) return false;
    count = value;
    return true;
}

bool OneOf(const std::wstring& word, const std::vector<std::wstring>& words) {
    for (const std::wstring& candidate : words)
        if (word == candidate) return true;
    return false;
}

}  // namespace

bool PlainPipeName(const std::wstring& name) {
    return !name.empty() && name.size() <= kMaxPipeNameChars &&
           name.find_first_of(L"\\/") == std::wstring::npos &&
           name.find(L"..") == std::wstring::npos;
}

std::wstring AsciiLower(std::wstring text) {
    for (wchar_t& c : text)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return text;
}

CtlParse ParseCtlArguments(const std::vector<std::wstring>& args) {
    CtlParse parse;
    CtlRequest& request = parse.request;
    std::vector<std::wstring> words;  // everything but the options
    bool json = false, csv = false, help = false, version = false, threshold = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring option = AsciiLower(args[i]);
        if (option == L"--json") {
            json = true;
        } else if (option == L"--csv") {
            csv = true;
        } else if (option == L"--yes") {
            request.yes = true;
        } else if (OneOf(option, {L"--help", L"-h", L"-?", L"/?"})) {
            help = true;
        } else if (option == L"--version") {
            version = true;
        } else if (option == L"--pipe" && i + 1 < args.size()) {
            request.pipe = args[++i];
            if (!PlainPipeName(request.pipe)) return Fail(Format(kInvalidPipeFormat, request.pipe));
        } else if (option == L"--critical-not-connected" && i + 1 < args.size()) {
            if (!ParseCount(args[++i], request.criticalNotConnected))
                return Fail(FormatText(kInvalidCountFormat, args[i].c_str(), kMaxPortCount));
            threshold = true;
        } else if (option.size() > 1 && option[0] == L'-' && option[1] == L'-') {
            return Fail(Format(kUnexpectedFormat, args[i]));
        } else {
            words.push_back(args[i]);
        }
    }
    if (help || version) {
        if (!words.empty()) return Fail(Format(kUnexpectedFormat, words.front()));
        request.command = help ? CtlCommand::Help : CtlCommand::Version;
        parse.ok = true;
        return parse;
    }
    if (words.empty()) return Fail(kUsageText);

    const std::wstring command = AsciiLower(words[0]);
    size_t next = 1;
    std::vector<std::wstring> keys;
    if (command == L"status") {
        request.command = CtlCommand::Status;
    } else if (command == L"ports") {
        request.command = CtlCommand::Ports;
    } else if (command == L"check") {
        request.command = CtlCommand::Check;
    } else if (command == L"get" || command == L"set") {
        if (words.size() < 2) return Fail(kMissingPort);
        request.port = words[1];
        next = 2;
        request.command = command == L"get" ? CtlCommand::Get : CtlCommand::Set;
        if (request.command == CtlCommand::Set && words.size() == 3 &&
            AsciiLower(words[2]) == L"default") {
            request.command = CtlCommand::SetDefault;
            next = 3;
        }
        keys = kDmsKeys;
    } else if (command == L"defaults" || command == L"log") {
        const bool setting = words.size() > 1 && AsciiLower(words[1]) == L"set";
        next = setting ? 2 : 1;
        if (command == L"defaults") {
            request.command = setting ? CtlCommand::SetDefaults : CtlCommand::Defaults;
            keys = kDmsKeys;
        } else {
            request.command = setting ? CtlCommand::SetLog : CtlCommand::Log;
            keys = {L"folder", L"level"};
        }
        if (setting && words.size() == 2) return Fail(kMissingSettings);
    } else {
        return Fail(Format(kUnknownCommandFormat, words[0]));
    }

    const bool takesValues = request.command == CtlCommand::Set ||
                             request.command == CtlCommand::SetDefaults ||
                             request.command == CtlCommand::SetLog;
    if (request.command == CtlCommand::Set && words.size() == 2) return Fail(kMissingSettings);
    for (size_t i = next; i < words.size(); ++i) {
        const size_t equals = words[i].find(L'=');
        if (!takesValues || equals == std::wstring::npos)
            return Fail(Format(kUnexpectedFormat, words[i]));
        const std::wstring key = AsciiLower(words[i].substr(0, equals));
        if (!OneOf(key, keys)) return Fail(Format(kUnknownKeyFormat, words[i].substr(0, equals)));
        request.values[key] = words[i].substr(equals + 1);
    }

    const bool asks = request.command == CtlCommand::Set ||
                      request.command == CtlCommand::SetDefault ||
                      request.command == CtlCommand::SetDefaults;
    if (json && csv) return Fail(Format(kUnexpectedFormat, L"--csv"));
    if ((json || csv) && request.command != CtlCommand::Ports)
        return Fail(Format(kUnexpectedFormat, json ? L"--json" : L"--csv"));
    if (request.yes && !asks) return Fail(Format(kUnexpectedFormat, L"--yes"));
    if (threshold && request.command != CtlCommand::Check)
        return Fail(Format(kUnexpectedFormat, L"--critical-not-connected"));
    request.format = json ? PortsFormat::Json : csv ? PortsFormat::Csv : PortsFormat::Table;
    parse.ok = true;
    return parse;
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
