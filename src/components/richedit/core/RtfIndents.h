// Paragraph indents in RTF written by a rich edit window whose writer puts a
// paragraph's offset (the other lines against the first) under "\li" and its
// first-line indent under "\fi" (Wine's). RTF means "\li" as the left indent
// of the paragraph's lines and "\fi" as the first line's indent against it,
// so such a document read back moves its paragraphs, further at every save.
#pragma once

#include <string>
#include <string_view>

namespace rtfindents {

// The document with every "\li" / "\fi" pair (either may be missing: it
// was 0) written as RTF means it: "\li" = first-line indent + offset, "\fi"
// = -offset, each left out when 0. Escaped backslashes and other words stay.
std::string FromSwapped(std::string_view rtf);

}  // namespace rtfindents
