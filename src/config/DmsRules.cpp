#include "DmsRules.h"

#include <algorithm>
#include <cstring>

#include "DecimalText.h"

namespace kestrel {

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

bool IsControlCharacter(wchar_t c) { return static_cast<uint32_t>(c) < 0x20 || c == 0x7F; }

}  // namespace

wchar_t FirstControlCharacter(std::wstring_view text) {
    for (wchar_t c : text)
        if (IsControlCharacter(c)) return c;
    return 0;
}

std::string_view FieldText(const char* field, size_t size) {
    return std::string_view(field,
                            static_cast<size_t>(std::find(field, field + size, '\0') - field));
}

UnsignedText ConvertUnsigned(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    const DecimalDigits digits = ReadDecimalDigits(text.substr(i));
    if (digits.length == 0) return {0, text.empty()};
    const uint32_t value = negative && !digits.overflow ? 0u - digits.value : digits.value;
    return {value, i + digits.length == text.size()};
}

DmsInputCheck CheckDmsInput(std::wstring_view host, std::wstring_view port,
                            std::wstring_view retry) {
    DmsInputCheck check;
    if (host.size() > kMaxDmsHostChars) {
        check.error = DmsInputError::HostTooLong;
        check.argument = static_cast<uint32_t>(kMaxDmsHostChars);
        return check;
    }
    for (wchar_t c : host) {
        if (static_cast<uint32_t>(c) > 127 || IsControlCharacter(c)) {
            check.error = DmsInputError::HostInvalidChar;
            check.argument = static_cast<uint32_t>(c);
            return check;
        }
        check.input.host.push_back(static_cast<char>(c));
    }

    const UnsignedText portNumber = ConvertUnsigned(port);
    if (!portNumber.whole || portNumber.value > 65535 || port.size() > kMaxDmsPortChars ||
        FirstControlCharacter(port) != 0) {
        check.error = DmsInputError::PortInvalid;
        return check;
    }
    // Only spaces, a sign and digits pass the conversion and the check: all 7-bit.
    for (wchar_t c : port) check.input.port.push_back(static_cast<char>(c));

    const UnsignedText seconds = ConvertUnsigned(retry);
    if (!seconds.whole || seconds.value == 0 || seconds.value > kMaxDmsRetrySeconds ||
        FirstControlCharacter(retry) != 0) {
        check.error = DmsInputError::RetryInvalid;
        return check;
    }
    check.input.retrySeconds = seconds.value;
    return check;
}

std::wstring_view TrimBlanks(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool ComPortAvailable(std::wstring_view host, std::wstring_view port) {
    return !TrimBlanks(host).empty() && !TrimBlanks(port).empty();
}

bool DmsEntriesChanged(const DmsInput& input, bool useSsl, const DmsConfig& reference) {
    return input.host != FieldText(reference.host, sizeof reference.host) ||
           input.port != FieldText(reference.port, sizeof reference.port) ||
           useSsl != (reference.useSsl != 0);
}

DmsConfirmation ConfirmationFor(const DmsConfig& reference, bool comPortChecked, bool changed) {
    if (!reference.comPortActive) return DmsConfirmation::None;
    if (!comPortChecked) return DmsConfirmation::Deactivation;
    return changed ? DmsConfirmation::Change : DmsConfirmation::None;
}

void StoreDmsInput(const DmsInput& input, bool useSsl, bool comPortActive, DmsConfig& config) {
    const size_t hostLength = std::min(input.host.size(), kMaxDmsHostChars);
    std::memcpy(config.host, input.host.data(), hostLength);
    config.host[hostLength] = '\0';
    const size_t portLength = std::min(input.port.size(), kMaxDmsPortChars);
    std::memcpy(config.port, input.port.data(), portLength);
    config.port[portLength] = '\0';
    config.retryMs = input.retrySeconds * 1000;
    config.useSsl = useSsl ? 1 : 0;
    config.comPortActive = comPortActive ? 1 : 0;
}

ApplyMessage ApplyMessageFor(const RequestResult& firstError, bool portGone) {
    if (portGone) return ApplyMessage::PortGone;
    if (firstError.Done()) return ApplyMessage::None;
    if (firstError.TimedOut()) return ApplyMessage::NotResponding;
    if (firstError.ServiceGone() || firstError == RequestResult::LinkFailed(kResultNotConnected))
        return ApplyMessage::ServiceUnreachable;
    return ApplyMessage::NotAccepted;
}

}  // namespace kestrel
