// A program's command line split into its arguments, by the rules the
// platform's own start-up code follows: the program name runs to the next
// space or tab, or to its closing quote when it starts with one; after it,
// spaces and tabs outside quotes separate arguments; 2n backslashes before a
// quote give n backslashes and the quote opens or closes a quoted part;
// 2n + 1 give n backslashes and a quote; backslashes before anything else
// stay as they are; and inside a quoted part two quotes give one.
// Written for both character widths, so the same rules serve the wide
// command line and the tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cmdline {

template <class Ch>
std::vector<std::basic_string<Ch>> Split(std::basic_string_view<Ch> line) {
    std::vector<std::basic_string<Ch>> out;
    const std::size_t n = line.size();
    auto blank = [](Ch c) { return c == Ch(' ') || c == Ch('\t'); };
    std::size_t i = 0;
    // The program name: no backslash rules, no doubled quotes.
    std::basic_string<Ch> name;
    if (i < n && line[i] == Ch('"')) {
        ++i;
        while (i < n && line[i] != Ch('"')) name += line[i++];
        if (i < n) ++i;
    } else {
        while (i < n && !blank(line[i])) name += line[i++];
    }
    out.push_back(std::move(name));
    for (;;) {
        while (i < n && blank(line[i])) ++i;
        if (i >= n) break;
        std::basic_string<Ch> arg;
        bool quoted = false;
        while (i < n && (quoted || !blank(line[i]))) {
            if (line[i] == Ch('\\')) {
                std::size_t slashes = 0;
                while (i < n && line[i] == Ch('\\')) ++slashes, ++i;
                if (i < n && line[i] == Ch('"')) {
                    arg.append(slashes / 2, Ch('\\'));
                    if (slashes % 2) {
                        arg += Ch('"');
                        ++i;
                    }
                    // An even count leaves the quote to the next round.
                } else {
                    arg.append(slashes, Ch('\\'));
                }
            } else if (line[i] == Ch('"')) {
                if (quoted && i + 1 < n && line[i + 1] == Ch('"')) {
                    arg += Ch('"');
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += line[i++];
            }
        }
        out.push_back(std::move(arg));
    }
    return out;
}

// One argument written so that Split reads it back unchanged: as it is when
// it has no blank or quote, else in quotes with each quote and the
// backslashes before a quote (or before the closing quote) doubled up.
inline std::string Quote(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    std::string out = "\"";
    std::size_t slashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        out.append(c == '"' ? 2 * slashes + 1 : slashes, '\\');
        slashes = 0;
        out += c;
    }
    out.append(2 * slashes, '\\');
    return out + "\"";
}

}  // namespace cmdline
