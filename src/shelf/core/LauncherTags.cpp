#include "LauncherTags.h"

#include <cctype>

#include "CommandLine.h"
#include "LauncherLink.h"

namespace shelf {

namespace {

std::string Utf8(const std::u16string& w) {
    std::string out;
    for (std::size_t i = 0; i < w.size(); ++i) {
        std::uint32_t c = w[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (w[++i] - 0xDC00);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

struct Tag {
    int id;
    const char* name;
    std::string BookTags::*field;
};
const Tag kTags[] = {
    {1, "VER", &BookTags::version},  {2, "COM", &BookTags::commands}, {3, "SEN", &BookTags::closeText},
    {4, "AUT", &BookTags::author},   {5, "TIT", &BookTags::title},    {6, "NAM", &BookTags::fileName},
    {7, "YEA", &BookTags::year},     {8, "DAT", &BookTags::date},     {9, "RAT", &BookTags::rating},
    {10, "SER", &BookTags::series},  {11, "FEA", &BookTags::features},
};

}  // namespace

std::map<int, std::string> ReadStringBlock(const std::string& bytes, int block, bool* truncated) {
    std::map<int, std::string> out;
    if (truncated) *truncated = false;
    std::size_t at = 0;
    for (int k = 0; k < 16; ++k) {
        if (at + 2 > bytes.size()) {
            if (truncated) *truncated = true;
            break;
        }
        std::size_t n = static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
        at += 2;
        if (n * 2 > bytes.size() - at) {
            if (truncated) *truncated = true;
            break;
        }
        std::u16string w;
        for (std::size_t c = 0; c < n; ++c)
            w.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[at + 2 * c]) |
                                              static_cast<unsigned char>(bytes[at + 2 * c + 1]) << 8));
        at += 2 * n;
        if (!w.empty()) out[(block - 1) * 16 + k] = Utf8(w);
    }
    return out;
}

BookTags ParseTags(const std::map<int, std::string>& strings) {
    BookTags t;
    for (const Tag& tag : kTags) {
        auto it = strings.find(tag.id);
        std::string prefix = "[";
        prefix.append(tag.name).append("]");
        if (it == strings.end()) {
            t.problems.push_back("no [" + std::string(tag.name) + "] line (id " + std::to_string(tag.id) + ")");
            continue;
        }
        const std::string& line = it->second;
        if (line.compare(0, prefix.size(), prefix) != 0) {
            t.problems.push_back("id " + std::to_string(tag.id) + " is not a [" + tag.name + "] line");
            continue;
        }
        std::string value = line.substr(prefix.size());
        t.*tag.field = value.empty() || value[0] != ' ' ? value : value.substr(1);
    }
    for (std::size_t s = 0; s < t.commands.size();) {
        std::size_t dash = t.commands.find('-', s);
        if (dash == std::string::npos) dash = t.commands.size();
        std::string sw = t.commands.substr(s, dash - s);
        while (!sw.empty() && sw.back() == ' ') sw.pop_back();
        if (!sw.empty()) t.switches.push_back(sw);
        s = dash + 1;
    }
    return t;
}

std::string BookTags::Identifier() const { return launcher::IdentifierFromFileName(fileName); }

std::string BookTags::DisplayTitle() const { return title.empty() ? Identifier() : title; }

int BookTags::SeriesNumber() const {
    int n = 0;
    for (char c : series) {
        if (!std::isdigit(static_cast<unsigned char>(c)) || n > 100000) break;
        n = n * 10 + (c - '0');
    }
    return n;
}

std::vector<std::string> StartArguments(const StartOptions& o, const std::vector<std::string>& offered,
                                        std::vector<std::string>* errors) {
    std::vector<std::string> args;
    auto offers = [&](const char* sw) {
        for (const std::string& s : offered)
            if (s == sw) return true;
        return false;
    };
    auto add = [&](const char* sw, const std::string& value, bool isSize) {
        if (value.empty() || !offers(sw)) return;
        if (isSize) {
            bool whole = value.size() <= 3 && value.find_first_not_of("0123456789") == std::string::npos &&
                         std::stoi(value) >= 1;
            if (!whole) {
                if (errors) errors->push_back("'" + value + "' is not a size from 1 to 999");
                return;
            }
        }
        std::string arg = "/";
        arg.append(sw).append(value);
        args.push_back(std::move(arg));
    };
    add("RF", o.readingFont, false);
    add("RI", o.readingSize, true);
    add("RK", o.readingColour, false);
    add("NF", o.notepadFont, false);
    add("NI", o.notepadSize, true);
    add("NK", o.notepadColour, false);
    if (o.maximized) args.push_back("/X");
    return args;
}

std::string CommandLine(const std::string& program, const std::vector<std::string>& args) {
    std::string line = "\"";
    line.append(program).append("\"");
    for (const std::string& a : args) line.append(" ").append(cmdline::Quote(a));
    return line;
}

}  // namespace shelf
