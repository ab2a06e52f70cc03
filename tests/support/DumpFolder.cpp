#include "DumpFolder.h"

#include <cstring>
#include <cwchar>

#include "CHandle.h"
#include "TScopeGuard.h"

namespace kestrel::test {

DumpFolder::DumpFolder() {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    static unsigned counter = 0;
    path = std::wstring(temp) + L"kestrel-dumps-" + std::to_wstring(::GetCurrentProcessId()) +
           L"-" + std::to_wstring(++counter);
    wchar_t saved[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"TEMP", saved, MAX_PATH);
    savedTemp = saved;
    valid = ::CreateDirectoryW(path.c_str(), nullptr) &&
            ::SetEnvironmentVariableW(L"TEMP", path.c_str());
}

DumpFolder::~DumpFolder() {
    ::SetEnvironmentVariableW(L"TEMP", savedTemp.c_str());
    for (const std::wstring& name : Files()) ::DeleteFileW((path + L"\\" + name).c_str());
    ::RemoveDirectoryW(path.c_str());
}

std::vector<std::wstring> DumpFolder::Files() const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    const TScopeGuard closeFind([find]() noexcept { ::FindClose(find); });
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
    } while (::FindNextFileW(find, &data));
    return names;
}

bool DumpFolder::Write(const std::wstring& name, const std::string& content) const {
    const CHandle file(::CreateFileW((path + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()),
                                &written, nullptr);
    return ok && written == content.size();
}

int64_t DumpFolder::DumpFlags(const std::wstring& name) const {
    const CHandle file(::CreateFileW((path + L"\\" + name).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file.IsValid()) return -1;
    // Signature, version, stream count, directory offset, checksum, time, then the flags.
    unsigned char header[32] = {};
    DWORD read = 0;
    ::ReadFile(file.Get(), header, sizeof header, &read, nullptr);
    if (read != sizeof header || std::memcmp(header, "MDMP", 4) != 0) return -1;
    int64_t flags = 0;
    for (int i = 7; i >= 0; --i) flags = (flags << 8) | header[24 + i];
    return flags;
}

std::wstring LocalStamp(std::time_t at) {
    wchar_t text[16] = {};
    std::wcsftime(text, 16, L"%Y%m%d%H%M%S", std::localtime(&at));
    return text;
}

}  // namespace kestrel::test
