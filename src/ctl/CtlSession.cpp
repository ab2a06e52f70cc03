#include "CtlSession.h"

#include <algorithm>
#include <vector>

#include "CtlCheck.h"
#include "CtlTexts.h"
#include "DmsTexts.h"
#include "LogFolderRule.h"
#include "ProductVersion.h"
#include "PortRowTexts.h"
#include "WideText.h"

namespace kestrel::ctl {

DmsSettings SettingsOf(const DmsConfig& dms) {
    DmsSettings settings;
    settings.host = WidenAnsi(dms.host);
    settings.port = WidenAnsi(dms.port);
    settings.retrySeconds = dms.retryMs / 1000;
    settings.ssl = dms.useSsl != 0;
    settings.active = dms.comPortActive != 0;
    return settings;
}

CtlSession::CtlSession(CtlConsole& out, const std::wstring& pipeName, uint32_t timeoutSeconds)
    : console(out), service(out, pipeName, timeoutSeconds) {}

int CtlSession::Run(const CtlRequest& request) {
    using Handler = int (CtlSession::*)(const CtlRequest&);
    static constexpr Handler kHandlers[] = {
#define KESTREL_CTL_HANDLER(handler, ...) &CtlSession::handler,
        KESTREL_CTL_COMMANDS(KESTREL_CTL_HANDLER)
#undef KESTREL_CTL_HANDLER
    };
    switch (request.command) {
    case CtlCommand::Help: console.Out(UsageText()); return kExitOk;
    case CtlCommand::Version:
        console.Out(FormatText(kVersionFormat, kProductVersionMajor, kProductVersionMinor,
                               kProductVersionPatch));
        return kExitOk;
    default: break;
    }
    if (CommandRow(request.command).Has(kConnectsFirst)) {
        if (int r = service.Connect()) return r;
    }
    return (this->*kHandlers[static_cast<size_t>(request.command)])(request);
}

int CtlSession::Status(const CtlRequest&) {
    const bool connected = service.TryConnect();
    console.Out((connected ? StatusLine(service.Link()) : service.WhyUnreachable(RequestResult{})) +
                L"\r\n");
    return connected ? kExitOk : kExitUnreachable;
}

// The same connect and refresh pass as the ports command, judged.
int CtlSession::Check(const CtlRequest& request) {
    CheckVerdict verdict;
    if (!service.TryConnect()) {
        verdict = CheckUnreachable(service.WhyUnreachable(RequestResult{}));
    } else {
        PortRows rows;
        const RequestResult result = service.PassRows(rows);
        if (result.Done()) {
            std::vector<PortRowInfo> ports;
            for (const auto& entry : rows) ports.push_back(entry.second);
            verdict = CheckPorts(ports, service.Unreadable(), request.criticalNotConnected);
        } else if (result.LinkFailure()) {
            verdict = CheckUnreachable(service.WhyUnreachable(result));
        } else {
            verdict = CheckStopped(
                FormatText(kPortListUnreadableFormat, static_cast<unsigned long>(result.Code())));
        }
    }
    console.Out(verdict.line + L"\r\n");
    return verdict.state;
}

int CtlSession::Ports(const CtlRequest& request) {
    PortRows rows;
    if (int r = service.ReadRows(rows)) return r;
    // The panel's order: by the text of its first column, the label.
    std::vector<const PortRowInfo*> order;
    for (const auto& entry : rows) order.push_back(&entry.second);
    std::stable_sort(order.begin(), order.end(), [](const PortRowInfo* a, const PortRowInfo* b) {
        return CompareRowCells(a, b, kColumnPortLabel) < 0;
    });
    std::vector<PortListing> listings;
    for (const PortRowInfo* row : order) {
        const PortRecord* record = service.PassRecord(row->name);
        if (!record) continue;  // every row has its record: the pass keeps them together
        PortListing listing;
        listing.port = row->name;
        listing.label = row->portLabel;
        listing.serial = row->serialNumber;
        listing.mode = std::wstring(CellText(*row, kColumnMode));
        listing.status = std::wstring(CellText(*row, kColumnStatus));
        listing.connection = std::wstring(CellText(*row, kColumnConnection));
        listing.useDefault = record->useDefault;
        listing.dms = SettingsOf(record->dms);
        listings.push_back(std::move(listing));
    }
    switch (request.format) {
    case PortsFormat::Table: console.Out(FormatTable(listings)); break;
    case PortsFormat::Json: console.Out(FormatJson(listings)); break;
    case PortsFormat::Csv: console.Out(FormatCsv(listings)); break;
    }
    // What could be read is printed; each port that could not is named.
    const UnreadablePorts unreadable = service.Unreadable();
    for (const auto& [name, status] : unreadable)
        console.Err(FormatText(kPortRefusedFormat, QuoteText(name).c_str(),
                               static_cast<unsigned long>(status)));
    return unreadable.empty() ? kExitOk : kExitUnreadable;
}

int CtlSession::ShowPort(const PortRecord& port) {
    const bool useDefault = port.useDefault;
    console.Out(FormatDmsSettings(SettingsOf(port.dms), &useDefault));
    return kExitOk;
}

int CtlSession::Get(const CtlRequest& request) {
    const PortRead port = service.FindPort(request.port);
    return port.exitCode == kExitOk ? ShowPort(port.record) : port.exitCode;
}

int CtlSession::CheckChange(const CtlRequest& request, const DmsConfig& reference,
                            DmsChange& change) {
    const DmsSettings current = SettingsOf(reference);
    const auto value = [&](const wchar_t* key, const std::wstring& currentValue) {
        const auto given = request.values.find(key);
        return given != request.values.end() ? given->second : currentValue;
    };
    const std::wstring host = value(L"host", current.host);
    const std::wstring port = value(L"port", current.port);
    change.ssl = current.ssl;
    change.active = current.active;
    for (const auto& [key, flag] : {std::pair<const wchar_t*, bool*>{L"ssl", &change.ssl},
                                    std::pair<const wchar_t*, bool*>{L"active", &change.active}}) {
        const auto given = request.values.find(key);
        if (given != request.values.end() && !ParseFlag(given->second, *flag)) {
            console.Err(FormatText(kInvalidFlagFormat, QuoteText(given->second).c_str(), key));
            return kExitInvalid;
        }
    }
    change.check =
        CheckDmsInput(host, port, value(L"retry", std::to_wstring(current.retrySeconds)));
    if (!change.check.Ok()) return Invalid(change.check);
    // Without a host and a port the dialog's COM-port box is cleared and disabled.
    if (!ComPortAvailable(host, port)) {
        if (change.active && request.values.count(L"active") != 0) {
            console.Err(kComPortUnavailable);
            return kExitInvalid;
        }
        change.active = false;
    }
    return kExitOk;
}

int CtlSession::Invalid(const DmsInputCheck& check) {
    // The character a message names may be a control character.
    console.Err(
        EscapeText(FormatText(DmsErrorFormat(check.error), static_cast<int>(check.argument))));
    return kExitInvalid;
}

int CtlSession::Confirm(const DmsConfig& reference, const DmsChange& change, bool yes,
                        const wchar_t* deactivationQuestion, const wchar_t* changeQuestion) {
    const bool changed = DmsEntriesChanged(change.check.input, change.ssl, reference);
    const wchar_t* question = nullptr;
    switch (ConfirmationFor(reference, change.active, changed)) {
    case DmsConfirmation::None: return kExitOk;
    case DmsConfirmation::Deactivation: question = deactivationQuestion; break;
    case DmsConfirmation::Change: question = changeQuestion; break;
    }
    if (yes) return kExitOk;
    console.Err(question);
    return kExitInvalid;
}

template <typename ReadBack>
int CtlSession::Outcome(const RequestResult& result, const std::wstring& portLabel,
                        ReadBack readBack) {
    switch (ApplyMessageFor(result, result == kPortGoneAnswer)) {
    case ApplyMessage::None: return readBack();
    case ApplyMessage::ServiceUnreachable:
        console.Err(FormatText(kServiceNotRunningFormat, kServiceDisplayName));
        return kExitUnreachable;
    case ApplyMessage::NotResponding:
        // Whether the service took it is not known: it did not answer.
        console.Err(FormatText(kServiceNotRespondingFormat, kServiceDisplayName));
        return kExitUnreachable;
    case ApplyMessage::PortGone:
        console.Err(FormatText(kPortGoneFormat, QuoteText(portLabel).c_str()));
        return kExitNoPort;
    case ApplyMessage::NotAccepted: break;
    }
    console.Err(kNotAcceptedText);
    const int kept = readBack();
    return kept == kExitOk ? kExitRefused : kept;
}

int CtlSession::Set(const CtlRequest& request) {
    const PortRead port = service.FindPort(request.port);
    if (port.exitCode != kExitOk) return port.exitCode;
    const PortRecord& record = port.record;
    DmsChange change;
    if (int r = CheckChange(request, record.dms, change)) return r;
    if (int r = Confirm(record.dms, change, request.yes, kConnectionDeactivateQuestion,
                        kConnectionChangeQuestion))
        return r;
    DmsConfig dms;
    StoreDmsInput(change.check.input, change.ssl, change.active, dms);
    const RequestResult result = service.Changes().SetPortDmsConfig(port.name, dms);
    return Outcome(result, record.portLabel, [&] { return ReadBackPort(port.name); });
}

int CtlSession::FollowDefaults(const CtlRequest& request) {
    const PortRead port = service.FindPort(request.port);
    if (port.exitCode != kExitOk) return port.exitCode;
    const PortRecord& record = port.record;
    if (int r = service.LoadDefaults()) return r;
    // The dialog in default mode shows the defaults, checks them and asks as for its own.
    const DmsSettings shown = SettingsOf(service.Defaults());
    DmsChange change;
    change.check = CheckDmsInput(shown.host, shown.port, std::to_wstring(shown.retrySeconds));
    if (!change.check.Ok()) return Invalid(change.check);
    change.ssl = shown.ssl;
    change.active = shown.active;
    if (int r = Confirm(record.dms, change, request.yes, kConnectionDeactivateQuestion,
                        kConnectionChangeQuestion))
        return r;
    const RequestResult result = service.Changes().UseDefaultDmsConfig(port.name);
    return Outcome(result, record.portLabel, [&] { return ReadBackPort(port.name); });
}

int CtlSession::ReadBackPort(const std::wstring& name) {
    const PortRead port = service.ReadPort(name);
    return port.exitCode == kExitOk ? ShowPort(port.record) : port.exitCode;
}

int CtlSession::Defaults(const CtlRequest&) { return ShowDefaults(false); }

int CtlSession::Log(const CtlRequest&) { return ShowLogSettings(false); }

int CtlSession::ShowDefaults(bool afresh) {
    if (int r = service.LoadDefaults(afresh)) return r;
    console.Out(FormatDmsSettings(SettingsOf(service.Defaults())));
    return kExitOk;
}

int CtlSession::ShowLogSettings(bool afresh) {
    if (int r = service.LoadLogSettings(afresh)) return r;
    const LogSettings& log = service.Log();
    console.Out(FormatLogSettings(log.folder, log.level));
    return kExitOk;
}

int CtlSession::ChangeDefaults(const CtlRequest& request) {
    if (int r = service.LoadDefaults()) return r;
    const DmsConfig reference = service.Defaults();
    DmsChange change;
    if (int r = CheckChange(request, reference, change)) return r;
    if (int r = Confirm(reference, change, request.yes, kDefaultDeactivationQuestion,
                        kDefaultChangeQuestion))
        return r;
    DmsConfig dms;
    StoreDmsInput(change.check.input, change.ssl, change.active, dms);
    const RequestResult result = service.Changes().SetDefaultDmsConfig(dms);
    return Outcome(result, std::wstring(), [&] { return ShowDefaults(true); });
}

int CtlSession::SetLog(const CtlRequest& request) {
    if (int r = service.LoadLogSettings()) return r;
    LogSettings log = service.Log();
    const auto folder = request.values.find(L"folder");
    if (folder != request.values.end()) {
        if (const wchar_t c = FirstControlCharacter(folder->second)) {
            console.Err(EscapeText(FormatText(kFolderInvalidCharFormat, static_cast<int>(c))));
            return kExitInvalid;
        }
        // The panel's folder browser offers no other folder.
        if (!IsOnLocalFixedDrive(folder->second)) {
            console.Err(kFolderNotLocal);
            return kExitInvalid;
        }
        log.folder = folder->second;
    }
    const auto level = request.values.find(L"level");
    if (level != request.values.end() && !ParseLevel(level->second, log.level)) {
        console.Err(FormatText(kInvalidLevelFormat, QuoteText(level->second).c_str()));
        return kExitInvalid;
    }
    const RequestResult result = service.Changes().SetLogSettings(log.folder, log.level);
    if (result == RequestResult::ClientFailed(
                      kResultTextTooLong)) {  // refused before sending, as the panel refuses it
        console.Err(kNotAcceptedText);
        return kExitInvalid;
    }
    return Outcome(result, std::wstring(), [&] { return ShowLogSettings(true); });
}

}  // namespace kestrel::ctl
