#include "BookFolder.h"

#include <cctype>

#include "BmpFile.h"
#include "Bytes.h"

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

// The fields' forms, matched by hand: <regex> made this the slowest unit of
// the build to compile, in each of the three builds that hold it.
bool IsAlnum(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

// One or more runs of [A-Za-z0-9], each run after the first following one
// `sep`, from `at`; stops at the first other character.
bool Words(const std::string& s, std::size_t& at, char sep) {
    for (;;) {
        std::size_t b = at;
        while (at < s.size() && IsAlnum(s[at])) ++at;
        if (at == b) return false;
        if (at == s.size() || s[at] != sep || sep == 0) return true;
        ++at;
    }
}

// Digits from `at`: how many, advancing `at`.
std::size_t Digits(const std::string& s, std::size_t& at) {
    std::size_t b = at;
    while (at < s.size() && s[at] >= '0' && s[at] <= '9') ++at;
    return at - b;
}

// Maker-Surname_Given_Names-Title_Words.
bool IsIdentifier(const std::string& s) {
    std::size_t at = 0;
    if (!Words(s, at, 0) || at == s.size() || s[at++] != '-') return false;
    if (!Words(s, at, '_') || at == s.size() || s[at++] != '-') return false;
    return Words(s, at, '_') && at == s.size();
}

// Text that is printable and has no quotes or backslashes, so that it can
// stand in a layout's quoted string as it is (bytes of UTF-8 are printable).
bool IsText(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == '"' || c == '\\') return false;
    return true;
}

bool IsYear(const std::string& s) {
    std::size_t at = 0;
    return Digits(s, at) == 4 && at == s.size();
}

// Month-day: 01-12, then 01-31.
bool IsDate(const std::string& s) {
    if (s.size() != 5 || s[2] != '-') return false;
    std::size_t at = 0, at2 = 3;
    if (Digits(s, at) != 2 || Digits(s, at2) != 2) return false;
    int month = (s[0] - '0') * 10 + (s[1] - '0'), day = (s[3] - '0') * 10 + (s[4] - '0');
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

// First-last.
bool IsSeries(const std::string& s) {
    std::size_t at = 0;
    if (Digits(s, at) == 0 || at == s.size() || s[at++] != '-') return false;
    return Digits(s, at) > 0 && at == s.size();
}

struct Rule {
    const char* field;
    bool (*matches)(const std::string&);
    const char* expected;
};

const Rule kRules[] = {
    {"identifier", IsIdentifier, "Maker-Surname_Given_Names-Title_Words"},
    {"title", IsText, "the book's title"},
    {"author", IsText, "the author's name"},
    {"year", IsYear, "four digits"},
    {"date", IsDate, "month-day, e.g. 12-20"},
    {"rating", IsText, "a content rating such as G"},
    {"series", IsSeries, "first-last, e.g. 1-7"},
};

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
    if (ico.size() < 6 || Le16(ico, 0) != 0 || Le16(ico, 2) != 1) return "not an icon file";
    std::size_t count = Le16(ico, 4);
    if (count == 0) return "the icon file holds no pictures";
    if (ico.size() < 6 + 16 * count) return "the icon file is cut short";
    for (std::size_t k = 0; k < count; ++k) {
        std::size_t e = 6 + 16 * k;
        std::uint32_t size = Le32(ico, e + 8), at = Le32(ico, e + 12);
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
        else if (!r.matches(v))
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
