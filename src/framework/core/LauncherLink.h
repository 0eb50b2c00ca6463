// What a book and a launcher share: the close command's shared block and
// registered message, and the book's name in its "[NAM]" launcher line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace launcher {

// The close command: "C" in this shared block, then this registered message
// with 1 to the book's skin window.
inline constexpr char kMappingName[] = "CodexiaMappingConstant";
inline constexpr char kMessageName[] = "CodexiaMessageConstant";
inline constexpr std::uint32_t kMappingSize = 2000;

// The identifier in a name line's value ("<identifier>.Exe", the extension
// in any case); empty when the value names no program.
inline std::string IdentifierFromFileName(std::string_view fileName) {
    if (fileName.size() <= 4) return {};
    std::string_view ext = fileName.substr(fileName.size() - 4);
    const char exe[] = ".exe";
    for (std::size_t k = 0; k < 4; ++k) {
        char c = ext[k];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != exe[k]) return {};
    }
    return std::string(fileName.substr(0, fileName.size() - 4));
}

}  // namespace launcher
