// Text for other programs: the clipboard holds it as CF_UNICODETEXT, which
// every editor and spreadsheet pastes.
#pragma once

#include <windows.h>

#include <string>

namespace kestrel {

// Replaces the clipboard's content with the text; false when the clipboard
// could not be opened or did not take it.
bool PutTextOnClipboard(HWND owner, const std::wstring& text);

}  // namespace kestrel
