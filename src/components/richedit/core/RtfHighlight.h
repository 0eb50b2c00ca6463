// Removing the highlight control words from RTF text.
#pragma once

#include <string>
#include <string_view>

namespace rtf {

// The RTF with every "\highlight" control word taken out, with its number
// and the one blank that ends it. Escaped backslashes, braces and
// characters are skipped, so document text that reads "\highlight" (stored
// as "\\highlight") stays; the bytes of "\bin" data are passed over unread.
std::string RemoveHighlightWords(std::string_view rtf);

}  // namespace rtf
