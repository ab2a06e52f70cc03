#include "ConfigMessages.h"

#include <cstdarg>
#include <cwchar>
#include <vector>

#include "DmsRules.h"
#include "DmsTexts.h"
#include "resource.h"

namespace kestrel {

namespace {

constexpr wchar_t kCaption[] = L"" KESTREL_PRODUCT_NAME;

// Longest message built; the program's messages are far shorter.
constexpr size_t kMaxMessageChars = 32768;

}  // namespace

void showError(HWND owner, const wchar_t* format, ...) {
    std::vector<wchar_t> text(256);
    for (;;) {
        va_list args;
        va_start(args, format);
        const int written = std::vswprintf(text.data(), text.size(), format, args);
        va_end(args);
        // Too small a buffer gives a negative result, or with some C libraries
        // the length the whole text would need.
        if (written >= 0 && static_cast<size_t>(written) < text.size()) break;
        if (text.size() >= kMaxMessageChars) {
            text.back() = L'\0';
            break;
        }
        text.resize(text.size() * 2);
    }
    ::MessageBoxW(owner, text.data(), kCaption, MB_OK | MB_ICONERROR);
}

bool confirmChange(HWND owner, const wchar_t* text) {
    return ::MessageBoxW(owner, text, kCaption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) ==
           IDYES;
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
