// A DBGHELP.DLL beside the crash probe that writes no dump: the dump writer
// must take the system's own, so with this one in its folder a dump appears
// only when the decoy was passed over.
#include <windows.h>

extern "C" __declspec(dllexport) BOOL WINAPI
    MiniDumpWriteDump(HANDLE, DWORD, HANDLE, int, void*, void*, void*) {
    return FALSE;
}
