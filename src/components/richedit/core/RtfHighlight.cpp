#include "RtfHighlight.h"

#include <algorithm>

namespace rtf {

namespace {
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

std::string RemoveHighlightWords(std::string_view rtf) {
    std::string out;
    out.reserve(rtf.size());
    std::size_t i = 0;
    while (i < rtf.size()) {
        if (rtf[i] != '\\') {
            out += rtf[i++];
            continue;
        }
        if (i + 1 >= rtf.size() || !IsLetter(rtf[i + 1])) {
            // A control symbol: an escaped backslash or brace, "\'hh", "\~"...
            // Its second character is never the start of a control word.
            out.append(rtf.substr(i, 2));
            i += 2;
            continue;
        }
        // A control word: letters, an optional signed number, one ending blank.
        std::size_t j = i + 1;
        while (j < rtf.size() && IsLetter(rtf[j])) ++j;
        std::string_view word = rtf.substr(i + 1, j - i - 1);
        std::size_t numberStart = j;
        if (j < rtf.size() && rtf[j] == '-') ++j;
        while (j < rtf.size() && IsDigit(rtf[j])) ++j;
        std::string_view number = rtf.substr(numberStart, j - numberStart);
        if (j < rtf.size() && rtf[j] == ' ') ++j;
        if (word == "highlight") {
            i = j;
            continue;
        }
        out.append(rtf.substr(i, j - i));
        i = j;
        if (word == "bin") {
            // Raw bytes follow; none of them is RTF.
            std::size_t n = 0;
            for (char c : number)
                if (IsDigit(c) && n < rtf.size()) n = n * 10 + static_cast<std::size_t>(c - '0');
            if (number.empty() || number[0] == '-') n = 0;
            std::size_t take = std::min(n, rtf.size() - i);
            out.append(rtf.substr(i, take));
            i += take;
        }
    }
    return out;
}

}  // namespace rtf
