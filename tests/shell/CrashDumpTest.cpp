// An exception that escapes every handler: the dump lands in %TEMP% under the
// program's name and the local time, and the process still ends through the
// system's default handling.
#include <gtest/gtest.h>

#include <windows.h>

#include <ctime>
#include <string>
#include <vector>

#include "CHandle.h"
#include "ChildProcess.h"
#include "CrashDump.h"
#include "CrashProbe.h"
#include "DumpFolder.h"
#include "WineSettings.h"

namespace kestrel {
namespace {

// Runs the probe with the environment of this process; returns its exit code.
DWORD RunProbe(const wchar_t* argument = nullptr) {
    std::wstring commandLine = L"\"" + test::BesideThisProgram(L"crash_probe.exe") + L"\"";
    if (argument) commandLine += std::wstring(L" ") + argument;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    // The debugger's report goes to the probe's error output; keep it out of the test log.
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    CHandle nul(::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                              nullptr));
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul.Get();
    startup.hStdOutput = nul.Get();
    startup.hStdError = nul.Get();
    const test::StartedProcess probe = test::StartProcess(commandLine, startup, true, 0);
    nul.Reset();
    if (!probe.process.IsValid()) return 0;
    // A full-memory dump of even a small process is large; on a loaded machine it takes a while.
    EXPECT_EQ(::WaitForSingleObject(probe.process.Get(), 180000), WAIT_OBJECT_0);
    DWORD code = 0;
    ::GetExitCodeProcess(probe.process.Get(), &code);
    return code;
}

TEST(CrashDump, FullDumpLandsInTempAndTheProcessStillEnds) {
    test::QuietWineDebugger();
    // The decoy beside the probe is a real danger only where a DLL found by
    // the search path is taken first, as on Windows.
    test::PreferFoundDll(L"crash_probe.exe", L"dbghelp");
    test::DumpFolder folder;
    ASSERT_TRUE(folder.Valid());

    const std::wstring before = test::LocalStamp();
    EXPECT_EQ(RunProbe(), kProbeException) << "ended by the default handling";
    const std::wstring after = test::LocalStamp();

    const std::vector<std::wstring> files = folder.Files();
    ASSERT_EQ(files.size(), 1u);
    const std::wstring name = files[0];
    EXPECT_NE(folder.DumpFlags(name), -1) << "a minidump";
    ASSERT_EQ(name.size(), std::wstring(L"KestrelCpl_YYYYMMDDhhmmss.dmp").size()) << name;
    EXPECT_EQ(name.substr(0, 11), L"KestrelCpl_");
    EXPECT_EQ(name.substr(25), L".dmp");
    const std::wstring stamp = name.substr(11, 14);
    EXPECT_LE(before, stamp);
    EXPECT_LE(stamp, after);
}

// The program looks for DLLs loaded by name in the system folder only, so the
// decoy beside the probe is passed over even where the search path would
// find it first.
TEST(CrashDump, DllsLoadedByNameComeFromTheSystemFolderOnly) {
    test::PreferFoundDll(L"crash_probe.exe", L"dbghelp");
    EXPECT_EQ(RunProbe(L"load"), 0u);
}

// A C++ exception that leaves a window callback, an allocation failure say,
// ends the program with a dump too.
TEST(CrashDump, UncaughtCppExceptionEndsWithADump) {
    test::QuietWineDebugger();
    test::DumpFolder folder;
    ASSERT_TRUE(folder.Valid());
    EXPECT_EQ(RunProbe(L"throw"), kUncaughtCppException);
    const std::vector<std::wstring> files = folder.Files();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_NE(folder.DumpFlags(files[0]), -1);
}

}  // namespace
}  // namespace kestrel
