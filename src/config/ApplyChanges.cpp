#include "ApplyChanges.h"

#include "ConfigMessages.h"
#include "DmsRules.h"
#include "DmsTexts.h"

namespace kestrel {

namespace {

// The link the refresh closed for a silent service is opened again. When it
// cannot be, the change is not sent: a pipe that stays busy is a service
// not responding, any other failure leaves no link to send it on.
uint32_t Reopen(ServiceMirror& service) {
    const uint32_t r = service.ReopenForChange();
    return r == kResultOk || r == kErrorTimeout ? r : kResultNotConnected;
}

// Notes what a request the service was sent ended with; true when the flow
// may go on. Nothing more goes into a silence or over a lost link: no
// read-back, and not the next change.
bool Answered(ServiceMirror& service, uint32_t result) {
    service.NoteOutcome(result);
    return !IsLinkFailure(result);
}

}  // namespace

ApplyOutcome ApplyPortChange(ServiceMirror& service, PortListView& list, const std::wstring& name) {
    ApplyOutcome outcome;
    const PortRecord* record = service.FindPort(name);
    if (!record) return outcome;
    outcome.firstError = Reopen(service);
    if (outcome.firstError == kResultOk) {
        CplPipeClient& client = service.Client();
        outcome.firstError = record->useDefault ? client.UseDefaultDmsConfig(name)
                                                : client.SetPortDmsConfig(name, record->dms);
        if (Answered(service, outcome.firstError) && outcome.firstError == kResultOk) {
            service.ShowPort(list, name);
            return outcome;
        }
    }
    if (IsLinkFailure(outcome.firstError)) {
        // The record keeps what the dialog stored until the service is heard again.
        service.MarkForFullRead(name);
        service.ShowPort(list, name);
        return outcome;
    }
    const std::wstring label = record->portLabel;
    // A refused re-read leaves status 3 in the record: showing the port then
    // removes its row until the next pass reads it in full again.
    if (outcome.firstError != kResultPortUnavailable) {
        const uint32_t reread = service.ReadPortInFull(name);
        service.NoteOutcome(reread);
        if (reread != kResultPortUnavailable) {
            service.ShowPort(list, name);
            return outcome;
        }
    }
    outcome.portGone = true;
    outcome.goneLabel = label;
    service.ErasePort(list, name);
    return outcome;
}

ApplyOutcome ApplyPreferences(ServiceMirror& service, PortListView& list) {
    ApplyOutcome outcome;
    outcome.firstError = Reopen(service);
    bool heard = outcome.firstError == kResultOk;
    // Each cache is loaded once the service took it or it was read back; one
    // that is not (a refusal read back in vain, or a flow cut short) is read
    // again by the next pass.
    bool logLoaded = false;
    bool defaultsLoaded = false;
    CplPipeClient& client = service.Client();

    if (heard) {
        const LogSettings& log = *service.LendLogSettings();
        const uint32_t r = client.SetLogSettings(log.folder, log.level);
        // A folder the request cannot carry is refused before anything is sent.
        heard = r == kResultTextTooLong || Answered(service, r);
        outcome.firstError = r;
        logLoaded = r == kResultOk;
        if (heard && r != kResultOk) {
            const uint32_t reread = service.ReadLogSettings();
            heard = Answered(service, reread);
            logLoaded = reread == kResultOk;
        }
    }

    // Sent whatever became of the log settings, but only to a service that answers.
    if (heard) {
        const uint32_t r = client.SetDefaultDmsConfig(*service.LendDefaults());
        heard = Answered(service, r);
        if (outcome.firstError == kResultOk) outcome.firstError = r;
        defaultsLoaded = r == kResultOk;
        if (heard && r != kResultOk) {
            const uint32_t reread = service.ReadDefaults();
            static_cast<void>(Answered(service, reread));
            defaultsLoaded = reread == kResultOk;
        }
    }

    service.MarkLogSettingsLoaded(logLoaded);
    service.MarkDefaultsLoaded(defaultsLoaded);
    service.ShowDefaultsOnFollowers(list);
    return outcome;
}

void ReportApplyOutcome(HWND owner, const ApplyOutcome& outcome) {
    switch (ApplyMessageFor(outcome.firstError, outcome.portGone)) {
    case ApplyMessage::None: return;
    case ApplyMessage::ServiceUnreachable:
        showError(owner, kServiceNotRunningFormat, kServiceDisplayName);
        return;
    case ApplyMessage::NotResponding:
        showError(owner, kServiceNotRespondingFormat, kServiceDisplayName);
        return;
    case ApplyMessage::PortGone:
        showError(owner, kPortGoneFormat, outcome.goneLabel.c_str());
        return;
    case ApplyMessage::NotAccepted: showError(owner, L"%ls", kNotAcceptedText); return;
    }
}

}  // namespace kestrel
