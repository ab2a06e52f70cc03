#include "ControlFile.h"

#include <fstream>

namespace kestrel::sim {

std::vector<std::string> ControlFile::ReadNewLines() {
    std::vector<std::string> lines;
    std::ifstream file(path_, std::ios::binary);
    if (!file) return lines;
    file.seekg(0, std::ios::end);
    const auto size = static_cast<uint64_t>(file.tellg());
    if (size < offset_) {
        offset_ = 0;
        partial_.clear();
    }
    if (size == offset_) return lines;
    file.seekg(static_cast<std::streamoff>(offset_));
    std::string chunk(static_cast<size_t>(size - offset_), '\0');
    file.read(&chunk[0], static_cast<std::streamsize>(chunk.size()));
    chunk.resize(static_cast<size_t>(file.gcount()));
    offset_ += chunk.size();

    partial_ += chunk;
    size_t start = 0;
    for (size_t newline; (newline = partial_.find('\n', start)) != std::string::npos; start = newline + 1) {
        std::string line = partial_.substr(start, newline - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    partial_.erase(0, start);
    return lines;
}

}  // namespace kestrel::sim
