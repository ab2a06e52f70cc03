// Where the service's log folder may be: on a local fixed drive. The folder
// browser offers OK only there, the preferences dialog starts the browser only
// at such a folder, and the command-line tool takes no other: a network path
// would make whoever opens it contact its host with the user's credentials.
#pragma once

#include <string>

namespace kestrel {

// A drive letter, a colon and a backslash, on a drive whose type will do.
bool IsOnLocalFixedDrive(const std::wstring& folder);

}  // namespace kestrel
