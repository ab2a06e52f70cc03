#include "ControlFile.h"

#include <fstream>

namespace kestrel::sim {

std::vector<std::string> ControlFile::ReadNewLines() {
    std::vector<std::string> lines;
    std::ifstream file(path, std::ios::binary);
    if (!file) return lines;
    file.seekg(0, std::ios::end);
    const auto size = static_cast<uint64_t>(file.tellg());
    if (size < offset) {
        offset = 0;
        partial.clear();
    }
    if (size == offset) return lines;
    file.seekg(static_cast<std::streamoff>(offset));
    std::string chunk(static_cast<size_t>(size - offset), '\0');
    file.read(&chunk[0], static_cast<std::streamsize>(chunk.size()));
    chunk.resize(static_cast<size_t>(file.gcount()));
    offset += chunk.size();

    partial += chunk;
    size_t start = 0;
    for (size_t newline; (newline = partial.find('\n', start)) != std::string::npos;
         start = newline + 1) {
        std::string line = partial.substr(start, newline - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    partial.erase(0, start);
    return lines;
}

}  // namespace kestrel::sim
