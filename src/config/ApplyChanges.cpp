#include "ApplyChanges.h"

#include "ConfigMessages.h"
#include "DmsRules.h"
#include "DmsTexts.h"

namespace kestrel {

namespace {

void showFullRow(PortListView& list, const PortRecord& record, const std::wstring& name) {
    bool added = false;
    list.UpdatePort(MakePortRow(record, name), &added);
}

}  // namespace

ApplyOutcome applyPortChange(ServiceMirror& service, PortListView& list, PortTable::iterator entry) {
    ApplyOutcome outcome;
    const std::wstring& name = entry->first;
    PortRecord& record = entry->second;

    outcome.firstError = record.useDefault ? service.client.UseDefaultDmsConfig(name)
                                           : service.client.SetPortDmsConfig(name, record.dms);
    if (outcome.firstError == 0) {
        showFullRow(list, record, name);
        return outcome;
    }

    const std::wstring label = record.portLabel;
    if (outcome.firstError != kResultPortUnavailable) {
        // A failed re-read leaves the failure values (status 3 removes the row)
        // and marks the port for a full read on the next refresh pass.
        if (service.ReadPortInFull(name, record) != kResultPortUnavailable) {
            showFullRow(list, record, name);
            return outcome;
        }
    }
    outcome.portGone = true;
    outcome.goneLabel = label;
    list.DeletePort(name);
    service.ports.erase(entry);
    return outcome;
}

ApplyOutcome applyPreferences(ServiceMirror& service, PortListView& list) {
    ApplyOutcome outcome;
    CplPipeClient& client = service.client;
    LogSettings& log = service.logSettings;

    const uint32_t logResult = client.SetLogSettings(log.folder, log.level);
    if (logResult != 0) {
        outcome.firstError = logResult;
        service.logSettingsLoaded = client.GetLogSettings(log.folder, log.level) == 0;
    } else {
        service.logSettingsLoaded = true;
    }

    // Sent whatever became of the log settings.
    const uint32_t defaultsResult = client.SetDefaultDmsConfig(service.defaultDms);
    if (defaultsResult != 0) {
        if (outcome.firstError == 0) outcome.firstError = defaultsResult;
        service.defaultDmsLoaded = client.GetDefaultDmsConfig(service.defaultDms) == 0;
    } else {
        service.defaultDmsLoaded = true;
    }

    for (auto& [name, record] : service.ports) {
        if (!record.useDefault) continue;
        record.dms = service.defaultDms;
        showFullRow(list, record, name);
    }
    return outcome;
}

void reportApplyOutcome(HWND owner, const ApplyOutcome& outcome) {
    switch (applyMessageFor(outcome.firstError, outcome.portGone)) {
    case ApplyMessage::None:
        return;
    case ApplyMessage::ServiceUnreachable:
        showError(owner, kServiceNotRunningFormat, kServiceDisplayName);
        return;
    case ApplyMessage::PortGone:
        showError(owner, kPortGoneFormat, outcome.goneLabel.c_str());
        return;
    case ApplyMessage::NotAccepted:
        showError(owner, L"%ls", kNotAcceptedText);
        return;
    }
}

}  // namespace kestrel
