// What a book and a launcher share: the close command's shared block and
// registered message, the book's launcher lines in its string table (its
// name in the "[NAM]" line) and its icon.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace launcher {

// The close command: "C" in this shared block, then this registered message
// with kCommandWaiting to the book's skin window.
inline constexpr char kMappingName[] = "CodexiaMappingConstant";
inline constexpr char kMessageName[] = "CodexiaMessageConstant";
inline constexpr std::uint32_t kMappingSize = 2000;
inline constexpr unsigned kCommandWaiting = 1;

// The launcher lines are the program's strings from kFirstLineId on, all in
// one string table resource (kLinesBlock, strings 0 to 15); the "[NAM]" line
// is string kNameLineId.
inline constexpr std::uint16_t kFirstLineId = 1;
inline constexpr std::uint16_t kNameLineId = 6;
inline constexpr std::uint16_t kLinesBlock = kFirstLineId / 16 + 1;

// The program's icon: the group its windows and the shell show, and the
// number of its first picture.
inline constexpr std::uint16_t kIconGroupId = 1;
inline constexpr std::uint16_t kFirstIconId = 1;

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
