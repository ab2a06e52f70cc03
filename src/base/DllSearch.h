// Where the programs load DLLs from.
#pragma once

namespace kestrel {

// Makes the system folder the only place DLLs loaded by name come from, so
// that a DLL placed beside the program (in a downloads folder, say) is never
// loaded, by the shell's folder browser or by anything else. Done first in
// each entry point. Windows 7 without the update that brought the search
// flags lacks the call; there the program runs as before.
void RestrictDllSearchToSystem();

}  // namespace kestrel
