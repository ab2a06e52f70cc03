#include "LogFolderRule.h"

#include <windows.h>

namespace kestrel {

bool IsOnLocalFixedDrive(const std::wstring& folder) {
    const bool driveLetter =
        folder.size() >= 3 && folder[1] == L':' && folder[2] == L'\\' &&
        ((folder[0] >= L'A' && folder[0] <= L'Z') || (folder[0] >= L'a' && folder[0] <= L'z'));
    if (!driveLetter) return false;
    const wchar_t root[] = {folder[0], L':', L'\\', L'\0'};
    return ::GetDriveTypeW(root) == DRIVE_FIXED;
}

}  // namespace kestrel
