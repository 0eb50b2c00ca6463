// The readable text form of a stored layout, as kept in the repository:
//
//   object Form1: TForm1 {
//       Caption = "${BOOK_IDENTIFIER}"
//       Font.Height = -11
//       Options = [ifUseWindowsDrag]
//       Picture.Data = picture("${BOOK_DIR}/cover.bmp")
//       RegionData = region()
//       object btnRead: TMMBitmapButton { Left = 68 }
//   }
//
// See docs/layout-stream.md for the value forms.
#pragma once

#include <functional>
#include <map>
#include <stdexcept>
#include <string>

#include "../../src/framework/core/LayoutStream.h"

namespace layouttext {

class ParseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Options {
    std::map<std::string, std::string> vars;                     // ${NAME} substitutions
    std::function<std::string(const std::string&)> readFile;     // loads a file named in the text
    std::string fileName;                                        // for messages
};

// Parses a layout text into a component tree. Binary functions (picture,
// rtf, bytes, region) are evaluated here; region() is computed from the
// component's Picture.Data and TransparentColor read before it.
layout::Node Parse(const std::string& text, const Options& opt);

// The binary payloads the functions produce, exposed for tests.
std::string PictureData(const std::string& bmpFile);   // class name + length + file
std::string DocumentData(const std::string& rtf);      // 32-bit count + bytes
std::string RegionPayload(const layout::Node& component, const std::string& where);

// Writes a tree back as text (for dumps and tests); binaries as hex.
std::string Dump(const layout::Node& n, int indent = 0);

// The C++ header that binds a form to its layout: the form's class gets a
// field for each named component (of the component's class) and a binder
// that publishes every handler the layout's events name and binds every
// field. sourceName is the layout file's name, for the header's comment.
// An event is a property named On<Upper>... with a handler name for value.
// Throws ParseError for a layout that cannot be bound (a name used twice, a
// name that is no identifier, an event without a handler name).
std::string FieldsHeader(const layout::Node& root, const std::string& sourceName);

}  // namespace layouttext
