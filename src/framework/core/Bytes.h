// Little-endian integers in byte strings, the order of every binary format
// the programs read and write: bitmap and icon files, the stored region
// data, the executable's resources.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The 16- and 32-bit values at byte offset at; the caller checks the size.
inline std::uint16_t Le16(const std::string& s, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(s[at]) |
                                      static_cast<unsigned>(static_cast<unsigned char>(s[at + 1])) << 8);
}
inline std::uint32_t Le32(const std::string& s, std::size_t at) {
    return static_cast<std::uint32_t>(Le16(s, at)) | static_cast<std::uint32_t>(Le16(s, at + 2)) << 16;
}

inline void PutLe16(std::string& s, std::uint32_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
inline void PutLe32(std::string& s, std::uint32_t v) {
    PutLe16(s, v & 0xFFFF);
    PutLe16(s, v >> 16);
}
