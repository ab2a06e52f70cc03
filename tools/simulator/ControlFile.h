// A file that another process appends commands to while the simulator runs.
// Each read returns the complete lines added since the previous one; a line
// still being written waits for its newline. Portable: no windows.h.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kestrel::sim {

class ControlFile {
public:
    explicit ControlFile(std::filesystem::path file) : path(std::move(file)) {}

    // Lines already in the file count as new on the first read. A missing file
    // yields nothing; a file that became shorter is read again from its start.
    std::vector<std::string> ReadNewLines();

private:
    std::filesystem::path path;
    uint64_t offset = 0;
    std::string partial;
};

}  // namespace kestrel::sim
