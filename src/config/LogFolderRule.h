// Where the service's log folder may be: on a local fixed drive. The folder
// browser offers OK only there, the preferences dialog starts the browser only
// at such a folder, and the command-line tool takes no other: a network path
// would make whoever opens it contact its host with the user's credentials.
#pragma once

#include <windows.h>

#include <string>

namespace kestrel {

// Whether a folder on a drive of this type (GetDriveTypeW) will do.
bool LogFolderDriveAllowed(UINT driveType);

// A drive letter, a colon and a backslash, on a drive whose type will do.
bool IsOnLocalFixedDrive(const std::wstring& folder);

}  // namespace kestrel
