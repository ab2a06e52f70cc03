// Looks at the installed panel from inside the Wine prefix it was installed
// into, for package_test.sh:
//   state <upgrade code> <program>  prints the products installed under the
//       upgrade code with their versions, the program file's version, the
//       value that starts the panel at logon and whether a panel runs
//   logon  runs that value's command as a logon would, with the simulator
//       serving two ports, and waits until the panel lists both while staying
//       hidden; the panel is left running
// Exit code 0 when it could look or the panel came up as it should.
#include <windows.h>
#include <msi.h>

#include <cstdio>
#include <string>

#include "PanelProcess.h"
#include "PanelTexts.h"

namespace {

using namespace kestrel;

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"KestrelCpl";
constexpr DWORD kStartMs = 15000;

std::wstring RunCommand() {
    wchar_t value[1024] = {};
    DWORD size = sizeof(value);
    return ::RegGetValueW(HKEY_LOCAL_MACHINE, kRunKey, kRunValue, RRF_RT_REG_SZ, nullptr, value,
                          &size) == ERROR_SUCCESS
               ? value
               : L"";
}

std::wstring FileVersion(const wchar_t* path) {
    const DWORD size = ::GetFileVersionInfoSizeW(path, nullptr);
    if (size == 0) return L"none";
    std::wstring block(size / sizeof(wchar_t) + 1, L'\0');
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!::GetFileVersionInfoW(path, 0, size, &block[0]) ||
        !::VerQueryValueW(&block[0], L"\\", reinterpret_cast<void**>(&fixed), &length))
        return L"unreadable";
    return std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
           std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
           std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." +
           std::to_wstring(LOWORD(fixed->dwFileVersionLS));
}

int PrintState(const wchar_t* upgradeCode, const wchar_t* program) {
    wchar_t product[39] = {};
    for (DWORD i = 0; ::MsiEnumRelatedProductsW(upgradeCode, 0, i, product) == ERROR_SUCCESS; ++i) {
        wchar_t version[64] = {};
        DWORD length = 64;
        ::MsiGetProductInfoW(product, INSTALLPROPERTY_VERSIONSTRING, version, &length);
        std::wprintf(L"product %ls %ls\n", product, version);
    }
    std::wprintf(L"file %ls\n", FileVersion(program).c_str());
    const std::wstring run = RunCommand();
    std::wprintf(L"run %ls\n", run.empty() ? L"none" : run.c_str());
    std::wprintf(L"panel %ls\n", ::FindWindowW(kInstanceId, nullptr) ? L"running" : L"none");
    return 0;
}

int Fail(const char* what) {
    std::printf("%s\n", what);
    return 1;
}

int StartAsAtLogon() {
    const std::wstring command = RunCommand();
    if (command.empty()) return Fail("no Run value");
    e2e::Simulator service;
    if (!service.Start() ||
        !service.Execute("port COM7 label=COM7 serial=SN-7 mode=0 status=1 active=1") ||
        !service.Execute("port COM3 label=COM3 serial=SN-3 mode=2 status=0 active=1"))
        return Fail("the simulator did not start");

    // Nobody owns a panel started at logon: it outlives this probe.
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (!test::StartProcess(command, startup, false, 0).process.IsValid())
        return Fail("the Run value's command did not start");

    HWND window = e2e::WaitForPanelWindow(kStartMs);
    if (!window) return Fail("no panel window");
    if (!e2e::WaitForRowCount(window, 2, kStartMs))
        return Fail("the panel did not list both ports");
    if (::IsWindowVisible(window)) return Fail("the panel shows its window");
    std::printf("the panel lists both ports, hidden\n");
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"state" && argc == 4) return PrintState(argv[2], argv[3]);
    if (mode == L"logon" && argc == 2) return StartAsAtLogon();
    std::printf("usage: installed_panel_probe state <upgrade code> <program> | logon\n");
    return 2;
}
