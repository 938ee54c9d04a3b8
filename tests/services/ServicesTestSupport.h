// What the service tests share: a file's bytes.
#pragma once

#include <fstream>
#include <string>

// The whole file; "" when it cannot be read.
inline std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::string bytes(in ? (size_t)in.tellg() : 0, '\0');
    in.seekg(0);
    in.read(bytes.data(), (std::streamsize)bytes.size());
    return bytes;
}
