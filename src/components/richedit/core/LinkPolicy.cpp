#include "LinkPolicy.h"

namespace links {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t k = 0; k < prefix.size(); ++k)
        if (Lower(s[k]) != prefix[k]) return false;
    return true;
}

bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// The control characters: those below the space, and Delete.
bool IsControl(char c) {
    constexpr unsigned char kSpace = 0x20, kDelete = 0x7F;
    const auto u = static_cast<unsigned char>(c);
    return u < kSpace || u == kDelete;
}

Decision Refuse(std::string why) {
    Decision d;
    d.refusal = std::move(why);
    return d;
}

Decision Open(std::string target) {
    Decision d;
    d.open = true;
    d.target = std::move(target);
    return d;
}

// The scheme before the first ':' when the text starts with one (a letter,
// then letters, digits, '+', '-', '.'); empty when there is none. A single
// letter is a drive ("C:"), not a scheme.
std::string SchemeOf(std::string_view s) {
    if (s.empty() || !IsAlpha(s[0])) return {};
    std::size_t k = 1;
    while (k < s.size() && (IsAlpha(s[k]) || IsDigit(s[k]) || s[k] == '+' || s[k] == '-' || s[k] == '.')) ++k;
    if (k >= s.size() || s[k] != ':' || k == 1) return {};
    std::string scheme;
    for (std::size_t i = 0; i < k; ++i) scheme.push_back(Lower(s[i]));
    return scheme;
}

// After "scheme://": a host must follow, not another separator.
bool HasHost(std::string_view rest) { return !rest.empty() && rest[0] != '/' && rest[0] != '\\'; }

}  // namespace

Decision Judge(std::string_view link) {
    if (link.empty()) return Refuse("the link is empty");
    if (link.size() > kMaxLinkLength)
        return Refuse("the link is longer than " + std::to_string(kMaxLinkLength) + " characters");
    for (char c : link) {
        if (IsControl(c)) return Refuse("the link holds control characters");
        if (c == ' ' || c == '"') return Refuse("the link holds blanks or quotation marks");
    }
    std::string scheme = SchemeOf(link);
    if (scheme.empty()) {
        if (StartsWithNoCase(link, "www.") && link.size() > 4) return Open("http://" + std::string(link));
        if (link.size() >= 2 && (link[0] == '\\' || link[0] == '/') && (link[1] == '\\' || link[1] == '/'))
            return Refuse("network paths are not opened");
        return Refuse("only web (http, https) and mail (mailto) links are opened");
    }
    std::string_view rest = link.substr(scheme.size() + 1);
    if (scheme == "http" || scheme == "https") {
        if (rest.size() < 2 || rest[0] != '/' || rest[1] != '/' || !HasHost(rest.substr(2)))
            return Refuse("the web link names no host");
        return Open(std::string(link));
    }
    if (scheme == "mailto") {
        if (rest.empty()) return Refuse("the mail link names no address");
        return Open(std::string(link));
    }
    return Refuse("only web (http, https) and mail (mailto) links are opened, not \"" + scheme + ":\" links");
}

std::string RefusalMessage(std::string_view link, const Decision& d) {
    if (link.empty()) return "The link was not opened: " + d.refusal + ".";
    constexpr std::size_t kShown = 80;
    std::string shown;
    for (std::size_t k = 0; k < link.size() && k < kShown; ++k) {
        shown.push_back(IsControl(link[k]) ? '?' : link[k]);
    }
    if (link.size() > kShown) shown += "...";
    return "The link " + shown + " was not opened: " + d.refusal + ".";
}

}  // namespace links
