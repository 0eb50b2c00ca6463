#include "BookResources.h"

#include <stdexcept>

#include "../../../tools/layoutc/LayoutText.h"
#include "Bytes.h"
#include "LauncherLink.h"
#include "LayoutStream.h"

namespace bookmaker {

namespace {

void PutWide(std::string& s, const std::u16string& w, bool terminated) {
    for (char16_t c : w) PutLe16(s, c);
    if (terminated) PutLe16(s, 0);
}
void Align4(std::string& s) {
    while (s.size() % 4) s.push_back('\0');
}

// One block of the version information: its length, the length of its
// value, its type (1: text), its key, then the value and the child blocks,
// each on a four-byte boundary.
std::string VersionBlock(const std::string& key, const std::string& value, std::uint16_t valueLength,
                         std::uint16_t type, const std::vector<std::string>& children) {
    std::string b;
    PutLe16(b, 0);
    PutLe16(b, valueLength);
    PutLe16(b, type);
    PutWide(b, Utf16(key), true);
    Align4(b);
    b += value;
    for (const std::string& c : children) {
        Align4(b);
        b += c;
    }
    b[0] = static_cast<char>(b.size() & 0xFF);
    b[1] = static_cast<char>(b.size() >> 8);
    return b;
}

std::string VersionString(const std::string& key, const std::string& utf8) {
    std::u16string w = Utf16(utf8);
    std::string value;
    PutWide(value, w, true);
    return VersionBlock(key, value, static_cast<std::uint16_t>(w.size() + 1), 1, {});
}

}  // namespace

std::u16string Utf16(const std::string& utf8) {
    std::u16string out;
    for (std::size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        std::uint32_t cp = 0xFFFD;
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + extra >= utf8.size() + (extra == 0)) {
            ++i;
        } else {
            cp = extra == 0 ? c : c & (0x3F >> extra);
            bool ok = true;
            for (int k = 1; k <= extra; ++k) {
                unsigned char n = static_cast<unsigned char>(utf8[i + k]);
                if ((n & 0xC0) != 0x80) ok = false;
                cp = (cp << 6) | (n & 0x3F);
            }
            i += ok ? extra + 1 : 1;
            if (!ok) cp = 0xFFFD;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::vector<std::string> LauncherStrings(const Book& book) {
    const std::string& author = book.Field("author");
    const std::string& title = book.Field("title");
    const std::string& year = book.Field("year");
    const std::string& rating = book.Field("rating");
    return {
        "[VER] 1",
        "[COM] RF-RI-RK-NF-NI-NK",
        "[SEN] C",
        "[AUT] " + author,
        "[TIT] " + title,
        "[NAM] " + book.Field("identifier") + ".Exe",
        "[YEA] " + year,
        "[DAT] " + book.Field("date"),
        "[RAT] " + rating,
        "[SER] " + book.Field("series"),
        "[FEA] [AUT] " + author + " [BOO] " + title + " [YEA] " + year + " [RAT] " + rating,
    };
}

std::string StringTableBlock(const std::vector<std::string>& utf8, std::size_t firstId) {
    std::string b;
    for (std::size_t id = (firstId / 16) * 16, k = 0; k < 16; ++id, ++k) {
        std::u16string w = id >= firstId && id - firstId < utf8.size() ? Utf16(utf8[id - firstId]) : u"";
        PutLe16(b, static_cast<std::uint32_t>(w.size()));
        PutWide(b, w, false);
    }
    return b;
}

std::string VersionInfo(const Book& book) {
    const std::string& title = book.Field("title");
    const std::string& author = book.Field("author");
    const std::string& id = book.Field("identifier");
    std::string fixed;
    PutLe32(fixed, 0xFEEF04BD);  // signature
    PutLe32(fixed, 0x00010000);  // structure version
    PutLe32(fixed, 0x00010000);  // file version 1.0.0.0
    PutLe32(fixed, 0);
    PutLe32(fixed, 0x00010000);  // product version 1.0.0.0
    PutLe32(fixed, 0);
    PutLe32(fixed, 0x3F);        // flags mask
    PutLe32(fixed, 0);           // flags
    PutLe32(fixed, 0x4);         // for 32-bit Windows
    PutLe32(fixed, 0x1);         // an application
    PutLe32(fixed, 0);           // subtype
    PutLe32(fixed, 0);           // date
    PutLe32(fixed, 0);
    std::vector<std::string> strings = {
        VersionString("CompanyName", "Codexia"),
        VersionString("FileDescription", title + " by " + author),
        VersionString("FileVersion", "1.0.0.0"),
        VersionString("InternalName", id),
        VersionString("LegalCopyright", "Copyright " + book.Field("year") + " " + author),
        VersionString("OriginalFilename", id + ".Exe"),
        VersionString("ProductName", title),
        VersionString("ProductVersion", "1.0.0.0"),
    };
    std::string table = VersionBlock("040904E4", "", 0, 1, strings);
    std::string translation;
    PutLe16(translation, kResourceLanguage);
    PutLe16(translation, 1252);
    std::string var = VersionBlock("Translation", translation, 4, 0, {});
    return VersionBlock("VS_VERSION_INFO", fixed, static_cast<std::uint16_t>(fixed.size()), 0,
                        {VersionBlock("StringFileInfo", "", 0, 1, {table}), VersionBlock("VarFileInfo", "", 0, 1, {var})});
}

std::vector<Resource> IconResources(const std::string& ico, std::uint16_t groupId, std::uint16_t firstId) {
    std::vector<Resource> out;
    Resource group{kTypeGroupIcon, "", groupId, ""};
    std::uint16_t count = Le16(ico, 4);
    PutLe16(group.bytes, 0);
    PutLe16(group.bytes, 1);
    PutLe16(group.bytes, count);
    for (std::uint16_t k = 0; k < count; ++k) {
        std::size_t e = 6 + 16u * k;
        std::uint32_t size = Le32(ico, e + 8);
        std::uint32_t at = Le32(ico, e + 12);
        group.bytes += ico.substr(e, 12);  // size, colours, planes, bits, bytes
        PutLe16(group.bytes, static_cast<std::uint16_t>(firstId + k));
        out.push_back(Resource{kTypeIcon, "", static_cast<std::uint16_t>(firstId + k), ico.substr(at, size)});
    }
    out.push_back(std::move(group));
    return out;
}

std::vector<Resource> BookLayouts(const Book& book, const std::vector<LayoutSource>& sources,
                                  const std::string& folder, const ReadFile& read) {
    layouttext::Options opt;
    opt.vars = {{"BOOK_IDENTIFIER", book.Field("identifier")},
                {"BOOK_TITLE", book.Field("title")},
                {"BOOK_AUTHOR", book.Field("author")},
                {"BOOK_DIR", folder}};
    for (const char* f : kFileFields) {
        if (!book.Has(f)) continue;
        std::string var = "BOOK_";
        for (const char* c = f; *c; ++c) var.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(*c))));
        opt.vars[var] = folder + "/" + book.Field(f);
    }
    // The files were read and checked with the folder: give the layouts
    // those same bytes rather than reading them again.
    std::map<std::string, std::string> byPath;
    for (const auto& [field, bytes] : book.files) byPath[folder + "/" + book.Field(field)] = bytes;
    opt.readFile = [&](const std::string& path) {
        auto it = byPath.find(path);
        if (it != byPath.end()) return it->second;
        std::string bytes, error;
        if (!read(path, bytes, error)) throw std::runtime_error(path + ": " + error);
        return bytes;
    };
    std::vector<Resource> out;
    for (const LayoutSource& s : sources) {
        opt.fileName = s.className + ".layout";
        std::string name;
        for (char c : s.className) name.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
        out.push_back(Resource{kTypeData, name, 0, layout::Encode(layouttext::Parse(s.text, opt))});
    }
    return out;
}

std::vector<Resource> BookResources(const Book& book, const std::vector<LayoutSource>& sources,
                                    const std::string& folder, const ReadFile& read) {
    std::vector<Resource> out = BookLayouts(book, sources, folder, read);
    out.push_back(Resource{kTypeString, "", launcher::kLinesBlock,
                           StringTableBlock(LauncherStrings(book), launcher::kFirstLineId)});
    out.push_back(Resource{kTypeVersion, "", 1, VersionInfo(book)});
    if (book.files.count("icon"))
        for (Resource& r : IconResources(book.files.at("icon"), launcher::kIconGroupId, launcher::kFirstIconId))
            out.push_back(std::move(r));
    return out;
}

}  // namespace bookmaker
