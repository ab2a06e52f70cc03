// Rules for the five DMS parameters as the dialogs edit them: number
// conversion, validation of the three edit texts, COM-port availability,
// change test, confirmation decision and storing. Portable: no windows.h; the
// Win32 layer reads the controls and shows the messages.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "DmsConfig.h"
#include "RequestResult.h"
#include "ServiceProtocol.h"

namespace kestrel {

// Longest host and port texts a DmsConfig holds (one byte is the terminator).
inline constexpr size_t kMaxDmsHostChars = kDmsHostBytes - 1;
inline constexpr size_t kMaxDmsPortChars = kDmsPortBytes - 1;
// Longest retry period whose milliseconds fit 32 bits.
inline constexpr uint32_t kMaxDmsRetrySeconds = UINT32_MAX / 1000;

struct UnsignedText {
    uint32_t value = 0;
    bool whole = false;  // every character was consumed
};

// Decimal conversion as the C library does it for unsigned long: leading white
// space, one optional sign (minus negates modulo 2^32), digits up to the first
// other character, 4294967295 on overflow whatever the sign. Text without a
// digit gives 0 with nothing consumed, so only empty text is then whole.
UnsignedText ConvertUnsigned(std::wstring_view text);

enum class DmsInputError { None, HostTooLong, HostInvalidChar, PortInvalid, RetryInvalid };

struct DmsInput {
    std::string host;  // one byte per character, at most kMaxDmsHostChars
    std::string port;  // the text as entered, at most kMaxDmsPortChars
    uint32_t retrySeconds = 0;
};

struct DmsInputCheck {
    DmsInputError error = DmsInputError::None;
    // The number the error message names: the length limit or the character.
    uint32_t argument = 0;
    DmsInput input;  // meaningful only without an error

    bool Ok() const { return error == DmsInputError::None; }
};

// The first control character (below 0x20, or 0x7F) of the text, or 0 when
// it has none. No single-line edit of the dialogs produces one, and in a value
// it could add lines to what the service stores or shows.
wchar_t FirstControlCharacter(std::wstring_view text);

// Checks host, port and retry texts in that order and stops at the first
// fault. A port longer than a DmsConfig holds and a period whose milliseconds
// do not fit 32 bits are refused: stored, they would mean another value. A
// control character is refused in every text: in the host with its
// invalid-character message, in the port and the period as invalid.
DmsInputCheck CheckDmsInput(std::wstring_view host, std::wstring_view port,
                            std::wstring_view retry);

// Remove the conversion's white space from both ends.
std::wstring_view TrimBlanks(std::wstring_view text);

// A text field of the service's frames up to its NUL; the whole field when it
// has none.
std::string_view FieldText(const char* field, size_t size);

// The COM port can be activated only while both a host and a port are given.
bool ComPortAvailable(std::wstring_view host, std::wstring_view port);

// Whether the entries change a running configuration: host and port byte by
// byte ("080" is not "80") and the SSL choice. The retry period does not count.
bool DmsEntriesChanged(const DmsInput& input, bool useSsl, const DmsConfig& reference);

enum class DmsConfirmation { None, Deactivation, Change };

// Which question Apply asks before storing; only a reference whose COM port is
// active asks, since only then would communication be cut.
DmsConfirmation ConfirmationFor(const DmsConfig& reference, bool comPortChecked, bool changed);

void StoreDmsInput(const DmsInput& input, bool useSsl, bool comPortActive, DmsConfig& config);

enum class ApplyMessage { None, ServiceUnreachable, NotResponding, PortGone, NotAccepted };

// The one message that reports sending a change, chosen by the first failure
// of the run; portGone when the run found the edited port gone and removed it.
// A time-out of the link means the service did not answer, a link that broke
// or was not there that there was no service to send to; whatever the service
// answered, a status that looks like one of the link's own codes among them,
// it refused.
ApplyMessage ApplyMessageFor(const RequestResult& firstError, bool portGone);

}  // namespace kestrel
