// An exception that escapes every handler: the dump lands in %TEMP% under the
// program's name and the local time, and the process still ends through the
// system's default handling.
#include <gtest/gtest.h>

#include <windows.h>

#include <ctime>
#include <string>
#include <vector>

#include "CrashProbe.h"

namespace kestrel {
namespace {

std::wstring ProbePath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + L"crash_probe.exe";
}

// Wine's default handling starts its debugger, which would wait on a crash
// dialog; with the dialog off it reports and ends the process like Windows does.
void QuietWineDebugger() {
    if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) return;
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\WineDbg", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    const DWORD off = 0;
    RegSetValueExW(key, L"ShowCrashDialog", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off),
                   sizeof(off));
    RegCloseKey(key);
}

std::wstring LocalStamp() {
    const std::time_t now = std::time(nullptr);
    const std::tm* t = std::localtime(&now);
    wchar_t text[16];
    wcsftime(text, 16, L"%Y%m%d%H%M%S", t);
    return text;
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

std::string FileStart(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    char start[4] = {};
    DWORD read = 0;
    ReadFile(file, start, sizeof(start), &read, nullptr);
    CloseHandle(file);
    return std::string(start, read);
}

// Runs the probe with the environment of this process; returns its exit code.
DWORD RunProbe() {
    std::wstring commandLine = L"\"" + ProbePath() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    // The debugger's report goes to the probe's error output; keep it out of the test log.
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                             nullptr);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul;
    startup.hStdOutput = nul;
    startup.hStdError = nul;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(nul);
    if (!started) return 0;
    // A full-memory dump of even a small process is large; on a loaded machine it takes a while.
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 180000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

TEST(CrashDump, FullDumpLandsInTempAndTheProcessStillEnds) {
    QuietWineDebugger();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"kestrel-crash-" +
                                std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    wchar_t savedTemp[MAX_PATH] = {};
    GetEnvironmentVariableW(L"TEMP", savedTemp, MAX_PATH);
    ASSERT_TRUE(SetEnvironmentVariableW(L"TEMP", folder.c_str()));

    const std::wstring before = LocalStamp();
    EXPECT_EQ(RunProbe(), kProbeException) << "ended by the default handling";
    const std::wstring after = LocalStamp();
    SetEnvironmentVariableW(L"TEMP", savedTemp);

    const std::vector<std::wstring> files = FilesIn(folder);
    ASSERT_EQ(files.size(), 1u);
    const std::wstring name = files[0];
    const std::wstring path = folder + L"\\" + name;
    EXPECT_EQ(FileStart(path), "MDMP");
    DeleteFileW(path.c_str());
    RemoveDirectoryW(folder.c_str());

    ASSERT_EQ(name.size(), std::wstring(L"KestrelCpl_YYYYMMDDhhmmss.dmp").size()) << name;
    EXPECT_EQ(name.substr(0, 11), L"KestrelCpl_");
    EXPECT_EQ(name.substr(25), L".dmp");
    const std::wstring stamp = name.substr(11, 14);
    EXPECT_LE(before, stamp);
    EXPECT_LE(stamp, after);
}

}  // namespace
}  // namespace kestrel
