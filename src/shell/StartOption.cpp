#include "StartOption.h"

#include <cwctype>

#include "PanelTexts.h"

namespace kestrel {
namespace {

// The options are ASCII, so a character-wise fold suffices and no locale enters.
bool EqualsIgnoringCase(const wchar_t* text, const wchar_t* option) {
    for (; *text && *option; ++text, ++option) {
        if (std::towlower(*text) != std::towlower(*option)) return false;
    }
    return *text == L'\0' && *option == L'\0';
}

}  // namespace

StartOption ParseStartOption(const wchar_t* commandLine) {
    if (!commandLine) return StartOption::None;
    if (EqualsIgnoringCase(commandLine, kOptionExitAll)) return StartOption::ExitAll;
    if (EqualsIgnoringCase(commandLine, kOptionHide)) return StartOption::Hide;
    return StartOption::None;
}

}  // namespace kestrel
