#include "ApplyChanges.h"

#include "ConfigMessages.h"
#include "DmsRules.h"
#include "DmsTexts.h"

namespace kestrel {

ApplyOutcome ApplyPortChange(ServiceMirror& service, PortListView& list, const std::wstring& name) {
    ApplyOutcome outcome;
    const PortRecord* record = service.FindPort(name);
    if (!record) return outcome;
    service.ReopenForChange();
    CplPipeClient& client = service.Client();

    outcome.firstError = record->useDefault ? client.UseDefaultDmsConfig(name)
                                            : client.SetPortDmsConfig(name, record->dms);
    if (outcome.firstError == 0) {
        service.ShowPort(list, name);
        return outcome;
    }
    const std::wstring label = record->portLabel;
    // A failed re-read leaves status 3 in the record: showing the port then
    // removes its row until the next pass reads it in full again.
    if (outcome.firstError != kResultPortUnavailable &&
        service.ReadPortInFull(name) != kResultPortUnavailable) {
        service.ShowPort(list, name);
        return outcome;
    }
    outcome.portGone = true;
    outcome.goneLabel = label;
    service.ErasePort(list, name);
    return outcome;
}

ApplyOutcome ApplyPreferences(ServiceMirror& service, PortListView& list) {
    ApplyOutcome outcome;
    service.ReopenForChange();
    CplPipeClient& client = service.Client();

    const LogSettings& log = *service.LendLogSettings();
    outcome.firstError = client.SetLogSettings(log.folder, log.level);
    // A read-back that fails leaves the cache unloaded, so that the next pass
    // reads it again; the outcome already reports the refusal.
    if (outcome.firstError != 0) {
        static_cast<void>(service.ReadLogSettings());
    } else {
        service.MarkLogSettingsLoaded();
    }

    // Sent whatever became of the log settings.
    const uint32_t defaultsResult = client.SetDefaultDmsConfig(*service.LendDefaults());
    if (defaultsResult != 0) {
        if (outcome.firstError == 0) outcome.firstError = defaultsResult;
        static_cast<void>(service.ReadDefaults());
    } else {
        service.MarkDefaultsLoaded();
    }

    service.ShowDefaultsOnFollowers(list);
    return outcome;
}

void ReportApplyOutcome(HWND owner, const ApplyOutcome& outcome) {
    switch (ApplyMessageFor(outcome.firstError, outcome.portGone)) {
    case ApplyMessage::None: return;
    case ApplyMessage::ServiceUnreachable:
        showError(owner, kServiceNotRunningFormat, kServiceDisplayName);
        return;
    case ApplyMessage::PortGone:
        showError(owner, kPortGoneFormat, outcome.goneLabel.c_str());
        return;
    case ApplyMessage::NotAccepted: showError(owner, L"%ls", kNotAcceptedText); return;
    }
}

}  // namespace kestrel
