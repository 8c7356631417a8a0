#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace zepo::test {

// A file's bytes as they are on disk; empty when it cannot be read.
inline std::string fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace zepo::test
