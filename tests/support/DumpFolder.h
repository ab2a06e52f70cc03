// A fresh folder that child processes started while it exists take as their
// %TEMP%, where a crashing program writes its dump; removed with its files.
#pragma once

#include <windows.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace kestrel::test {

class DumpFolder {
public:
    DumpFolder();
    ~DumpFolder();
    DumpFolder(const DumpFolder&) = delete;
    DumpFolder& operator=(const DumpFolder&) = delete;

    bool Valid() const { return valid; }
    std::vector<std::wstring> Files() const;
    bool Write(const std::wstring& name, const std::string& content) const;
    // The flags of a minidump's header (MINIDUMP_TYPE bits), or -1 when the
    // file is no minidump.
    int64_t DumpFlags(const std::wstring& name) const;

private:
    std::wstring path;
    std::wstring savedTemp;
    bool valid = false;
};

// The local time as the dump names carry it: YYYYMMDDhhmmss.
std::wstring LocalStamp(std::time_t at = std::time(nullptr));

}  // namespace kestrel::test
