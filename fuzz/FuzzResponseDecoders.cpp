// Every response decoder on one 532-byte frame: the input, cut or padded with
// zeros. Checks that texts stay within their fields, that a DMS block without
// terminators leaves the caller's buffers alone, that the argument checks agree
// with the decoders, and that decoded texts encode into requests that decode
// back to the same.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "FuzzCheck.h"
#include "RequestCodec.h"

namespace kestrel {
namespace {

using fuzz::Check;

constexpr char kUntouched = 0x5A;
constexpr uint32_t kUntouchedValue = 0xDEADBEEF;

bool Untouched(const char* field, size_t bytes) {
    return std::all_of(field, field + bytes, [](char c) { return c == kUntouched; });
}

bool FitsField(const std::wstring& text, size_t fieldChars) {
    return text.size() <= fieldChars && text.find(L'\0') == std::wstring::npos;
}

// Requests 3, 8 and 10 place their texts where responses 2, 7 and 9 do, so the
// first 532 bytes of such a request read as that response.
ResponseFrame AsResponse(const RequestFrame& request) {
    ResponseFrame frame;
    std::memcpy(frame.data(), request.data(), frame.size());
    return frame;
}

// Exactly the field's bytes on the heap, without an added terminator, so that
// reading past the field is caught.
std::unique_ptr<char[]> FieldCopy(const ResponseFrame& frame, size_t offset, size_t bytes) {
    auto copy = std::make_unique<char[]>(bytes);
    std::memcpy(copy.get(), frame.data() + offset, bytes);
    return copy;
}

void CheckPortName(const ResponseFrame& frame) {
    std::wstring name(300, L'x');  // the decoder reuses the string
    DecodePortName(frame, name);
    Check(FitsField(name, kRspPortNameChars), "port name within the payload");

    RequestFrame request;
    EncodeGetPortDevice(request, name);
    std::wstring again;
    DecodePortName(AsResponse(request), again);
    Check(again == name.substr(0, kPortNameChars - 1), "port name cut to 200 round trip");
}

void CheckPortDevice(const ResponseFrame& frame) {
    std::wstring label(200, L'x'), serial(200, L'x');
    uint32_t mode = 0, status = 0;
    bool useDefault = false;
    DecodePortDevice(frame, label, serial, mode, status, useDefault);
    Check(FitsField(label, kPortLabelChars), "label within its field");
    Check(FitsField(serial, kSerialNumberChars), "serial number within its field");
}

void CheckDms(const ResponseFrame& frame) {
    const size_t hostAt = kRspDmsOffset + kDmsHostRel;
    const size_t portAt = kRspDmsOffset + kDmsPortRel;
    const auto hostField = FieldCopy(frame, hostAt, kDmsHostBytes);
    const auto portField = FieldCopy(frame, portAt, kDmsPortBytes);
    const uint32_t textCheck = CheckDmsTexts(hostField.get(), portField.get());

    auto host = std::make_unique<char[]>(kDmsHostBytes);
    auto port = std::make_unique<char[]>(kDmsPortBytes);
    std::memset(host.get(), kUntouched, kDmsHostBytes);
    std::memset(port.get(), kUntouched, kDmsPortBytes);
    uint32_t retryMs = kUntouchedValue;
    bool useSsl = true, comPortActive = true;
    const uint32_t r =
        DecodeDmsConfig(frame, host.get(), port.get(), retryMs, useSsl, comPortActive);
    Check(r == kResultOk || r == kErrorInvalidParameter, "DMS decoder result");
    Check((r == kResultOk) == (textCheck == kResultOk), "DMS decoder agrees with CheckDmsTexts");
    if (r != kResultOk) {
        const bool untouched =
            Untouched(host.get(), kDmsHostBytes) && Untouched(port.get(), kDmsPortBytes);
        Check(untouched && retryMs == kUntouchedValue && useSsl && comPortActive,
              "refused DMS block writes nothing");
        return;
    }
    Check(std::strcmp(host.get(), hostField.get()) == 0, "host copied up to its NUL");
    Check(std::strcmp(port.get(), portField.get()) == 0, "port copied up to its NUL");

    RequestFrame request;
    EncodeSetDefaultDmsConfig(request, host.get(), port.get(), retryMs, useSsl, comPortActive);
    char host2[kDmsHostBytes], port2[kDmsPortBytes];
    uint32_t retry2 = 0;
    bool ssl2 = !useSsl, active2 = !comPortActive;
    Check(DecodeDmsConfig(AsResponse(request), host2, port2, retry2, ssl2, active2) == kResultOk,
          "encoded DMS block decodes");
    Check(std::strcmp(host2, host.get()) == 0 && std::strcmp(port2, port.get()) == 0 &&
              retry2 == retryMs && ssl2 == useSsl && active2 == comPortActive,
          "DMS round trip");
}

void CheckLogSettings(const ResponseFrame& frame) {
    std::wstring folder(400, L'x');
    uint32_t level = 0;
    DecodeLogSettings(frame, folder, level);
    Check(FitsField(folder, kLogFolderChars), "log folder within its field");
    if (CheckLogFolder(folder) != kResultOk) {
        Check(folder.size() == kLogFolderChars, "only an unterminated folder is too long");
        return;
    }
    RequestFrame request;
    EncodeSetLogSettings(request, folder, level);
    std::wstring again;
    uint32_t levelAgain = 0;
    DecodeLogSettings(AsResponse(request), again, levelAgain);
    Check(again == folder && levelAgain == level, "log settings round trip");
}

}  // namespace
}  // namespace kestrel

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrel;
    ResponseFrame frame{};
    std::memcpy(frame.data(), data, std::min(size, frame.size()));

    uint32_t a = 0, b = 0, c = 0;
    DecodeVersion(frame, a, b, c);
    DecodePortListInfo(frame, a, &b);
    DecodePortListInfo(frame, a, nullptr);
    DecodePortCounters(frame, a, b, c);
    CheckPortName(frame);
    CheckPortDevice(frame);
    CheckDms(frame);
    CheckLogSettings(frame);
    return 0;
}
