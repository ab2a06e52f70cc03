#include "ApplyChanges.h"

#include "ConfigMessages.h"
#include "DmsRules.h"
#include "DmsTexts.h"

namespace kestrel {

namespace {

// A closed link is opened again. When it cannot be, the change is not sent:
// a pipe that stays busy is a service not responding, any other failure
// leaves no link to send it on.
RequestResult Reopen(ServiceMirror& service) {
    const RequestResult r = service.ReopenForChange();
    return r.Done() || r.TimedOut() ? r : RequestResult::LinkFailed(kResultNotConnected);
}

// Sends one request of a flow over a link opened first if need be, and notes
// what it ended with. A service that started again since the link was last
// used leaves a pipe that looks open until a request meets its broken end:
// then a new link is opened and the request, which is safe to send twice
// (each sets a value), goes once more.
template <typename Request>
RequestResult Send(ServiceMirror& service, Request request) {
    RequestResult r = Reopen(service);
    if (r.Done()) r = request(service.Client());
    if (r.ServiceGone()) {
        r = Reopen(service);
        if (r.Done()) r = request(service.Client());
    }
    service.NoteOutcome(r);
    return r;
}

}  // namespace

ApplyOutcome ApplyPortChange(ServiceMirror& service, PortListView& list, const std::wstring& name) {
    ApplyOutcome outcome;
    const PortRecord* record = service.FindPort(name);
    if (!record) return outcome;
    outcome.firstError = Send(service, [&](CplPipeClient& client) {
        return record->useDefault ? client.UseDefaultDmsConfig(name)
                                  : client.SetPortDmsConfig(name, record->dms);
    });
    if (outcome.firstError.Done()) {
        service.ShowPort(list, name);
        return outcome;
    }
    // Nothing more goes into a silence or over a lost link: no read-back.
    if (outcome.firstError.LinkFailure()) {
        // The record keeps what the dialog stored until the service is heard again.
        service.MarkForFullRead(name);
        service.ShowPort(list, name);
        return outcome;
    }
    const std::wstring label = record->portLabel;
    // A refused re-read leaves status 3 in the record: showing the port then
    // removes its row until the next pass reads it in full again.
    if (outcome.firstError != kPortGoneAnswer) {
        const RequestResult reread = service.ReadPortInFull(name);
        service.NoteOutcome(reread);
        if (reread != kPortGoneAnswer) {
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
    // Each cache is loaded once the service took it or it was read back; one
    // that is not (a refusal read back in vain, or a flow cut short) is read
    // again by the next pass.
    bool logLoaded = false;
    bool defaultsLoaded = false;

    const LogSettings& log = *service.LendLogSettings();
    outcome.firstError = Send(service, [&](CplPipeClient& client) {
        return client.SetLogSettings(log.folder, log.level);
    });
    // Nothing more goes into a silence or over a lost link: no read-back,
    // and not the next change.
    bool heard = !outcome.firstError.LinkFailure();
    logLoaded = outcome.firstError.Done();
    if (heard && !logLoaded) {
        const RequestResult reread = service.ReadLogSettings();
        service.NoteOutcome(reread);
        heard = !reread.LinkFailure();
        logLoaded = reread.Done();
    }

    // Sent whatever became of the log settings, but only to a service that answers.
    if (heard) {
        const RequestResult r = Send(service, [&](CplPipeClient& client) {
            return client.SetDefaultDmsConfig(*service.LendDefaults());
        });
        if (outcome.firstError.Done()) outcome.firstError = r;
        defaultsLoaded = r.Done();
        if (!r.LinkFailure() && !defaultsLoaded) {
            const RequestResult reread = service.ReadDefaults();
            service.NoteOutcome(reread);
            defaultsLoaded = reread.Done();
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
