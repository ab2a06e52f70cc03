// The DMS parameter rules on arbitrary edit texts. The input's first byte holds
// the SSL and COM-port choices; the rest is UTF-16LE text whose NULs separate
// host, port and retry period, then the host, port and period of a reference
// configuration (an edit control never yields a NUL).
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "DmsRules.h"
#include "FuzzCheck.h"

namespace kestrel {
namespace {

using fuzz::Check;

constexpr char kUntouched = 0x5A;

bool IsBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

void CheckConversion(std::wstring_view text) {
    const UnsignedText number = ConvertUnsigned(text);
    if (text.empty()) {
        Check(number.whole && number.value == 0, "empty text converts to a whole 0");
        return;
    }
    if (!number.whole) return;
    bool digit = false;
    for (wchar_t c : text) {
        Check(IsBlank(c) || IsDigit(c) || c == L'+' || c == L'-',
              "whole text holds only number characters");
        digit = digit || IsDigit(c);
    }
    Check(digit, "whole non-empty text holds a digit");
}

void CheckTrim(std::wstring_view text) {
    const std::wstring_view trimmed = TrimBlanks(text);
    Check(trimmed.data() >= text.data() &&
              trimmed.data() + trimmed.size() <= text.data() + text.size(),
          "trimmed text lies within the text");
    Check(trimmed.empty() || (!IsBlank(trimmed.front()) && !IsBlank(trimmed.back())),
          "trimmed text has no blank at either end");
    Check(TrimBlanks(trimmed) == trimmed, "trimming twice changes nothing");
}

bool Terminated(const char* field, size_t size, size_t length) {
    const void* nul = std::memchr(field, 0, size);
    return nul != nullptr &&
           static_cast<const char*>(nul) - field == static_cast<std::ptrdiff_t>(length);
}

DmsConfig Store(const DmsInput& input, bool useSsl, bool comPortActive) {
    DmsConfig config;
    std::memset(config.host, kUntouched, sizeof config.host);
    std::memset(config.port, kUntouched, sizeof config.port);
    StoreDmsInput(input, useSsl, comPortActive, config);
    return config;
}

// Whatever a DmsInput holds, storing it leaves terminated texts within the fields.
void CheckStoreAnyInput(const std::wstring& host, const std::wstring& port, uint32_t retrySeconds) {
    DmsInput input;
    for (wchar_t c : host) input.host.push_back(static_cast<char>(c));
    for (wchar_t c : port) input.port.push_back(static_cast<char>(c));
    input.retrySeconds = retrySeconds;
    const DmsConfig config = Store(input, false, false);
    Check(std::memchr(config.host, 0, sizeof config.host) != nullptr, "stored host is terminated");
    Check(std::memchr(config.port, 0, sizeof config.port) != nullptr, "stored port is terminated");
}

DmsInputCheck CheckInput(const std::wstring& host, const std::wstring& port,
                         const std::wstring& retry) {
    const DmsInputCheck check = CheckDmsInput(host, port, retry);
    Check((check.error == DmsInputError::HostTooLong) == (host.size() > kMaxDmsHostChars),
          "host refused as too long exactly when it is");
    if (check.error == DmsInputError::HostInvalidChar)
        Check((check.argument > 127 || check.argument < 0x20 || check.argument == 0x7F) &&
                  host.find(static_cast<wchar_t>(check.argument)) != std::wstring::npos,
              "invalid host character named");
    if (!check.Ok()) return check;
    Check(FirstControlCharacter(host + port + retry) == 0, "no control character accepted");

    const DmsInput& input = check.input;
    Check(input.host.size() == host.size(), "accepted host kept whole");
    for (size_t i = 0; i < host.size(); ++i)
        Check(static_cast<unsigned char>(input.host[i]) == host[i],
              "accepted host is 7-bit and unchanged");
    const UnsignedText portNumber = ConvertUnsigned(port);
    Check(portNumber.whole && portNumber.value <= 65535, "accepted port converts to at most 65535");
    Check(input.port.size() == port.size() && port.size() <= kMaxDmsPortChars,
          "accepted port has at most 9 characters");
    Check(input.retrySeconds >= 1 && input.retrySeconds <= kMaxDmsRetrySeconds &&
              input.retrySeconds == ConvertUnsigned(retry).value,
          "accepted retry converts to 1..4294967");
    return check;
}

}  // namespace
}  // namespace kestrel

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrel;
    if (size == 0) return 0;
    const bool useSsl = data[0] & 1, comPortChecked = data[0] & 2, referenceSsl = data[0] & 4,
               referenceActive = data[0] & 8;
    std::vector<std::wstring> texts = fuzz::SplitTexts(data + 1, size - 1);
    texts.resize(6);
    for (const std::wstring& text : texts) {
        CheckConversion(text);
        CheckTrim(text);
    }
    const bool available = ComPortAvailable(texts[0], texts[1]);
    Check(available == (!TrimBlanks(texts[0]).empty() && !TrimBlanks(texts[1]).empty()),
          "COM port available only with host and port");
    CheckStoreAnyInput(texts[0], texts[1], ConvertUnsigned(texts[2]).value);

    const DmsInputCheck check = CheckInput(texts[0], texts[1], texts[2]);
    if (!check.Ok()) return 0;
    const DmsInput& input = check.input;
    const DmsConfig stored = Store(input, useSsl, comPortChecked);
    Check(Terminated(stored.host, sizeof stored.host, input.host.size()),
          "stored host is NUL-terminated within its field");
    Check(Terminated(stored.port, sizeof stored.port, input.port.size()),
          "stored port is NUL-terminated within its field");
    Check(stored.retryMs / 1000 == input.retrySeconds && stored.retryMs % 1000 == 0,
          "stored retry period in milliseconds");
    Check(!DmsEntriesChanged(input, useSsl, stored), "stored entries compare unchanged");

    const DmsInputCheck referenceCheck = CheckInput(texts[3], texts[4], texts[5]);
    if (!referenceCheck.Ok()) return 0;
    const DmsInput& ref = referenceCheck.input;
    const DmsConfig reference = Store(ref, referenceSsl, referenceActive);
    const bool changed = DmsEntriesChanged(input, useSsl, reference);
    Check(changed == (input.host != ref.host || input.port != ref.port || useSsl != referenceSsl),
          "change test compares host, port and SSL");
    const DmsConfirmation question = ConfirmationFor(reference, comPortChecked, changed);
    Check(referenceActive || question == DmsConfirmation::None, "only an active COM port asks");
    return 0;
}
