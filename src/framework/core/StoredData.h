// The binary properties of a stored layout, read and checked before any
// component or platform call sees them: a rich text document (Data), a window
// outline (RegionData) and a picture (Picture.Data). Each reader takes a
// reader bounded to the property's bytes, refuses data whose counts and sizes
// do not add up (through the reader's Fail, which names the window,
// component and property) and never reads in part.
#pragma once

#include <string>

#include "BmpFile.h"
#include "LayoutStream.h"

namespace stored {

// Data of a rich text control: a signed 32-bit length, then exactly that
// many bytes of the document.
std::string ReadDocument(layout::Reader& payload);

// RegionData: a 32-bit length N, then N bytes of the platform's region data
// (N = 0: no stored outline, the result is empty). The region data must be
// exactly a 32-byte header (size 32, rectangles, count, ...) and the
// rectangles it counts.
std::string ReadOutline(layout::Reader& payload);
// The checks of ReadOutline on region data bytes alone: empty when usable,
// else what is wrong.
std::string CheckRegionData(const std::string& data);

// Picture.Data: a length byte and the picture's class name, then a 32-bit
// length and the bitmap file. An empty class name is no picture (the result
// is false). Only "TBitmap" is known; its file's header must agree with its
// size (see CheckBmpHeader).
struct Picture {
    std::string file;
    BmpHeader header;
};
bool ReadPicture(layout::Reader& payload, Picture& out);

}  // namespace stored
