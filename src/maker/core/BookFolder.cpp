#include "BookFolder.h"

#include <cctype>
#include <regex>

#include "BmpFile.h"

namespace bookmaker {

namespace {

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
    return s.substr(b, e - b);
}

bool Known(const std::string& key) {
    for (const char* k : kMetaFields)
        if (key == k) return true;
    return false;
}

struct Rule {
    const char* field;
    const char* pattern;
    const char* expected;
};

// Text that is printable and has no quotes or backslashes, so that it can
// stand in a layout's quoted string as it is.
constexpr const char* kText = R"([^"\\\x00-\x1f]+)";

const Rule kRules[] = {
    {"identifier", "[A-Za-z0-9]+-[A-Za-z0-9]+(_[A-Za-z0-9]+)*-[A-Za-z0-9]+(_[A-Za-z0-9]+)*",
     "Maker-Surname_Given_Names-Title_Words"},
    {"title", kText, "the book's title"},
    {"author", kText, "the author's name"},
    {"year", "[0-9]{4}", "four digits"},
    {"date", "(0[1-9]|1[0-2])-(0[1-9]|[12][0-9]|3[01])", "month-day, e.g. 12-20"},
    {"rating", kText, "a content rating such as G"},
    {"series", "[0-9]+-[0-9]+", "first-last, e.g. 1-7"},
};

std::uint32_t Get32(const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<unsigned char>(s[at + k]);
    return v;
}
std::uint16_t Get16(const std::string& s, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8);
}

}  // namespace

const std::string& Book::Field(const std::string& key) const {
    static const std::string none;
    auto it = meta.find(key);
    return it == meta.end() ? none : it->second;
}

std::string CheckCover(const std::string& bmp) {
    BmpImage img;
    std::string error;
    if (!DecodeBmp(bmp, img, error)) return error;
    if (img.width != kCoverSide || img.height != kCoverSide)
        return "the picture is " + std::to_string(img.width) + " x " + std::to_string(img.height) + "; a cover is " +
               std::to_string(kCoverSide) + " x " + std::to_string(kCoverSide);
    return {};
}

std::string CheckRtf(const std::string& rtf) {
    if (rtf.compare(0, 5, "{\\rtf") != 0) return "not an RTF document (it does not start with {\\rtf)";
    int depth = 0;
    std::size_t i = 0, closedAt = std::string::npos;
    while (i < rtf.size()) {
        char c = rtf[i];
        if (closedAt != std::string::npos) {
            if (!std::isspace(static_cast<unsigned char>(c)) && c != '\0')
                return "text after the document's last group, at byte " + std::to_string(i);
            ++i;
            continue;
        }
        if (c == '{') {
            ++depth;
            ++i;
        } else if (c == '}') {
            if (--depth == 0) closedAt = i;
            ++i;
        } else if (c == '\\') {
            if (i + 1 >= rtf.size()) break;
            char n = rtf[i + 1];
            if (!std::isalpha(static_cast<unsigned char>(n))) {
                i += n == '\'' ? 4 : 2;
                continue;
            }
            std::size_t w = i + 1;
            while (w < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[w]))) ++w;
            std::string word = rtf.substr(i + 1, w - i - 1);
            std::size_t d = w;
            if (d < rtf.size() && rtf[d] == '-') ++d;
            while (d < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[d]))) ++d;
            long long param = d > w && rtf[d - 1] != '-' ? std::atoll(rtf.substr(w, d - w).c_str()) : 0;
            if (d < rtf.size() && rtf[d] == ' ') ++d;
            if (word == "bin") {
                // Raw bytes follow: they are not read as RTF.
                if (param < 0 || static_cast<unsigned long long>(param) > rtf.size() - d)
                    return "a \\bin group runs past the end of the file";
                d += static_cast<std::size_t>(param);
            }
            i = d;
        } else {
            ++i;
        }
    }
    if (closedAt == std::string::npos)
        return "the document ends before its groups are closed (" + std::to_string(depth) +
               (depth == 1 ? " is" : " are") + " still open): the file is cut short";
    return {};
}

std::string CheckIcon(const std::string& ico) {
    if (ico.size() < 6 || Get16(ico, 0) != 0 || Get16(ico, 2) != 1) return "not an icon file";
    std::size_t count = Get16(ico, 4);
    if (count == 0) return "the icon file holds no pictures";
    if (ico.size() < 6 + 16 * count) return "the icon file is cut short";
    for (std::size_t k = 0; k < count; ++k) {
        std::size_t e = 6 + 16 * k;
        std::uint32_t size = Get32(ico, e + 8), at = Get32(ico, e + 12);
        if (size == 0 || at > ico.size() || size > ico.size() - at)
            return "picture " + std::to_string(k + 1) + " of the icon lies outside the file";
    }
    return {};
}

std::vector<std::string> CheckBook(const std::string& metaText, const ReadFile& read, Book& book) {
    std::vector<std::string> problems;
    auto fail = [&](const std::string& line) { problems.push_back("book.meta: " + line); };

    std::size_t start = 0;
    while (start <= metaText.size()) {
        std::size_t end = metaText.find('\n', start);
        if (end == std::string::npos) end = metaText.size();
        std::string line = Trim(metaText.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == '#') continue;
        std::size_t eq = line.find('=');
        std::string key = eq == std::string::npos ? "" : Trim(line.substr(0, eq));
        if (key.empty() || key.find_first_not_of("abcdefghijklmnopqrstuvwxyz_") != std::string::npos) {
            fail("malformed line: " + line);
            continue;
        }
        if (!Known(key)) {
            fail("unknown field '" + key + "'");
            continue;
        }
        if (book.meta.count(key)) {
            fail("field '" + key + "' given twice");
            continue;
        }
        book.meta[key] = Trim(line.substr(eq + 1));
    }

    for (const Rule& r : kRules) {
        const std::string& v = book.Field(r.field);
        if (v.empty())
            fail("field '" + std::string(r.field) + "' is missing (" + r.expected + ")");
        else if (!std::regex_match(v, std::regex(r.pattern)))
            fail("field '" + std::string(r.field) + "' is malformed: '" + v + "' (expected " + r.expected + ")");
    }
    if (book.Field("identifier").size() > 200)
        fail("field 'identifier' is malformed: longer than 200 characters");

    for (const char* f : kFileFields) {
        std::string field = f;
        const std::string& name = book.Field(field);
        if (name.empty()) {
            if (field != "icon") fail("field '" + field + "' is missing (a file in the book folder)");
            continue;
        }
        std::string bytes, error;
        if (!read(name, bytes, error)) {
            problems.push_back(name + " (field '" + field + "'): " + error);
            continue;
        }
        std::string wrong;
        if (field == "cover") wrong = CheckCover(bytes);
        else if (field == "icon") wrong = CheckIcon(bytes);
        else wrong = CheckRtf(bytes);
        if (!wrong.empty()) problems.push_back(name + " (field '" + field + "'): " + wrong);
        else book.files[field] = std::move(bytes);
    }
    return problems;
}

}  // namespace bookmaker
