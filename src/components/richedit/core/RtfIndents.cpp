#include "RtfIndents.h"

#include <cctype>
#include <cstdlib>

namespace rtfindents {

namespace {

bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Reads "\<word><number>" at i (rtf[i] == '\\') for the word given; on a
// match moves i past it (not past its delimiter) and gives the number.
bool ReadWord(std::string_view rtf, std::size_t& i, std::string_view word, long& value) {
    std::size_t k = i + 1;
    if (rtf.substr(k, word.size()) != word) return false;
    k += word.size();
    std::size_t digits = k;
    if (digits < rtf.size() && rtf[digits] == '-') ++digits;
    std::size_t end = digits;
    while (end < rtf.size() && IsDigit(rtf[end])) ++end;
    if (end == digits || end - digits > 9) return false;  // no number, or not an indent
    value = std::strtol(std::string(rtf.substr(k, end - k)).c_str(), nullptr, 10);
    i = end;
    return true;
}

}  // namespace

std::string FromSwapped(std::string_view rtf) {
    std::string out;
    out.reserve(rtf.size() + 64);
    std::size_t i = 0;
    while (i < rtf.size()) {
        char c = rtf[i];
        if (c != '\\' || i + 1 >= rtf.size()) {
            out += c;
            ++i;
            continue;
        }
        if (!IsLetter(rtf[i + 1])) {
            // A control symbol ("\\", "\{", "\'hh"...): its second character is
            // never the start of a word.
            out.append(rtf.substr(i, 2));
            i += 2;
            continue;
        }
        std::size_t at = i;
        long offset = 0, first = 0;
        bool li = ReadWord(rtf, i, "li", offset);
        bool fi = false;
        if (li) {
            std::size_t k = i;
            if (k < rtf.size() && rtf[k] == '\\' && ReadWord(rtf, k, "fi", first)) {
                fi = true;
                i = k;
            }
        } else {
            fi = ReadWord(rtf, i, "fi", first);
        }
        if (!li && !fi) {
            // Another word: copied whole, so that "\lin" or "\fil" is not read
            // as an indent.
            std::size_t k = at + 1;
            while (k < rtf.size() && IsLetter(rtf[k])) ++k;
            out.append(rtf.substr(at, k - at));
            i = k;
            continue;
        }
        long left = first + offset, firstLine = -offset;
        if (left != 0) out += "\\li" + std::to_string(left);
        if (firstLine != 0) out += "\\fi" + std::to_string(firstLine);
    }
    return out;
}

}  // namespace rtfindents
