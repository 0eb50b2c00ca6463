// The resources that make a reader program one book: the three window
// layouts with the book's documents and cover in them, the launcher's string
// table, the version information and the icon. Built as the bytes the
// platform keeps in an executable's resource section, so that the maker only
// has to put them in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "BookFolder.h"

namespace bookmaker {

// The language the book's resources are kept in (English, United States).
inline constexpr std::uint16_t kResourceLanguage = 0x0409;

// The platform's numbered resource types.
inline constexpr std::uint16_t kTypeIcon = 3, kTypeString = 6, kTypeData = 10, kTypeGroupIcon = 14,
                               kTypeVersion = 16;

struct Resource {
    std::uint16_t type = 0;  // one of the numbered types above
    std::string name;        // a name, or empty with id set
    std::uint16_t id = 0;
    std::string bytes;
};

// The launcher's tagged lines, ids 1 to 11 ("[VER] 1" ... "[FEA] ...").
std::vector<std::string> LauncherStrings(const Book& book);
// A string table block: sixteen counted UTF-16 strings (ids 16*(block-1) on).
std::string StringTableBlock(const std::vector<std::string>& utf8, std::size_t firstId);
// VS_VERSIONINFO with the book's title, author, year and identifier.
std::string VersionInfo(const Book& book);
// An icon file as one picture resource per image (ids from firstId) and the
// group that lists them.
std::vector<Resource> IconResources(const std::string& ico, std::uint16_t groupId, std::uint16_t firstId);

// The layouts that carry the book, as their stored text: the class name (its
// resource is the name in capitals) and the text.
struct LayoutSource {
    std::string className;
    std::string text;
};
// Compiles them with the book's values and files in them. folder is how the
// layouts name the book's files (read back through read). Throws
// std::runtime_error naming the layout when one does not compile.
std::vector<Resource> BookLayouts(const Book& book, const std::vector<LayoutSource>& sources,
                                  const std::string& folder, const ReadFile& read);

// Every resource of the book, layouts first.
std::vector<Resource> BookResources(const Book& book, const std::vector<LayoutSource>& sources,
                                    const std::string& folder, const ReadFile& read);

std::u16string Utf16(const std::string& utf8);

}  // namespace bookmaker
