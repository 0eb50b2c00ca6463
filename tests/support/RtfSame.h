// Streamed-out RTF made comparable between one stream-in of a document and
// the control's load in pieces. One stream-in of the platform's window (Wine)
// carries "keep with next" from a heading into every later paragraph,
// although "\pard" resets it; pieces start afresh and keep it where the
// document sets it. The flag shows twice in what the window writes: as
// "\keepn", and as a "\pard" line repeating the previous one word for word,
// because the writer starts a paragraph's properties anew whenever the
// paragraph's whole format record differs from the one before, also in a
// flag it does not write. Both are taken out; nothing else is touched.
#pragma once

#include <string>

namespace rtfsame {

inline std::string WithoutKeepNext(std::string rtf) {
    for (std::size_t at; (at = rtf.find("\\keepn")) != std::string::npos;) rtf.erase(at, 6);
    std::string out, last;
    std::size_t i = 0;
    for (std::size_t at; (at = rtf.find("\\pard", i)) != std::string::npos;) {
        // The writer ends a paragraph's properties with one space; numbering
        // groups hold spaces of their own and are left as they are.
        std::size_t end = rtf.find(' ', at);
        bool whole = end != std::string::npos && rtf.find('{', at) > end &&
                     (at + 5 == end || rtf[at + 5] == '\\');
        std::string props = whole ? rtf.substr(at, end - at) : std::string();
        out.append(rtf, i, at - i);
        if (whole && props == last) {
            i = end + 1;
            continue;
        }
        last = props;
        i = at + 5;
        out += "\\pard";
    }
    out.append(rtf, i, std::string::npos);
    return out;
}

}  // namespace rtfsame
