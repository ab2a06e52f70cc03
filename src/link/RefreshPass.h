// The part of a refresh pass that follows the connect: the port list's stamp
// and count, then an enumeration of the names or a poll of the known ports,
// each port handed to the list, and the list told that the pass ended.
// Portable: no windows.h, so that it also runs natively against a made-up
// service.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "PortListView.h"
#include "PortRecord.h"
#include "PortRequests.h"
#include "PortRowInfo.h"
#include "RequestResult.h"
#include "WideText.h"  // WidenAnsi: how a row shows the DMS texts

namespace kestrel {

// The full row of a port; also used by the editing flows after they change a record.
PortRowInfo MakePortRow(const PortRecord& record, const std::wstring& name);

// Reads the port's device data and DMS parameters into its record; Done, or
// the first failure. A refusal leaves the failure values in the record
// (status 3 among them); a read cut off by a link failure leaves the record as
// it was, since nothing was learnt about the port. Either failure marks the
// port for a full read on the next pass.
[[nodiscard]] RequestResult RereadPort(PortRequests& service, const std::wstring& name,
                                       PortRecord& record);

// The names of the service's ports, asked for as an enumeration asks for them,
// and nothing more of the ports; Done, or the result that ended it, with no
// names. A list of more ports than there can be, a name given twice or one
// that a request cannot carry is malformed: ClientFailed(kErrorGeneric), and
// malformed is set, as a pass sets it, so that the caller can drop the link.
[[nodiscard]] RequestResult ReadPortNames(PortRequests& service, std::vector<std::wstring>& names,
                                          bool& malformed);

class RefreshPass {
public:
    // listStamp: the stamp last enumerated, empty when the ports have not been
    // enumerated since the last connect; no stamp the service reports means that.
    RefreshPass(PortRequests& service, PortListView& list, PortTable& ports,
                std::optional<uint32_t>& listStamp);

    // Done when the pass went through and the list was told so, else the
    // result that ended it. The first request that times out or finds the link down
    // ends the pass, and the rows stay as they were.
    [[nodiscard]] RequestResult Run();
    // The pass met an answer no service could mean and ended with nothing
    // added or removed: the caller closes the link, so that the next pass
    // starts afresh.
    bool Malformed() const { return malformed; }

private:
    // Gives ClientFailed(kErrorGeneric) and marks the pass malformed.
    [[nodiscard]] RequestResult DropMalformed();
    // Done, or the failure of GetPortCounters; the pairs shift only on success.
    [[nodiscard]] RequestResult PollCounters(const std::wstring& name, PortRecord& record);
    // Hands the port's traffic marks to the list. A port without a row is
    // shown as told only when its record says it has no device.
    void ShowMarks(const std::wstring& name, PortRecord& record);
    // Both Done when they went through; otherwise the result that cut them short.
    // An enumeration asks for every name first, so a failed GetPortName, a name
    // given twice or one that a request cannot carry ends it before anything
    // changes; a link failure after that removes nothing, and the next tick
    // enumerates afresh. In a poll a link failure leaves the remaining ports
    // untouched. A port the list could not show is not marked present, so the
    // next pass tries it again. A port seen for the first time, or whose last
    // full read did not complete, is read in full whatever its counter says.
    [[nodiscard]] RequestResult Enumerate(uint32_t stamp, uint32_t count);
    [[nodiscard]] RequestResult Poll();

    PortRequests& service;
    PortListView& list;
    PortTable& ports;
    std::optional<uint32_t>& listStamp;
    bool malformed = false;
};

}  // namespace kestrel
