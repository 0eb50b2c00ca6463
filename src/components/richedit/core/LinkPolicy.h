// Which clicked links the program hands to the system shell. A link in a
// document (a book, an About page, the reader's own notes file) is text that
// anyone may have written; the shell would run a program, open a local file
// or follow a network path as readily as it opens a web page. Only web and
// mail links are opened; everything else is refused with a one-line reason.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace links {

// Links longer than this are refused (the platform's own limit for a URL is
// a little above 2,000 characters).
inline constexpr std::size_t kMaxLinkLength = 2048;

struct Decision {
    bool open = false;
    std::string target;   // what to hand to the shell when open
    std::string refusal;  // why not, one line, when not open
};

// http://, https:// and mailto: links (scheme in any letter case) are opened
// as they are; a "www." link without a scheme is opened as http. Refused: an
// empty or over-long link, one holding control characters, blanks or quotes,
// an http(s) link without a host, a mailto link without an address, and any
// other scheme, path or name (file:, UNC paths, drive paths, programs).
Decision Judge(std::string_view link);

// The one line the reader is shown for a refused link: the link (cut to a
// readable length, unprintable characters replaced) and the reason.
std::string RefusalMessage(std::string_view link, const Decision& d);

}  // namespace links
